#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "imagelib/PixImage.h"
#include "tests/imagelib/ImageTestUtil.h"

using namespace imgtest;

namespace {

using IM = CPixImage::InterpolationMethod;
using OM = CPixImage::OverflowMethod;
using Sums = std::array<double, 4>; // red, green, blue, alpha

// The kernels as the textbooks write them, apart from the library's expressions.
constexpr double kPi = 3.14159265358979;
double Sinc(double x) {
    return x == 0 ? 1 : std::sin(kPi * x) / (kPi * x);
}
// The Mitchell-Netravali family: B-spline (1, 0), Catmull-Rom (0, 1/2), Mitchell (1/3, 1/3),
// Hermite (0, 0); (0, c) is Keys' cubic convolution with a = -c.
double BC(double x, double b, double c) {
    const double a = std::fabs(x), a2 = a * a, a3 = a2 * a;
    if (a < 1) return ((12 - 9 * b - 6 * c) * a3 + (-18 + 12 * b + 6 * c) * a2 + 6 - 2 * b) / 6;
    if (a < 2)
        return ((-b - 6 * c) * a3 + (6 * b + 30 * c) * a2 + (-12 * b - 48 * c) * a + 8 * b + 24 * c) / 6;
    return 0;
}
double Linear(double x) {
    return std::fabs(x) < 1 ? 1 - std::fabs(x) : 0;
}
double BSpline(double x) {
    return BC(x, 1, 0);
}

struct Kernel {
    IM method;
    float (*lib)(float);
    double (*ref)(double);
};
const Kernel kKernels[] = {
    {IM::IM_BILINEAR, CPixImage::KernelLinear, Linear}, // two taps: the outer two weigh 0
    {IM::IM_BSPLINE, CPixImage::KernelBSpline, BSpline},
    {IM::IM_BICUBIC, CPixImage::KernelCubic, [](double x) { return BC(x, 0, 1); }},
    {IM::IM_BICUBIC2, [](float t) { return CPixImage::KernelGeneralizedCubic(t, -0.5f); },
     [](double x) { return BC(x, 0, 0.5); }},
    {IM::IM_LANCZOS, [](float t) { return CPixImage::KernelLanczosSinc(t, 6); },
     [](double x) { return std::fabs(x) <= 6 ? Sinc(x) * Sinc(x / 6) : 0; }},
    {IM::IM_BOX, CPixImage::KernelBox, [](double x) { return x >= -0.5 && x < 0.5 ? 1.0 : 0.0; }},
    {IM::IM_HERMITE, CPixImage::KernelHermite, [](double x) { return BC(x, 0, 0); }},
    // the Hermite curve with its fall scaled by 0.92
    {IM::IM_HAMMING, CPixImage::KernelHamming,
     [](double x) { return std::fabs(x) < 1 ? 1 - 0.92 * (3 * x * x - 2 * std::pow(std::fabs(x), 3)) : 0; }},
    {IM::IM_SINC, CPixImage::KernelSinc, Sinc},
    {IM::IM_BLACKMAN, CPixImage::KernelBlackman,
     [](double x) { return 0.42 + 0.5 * std::cos(kPi * x) + 0.08 * std::cos(2 * kPi * x); }},
    {IM::IM_BESSEL, CPixImage::KernelBessel,
     [](double x) {
         return x == 0 ? kPi / 4 : std::cyl_bessel_j(1.0, kPi * std::fabs(x)) / (2 * std::fabs(x));
     }},
    {IM::IM_GAUSSIAN, CPixImage::KernelGaussian,
     [](double x) { return std::exp(-2 * x * x) * std::sqrt(2 / kPi); }},
    {IM::IM_QUADRATIC, CPixImage::KernelQuadratic,
     [](double x) {
         const double a = std::fabs(x);
         return a < 0.5 ? 0.75 - a * a : (a < 1.5 ? 0.5 * (a - 1.5) * (a - 1.5) : 0);
     }},
    {IM::IM_MITCHELL, CPixImage::KernelMitchell, [](double x) { return BC(x, 1.0 / 3, 1.0 / 3); }},
    {IM::IM_CATROM, CPixImage::KernelCatrom, [](double x) { return BC(x, 0, 0.5); }},
};

// Fixed-seed noise in 0..89 on every channel and the alpha plane (no kernel sum reaches 255);
// at 8 bits grey over the grey palette, so that the nearest index is the value itself.
CPixImage Noise(long w, long h, DWORD bpp) {
    CPixImage img(static_cast<DWORD>(w), static_cast<DWORD>(h), bpp);
    img.SetGrayPalette();
    img.AlphaCreate();
    unsigned seed = 12345;
    auto next = [&] {
        seed = seed * 1103515245u + 12345u;
        return static_cast<BYTE>((seed >> 16) % 90);
    };
    ForEachPixel(img, [&](long x, long y) {
        const BYTE r = next(), g = bpp == 8 ? r : next(), b = bpp == 8 ? r : next();
        img.SetPixelColor(x, y, Quad(r, g, b, next()), true);
    });
    return img;
}

// The pixel nearest to (x, y) inside the picture (edge pixels repeat).
Sums At(CPixImage& img, long x, long y) {
    const RGBQUAD q = img.GetPixelColor(std::clamp(x, 0L, static_cast<long>(img.GetWidth()) - 1),
                                        std::clamp(y, 0L, static_cast<long>(img.GetHeight()) - 1), true);
    return {double(q.rgbRed), double(q.rgbGreen), double(q.rgbBlue), double(q.rgbReserved)};
}

// Taps floor(x) - lo .. floor(x) + hi on both axes, each weighted kernel(tap - x) x kernel(tap - y),
// the weights scaled to add up to 1.
Sums Weighted(CPixImage& img, double x, double y, double (*kernel)(double), long lo = 1, long hi = 2) {
    Sums s{};
    double total = 0;
    const long xi = static_cast<long>(std::floor(x)), yi = static_cast<long>(std::floor(y));
    for (long j = yi - lo; j <= yi + hi; ++j)
        for (long i = xi - lo; i <= xi + hi; ++i) {
            const Sums p = At(img, i, j);
            const double w = kernel(i - x) * kernel(j - y);
            total += w;
            for (int c = 0; c < 4; ++c)
                s[c] += p[c] * w;
        }
    for (double& v : s)
        v /= total;
    return s;
}

// The exact mean over the rectangle (x0, y0) .. (x0 + w, y0 + h), pixel (i, j) covering i .. i + 1.
Sums AreaMean(CPixImage& img, double x0, double y0, double w, double h) {
    Sums s{};
    for (long j = static_cast<long>(y0); j < y0 + h; ++j)
        for (long i = static_cast<long>(x0); i < x0 + w; ++i) {
            const double cover = (std::min(i + 1.0, x0 + w) - std::max<double>(i, x0)) *
                                 (std::min(j + 1.0, y0 + h) - std::max<double>(j, y0));
            const Sums p = At(img, i, j);
            for (int c = 0; c < 4; ++c)
                s[c] += p[c] * cover / (w * h);
        }
    return s;
}

// Each channel (the first `channels` of them) the truncated reference, give or take 1 for float sums
// and rounding.
void ExpectSums(RGBQUAD q, const Sums& want, int channels = 4) {
    const BYTE got[4] = {q.rgbRed, q.rgbGreen, q.rgbBlue, q.rgbReserved};
    for (int c = 0; c < channels; ++c)
        EXPECT_NEAR(got[c], std::clamp(std::floor(want[c] + 1e-9), 0.0, 255.0), 1) << "channel " << c;
}

TEST(PixKernels, MatchTheTextbookFormulas) {
    const float points[] = {-2.5f, -1.75f, -1.2f, -0.6f, -0.52f, -0.5f, -0.25f, 0,
                            0.3f,  0.5f,   0.52f, 0.8f,  1.4f,   1.9f,  3.7f};
    for (const Kernel& k : kKernels)
        for (float x : points)
            EXPECT_NEAR(k.lib(x), k.ref(x), 2e-4) << "method " << k.method << " at " << x;
    EXPECT_NEAR(CPixImage::KernelLanczosSinc(4.5f, 6), Sinc(4.5) * Sinc(0.75), 1e-5);
    EXPECT_EQ(CPixImage::KernelLanczosSinc(6.5f, 6), 0.0f);
    // The Bessel function of order 1 on both sides of the switch to the asymptotic form at 8.
    for (float x : {1.0f, 5.0f, 7.9f, 8.0f, 10.0f, 23.0f})
        EXPECT_NEAR(CPixImage::KernelBessel_Order1(x), std::cyl_bessel_j(1.0, x), 1e-5) << x;
    EXPECT_NEAR(CPixImage::KernelBessel_Order1(-10.0f), -std::cyl_bessel_j(1.0, 10.0), 1e-5);
}

TEST(PixInterpolation, EveryMethodWeightsItsOwnTaps) {
    CPixImage img = Noise(16, 16, 24);
    struct Point {
        float x, y;
    };
    // inside (rows read directly), and by the edges where edge pixels repeat
    for (Point p : {Point{7.25f, 8.625f}, Point{0.375f, 14.75f}, Point{15.5f, 3.125f}}) {
        for (const Kernel& k : kKernels) {
            SCOPED_TRACE(testing::Message() << "method " << k.method << " at " << p.x << "," << p.y);
            const long reach = k.method == IM::IM_LANCZOS ? 5 : 1;
            ExpectSums(img.GetPixelColorInterpolated(p.x, p.y, k.method, OM::OM_REPEAT),
                       Weighted(img, p.x, p.y, k.ref, reach, reach + 1));
        }
    }
    // Whole coordinates give the pixel; nearest rounds (x + 0.5) toward zero, so -0.6 reads column 0.
    ExpectSums(img.GetPixelColorInterpolated(15, 15, IM::IM_BILINEAR, OM::OM_REPEAT), At(img, 15, 15));
    ExpectSums(img.GetPixelColorInterpolated(4.5f, 2.4f, IM::IM_NEAREST_NEIGHBOUR), At(img, 5, 2));
    ExpectSums(img.GetPixelColorInterpolated(-0.6f, 0, IM::IM_NEAREST_NEIGHBOUR), At(img, 0, 0));
    // The mean of an area one pixel high samples the pieces of its row at their centres.
    Sums row{};
    for (auto [x, part] : {std::pair{4.125, 0.75}, {5.0, 1.0}, {6.0, 1.0}, {6.625, 0.25}}) {
        const Sums s = Weighted(img, x, 9.5, Linear, 0, 1);
        for (int c = 0; c < 4; ++c)
            row[c] += s[c] * part / 3;
    }
    ExpectSums(img.GetAreaColorInterpolated(5.25f, 9.5f, 3, 1, IM::IM_BILINEAR), row);
}

TEST(PixInterpolation, OverflowMethods) {
    CPixImage img(4, 2, 24);
    for (long x = 0; x < 4; ++x)
        img.SetPixelColor(x, 0, RGB(static_cast<BYTE>(10 * x), 0, 0));
    struct Case {
        OM method;
        float x, to; // whole x also through the long form, reading red 10 x
    } cases[] = {{OM::OM_REPEAT, -1, 0},      {OM::OM_REPEAT, 7.2f, 3},
                 {OM::OM_WRAP, -1, 3},        {OM::OM_WRAP, 5, 1},
                 {OM::OM_WRAP, -0.5f, 3.5f},  {OM::OM_MIRROR, -1, 1},
                 {OM::OM_MIRROR, 4, 3},       {OM::OM_MIRROR, 6, 1},
                 {OM::OM_MIRROR, 5.5f, 1.5f}, {OM::OM_MIRROR, -2.25f, 2.25f},
                 {OM::OM_COLOR, 6, 6}};
    for (const Case& c : cases) {
        float x = c.x, y = 1;
        img.OverflowCoordinates(x, y, c.method);
        EXPECT_FLOAT_EQ(x, c.to) << c.method << " " << c.x;
        if (c.x == std::floor(c.x) && c.method != OM::OM_COLOR) {
            EXPECT_EQ(img.GetPixelColorWithOverflow(static_cast<long>(c.x), 0, c.method).rgbRed, 10 * c.to)
                << c.x;
        }
    }
    CPixImage empty;
    long lx = -3, ly = 7;
    empty.OverflowCoordinates(lx, ly, OM::OM_WRAP); // no picture: no division by zero
    EXPECT_EQ(lx, -3);
}

TEST(PixInterpolation, ReplacementColoursHonourTheTransparentColour) {
    RGBQUAD rpl = Quad(1, 2, 3, 4);
    CPixImage rgb(4, 2, 24), pal(4, 2, 8);
    pal.SetPaletteColor(5, 50, 60, 70);
    for (CPixImage* img : {&rgb, &pal}) {
        EXPECT_TRUE(SameRgba(img->GetPixelColorWithOverflow(9, 0, OM::OM_BACKGROUND, &rpl), rpl));
        EXPECT_TRUE(SameRgba(img->GetPixelColorWithOverflow(9, 0, OM::OM_TRANSPARENT, &rpl), rpl));
        EXPECT_TRUE(SameRgba(img->GetPixelColorWithOverflow(9, 0, OM::OM_COLOR), Quad(255, 255, 255)));
    }
    rgb.SetTransIndex(0);
    rgb.SetTransColor(Quad(7, 8, 9));
    pal.SetTransIndex(5);
    for (OM m : {OM::OM_BACKGROUND, OM::OM_TRANSPARENT}) {
        EXPECT_TRUE(SameRgba(rgb.GetPixelColorWithOverflow(-1, 0, m, &rpl), Quad(7, 8, 9))) << m;
        EXPECT_TRUE(SameRgba(pal.GetPixelColorWithOverflow(-1, 0, m, &rpl), Quad(50, 60, 70))) << m;
        // a neighbourhood wholly outside the picture reads the same colour
        EXPECT_EQ(Rgb(rgb.GetPixelColorInterpolated(-9, 1, IM::IM_BILINEAR, m, &rpl)), RGB(7, 8, 9)) << m;
        EXPECT_EQ(Rgb(rgb.GetPixelColorInterpolated(-9, 1, IM::IM_CATROM, m, &rpl)), RGB(7, 8, 9)) << m;
    }
    EXPECT_TRUE(SameRgba(rgb.GetPixelColorWithOverflow(-1, 0, OM::OM_COLOR, &rpl), rpl));
    rgb.AlphaCreate(); // with alpha the transparent method gives the replacement, see-through
    EXPECT_TRUE(SameRgba(rgb.GetPixelColorWithOverflow(-1, 0, OM::OM_TRANSPARENT, &rpl), Quad(1, 2, 3, 0)));
}

TEST(PixResample, EveryModeFollowsItsFormula) {
    // Resample modes 0 to 2 sample alpha nearest. Resample2 (3) samples pixel centres with Keys'
    // a = -1/2 and alpha alike, and averages when shrinking unless told not to (4).
    struct Case {
        long w, h;
        int mode;
    } cases[] = {{23, 21, 0}, {7, 5, 0},   {7, 21, 0},  {16, 5, 0}, {23, 5, 1}, {7, 9, 1},
                 {23, 21, 2}, {10, 11, 2}, {20, 24, 3}, {7, 5, 3},  {7, 5, 4}};
    for (DWORD bpp : {8u, 24u}) {
        CPixImage src = Noise(16, 16, bpp);
        for (const Case& c : cases) {
            if (c.mode > 2 && bpp == 8) continue;
            SCOPED_TRACE(testing::Message()
                         << bpp << " bits, mode " << c.mode << " to " << c.w << "x" << c.h);
            CPixImage out;
            ASSERT_TRUE(c.mode < 3
                            ? src.Resample(c.w, c.h, c.mode, &out)
                            : src.Resample2(c.w, c.h, IM::IM_BICUBIC2, OM::OM_REPEAT, &out, c.mode == 4));
            ASSERT_EQ(out.GetWidth(), static_cast<DWORD>(c.w));
            ASSERT_EQ(out.GetBpp(), bpp);
            const double xs = 16.0 / c.w, ys = 16.0 / c.h;
            const bool area = c.w < 16 && c.h < 16 && ((c.mode == 0 && bpp == 24) || c.mode == 3);
            ForEachPixel(out, [&](long x, long y) {
                const long nx = static_cast<long>(x * xs), ny = static_cast<long>(y * ys);
                const double cx = (x + 0.5) * xs - 0.5, cy = (y + 0.5) * ys - 0.5;
                const Sums want = area          ? AreaMean(src, x * xs, y * ys, xs, ys)
                                  : c.mode == 0 ? Weighted(src, x * xs, y * ys, Linear, 0, 1)
                                  : c.mode == 1 ? At(src, nx, ny)
                                  : c.mode == 2
                                      ? Weighted(src, x * xs - 0.5, y * ys - 0.5, BSpline)
                                      : Weighted(src, cx, cy, [](double d) { return BC(d, 0, 0.5); });
                ExpectSums(out.GetPixelColor(x, y, c.mode > 2), want, c.mode > 2 ? 4 : 3);
                EXPECT_TRUE(c.mode > 2 || out.AlphaGet(x, y) == src.AlphaGet(nx, ny)) << "alpha nearest";
            });
        }
    }
}

TEST(PixResample, RefusalsSameSizeEscapeAndPaletteNearest) {
    CPixImage ramp = Noise(3, 2, 24);
    EXPECT_FALSE(ramp.Resample(0, 5, 0));
    EXPECT_FALSE(ramp.Resample2(3, 0, IM::IM_BILINEAR));
    CPixImage same;
    ASSERT_TRUE(ramp.Resample(3, 2, 0, &same));
    EXPECT_EQ(MaxDifference(ramp, same), 0);

    CPixImage big = Noise(40, 40, 24);
    big.SetEscape(1);
    ASSERT_TRUE(big.Resample(80, 80, 0));
    EXPECT_EQ(big.GetWidth(), 80u);
    EXPECT_EQ(Rgb(big, 79, 79), RGB(0, 0, 0));

    CPixImage pal = Noise(4, 4, 8), twice;
    ASSERT_TRUE(pal.Resample2(8, 8, IM::IM_NEAREST_NEIGHBOUR, OM::OM_REPEAT, &twice));
    ForEachPixel(twice, [&](long x, long y) {
        EXPECT_EQ(twice.GetPixelIndex(x, y), pal.GetPixelIndex(x / 2, y / 2));
    });
}

TEST(PixResample, QIShrinkAveragesWholeCells) {
    const BYTE v[5] = {0, 30, 60, 100, 200};
    CPixImage img(5, 2, 24);
    ForEachPixel(img, [&](long x, long y) { img.SetPixelColor(x, y, RGB(v[x], 10 + 100 * y, 0)); });
    struct Case {
        long w, h;
        std::vector<COLORREF> want; // from the bottom row
    } cases[] = {
        {2, 1, {RGB(30, 60, 0), RGB(150, 60, 0)}}, // columns 0 to 2 and 3 to 4
        // keeping one side: every column (or row) is a cell of its own, the last one included
        {5, 1, {RGB(0, 60, 0), RGB(30, 60, 0), RGB(60, 60, 0), RGB(100, 60, 0), RGB(200, 60, 0)}},
        {1, 2, {RGB(78, 10, 0), RGB(78, 110, 0)}},
    };
    for (const Case& c : cases) {
        CPixImage out;
        ASSERT_TRUE(img.QIShrink(c.w, c.h, &out));
        for (long i = 0; i < static_cast<long>(c.want.size()); ++i)
            EXPECT_EQ(Rgb(out, i % c.w, i / c.w), c.want[i]) << c.w << "x" << c.h << " #" << i;
    }
    EXPECT_FALSE(img.QIShrink(0, 1));
    EXPECT_FALSE(img.QIShrink(6, 1));
    EXPECT_STREQ(img.GetLastError(), "QIShrink can't enlarge image");
}

} // namespace
