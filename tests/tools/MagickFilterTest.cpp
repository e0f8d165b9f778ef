// Tone, filter, mixing, channel and sharpening operations against ImageMagick on the same
// 24-bit picture, the pixels near the border left out.
#include <gtest/gtest.h>

#include <cstdlib>

#include "imagelib/PixImage.h"
#include "tests/imagelib/ImageTestUtil.h"
#include "tests/imagelib/PixOpsTestUtil.h"
#include "tests/support/TempDir.h"
#include "tests/tools/PixConvertTestUtil.h"

namespace {

constexpr long kW = 96, kH = 72;

// A textured picture: smooth gradients with small sharp detail, as photographs have.
CPixImage Textured(bool grey) {
    CPixImage img(kW, kH, 24);
    imgtest::ForEachPixel(img, [&](long x, long y) {
        const int d = static_cast<int>((x * 37 + y * 91 + x * y) % 41) - 20;
        const int r = 60 + x + d, g = 50 + 2 * y - d, b = 120 + (x * y) % 97;
        img.SetPixelColor(x, y, grey ? RGB(r, r, r) : RGB(r, g, b));
    });
    return img;
}

struct Comparison {
    const char* ops;    // pixconvert, on in.png (second.png is a second picture)
    const char* magick; // ImageMagick arguments between the input and the output
    bool grey;
    long border;
    int tolerance;     // largest difference of any sample
    double meanLimit;  // largest mean difference, 0: not checked
};

const Comparison kComparisons[] = {
    {"--op Threshold 127", "-threshold 50%", true, 0, 0, 0},
    {"--op Gamma 2.2", "-gamma 2.2", false, 0, 1, 0},
    {"--op Filter 1,1,1,1,8,1,1,1,1 16 0",
     "-morphology Convolve '3x3: 0.0625,0.0625,0.0625 0.0625,0.5,0.0625 0.0625,0.0625,0.0625'", false, 1, 1, 0},
    {"--op Erode 3", "-morphology Erode Square:1", false, 1, 0, 0},
    {"--op Dilate 3", "-morphology Dilate Square:1", false, 1, 0, 0},
    {"--op Edge 3", "-morphology Edge Square:1 -negate", false, 1, 0, 0},
    {"--op Median 3", "-statistic Median 3x3", true, 1, 0, 0},
    {"--op Mix second.png 0 0 0 0", "second.png -compose Plus -composite", false, 0, 0, 0},
    {"--op Mix second.png 7 0 0 0", "second.png -compose MinusSrc -composite", false, 0, 0, 0},
    {"--op UnsharpMask 5 0.5 0", "-unsharp 0x6+0.5+0", false, 13, 255, 1.0},
};

void Compare(CPixImage& a, CPixImage& b, long border, int& worst, double& mean) {
    ASSERT_EQ(a.GetWidth(), b.GetWidth());
    ASSERT_EQ(a.GetHeight(), b.GetHeight());
    worst = 0;
    double sum = 0;
    long count = 0;
    imgtest::ForEachPixel(a, [&](long x, long y) {
        if (x < border || y < border || x >= kW - border || y >= kH - border)
            return;
        const RGBQUAD p = a.GetPixelColor(x, y, false), q = b.GetPixelColor(x, y, false);
        for (int d : {p.rgbRed - q.rgbRed, p.rgbGreen - q.rgbGreen, p.rgbBlue - q.rgbBlue}) {
            worst = std::max(worst, std::abs(d));
            sum += std::abs(d);
            ++count;
        }
    });
    mean = sum / count;
}

TEST(MagickFilter, SameResultAsImageMagick) {
    REQUIRE_MAGICK();
    TempDir dir;
    ASSERT_TRUE(Textured(false).Save(dir.File("in.png").c_str(), PIXFORMAT_PNG));
    ASSERT_TRUE(Textured(true).Save(dir.File("grey.png").c_str(), PIXFORMAT_PNG));
    CPixImage second = imgtest::Picture(kW, kH, [](long x, long y) { return RGB(3 * y, 200 - x, (x + y) % 150); });
    ASSERT_TRUE(second.Save(dir.File("second.png").c_str(), PIXFORMAT_PNG));
    for (const Comparison& c : kComparisons) {
        SCOPED_TRACE(c.ops);
        const std::string in = dir.File(c.grey ? "grey.png" : "in.png");
        std::string ops = c.ops, magick = c.magick;
        for (std::string* s : {&ops, &magick}) {
            if (const size_t at = s->find("second.png"); at != std::string::npos)
                s->replace(at, 10, dir.File("second.png"));
        }
        const CommandResult ours = tooltest::PixConvert(in + " " + dir.File("ours.png") + " " + ops);
        ASSERT_EQ(ours.status, 0) << ours.err;
        const CommandResult ref = RunCommand("MAGICK_THREAD_LIMIT=1 " MAGICK_CONVERT " " + in + " " + magick + " PNG24:" +
                                             dir.File("ref.png"));
        ASSERT_EQ(ref.status, 0) << ref.err;
        CPixImage a(dir.File("ours.png").c_str(), PIXFORMAT_PNG), b(dir.File("ref.png").c_str(), PIXFORMAT_PNG);
        ASSERT_TRUE(a.IsValid() && b.IsValid());
        int worst = 0;
        double mean = 0;
        Compare(a, b, c.border, worst, mean);
        EXPECT_LE(worst, c.tolerance);
        if (c.meanLimit > 0) {
            EXPECT_LE(mean, c.meanLimit);
        }
        RecordProperty(c.ops, std::to_string(worst) + " mean " + std::to_string(mean));
    }
}

TEST(MagickFilter, ChannelsAsImageMagickSeparatesThem) {
    REQUIRE_MAGICK();
    struct Split {
        const char* op;
        const char* colorspace;
        int tolerance;
    } splits[] = {{"SplitRGB", "sRGB", 0}, {"SplitYUV", "YCbCr", 2}, {"SplitYIQ", "YIQ", 2}, {"SplitHSL", "HSL", 2}};
    TempDir dir;
    ASSERT_TRUE(Textured(false).Save(dir.File("in.png").c_str(), PIXFORMAT_PNG));
    for (const Split& s : splits) {
        SCOPED_TRACE(s.op);
        const CommandResult ours = tooltest::PixConvert(dir.File("in.png") + " " + dir.File("same.png") + " --op " + s.op +
                                                        " " + dir.File("c0.png") + " " + dir.File("c1.png") + " " +
                                                        dir.File("c2.png"));
        ASSERT_EQ(ours.status, 0) << ours.err;
        const CommandResult ref = RunCommand("MAGICK_THREAD_LIMIT=1 " MAGICK_CONVERT " " + dir.File("in.png") +
                                             " -colorspace " + s.colorspace + " -separate PNG24:" + dir.File("r%d.png"));
        ASSERT_EQ(ref.status, 0) << ref.err;
        for (int ch = 0; ch < 3; ++ch) {
            CPixImage a(dir.File("c" + std::to_string(ch) + ".png").c_str(), PIXFORMAT_PNG);
            CPixImage b(dir.File("r" + std::to_string(ch) + ".png").c_str(), PIXFORMAT_PNG);
            ASSERT_TRUE(a.IsValid() && b.IsValid());
            int worst = 0;
            imgtest::ForEachPixel(a, [&](long x, long y) {
                int d = std::abs(a.GetPixelColor(x, y).rgbRed - b.GetPixelColor(x, y).rgbRed);
                if (ch == 0 && std::string(s.colorspace) == "HSL")
                    d = std::min(d, 256 - d); // hue goes round
                worst = std::max(worst, d);
            });
            EXPECT_LE(worst, s.tolerance) << "channel " << ch;
        }
    }
}

} // namespace
