// Decodes PNG files from memory, then writes the picture back.
#include <cstddef>
#include <cstdint>

#include "fuzz/FuzzLimits.h"
#include "imagelib/PixMemFile.h"
#include "imagelib/codecs/PixImagePNG.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 24) || !fuzzlimits::SmallEnough(data, size, PIXFORMAT_PNG)) return 0;
    CPixImagePNG img;
    CPixMemFile in(const_cast<BYTE*>(data), static_cast<DWORD>(size));
    if (!img.Decode(&in)) return 0;
    CPixMemFile out;
    out.Open();
    img.Encode(&out);
    return 0;
}
