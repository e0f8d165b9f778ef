// The two-dimensional Fourier transform and the unsharp mask.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <limits>
#include <vector>

#include "imagelib/PixImage.h"
#include "tests/imagelib/ImageTestUtil.h"
#include "tests/imagelib/PixOpsTestUtil.h"

namespace {

struct Exposed : CPixImage {
    using CPixImage::CPixImage;
    explicit Exposed(const CPixImage& c) : CPixImage(c) {}
    using CPixImage::gen_convolve_matrix;
};

CPixImage Grey(long w, long h, int (*f)(long, long)) {
    CPixImage img(static_cast<DWORD>(w), static_cast<DWORD>(h), 8);
    img.SetGrayPalette();
    imgtest::ForEachPixel(img, [&](long x, long y) { img.SetPixelIndex(x, y, static_cast<BYTE>(f(x, y))); });
    return img;
}

int Texture(long x, long y) {
    return static_cast<int>((x * 37 + y * y * 11 + x * y * 5) % 200) + 28;
}

// The transform by its definition, in double precision, with the gain applied and clamped.
void Reference(CPixImage& re, CPixImage& im, long dir, std::vector<int>& outRe, std::vector<int>& outIm) {
    const long w = static_cast<long>(re.GetWidth()), h = static_cast<long>(re.GetHeight());
    std::vector<std::complex<double>> z(static_cast<size_t>(w * h)), t(z.size());
    imgtest::ForEachPixel(re, [&](long x, long y) {
        z[static_cast<size_t>(y * w + x)] = {re.GetPixelIndex(x, y) - 128.0, im.GetPixelIndex(x, y) - 128.0};
    });
    const double s = dir == 1 ? -1 : 1;
    for (long v = 0; v < h; ++v)
        for (long u = 0; u < w; ++u) {
            std::complex<double> sum;
            for (long y = 0; y < h; ++y)
                for (long x = 0; x < w; ++x)
                    sum += z[static_cast<size_t>(y * w + x)] *
                           std::polar(1.0, s * 2 * M_PI * (static_cast<double>(u * x) / w + static_cast<double>(v * y) / h));
            t[static_cast<size_t>(v * w + u)] = dir == 1 ? sum / static_cast<double>(w * h) : sum;
        }
    double g = std::max(w, h) / 16.0;
    if (dir == -1)
        g = 1 / g;
    for (const auto& c : t) {
        outRe.push_back(static_cast<int>(std::clamp(128 + c.real() * g, 0.0, 255.0)));
        outIm.push_back(static_cast<int>(std::clamp(128 + c.imag() * g, 0.0, 255.0)));
    }
}

TEST(PixFourier, MatchesTheDefinitionInBothDirections) {
    struct Case {
        long w, h, dir;
    } cases[] = {{16, 8, 1}, {12, 10, 1}, {7, 9, -1}, {32, 5, -1}};
    for (const Case& c : cases) {
        CPixImage re = Grey(c.w, c.h, Texture);
        CPixImage im = Grey(c.w, c.h, [](long x, long y) { return static_cast<int>(128 + (x - y) % 5); });
        std::vector<int> wantRe, wantIm;
        Reference(re, im, c.dir, wantRe, wantIm);
        CPixImage outRe, outIm;
        ASSERT_TRUE(re.FFT2(&re, &im, &outRe, &outIm, c.dir, false, false));
        ASSERT_EQ(outRe.GetWidth(), static_cast<DWORD>(c.w));
        int worst = 0;
        imgtest::ForEachPixel(outRe, [&](long x, long y) {
            const size_t i = static_cast<size_t>(y * c.w + x);
            worst = std::max({worst, std::abs(outRe.GetPixelIndex(x, y) - wantRe[i]),
                              std::abs(outIm.GetPixelIndex(x, y) - wantIm[i])});
        });
        EXPECT_LE(worst, 1) << c.w << "x" << c.h << " direction " << c.dir;
        EXPECT_EQ(re.GetPixelIndex(1, 1), Texture(1, 1)) << "the inputs stay when outputs are given";
    }
}

TEST(PixFourier, SizesZeroAndRoundTrip) {
    CPixImage odd = Grey(100, 60, Texture), outRe, outIm;
    EXPECT_FALSE(odd.FFT2(&odd, nullptr, &outRe, &outIm, 1, true, false)) << "an empty output without input";
    outIm = Grey(100, 60, [](long, long) { return 128; });
    ASSERT_TRUE(odd.FFT2(&odd, nullptr, &outRe, &outIm, 1, true, false));
    EXPECT_TRUE(outRe.GetWidth() == 128 && outIm.GetHeight() == 64) << "sides grow to powers of 2";

    CPixImage mid = Grey(8, 8, [](long, long) { return 128; }), mid2(mid);
    ASSERT_TRUE(mid.FFT2(&mid, &mid2, nullptr, nullptr, 1, false, true));
    EXPECT_EQ(mid.GetPixelIndex(3, 3), 0) << "the logarithm of 0 is clamped";

    // A constant picture goes there and back exactly; a missing imaginary part is zero.
    CPixImage re = Grey(16, 16, [](long, long) { return 150; });
    ASSERT_TRUE(re.FFT2(&re, nullptr, nullptr, nullptr, 1, false, false));
    EXPECT_EQ(re.GetPixelIndex(0, 0), 128 + 22);
    CPixImage im = Grey(16, 16, [](long, long) { return 128; });
    ASSERT_TRUE(re.FFT2(&re, &im, nullptr, nullptr, -1, false, false));
    EXPECT_TRUE(re.GetPixelIndex(9, 4) == 150 && im.GetPixelIndex(9, 4) == 128);

    CPixImage stop = Grey(12, 10, Texture);
    stop.SetEscape(1);
    EXPECT_FALSE(stop.FFT2(&stop, nullptr, nullptr, nullptr, 1, false, false)) << "a stop request ends it";
    EXPECT_EQ(stop.GetPixelIndex(3, 2), Texture(3, 2)) << "and changes nothing";

    CPixImage empty;
    EXPECT_FALSE(empty.FFT2(&empty, nullptr, nullptr, nullptr, 1, true, true));
    EXPECT_FALSE(re.FFT2(nullptr, nullptr, &re, nullptr, 1, true, true));
    EXPECT_FALSE(re.FFT2(&re, nullptr, nullptr, nullptr, 0, true, true));
    CPixImage wide = Grey(20000, 1, [](long, long) { return 1; });
    EXPECT_FALSE(wide.FFT2(&wide, nullptr, nullptr, nullptr, 1, true, true)) << "32768 is past the largest side";
    EXPECT_EQ(wide.GetWidth(), 20000u);
}

// Sharpening by -1 gives the blur itself: a Gaussian of deviation radius + 1, each tap its integral
// over the pixel, cut 2 deviations out and weighted over the pixels inside the picture.
TEST(PixUnsharp, KernelAndBlur) {
    Exposed img(64, 64, 24);
    float* k = nullptr;
    ASSERT_EQ(img.gen_convolve_matrix(1e30f, &k), 129) << "no longer than twice the longer side plus one";
    delete[] k;
    auto tap = [](long d) { return std::erf((d + 0.5) / std::sqrt(32.0)) - std::erf((d - 0.5) / std::sqrt(32.0)); };
    for (long w : {40L, 9L}) {
        CPixImage src = imgtest::Picture(w, 31, [](long x, long y) { return RGB((x * 53 + y * 7) % 256, 9 * y, x * y % 256); });
        CPixImage blur(src);
        ASSERT_TRUE(blur.UnsharpMask(3.0f, -1.0f, 0));
        int worst = 0;
        imgtest::ForEachPixel(src, [&](long x, long y) {
            const RGBQUAD got = blur.GetPixelColor(x, y);
            double sum[3] = {}, weight = 0;
            for (long v = std::max(0L, y - 8); v <= std::min(30L, y + 8); ++v)
                for (long u = std::max(0L, x - 8); u <= std::min(w - 1, x + 8); ++u) {
                    const double g = tap(u - x) * tap(v - y);
                    const RGBQUAD c = src.GetPixelColor(u, v);
                    sum[0] += g * c.rgbRed, sum[1] += g * c.rgbGreen, sum[2] += g * c.rgbBlue, weight += g;
                }
            worst = std::max({worst, std::abs(got.rgbRed - static_cast<int>(sum[0] / weight + 0.5)),
                              std::abs(got.rgbGreen - static_cast<int>(sum[1] / weight + 0.5)),
                              std::abs(got.rgbBlue - static_cast<int>(sum[2] / weight + 0.5))});
        });
        EXPECT_LE(worst, 2) << "width " << w;
    }
}

TEST(PixUnsharp, SharpeningRules) {
    CPixImage flat = imgtest::Picture(30, 20, [](long, long) { return RGB(70, 80, 90); }), flat0(flat);
    ASSERT_TRUE(flat.UnsharpMask(5, 3, 0));
    EXPECT_EQ(imgtest::MaxDifference(flat, flat0), 0);

    CPixImage edges = imgtest::Picture(30, 20, [](long x, long) { return x < 15 ? RGB(60, 60, 60) : RGB(160, 160, 160); });
    CPixImage kept(edges);
    ASSERT_TRUE(kept.UnsharpMask(2, 5, 255));
    EXPECT_EQ(imgtest::MaxDifference(kept, edges), 0) << "differences under the threshold stay";
    ASSERT_TRUE(edges.UnsharpMask(2, 1e30f, 0));
    EXPECT_EQ(imgtest::Rgb(edges, 14, 5), RGB(0, 0, 0)) << "the product is clamped";
    EXPECT_EQ(imgtest::Rgb(edges, 15, 5), RGB(255, 255, 255));

    CPixImage grey(10, 10, 8);
    grey.SetGrayPalette();
    EXPECT_TRUE(grey.UnsharpMask(1, 1, 0));
    CPixImage four = imgtest::Indexed4(10, 10), colour8(10, 10, 8);
    colour8.SetStdPalette();
    EXPECT_FALSE(four.UnsharpMask(1, 1, 0));
    EXPECT_FALSE(colour8.UnsharpMask(1, 1, 0));
    EXPECT_FALSE(flat.UnsharpMask(std::numeric_limits<float>::quiet_NaN(), 1, 0));
    EXPECT_FALSE(flat.UnsharpMask(1, std::numeric_limits<float>::infinity(), 0));
}

} // namespace
