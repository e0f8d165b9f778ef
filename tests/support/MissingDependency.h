// A test that needs something outside the code under test (a tool, a codec, a built library)
// skips without it on a developer's machine, but fails under CI, where the test command installs
// everything: a missing install step or a broken codec must not quietly turn tests off.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/support/ShellCommand.h"

// Use as a statement: SKIP_OR_FAIL_IN_CI("ffmpeg is missing"); it returns from the test.
#define SKIP_OR_FAIL_IN_CI(why)                                      \
    do {                                                             \
        if (std::getenv("CI")) { GTEST_FAIL() << "missing: " << why; } \
        GTEST_SKIP() << why;                                         \
    } while (0)

// ImageMagick, the reference decoder and operation set of the image tests, by its full path: a
// stand-in of the same name may come first on PATH.
#define MAGICK_CONVERT "/usr/bin/convert"
#define REQUIRE_MAGICK()                                                  \
    do {                                                                  \
        if (!ToolAvailable(MAGICK_CONVERT)) SKIP_OR_FAIL_IN_CI("ImageMagick"); \
    } while (0)
