// The operations against ImageMagick on the same picture.
#include <gtest/gtest.h>

#include "imagelib/PixImage.h"
#include "tests/imagelib/ImageTestUtil.h"
#include "tests/support/TempDir.h"
#include "tests/tools/PixConvertTestUtil.h"

namespace {

struct Comparison {
    const char* ops;    // pixconvert
    const char* magick; // ImageMagick
    int tolerance;
    bool inner; // only the middle, whose sources lie inside the picture
};

const Comparison kComparisons[] = {
    {"--op Negative", "-negate", 0, false},
    {"--op GrayScale", "-grayscale Rec601Luma", 1, false},
    {"--op Crop 10 20 60 50", "-crop 50x30+10+20 +repage", 0, false},
    {"--op Expand 3 4 5 6 '#FF0000'", "-background '#FF0000' -extent 109x91-3-4", 0, false},
    {"--op Rotate2 90 2 1 '#FFFFFF' 1 0", "-rotate 90", 0, false},
    {"--op Rotate2 30 2 1 '#000000' 0 1", "-filter point -interpolate bilinear -distort SRT 30", 2, true},
};

TEST(MagickCompare, SameResultAsImageMagick) {
    REQUIRE_MAGICK();
    TempDir dir;
    // Odd sides: both turn about the same centre pixel.
    ASSERT_TRUE(tooltest::Smooth(101, 81).Save(dir.File("in.png").c_str(), PIXFORMAT_PNG));
    for (const Comparison& c : kComparisons) {
        const CommandResult ours = tooltest::PixConvert(dir.File("in.png") + " " + dir.File("ours.png") + " " + c.ops);
        ASSERT_EQ(ours.status, 0) << ours.err;
        const CommandResult ref = RunCommand(MAGICK_CONVERT " " + dir.File("in.png") + " " + c.magick + " PNG24:" +
                                             dir.File("ref.png"));
        ASSERT_EQ(ref.status, 0) << ref.err;
        CPixImage a(dir.File("ours.png").c_str(), PIXFORMAT_PNG), b(dir.File("ref.png").c_str(), PIXFORMAT_PNG);
        ASSERT_TRUE(a.GetWidth() == b.GetWidth() && a.GetHeight() == b.GetHeight()) << c.ops;
        ASSERT_TRUE(!c.inner || (a.Crop(25, 20, 76, 61) && b.Crop(25, 20, 76, 61)));
        const int worst = imgtest::MaxDifference(a, b);
        EXPECT_LE(worst, c.tolerance) << c.ops;
        RecordProperty(c.ops, worst);
    }
}

} // namespace
