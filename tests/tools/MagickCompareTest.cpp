// The operations against ImageMagick on the same 24-bit picture, the pixels near the border
// left out where ImageMagick treats the edges otherwise.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "imagelib/PixImage.h"
#include "tests/imagelib/ImageTestUtil.h"
#include "tests/support/TempDir.h"
#include "tests/tools/PixConvertTestUtil.h"

namespace {

// A textured picture: smooth gradients with small sharp detail, as photographs have.
CPixImage Textured(bool grey) {
    return imgtest::Picture(96, 72, [grey](long x, long y) {
        const int d = static_cast<int>((x * 37 + y * 91 + x * y) % 41) - 20;
        const int r = 60 + x + d, g = 50 + 2 * y - d, b = 120 + (x * y) % 97;
        return grey ? RGB(r, r, r) : RGB(r, g, b);
    });
}

// The pictures the operations read: "second.png" in an operation is a second picture.
class MagickCompare : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_MAGICK();
        // Odd sides: both turn about the same centre pixel.
        ASSERT_TRUE(tooltest::Smooth(101, 81).Save(dir.File("smooth.png").c_str(), PIXFORMAT_PNG));
        ASSERT_TRUE(Textured(false).Save(dir.File("in.png").c_str(), PIXFORMAT_PNG));
        ASSERT_TRUE(Textured(true).Save(dir.File("grey.png").c_str(), PIXFORMAT_PNG));
        CPixImage second = imgtest::Picture(96, 72, [](long x, long y) { return RGB(3 * y, 200 - x, (x + y) % 150); });
        ASSERT_TRUE(second.Save(dir.File("second.png").c_str(), PIXFORMAT_PNG));
    }
    // Runs both on `in`; the images they wrote.
    void Run(const std::string& in, std::string ops, std::string magick, CPixImage& ours, CPixImage& ref) {
        for (std::string* s : {&ops, &magick})
            if (const size_t at = s->find("second.png"); at != std::string::npos) s->replace(at, 10, dir.File("second.png"));
        const CommandResult run = tooltest::PixConvert(dir.File(in) + " " + dir.File("ours.png") + " " + ops);
        ASSERT_EQ(run.status, 0) << run.err;
        const CommandResult magickRun = RunCommand("MAGICK_THREAD_LIMIT=1 " MAGICK_CONVERT " " + dir.File(in) + " " +
                                                   magick + " PNG24:" + dir.File("ref.png"));
        ASSERT_EQ(magickRun.status, 0) << magickRun.err;
        ASSERT_TRUE(ours.Load(dir.File("ours.png").c_str(), PIXFORMAT_PNG));
        ASSERT_TRUE(ref.Load(dir.File("ref.png").c_str(), PIXFORMAT_PNG));
        ASSERT_EQ(ours.GetWidth(), ref.GetWidth());
        ASSERT_EQ(ours.GetHeight(), ref.GetHeight());
    }
    TempDir dir;
};

TEST_F(MagickCompare, SameResultAsImageMagick) {
    const struct {
        const char* in;
        const char* ops;
        const char* magick;
        long border;
        int tolerance;    // largest difference of any sample
        double meanLimit; // largest mean difference, 0: any
    } comparisons[] = {
        {"smooth.png", "--op Negative", "-negate", 0, 0, 0},
        {"smooth.png", "--op GrayScale", "-grayscale Rec601Luma", 0, 1, 0},
        {"smooth.png", "--op Crop 10 20 60 50", "-crop 50x30+10+20 +repage", 0, 0, 0},
        {"smooth.png", "--op Expand 3 4 5 6 '#FF0000'", "-background '#FF0000' -extent 109x91-3-4", 0, 0, 0},
        {"smooth.png", "--op Rotate2 90 2 1 '#FFFFFF' 1 0", "-rotate 90", 0, 0, 0},
        // Only the middle, whose sources lie inside the picture.
        {"smooth.png", "--op Rotate2 30 2 1 '#000000' 0 1", "-filter point -interpolate bilinear -distort SRT 30", 25, 2, 0},
        {"grey.png", "--op Threshold 127", "-threshold 50%", 0, 0, 0},
        {"in.png", "--op Gamma 2.2", "-gamma 2.2", 0, 1, 0},
        {"in.png", "--op Filter 1,1,1,1,8,1,1,1,1 16 0",
         "-morphology Convolve '3x3: 0.0625,0.0625,0.0625 0.0625,0.5,0.0625 0.0625,0.0625,0.0625'", 1, 1, 0},
        {"in.png", "--op Erode 3", "-morphology Erode Square:1", 1, 0, 0},
        {"in.png", "--op Dilate 3", "-morphology Dilate Square:1", 1, 0, 0},
        {"in.png", "--op Edge 3", "-morphology Edge Square:1 -negate", 1, 0, 0},
        {"grey.png", "--op Median 3", "-statistic Median 3x3", 1, 0, 0},
        {"in.png", "--op Mix second.png 0 0 0 0", "second.png -compose Plus -composite", 0, 0, 0},
        {"in.png", "--op Mix second.png 7 0 0 0", "second.png -compose MinusSrc -composite", 0, 0, 0},
        {"in.png", "--op UnsharpMask 5 0.5 0", "-unsharp 0x6+0.5+0", 13, 255, 1.0},
    };
    for (const auto& c : comparisons) {
        SCOPED_TRACE(c.ops);
        CPixImage ours, ref;
        ASSERT_NO_FATAL_FAILURE(Run(c.in, c.ops, c.magick, ours, ref));
        const long w = static_cast<long>(ours.GetWidth()), h = static_cast<long>(ours.GetHeight());
        int worst = 0;
        double sum = 0;
        imgtest::ForEachPixel(ours, [&](long x, long y) {
            if (x < c.border || y < c.border || x >= w - c.border || y >= h - c.border) return;
            const RGBQUAD p = ours.GetPixelColor(x, y, false), q = ref.GetPixelColor(x, y, false);
            for (int d : {p.rgbRed - q.rgbRed, p.rgbGreen - q.rgbGreen, p.rgbBlue - q.rgbBlue}) {
                worst = std::max(worst, std::abs(d));
                sum += std::abs(d);
            }
        });
        const double mean = sum / (3.0 * (w - 2 * c.border) * (h - 2 * c.border));
        EXPECT_LE(worst, c.tolerance);
        EXPECT_LE(mean, c.meanLimit > 0 ? c.meanLimit : 255.0);
        RecordProperty(c.ops, std::to_string(worst) + " mean " + std::to_string(mean));
    }
}

TEST_F(MagickCompare, ChannelsAsImageMagickSeparatesThem) {
    const struct {
        const char* op;
        const char* colorspace;
        int tolerance;
    } splits[] = {{"SplitRGB", "sRGB", 0}, {"SplitYUV", "YCbCr", 2}, {"SplitYIQ", "YIQ", 2}, {"SplitHSL", "HSL", 2}};
    for (const auto& s : splits) {
        SCOPED_TRACE(s.op);
        for (int ch = 0; ch < 3; ++ch) {
            const std::string n = std::to_string(ch);
            // Our channel pictures c0..c2 against ImageMagick's separated channel.
            CPixImage ours, ref;
            ASSERT_NO_FATAL_FAILURE(Run("in.png", "--op " + std::string(s.op) + " " + dir.File("c0.png") + " " +
                                            dir.File("c1.png") + " " + dir.File("c2.png"),
                                        "-colorspace " + std::string(s.colorspace) + " -channel " + "RGB"[ch] + " -separate",
                                        ours, ref));
            ASSERT_TRUE(ours.Load(dir.File("c" + n + ".png").c_str(), PIXFORMAT_PNG));
            int worst = 0;
            imgtest::ForEachPixel(ours, [&](long x, long y) {
                int d = std::abs(ours.GetPixelColor(x, y).rgbRed - ref.GetPixelColor(x, y).rgbRed);
                if (ch == 0 && std::string(s.colorspace) == "HSL") d = std::min(d, 256 - d); // hue goes round
                worst = std::max(worst, d);
            });
            EXPECT_LE(worst, s.tolerance) << "channel " << ch;
        }
    }
}

} // namespace
