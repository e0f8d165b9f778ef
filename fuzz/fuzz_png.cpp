// Decodes PNG files from memory, then writes the picture back.
#include <cstddef>
#include <cstdint>

#include "fuzz/FuzzImage.h"
#include "imagelib/codecs/PixImagePNG.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!fuzzimage::SmallEnough(data, size, PIXFORMAT_PNG)) return 0;
    CPixImagePNG img;
    fuzzimage::DecodeAndEncode(img, data, size);
    return 0;
}
