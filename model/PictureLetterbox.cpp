#include "model/PictureLetterbox.h"

#include <algorithm>
#include <cmath>

#include "imagelib/PixImage.h"

namespace {
// Samples per axis averaged for one target pixel: enough to smooth a strong reduction
// without visiting every pixel of a large photo.
constexpr int kMaxSamples = 4;
} // namespace

std::unique_ptr<CPixImage> DrawLetterboxed(const std::string& path, int32_t width, int32_t height) {
    if (width <= 0 || height <= 0) return nullptr;
    CPixImage source;
    if (!source.Load(path.c_str(), 0) || !source.IsValid()) return nullptr;
    const double srcW = source.GetWidth();
    const double srcH = source.GetHeight();
    // A picture without pixels has no scale.
    if (srcW < 1 || srcH < 1) return nullptr;

    auto target = std::make_unique<CPixImage>(static_cast<DWORD>(width), static_cast<DWORD>(height), 24);
    if (!target->IsValid()) return nullptr;
    target->Clear(255);

    const double scale = std::min(width / srcW, height / srcH);
    const double drawW = srcW * scale;
    const double drawH = srcH * scale;
    const double left = (width - drawW) / 2;
    const double top = (height - drawH) / 2;
    const bool hasAlpha = source.AlphaIsValid();
    const double footprint = 1.0 / scale; // source pixels per target pixel
    const int samples = std::clamp(static_cast<int>(std::ceil(footprint)), 1, kMaxSamples);
    const long maxX = static_cast<long>(srcW) - 1;
    const long maxY = static_cast<long>(srcH) - 1;

    for (int32_t ty = 0; ty < height; ++ty) {
        const double cy = ty + 0.5;
        if (cy < top || cy >= top + drawH) continue;
        for (int32_t tx = 0; tx < width; ++tx) {
            const double cx = tx + 0.5;
            if (cx < left || cx >= left + drawW) continue;
            // The target pixel's square in source coordinates, counted from the top row.
            const double sx0 = (tx - left) / scale;
            const double sy0 = (ty - top) / scale;
            double r = 0, g = 0, b = 0;
            for (int j = 0; j < samples; ++j) {
                const double sy = sy0 + (j + 0.5) * footprint / samples;
                const long py = std::clamp(static_cast<long>(sy), 0L, maxY);
                for (int i = 0; i < samples; ++i) {
                    const double sx = sx0 + (i + 0.5) * footprint / samples;
                    const long px = std::clamp(static_cast<long>(sx), 0L, maxX);
                    const RGBQUAD c = source.GetPixelColor(px, maxY - py, hasAlpha);
                    // Transparent parts show the white background.
                    const double a = hasAlpha ? c.rgbReserved / 255.0 : 1.0;
                    r += c.rgbRed * a + 255 * (1 - a);
                    g += c.rgbGreen * a + 255 * (1 - a);
                    b += c.rgbBlue * a + 255 * (1 - a);
                }
            }
            const double n = samples * samples;
            RGBQUAD out{};
            out.rgbRed = static_cast<BYTE>(std::lround(r / n));
            out.rgbGreen = static_cast<BYTE>(std::lround(g / n));
            out.rgbBlue = static_cast<BYTE>(std::lround(b / n));
            target->SetPixelColor(tx, height - 1 - ty, out);
        }
    }
    return target;
}
