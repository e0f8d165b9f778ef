#include "imagelib/codecs/PixImagePNG.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include <png.h>

#include "imagelib/PixIOFile.h"
#include "imagelib/codecs/CodecBytes.h"

namespace {

void ReadData(png_structp png, png_bytep data, size_t length) {
    auto* file = static_cast<CPixFile*>(png_get_io_ptr(png));
    if (file->Read(data, 1, length) != length) png_error(png, "Read Error");
}

void WriteData(png_structp png, png_bytep data, size_t length) {
    auto* file = static_cast<CPixFile*>(png_get_io_ptr(png));
    if (file->Write(data, 1, length) != length) png_error(png, "Write Error");
}

void FlushData(png_structp png) {
    auto* file = static_cast<CPixFile*>(png_get_io_ptr(png));
    if (!file->Flush()) png_error(png, "Flush Error");
}

// libpng's message becomes the image's error text (when one is given), then back to the jump point.
void ErrorExit(png_structp png, png_const_charp message) {
    if (auto* text = static_cast<char*>(png_get_error_ptr(png))) {
        std::strncpy(text, message ? message : "", 255);
        text[255] = '\0';
    }
    png_longjmp(png, 1);
}

void IgnoreWarning(png_structp, png_const_charp) {}

// Largest ancillary chunk (text, colour profile) kept in memory while reading.
constexpr png_alloc_size_t kMaxChunkBytes = 16u << 20;

} // namespace

// Everything that lives across the jump points: plain data only.
struct CPixImagePNG::ReadJob {
    png_structp png;
    png_infop info;
    png_bytep row;
    CPixFile* file;
    png_byte trans[256];
    int numTrans;
};

struct CPixImagePNG::WriteJob {
    png_structp png;
    png_infop info;
    png_bytep row;
    CPixFile* file;
};

void CPixImagePNG::expand2to4bpp(BYTE* prow) {
    const DWORD width = GetWidth();
    for (DWORD i = width; i-- > 0;) {
        const BYTE v = static_cast<BYTE>((prow[i / 4] >> (6 - 2 * (i % 4))) & 0x03);
        BYTE& b = prow[i / 2];
        if (i & 1)
            b = static_cast<BYTE>((b & 0xF0) | v);
        else
            b = static_cast<BYTE>((b & 0x0F) | (v << 4));
    }
}

bool CPixImagePNG::Decode(CPixFile* hFile) {
    if (!hFile) return false;
    ResetTransparency();
    ReadJob job;
    std::memset(&job, 0, sizeof(job));
    job.file = hFile;
    return RunRead(job);
}

// libpng leaves through a long jump on errors: this frame holds no object with a destructor, and
// what must be freed on the way out is in the job.
bool CPixImagePNG::RunRead(ReadJob& job) {
    job.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, info.lastError, ErrorExit, IgnoreWarning);
    if (!job.png) {
        SetLastError("Failed to create PNG structure");
        return false;
    }
    job.info = png_create_info_struct(job.png);
    if (!job.info) {
        png_destroy_read_struct(&job.png, nullptr, nullptr);
        SetLastError("Failed to initialize PNG info structure");
        return false;
    }
    if (setjmp(png_jmpbuf(job.png))) {
        if (job.row) png_free(job.png, job.row);
        job.row = nullptr;
        png_destroy_read_struct(&job.png, &job.info, nullptr);
        return false;
    }
    png_structp png = job.png;
    png_infop pinfo = job.info;
    png_set_read_fn(png, job.file, ReadData);
    // Chunk lengths come from the file: ancillary chunks that the image has no use for are skipped
    // unread (libpng would otherwise buffer each whole, however long it claims to be), and the
    // rest are capped.
    static const png_byte kSkipped[] = "iCCP\0iTXt\0tEXt\0zTXt\0sPLT\0eXIf\0hIST\0sCAL\0pCAL\0oFFs\0tIME\0cHRM\0sRGB\0sBIT";
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, kSkipped, static_cast<int>(sizeof(kSkipped) / 5));
    png_set_chunk_malloc_max(png, kMaxChunkBytes);
    png_set_user_limits(png, PIXIMAGE_MAX_SIDE, PIXIMAGE_MAX_SIDE);
    png_read_info(png, pinfo);

    const int colorType = png_get_color_type(png, pinfo);
    const int bitDepth = png_get_bit_depth(png, pinfo);
    const int pixelDepth = bitDepth * png_get_channels(png, pinfo);

    // Transparency as the file gives it; compositing below clears it in the info structure.
    png_bytep trans = nullptr;
    int numTrans = 0;
    png_color_16p transColor = nullptr;
    if (png_get_tRNS(png, pinfo, &trans, &numTrans, &transColor) && trans && numTrans > 0) {
        job.numTrans = std::min(numTrans, 256);
        std::memcpy(job.trans, trans, static_cast<size_t>(job.numTrans));
    }

    png_color_16p bkgd = nullptr;
    const bool hasBkgd = png_get_bKGD(png, pinfo, &bkgd) && bkgd;
    const bool keepAlpha = pixelDepth == 32 && (colorType & PNG_COLOR_MASK_ALPHA);
    // A palette whose entries carry their own alpha keeps the file's colours: compositing them
    // as well would blend each entry twice.
    const bool paletteAlpha =
        colorType == PNG_COLOR_TYPE_PALETTE && job.numTrans > 0 && !(job.numTrans == 1 && job.trans[0] == 0);
    if (pixelDepth == 32) {
        if (hasBkgd) {
            RGBQUAD c;
            const int shift = bitDepth == 16 ? 8 : 0;
            if (colorType & PNG_COLOR_MASK_COLOR) {
                c.rgbRed = static_cast<BYTE>(bkgd->red >> shift);
                c.rgbGreen = static_cast<BYTE>(bkgd->green >> shift);
                c.rgbBlue = static_cast<BYTE>(bkgd->blue >> shift);
            } else {
                c.rgbRed = c.rgbGreen = c.rgbBlue = static_cast<BYTE>(bkgd->gray >> shift);
            }
            SetTransColor(c);
        }
    } else if (paletteAlpha) {
        // The palette entries keep their colours; their alpha comes with them below.
    } else if (hasBkgd) {
        png_set_background(png, bkgd, PNG_BACKGROUND_GAMMA_FILE, 1, 1.0);
    } else {
        png_color_16 grey;
        std::memset(&grey, 0, sizeof(grey));
        grey.red = grey.green = grey.blue = 192;
        grey.gray = static_cast<png_uint_16>(bitDepth == 16 ? 192 * 257 : 192);
        png_set_background(png, &grey, PNG_BACKGROUND_GAMMA_SCREEN, 0, 1.0);
    }

    if (bitDepth == 16) png_set_strip_16(png);
    if (keepAlpha) {
        if (colorType == PNG_COLOR_TYPE_GRAY_ALPHA) {
            png_set_gray_to_rgb(png);
            png_set_expand(png);
        }
        png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    }
    if (colorType & PNG_COLOR_MASK_COLOR) png_set_bgr(png);
    if (info.escape) png_longjmp(png, 1);

    const int passes = png_set_interlace_handling(png);
    // The rows are laid out as the transformations leave them: size the image from that.
    png_read_update_info(png, pinfo);
    const int outDepth = png_get_bit_depth(png, pinfo);
    const int outChannels = png_get_channels(png, pinfo);
    const int outType = png_get_color_type(png, pinfo);
    const size_t rowBytes = png_get_rowbytes(png, pinfo);
    const bool withAlpha = keepAlpha && outChannels == 4 && outDepth == 8;
    DWORD bpp;
    if (withAlpha || (outChannels == 3 && outDepth == 8))
        bpp = 24;
    else if (outChannels == 1 && outDepth <= 8)
        bpp = static_cast<DWORD>(outDepth);
    else
        png_error(png, "Unsupported PNG pixel layout");

    const DWORD width = png_get_image_width(png, pinfo);
    const DWORD height = png_get_image_height(png, pinfo);
    if (!Create(width, height, bpp, 4)) png_longjmp(png, 1);

    png_uint_32 xres = 0, yres = 0;
    int unit = 0;
    if (png_get_pHYs(png, pinfo, &xres, &yres, &unit)) {
        if (unit == PNG_RESOLUTION_UNKNOWN) {
            SetXDPI(static_cast<long>(xres));
            SetYDPI(static_cast<long>(yres));
        } else if (unit == PNG_RESOLUTION_METER) {
            // SetXDPI and SetYDPI cap what no pixels-per-metre field could hold.
            SetXDPI(static_cast<long>(std::floor(xres * 0.0254 + 0.5)));
            SetYDPI(static_cast<long>(std::floor(yres * 0.0254 + 0.5)));
        }
    }

    png_colorp palette = nullptr;
    int numPalette = 0;
    const bool paletteOut = outType == PNG_COLOR_TYPE_PALETTE;
    if (paletteOut && png_get_PLTE(png, pinfo, &palette, &numPalette) && palette) {
        RGBQUAD pal[256];
        const int n = std::min(numPalette, 256);
        for (int i = 0; i < n; ++i) {
            pal[i].rgbRed = palette[i].red;
            pal[i].rgbGreen = palette[i].green;
            pal[i].rgbBlue = palette[i].blue;
            pal[i].rgbReserved = 0;
        }
        SetPalette(pal, static_cast<DWORD>(n));
    } else if (bpp <= 8 && outDepth == 2) {
        RGBQUAD pal[4];
        for (int i = 0; i < 4; ++i) pal[i].rgbRed = pal[i].rgbGreen = pal[i].rgbBlue = static_cast<BYTE>(i * 85);
        SetPalette(pal, 4);
    } else if (bpp <= 8) {
        SetGrayPalette();
    }

    // Palette transparency belongs to palette images only.
    if (paletteOut && job.numTrans > 0) {
        const DWORD colors = GetNumColors();
        RGBQUAD* pal = GetPalette();
        const DWORD n = std::min<DWORD>(static_cast<DWORD>(job.numTrans), colors);
        for (DWORD i = 0; i < n; ++i) pal[i].rgbReserved = job.trans[i];
        if (job.numTrans == 1 && pal[0].rgbReserved == 0) {
            SetTransIndex(0);
        } else {
            AlphaPaletteEnable(true);
            for (DWORD i = n; i < colors; ++i) pal[i].rgbReserved = 0xFF;
        }
    }

    if (withAlpha) {
        AlphaCreate();
        if (!AlphaIsValid()) png_error(png, "Can't allocate memory");
    }
    SetCodecOption(passes > 1 ? 1 : 0, 4);

    const DWORD eff = GetEffWidth();
    job.row = static_cast<png_bytep>(png_malloc(png, std::max<size_t>({rowBytes, eff, static_cast<size_t>(width) * 4}) + 16));
    png_bytep row = job.row;
    for (int pass = 0; pass < passes; ++pass) {
        for (DWORD y = 0; y < height; ++y) {
            if (info.escape) png_longjmp(png, 1);
            const DWORD dibRow = height - 1 - y;
            BYTE* dst = GetBits(dibRow);
            if (!withAlpha) {
                // Later passes fill in pixels of rows that earlier passes began.
                if (pass > 0) std::memcpy(row, dst, eff);
                png_read_row(png, row, nullptr);
                if (outDepth == 2 && pass == passes - 1) expand2to4bpp(row);
                std::memcpy(dst, row, eff);
            } else {
                BYTE* a = AlphaGetPointer(0, static_cast<long>(dibRow));
                if (pass > 0) {
                    for (DWORD x = 0; x < width; ++x) {
                        row[x * 4 + 0] = dst[x * 3 + 0];
                        row[x * 4 + 1] = dst[x * 3 + 1];
                        row[x * 4 + 2] = dst[x * 3 + 2];
                        row[x * 4 + 3] = a[x];
                    }
                }
                png_read_row(png, row, nullptr);
                for (DWORD x = 0; x < width; ++x) {
                    dst[x * 3 + 0] = row[x * 4 + 0];
                    dst[x * 3 + 1] = row[x * 4 + 1];
                    dst[x * 3 + 2] = row[x * 4 + 2];
                    a[x] = row[x * 4 + 3];
                }
            }
        }
    }
    png_free(png, job.row);
    job.row = nullptr;
    png_read_end(png, pinfo);
    png_destroy_read_struct(&job.png, &job.info, nullptr);
    return true;
}

bool CPixImagePNG::Encode(CPixFile* hFile) {
    if (EncodeSafeCheck(hFile)) return false;
    WriteJob job;
    std::memset(&job, 0, sizeof(job));
    job.file = hFile;
    return RunWrite(job) && EncodeFlushed(hFile);
}

// Nothing of the image is changed while it is written: a transparent palette index is moved to
// entry 0 in the file only, and transparent colours become alpha in the file only.
bool CPixImagePNG::RunWrite(WriteJob& job) {
    job.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, ErrorExit, IgnoreWarning);
    if (!job.png) {
        SetLastError("Failed to create PNG structure");
        return false;
    }
    job.info = png_create_info_struct(job.png);
    if (!job.info) {
        png_destroy_write_struct(&job.png, nullptr);
        SetLastError("Failed to initialize PNG info structure");
        return false;
    }
    if (setjmp(png_jmpbuf(job.png))) {
        if (job.row) png_free(job.png, job.row);
        job.row = nullptr;
        png_destroy_write_struct(&job.png, &job.info);
        SetLastError("Error saving PNG file");
        return false;
    }
    png_structp png = job.png;
    png_infop pinfo = job.info;
    png_set_write_fn(png, job.file, WriteData, FlushData);

    const DWORD width = GetWidth();
    const DWORD height = GetHeight();
    const int interlace = GetCodecOption(4) == 1 ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE;
    const bool indexed = IsIndexed();
    const long transIndex = GetTransIndex();
    const bool withAlpha = AlphaIsValid() || (!indexed && transIndex >= 0);
    const RGBQUAD* pal = GetPalette();
    const DWORD colors = GetNumColors();

    if (header.biXPelsPerMeter > 0 && header.biYPelsPerMeter > 0)
        png_set_pHYs(png, pinfo, static_cast<png_uint_32>(header.biXPelsPerMeter),
                     static_cast<png_uint_32>(header.biYPelsPerMeter), PNG_RESOLUTION_METER);

    // A grey picture is written grey: a palette cut to the entries used would read back as a
    // colour palette that no longer passes for grey.
    const bool grey = indexed && !withAlpha && transIndex < 0 && !AlphaPaletteIsEnabled() && GetBpp() == 8 &&
                      IsGrayScale();

    if (grey) {
        png_set_IHDR(png, pinfo, width, height, 8, PNG_COLOR_TYPE_GRAY, interlace, PNG_COMPRESSION_TYPE_DEFAULT,
                     PNG_FILTER_TYPE_DEFAULT);
        png_color_16 bg;
        std::memset(&bg, 0, sizeof(bg));
        bg.gray = 255;
        png_set_bKGD(png, pinfo, &bg);
        png_write_info(png, pinfo);
        const int passes = png_set_interlace_handling(png);
        for (int pass = 0; pass < passes; ++pass)
            for (DWORD y = 0; y < height; ++y) png_write_row(png, GetBits(height - 1 - y));
    } else if (indexed && !withAlpha) {
        const int bpp = GetBpp();
        // The transparent entry goes to index 0 of the file.
        const DWORD swapWith = (transIndex > 0 && static_cast<DWORD>(transIndex) < colors) ? static_cast<DWORD>(transIndex) : 0;
        auto mapIndex = [swapWith](DWORD i) { return i == 0 ? swapWith : (i == swapWith ? 0 : i); };
        DWORD written = colors;
        if (colors > 2 && static_cast<uint64_t>(width) * height < 65536) {
            DWORD highest = 0;
            for (DWORD y = 0; y < height; ++y)
                for (DWORD x = 0; x < width; ++x)
                    highest = std::max<DWORD>(highest, mapIndex(GetPixelIndex(static_cast<long>(x), static_cast<long>(y))));
            written = highest + 1;
        }
        png_color plte[256];
        png_byte alphas[256];
        for (DWORD i = 0; i < written; ++i) {
            const RGBQUAD& c = pal[mapIndex(i)];
            plte[i].red = c.rgbRed;
            plte[i].green = c.rgbGreen;
            plte[i].blue = c.rgbBlue;
            alphas[i] = c.rgbReserved;
        }
        png_set_IHDR(png, pinfo, width, height, bpp, PNG_COLOR_TYPE_PALETTE, interlace,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_set_PLTE(png, pinfo, plte, static_cast<int>(written));
        // Palette alpha writes every entry's own alpha; otherwise only the transparent entry is clear.
        if (AlphaPaletteIsEnabled()) {
            png_set_tRNS(png, pinfo, alphas, static_cast<int>(written), nullptr);
        } else if (transIndex >= 0) {
            png_byte zero = 0;
            png_set_tRNS(png, pinfo, &zero, 1, nullptr);
        }
        // The background is the transparent entry, or else the written entry nearest to white.
        png_color_16 bg;
        std::memset(&bg, 0, sizeof(bg));
        if (transIndex < 0) {
            const DWORD white = mapIndex(GetNearestIndex(RGBQUAD{255, 255, 255, 0}));
            bg.index = static_cast<png_byte>(white < written ? white : 0);
        }
        png_set_bKGD(png, pinfo, &bg);
        png_write_info(png, pinfo);
        const int passes = png_set_interlace_handling(png);
        const DWORD eff = GetEffWidth();
        job.row = static_cast<png_bytep>(png_malloc(png, eff + 16));
        for (int pass = 0; pass < passes; ++pass) {
            for (DWORD y = 0; y < height; ++y) {
                const BYTE* src = GetBits(height - 1 - y);
                if (!swapWith) {
                    png_write_row(png, src);
                    continue;
                }
                std::memcpy(job.row, src, eff);
                for (DWORD x = 0; x < width; ++x) {
                    if (bpp == 8) {
                        job.row[x] = static_cast<png_byte>(mapIndex(src[x]));
                    } else if (bpp == 4) {
                        const int shift = (x & 1) ? 0 : 4;
                        const DWORD v = mapIndex((src[x >> 1] >> shift) & 0x0F);
                        job.row[x >> 1] = static_cast<png_byte>((job.row[x >> 1] & ~(0x0F << shift)) | (v << shift));
                    } else {
                        const int shift = 7 - static_cast<int>(x & 7);
                        const DWORD v = mapIndex((src[x >> 3] >> shift) & 0x01);
                        job.row[x >> 3] = static_cast<png_byte>((job.row[x >> 3] & ~(1 << shift)) | (v << shift));
                    }
                }
                png_write_row(png, job.row);
            }
        }
    } else if (!withAlpha) {
        png_set_IHDR(png, pinfo, width, height, 8, PNG_COLOR_TYPE_RGB, interlace, PNG_COMPRESSION_TYPE_DEFAULT,
                     PNG_FILTER_TYPE_DEFAULT);
        png_color_16 bg;
        std::memset(&bg, 0, sizeof(bg));
        bg.red = bg.green = bg.blue = 255;
        png_set_bKGD(png, pinfo, &bg);
        png_write_info(png, pinfo);
        png_set_bgr(png);
        const int passes = png_set_interlace_handling(png);
        for (int pass = 0; pass < passes; ++pass)
            for (DWORD y = 0; y < height; ++y) png_write_row(png, GetBits(height - 1 - y));
    } else {
        png_set_IHDR(png, pinfo, width, height, 8, PNG_COLOR_TYPE_RGB_ALPHA, interlace,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_color_16 bg;
        std::memset(&bg, 0, sizeof(bg));
        if (transIndex != -1) {
            const RGBQUAD c = GetTransColor();
            bg.red = c.rgbRed;
            bg.green = c.rgbGreen;
            bg.blue = c.rgbBlue;
        } else {
            bg.red = bg.green = bg.blue = 255;
        }
        png_set_bKGD(png, pinfo, &bg);
        png_write_info(png, pinfo);
        const RGBQUAD key = GetTransColor();
        const bool keyed = !indexed && transIndex >= 0;
        const unsigned alphaMax = AlphaGetMax();
        const int passes = png_set_interlace_handling(png);
        job.row = static_cast<png_bytep>(png_malloc(png, static_cast<size_t>(width) * 4 + 16));
        for (int pass = 0; pass < passes; ++pass) {
            for (DWORD y = 0; y < height; ++y) {
                const DWORD dibRow = height - 1 - y;
                const BYTE* src = GetBits(dibRow);
                png_bytep out = job.row;
                for (DWORD x = 0; x < width; ++x, out += 4) {
                    BYTE b, g, r;
                    if (indexed) {
                        const RGBQUAD& c = pal[GetPixelIndex(static_cast<long>(x), static_cast<long>(dibRow))];
                        b = c.rgbBlue;
                        g = c.rgbGreen;
                        r = c.rgbRed;
                    } else {
                        b = src[x * 3 + 0];
                        g = src[x * 3 + 1];
                        r = src[x * 3 + 2];
                    }
                    const unsigned level = AlphaIsValid() ? AlphaGet(static_cast<long>(x), static_cast<long>(dibRow)) : 255;
                    unsigned a = alphaMax * level / 255;
                    if (keyed && b == key.rgbBlue && g == key.rgbGreen && r == key.rgbRed) a = 0;
                    out[0] = r;
                    out[1] = g;
                    out[2] = b;
                    out[3] = static_cast<png_byte>(a);
                }
                png_write_row(png, job.row);
            }
        }
    }

    if (job.row) png_free(png, job.row);
    job.row = nullptr;
    png_write_end(png, pinfo);
    png_destroy_write_struct(&job.png, &job.info);
    return true;
}
