// Decodes GIF files from memory (the first and the last frame), then writes the picture back,
// alone and as a two-frame animation.
#include <cstddef>
#include <cstdint>

#include "fuzz/FuzzImage.h"
#include "imagelib/codecs/PixImageGIF.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!fuzzimage::SmallEnough(data, size, PIXFORMAT_GIF)) return 0;
    CPixImageGIF img;
    fuzzimage::DecodeAndEncode(img, data, size);
    if (img.GetNumFrames() > 1) {
        CPixImageGIF last;
        last.SetFrame(img.GetNumFrames() - 1);
        fuzzimage::DecodeAndEncode(last, data, size);
    }
    if (img.IsValid() && img.GetBpp() <= 8) {
        CPixImage* frames[] = {&img, &img};
        CPixMemFile out;
        out.Open();
        CPixImageGIF anim;
        anim.Encode(&out, frames, 2, true);
    }
    return 0;
}
