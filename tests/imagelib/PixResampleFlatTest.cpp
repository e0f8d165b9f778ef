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
        {"Resample2 averaged", [](CPixImage& i) { return i.Resample2(5, 4, IM::IM_BILINEAR, OM::OM_REPEAT); }},
        {"Resample2 averaged one way", [](CPixImage& i) { return i.Resample2(5, 13, IM::IM_CATROM, OM::OM_MIRROR); }},
        {"Resample2 sampled", [](CPixImage& i) { return i.Resample2(5, 4, IM::IM_NEAREST_NEIGHBOUR, OM::OM_WRAP, nullptr, true); }},
        {"Resample2 enlarged", [](CPixImage& i) { return i.Resample2(17, 14, IM::IM_BSPLINE, OM::OM_REPEAT); }},
        {"Resample2 Lanczos", [](CPixImage& i) { return i.Resample2(13, 10, IM::IM_LANCZOS, OM::OM_MIRROR); }},
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

} // namespace
