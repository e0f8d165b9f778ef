#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "imagelib/PixImage.h"
#include "tests/imagelib/ImageTestUtil.h"

using namespace imgtest;

namespace {

using IM = CPixImage::InterpolationMethod;
using OM = CPixImage::OverflowMethod;

constexpr OM kCoordinateMethods[] = {OM::OM_WRAP, OM::OM_REPEAT, OM::OM_MIRROR};

std::vector<IM> AllMethods() {
    std::vector<IM> m;
    for (int i = IM::IM_NEAREST_NEIGHBOUR; i <= IM::IM_CATROM; ++i)
        m.push_back(static_cast<IM>(i));
    return m;
}

// One colour and one alpha value everywhere; at 8 bits the colour is one entry of a palette whose
// other entries lie far from it.
CPixImage FlatPicture(long w, long h, DWORD bpp, RGBQUAD c) {
    CPixImage img(static_cast<DWORD>(w), static_cast<DWORD>(h), bpp);
    if (bpp == 8) {
        for (DWORD i = 0; i < 256; ++i)
            img.SetPaletteColor(static_cast<BYTE>(i), static_cast<BYTE>(i), static_cast<BYTE>(255 - i),
                                static_cast<BYTE>(i & 0x80 ? 30 : 230));
        img.SetPaletteColor(42, c);
    }
    img.AlphaCreate();
    ForEachPixel(img, [&](long x, long y) {
        if (bpp == 8)
            img.SetPixelIndex(x, y, 42);
        else
            img.SetPixelColor(x, y, c, false);
        img.AlphaSet(x, y, c.rgbReserved);
    });
    return img;
}

// Returns the first pixel that is not exactly c (colour and alpha), as text, or "".
std::string FirstOff(CPixImage& img, RGBQUAD c) {
    for (long y = 0; y < static_cast<long>(img.GetHeight()); ++y)
        for (long x = 0; x < static_cast<long>(img.GetWidth()); ++x) {
            const RGBQUAD q = img.GetPixelColor(x, y, true);
            if (!SameRgba(q, c))
                return std::string("(") + std::to_string(x) + "," + std::to_string(y) + ") is " +
                       std::to_string(q.rgbRed) + "," + std::to_string(q.rgbGreen) + "," +
                       std::to_string(q.rgbBlue) + " alpha " + std::to_string(q.rgbReserved);
        }
    return "";
}

struct Path {
    std::string name;
    std::function<bool(CPixImage&, long, long, CPixImage&)> run;
    bool shrinkOnly;
};

std::vector<Path> AllPaths() {
    std::vector<Path> p;
    for (int mode : {0, 1, 2})
        p.push_back(
            {"Resample mode " + std::to_string(mode),
             [mode](CPixImage& s, long w, long h, CPixImage& d) { return s.Resample(w, h, mode, &d); },
             false});
    for (IM m : AllMethods())
        for (OM o : kCoordinateMethods)
            for (bool noAveraging : {false, true})
                p.push_back({"Resample2 method " + std::to_string(m) + " overflow " + std::to_string(o) +
                                 (noAveraging ? " sampled" : " averaged"),
                             [=](CPixImage& s, long w, long h, CPixImage& d) {
                                 return s.Resample2(w, h, m, o, &d, noAveraging);
                             },
                             false});
    p.push_back(
        {"QIShrink", [](CPixImage& s, long w, long h, CPixImage& d) { return s.QIShrink(w, h, &d); }, true});
    return p;
}

TEST(PixResampleFlat, EveryPathKeepsAFlatPictureFlat) {
    struct Size {
        long w, h, nw, nh;
    } sizes[] = {{40, 30, 27, 19}, {28, 29, 27, 27}, {31, 17, 30, 16}, {9, 9, 5, 14},
                 {7, 5, 13, 11},   {3, 2, 1, 1},     {2, 3, 9, 4},     {1, 1, 3, 2}};
    const RGBQUAD colours[] = {Quad(100, 150, 200, 100), Quad(200, 255, 1, 7), Quad(77, 77, 77, 255),
                               Quad(0, 254, 255, 0)};
    const std::vector<Path> paths = AllPaths();
    for (DWORD bpp : {24u, 8u})
        for (const RGBQUAD& c : colours)
            for (const Size& s : sizes) {
                CPixImage src = FlatPicture(s.w, s.h, bpp, c);
                for (const Path& p : paths) {
                    if (p.shrinkOnly && (s.nw > s.w || s.nh > s.h)) continue;
                    CPixImage out;
                    ASSERT_TRUE(p.run(src, s.nw, s.nh, out)) << p.name;
                    ASSERT_EQ(out.GetWidth(), static_cast<DWORD>(s.nw));
                    EXPECT_EQ(FirstOff(out, c), "")
                        << p.name << ", " << bpp << " bits, " << s.w << "x" << s.h << " to " << s.nw << "x"
                        << s.nh << ", colour " << int(c.rgbRed) << "," << int(c.rgbGreen) << ","
                        << int(c.rgbBlue);
                }
            }
}

TEST(PixResampleFlat, InterpolatorsGiveBackAFlatColour) {
    const RGBQUAD c = Quad(77, 150, 1, 100);
    CPixImage img = FlatPicture(6, 5, 24, c);
    const float points[] = {0, 0.25f, 1.5f, 2.75f, 4.999f, 5.5f, -0.75f};
    const float sides[] = {0.5f, 1, 1.7f, 3.25f};
    for (IM m : AllMethods())
        for (OM o : kCoordinateMethods)
            for (float x : points)
                for (float y : points) {
                    SCOPED_TRACE(testing::Message()
                                 << "method " << m << " overflow " << o << " at " << x << "," << y);
                    EXPECT_TRUE(SameRgba(img.GetPixelColorInterpolated(x, y, m, o), c));
                    for (float w : sides)
                        for (float h : sides)
                            EXPECT_TRUE(SameRgba(img.GetAreaColorInterpolated(x, y, w, h, m, o), c))
                                << "area " << w << "x" << h;
                }
}

// Grey levels and an alpha plane that both vary; at 8 bits over the grey palette, so that the
// nearest index is the level itself and both depths must give the same picture.
CPixImage GreyPicture(DWORD bpp) {
    CPixImage img(11, 9, bpp);
    img.SetGrayPalette();
    img.AlphaCreate();
    ForEachPixel(img, [&](long x, long y) {
        const BYTE v = static_cast<BYTE>((x * 23 + y * 9) % 200 + 20);
        img.SetPixelColor(x, y, RGB(v, v, v));
        img.AlphaSet(x, y, static_cast<BYTE>((x * 37 + y * 71) % 256));
    });
    return img;
}

TEST(PixResampleFlat, PalettePicturesCarryTheirAlphaLikeTrueColour) {
    const struct {
        const char* name;
        std::function<bool(CPixImage&)> run;
    } cases[] = {
        {"Resample2 averaged",
         [](CPixImage& i) { return i.Resample2(5, 4, IM::IM_BILINEAR, OM::OM_REPEAT); }},
        {"Resample2 averaged one way",
         [](CPixImage& i) { return i.Resample2(5, 13, IM::IM_CATROM, OM::OM_MIRROR); }},
        {"Resample2 sampled",
         [](CPixImage& i) {
             return i.Resample2(5, 4, IM::IM_NEAREST_NEIGHBOUR, OM::OM_WRAP, nullptr, true);
         }},
        {"Resample2 enlarged",
         [](CPixImage& i) { return i.Resample2(17, 14, IM::IM_BSPLINE, OM::OM_REPEAT); }},
        {"Resample2 Lanczos",
         [](CPixImage& i) { return i.Resample2(13, 10, IM::IM_LANCZOS, OM::OM_MIRROR); }},
        {"QIShrink", [](CPixImage& i) { return i.QIShrink(2, 2); }},
        {"QIShrink one way", [](CPixImage& i) { return i.QIShrink(4, 9); }},
        {"Skew interpolated", [](CPixImage& i) { return i.Skew(0.5f, -0.25f, 2, 3, true); }},
    };
    for (const auto& c : cases) {
        CPixImage grey = GreyPicture(8), rgb = GreyPicture(24);
        ASSERT_TRUE(c.run(grey) && c.run(rgb)) << c.name;
        ASSERT_TRUE(grey.AlphaIsValid() && grey.GetBpp() == 8 && grey.GetWidth() == rgb.GetWidth()) << c.name;
        // The 24-bit bilinear path inside the picture runs in whole numbers: allow 1.
        ForEachPixel(rgb, [&](long x, long y) {
            ASSERT_NEAR(grey.AlphaGet(x, y), rgb.AlphaGet(x, y), 1) << c.name << " at " << x << "," << y;
            ASSERT_NEAR(grey.GetPixelIndex(x, y), rgb.GetPixelColor(x, y).rgbGreen, 1) << c.name;
        });
    }
}

TEST(PixResampleFlat, FarAndNonNumericPointsReadAsOutside) {
    const RGBQUAD c = Quad(100, 150, 200, 60);
    RGBQUAD rpl = Quad(1, 2, 3, 4);
    CPixImage img = FlatPicture(5, 4, 24, c);
    constexpr float inf = std::numeric_limits<float>::infinity();
    const float far[] = {
        std::numeric_limits<float>::quiet_NaN(), inf, -inf, 1e30f, -1e30f, 3e9f, -3e12f, 5e8f, -7e5f};
    struct Want {
        OM method;
        RGBQUAD colour;
    } wants[] = {{OM::OM_COLOR, rpl}, {OM::OM_BACKGROUND, rpl}, {OM::OM_TRANSPARENT, Quad(1, 2, 3, 0)},
                 {OM::OM_WRAP, c},    {OM::OM_REPEAT, c},       {OM::OM_MIRROR, c}};
    for (const Want& want : wants)
        for (IM m : AllMethods())
            for (float v : far)
                for (bool onX : {true, false}) {
                    SCOPED_TRACE(testing::Message() << "overflow " << want.method << " method " << m
                                                    << (onX ? " x " : " y ") << v);
                    const float x = onX ? v : 1.5f, y = onX ? 2.25f : v;
                    EXPECT_TRUE(
                        SameRgba(img.GetPixelColorInterpolated(x, y, m, want.method, &rpl), want.colour));
                    EXPECT_TRUE(SameRgba(img.GetAreaColorInterpolated(x, y, 0.5f, 0.5f, m, want.method, &rpl),
                                         want.colour));
                    EXPECT_TRUE(SameRgba(img.GetAreaColorInterpolated(x, y, 2.5f, 1, m, want.method, &rpl),
                                         want.colour));
                    EXPECT_TRUE(SameRgba(img.GetAreaColorInterpolated(x, y, 3, 2.5f, m, want.method, &rpl),
                                         want.colour));
                }
    // Sides that are not numbers, or far larger than the picture, still give a mean of its pixels.
    for (OM o : kCoordinateMethods)
        for (float side : {std::numeric_limits<float>::quiet_NaN(), inf, 1e30f})
            for (IM m : {IM::IM_BILINEAR, IM::IM_LANCZOS}) {
                EXPECT_TRUE(SameRgba(img.GetAreaColorInterpolated(2, 2, side, 3, m, o), c))
                    << o << " " << side;
                EXPECT_TRUE(SameRgba(img.GetAreaColorInterpolated(2, 2, 0.5f, side, m, o), c))
                    << o << " " << side;
            }
}

TEST(PixResampleFlat, OverflowAtTheEndsOfTheNumbers) {
    CPixImage img(3, 2, 24);
    for (long x = 0; x < 3; ++x)
        img.SetPixelColor(x, 1, RGB(static_cast<BYTE>(10 * x), 0, 0));
    // 2^63 leaves 2 over 3, 2^63 - 1 leaves 1: mirrored to column 2, and to 3 - 1 - 1 = 1.
    struct Case {
        long x, column;
    } cases[] = {{LONG_MIN, 2}, {LONG_MAX, 1}, {LONG_MIN + 1, 1}};
    for (const Case& c : cases) {
        EXPECT_EQ(img.GetPixelColorWithOverflow(c.x, 1, OM::OM_MIRROR).rgbRed, 10 * c.column) << c.x;
        long x = c.x, y = LONG_MIN;
        img.OverflowCoordinates(x, y, OM::OM_MIRROR);
        EXPECT_EQ(x, c.column) << c.x;
        EXPECT_EQ(y, 0); // 2^63 is even
    }
    // Infinity lies just past its edge, NaN just before the first pixel; then the method applies.
    constexpr float inf = std::numeric_limits<float>::infinity(),
                    nan = std::numeric_limits<float>::quiet_NaN();
    struct Point {
        float x, y;
        OM method;
        float wantX, wantY;
    } points[] = {{inf, 1, OM::OM_MIRROR, 2, 1},        {1, nan, OM::OM_MIRROR, 1, 1},
                  {nan, -1.5f, OM::OM_MIRROR, 1, 1.5f}, {-inf, 0.5f, OM::OM_WRAP, 2, 0.5f},
                  {inf, -inf, OM::OM_REPEAT, 2, 0},     {0.5f, inf, OM::OM_WRAP, 0.5f, 0}};
    for (const Point& p : points) {
        float x = p.x, y = p.y;
        img.OverflowCoordinates(x, y, p.method);
        EXPECT_EQ(x, p.wantX) << p.x << "," << p.y << " by " << p.method;
        EXPECT_EQ(y, p.wantY) << p.x << "," << p.y << " by " << p.method;
    }
    float x = nan, y = 0;
    img.OverflowCoordinates(x, y, OM::OM_COLOR);
    EXPECT_TRUE(std::isnan(x)) << "the colour methods leave the point";
}

} // namespace
