// Helpers of the colour depth, crop and rotation tests.
#pragma once

#include <gtest/gtest.h>

#include <malloc.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "imagelib/PixImage.h"

namespace imgtest {

// A w x h 24-bit picture coloured fill(x, y) (a COLORREF), rows counted from the bottom.
template <class Fill>
CPixImage Picture(long w, long h, Fill fill, DWORD bpp = 24) {
    CPixImage img(static_cast<DWORD>(w), static_cast<DWORD>(h), bpp);
    for (long y = 0; y < h; ++y)
        for (long x = 0; x < w; ++x)
            img.SetPixelColor(x, y, fill(x, y));
    return img;
}

// A 4-bit picture: index (x + 3y) mod 16 over the standard palette.
inline CPixImage Indexed4(long w, long h) {
    CPixImage img(static_cast<DWORD>(w), static_cast<DWORD>(h), 4);
    img.SetStdPalette();
    for (long y = 0; y < h; ++y)
        for (long x = 0; x < w; ++x)
            img.SetPixelIndex(x, y, static_cast<BYTE>((x + 3 * y) % 16));
    return img;
}

// A picture whose selection a test sets directly: the pixels x0 <= x < x1, y0 <= y < y1 are
// selected and the box is whatever the test gives, also past the picture.
class SelectedImage : public CPixImage {
public:
    explicit SelectedImage(const CPixImage& img) : CPixImage(img) {}
    void Select(long x0, long y0, long x1, long y1, RECT box) {
        std::free(selection);
        selection = static_cast<BYTE*>(std::calloc(PlaneSize(), 1));
        for (long y = y0; y < y1; ++y)
            for (long x = x0; x < x1; ++x)
                selection[x + y * GetWidth()] = 255;
        info.selectionBox = box;
    }
};

// Runs check() in a child process whose address space may grow by only `room` bytes, so that
// the next large allocation fails; true when check() held there. Sanitizer builds reserve more
// address space than any such limit allows: they do not run it. Large blocks freed earlier may
// stay in the heap, where the check's allocations would fit: they are handed back first.
template <class Check>
bool HoldsWithoutMemory(size_t room, Check check) {
    (void)room;
    (void)check;
#if !defined(__SANITIZE_ADDRESS__)
    std::fflush(nullptr);
    if (const pid_t pid = fork(); pid != 0) {
        int status = 0;
        waitpid(pid, &status, 0);
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    malloc_trim(0);
    long pages = 0;
    FILE* f = std::fopen("/proc/self/statm", "r");
    if (!f || std::fscanf(f, "%ld", &pages) != 1)
        _exit(2);
    const rlim_t limit = pages * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + room;
    const rlimit rl{limit, limit};
    setrlimit(RLIMIT_AS, &rl);
    _exit(check() ? 0 : 1);
#endif
    return true;
}

} // namespace imgtest
