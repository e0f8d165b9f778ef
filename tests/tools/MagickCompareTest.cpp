// The operations against ImageMagick on the same picture.
#include <gtest/gtest.h>

#include <cstdlib>

#include "imagelib/PixImage.h"
#include "tests/imagelib/ImageTestUtil.h"
#include "tests/support/TempDir.h"
#include "tests/tools/PixConvertTestUtil.h"

namespace {

struct Comparison {
    const char* ops;    // pixconvert
    const char* magick; // ImageMagick
    int tolerance;
    long insideRadius; // 0: every pixel; else only pixels this near the centre
};

const Comparison kComparisons[] = {
    {"--op Negative", "-negate", 0, 0},
    {"--op GrayScale", "-grayscale Rec601Luma", 1, 0},
    {"--op Crop 10 20 60 50", "-crop 50x30+10+20 +repage", 0, 0},
    {"--op Expand 3 4 5 6 '#FF0000'", "-background '#FF0000' -extent 109x91-3-4", 0, 0},
    {"--op Rotate2 90 2 1 '#FFFFFF' 1 0", "-rotate 90", 0, 0},
    {"--op Rotate2 30 2 1 '#000000' 0 1", "-filter point -interpolate bilinear -distort SRT 30", 2, 36},
};

TEST(MagickCompare, SameResultAsImageMagick) {
    REQUIRE_MAGICK();
    TempDir dir;
    const long w = 101, h = 81; // odd: both turn about the same centre pixel
    ASSERT_TRUE(tooltest::Smooth(w, h).Save(dir.File("in.png").c_str(), PIXFORMAT_PNG));
    for (const Comparison& c : kComparisons) {
        SCOPED_TRACE(c.ops);
        const CommandResult ours = tooltest::PixConvert(dir.File("in.png") + " " + dir.File("ours.png") + " " + c.ops);
        ASSERT_EQ(ours.status, 0) << ours.err;
        const CommandResult ref = RunCommand("/usr/bin/convert " + dir.File("in.png") + " " + c.magick + " PNG24:" +
                                             dir.File("ref.png"));
        ASSERT_EQ(ref.status, 0) << ref.err;
        CPixImage a(dir.File("ours.png").c_str(), PIXFORMAT_PNG), b(dir.File("ref.png").c_str(), PIXFORMAT_PNG);
        ASSERT_TRUE(a.IsValid() && b.IsValid());
        ASSERT_EQ(a.GetWidth(), b.GetWidth());
        ASSERT_EQ(a.GetHeight(), b.GetHeight());
        int worst = 0;
        imgtest::ForEachPixel(a, [&](long x, long y) {
            const long dx = x - w / 2, dy = y - h / 2;
            if (c.insideRadius && dx * dx + dy * dy > c.insideRadius * c.insideRadius)
                return;
            const RGBQUAD p = a.GetPixelColor(x, y, false), q = b.GetPixelColor(x, y, false);
            worst = std::max({worst, std::abs(p.rgbRed - q.rgbRed), std::abs(p.rgbGreen - q.rgbGreen),
                              std::abs(p.rgbBlue - q.rgbBlue)});
        });
        EXPECT_LE(worst, c.tolerance);
        RecordProperty(c.ops, worst);
    }
}

} // namespace
