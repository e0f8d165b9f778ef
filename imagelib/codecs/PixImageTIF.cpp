#include "imagelib/codecs/PixImageTIF.h"

#include <algorithm>
#include <cstdio>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

#include "imagelib/codecs/PixTiffStream.h"

namespace {

// Picture rows decoded through libtiff's RGBA reader at a time.
constexpr uint32_t kRgbaBand = 64;

BYTE Unpremultiply(BYTE c, BYTE a) {
    if (a == 0) return 0;
    return static_cast<BYTE>(std::min(255, (c * 255 + a / 2) / a));
}

long Dpi(float value, uint16_t unit) {
    return static_cast<long>(unit == RESUNIT_CENTIMETER ? value * 2.54 + 0.5 : value);
}

// Resolutions and positions from a file are used only when they are plain numbers.
bool Sane(float v) { return std::isfinite(v) && v > 0 && v < 1e7f; }

// CIELab (L, then signed a and b bytes) to 8-bit sRGB, D65 white.
void LabToRgb(const BYTE* lab, BYTE* bgr) {
    const double L = lab[0], a = static_cast<int8_t>(lab[1]), b = static_cast<int8_t>(lab[2]);
    // The cube is replaced by its straight segment near black, so L = 0 is black.
    auto cube = [](double t) { return t > 6.0 / 29.0 ? t * t * t : 3.0 * (36.0 / 841.0) * (t - 4.0 / 29.0); };
    const double fy = (L * 100.0 / 255.0 + 16.0) / 116.0;
    const double X = cube(fy + a * 0.002) * 0.95047;
    const double Y = cube(fy);
    const double Z = cube(fy - b * 0.005) * 1.0883;
    const double rgb[3] = {3.240479 * X - 1.53715 * Y - 0.498535 * Z, -0.969256 * X + 1.875992 * Y + 0.041556 * Z,
                           0.055648 * X - 0.204043 * Y + 1.057311 * Z};
    for (int i = 0; i < 3; ++i) {
        double v = rgb[i];
        v = v > 0.00304 ? 1.055 * std::pow(v, 0.41667) - 0.055 : 12.92 * v;
        bgr[2 - i] = static_cast<BYTE>(std::clamp(v * 255.0, 0.0, 255.0));
    }
}

// Compressions that can hold samples of this shape; anything else falls back to the default.
bool CompressionFits(uint32_t c, uint16_t bits, uint16_t samples, uint16_t photometric) {
    if (c == 0 || !TIFFIsCODECConfigured(static_cast<uint16_t>(c))) return false;
    switch (c) {
    case COMPRESSION_CCITTRLE: case COMPRESSION_CCITTFAX3: case COMPRESSION_CCITTFAX4:
        return bits == 1 && samples == 1;
    case COMPRESSION_JPEG:
        return bits == 8 && photometric != PHOTOMETRIC_PALETTE;
    case COMPRESSION_NONE: case COMPRESSION_LZW: case COMPRESSION_PACKBITS: case COMPRESSION_ADOBE_DEFLATE:
    case COMPRESSION_DEFLATE:
        return true;
    default:
        return false;
    }
}

} // namespace

CPixImageTIF::CPixImageTIF() : CPixImage(PIXFORMAT_TIF) {}

CPixImageTIF::CPixImageTIF(const CPixImageTIF& src) : CPixImage(src, true, true, true) {}

CPixImageTIF& CPixImageTIF::operator=(const CPixImageTIF& src) {
    if (this != &src) CPixImage::operator=(src);
    return *this;
}

CPixImageTIF::~CPixImageTIF() {
    EndOutput();
    Destroy();
}

bool CPixImageTIF::Fail(const char* text) {
    SetLastError(text);
    return false;
}

void CPixImageTIF::TileToStrip(BYTE* out, const BYTE* in, uint32_t rows, uint32_t cols, int32_t outskew,
                               int32_t inskew) {
    for (uint32_t r = 0; r < rows; ++r) {
        std::memcpy(out, in, cols);
        out += static_cast<int64_t>(cols) + outskew;
        in += static_cast<int64_t>(cols) + inskew;
    }
}

// --- decoding --------------------------------------------------------------------------------

bool CPixImageTIF::Decode(CPixFile* hFile) {
    std::unique_ptr<CPixTiffStream> in = CPixTiffStream::Open(hFile, "r");
    if (!in) return Fail("Error encountered while opening TIFF file");
    TIFF* tif = in->Handle();
    info.numFrames = TIFFNumberOfDirectories(tif);
    if (info.frame < 0 || !TIFFSetDirectory(tif, static_cast<tdir_t>(info.frame)))
        return Fail("Error: page not present in TIFF file");
    if (DecodePage(tif)) return true;
    // A failed decode keeps no half-made picture.
    if (info.escape != -1) Destroy();
    return false;
}

bool CPixImageTIF::DecodePage(TIFF* tif) {
    uint32_t width = 0, height = 0, rowsPerStrip = 0;
    uint16_t samples = 1, bits = 1, photometric = 0, orientation = ORIENTATION_TOPLEFT, planar = PLANARCONFIG_CONTIG;
    uint16_t compression = COMPRESSION_NONE, unit = RESUNIT_INCH;
    if (!TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width) || !TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height))
        return Fail("Corrupted TIFF file!");
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
    TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric);
    TIFFGetFieldDefaulted(tif, TIFFTAG_ORIENTATION, &orientation);
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
    const bool turned = orientation >= ORIENTATION_LEFTTOP && orientation <= ORIENTATION_LEFTBOT;

    if (info.escape == -1) {
        // The size of the picture as shown: turned orientations swap the sides.
        header.biWidth = static_cast<LONG>(turned ? height : width);
        header.biHeight = static_cast<LONG>(turned ? width : height);
        SetLastError("output dimensions returned");
        return true;
    }

    TIFFGetFieldDefaulted(tif, TIFFTAG_RESOLUTIONUNIT, &unit);
    float xres = 0, yres = 0, xpos = 0, ypos = 0;
    const bool hasX = TIFFGetField(tif, TIFFTAG_XRESOLUTION, &xres) && Sane(xres);
    const bool hasY = TIFFGetField(tif, TIFFTAG_YRESOLUTION, &yres) && Sane(yres);
    const bool hasXPos = TIFFGetField(tif, TIFFTAG_XPOSITION, &xpos) && Sane(xpos);
    const bool hasYPos = TIFFGetField(tif, TIFFTAG_YPOSITION, &ypos) && Sane(ypos);

    // Transparency comes from this page only, never from a picture decoded before.
    ResetTransparency();
    if (rowsPerStrip == 0 || rowsPerStrip > height) rowsPerStrip = height;

    // Only extra samples declared as alpha are alpha; associated alpha comes premultiplied.
    uint16_t extraCount = 0;
    uint16_t* extraTypes = nullptr;
    bool alpha = false, associated = false;
    if (TIFFGetField(tif, TIFFTAG_EXTRASAMPLES, &extraCount, &extraTypes) && extraTypes && extraCount > 0) {
        alpha = extraTypes[0] == EXTRASAMPLE_ASSOCALPHA || extraTypes[0] == EXTRASAMPLE_UNASSALPHA;
        associated = extraTypes[0] == EXTRASAMPLE_ASSOCALPHA;
    }

    // Our own row reader takes 1, 2, 4, 8 and 16-bit grey or palette samples (with one alpha sample
    // beside 8 and 16-bit ones) and 8-bit CIELab; everything else goes through libtiff's RGBA reader.
    const bool greyOrPalette = photometric == PHOTOMETRIC_MINISWHITE || photometric == PHOTOMETRIC_MINISBLACK ||
                               photometric == PHOTOMETRIC_PALETTE;
    // 8 and 16-bit RGB are read here too, so alpha comes through exact rather than premultiplied.
    const bool lab = photometric == PHOTOMETRIC_CIELAB && bits == 8 && (samples == 3 || samples == 4);
    const bool rgb = photometric == PHOTOMETRIC_RGB && (bits == 8 || bits == 16) && (samples == 3 || samples == 4);
    const bool bitsOk = bits == 1 || bits == 2 || bits == 4 || bits == 8 || (bits == 16 && photometric != PHOTOMETRIC_PALETTE);
    const bool rows = (lab || rgb || (greyOrPalette && bitsOk && (samples == 1 || (samples == 2 && bits >= 8)))) &&
                      (planar == PLANARCONFIG_CONTIG || samples == 1);
    if (samples < 2 || (rows && samples != 2 && samples != 4)) alpha = false;

    DWORD bpp = 24;
    if (rows && !lab && !rgb) bpp = bits == 1 ? 1 : (bits == 4 ? 4 : 8);

    if (info.escape) return Fail("Cancelled");
    if (!Create(width, height, bpp, PIXFORMAT_TIF)) return Fail("CPixImageTIF can't create image");
    if (alpha) {
        AlphaCreate();
        if (!AlphaIsValid()) return Fail("CPixImageTIF can't allocate memory");
    }
    SetCodecOption(compression, PIXFORMAT_TIF);
    if (hasX) SetXDPI(Dpi(xres, unit));
    if (hasY) SetYDPI(Dpi(yres, unit));
    if (hasXPos || hasYPos) SetOffset(hasXPos ? static_cast<long>(xpos) : 0, hasYPos ? static_cast<long>(ypos) : 0);

    bool ok;
    if (rows) {
        if (bpp < 24 && !SetTiffPalette(tif, photometric, bits, bpp == 1)) return false;
        ok = DecodeRows(tif, width, height, samples, bits, photometric, rowsPerStrip, associated);
    } else {
        // The reader is told the rows stand as they are shown; the turn is ours, below.
        TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
        ok = DecodeRgba(tif, width, height, alpha, associated);
    }
    if (!ok) return false;
    if (!Orient(orientation)) return Fail("CPixImageTIF can't allocate memory");
    return true;
}

bool CPixImageTIF::DecodeRgba(TIFF* tif, uint32_t width, uint32_t height, bool alpha, bool /*associated*/) {
    char message[1024];
    TIFFRGBAImage img;
    if (!TIFFRGBAImageOK(tif, message) || !TIFFRGBAImageBegin(&img, tif, 1, message))
        return Fail("Corrupted TIFF file!");
    struct End {
        TIFFRGBAImage* img;
        ~End() { TIFFRGBAImageEnd(img); }
    } end{&img};
    img.req_orientation = ORIENTATION_TOPLEFT;
    std::vector<uint32_t> raster;
    try {
        raster.resize(static_cast<size_t>(width) * std::min(kRgbaBand, height));
    } catch (const std::bad_alloc&) {
        return Fail("No space for raster buffer");
    }
    for (uint32_t row = 0; row < height; row += kRgbaBand) {
        if (info.escape) return Fail("Cancelled");
        const uint32_t n = std::min(kRgbaBand, height - row);
        img.row_offset = static_cast<int>(row);
        img.col_offset = 0;
        if (!TIFFRGBAImageGet(&img, raster.data(), width, n)) return Fail("Corrupted TIFF file!");
        for (uint32_t i = 0; i < n; ++i) {
            const DWORD y = height - 1 - (row + i);
            BYTE* dst = GetBits(y);
            const uint32_t* src = raster.data() + static_cast<size_t>(i) * width;
            for (uint32_t x = 0; x < width; ++x) {
                const uint32_t p = src[x];
                // The reader premultiplies every alpha it returns.
                const BYTE a = static_cast<BYTE>(TIFFGetA(p));
                BYTE* d = dst + static_cast<size_t>(x) * 3;
                d[0] = static_cast<BYTE>(TIFFGetB(p));
                d[1] = static_cast<BYTE>(TIFFGetG(p));
                d[2] = static_cast<BYTE>(TIFFGetR(p));
                if (alpha) {
                    d[0] = Unpremultiply(d[0], a);
                    d[1] = Unpremultiply(d[1], a);
                    d[2] = Unpremultiply(d[2], a);
                    AlphaSet(static_cast<long>(x), static_cast<long>(y), a);
                }
            }
        }
    }
    return true;
}

bool CPixImageTIF::SetTiffPalette(TIFF* tif, uint16_t photometric, uint16_t bits, bool bilevel) {
    RGBQUAD pal[256]{};
    const DWORD colours = GetNumColors();
    if (photometric == PHOTOMETRIC_PALETTE) {
        uint16_t *r = nullptr, *g = nullptr, *b = nullptr;
        if (!TIFFGetField(tif, TIFFTAG_COLORMAP, &r, &g, &b) || !r || !g || !b) return Fail("Corrupted TIFF file!");
        // libtiff holds 2^bits entries; only what the image can index is taken.
        const uint32_t n = std::min<uint32_t>(1u << std::min<uint16_t>(bits, 8), 256);
        bool eightBit = true;
        for (uint32_t i = 0; i < n; ++i)
            eightBit = eightBit && r[i] < 256 && g[i] < 256 && b[i] < 256;
        for (uint32_t i = 0; i < n; ++i) {
            auto v = [eightBit](uint16_t c) { return static_cast<BYTE>(eightBit ? c : (c * 255u) / 65535u); };
            pal[i] = RGBQUAD{v(b[i]), v(g[i]), v(r[i]), 0};
        }
    } else if (bilevel) {
        const BYTE zero = photometric == PHOTOMETRIC_MINISWHITE ? 255 : 0;
        pal[0] = RGBQUAD{zero, zero, zero, 0};
        pal[1] = RGBQUAD{static_cast<BYTE>(255 - zero), static_cast<BYTE>(255 - zero), static_cast<BYTE>(255 - zero), 0};
    } else {
        const DWORD step = colours > 1 ? 255 / (colours - 1) : 0;
        for (DWORD i = 0; i < colours && i < 256; ++i) {
            BYTE v = static_cast<BYTE>(i * step);
            if (photometric == PHOTOMETRIC_MINISWHITE) v = static_cast<BYTE>(255 - v);
            pal[i] = RGBQUAD{v, v, v, 0};
        }
    }
    SetPalette(pal, colours);
    return true;
}

bool CPixImageTIF::DecodeRows(TIFF* tif, uint32_t width, uint32_t height, uint16_t samples, uint16_t bits,
                              uint16_t photometric, uint32_t rowsPerStrip, bool associated) {
    const bool tiled = TIFFIsTiled(tif);
    uint32_t tileWidth = 0, tileLength = 0;
    if (tiled) {
        TIFFGetField(tif, TIFFTAG_TILEWIDTH, &tileWidth);
        TIFFGetField(tif, TIFFTAG_TILELENGTH, &tileLength);
        if (tileWidth == 0 || tileLength == 0) return Fail("Corrupted tiled TIFF file!");
        rowsPerStrip = tileLength;
    }
    const uint64_t lineBytes = (static_cast<uint64_t>(samples) * bits * width + 7) / 8;
    const uint64_t stripBytes = lineBytes * rowsPerStrip;
    const uint64_t tileRowBytes = tiled ? (static_cast<uint64_t>(samples) * bits * tileWidth + 7) / 8 : 0;
    const uint64_t tileBytes = tileRowBytes * tileLength;
    if (stripBytes > static_cast<uint64_t>(CPixTiffStream::kMaxSingleAlloc) ||
        tileBytes > static_cast<uint64_t>(CPixTiffStream::kMaxSingleAlloc))
        return Fail("CPixImageTIF can't allocate memory");
    std::vector<BYTE> strip, tile;
    try {
        strip.resize(static_cast<size_t>(stripBytes));
        tile.resize(static_cast<size_t>(tileBytes));
    } catch (const std::bad_alloc&) {
        return Fail("CPixImageTIF can't allocate memory");
    }

    const bool lab = photometric == PHOTOMETRIC_CIELAB;
    const bool rgb = photometric == PHOTOMETRIC_RGB;
    const bool grey = photometric != PHOTOMETRIC_PALETTE;
    const bool hasAlpha = AlphaIsValid();
    const DWORD eff = GetEffWidth();
    for (uint32_t row = 0; row < height; row += rowsPerStrip) {
        if (info.escape) return Fail("Cancelled");
        const uint32_t lines = std::min(rowsPerStrip, height - row);
        // Bytes a short strip or tile did not deliver stay zero.
        std::fill(strip.begin(), strip.end(), BYTE{0});
        if (!tiled) {
            const tmsize_t got = TIFFReadEncodedStrip(tif, TIFFComputeStrip(tif, row, 0), strip.data(),
                                                      static_cast<tmsize_t>(lineBytes * lines));
            if (got < 0) return Fail("Corrupted TIFF file!");
        } else {
            for (uint32_t x = 0; x < width; x += tileWidth) {
                if (TIFFReadTile(tif, tile.data(), x, row, 0, 0) < 0) return Fail("Corrupted tiled TIFF file!");
                // The tile's columns inside the picture, cut at its right edge.
                const uint64_t offset = static_cast<uint64_t>(x) * samples * bits / 8;
                const uint64_t cols = std::min(tileRowBytes, lineBytes - offset);
                TileToStrip(strip.data() + offset, tile.data(), lines, static_cast<uint32_t>(cols),
                            static_cast<int32_t>(lineBytes - cols), static_cast<int32_t>(tileRowBytes - cols));
            }
        }
        for (uint32_t i = 0; i < lines; ++i) {
            BYTE* line = strip.data() + static_cast<size_t>(lineBytes) * i;
            const DWORD y = height - 1 - (row + i);
            BYTE* dst = GetBits(y);
            uint16_t depth = bits;
            if (depth == 16) {
                // Samples come in the machine's order; the high byte stands for each.
                const uint64_t count = static_cast<uint64_t>(width) * samples;
                for (uint64_t s = 0; s < count; ++s) {
                    uint16_t v;
                    std::memcpy(&v, line + s * 2, 2);
                    line[s] = static_cast<BYTE>(v >> 8);
                }
                depth = 8;
            }
            if (rgb) {
                for (uint32_t x = 0; x < width; ++x) {
                    const BYTE* s = line + static_cast<size_t>(x) * samples;
                    BYTE* d = dst + static_cast<size_t>(x) * 3;
                    const BYTE a = hasAlpha ? s[3] : 255;
                    d[0] = associated ? Unpremultiply(s[2], a) : s[2];
                    d[1] = associated ? Unpremultiply(s[1], a) : s[1];
                    d[2] = associated ? Unpremultiply(s[0], a) : s[0];
                    if (hasAlpha) AlphaSet(static_cast<long>(x), static_cast<long>(y), a);
                }
            } else if (lab) {
                for (uint32_t x = 0; x < width; ++x) {
                    const BYTE* s = line + static_cast<size_t>(x) * samples;
                    LabToRgb(s, dst + static_cast<size_t>(x) * 3);
                    if (hasAlpha) AlphaSet(static_cast<long>(x), static_cast<long>(y), s[3]);
                }
            } else if (samples == 2) {
                for (uint32_t x = 0; x < width; ++x) {
                    dst[x] = line[static_cast<size_t>(x) * 2];
                    if (hasAlpha) AlphaSet(static_cast<long>(x), static_cast<long>(y), line[static_cast<size_t>(x) * 2 + 1]);
                }
            } else if (depth == 2) {
                // Two-bit samples get a byte each: grey levels spread over 0..255, palette indices kept.
                for (uint32_t x = 0; x < width; ++x) {
                    const BYTE v = static_cast<BYTE>((line[x >> 2] >> (6 - 2 * (x & 3))) & 3);
                    dst[x] = grey ? static_cast<BYTE>(v * 85) : v;
                }
            } else {
                std::memcpy(dst, line, static_cast<size_t>(std::min<uint64_t>(depth == 8 ? width : lineBytes, eff)));
            }
        }
    }
    return true;
}

bool CPixImageTIF::Orient(uint16_t orientation) {
    switch (orientation) {
    case ORIENTATION_TOPRIGHT: return Mirror();
    case ORIENTATION_BOTRIGHT: return Rotate180();
    case ORIENTATION_BOTLEFT: return Flip();
    case ORIENTATION_LEFTTOP: return RotateRight() && Mirror();
    case ORIENTATION_RIGHTTOP: return RotateRight();
    case ORIENTATION_RIGHTBOT: return RotateLeft() && Mirror();
    case ORIENTATION_LEFTBOT: return RotateLeft();
    default: return true;
    }
}

// --- encoding --------------------------------------------------------------------------------

bool CPixImageTIF::StartOutput(CPixFile* hFile) {
    if (m_pTiffOut) return true;
    m_pOutMem = std::make_unique<CPixMemFile>();
    if (!m_pOutMem->Open()) {
        m_pOutMem.reset();
        return false;
    }
    m_pTiffOut = CPixTiffStream::Open(m_pOutMem.get(), "w");
    if (!m_pTiffOut) {
        m_pOutMem.reset();
        return false;
    }
    m_nOutStart = hFile->Tell();
    m_bMultiPage = false;
    m_nPagesWritten = 0;
    return true;
}

bool CPixImageTIF::PublishOutput(CPixFile* hFile) {
    const long size = m_pOutMem->Size();
    const BYTE* data = m_pOutMem->GetBuffer(false);
    if (!hFile || size <= 0 || !data) return false;
    if (hFile->Tell() != m_nOutStart && !hFile->Seek(m_nOutStart, SEEK_SET)) return false;
    if (hFile->Write(data, 1, static_cast<size_t>(size)) != static_cast<size_t>(size)) return false;
    // A write the stream only buffered has not reached the file yet.
    return hFile->Flush() && hFile->Error() == 0;
}

void CPixImageTIF::EndOutput() {
    m_pTiffOut.reset();
    m_pOutMem.reset();
    m_bMultiPage = false;
    m_nPagesWritten = 0;
}

bool CPixImageTIF::Encode(CPixFile* hFile, bool bAppend) {
    if (EncodeSafeCheck(hFile)) return false;
    if (!StartOutput(hFile)) return Fail("initialization fail");
    if (bAppend || m_nPagesWritten > 0) m_bMultiPage = true;
    ++m_nPagesWritten;
    TIFF* tif = m_pTiffOut->Handle();
    bool ok = EncodeBody(tif, m_bMultiPage, m_nPagesWritten, m_nPagesWritten);
    if (ok && bAppend && !TIFFWriteDirectory(tif)) {
        EndOutput();
        return Fail("Error saving TIFF directory");
    }
    if (ok && !bAppend) ok = m_pTiffOut->Close();
    ok = ok && PublishOutput(hFile);
    if (!ok || !bAppend) EndOutput();
    return ok || Fail("Error saving TIFF file");
}

bool CPixImageTIF::Encode(CPixFile* hFile, CPixImage** pImages, int pagecount) {
    if (!hFile) return Fail("invalid file pointer");
    if (!pImages || pagecount <= 0) return Fail("multipage TIFF, no images!");
    for (int i = 0; i < pagecount; ++i) {
        if (!pImages[i]) return Fail("Bad image pointer");
        if (!pImages[i]->IsValid()) return Fail("null image!!!");
    }
    EndOutput();
    if (!StartOutput(hFile)) return Fail("initialization fail");
    TIFF* tif = m_pTiffOut->Handle();
    for (int i = 0; i < pagecount; ++i) {
        if (!EncodeBody(tif, true, i + 1, i + 1, pImages[i])) {
            EndOutput();
            return Fail("Error saving TIFF file");
        }
        if (!TIFFWriteDirectory(tif)) {
            EndOutput();
            return Fail("Error saving TIFF directory");
        }
    }
    const bool ok = m_pTiffOut->Close() && PublishOutput(hFile);
    EndOutput();
    return ok || Fail("Error saving TIFF file");
}

bool CPixImageTIF::EncodeBody(TIFF* tif, bool multipage, int page, int pagecount, CPixImage* img) {
    CPixImage& src = img ? *img : *this;
    const DWORD bpp = src.GetBpp();
    const bool alpha = src.AlphaIsValid() && (bpp == 24 || bpp == 8);
    const uint32_t width = src.GetWidth(), height = src.GetHeight();
    const uint16_t samples = bpp == 24 ? (alpha ? 4 : 3) : (alpha ? 2 : 1);
    const uint16_t bits = bpp == 24 ? 8 : static_cast<uint16_t>(bpp);
    const RGBQUAD* pal = src.GetPalette();
    const DWORD colours = src.GetNumColors();

    uint16_t photometric = PHOTOMETRIC_RGB;
    bool invert = false;
    if (bpp == 1) {
        // White is zero in the file: a palette that starts with the darker entry is written inverted.
        photometric = PHOTOMETRIC_MINISWHITE;
        auto luma = [](const RGBQUAD& c) { return c.rgbRed * 299 + c.rgbGreen * 587 + c.rgbBlue * 114; };
        invert = pal && luma(pal[0]) < luma(pal[1]);
    } else if (bpp == 4 || bpp == 8) {
        // A grey ramp (17 steps apart at 4 bits, 1 at 8) is written as grey, any other palette as one.
        bool ramp = pal && colours > 1;
        for (DWORD i = 0; ramp && i < colours; ++i) {
            const BYTE v = static_cast<BYTE>(i * 255 / (colours - 1));
            ramp = pal[i].rgbRed == v && pal[i].rgbGreen == v && pal[i].rgbBlue == v;
        }
        photometric = ramp ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_PALETTE;
    }

    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, samples);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, bits);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, photometric);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    if (alpha) {
        const uint16_t extra[1] = {EXTRASAMPLE_UNASSALPHA};
        TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, extra);
    }
    TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    TIFFSetField(tif, TIFFTAG_XRESOLUTION, static_cast<float>(src.GetXDPI()));
    TIFFSetField(tif, TIFFTAG_YRESOLUTION, static_cast<float>(src.GetYDPI()));
    if (multipage) {
        char name[32];
        std::snprintf(name, sizeof(name), "Page %d", page);
        TIFFSetField(tif, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
        TIFFSetField(tif, TIFFTAG_PAGENUMBER, static_cast<uint16_t>(page), static_cast<uint16_t>(pagecount));
        TIFFSetField(tif, TIFFTAG_PAGENAME, name);
    } else {
        TIFFSetField(tif, TIFFTAG_SUBFILETYPE, 0);
    }
    if (photometric == PHOTOMETRIC_PALETTE) {
        uint16_t r[256]{}, g[256]{}, b[256]{};
        for (DWORD i = 0; pal && i < colours && i < 256; ++i) {
            r[i] = static_cast<uint16_t>(pal[i].rgbRed * 257u);
            g[i] = static_cast<uint16_t>(pal[i].rgbGreen * 257u);
            b[i] = static_cast<uint16_t>(pal[i].rgbBlue * 257u);
        }
        TIFFSetField(tif, TIFFTAG_COLORMAP, r, g, b);
    }

    uint32_t compression = src.GetCodecOption(PIXFORMAT_TIF);
    if (!CompressionFits(compression, bits, samples, photometric))
        compression = bpp == 1 ? COMPRESSION_CCITTFAX4
                      : (bpp == 4 || bpp == 8) ? COMPRESSION_LZW
                      : bpp == 24 ? COMPRESSION_JPEG
                                  : COMPRESSION_NONE;
    if (!CompressionFits(compression, bits, samples, photometric)) compression = COMPRESSION_NONE;
    TIFFSetField(tif, TIFFTAG_COMPRESSION, static_cast<uint16_t>(compression));
    uint32_t rowsPerStrip = TIFFDefaultStripSize(tif, static_cast<uint32_t>(-1));
    if (compression == COMPRESSION_LZW && bpp >= 8) TIFFSetField(tif, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
    if (compression == COMPRESSION_JPEG) {
        TIFFSetField(tif, TIFFTAG_JPEGQUALITY, static_cast<int>(std::clamp<BYTE>(src.GetJpegQuality(), 1, 100)));
        rowsPerStrip = (rowsPerStrip + 7) / 8 * 8;
    }
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, rowsPerStrip);

    // The caller's pixels are never touched: every conversion happens in the row buffer.
    const tmsize_t lineSize = TIFFScanlineSize(tif);
    if (lineSize <= 0) return false;
    std::vector<BYTE> line;
    try {
        line.resize(static_cast<size_t>(lineSize) + 4);
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (uint32_t r = 0; r < height; ++r) {
        const long y = static_cast<long>(height - 1 - r);
        const BYTE* row = src.GetBits(static_cast<DWORD>(y));
        BYTE* out = line.data();
        if (bpp == 24) {
            for (uint32_t x = 0; x < width; ++x) {
                const BYTE* s = row + static_cast<size_t>(x) * 3;
                *out++ = s[2];
                *out++ = s[1];
                *out++ = s[0];
                if (alpha) *out++ = src.AlphaGet(static_cast<long>(x), y);
            }
        } else if (alpha) {
            for (uint32_t x = 0; x < width; ++x) {
                *out++ = row[x];
                *out++ = src.AlphaGet(static_cast<long>(x), y);
            }
        } else {
            std::memcpy(out, row, static_cast<size_t>(lineSize));
            if (invert)
                for (tmsize_t i = 0; i < lineSize; ++i) out[i] = static_cast<BYTE>(~out[i]);
        }
        if (TIFFWriteScanline(tif, line.data(), r, 0) == -1) return false;
    }
    return true;
}
