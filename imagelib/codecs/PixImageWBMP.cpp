#include "imagelib/codecs/PixImageWBMP.h"

#include <cstring>
#include <vector>

#include "imagelib/codecs/CodecBytes.h"

using namespace codecbytes;

namespace {

const char kCorrupted[] = "Corrupted WBMP";

// A multi-byte integer: seven bits a byte, most significant first, the top bit set on every byte
// but the last. Up to 32 bits; false when it runs past the bytes or past 32 bits.
bool ReadMultiByte(const std::vector<BYTE>& b, size_t& pos, uint32_t& value) {
    uint64_t v = 0;
    for (int i = 0; i < 5 && pos < b.size(); ++i) {
        const BYTE c = b[pos++];
        v = (v << 7) | (c & 0x7F);
        if (v > 0xFFFFFFFFull) return false;
        if (!(c & 0x80)) {
            value = static_cast<uint32_t>(v);
            return true;
        }
    }
    return false;
}

void PutMultiByte(ByteOut& out, uint32_t v) {
    int shift = 28;
    while (shift > 0 && (v >> shift) == 0)
        shift -= 7;
    for (; shift > 0; shift -= 7)
        out.U8(0x80 | ((v >> shift) & 0x7F));
    out.U8(v & 0x7F);
}

uint64_t PixelBytes(uint64_t width, uint64_t height) { return (width + 7) / 8 * height; }

// One reading of the header: the sizes and where the rows start.
struct Sizes {
    uint32_t width, height;
    size_t pos;
    // Against a stream of `length` bytes: 0 when the rows end exactly at its end, 1 when bytes
    // are left over, -1 when the sizes are 0 or the rows do not fit.
    int Ends(uint64_t length) const {
        if (width == 0 || height == 0 || pos + PixelBytes(width, height) > length) return -1;
        return pos + PixelBytes(width, height) == length ? 0 : 1;
    }
};

} // namespace

bool CPixImageWBMP::Fail(const char* text) {
    SetLastError(text);
    return false;
}

bool CPixImageWBMP::Decode(CPixFile* hFile) {
    if (!hFile) return false;
    ResetTransparency();
    // Headers are a few bytes; twelve hold any two sizes of up to 32 bits after type and flag.
    std::vector<BYTE> head(12);
    head.resize(hFile->Read(head.data(), 1, head.size()));
    if (head.size() < 4) return Fail("Not a WBMP");
    if (head[0] != 0) return Fail("Unsupported WBMP type");
    const uint64_t left = head.size() + BytesLeft(hFile);

    // Sizes are multi-byte integers, but files with single-byte sizes exist, and for sizes from 128
    // on the two readings differ. The one whose rows end exactly where the stream does wins, the
    // standard multi-byte one when both do, as every other reader takes it; a stream with more
    // after the rows takes the first that fits.
    const Sizes single{head[2], head[3], 4};
    Sizes multi{0, 0, 2};
    const bool multiRead =
        ReadMultiByte(head, multi.pos, multi.width) && ReadMultiByte(head, multi.pos, multi.height);
    const int singleEnds = single.Ends(left), multiEnds = multiRead ? multi.Ends(left) : -1;
    const Sizes* sizes = multiEnds == 0    ? &multi
                         : singleEnds == 0 ? &single
                         : multiEnds > 0   ? &multi
                         : singleEnds > 0  ? &single
                                           : nullptr;
    if (!sizes) return Fail(kCorrupted);
    const uint32_t width = sizes->width, height = sizes->height;
    const size_t pos = sizes->pos;
    if (!Create(width, height, 1, PIXFORMAT_WBMP)) return Fail("WBMP Create failed");
    SetGrayPalette();

    // Bytes already read past the header are the first pixels.
    hFile->Seek(static_cast<long>(pos) - static_cast<long>(head.size()), 1);
    const size_t rowBytes = (width + 7) / 8;
    for (DWORD y = 0; y < height; ++y) {
        if (!ReadExact(hFile, GetBits(height - 1 - y), rowBytes)) return Fail(kCorrupted);
    }
    return true;
}

bool CPixImageWBMP::Encode(CPixFile* hFile) {
    if (EncodeSafeCheck(hFile)) return false;
    if (GetBpp() != 1) return Fail("Can't save this image as WBMP");
    const DWORD width = GetWidth(), height = GetHeight();
    // A set bit is white: a palette whose first entry is the brighter one is written inverted.
    const RGBQUAD c0 = GetPaletteColor(0), c1 = GetPaletteColor(1);
    const BYTE flip = CompareColors(&c0, &c1) > 0 ? 0xFF : 0x00;

    ByteOut out;
    out.b.assign(2, 0);
    PutMultiByte(out, width);
    PutMultiByte(out, height);
    const size_t rowBytes = (width + 7) / 8;
    const BYTE lastMask = static_cast<BYTE>(0xFF << ((8 - width % 8) % 8));
    for (DWORD y = height; y-- > 0;) {
        const BYTE* row = GetBits(y);
        for (size_t i = 0; i < rowBytes; ++i)
            out.U8((row[i] ^ flip) & (i + 1 == rowBytes ? lastMask : 0xFF));
    }
    if (!out.WriteTo(hFile)) return Fail("Write error");
    return EncodeFlushed(hFile);
}
