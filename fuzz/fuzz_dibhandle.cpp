// Reads packed DIBs from global memory, then copies the picture out to a new block and reads
// that back: the copy must give the same block.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "fuzz/FuzzImage.h"
#include "platform/gdi/Gdi.h"

namespace {

// Width times height the header claims, so that a few bytes cannot ask for gigabytes.
uint64_t ClaimedPixels(const uint8_t* d, size_t size) {
    auto le = [d](size_t at, int n) {
        uint64_t v = 0;
        for (int i = n - 1; i >= 0; --i) v = (v << 8) | d[at + i];
        return v;
    };
    if (size >= 8 && le(0, 4) == 12) return le(4, 2) * le(6, 2);
    if (size < 12) return 0;
    const int64_t w = static_cast<int32_t>(le(4, 4)), h = static_cast<int32_t>(le(8, 4));
    return static_cast<uint64_t>(std::llabs(w)) * static_cast<uint64_t>(std::llabs(h));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > fuzzimage::kMaxInputBytes || ClaimedPixels(data, size) > fuzzimage::kMaxPixels) return 0;
    HGLOBAL in = GlobalAlloc(GHND, size);
    if (size) std::memcpy(GlobalLock(in), data, size), GlobalUnlock(in);
    CPixImage img;
    if (img.CreateFromHANDLE(in)) {
        HANDLE out = img.CopyToHandle();
        CPixImage again;
        if (!out || !again.CreateFromHANDLE(out) || again.GetSize() != img.GetSize() ||
            std::memcmp(again.GetDIB(), img.GetDIB(), static_cast<size_t>(img.GetSize())) != 0)
            std::abort();
        GlobalFree(out);
    }
    GlobalFree(in);
    return 0;
}
