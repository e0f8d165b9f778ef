// Convolution and the other neighbourhood filters, jitter and the mean grey level.
#include <gtest/gtest.h>

#include <climits>
#include <algorithm>
#include <functional>
#include <string_view>
#include <vector>

#include "imagelib/PixImage.h"
#include "tests/imagelib/ImageTestUtil.h"
#include "tests/imagelib/PixOpsTestUtil.h"
#include "platform/win/Random.h"

namespace {

long kSoften[9] = {1, 1, 1, 1, 8, 1, 1, 1, 1};
long kOnes[9] = {1, 1, 1, 1, 1, 1, 1, 1, 1};
long kHuge[1] = {100000000}, kHugeNegative[1] = {-100000000};

CPixImage Flat(long w, long h, COLORREF c) {
    return imgtest::Picture(w, h, [c](long, long) { return c; });
}

// A dark picture with one white pixel at (3, 3).
CPixImage Dot() {
    return imgtest::Picture(7, 7, [](long x, long y) { return x == 3 && y == 3 ? RGB(255, 255, 255) : RGB(0, 0, 0); });
}

CPixImage GreyRamp(long w, long h) {
    CPixImage img(static_cast<DWORD>(w), static_cast<DWORD>(h), 8);
    img.SetGrayPalette();
    imgtest::ForEachPixel(img, [&](long x, long y) { img.SetPixelIndex(x, y, static_cast<BYTE>(10 + 7 * x + 3 * y)); });
    return img;
}

CPixImage Texture(long w, long h) {
    return imgtest::Picture(w, h, [](long x, long y) {
        return RGB((x * 53 + y * 17) % 256, (x * x + 3 * y * y) % 256, (x * y * 29 + 7) % 256);
    });
}

// What each filter gives at one pixel, straight from its definition over GetPixelColor.
RGBQUAD Reference(CPixImage& src, long x, long y, long n, std::string_view kind, const long* kernel = nullptr,
                  long divisor = 1, long offset = 0) {
    const long half = n / 2, rest = n - half;
    int64_t sum[3] = {0, 0, 0};
    int lo[3] = {255, 255, 255}, hi[3] = {0, 0, 0};
    std::vector<RGBQUAD> all;
    for (long dy = -half; dy < rest; ++dy)
        for (long dx = -half; dx < rest; ++dx) {
            const RGBQUAD q = src.GetPixelColor(x + dx, y + dy, true);
            const int v[3] = {q.rgbBlue, q.rgbGreen, q.rgbRed};
            for (int c = 0; c < 3; ++c) {
                if (kernel)
                    sum[c] += kernel[(dy + half) * n + dx + half] * v[c];
                lo[c] = std::min(lo[c], v[c]);
                hi[c] = std::max(hi[c], v[c]);
            }
            all.push_back(q);
        }
    int out[3];
    for (int c = 0; c < 3; ++c) {
        if (kind == "Filter")
            out[c] = static_cast<int>(std::clamp<int64_t>(sum[c] / divisor + offset, 0, 255));
        else
            out[c] = kind == "Erode" ? lo[c] : kind == "Dilate" ? hi[c] : 255 - (hi[c] - lo[c]);
    }
    if (kind == "Median") { // the grey level of the median
        std::sort(all.begin(), all.end(), [](RGBQUAD a, RGBQUAD b) { return CPixImage::CompareColors(&a, &b) < 0; });
        const RGBQUAD m = all[all.size() / 2];
        return imgtest::Quad(m.rgbRed, m.rgbGreen, m.rgbBlue);
    }
    return imgtest::Quad(static_cast<BYTE>(out[2]), static_cast<BYTE>(out[1]), static_cast<BYTE>(out[0]));
}

TEST(PixFilter, EveryPixelAsDefined) {
    long skew[9] = {1, 2, 0, -1, 5, 3, 0, 0, 4};
    long skew4[16] = {1, 0, 0, 2, 0, 3, 0, 0, 0, 0, 1, 0, -2, 0, 0, 5};
    long wide[9] = {10000000, 0, 0, 0, 20000000, 0, 0, 0, 30000000}; // sums past 32 bits
    struct Case {
        std::string_view kind;
        long n;
        long* kernel = nullptr;
        long divisor = 1;
        bool indexed = false; // on a 4-bit picture
        long offset = 0;
    } cases[] = {{"Filter", 3, skew, 7}, {"Filter", 4, skew4, 3}, {"Filter", 3, wide, 60000000},
                 {"Filter", 3, skew, 1}, {"Filter", 3, wide, 1},  {"Filter", 3, skew, 2},
                 {"Filter", 3, skew, 1, false, 1},
                 {"Erode", 2},           {"Erode", 4},           {"Dilate", 3},
                 {"Dilate", 5},          {"Edge", 3},            {"Edge", 2},
                 {"Median", 3},          {"Median", 4},          {"Median", 3, nullptr, 1, true}};
    for (const Case& c : cases) {
        CPixImage src = c.indexed ? imgtest::Indexed4(11, 9) : Texture(11, 9), img(src);
        const bool ok = c.kind == "Filter"  ? img.Filter(c.kernel, c.n, c.divisor, c.offset)
                        : c.kind == "Erode" ? img.Erode(c.n)
                        : c.kind == "Dilate" ? img.Dilate(c.n)
                        : c.kind == "Edge"   ? img.Edge(c.n)
                                             : img.Median(c.n);
        ASSERT_TRUE(ok) << c.kind << " " << c.n;
        ASSERT_EQ(img.GetBpp(), src.GetBpp());
        imgtest::ForEachPixel(img, [&](long x, long y) {
            const RGBQUAD want = Reference(src, x, y, c.n, c.kind, c.kernel, c.divisor, c.offset);
            const RGBQUAD got = img.GetPixelColor(x, y, false);
            if (c.kind == "Median")
                EXPECT_EQ(CPixImage::CompareColors(&got, &want), 0) << c.kind << " " << c.n << " at " << x << "," << y;
            else
                EXPECT_EQ(imgtest::Rgb(got), imgtest::Rgb(want)) << c.kind << " " << c.n << " at " << x << "," << y;
        });
    }
}

TEST(PixFilter, JitterTakesTheDrawnNeighbour) {
    CPixImage src = Texture(40, 30), img = Texture(40, 30);
    ASSERT_TRUE(img.SelectionAddRect(RECT{20, 10, 21, 11}));
    SRand(7);
    const double r1 = Rand(), r2 = Rand();
    const double unit = static_cast<double>(1.0f / 32767.0f);
    const long nx = 20 + static_cast<long>((r1 * unit - 0.5) * 12), ny = 10 + static_cast<long>((r2 * unit - 0.5) * 12);
    SRand(7);
    ASSERT_TRUE(img.Jitter(6));
    EXPECT_EQ(imgtest::Rgb(img, 20, 10), imgtest::Rgb(src, nx, ny));
    EXPECT_EQ(imgtest::Rgb(img, 21, 10), imgtest::Rgb(src, 21, 10));
}

TEST(PixFilter, PixelsOfEachFilter) {
    struct Case {
        const char* name;
        std::function<CPixImage()> make;
        std::function<bool(CPixImage&)> op;
        long x, y;
        COLORREF want;
    } cases[] = {
        {"divisor 0 adds the raw sum", [] { return Flat(5, 5, RGB(10, 20, 1)); },
         [](CPixImage& i) { return i.Filter(kOnes, 3, 0, 3); }, 2, 2, RGB(93, 183, 12)},
        // Sums past 32 bits clamp as they are, also through the divisor-1 shortcut.
        {"a huge sum is white", [] { return Flat(3, 3, RGB(200, 200, 200)); },
         [](CPixImage& i) { return i.Filter(kHuge, 1, 1, 0); }, 1, 1, RGB(255, 255, 255)},
        {"a huge negative sum is black", [] { return Flat(3, 3, RGB(200, 200, 200)); },
         [](CPixImage& i) { return i.Filter(kHugeNegative, 1, 1, 0); }, 1, 1, RGB(0, 0, 0)},
        {"size 0 writes the offset", [] { return Flat(3, 3, RGB(10, 20, 1)); },
         [](CPixImage& i) { return i.Filter(kOnes, 0, 1, 300); }, 1, 1, RGB(255, 255, 255)},
        {"erode of size 0 is white", Dot, [](CPixImage& i) { return i.Erode(0); }, 0, 0, RGB(255, 255, 255)},
        {"dilate of size 0 is black", Dot, [](CPixImage& i) { return i.Dilate(0); }, 3, 3, RGB(0, 0, 0)},
        {"contour of a flat area is white", [] { return Flat(5, 5, RGB(90, 40, 7)); },
         [](CPixImage& i) { return i.Contour(); }, 2, 2, RGB(255, 255, 255)},
        {"contour takes the neighbour's value", Dot, [](CPixImage& i) { return i.Contour(); }, 2, 2, RGB(0, 0, 0)},
        {"jitter 0 keeps", Dot, [](CPixImage& i) { return i.Jitter(0); }, 3, 3, RGB(255, 255, 255)},
        // Outside the picture a read gives the bottom-left pixel.
        {"the border reads the corner colour", [] {
             return imgtest::Picture(6, 3, [](long x, long y) { return x + y == 0 ? RGB(255, 0, 0) : RGB(0, 0, 0); });
         },
         [](CPixImage& i) { return i.Dilate(3); }, 4, 0, RGB(255, 0, 0)},
    };
    for (const Case& c : cases) {
        CPixImage img = c.make();
        ASSERT_TRUE(c.op(img)) << c.name;
        EXPECT_EQ(imgtest::Rgb(img, c.x, c.y), c.want) << c.name;
    }
}

TEST(PixFilter, RefusedSizesAndKernels) {
    long big[9] = {1, 1, 1, 1, static_cast<long>(INT32_MAX) + 1, 1, 1, 1, 1};
    struct Case {
        const char* name;
        std::function<bool(CPixImage&)> op;
    } cases[] = {
        {"null kernel", [](CPixImage& i) { return i.Filter(nullptr, 3, 1, 0); }},
        {"kernel beyond 32 bits", [&](CPixImage& i) { return i.Filter(big, 3, 1, 0); }},
        {"negative filter size", [](CPixImage& i) { return i.Filter(kOnes, -3, 1, 0); }},
        {"median 0", [](CPixImage& i) { return i.Median(0); }},
        {"median 256", [](CPixImage& i) { return i.Median(256); }},
        {"median of a huge size", [](CPixImage& i) { return i.Median(LONG_MAX); }},
        {"erode -1", [](CPixImage& i) { return i.Erode(-1); }},
        {"dilate 1000", [](CPixImage& i) { return i.Dilate(1000); }},
        {"edge 0", [](CPixImage& i) { return i.Edge(0); }},
    };
    for (const Case& c : cases) {
        CPixImage img = Dot(), before = Dot();
        EXPECT_FALSE(c.op(img)) << c.name;
        EXPECT_EQ(imgtest::MaxDifference(img, before), 0) << c.name;
    }
    CPixImage empty;
    EXPECT_FALSE(empty.Median(3));
    EXPECT_EQ(empty.Mean(), 0.0f);
    CPixImage img = Dot();
    EXPECT_TRUE(img.Median(255)) << "the largest size still runs";
    EXPECT_TRUE(img.Jitter(LONG_MAX)) << "a huge radius jumps outside and keeps the pixel";
}

TEST(PixFilter, GreyImagesKeepTheirBorder) {
    CPixImage part = GreyRamp(6, 5);
    ASSERT_TRUE(part.SelectionAddRect(RECT{2, 0, 3, 5}));
    ASSERT_TRUE(part.Filter(kOnes, 3, 1, 0));
    EXPECT_EQ(part.GetPixelIndex(3, 2), GreyRamp(6, 5).GetPixelIndex(3, 2)) << "unselected";
    EXPECT_EQ(part.GetPixelIndex(2, 2), 255) << "nine times 30, clamped";
    CPixImage img = GreyRamp(6, 5), src = GreyRamp(6, 5);
    long tilt[9] = {0, 0, 1, 0, 2, 0, -1, 0, 0};
    ASSERT_TRUE(img.Filter(tilt, 3, 0, 0)); // divisor 0 divides by 1 on grey
    imgtest::ForEachPixel(img, [&](long x, long y) {
        const bool border = x == 0 || y == 0 || x == 5 || y == 4;
        const RGBQUAD want = border ? src.GetPixelColor(x, y) : Reference(src, x, y, 3, "Filter", tilt);
        EXPECT_EQ(imgtest::Rgb(img, x, y), imgtest::Rgb(want)) << x << "," << y;
    });
}

TEST(PixFilter, SelectionStopAndPalette) {
    CPixImage img = Dot();
    ASSERT_TRUE(img.SelectionAddRect(RECT{0, 0, 3, 7}));
    ASSERT_TRUE(img.Dilate(3));
    EXPECT_EQ(imgtest::Rgb(img, 2, 3), RGB(255, 255, 255));
    EXPECT_EQ(imgtest::Rgb(img, 4, 3), RGB(0, 0, 0)) << "outside the selection nothing changes";
    EXPECT_EQ(imgtest::Rgb(img, 3, 3), RGB(255, 255, 255));

    CPixImage stopped = Flat(4, 4, RGB(50, 60, 70));
    stopped.SetEscape(1);
    ASSERT_TRUE(stopped.Filter(kSoften, 3, 16, 0));
    EXPECT_EQ(imgtest::Rgb(stopped, 1, 1), RGB(0, 0, 0)) << "rows not computed are the zeroed work copy";

    CPixImage red(3, 3, 8); // a colour palette: the sums run over colours, not indices
    red.SetStdPalette();
    red.Clear(249);
    ASSERT_TRUE(red.Filter(kOnes, 3, 0, 0));
    EXPECT_EQ(imgtest::Rgb(red, 1, 1), RGB(255, 0, 0));

    CPixImage alpha = Dot();
    alpha.AlphaCreate();
    alpha.AlphaSet(1, 1, 33);
    ASSERT_TRUE(alpha.Erode(3));
    EXPECT_EQ(alpha.AlphaGet(1, 1), 33) << "alpha comes through unchanged";
}

TEST(PixFilter, MeanGreyLevel) {
    CPixImage grey = Flat(7, 3, RGB(100, 100, 100));
    EXPECT_FLOAT_EQ(grey.Mean(), 100.0f);
    CPixImage white(4000, 3000, 24); // a 32-bit sum would overflow
    white.Clear(255);
    EXPECT_FLOAT_EQ(white.Mean(), 255.0f);
    CPixImage box = imgtest::Picture(4, 1, [](long x, long) { return RGB(40 * x, 40 * x, 40 * x); });
    ASSERT_TRUE(box.SelectionAddRect(RECT{2, 0, 4, 1}));
    EXPECT_FLOAT_EQ(box.Mean(), 100.0f);
}

} // namespace
