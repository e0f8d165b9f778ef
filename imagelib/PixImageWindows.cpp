// The image as Windows handles: bitmaps, and packed DIBs in global memory.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <vector>

#include "imagelib/PixImage.h"
#include "imagelib/PixMemFile.h"
#include "imagelib/codecs/PixImageBMP.h"
#include "platform/gdi/Gdi.h"

namespace {

// A work image that can expand run-length rows the way the bitmap codec does.
class DibWorkImage : public CPixImageBMP {
public:
    using CPixImageBMP::ExpandRle;
};

// Little-endian reads inside a block; callers check the block is long enough first.
uint16_t Le16(const BYTE* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Le32(const BYTE* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

// Pixels per metre as dots per inch; 96 when unknown.
long DpiOf(int32_t ppm) { return ppm <= 0 ? 96 : static_cast<long>(std::floor(ppm * 0.0254 + 0.5)); }

// Rows as Bitfield2RGB reads them (bottom row first), from a block that may be top-down.
std::vector<BYTE> BottomUpRows(const BYTE* p, size_t stride, long height, bool topDown)
{
    std::vector<BYTE> rows(p, p + stride * static_cast<size_t>(height));
    if (topDown)
        for (long y = 0; y < height / 2; ++y)
            std::swap_ranges(rows.begin() + static_cast<ptrdiff_t>(stride * y), rows.begin() + static_cast<ptrdiff_t>(stride * (y + 1)),
                             rows.begin() + static_cast<ptrdiff_t>(stride * (height - 1 - y)));
    return rows;
}

} // namespace

HBITMAP CPixImage::MakeBitmap(HDC hdc)
{
    if (!dib)
        return nullptr;
    BITMAPINFO bmi{};
    bmi.bmiHeader = header;
    std::copy(GetPalette(), GetPalette() + std::min<DWORD>(header.biClrUsed, 256), bmi.bmiColors);
    if (hdc)
        return CreateDIBitmap(hdc, &bmi.bmiHeader, CBM_INIT, info.bits, &bmi, DIB_RGB_COLORS);
    HDC mem = CreateCompatibleDC(nullptr);
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(mem, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bmp)
        std::memcpy(bits, info.bits, header.biSizeImage);
    DeleteDC(mem);
    return bmp;
}

HANDLE CPixImage::CopyToHandle()
{
    if (!dib)
        return nullptr;
    HGLOBAL mem = GlobalAlloc(GHND, static_cast<size_t>(GetSize()));
    if (!mem)
        return nullptr;
    void* p = GlobalLock(mem);
    if (!p) {
        GlobalFree(mem);
        return nullptr;
    }
    std::memcpy(p, dib, static_cast<size_t>(GetSize()));
    GlobalUnlock(mem);
    return mem;
}

bool CPixImage::CreateFromHBITMAP(HBITMAP hbmp, HPALETTE)
{
    if (info.ghostOf || !hbmp)
        return false;
    BITMAP bm;
    if (GetObject(hbmp, sizeof bm, &bm) != static_cast<int>(sizeof bm))
        return false;
    CPixImage work;
    work.info = info;
    work.info.numLayers = 0;
    if (!work.Create(static_cast<DWORD>(bm.bmWidth), static_cast<DWORD>(bm.bmHeight), bm.bmBitsPixel, 0)) {
        SetLastError(work.GetLastError());
        return false;
    }
    BITMAPINFO bmi{};
    bmi.bmiHeader = work.header;
    if (GetDIBits(nullptr, hbmp, 0, static_cast<UINT>(bm.bmHeight), work.info.bits, &bmi, DIB_RGB_COLORS) != bm.bmHeight) {
        // A bitmap that cannot be read leaves no picture behind, not a black one.
        Destroy();
        SetLastError("GetDIBits failed");
        return false;
    }
    if (work.header.biClrUsed)
        work.SetPalette(bmi.bmiColors, work.header.biClrUsed);
    return Transfer(work);
}

bool CPixImage::CreateFromHANDLE(HANDLE hMem)
{
    if (info.ghostOf || !hMem)
        return false;
    const size_t size = GlobalSize(hMem);
    const BYTE* p = static_cast<const BYTE*>(GlobalLock(hMem));
    if (!p || size == 0)
        return false;
    struct Unlock {
        HANDLE h;
        ~Unlock() { GlobalUnlock(h); }
    } unlock{hMem};
    auto fail = [this](const char* text) {
        SetLastError(text);
        return false;
    };

    // The header: a 12-byte core one, or 40 bytes and its later, longer versions.
    if (size < 4)
        return fail("DIB block too short");
    const uint32_t headerSize = Le32(p);
    const bool core = headerSize == 12;
    if (!core && headerSize != 40 && headerSize != 52 && headerSize != 56 && headerSize != 108 && headerSize != 124)
        return fail("unknown DIB header");
    if (size < headerSize)
        return fail("DIB block too short");
    int64_t width, height;
    uint32_t bits, compression = BI_RGB, clrUsed = 0;
    int32_t xppm = 0, yppm = 0;
    if (core) {
        width = Le16(p + 4);
        height = Le16(p + 6);
        bits = Le16(p + 10);
    } else {
        width = static_cast<int32_t>(Le32(p + 4));
        height = static_cast<int32_t>(Le32(p + 8));
        bits = Le16(p + 14);
        compression = Le32(p + 16);
        xppm = static_cast<int32_t>(Le32(p + 24));
        yppm = static_cast<int32_t>(Le32(p + 28));
        clrUsed = Le32(p + 32);
    }
    const bool topDown = height < 0;
    height = std::llabs(height);
    if (width <= 0 || height == 0)
        return fail("bad DIB size");
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return false;
    // Bit fields have their own rules below; run lengths only fit their own depth.
    const bool bitfields = bits == 16 || bits == 32;
    const bool rle = !bitfields && (compression == BI_RLE8 || compression == BI_RLE4);
    if (rle && (topDown || bits != (compression == BI_RLE8 ? 8u : 4u)))
        return fail("compression type not supported");
    if (bits == 32 && compression != BI_RGB && compression != BI_BITFIELDS)
        return fail("unknown compression");

    // Masks follow a 40-byte header; longer headers hold them.
    uint64_t tableAt = headerSize;
    uint32_t masks[3] = {0x7C00, 0x3E0, 0x1F};
    if (compression == BI_BITFIELDS && !core) {
        const uint64_t at = 40;
        if (headerSize == 40)
            tableAt += 12;
        if (size < at + 12)
            return fail("DIB block too short");
        for (int i = 0; i < 3; ++i)
            masks[i] = Le32(p + at + 4 * i);
    }
    const uint64_t maxEntries = bits <= 8 ? (uint64_t{1} << bits) : 0;
    const uint64_t entries = bits <= 8 ? std::min<uint64_t>(clrUsed ? clrUsed : maxEntries, maxEntries) : clrUsed;
    const uint64_t entrySize = core ? 3 : 4;
    const uint64_t pixelsAt = tableAt + entries * entrySize;
    if (pixelsAt > size)
        return fail("DIB block too short");

    DibWorkImage work;
    work.info = info;
    work.info.numLayers = 0;
    if (!work.Create(static_cast<DWORD>(width), static_cast<DWORD>(height), bits, 0)) {
        SetLastError(work.GetLastError());
        return false;
    }
    work.SetXDPI(DpiOf(xppm));
    work.SetYDPI(DpiOf(yppm));
    for (uint64_t i = 0; i < std::min(entries, maxEntries); ++i) {
        const BYTE* e = p + tableAt + i * entrySize;
        work.SetPaletteColor(static_cast<BYTE>(i), e[2], e[1], e[0], 0);
    }

    const BYTE* px = p + pixelsAt;
    const uint64_t avail = size - pixelsAt;
    const auto rowsFit = [&](uint64_t stride) { return stride * static_cast<uint64_t>(height) <= avail; };
    if (bitfields) {
        // 16 bits without BI_BITFIELDS, whatever the compression field says, are 5-5-5.
        const uint64_t stride = bits == 16 ? ((static_cast<uint64_t>(width) + 1) / 2) * 4 : static_cast<uint64_t>(width) * 4;
        if (!rowsFit(stride))
            return fail("DIB block too short");
        std::vector<BYTE> rows = BottomUpRows(px, static_cast<size_t>(stride), static_cast<long>(height), topDown);
        work.Bitfield2RGB(rows.data(), static_cast<WORD>(masks[0]), static_cast<WORD>(masks[1]), static_cast<WORD>(masks[2]),
                          static_cast<BYTE>(bits));
    } else if (rle) {
        CPixMemFile stream(const_cast<BYTE*>(px), static_cast<DWORD>(std::min<uint64_t>(avail, UINT32_MAX)));
        work.ExpandRle(&stream, static_cast<int>(bits));
    } else if (compression == BI_RGB) {
        const uint64_t stride = work.GetEffWidth();
        if (!rowsFit(stride))
            return fail("DIB block too short");
        for (int64_t y = 0; y < height; ++y)
            std::memcpy(work.GetBits(static_cast<DWORD>(topDown ? height - 1 - y : y)), px + stride * static_cast<uint64_t>(y),
                        static_cast<size_t>(stride));
    } else {
        return fail("compression type not supported");
    }
    return Transfer(work);
}

bool CPixImage::CreateFromHICON(HICON hicon)
{
    ICONINFO ii;
    if (info.ghostOf || !hicon || !GetIconInfo(hicon, &ii))
        return false;
    CPixImage work, mask;
    work.info = info;
    work.info.numLayers = 0;
    const bool ok = work.CreateFromHBITMAP(ii.hbmColor) && mask.CreateFromHBITMAP(ii.hbmMask);
    DeleteObject(ii.hbmColor);
    DeleteObject(ii.hbmMask);
    if (!ok) {
        SetLastError(work.GetLastError());
        return false;
    }
    // The mask's set (white) pixels are transparent: alpha is the negative of its grey level.
    CPixImage level;
    if (level.Create(mask.GetWidth(), mask.GetHeight(), 8, 0)) {
        level.SetGrayPalette();
        for (DWORD y = 0; y < mask.GetHeight(); ++y) {
            BYTE* row = level.GetBits(y);
            for (DWORD x = 0; x < mask.GetWidth(); ++x)
                row[x] = static_cast<BYTE>(255 - mask.GetPixelGray(static_cast<long>(x), static_cast<long>(y)));
        }
        work.AlphaSet(level);
    }
    return Transfer(work);
}
