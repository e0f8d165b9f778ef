// Running pixconvert and ImageMagick on pictures the image library writes.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "imagelib/PixImage.h"
#include "tests/imagelib/PixOpsTestUtil.h"
#include "tests/support/MissingDependency.h"
#include "tests/support/ShellCommand.h"

namespace tooltest {

// A smooth w x h picture, as photographs mostly are.
inline CPixImage Smooth(long w, long h) {
    return imgtest::Picture(w, h, [](long x, long y) { return RGB(40 + 2 * x, 128 + 100 * std::sin(0.09 * x + 0.05 * y), 30 + 2 * y); });
}

inline CommandResult PixConvert(const std::string& args) {
    return RunCommand(ShellQuote(PIXCONVERT_PATH) + " " + args);
}

} // namespace tooltest
