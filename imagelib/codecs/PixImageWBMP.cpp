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

} // namespace

bool CPixImageWBMP::Fail(const char* text) {
    SetLastError(text);
    return false;
}

bool CPixImageWBMP::Decode(CPixFile* hFile) {
    if (!hFile) return false;
    // Headers are a few bytes; twelve hold any two sizes of up to 32 bits after type and flag.
    std::vector<BYTE> head(12);
    head.resize(hFile->Read(head.data(), 1, head.size()));
    if (head.size() < 4) return Fail("Not a WBMP");
    if (head[0] != 0) return Fail("Unsupported WBMP type");
    const uint64_t left = head.size() + BytesLeft(hFile);

    // Sizes are multi-byte integers; files that wrote them as single bytes stay readable when
    // only that reading fits the stream.
    size_t pos = 2;
    uint32_t width = 0, height = 0;
    const bool multi = ReadMultiByte(head, pos, width) && ReadMultiByte(head, pos, height) &&
                       width && height && pos + PixelBytes(width, height) <= left;
    if (!multi) {
        width = head[2];
        height = head[3];
        pos = 4;
        if (width == 0 || height == 0 || pos + PixelBytes(width, height) > left) return Fail(kCorrupted);
    }
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
    out.U8(0);
    out.U8(0);
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
    return true;
}
