// Decodes GIF files from memory (the first and the last frame), then writes the picture back,
// alone and as a two-frame animation.
#include <cstddef>
#include <cstdint>

#include "fuzz/FuzzImage.h"
#include "imagelib/codecs/PixImageGIF.h"

namespace {
// Pictures written back stay below these: a true-colour one becomes a tile of 255 pixels at a
// time, each with its own code tables, which takes seconds under the sanitizers at the general cap.
constexpr uint64_t kMaxEncodedPixels = uint64_t{1} << 20;
constexpr uint64_t kMaxTiledPixels = uint64_t{1} << 17;

bool SmallPicture(CPixImage& img) {
    const uint64_t pixels = uint64_t{img.GetWidth()} * img.GetHeight();
    return pixels <= (img.GetBpp() > 8 ? kMaxTiledPixels : kMaxEncodedPixels);
}

void EncodeBack(CPixImageGIF& img) {
    if (!img.IsValid() || !SmallPicture(img)) return;
    CPixMemFile out;
    out.Open();
    img.Encode(&out);
    if (img.GetBpp() > 8) return;
    CPixImage* frames[] = {&img, &img};
    CPixMemFile pages;
    pages.Open();
    CPixImageGIF anim;
    anim.Encode(&pages, frames, 2, true);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!fuzzimage::SmallEnough(data, size, PIXFORMAT_GIF)) return 0;
    CPixImageGIF img;
    CPixMemFile in(const_cast<BYTE*>(data), static_cast<DWORD>(size));
    if (!img.Decode(&in)) return 0;
    EncodeBack(img);
    if (img.GetNumFrames() > 1) {
        CPixImageGIF last;
        last.SetFrame(img.GetNumFrames() - 1);
        CPixMemFile again(const_cast<BYTE*>(data), static_cast<DWORD>(size));
        if (last.Decode(&again)) EncodeBack(last);
    }
    return 0;
}
