// PGX: one grey component of 1 to 16 bits, signed or not, in either byte order, after a
// one-line text header ("PG ML + 8 width height").
#pragma once

#include <string>

#include "imagelib/codecs/J2kImage.h"

class CPixFile;

namespace pgx {
// headerOnly: the size is read, no samples.
bool Read(CPixFile& file, J2kImage& image, std::string& error, bool headerOnly = false);
bool Write(CPixFile& file, const J2kImage& image, std::string& error);
} // namespace pgx
