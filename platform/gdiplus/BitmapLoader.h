// Decodes a picture file into a Bitmap through the image library.
#pragma once

#include <string>

#include "platform/gdiplus/GdiplusTypes.h"

class CPixImage;

namespace Gdiplus {

class Bitmap;

class BitmapLoader {
public:
    // Fills `target` with the picture; on failure leaves it invalid and returns the reason
    // (FileNotFound, UnknownImageFormat, OutOfMemory).
    static Status Load(const std::string& path, Bitmap& target);
    // Fills `target` from a decoded image: 24-bit RGB, or 32-bit ARGB when the image has an alpha
    // plane, alpha in its palette or a transparent palette index.
    static Status FromImage(CPixImage& image, Bitmap& target);
};

} // namespace Gdiplus
