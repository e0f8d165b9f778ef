#include "model/PictureLetterbox.h"

#include <algorithm>

#include "platform/gdiplus/Bitmap.h"
#include "platform/gdiplus/Graphics.h"

std::unique_ptr<Gdiplus::Bitmap> DrawLetterboxed(const std::string& path, int32_t width, int32_t height) {
    if (width <= 0 || height <= 0) return nullptr;
    Gdiplus::Bitmap picture(path);
    // A picture that failed to load is 0 x 0 and has no scale.
    if (picture.GetLastStatus() != Gdiplus::Ok || picture.GetWidth() == 0 || picture.GetHeight() == 0) return nullptr;

    auto box = std::make_unique<Gdiplus::Bitmap>(width, height, Gdiplus::PixelFormat24bppRGB);
    if (!box->IsValid()) return nullptr;
    const float scale = std::min(static_cast<float>(width) / static_cast<float>(picture.GetWidth()),
                                 static_cast<float>(height) / static_cast<float>(picture.GetHeight()));
    const float drawWidth = static_cast<float>(picture.GetWidth()) * scale;
    const float drawHeight = static_cast<float>(picture.GetHeight()) * scale;
    Gdiplus::Graphics graphics(box.get());
    graphics.Clear(Gdiplus::Color(255, 255, 255));
    graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
    graphics.DrawImage(&picture, (static_cast<float>(width) - drawWidth) / 2, (static_cast<float>(height) - drawHeight) / 2,
                       drawWidth, drawHeight);
    return box;
}
