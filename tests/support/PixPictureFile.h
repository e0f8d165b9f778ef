// Picture fixtures written through the image library (header only: only the executables that
// link the image library include it).
#pragma once

#include <string>

#include "imagelib/PixImage.h"

// Writes a 24-bit width x height picture in the given format, pixel (x, y) coloured fill(x, y)
// (a COLORREF); false when it cannot be written here.
template <class Fill>
bool WritePixPicture(const std::string& path, DWORD width, DWORD height, DWORD type, Fill fill) {
    CPixImage picture(width, height, 24);
    if (!picture.IsValid()) return false;
    for (DWORD y = 0; y < height; ++y)
        for (DWORD x = 0; x < width; ++x)
            picture.SetPixelColor(static_cast<long>(x), static_cast<long>(y), fill(x, y));
    return picture.Save(path.c_str(), type);
}
