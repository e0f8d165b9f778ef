// Decodes JPEG 2000 files and code streams, PGX, PNM and Sun raster files from memory (each frame
// of a multi-component file, up to a few), then writes the picture back as the format it was.
#include <cstddef>
#include <cstdint>

#include "fuzz/FuzzImage.h"
#include "imagelib/codecs/PixImageJ2K.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!fuzzimage::SmallEnough(data, size, PIXFORMAT_PNM)) return 0;
    for (long frame = 0; frame < 3; ++frame) {
        CPixImageJ2K img;
        img.SetFrame(frame);
        CPixMemFile in(const_cast<BYTE*>(data), static_cast<DWORD>(size));
        if (!img.Decode(&in)) return 0;
        CPixMemFile out;
        out.Open();
        img.Encode(&out, img.GetType());
        if (img.GetNumFrames() <= frame + 1) return 0;
    }
    return 0;
}
