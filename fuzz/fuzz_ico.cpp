// Decodes ICO files from memory, then writes the picture back.
#include <cstddef>
#include <cstdint>

#include "fuzz/FuzzImage.h"
#include "imagelib/codecs/PixImageICO.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!fuzzimage::SmallEnough(data, size, PIXFORMAT_ICO)) return 0;
    CPixImageICO img;
    fuzzimage::DecodeAndEncode(img, data, size);
    return 0;
}
