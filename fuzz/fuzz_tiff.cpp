// Decodes TIFF files from memory (every page the file has, up to a few), then writes each back.
#include <cstddef>
#include <cstdint>

#include "fuzz/FuzzImage.h"
#include "imagelib/codecs/PixImageTIF.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!fuzzimage::SmallEnough(data, size, PIXFORMAT_TIF)) return 0;
    CPixImageTIF first;
    fuzzimage::DecodeAndEncode(first, data, size);
    for (long frame = 1; frame < first.GetNumFrames() && frame < 4; ++frame) {
        CPixImageTIF page;
        page.SetFrame(frame);
        fuzzimage::DecodeAndEncode(page, data, size);
    }
    return 0;
}
