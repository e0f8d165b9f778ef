// Image object: construction, creation, copying, moving, ghosts, destruction and the info accessors.
#include "imagelib/PixImage.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "imagelib/PixBitfieldChannel.h"
#include "imagelib/codecs/CodecBytes.h"

namespace {

void ZeroHeader(BITMAPINFOHEADER& h)
{
    h.biSize = 0;
    h.biWidth = 0;
    h.biHeight = 0;
    h.biPlanes = 0;
    h.biBitCount = 0;
    h.biCompression = 0;
    h.biSizeImage = 0;
    h.biXPelsPerMeter = 0;
    h.biYPelsPerMeter = 0;
    h.biClrUsed = 0;
    h.biClrImportant = 0;
}

// Beyond this a resolution in pixels per metre no longer fits the 32-bit header field.
constexpr long kMaxDpi = 50000000;

// 96 for a resolution below 1, at most kMaxDpi.
long ValidDpi(long dpi)
{
    return dpi < 1 ? 96 : std::min(dpi, kMaxDpi);
}

LONG DpiToPelsPerMeter(long dpi)
{
    return static_cast<LONG>(std::floor(static_cast<double>(dpi) * 39.37007874015748 + 0.5));
}

} // namespace

CPixImage::CPixImage(DWORD imagetype) { Startup(imagetype); }

CPixImage::CPixImage(DWORD width, DWORD height, DWORD bpp, DWORD imagetype)
{
    Startup(imagetype);
    Create(width, height, bpp, imagetype);
}

CPixImage::CPixImage(const CPixImage& src, bool copypixels, bool copyselection, bool copyalpha)
{
    Startup(src.GetType());
    Copy(src, copypixels, copyselection, copyalpha);
}

CPixImage::CPixImage(const char* filename, DWORD imagetype)
{
    Startup(imagetype);
    Load(filename, imagetype);
}

CPixImage::CPixImage(FILE* stream, DWORD imagetype)
{
    Startup(imagetype);
    Decode(stream, imagetype);
}

CPixImage::CPixImage(CPixFile* stream, DWORD imagetype)
{
    Startup(imagetype);
    Decode(stream, imagetype);
}

CPixImage::CPixImage(BYTE* buffer, DWORD size, DWORD imagetype)
{
    Startup(imagetype);
    Decode(buffer, size, imagetype);
}

CPixImage::~CPixImage() { Destroy(); }

CPixImage& CPixImage::operator=(const CPixImage& src)
{
    if (this != &src)
        Copy(src, true, true, true);
    return *this;
}

void CPixImage::Startup(DWORD imagetype)
{
    dib = nullptr;
    selection = nullptr;
    alpha = nullptr;
    layers = nullptr;
    ZeroHeader(header);
    info = PixInfo{};
    info.type = imagetype;
    info.jpegQuality = 90;
    info.alphaMax = 255;
    info.transIndex = -1;
    info.enabled = true;
    SetXDPI(96);
    SetYDPI(96);
}

void CPixImage::ResetTransparency()
{
    info.transIndex = -1;
    info.transColor = RGBQUAD{};
    info.alphaPaletteEnabled = false;
}

void CPixImage::SetLastError(const char* text)
{
    codecbytes::CopyText(info.lastError, text);
}

void* CPixImage::Create(DWORD dwWidth, DWORD dwHeight, DWORD wBpp, DWORD imagetype)
{
    if (!Destroy())
        return nullptr;

    if (dwWidth == 0 || dwHeight == 0) {
        SetLastError("CPixImage::Create : width and height must be greater than zero");
        return nullptr;
    }

    if (wBpp <= 1)
        wBpp = 1;
    else if (wBpp <= 4)
        wBpp = 4;
    else if (wBpp <= 8)
        wBpp = 8;
    else
        wBpp = 24;

    // Rows, pixel block and DIB size in 64 bits: the cap is tested before anything is allocated.
    uint64_t effWidth = ((static_cast<uint64_t>(dwWidth) * wBpp + 31) >> 5) << 2;
    uint64_t sizeImage = effWidth * dwHeight;
    if (dwWidth > PIXIMAGE_MAX_SIDE || dwHeight > PIXIMAGE_MAX_SIDE || sizeImage > PIXIMAGE_MAX_PIXEL_BYTES) {
        SetLastError("PIXIMAGE_MAX_MEMORY exceeded");
        return nullptr;
    }

    switch (wBpp) {
    case 1: header.biClrUsed = 2; break;
    case 4: header.biClrUsed = 16; break;
    case 8: header.biClrUsed = 256; break;
    default: header.biClrUsed = 0; break;
    }
    info.type = imagetype;
    info.effWidth = static_cast<DWORD>(effWidth);

    header.biSize = 40;
    header.biWidth = static_cast<LONG>(dwWidth);
    header.biHeight = static_cast<LONG>(dwHeight);
    header.biPlanes = 1;
    header.biBitCount = static_cast<WORD>(wBpp);
    header.biCompression = BI_RGB;
    header.biSizeImage = static_cast<DWORD>(sizeImage);
    header.biClrImportant = 0;

    dib = std::calloc(1, static_cast<size_t>(GetSize()));
    if (!dib) {
        SetLastError("CPixImage::Create can't allocate memory");
        return nullptr;
    }

    StoreHeader();
    info.bits = GetBits(0);
    return dib;
}

void CPixImage::StoreHeader()
{
    if (!dib)
        return;
    BYTE* p = static_cast<BYTE*>(dib);
    codecbytes::PutLe32(p, header.biSize);
    codecbytes::PutLe32(p + 4, static_cast<uint32_t>(header.biWidth));
    codecbytes::PutLe32(p + 8, static_cast<uint32_t>(header.biHeight));
    codecbytes::PutLe16(p + 12, header.biPlanes);
    codecbytes::PutLe16(p + 14, header.biBitCount);
    codecbytes::PutLe32(p + 16, header.biCompression);
    codecbytes::PutLe32(p + 20, header.biSizeImage);
    codecbytes::PutLe32(p + 24, static_cast<uint32_t>(header.biXPelsPerMeter));
    codecbytes::PutLe32(p + 28, static_cast<uint32_t>(header.biYPelsPerMeter));
    codecbytes::PutLe32(p + 32, header.biClrUsed);
    codecbytes::PutLe32(p + 36, header.biClrImportant);
}

bool CPixImage::Destroy()
{
    if (info.ghostOf)
        return false;
    if (layers) {
        for (int32_t i = 0; i < info.numLayers; ++i)
            delete layers[i];
        std::free(layers);
        layers = nullptr;
        info.numLayers = 0;
    }
    std::free(selection);
    selection = nullptr;
    std::free(alpha);
    alpha = nullptr;
    std::free(dib);
    dib = nullptr;
    return true;
}

void CPixImage::Clear(BYTE bval)
{
    if (!dib)
        return;
    if (header.biBitCount == 1 && bval != 0)
        bval = 255;
    if (header.biBitCount == 4)
        bval = static_cast<BYTE>((bval & 15) * 17);
    std::memset(info.bits, bval, header.biSizeImage);
}

BYTE* CPixImage::GetBits(DWORD row)
{
    if (!dib)
        return nullptr;
    BYTE* start = static_cast<BYTE*>(dib) + header.biSize + GetPaletteSize();
    if (row == 0)
        return start;
    if (row < static_cast<DWORD>(header.biHeight))
        return start + static_cast<size_t>(row) * info.effWidth;
    return nullptr;
}

int64_t CPixImage::GetSize() const
{
    return static_cast<int64_t>(header.biSize) + static_cast<int64_t>(header.biClrUsed) * 4 +
           static_cast<int64_t>(header.biSizeImage);
}

bool CPixImage::IsInside(long x, long y) const
{
    return y >= 0 && y < header.biHeight && x >= 0 && x < header.biWidth;
}

void CPixImage::FreeMemory(void* memblock) { std::free(memblock); }

int CPixImage::CompareColors(const void* elem1, const void* elem2)
{
    const RGBQUAD* c1 = static_cast<const RGBQUAD*>(elem1);
    const RGBQUAD* c2 = static_cast<const RGBQUAD*>(elem2);
    int g1 = (306 * c1->rgbRed + 601 * c1->rgbGreen + 117 * c1->rgbBlue) >> 10;
    int g2 = (306 * c2->rgbRed + 601 * c2->rgbGreen + 117 * c2->rgbBlue) >> 10;
    return g1 - g2;
}

const char* CPixImage::GetVersion() { return "CPixImage 1.0.0"; }

float CPixImage::GetVersionNumber() { return 1.0f; }

void CPixImage::CopyInfo(const CPixImage& src)
{
    if (dib || &src == this)
        return;
    // The ghost link and the layer count describe this object's own storage, not the picture.
    CPixImage* ghostOf = info.ghostOf;
    int32_t numLayers = info.numLayers;
    info = src.info;
    info.ghostOf = ghostOf;
    info.numLayers = numLayers;
    info.bits = nullptr;
    info.effWidth = 0;
}

bool CPixImage::NewLike(CPixImage& out, DWORD width, DWORD height)
{
    out.CopyInfo(*this);
    if (!out.Create(width, height, GetBpp(), GetType())) {
        SetLastError(out.GetLastError());
        return false;
    }
    out.SetPalette(GetPalette(), 256);
    return true;
}

void CPixImage::Copy(const CPixImage& src, bool copypixels, bool copyselection, bool copyalpha)
{
    if (&src == this)
        return;
    // A ghost cannot take a copy: it owns nothing and must not start freeing its owner's blocks.
    if (info.ghostOf)
        return;
    int32_t numLayers = info.numLayers;
    info = src.info;
    info.ghostOf = nullptr;
    info.numLayers = numLayers;
    header.biXPelsPerMeter = src.header.biXPelsPerMeter;
    header.biYPelsPerMeter = src.header.biYPelsPerMeter;

    if (!src.dib) {
        Destroy();
        header = src.header;
        info.bits = nullptr;
        info.effWidth = 0;
        return;
    }
    if (!Create(src.GetWidth(), src.GetHeight(), src.GetBpp(), src.GetType()))
        return;

    if (copypixels) {
        std::memcpy(dib, src.dib, static_cast<size_t>(GetSize()));
    } else {
        SetPalette(src.GetPalette(), 256);
    }

    size_t plane = PlaneSize();
    if (copyselection && src.selection) {
        selection = static_cast<BYTE*>(std::malloc(plane));
        if (selection)
            std::memcpy(selection, src.selection, plane);
    }
    if (copyalpha && src.alpha) {
        alpha = static_cast<BYTE*>(std::malloc(plane));
        if (alpha)
            std::memcpy(alpha, src.alpha, plane);
    }
}

bool CPixImage::Transfer(CPixImage& from)
{
    if (&from == this)
        return true;
    // A ghost of this image only shares its blocks: nothing moves, from just lets go of them.
    if (from.info.ghostOf != this) {
        if (!Destroy())
            return false;
        header = from.header;
        info = from.info;
        dib = from.dib;
        selection = from.selection;
        alpha = from.alpha;
        layers = from.layers;
    }
    ZeroHeader(from.header);
    from.info = PixInfo{};
    from.dib = nullptr;
    from.selection = nullptr;
    from.alpha = nullptr;
    from.layers = nullptr;
    return true;
}

void CPixImage::Ghost(const CPixImage* from)
{
    if (!from || from == this)
        return;
    Destroy(); // whatever this object owned would otherwise be lost
    header = from->header;
    info = from->info;
    dib = from->dib;
    selection = from->selection;
    alpha = from->alpha;
    layers = from->layers;
    info.ghostOf = const_cast<CPixImage*>(from);
}

namespace {
// CreateFromArray and CreateFromMatrix: creates the image and copies the rows rowAt(y) gives,
// the first row to the top when flipped; a null row is left blank. 32-bit rows fill the pixels
// and the alpha plane.
template <class RowAt>
bool CreateFromRows(CPixImage& img, RowAt rowAt, DWORD dwWidth, DWORD dwHeight, DWORD dwBitsperpixel,
                    DWORD dwBytesperline, bool bFlipImage)
{
    if (dwBitsperpixel != 1 && dwBitsperpixel != 4 && dwBitsperpixel != 8 && dwBitsperpixel != 24 &&
        dwBitsperpixel != 32)
        return false;
    if (!img.Create(dwWidth, dwHeight, dwBitsperpixel, 0))
        return false;
    if (dwBitsperpixel < 24)
        img.SetGrayPalette();
    if (dwBitsperpixel == 32)
        img.AlphaCreate();

    const DWORD effWidth = img.GetEffWidth();
    for (DWORD y = 0; y < dwHeight; ++y) {
        const BYTE* src = rowAt(y);
        if (!src)
            continue;
        DWORD dsty = bFlipImage ? dwHeight - 1 - y : y;
        BYTE* dst = img.GetBits(dsty);
        if (dwBitsperpixel == 32) {
            for (DWORD x = 0; x < dwWidth; ++x) {
                dst[3 * x] = src[4 * x];
                dst[3 * x + 1] = src[4 * x + 1];
                dst[3 * x + 2] = src[4 * x + 2];
                img.AlphaSet(static_cast<long>(x), static_cast<long>(dsty), src[4 * x + 3]);
            }
        } else {
            std::memcpy(dst, src, dwBytesperline < effWidth ? dwBytesperline : effWidth);
        }
    }
    return true;
}
} // namespace

bool CPixImage::CreateFromArray(BYTE* pArray, DWORD dwWidth, DWORD dwHeight, DWORD dwBitsperpixel,
                                DWORD dwBytesperline, bool bFlipImage)
{
    if (!pArray)
        return false;
    auto rowAt = [&](DWORD y) -> const BYTE* { return pArray + static_cast<size_t>(y) * dwBytesperline; };
    return CreateFromRows(*this, rowAt, dwWidth, dwHeight, dwBitsperpixel, dwBytesperline, bFlipImage);
}

bool CPixImage::CreateFromMatrix(BYTE** ppMatrix, DWORD dwWidth, DWORD dwHeight, DWORD dwBitsperpixel,
                                 DWORD dwBytesperline, bool bFlipImage)
{
    if (!ppMatrix)
        return false;
    auto rowAt = [&](DWORD y) -> const BYTE* { return ppMatrix[y]; };
    return CreateFromRows(*this, rowAt, dwWidth, dwHeight, dwBitsperpixel, dwBytesperline, bFlipImage);
}

void CPixImage::Bitfield2RGB(BYTE* src, WORD redmask, WORD greenmask, WORD bluemask, BYTE bpp)
{
    if (!dib || !src || header.biBitCount != 24)
        return;
    const long width = static_cast<long>(GetWidth());
    const long height = static_cast<long>(GetHeight());
    if (bpp == 16) {
        // Bits repeated into the low bits, as the bitmap codec widens them: 5-5-5 white is 255.
        const CPixBitfieldChannel red(redmask), green(greenmask), blue(bluemask);
        const size_t srcStride = static_cast<size_t>((width + 1) / 2) * 4;
        for (long y = height - 1; y >= 0; --y) {
            const BYTE* srow = src + static_cast<size_t>(y) * srcStride;
            BYTE* drow = info.bits + static_cast<size_t>(y) * info.effWidth;
            for (long x = width - 1; x >= 0; --x) {
                const uint32_t w = static_cast<uint32_t>(srow[2 * x]) | (static_cast<uint32_t>(srow[2 * x + 1]) << 8);
                const BYTE b = blue.Get(w), g = green.Get(w), r = red.Get(w);
                drow[3 * x] = b;
                drow[3 * x + 1] = g;
                drow[3 * x + 2] = r;
            }
        }
    } else if (bpp == 32) {
        const size_t srcStride = static_cast<size_t>(width) * 4;
        for (long y = height - 1; y >= 0; --y) {
            const BYTE* srow = src + static_cast<size_t>(y) * srcStride;
            BYTE* drow = info.bits + static_cast<size_t>(y) * info.effWidth;
            for (long x = width - 1; x >= 0; --x) {
                BYTE b = srow[4 * x], g = srow[4 * x + 1], r = srow[4 * x + 2];
                drow[3 * x] = b;
                drow[3 * x + 1] = g;
                drow[3 * x + 2] = r;
            }
        }
    }
}

// --- info accessors with a rule ---------------------------------------------------------------

RGBQUAD CPixImage::GetTransColor()
{
    if (header.biBitCount < 24 && info.transIndex != -1)
        return GetPaletteColor(static_cast<BYTE>(info.transIndex));
    return info.transColor;
}

void CPixImage::SetTransColor(RGBQUAD rgb)
{
    rgb.rgbReserved = 0;
    info.transColor = rgb;
}

void CPixImage::SetXDPI(long dpi)
{
    dpi = ValidDpi(dpi);
    info.xDpi = static_cast<int32_t>(dpi);
    header.biXPelsPerMeter = DpiToPelsPerMeter(dpi);
    StorePelsPerMeter(24, header.biXPelsPerMeter);
}

void CPixImage::SetYDPI(long dpi)
{
    dpi = ValidDpi(dpi);
    info.yDpi = static_cast<int32_t>(dpi);
    header.biYPelsPerMeter = DpiToPelsPerMeter(dpi);
    StorePelsPerMeter(28, header.biYPelsPerMeter);
}

// The DIB block is handed out as it stands (handles, bitmaps, encoders), so its header field follows.
// A ghost's block belongs to another image and is left alone.
void CPixImage::StorePelsPerMeter(size_t offset, LONG ppm)
{
    if (dib && !info.ghostOf)
        codecbytes::PutLe32(static_cast<BYTE*>(dib) + offset, static_cast<uint32_t>(ppm));
}

void CPixImage::SetFlags(DWORD flags, bool bLockReservedFlags)
{
    info.flags = bLockReservedFlags ? (flags & 0xFFFF) : flags;
}

void CPixImage::GetOffset(long* x, long* y)
{
    if (x)
        *x = info.xOffset;
    if (y)
        *y = info.yOffset;
}

void CPixImage::SetOffset(long x, long y)
{
    info.xOffset = static_cast<int32_t>(x);
    info.yOffset = static_cast<int32_t>(y);
}

DWORD CPixImage::GetCodecOption(DWORD imagetype)
{
    if (imagetype >= PIXMAX_FORMATS)
        return 0;
    if (imagetype == 0)
        imagetype = info.type;
    if (imagetype >= PIXMAX_FORMATS)
        return 0;
    return info.codecOptions[imagetype];
}

bool CPixImage::SetCodecOption(DWORD opt, DWORD imagetype)
{
    if (imagetype >= PIXMAX_FORMATS)
        return false;
    if (imagetype == 0)
        imagetype = info.type;
    if (imagetype >= PIXMAX_FORMATS)
        return false;
    info.codecOptions[imagetype] = opt;
    return true;
}

BYTE CPixImage::GetColorType()
{
    if (AlphaIsValid())
        return 4;
    return header.biBitCount <= 8 ? 1 : 2;
}
