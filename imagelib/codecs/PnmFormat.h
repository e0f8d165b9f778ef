// Portable any-map files: P1 to P6, maxval up to 65535 (two big-endian bytes a sample above 255).
// Bitmaps (P1, P4) are read as grey levels, so 1 is white. Written as P5 (grey) or P6 (colour).
#pragma once

#include <string>

#include "imagelib/codecs/J2kImage.h"

class CPixFile;

namespace pnm {
// headerOnly: the size is read, no samples.
bool Read(CPixFile& file, J2kImage& image, std::string& error, bool headerOnly = false);
bool Write(CPixFile& file, const J2kImage& image, std::string& error);
} // namespace pnm
