// Running pixconvert and ImageMagick on pictures the image library writes.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "imagelib/PixImage.h"
#include "tests/support/ShellCommand.h"

namespace tooltest {

// A smooth w x h picture, as photographs mostly are.
inline CPixImage Smooth(long w, long h) {
    CPixImage img(static_cast<DWORD>(w), static_cast<DWORD>(h), 24);
    for (long y = 0; y < h; ++y)
        for (long x = 0; x < w; ++x)
            img.SetPixelColor(x, y, RGB(40 + 2 * x, 128 + 100 * std::sin(0.09 * x + 0.05 * y), 30 + 2 * y));
    return img;
}

inline CommandResult PixConvert(const std::string& args) {
    return RunCommand(ShellQuote(PIXCONVERT_PATH) + " " + args);
}

// ImageMagick is a reference: missing, it fails the tests in CI and skips them elsewhere.
#define REQUIRE_MAGICK()                                                                  \
    do {                                                                                  \
        if (!ToolAvailable("/usr/bin/convert")) {                                         \
            if (std::getenv("CI"))                                                        \
                FAIL() << "ImageMagick (/usr/bin/convert) is missing";                    \
            GTEST_SKIP() << "ImageMagick is missing";                                     \
        }                                                                                 \
    } while (0)

} // namespace tooltest
