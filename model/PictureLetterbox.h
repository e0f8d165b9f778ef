// A picture fitted whole into a box: scaled by the smaller of the two ratios and centred on
// white, as thumbnails and cover pictures show it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

class CPixImage;

// A 24-bit picture of width x height; null when the file does not decode as a picture or the
// box is empty.
std::unique_ptr<CPixImage> DrawLetterboxed(const std::string& path, int32_t width, int32_t height);
