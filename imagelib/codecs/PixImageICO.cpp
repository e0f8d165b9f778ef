#include "imagelib/codecs/PixImageICO.h"

#include <algorithm>
#include <new>

#include "imagelib/PixMemFile.h"
#include "imagelib/codecs/CodecBytes.h"
#include "imagelib/codecs/PixImagePNG.h"

using namespace codecbytes;

namespace {

const char kCorrupted[] = "corrupted ICO";
constexpr uint32_t kEntryBytes = 16;

uint64_t MaskRowBytes(uint64_t width) { return (width + 31) / 32 * 4; }

} // namespace

bool CPixImageICO::Fail(const char* text) {
    SetLastError(text);
    return false;
}

bool CPixImageICO::DecodePng(CPixFile* hFile, uint32_t size) {
    std::vector<BYTE> data;
    try {
        data.resize(std::min<uint64_t>(size, BytesLeft(hFile)));
    } catch (const std::bad_alloc&) {
        return Fail("CPixImage::Create can't allocate memory");
    }
    if (!ReadExact(hFile, data.data(), data.size())) return Fail(kCorrupted);
    CPixImagePNG png;
    png.SetEscape(info.escape);
    CPixMemFile mem(data.data(), static_cast<DWORD>(data.size()));
    if (!png.Decode(&mem)) return Fail(png.GetLastError());
    const int32_t frames = info.numFrames;
    Transfer(png);
    info.type = PIXFORMAT_ICO;
    info.numFrames = frames;
    return true;
}

bool CPixImageICO::Decode(CPixFile* hFile) {
    if (!hFile) return false;
    ResetTransparency();
    const long start = hFile->Tell();
    BYTE dir[6];
    if (!ReadExact(hFile, dir, sizeof(dir))) return false;
    const uint32_t type = Le16(dir + 2), count = Le16(dir + 4);
    if (Le16(dir) != 0 || (type != 1 && type != 2)) return false;
    info.numFrames = static_cast<int32_t>(count);
    std::vector<BYTE> entries(static_cast<size_t>(count) * kEntryBytes);
    if (!ReadExact(hFile, entries.data(), entries.size())) return false;
    if (info.frame < 0 || static_cast<uint32_t>(info.frame) >= count) return false;

    const BYTE* e = entries.data() + static_cast<size_t>(info.frame) * kEntryBytes;
    // A size byte of 0 stands for 256.
    const DWORD width = e[0] ? e[0] : 256, height = e[1] ? e[1] : 256;
    const uint32_t bytes = Le32(e + 8), offset = Le32(e + 12);
    if (!hFile->Seek(static_cast<long>(start + static_cast<int64_t>(offset)), 0) ||
        hFile->Tell() != start + static_cast<int64_t>(offset))
        return Fail(kCorrupted);

    BYTE bih[40];
    if (!ReadExact(hFile, bih, 8)) return Fail(kCorrupted);
    static const BYTE pngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (std::equal(bih, bih + 8, pngSignature)) {
        hFile->Seek(-8, 1);
        return DecodePng(hFile, bytes);
    }
    if (!ReadExact(hFile, bih + 8, 32)) return Fail(kCorrupted);
    const WORD bitCount = Le16(bih + 14);
    const uint32_t clrUsed = Le32(bih + 32);
    if (Le32(bih) != 40 || Le32(bih + 16) != BI_RGB ||
        (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24 && bitCount != 32))
        return Fail(kCorrupted);

    const uint32_t tableSize = bitCount <= 8 ? 1u << bitCount : 0;
    const uint32_t colors = (clrUsed >= 1 && clrUsed <= tableSize) ? clrUsed : tableSize;
    const uint64_t rowBytes = bitCount == 32 ? uint64_t{width} * 4 : (uint64_t{width} * bitCount + 31) / 32 * 4;
    if (BytesLeft(hFile) < uint64_t{colors} * 4 + rowBytes * height) return Fail(kCorrupted);
    if (!Create(width, height, bitCount, PIXFORMAT_ICO)) return false;
    if (info.escape) return Fail("Cancelled");

    std::vector<BYTE> pal(static_cast<size_t>(colors) * 4);
    if (!ReadExact(hFile, pal.data(), pal.size())) return Fail(kCorrupted);
    for (uint32_t i = 0; i < colors; ++i)
        SetPaletteColor(static_cast<BYTE>(i), pal[i * 4 + 2], pal[i * 4 + 1], pal[i * 4]);

    if (bitCount == 32) {
        AlphaCreate();
        if (!AlphaIsValid()) return Fail("CPixImage::Create can't allocate memory");
        std::vector<BYTE> row(static_cast<size_t>(rowBytes));
        for (DWORD y = 0; y < height; ++y) {
            if (!ReadExact(hFile, row.data(), row.size())) return Fail(kCorrupted);
            BYTE* dst = GetBits(y);
            for (DWORD x = 0; x < width; ++x) {
                std::copy(&row[x * 4], &row[x * 4] + 3, dst + static_cast<size_t>(x) * 3);
                AlphaSet(static_cast<long>(x), static_cast<long>(y), row[x * 4 + 3]);
            }
        }
        // Alpha all zero is no alpha at all: the mask says what shows.
        const BYTE* a = AlphaGetPointer();
        if (std::all_of(a, a + PlaneSize(), [](BYTE v) { return v == 0; })) AlphaSet(255);
    } else if (!ReadExact(hFile, GetBits(), header.biSizeImage)) {
        return Fail(kCorrupted);
    }

    // A mask that is missing or cut short is not used: the picture stays as its colours say.
    std::vector<BYTE> mask(static_cast<size_t>(MaskRowBytes(width) * height));
    if (hFile->Read(mask.data(), 1, mask.size()) != mask.size()) return true;
    ApplyMask(mask, bitCount, bitCount == 32);
    return true;
}

void CPixImageICO::ApplyMask(const std::vector<BYTE>& mask, WORD bitCount, bool hadAlpha) {
    const long width = static_cast<long>(GetWidth()), height = static_cast<long>(GetHeight());
    // An all-set mask marks an inverting icon, but not in a 32-bit entry: its colours are blended
    // by its own alpha rather than XORed onto the screen, so inverting them would spoil the picture.
    if (bitCount != 32 && std::all_of(mask.begin(), mask.end(), [](BYTE b) { return b == 255; })) {
        info.transIndex = 0;
        Negative();
        return;
    }
    const size_t maskRow = static_cast<size_t>(MaskRowBytes(static_cast<uint64_t>(width)));
    auto masked = [&](long x, long y) {
        return (mask[static_cast<size_t>(y) * maskRow + static_cast<size_t>(x) / 8] & (0x80 >> (x % 8))) != 0;
    };
    AlphaCreate();
    bool any = false;
    for (long y = 0; y < height; ++y)
        for (long x = 0; x < width; ++x)
            if (masked(x, y)) {
                AlphaSet(x, y, 0);
                any = true;
            }
    if (!any) {
        if (!hadAlpha) AlphaDelete();
        return;
    }
    if (bitCount == 24) {
        bool one = true;
        RGBQUAD colour{};
        bool seen = false;
        for (long y = 0; y < height && one; ++y)
            for (long x = 0; x < width && one; ++x) {
                if (!masked(x, y)) continue;
                const RGBQUAD c = GetPixelColor(x, y, false);
                if (seen && (c.rgbRed != colour.rgbRed || c.rgbGreen != colour.rgbGreen || c.rgbBlue != colour.rgbBlue))
                    one = false;
                colour = c;
                seen = true;
            }
        if (one) {
            colour.rgbReserved = 0;
            info.transColor = colour;
            info.transIndex = 0;
            AlphaDelete();
        }
    } else if (bitCount <= 8) {
        std::vector<bool> used(256, false);
        for (long y = 0; y < height; ++y)
            for (long x = 0; x < width; ++x)
                if (!masked(x, y)) used[GetPixelIndex(x, y)] = true;
        for (DWORD i = 0; i < GetNumColors(); ++i) {
            if (used[i]) continue;
            for (long y = 0; y < height; ++y)
                for (long x = 0; x < width; ++x)
                    if (masked(x, y)) SetPixelIndex(x, y, static_cast<BYTE>(i));
            info.transIndex = static_cast<int32_t>(i);
            AlphaDelete();
            break;
        }
    }
}

bool CPixImageICO::Encode(CPixFile* hFile) {
    if (EncodeSafeCheck(hFile)) return false;
    const DWORD width = GetWidth(), height = GetHeight();
    if (width > 255 || height > 255) return Fail("Can't save this image as icon");
    const bool rgba = AlphaIsValid() && !IsIndexed();
    const WORD bitCount = rgba ? 32 : GetBpp();
    const DWORD pixelBytes = rgba ? width * height * 4 : header.biSizeImage;
    const DWORD palBytes = GetPaletteSize();
    const DWORD maskRow = static_cast<DWORD>(MaskRowBytes(width));
    const DWORD maskBytes = maskRow * height;

    ByteOut out;
    out.Le16(0);
    out.Le16(1);
    out.Le16(1);
    out.U8(width);
    out.U8(height);
    out.U8(GetNumColors() & 0xFF);
    out.U8(0);
    out.Le16(0);
    out.Le16(bitCount);
    out.Le32(pixelBytes + palBytes + 40 + maskBytes);
    out.Le32(22);

    out.Le32(40);
    out.Le32(width);
    out.Le32(height * 2);
    out.Le16(1);
    out.Le16(bitCount);
    out.Le32(BI_RGB);
    out.Le32(pixelBytes);
    for (int i = 0; i < 4; ++i)
        out.Le32(0);
    if (palBytes) out.Put(GetPalette(), palBytes);

    if (rgba) {
        for (DWORD y = 0; y < height; ++y) {
            const BYTE* row = GetBits(y);
            for (DWORD x = 0; x < width; ++x) {
                out.Put(row + static_cast<size_t>(x) * 3, 3);
                out.U8(AlphaGet(static_cast<long>(x), static_cast<long>(y)));
            }
        }
    } else {
        out.Put(GetBits(), pixelBytes);
    }

    const bool paletteAlpha = AlphaPaletteIsEnabled() && IsIndexed();
    const bool transparent = info.transIndex != -1;
    const RGBQUAD trans = GetTransColor();
    std::vector<BYTE> mask(maskBytes, 0);
    for (long y = 0; y < static_cast<long>(height); ++y) {
        for (long x = 0; x < static_cast<long>(width); ++x) {
            const RGBQUAD c = GetPixelColor(x, y, false);
            const bool clear = (AlphaIsValid() && AlphaGet(x, y) == 0) ||
                               (paletteAlpha && GetPaletteColor(GetPixelIndex(x, y)).rgbReserved == 0) ||
                               (transparent && c.rgbRed == trans.rgbRed && c.rgbGreen == trans.rgbGreen &&
                                c.rgbBlue == trans.rgbBlue);
            if (clear) mask[static_cast<size_t>(y) * maskRow + static_cast<size_t>(x) / 8] |= static_cast<BYTE>(0x80 >> (x % 8));
        }
    }
    out.Put(mask.data(), mask.size());
    if (!out.WriteTo(hFile)) return Fail("Write error");
    return EncodeFlushed(hFile);
}
