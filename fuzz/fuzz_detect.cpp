// Lets the dispatch find the format (type 0) of arbitrary bytes, as a load of an unknown file does.
#include <cstddef>
#include <cstdint>

#include "fuzz/FuzzImage.h"
#include "imagelib/PixImage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!fuzzimage::SmallEnough(data, size, PIXFORMAT_UNKNOWN)) return 0;
    CPixImage img;
    img.Decode(const_cast<BYTE*>(data), static_cast<DWORD>(size), PIXFORMAT_UNKNOWN);
    return 0;
}
