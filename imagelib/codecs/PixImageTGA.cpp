#include "imagelib/codecs/PixImageTGA.h"

#include <vector>

#include "imagelib/PixBitfieldChannel.h"
#include "imagelib/codecs/CodecBytes.h"

using namespace codecbytes;

namespace {

const char kCorrupted[] = "corrupted TGA";

// A 15- or 16-bit value as blue, green, red (5-5-5, the top bit ignored), widened as every
// bit-field pixel of the library is, so that full white stays white.
RGBQUAD Colour555(const BYTE* p) {
    static const CPixBitfieldChannel red(0x7C00), green(0x03E0), blue(0x001F);
    const uint32_t w = Le16(p);
    RGBQUAD c{};
    c.rgbBlue = blue.Get(w);
    c.rgbGreen = green.Get(w);
    c.rgbRed = red.Get(w);
    return c;
}

// A stored colour of 15, 16, 24 or 32 bits.
RGBQUAD StoredColour(const BYTE* p, int depth) {
    if (depth <= 16) return Colour555(p);
    RGBQUAD c{};
    c.rgbBlue = p[0];
    c.rgbGreen = p[1];
    c.rgbRed = p[2];
    c.rgbReserved = depth == 32 ? p[3] : 0;
    return c;
}

int StoredBytes(int depth) { return (depth + 7) / 8; }

} // namespace

bool CPixImageTGA::Fail(const char* text) {
    SetLastError(text);
    return false;
}

bool CPixImageTGA::Decode(CPixFile* hFile) {
    if (!hFile) return false;
    ResetTransparency();
    BYTE h[18];
    if (!ReadExact(hFile, h, sizeof(h))) return Fail("Not a TGA");
    const BYTE idLength = h[0], mapType = h[1], imageType = h[2];
    const uint32_t mapFirst = Le16(h + 3), mapLength = Le16(h + 5);
    const BYTE mapEntryBits = h[7];
    const DWORD width = Le16(h + 12), height = Le16(h + 14);
    const int depth = h[16];
    const BYTE descriptor = h[17];

    const bool packed = imageType >= 9;
    const int kind = packed ? imageType - 8 : imageType; // 1 colour-mapped, 2 true colour, 3 grey
    if (kind < 1 || kind > 3 || (packed && imageType > 11)) return Fail("Unknown TGA image type");
    if (width == 0 || height == 0 || depth == 0 || mapLength > 256 ||
        (depth != 8 && depth != 15 && depth != 16 && depth != 24 && depth != 32))
        return Fail("bad TGA header");
    // Types and depths that do not belong together, and colour maps of no known layout.
    const bool mapOk = mapType == 0 || (mapType == 1 && (mapEntryBits == 15 || mapEntryBits == 16 ||
                                                         mapEntryBits == 24 || mapEntryBits == 32));
    if (!mapOk || (kind == 1 && (mapType != 1 || depth != 8 || mapLength == 0)) ||
        (kind == 2 && depth == 8) || (kind == 3 && depth != 8))
        return Fail("bad TGA header");

    BYTE id[255];
    if (!ReadExact(hFile, id, idLength)) return Fail(kCorrupted);

    // The least the pixels can take: every pixel stored, or one 128-pixel packet per 129 or
    // fewer stored bytes; a short stream is refused before anything is allocated.
    m_depth = depth;
    const uint64_t px = static_cast<uint64_t>(width) * height;
    const uint64_t bytes = static_cast<uint64_t>(StoredBytes(depth));
    const uint64_t mapBytes = mapType ? static_cast<uint64_t>(mapLength) * StoredBytes(mapEntryBits) : 0;
    const uint64_t least = mapBytes + (packed ? (px + 127) / 128 * (1 + bytes) : px * bytes);
    if (BytesLeft(hFile) < least) return Fail(kCorrupted);

    if (!Create(width, height, static_cast<DWORD>(depth), PIXFORMAT_TGA)) return Fail("TGA Create failed");
    if (depth == 32) {
        AlphaCreate();
        if (!AlphaIsValid()) return Fail("TGA Create failed");
    }
    if (info.escape) return Fail("Cancelled");

    if (mapType) {
        std::vector<BYTE> map(static_cast<size_t>(mapBytes));
        if (!ReadExact(hFile, map.data(), map.size())) return Fail(kCorrupted);
        const int entry = StoredBytes(mapEntryBits);
        for (uint32_t i = 0; i < mapLength && mapFirst + i < 256; ++i) {
            RGBQUAD c = StoredColour(map.data() + static_cast<size_t>(i) * entry, mapEntryBits);
            c.rgbReserved = 0;
            SetPaletteColor(static_cast<BYTE>(mapFirst + i), c);
        }
    }
    if (kind == 3) SetGrayPalette();

    const bool topDown = (descriptor & 0x20) != 0;
    Packet packet;
    for (DWORD y = 0; y < height; ++y) {
        if (info.escape) return Fail("Cancelled");
        const DWORD row = topDown ? height - 1 - y : y;
        const bool ok = packed ? ReadPackedRow(hFile, row, packet) : ReadPixels(hFile, row, 0, width);
        if (!ok) return Fail(kCorrupted);
    }
    if ((descriptor & 0x10) && !Mirror()) return Fail("TGA Create failed");
    return true;
}

void CPixImageTGA::PutPixel(DWORD x, DWORD y, const BYTE* stored) {
    BYTE* row = GetBits(y);
    if (m_depth == 8) {
        row[x] = stored[0];
        return;
    }
    const RGBQUAD c = StoredColour(stored, m_depth);
    BYTE* p = row + static_cast<size_t>(x) * 3;
    p[0] = c.rgbBlue;
    p[1] = c.rgbGreen;
    p[2] = c.rgbRed;
    if (m_depth == 32) AlphaSet(static_cast<long>(x), static_cast<long>(y), c.rgbReserved);
}

bool CPixImageTGA::ReadPixels(CPixFile* hFile, DWORD y, DWORD x, DWORD count) {
    const size_t bytes = static_cast<size_t>(StoredBytes(m_depth));
    std::vector<BYTE> buf(count * bytes);
    if (!ReadExact(hFile, buf.data(), buf.size())) return false;
    for (DWORD i = 0; i < count; ++i)
        PutPixel(x + i, y, buf.data() + i * bytes);
    return true;
}

bool CPixImageTGA::ReadPackedRow(CPixFile* hFile, DWORD y, Packet& packet) {
    const DWORD width = GetWidth();
    DWORD x = 0;
    while (x < width) {
        if (packet.left == 0) {
            const long p = hFile->GetC();
            if (p < 0) return false;
            packet.run = p >= 128;
            packet.left = packet.run ? static_cast<uint32_t>(p - 127) : static_cast<uint32_t>(p + 1);
            if (packet.run && !ReadExact(hFile, packet.value, static_cast<size_t>(StoredBytes(m_depth))))
                return false;
        }
        const DWORD n = packet.left < width - x ? packet.left : width - x;
        if (packet.run) {
            for (DWORD i = 0; i < n; ++i)
                PutPixel(x + i, y, packet.value);
        } else if (!ReadPixels(hFile, y, x, n)) {
            return false;
        }
        packet.left -= n;
        x += n;
    }
    return true;
}

bool CPixImageTGA::Encode(CPixFile* hFile) {
    if (EncodeSafeCheck(hFile)) return false;
    const WORD bpp = GetBpp();
    if (bpp < 8) return Fail("Bit depth must be 8 or 24");
    const bool withAlpha = bpp == 24 && AlphaIsValid();
    const DWORD width = GetWidth(), height = GetHeight();

    ByteOut out;
    out.U8(0);
    out.U8(bpp == 8 ? 1 : 0);
    out.U8(bpp == 8 ? 1 : 2);
    out.Le16(0);
    out.Le16(bpp == 8 ? 256 : 0);
    out.U8(bpp == 8 ? 24 : 0);
    out.Le16(0);
    out.Le16(0);
    out.Le16(width);
    out.Le16(height);
    out.U8(withAlpha ? 32 : bpp);
    out.U8(withAlpha ? 8 : 0); // bottom-up, left to right; 8 alpha bits when they are there
    if (bpp == 8) {
        for (DWORD i = 0; i < 256; ++i) {
            const RGBQUAD c = GetPaletteColor(static_cast<BYTE>(i));
            out.U8(c.rgbBlue);
            out.U8(c.rgbGreen);
            out.U8(c.rgbRed);
        }
    }
    const size_t rowBytes = static_cast<size_t>(width) * (bpp / 8);
    for (DWORD y = 0; y < height; ++y) {
        if (!withAlpha) {
            out.Put(GetBits(y), rowBytes);
            continue;
        }
        for (DWORD x = 0; x < width; ++x) {
            const RGBQUAD c = GetPixelColor(static_cast<long>(x), static_cast<long>(y));
            out.U8(c.rgbBlue);
            out.U8(c.rgbGreen);
            out.U8(c.rgbRed);
            out.U8(AlphaGet(static_cast<long>(x), static_cast<long>(y)) * info.alphaMax / 255);
        }
    }
    if (!out.WriteTo(hFile)) return Fail("Write error");
    return EncodeFlushed(hFile);
}
