// A picture fitted whole into a box: scaled by the smaller of the two ratios and centred on
// white, as thumbnails and cover pictures show it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace Gdiplus {
class Bitmap;
}

// A 24-bit bitmap of width x height; null when the file does not open as a picture with pixels
// or the box is empty.
std::unique_ptr<Gdiplus::Bitmap> DrawLetterboxed(const std::string& path, int32_t width, int32_t height);
