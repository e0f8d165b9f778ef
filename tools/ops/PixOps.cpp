// The table of image operations reachable from the command line.
#include "tools/ops/PixOps.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <algorithm>

namespace {

using K = PixArgKind;
using V = const PixOpValue*;
using IM = CPixImage::InterpolationMethod;
using OM = CPixImage::OverflowMethod;

BYTE B(const PixOpValue& v) { return static_cast<BYTE>(v.number); }
COLORREF Ref(const PixOpValue& v) { return CPixImage::RGBQUADtoRGB(v.colour); }
template <class F>
bool Done(F f) { f(); return true; }
bool Int32(const PixOpValue& v) { return v.number >= INT32_MIN && v.number <= INT32_MAX; }

// A rectangle of four numbers (left, top, right, bottom), each within 32 bits.
bool Rect(V v, RECT& r)
{
    if (!Int32(v[0]) || !Int32(v[1]) || !Int32(v[2]) || !Int32(v[3]))
        return false;
    r.left = static_cast<LONG>(v[0].number);
    r.top = static_cast<LONG>(v[1].number);
    r.right = static_cast<LONG>(v[2].number);
    r.bottom = static_cast<LONG>(v[3].number);
    return true;
}

// Lists as look-up tables: 256 entries of 0..255, or nothing.
bool Table(const PixOpValue& v, BYTE (&t)[256])
{
    if (v.list.size() != 256)
        return false;
    for (size_t i = 0; i < 256; ++i) {
        if (v.list[i] < 0 || v.list[i] > 255)
            return false;
        t[i] = static_cast<BYTE>(v.list[i]);
    }
    return true;
}

// Channel images go to their files (PNG); "-" asks for none.
struct Channels {
    CPixImage img[4];
    CPixImage* Want(const PixOpValue& v, int i) { return v.path.empty() ? nullptr : &img[i]; }
    bool Save(V v, int n)
    {
        for (int i = 0; i < n; ++i)
            if (!v[i].path.empty() && !img[i].Save(v[i].path.c_str(), PIXFORMAT_PNG))
                return false;
        return true;
    }
};

template <class Split>
bool SplitOp(V v, int n, Split split)
{
    Channels c;
    return split(c) && c.Save(v, n);
}

bool FilterOp(CPixImage& i, V v)
{
    const long n = std::lround(std::sqrt(static_cast<double>(v[0].list.size())));
    if (static_cast<size_t>(n * n) != v[0].list.size())
        return false;
    std::vector<long> k = v[0].list;
    return i.Filter(k.data(), n, v[1].number, v[2].number);
}

bool MixOp(CPixImage& i, V v)
{
    if (!v[0].image || v[1].number < CPixImage::MixAdd || v[1].number > CPixImage::MixAlphaBlend)
        return false;
    i.Mix(*v[0].image, static_cast<CPixImage::ImageOpType>(v[1].number), v[2].number, v[3].number, v[4].number != 0);
    return true;
}

bool FFT2Op(CPixImage& i, V v)
{
    // An imaginary output without an input starts as zero, the middle grey.
    CPixImage imag;
    if (!v[1].path.empty() && !v[0].image) {
        if (!imag.Create(i.GetWidth(), i.GetHeight(), 8))
            return false;
        imag.SetGrayPalette();
        imag.Clear(128);
    }
    if (!i.FFT2(&i, v[0].image.get(), &i, v[1].path.empty() ? nullptr : &imag, v[2].number, v[3].number != 0,
                v[4].number != 0))
        return false;
    return v[1].path.empty() || imag.Save(v[1].path.c_str(), PIXFORMAT_PNG);
}

bool DrawStringOp(CPixImage& i, V v)
{
    return i.DrawString(nullptr, v[0].number, v[1].number, v[2].text.c_str(), v[3].colour, v[4].text.c_str(),
                        v[5].number, v[6].number, B(v[7]), B(v[8]), v[9].number != 0) == 1;
}

// The text record starts as InitTextInfo sets it; the fields given replace its values.
bool DrawStringExOp(CPixImage& i, V v)
{
    CPixImage::tagPixTextInfo t;
    i.InitTextInfo(&t);
    const V f = v + 3;
    if (f[0].given) {
        if (f[0].text.size() >= sizeof t.text)
            return false;
        std::memcpy(t.text, f[0].text.c_str(), f[0].text.size() + 1);
    }
    if (f[1].given) {
        // Cut to the face name's room, as DrawString does.
        const size_t n = std::min(f[1].text.size(), sizeof t.font.lfFaceName - 1);
        std::memcpy(t.font.lfFaceName, f[1].text.data(), n);
        t.font.lfFaceName[n] = 0;
    }
    if ((f[2].given && !Int32(f[2])) || (f[3].given && !Int32(f[3])))
        return false;
    if (f[2].given) t.font.lfHeight = static_cast<LONG>(f[2].number);
    if (f[3].given) t.font.lfWeight = static_cast<LONG>(f[3].number);
    if (f[4].given) t.font.lfItalic = B(f[4]);
    if (f[5].given) t.font.lfUnderline = B(f[5]);
    if (f[6].given) t.textColor = Ref(f[6]);
    if (f[7].given) t.align = f[7].number;
    if (f[8].given) t.box = f[8].number != 0;
    if (f[9].given) t.boxColor = Ref(f[9]);
    if (f[10].given) t.boxOpacity = f[10].real;
    if (f[11].given) t.roundness = B(f[11]);
    return i.DrawStringEx(nullptr, v[0].number, v[1].number, &t, v[2].number != 0) == 1;
}

bool SelectionAddPolygonOp(CPixImage& i, V v)
{
    std::vector<POINT> points(v[0].list.size() / 2);
    for (size_t k = 0; k < points.size(); ++k)
        points[k] = POINT{static_cast<LONG>(v[0].list[2 * k]), static_cast<LONG>(v[0].list[2 * k + 1])};
    return i.SelectionAddPolygon(points.data(), static_cast<long>(points.size()));
}

bool SelectionSplitOp(CPixImage& i, V v)
{
    CPixImage plane;
    return i.SelectionSplit(v[0].path.empty() ? nullptr : &plane) && plane.Save(v[0].path.c_str(), PIXFORMAT_PNG);
}

const std::vector<PixOp> kOps = {
    // Geometry.
    {"Flip", {}, [](CPixImage& i, V) { return i.Flip(); }},
    {"Mirror", {}, [](CPixImage& i, V) { return i.Mirror(); }},
    {"RotateLeft", {}, [](CPixImage& i, V) { return i.RotateLeft(); }},
    {"RotateRight", {}, [](CPixImage& i, V) { return i.RotateRight(); }},
    {"Rotate180", {}, [](CPixImage& i, V) { return i.Rotate180(); }},
    {"Rotate", {{"angle", K::Float}}, [](CPixImage& i, V v) { return i.Rotate(v[0].real); }},
    {"Rotate2",
     {{"angle", K::Float}, {"inMethod", K::Long}, {"ofMethod", K::Long}, {"replColor", K::Colour},
      {"optimizeRightAngles", K::Bool}, {"bKeepSize", K::Bool}},
     [](CPixImage& i, V v) {
         RGBQUAD repl = v[3].colour;
         return i.Rotate2(v[0].real, nullptr, static_cast<IM>(v[1].number), static_cast<OM>(v[2].number), &repl,
                          v[4].number != 0, v[5].number != 0);
     }},
    {"Resample", {{"newx", K::Long}, {"newy", K::Long}, {"mode", K::Long}},
     [](CPixImage& i, V v) { return i.Resample(v[0].number, v[1].number, static_cast<int>(v[2].number)); }},
    {"Resample2",
     {{"newx", K::Long}, {"newy", K::Long}, {"inMethod", K::Long}, {"ofMethod", K::Long}, {"disableAveraging", K::Bool}},
     [](CPixImage& i, V v) {
         return i.Resample2(v[0].number, v[1].number, static_cast<IM>(v[2].number), static_cast<OM>(v[3].number),
                            nullptr, v[4].number != 0);
     }},
    {"QIShrink", {{"newx", K::Long}, {"newy", K::Long}},
     [](CPixImage& i, V v) { return i.QIShrink(v[0].number, v[1].number); }},
    {"Crop", {{"left", K::Long}, {"top", K::Long}, {"right", K::Long}, {"bottom", K::Long}},
     [](CPixImage& i, V v) { return i.Crop(v[0].number, v[1].number, v[2].number, v[3].number); }},
    {"CropRotatedRectangle",
     {{"topx", K::Long}, {"topy", K::Long}, {"width", K::Long}, {"height", K::Long}, {"angle", K::Float}},
     [](CPixImage& i, V v) {
         return i.CropRotatedRectangle(v[0].number, v[1].number, v[2].number, v[3].number, v[4].real);
     }},
    {"Expand",
     {{"left", K::Long}, {"top", K::Long}, {"right", K::Long}, {"bottom", K::Long}, {"canvascolor", K::Colour}},
     [](CPixImage& i, V v) { return i.Expand(v[0].number, v[1].number, v[2].number, v[3].number, v[4].colour); }},
    {"Expand", {{"newx", K::Long}, {"newy", K::Long}, {"canvascolor", K::Colour}},
     [](CPixImage& i, V v) { return i.Expand(v[0].number, v[1].number, v[2].colour); }},
    {"Thumbnail", {{"newx", K::Long}, {"newy", K::Long}, {"canvascolor", K::Colour}},
     [](CPixImage& i, V v) { return i.Thumbnail(v[0].number, v[1].number, v[2].colour); }},
    {"Skew",
     {{"xgain", K::Float}, {"ygain", K::Float}, {"xpivot", K::Long}, {"ypivot", K::Long},
      {"bEnableInterpolation", K::Bool}},
     [](CPixImage& i, V v) { return i.Skew(v[0].real, v[1].real, v[2].number, v[3].number, v[4].number != 0); }},
    {"CircleTransform", {{"type", K::Long}, {"rmax", K::Long}, {"Koeff", K::Float}},
     [](CPixImage& i, V v) {
         return v[0].number <= INT_MAX && i.CircleTransform(static_cast<int>(v[0].number), v[1].number, v[2].real);
     }},
    // Colours and depth.
    {"GrayScale", {}, [](CPixImage& i, V) { return i.GrayScale(); }},
    {"Negative", {}, [](CPixImage& i, V) { return i.Negative(); }},
    {"IncreaseBpp", {{"nbit", K::Long}}, [](CPixImage& i, V v) { return i.IncreaseBpp(static_cast<DWORD>(v[0].number)); }},
    {"DecreaseBpp", {{"nbit", K::Long}, {"errordiffusion", K::Bool}, {"clrimportant", K::Long}},
     [](CPixImage& i, V v) {
         return i.DecreaseBpp(static_cast<DWORD>(v[0].number), v[1].number != 0, nullptr,
                              static_cast<DWORD>(v[2].number));
     }},
    {"Dither", {{"method", K::Long}}, [](CPixImage& i, V v) { return i.Dither(v[0].number); }},
    {"Clear", {{"bval", K::Byte}}, [](CPixImage& i, V v) { return Done([&] { i.Clear(B(v[0])); }); }},
    {"SetGrayPalette", {}, [](CPixImage& i, V) { return Done([&] { i.SetGrayPalette(); }); }},
    {"SetStdPalette", {}, [](CPixImage& i, V) { return Done([&] { i.SetStdPalette(); }); }},
    {"BlendPalette", {{"cr", K::Colour}, {"perc", K::Long}},
     [](CPixImage& i, V v) { return Done([&] { i.BlendPalette(Ref(v[0]), v[1].number); }); }},
    {"SwapIndex", {{"idx1", K::Byte}, {"idx2", K::Byte}},
     [](CPixImage& i, V v) { return Done([&] { i.SwapIndex(B(v[0]), B(v[1])); }); }},
    {"SetPaletteColor", {{"idx", K::Byte}, {"c", K::Colour}},
     [](CPixImage& i, V v) { return Done([&] { i.SetPaletteColor(B(v[0]), v[1].colour); }); }},
    {"SetClrImportant", {{"ncolors", K::Long}},
     [](CPixImage& i, V v) { return Done([&] { i.SetClrImportant(static_cast<DWORD>(v[0].number)); }); }},
    {"SetTransIndex", {{"idx", K::Long}}, [](CPixImage& i, V v) { return Done([&] { i.SetTransIndex(v[0].number); }); }},
    {"SetTransColor", {{"rgb", K::Colour}}, [](CPixImage& i, V v) { return Done([&] { i.SetTransColor(v[0].colour); }); }},
    {"SetPixelColor", {{"x", K::Long}, {"y", K::Long}, {"c", K::Colour}},
     [](CPixImage& i, V v) { return Done([&] { i.SetPixelColor(v[0].number, v[1].number, v[2].colour); }); }},
    {"SetPixelIndex", {{"x", K::Long}, {"y", K::Long}, {"i", K::Byte}},
     [](CPixImage& i, V v) { return Done([&] { i.SetPixelIndex(v[0].number, v[1].number, B(v[2])); }); }},
    {"DrawLine",
     {{"StartX", K::Long}, {"EndX", K::Long}, {"StartY", K::Long}, {"EndY", K::Long}, {"color", K::Colour}},
     [](CPixImage& i, V v) {
         for (int k = 0; k < 4; ++k)
             if (v[k].number < INT_MIN || v[k].number > INT_MAX)
                 return false;
         i.DrawLine(static_cast<int>(v[0].number), static_cast<int>(v[1].number), static_cast<int>(v[2].number),
                    static_cast<int>(v[3].number), v[4].colour);
         return true;
     }},
    {"DrawString",
     {{"x", K::Long}, {"y", K::Long}, {"text", K::Text}, {"color", K::Colour}, {"font", K::Text}, {"lSize", K::Long},
      {"lWeight", K::Long}, {"bItalic", K::Byte}, {"bUnderline", K::Byte}, {"bSetAlpha", K::Bool}},
     DrawStringOp},
    {"DrawStringEx", {{"x", K::Long}, {"y", K::Long}, {"bSetAlpha", K::Bool}}, DrawStringExOp,
     {{"text", K::Text}, {"lfFaceName", K::Text}, {"lfHeight", K::Long}, {"lfWeight", K::Long}, {"lfItalic", K::Byte},
      {"lfUnderline", K::Byte}, {"textColor", K::Colour}, {"align", K::Long}, {"box", K::Bool}, {"boxColor", K::Colour},
      {"boxOpacity", K::Float}, {"roundness", K::Byte}},
     "fields left out as InitTextInfo sets them"},
    {"SetXDPI", {{"dpi", K::Long}}, [](CPixImage& i, V v) { return Done([&] { i.SetXDPI(v[0].number); }); }},
    {"SetYDPI", {{"dpi", K::Long}}, [](CPixImage& i, V v) { return Done([&] { i.SetYDPI(v[0].number); }); }},
    // Tone and look-up tables.
    {"Light", {{"brightness", K::Long}, {"contrast", K::Long}},
     [](CPixImage& i, V v) { return i.Light(v[0].number, v[1].number); }},
    {"Gamma", {{"gamma", K::Float}}, [](CPixImage& i, V v) { return i.Gamma(v[0].real); }},
    {"Lut", {{"table", K::List}},
     [](CPixImage& i, V v) {
         BYTE t[256];
         return Table(v[0], t) && i.Lut(t);
     }},
    {"Lut", {{"tableR", K::List}, {"tableG", K::List}, {"tableB", K::List}},
     [](CPixImage& i, V v) {
         BYTE r[256], g[256], b[256];
         return Table(v[0], r) && Table(v[1], g) && Table(v[2], b) && i.Lut(r, g, b);
     }},
    {"Lut", {{"tableR", K::List}, {"tableG", K::List}, {"tableB", K::List}, {"tableA", K::List}},
     [](CPixImage& i, V v) {
         BYTE r[256], g[256], b[256], a[256];
         return Table(v[0], r) && Table(v[1], g) && Table(v[2], b) && Table(v[3], a) && i.Lut(r, g, b, a);
     }},
    // Neighbourhood filters.
    {"Filter", {{"kernel", K::List}, {"divisor", K::Long}, {"offset", K::Long}}, FilterOp},
    {"Erode", {{"size", K::Long}}, [](CPixImage& i, V v) { return i.Erode(v[0].number); }},
    {"Dilate", {{"size", K::Long}}, [](CPixImage& i, V v) { return i.Dilate(v[0].number); }},
    {"Edge", {{"size", K::Long}}, [](CPixImage& i, V v) { return i.Edge(v[0].number); }},
    {"Median", {{"size", K::Long}}, [](CPixImage& i, V v) { return i.Median(v[0].number); }},
    {"Contour", {}, [](CPixImage& i, V) { return i.Contour(); }},
    {"Jitter", {{"radius", K::Long}}, [](CPixImage& i, V v) { return i.Jitter(v[0].number); }},
    {"Mean", {}, [](CPixImage& i, V) { return std::printf("Mean %.3f\n", static_cast<double>(i.Mean())) > 0; }},
    {"UnsharpMask", {{"radius", K::Float}, {"amount", K::Float}, {"threshold", K::Long}},
     [](CPixImage& i, V v) {
         return v[2].number >= INT_MIN && v[2].number <= INT_MAX &&
                i.UnsharpMask(v[0].real, v[1].real, static_cast<int>(v[2].number));
     }},
    // Mixing.
    {"Mix", {{"source", K::Image}, {"op", K::Long}, {"x", K::Long}, {"y", K::Long}, {"mixAlpha", K::Bool}}, MixOp},
    {"MixFrom", {{"source", K::Image}, {"x", K::Long}, {"y", K::Long}},
     [](CPixImage& i, V v) { return v[0].image && Done([&] { i.MixFrom(*v[0].image, v[1].number, v[2].number); }); }},
    // Colour spaces and channels.
    {"SplitRGB", {{"r", K::Path}, {"g", K::Path}, {"b", K::Path}},
     [](CPixImage& i, V v) {
         return SplitOp(v, 3, [&](Channels& c) { return i.SplitRGB(c.Want(v[0], 0), c.Want(v[1], 1), c.Want(v[2], 2)); });
     }},
    {"SplitYUV", {{"y", K::Path}, {"u", K::Path}, {"v", K::Path}},
     [](CPixImage& i, V v) {
         return SplitOp(v, 3, [&](Channels& c) { return i.SplitYUV(c.Want(v[0], 0), c.Want(v[1], 1), c.Want(v[2], 2)); });
     }},
    {"SplitYIQ", {{"y", K::Path}, {"i", K::Path}, {"q", K::Path}},
     [](CPixImage& i, V v) {
         return SplitOp(v, 3, [&](Channels& c) { return i.SplitYIQ(c.Want(v[0], 0), c.Want(v[1], 1), c.Want(v[2], 2)); });
     }},
    {"SplitXYZ", {{"x", K::Path}, {"y", K::Path}, {"z", K::Path}},
     [](CPixImage& i, V v) {
         return SplitOp(v, 3, [&](Channels& c) { return i.SplitXYZ(c.Want(v[0], 0), c.Want(v[1], 1), c.Want(v[2], 2)); });
     }},
    {"SplitHSL", {{"h", K::Path}, {"s", K::Path}, {"l", K::Path}},
     [](CPixImage& i, V v) {
         return SplitOp(v, 3, [&](Channels& c) { return i.SplitHSL(c.Want(v[0], 0), c.Want(v[1], 1), c.Want(v[2], 2)); });
     }},
    {"SplitCMYK", {{"c", K::Path}, {"m", K::Path}, {"y", K::Path}, {"k", K::Path}},
     [](CPixImage& i, V v) {
         return SplitOp(v, 4, [&](Channels& c) {
             return i.SplitCMYK(c.Want(v[0], 0), c.Want(v[1], 1), c.Want(v[2], 2), c.Want(v[3], 3));
         });
     }},
    {"Combine", {{"r", K::Image}, {"g", K::Image}, {"b", K::Image}, {"a", K::Image}, {"colorspace", K::Long}},
     [](CPixImage& i, V v) {
         return i.Combine(v[0].image.get(), v[1].image.get(), v[2].image.get(), v[3].image.get(), v[4].number);
     }},
    {"Repair", {{"radius", K::Float}, {"iterations", K::Long}, {"colorspace", K::Long}},
     [](CPixImage& i, V v) { return i.Repair(v[0].real, v[1].number, v[2].number); }},
    // Point operations.
    {"Threshold", {{"level", K::Byte}}, [](CPixImage& i, V v) { return i.Threshold(B(v[0])); }},
    {"Colorize", {{"hue", K::Byte}, {"sat", K::Byte}, {"blend", K::Float}},
     [](CPixImage& i, V v) { return i.Colorize(B(v[0]), B(v[1]), v[2].real); }},
    {"HuePalette", {{"correction", K::Float}}, [](CPixImage& i, V v) { return Done([&] { i.HuePalette(v[0].real); }); }},
    {"ShiftRGB", {{"r", K::Long}, {"g", K::Long}, {"b", K::Long}},
     [](CPixImage& i, V v) { return i.ShiftRGB(v[0].number, v[1].number, v[2].number); }},
    {"Noise", {{"level", K::Long}}, [](CPixImage& i, V v) { return i.Noise(v[0].number); }},
    {"RedEyeRemove", {}, [](CPixImage& i, V) { return i.RedEyeRemove(); }},
    // Fourier transform: this picture is the real part, in and out.
    {"FFT2",
     {{"imagIn", K::Image}, {"imagOut", K::Path}, {"direction", K::Long}, {"forcePow2", K::Bool},
      {"magnitude", K::Bool}},
     FFT2Op},
    // Selection: coordinates count rows from the bottom, as the plane does.
    {"SelectionCreate", {}, [](CPixImage& i, V) { return i.SelectionCreate(); }},
    {"SelectionDelete", {}, [](CPixImage& i, V) { return i.SelectionDelete(); }},
    {"SelectionClear", {}, [](CPixImage& i, V) { return i.SelectionClear(); }},
    {"SelectionInvert", {}, [](CPixImage& i, V) { return i.SelectionInvert(); }},
    {"SelectionAddRect", {{"left", K::Long}, {"top", K::Long}, {"right", K::Long}, {"bottom", K::Long}},
     [](CPixImage& i, V v) {
         RECT r;
         return Rect(v, r) && i.SelectionAddRect(r);
     }},
    {"SelectionAddEllipse", {{"left", K::Long}, {"top", K::Long}, {"right", K::Long}, {"bottom", K::Long}},
     [](CPixImage& i, V v) {
         RECT r;
         return Rect(v, r) && i.SelectionAddEllipse(r);
     }},
    {"SelectionAddPolygon", {{"points", K::Points}}, SelectionAddPolygonOp},
    {"SelectionAddColor", {{"c", K::Colour}}, [](CPixImage& i, V v) { return i.SelectionAddColor(v[0].colour); }},
    {"SelectionAddPixel", {{"x", K::Long}, {"y", K::Long}},
     [](CPixImage& i, V v) {
         return Int32(v[0]) && Int32(v[1]) &&
                i.SelectionAddPixel(static_cast<int>(v[0].number), static_cast<int>(v[1].number));
     }},
    {"SelectionSplit", {{"dest", K::Path}}, SelectionSplitOp},
    {"SelectionIsValid", {},
     [](CPixImage& i, V) { return std::printf("SelectionIsValid %d\n", i.SelectionIsValid()) > 0; }},
    {"SelectionGetBox", {},
     [](CPixImage& i, V) {
         RECT r;
         i.SelectionGetBox(r);
         return std::printf("SelectionGetBox %d %d %d %d\n", r.left, r.top, r.right, r.bottom) > 0;
     }},
    {"SelectionIsInside", {{"x", K::Long}, {"y", K::Long}},
     [](CPixImage& i, V v) {
         return std::printf("SelectionIsInside %d\n", i.SelectionIsInside(v[0].number, v[1].number)) > 0;
     }},
    // Alpha.
    {"AlphaCreate", {}, [](CPixImage& i, V) { return Done([&] { i.AlphaCreate(); }); }},
    {"AlphaDelete", {}, [](CPixImage& i, V) { return Done([&] { i.AlphaDelete(); }); }},
    {"AlphaClear", {}, [](CPixImage& i, V) { return Done([&] { i.AlphaClear(); }); }},
    {"AlphaSet", {{"level", K::Byte}}, [](CPixImage& i, V v) { return Done([&] { i.AlphaSet(B(v[0])); }); }},
    {"AlphaInvert", {}, [](CPixImage& i, V) { return Done([&] { i.AlphaInvert(); }); }},
    {"AlphaFlip", {}, [](CPixImage& i, V) { return i.AlphaFlip(); }},
    {"AlphaMirror", {}, [](CPixImage& i, V) { return i.AlphaMirror(); }},
    {"AlphaStrip", {}, [](CPixImage& i, V) { return Done([&] { i.AlphaStrip(); }); }},
    {"AlphaSetMax", {{"nAlphaMax", K::Byte}}, [](CPixImage& i, V v) { return Done([&] { i.AlphaSetMax(B(v[0])); }); }},
    {"AlphaPaletteEnable", {{"enable", K::Bool}},
     [](CPixImage& i, V v) { return Done([&] { i.AlphaPaletteEnable(v[0].number != 0); }); }},
    {"AlphaPaletteClear", {}, [](CPixImage& i, V) { return Done([&] { i.AlphaPaletteClear(); }); }},
};

const char* KindName(PixArgKind k)
{
    switch (k) {
    case K::Long: return "number";
    case K::Byte: return "0..255";
    case K::Float: return "real";
    case K::Bool: return "0|1";
    case K::Colour: return "#RRGGBB";
    case K::List: return "n,n,...";
    case K::Points: return "x,y,x,y,...";
    case K::Image: return "file|-";
    case K::Path: return "file.png|-";
    case K::Text: return "text";
    }
    return "";
}

bool Parse(const std::string& text, PixArgKind kind, PixOpValue& out)
{
    const char* s = text.c_str();
    char* end = nullptr;
    errno = 0;
    switch (kind) {
    case K::Float: {
        out.real = std::strtof(s, &end);
        return *s && !*end && errno == 0 && std::isfinite(out.real);
    }
    case K::Colour: {
        if (text.size() != 7 || text[0] != '#' || text.find_first_not_of("0123456789abcdefABCDEF", 1) != std::string::npos)
            return false;
        const unsigned long v = std::strtoul(s + 1, nullptr, 16);
        out.colour = RGBQUAD{static_cast<BYTE>(v), static_cast<BYTE>(v >> 8), static_cast<BYTE>(v >> 16), 0};
        return true;
    }
    case K::Image: {
        if (text == "-")
            return true;
        out.image = std::make_shared<CPixImage>();
        return out.image->Load(s, PIXFORMAT_UNKNOWN);
    }
    case K::Text: {
        out.text = text;
        return true;
    }
    case K::Path: {
        if (text != "-")
            out.path = text;
        return !text.empty();
    }
    case K::List:
    case K::Points: {
        // Whole numbers only, each one 32-bit at most.
        size_t at = 0;
        while (at <= text.size()) {
            const size_t comma = std::min(text.find(',', at), text.size());
            const std::string item = text.substr(at, comma - at);
            errno = 0;
            const long v = std::strtol(item.c_str(), &end, 10);
            if (item.empty() || *end || errno != 0 || v < INT32_MIN || v > INT32_MAX)
                return false;
            out.list.push_back(v);
            at = comma + 1;
        }
        return kind == K::List || out.list.size() % 2 == 0;
    }
    default: break;
    }
    out.number = std::strtol(s, &end, 10);
    if (!*s || *end || errno != 0)
        return false;
    if (kind == K::Byte)
        return out.number >= 0 && out.number <= 255;
    if (kind == K::Bool)
        return out.number == 0 || out.number == 1;
    return true;
}

} // namespace

const std::vector<PixOp>& PixOperations()
{
    return kOps;
}

bool RunPixOp(CPixImage& img, const std::string& name, const std::vector<std::string>& args, std::string& error)
{
    auto refuse = [&](const PixOpParam& p, const std::string& arg) {
        error = name + ": " + p.name + " must be " + KindName(p.kind) + ", not \"" + arg + "\"";
        return false;
    };
    bool known = false;
    for (const PixOp& op : kOps) {
        if (name != op.name)
            continue;
        known = true;
        const size_t fixed = op.params.size();
        if (args.size() < fixed || (args.size() > fixed && op.fields.empty()))
            continue;
        std::vector<PixOpValue> values(fixed + op.fields.size());
        for (size_t i = 0; i < fixed; ++i)
            if (!Parse(args[i], op.params[i].kind, values[i]))
                return refuse(op.params[i], args[i]);
        for (size_t i = fixed; i < values.size(); ++i)
            values[i].given = false;
        for (size_t a = fixed; a < args.size(); ++a) {
            const size_t eq = args[a].find('=');
            const std::string key = args[a].substr(0, eq);
            size_t f = 0;
            while (f < op.fields.size() && key != op.fields[f].name)
                ++f;
            if (eq == std::string::npos || f == op.fields.size()) {
                error = name + ": no field \"" + args[a] + "\" (see --ops)";
                return false;
            }
            PixOpValue& value = values[fixed + f] = PixOpValue{};
            if (!Parse(args[a].substr(eq + 1), op.fields[f].kind, value))
                return refuse(op.fields[f], args[a].substr(eq + 1));
        }
        if (op.run(img, values.data()))
            return true;
        error = name + " failed";
        if (*img.GetLastError())
            error += std::string(": ") + img.GetLastError();
        return false;
    }
    error = known ? name + ": wrong number of arguments (see --ops)" : "unknown operation " + name + " (see --ops)";
    return false;
}

void ListPixOps(FILE* out)
{
    for (const PixOp& op : kOps) {
        std::fprintf(out, "%s", op.name);
        for (const PixOpParam& p : op.params)
            std::fprintf(out, " %s:%s", p.name, KindName(p.kind));
        for (const PixOpParam& p : op.fields)
            std::fprintf(out, " [%s=%s]", p.name, KindName(p.kind));
        if (op.note)
            std::fprintf(out, " (%s)", op.note);
        std::fprintf(out, "\n");
    }
}
