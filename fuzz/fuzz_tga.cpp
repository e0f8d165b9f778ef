// Decodes TGA files from memory, then writes the picture back.
#include <cstddef>
#include <cstdint>

#include "fuzz/FuzzImage.h"
#include "imagelib/codecs/PixImageTGA.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!fuzzimage::SmallEnough(data, size, PIXFORMAT_TGA)) return 0;
    CPixImageTGA img;
    fuzzimage::DecodeAndEncode(img, data, size);
    return 0;
}
