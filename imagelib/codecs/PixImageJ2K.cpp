#include "imagelib/codecs/PixImageJ2K.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "imagelib/PixFile.h"
#include "imagelib/codecs/J2kImage.h"
#include "imagelib/codecs/OpenJpegFormat.h"
#include "imagelib/codecs/PgxFormat.h"
#include "imagelib/codecs/PnmFormat.h"
#include "imagelib/codecs/RasFormat.h"

namespace {

// A sample brought to 0..levels-1: signed samples are moved up by half their range first.
inline int Scale(int32_t v, const J2kComponent& c, int levels) {
    const int64_t offset = c.sgnd ? (int64_t{1} << (c.prec - 1)) : 0;
    const int64_t u = std::clamp<int64_t>(v + offset, 0, c.maxval);
    return static_cast<int>((u * (levels - 1) + c.maxval / 2) / c.maxval);
}

// The sample of a possibly subsampled component at picture point (x, y).
inline int32_t At(const J2kComponent& c, uint32_t x, uint32_t y) {
    const uint32_t cx = std::min(x / c.dx, c.width - 1), cy = std::min(y / c.dy, c.height - 1);
    return c.data[static_cast<size_t>(cy) * c.width + cx];
}

inline BYTE Clamp8(double v) { return static_cast<BYTE>(std::lround(std::clamp(v, 0.0, 255.0))); }

} // namespace

bool CPixImageJ2K::Fail(const char* text) {
    Destroy();
    SetLastError(text);
    return false;
}

DWORD CPixImageJ2K::Detect(CPixFile* hFile) {
    if (!hFile) return 0;
    const long start = hFile->Tell();
    uint8_t s[12] = {};
    const size_t got = hFile->Read(s, 1, sizeof(s));
    hFile->Seek(start, SEEK_SET);
    static const uint8_t jp2[12] = {0, 0, 0, 0x0C, 'j', 'P', ' ', ' ', 0x0D, 0x0A, 0x87, 0x0A};
    if (got >= 12 && std::memcmp(s, jp2, 12) == 0) return PIXFORMAT_JP2;
    if (got >= 4 && s[0] == 0xFF && s[1] == 0x4F && s[2] == 0xFF && s[3] == 0x51) return PIXFORMAT_JPC;
    if (got >= 4 && s[0] == 0x59 && s[1] == 0xA6 && s[2] == 0x6A && s[3] == 0x95) return PIXFORMAT_RAS;
    if (got >= 3 && s[0] == 'P' && s[1] == 'G' && (s[2] == ' ' || s[2] == 'M' || s[2] == 'L')) return PIXFORMAT_PGX;
    if (got >= 3 && s[0] == 'P' && s[1] >= '1' && s[1] <= '6' &&
        (s[2] == ' ' || s[2] == '\t' || s[2] == '\r' || s[2] == '\n' || s[2] == '#'))
        return PIXFORMAT_PNM;
    return 0;
}

bool CPixImageJ2K::Decode(CPixFile* hFile, DWORD /*imagetype*/) {
    if (!hFile) return false;
    ResetTransparency();
    const DWORD type = Detect(hFile);
    if (!type) return Fail("error: cannot load image data");
    J2kImage image;
    std::string error;
    // A size-only request reads the header alone.
    const bool headerOnly = info.escape == -1;
    bool ok = false;
    switch (type) {
    case PIXFORMAT_JP2: ok = openjpeg::Read(*hFile, true, image, error, headerOnly); break;
    case PIXFORMAT_JPC: ok = openjpeg::Read(*hFile, false, image, error, headerOnly); break;
    case PIXFORMAT_PGX: ok = pgx::Read(*hFile, image, error, headerOnly); break;
    case PIXFORMAT_PNM: ok = pnm::Read(*hFile, image, error, headerOnly); break;
    default: ok = ras::Read(*hFile, image, error, headerOnly); break;
    }
    if (!ok) return Fail(error.c_str());
    if (headerOnly) {
        header.biWidth = static_cast<LONG>(image.width);
        header.biHeight = static_cast<LONG>(image.height);
        SetLastError("output dimensions returned");
        return true;
    }
    return FromComponents(image, type);
}

bool CPixImageJ2K::FromComponents(const J2kImage& image, DWORD type) {
    const size_t n = image.comps.size();
    if (n == 0) return Fail("error: cannot load image data");
    if (n > 64) return Fail("error: too much components");
    const uint32_t width = image.width, height = image.height;
    const bool colour = n == 3 || (n == 4 && image.comps[3].alpha);
    const bool greyAlpha = n == 2 && image.comps[1].alpha;
    if (colour || greyAlpha) {
        const bool alpha = n == 4 || greyAlpha;
        if (!Create(width, height, colour ? 24 : 8, type)) return Fail("Can't allocate memory");
        if (greyAlpha) SetGrayPalette();
        if (alpha) {
            AlphaCreate();
            if (!AlphaIsValid()) return Fail("Can't allocate memory");
        }
        const J2kComponent* c = image.comps.data();
        // Subsampled chroma, or colour declared as such, is luma and colour difference.
        const bool ycc = colour && (image.colour == J2kColour::Ycc ||
                                    (image.colour == J2kColour::Unknown && c[0].dx == 1 && c[0].dy == 1 &&
                                     (c[1].dx > 1 || c[1].dy > 1 || c[2].dx > 1 || c[2].dy > 1)));
        for (uint32_t y = 0; y < height; ++y) {
            BYTE* row = GetBits(height - 1 - y);
            for (uint32_t x = 0; x < width; ++x) {
                if (greyAlpha) {
                    row[x] = static_cast<BYTE>(Scale(At(c[0], x, y), c[0], 256));
                } else if (ycc) {
                    const double Y = Scale(At(c[0], x, y), c[0], 256);
                    const double cb = Scale(At(c[1], x, y), c[1], 256) - 128.0;
                    const double cr = Scale(At(c[2], x, y), c[2], 256) - 128.0;
                    row[x * 3 + 2] = Clamp8(Y + 1.402 * cr);
                    row[x * 3 + 1] = Clamp8(Y - 0.344136 * cb - 0.714136 * cr);
                    row[x * 3 + 0] = Clamp8(Y + 1.772 * cb);
                } else {
                    row[x * 3 + 2] = static_cast<BYTE>(Scale(At(c[0], x, y), c[0], 256));
                    row[x * 3 + 1] = static_cast<BYTE>(Scale(At(c[1], x, y), c[1], 256));
                    row[x * 3 + 0] = static_cast<BYTE>(Scale(At(c[2], x, y), c[2], 256));
                }
                if (alpha) {
                    const J2kComponent& a = c[n - 1];
                    AlphaSet(static_cast<long>(x), static_cast<long>(height - 1 - y), static_cast<BYTE>(Scale(At(a, x, y), a, 256)));
                }
            }
        }
        return true;
    }

    // Every other layout: one grey frame per component.
    info.numFrames = static_cast<int32_t>(n);
    if (info.frame < 0 || static_cast<size_t>(info.frame) >= n) return Fail("wrong frame!");
    const J2kComponent& c = image.comps[static_cast<size_t>(info.frame)];
    if (!Create(c.width, c.height, std::min<uint32_t>(c.prec, 8), type)) return Fail("Can't allocate memory");
    SetGrayPalette();
    const int levels = 1 << GetBpp();
    for (uint32_t y = 0; y < c.height; ++y)
        for (uint32_t x = 0; x < c.width; ++x)
            SetPixelIndex(static_cast<long>(x), static_cast<long>(c.height - 1 - y),
                          static_cast<BYTE>(Scale(c.data[static_cast<size_t>(y) * c.width + x], c, levels)));
    return true;
}

bool CPixImageJ2K::Encode(CPixFile* hFile, DWORD imagetype) {
    if (EncodeSafeCheck(hFile)) return false;
    if (IsIndexed() && !IsGrayScale()) {
        SetLastError("Only RGB or grey scale images can be saved in this format");
        return false;
    }
    const bool grey = IsIndexed();
    if (imagetype == PIXFORMAT_PGX && !grey) {
        SetLastError("PGX can save only GrayScale images");
        return false;
    }
    J2kImage image;
    image.width = GetWidth();
    image.height = GetHeight();
    image.colour = grey ? J2kColour::Grey : J2kColour::Rgb;
    image.comps.resize(grey ? 1 : 3);
    std::string error;
    for (J2kComponent& c : image.comps) {
        if (!J2kAllocate(c, image.width, image.height, error)) {
            SetLastError(error.c_str());
            return false;
        }
    }
    for (uint32_t y = 0; y < image.height; ++y) {
        const BYTE* row = GetBits(image.height - 1 - y);
        for (uint32_t x = 0; x < image.width; ++x) {
            const size_t at = static_cast<size_t>(y) * image.width + x;
            if (grey) {
                // A grey palette maps each index to its own level.
                image.comps[0].data[at] = GetBpp() == 8 ? row[x] : GetPixelIndex(static_cast<long>(x), static_cast<long>(image.height - 1 - y));
            } else {
                image.comps[0].data[at] = row[x * 3 + 2];
                image.comps[1].data[at] = row[x * 3 + 1];
                image.comps[2].data[at] = row[x * 3 + 0];
            }
        }
    }
    bool ok;
    switch (imagetype) {
    case PIXFORMAT_JP2: ok = openjpeg::Write(*hFile, true, image, GetJpegQuality(), error); break;
    case PIXFORMAT_JPC: ok = openjpeg::Write(*hFile, false, image, GetJpegQuality(), error); break;
    case PIXFORMAT_PGX: ok = pgx::Write(*hFile, image, error); break;
    case PIXFORMAT_PNM: ok = pnm::Write(*hFile, image, error); break;
    case PIXFORMAT_RAS: ok = ras::Write(*hFile, image, error); break;
    default: ok = false; error = "error: cannot encode image\n"; break;
    }
    if (!ok) {
        SetLastError(error.c_str());
        return false;
    }
    return EncodeFlushed(hFile);
}
