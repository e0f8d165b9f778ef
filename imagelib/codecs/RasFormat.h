// Sun raster files: 1, 8, 24 and 32 bits, plain or run-length encoded, with or without a colour
// map, BGR or RGB order. Written as 8-bit grey (no map) or 24-bit BGR.
#pragma once

#include <string>

#include "imagelib/codecs/J2kImage.h"

class CPixFile;

namespace ras {
// headerOnly: the size is read, no samples.
bool Read(CPixFile& file, J2kImage& image, std::string& error, bool headerOnly = false);
bool Write(CPixFile& file, const J2kImage& image, std::string& error);
} // namespace ras
