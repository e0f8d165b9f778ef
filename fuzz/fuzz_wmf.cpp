// Plays placeable and enhanced metafiles from memory, at their own size and at a forced small one.
#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include "fuzz/FuzzImage.h"
#include "imagelib/codecs/PixImageWMF.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > fuzzimage::kMaxInputBytes) return 0;
    for (long side : {64L, 0L}) {
        CPixImageWMF img;
        CPixMemFile in(const_cast<BYTE*>(data), static_cast<DWORD>(size));
        // The picture's own size only when it is small: a header can ask for 4000 x 4000.
        if (side == 0) {
            CPixImageWMF probe;
            probe.SetEscape(-1);
            CPixMemFile again(const_cast<BYTE*>(data), static_cast<DWORD>(size));
            if (!probe.Decode(&again) || uint64_t{probe.GetWidth()} * probe.GetHeight() > fuzzimage::kMaxPixels) return 0;
        }
        img.Decode(&in, side, side);
    }
    return 0;
}
