// Decodes a picture file into a Bitmap through the image library.
#pragma once

#include <string>

#include "platform/gdiplus/GdiplusTypes.h"

namespace Gdiplus {

class Bitmap;

class BitmapLoader {
public:
    // Fills `target` with the picture; on failure leaves it invalid and returns the reason
    // (FileNotFound, UnknownImageFormat, OutOfMemory).
    static Status Load(const std::string& path, Bitmap& target);
};

} // namespace Gdiplus
