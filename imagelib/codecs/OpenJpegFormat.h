// JPEG 2000 files (JP2) and bare code streams (J2K) through OpenJPEG, read and written through the
// image library's streams, relative to where the stream stood.
#pragma once

#include <string>

#include "imagelib/codecs/J2kImage.h"

class CPixFile;

namespace openjpeg {
// headerOnly: the size and components are read, no samples.
bool Read(CPixFile& file, bool jp2, J2kImage& image, std::string& error, bool headerOnly = false);
// quality 1..100: the kept share of the uncompressed size is quality / 100; 100 is lossless.
bool Write(CPixFile& file, bool jp2, const J2kImage& image, int quality, std::string& error);
} // namespace openjpeg
