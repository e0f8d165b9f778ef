// Helpers of the colour depth, crop and rotation tests.
#pragma once

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

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

// Runs check() in a child process whose address space may grow by at most `room` bytes, so that
// the next large allocation fails; true when check() returned true there. Sanitizer builds
// reserve far more address space than any limit allows: they skip.
template <class Check>
bool HoldsWithoutMemory(size_t room, Check check) {
#if defined(__SANITIZE_ADDRESS__)
    (void)room;
    (void)check;
    return true;
#else
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        long pages = 0;
        if (FILE* f = std::fopen("/proc/self/statm", "r")) {
            if (std::fscanf(f, "%ld", &pages) != 1)
                pages = 0;
            std::fclose(f);
        }
        const rlim_t limit = static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + room;
        rlimit rl{limit, limit};
        setrlimit(RLIMIT_AS, &rl);
        _exit(check() ? 0 : 1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
#endif
}

} // namespace imgtest
