// Image object: overflow methods, sub-pixel interpolation, area averages and the kernels.
#include <algorithm>
#include <cmath>

#include "imagelib/PixImage.h"
#include "imagelib/PixRect2.h"

namespace {

constexpr float kPi = 3.1415927f;

inline long FloorIndex(float v)
{
    long i = static_cast<long>(v);
    if (v < 0)
        --i;
    return i;
}

inline BYTE ClampByte(float v)
{
    if (v < 0)
        return 0;
    if (v > 255)
        return 255;
    return static_cast<BYTE>(v);
}

// A byte from a weighted sum, rounded: truncation would turn a flat 77 into 76.
inline BYTE RoundByte(float v)
{
    return ClampByte(v + 0.5f);
}

inline bool IsCoordinateMethod(CPixImage::OverflowMethod m)
{
    return m == CPixImage::OM_WRAP || m == CPixImage::OM_REPEAT || m == CPixImage::OM_MIRROR;
}

// Any point this far out reads like every other outside point, so only points nearer than this
// ever become whole numbers (NaN is never near).
constexpr float kFar = 1 << 30;

inline bool Near(float x, float y)
{
    return std::fabs(x) < kFar && std::fabs(y) < kFar;
}

// The side of an averaged area: NaN covers nothing, and a side far beyond the picture is held to a
// little more than the picture, which keeps the walk over the area's pixels bounded.
inline float HoldSide(float side, long size)
{
    if (std::isnan(side))
        return 0;
    return std::min(side, static_cast<float>(size) + 64);
}

// Infinity lies just past the edge on its side; NaN has no side and reads as the point before
// the first pixel.
inline float PlaceNonFinite(float v, float size)
{
    if (std::isnan(v))
        return -1.0f;
    if (std::isinf(v))
        return v > 0 ? size : -1.0f;
    return v;
}

} // namespace

void CPixImage::OverflowCoordinates(long& x, long& y, OverflowMethod ofMethod)
{
    if (!dib || IsInside(x, y))
        return;
    const long w = static_cast<long>(GetWidth()), h = static_cast<long>(GetHeight());
    switch (ofMethod) {
    case OM_WRAP:
        x %= w;
        if (x < 0)
            x += w;
        y %= h;
        if (y < 0)
            y += h;
        break;
    case OM_REPEAT:
        x = std::clamp(x, 0L, w - 1);
        y = std::clamp(y, 0L, h - 1);
        break;
    case OM_MIRROR:
        // -(c % size) rather than (-c) % size: the most negative long has no opposite.
        if (x < 0)
            x = -(x % w);
        else if (x >= w)
            x = w - (x % w) - 1;
        if (y < 0)
            y = -(y % h);
        else if (y >= h)
            y = h - (y % h) - 1;
        break;
    default: break;
    }
}

void CPixImage::OverflowCoordinates(float& x, float& y, OverflowMethod ofMethod)
{
    if (!dib)
        return;
    const float w = static_cast<float>(GetWidth()), h = static_cast<float>(GetHeight());
    if (x >= 0 && x < w && y >= 0 && y < h)
        return;
    if (IsCoordinateMethod(ofMethod)) {
        x = PlaceNonFinite(x, w);
        y = PlaceNonFinite(y, h);
    }
    switch (ofMethod) {
    case OM_WRAP:
        x = std::fmod(x, w);
        if (x < 0)
            x += w;
        y = std::fmod(y, h);
        if (y < 0)
            y += h;
        break;
    case OM_REPEAT:
        x = std::clamp(x, 0.0f, w - 1);
        y = std::clamp(y, 0.0f, h - 1);
        break;
    case OM_MIRROR:
        if (x < 0)
            x = std::fmod(-x, w);
        else if (x >= w)
            x = w - (std::fmod(x, w) + 1);
        if (y < 0)
            y = std::fmod(-y, h);
        else if (y >= h)
            y = h - (std::fmod(y, h) + 1);
        break;
    default: break;
    }
}

RGBQUAD CPixImage::GetPixelColorWithOverflow(long x, long y, OverflowMethod ofMethod, RGBQUAD* rplColor)
{
    if (!dib || !IsInside(x, y)) {
        RGBQUAD rc;
        if (rplColor) {
            rc = *rplColor;
        } else {
            rc.rgbRed = rc.rgbGreen = rc.rgbBlue = 255;
            rc.rgbReserved = 0;
        }
        if (!dib)
            return rc;
        switch (ofMethod) {
        case OM_BACKGROUND:
            if (info.transIndex != -1) {
                if (header.biBitCount == 24)
                    return info.transColor;
                return GetPaletteColor(static_cast<BYTE>(info.transIndex));
            }
            return rc;
        case OM_TRANSPARENT:
            if (AlphaIsValid()) {
                rc.rgbReserved = 0;
                return rc;
            }
            if (GetTransIndex() >= 0)
                return GetTransColor();
            return rc;
        case OM_WRAP:
        case OM_REPEAT:
        case OM_MIRROR: OverflowCoordinates(x, y, ofMethod); break;
        default: return rc;
        }
    }
    RGBQUAD c = BlindGetPixelColor(x, y);
    // A palette entry's fourth byte is no alpha: a picture with an alpha plane keeps it there.
    if (alpha && header.biClrUsed)
        c.rgbReserved = BlindAlphaGet(x, y);
    return c;
}

RGBQUAD CPixImage::GetPixelColorInterpolated(float x, float y, InterpolationMethod inMethod,
                                             OverflowMethod ofMethod, RGBQUAD* rplColor)
{
    const long w = static_cast<long>(GetWidth()), h = static_cast<long>(GetHeight());
    if (!Near(x, y)) [[unlikely]] {
        if (!dib || !IsCoordinateMethod(ofMethod))
            return GetPixelColorWithOverflow(-1, -1, ofMethod, rplColor);
        OverflowCoordinates(x, y, ofMethod);
    }
    if (inMethod == IM_NEAREST_NEIGHBOUR)
        return GetPixelColorWithOverflow(static_cast<long>(x + 0.5f), static_cast<long>(y + 0.5f), ofMethod, rplColor);

    long xi = FloorIndex(x), yi = FloorIndex(y);
    const bool kernel = inMethod >= IM_BSPLINE && inMethod <= IM_CATROM;

    if (!kernel) { // bilinear, also for unknown methods
        if (xi + 1 < 0 || xi >= w || yi + 1 < 0 || yi >= h) {
            if (!IsCoordinateMethod(ofMethod))
                return GetPixelColorWithOverflow(-1, -1, ofMethod, rplColor);
            OverflowCoordinates(x, y, ofMethod);
            xi = FloorIndex(x);
            yi = FloorIndex(y);
        }
        RGBQUAD out;
        if (dib && xi >= 0 && xi + 1 < w && yi >= 0 && yi + 1 < h && header.biClrUsed == 0) {
            // Whole-number weights in 1/256 with direct row access.
            const long tx = static_cast<long>((x - xi) * 256);
            const long ty = static_cast<long>((y - yi) * 256);
            const long w11 = (tx * ty) >> 8;
            const long w00 = 256 - tx - ty + w11, w10 = tx - w11, w01 = ty - w11;
            const BYTE* p00 = info.bits + static_cast<size_t>(yi) * info.effWidth + static_cast<size_t>(xi) * 3;
            const BYTE* p01 = p00 + info.effWidth;
            for (int c = 0; c < 3; ++c) {
                long v = (p00[c] * w00 + p00[c + 3] * w10 + p01[c] * w01 + p01[c + 3] * w11) >> 8;
                (&out.rgbBlue)[c] = static_cast<BYTE>(v);
            }
            if (alpha) {
                const BYTE* a0 = alpha + static_cast<size_t>(yi) * w + static_cast<size_t>(xi);
                const BYTE* a1 = a0 + w;
                out.rgbReserved = static_cast<BYTE>((a0[0] * w00 + a0[1] * w10 + a1[0] * w01 + a1[1] * w11) >> 8);
            } else {
                out.rgbReserved = 0;
            }
            return out;
        }
        const RGBQUAD c00 = GetPixelColorWithOverflow(xi, yi, ofMethod, rplColor);
        const RGBQUAD c10 = GetPixelColorWithOverflow(xi + 1, yi, ofMethod, rplColor);
        const RGBQUAD c01 = GetPixelColorWithOverflow(xi, yi + 1, ofMethod, rplColor);
        const RGBQUAD c11 = GetPixelColorWithOverflow(xi + 1, yi + 1, ofMethod, rplColor);
        const float t = x - xi, u = y - yi, d = t * u;
        // The same weights as t - d, u - d, d and 1 - t - (u - d), arranged so that equal corners
        // give back exactly their value before the truncation.
        auto mix = [&](BYTE v00, BYTE v10, BYTE v01, BYTE v11) {
            float v = v00 + t * (v10 - v00) + u * (v01 - v00) + d * (v11 - v10 - v01 + v00);
            return ClampByte(v);
        };
        out.rgbBlue = mix(c00.rgbBlue, c10.rgbBlue, c01.rgbBlue, c11.rgbBlue);
        out.rgbGreen = mix(c00.rgbGreen, c10.rgbGreen, c01.rgbGreen, c11.rgbGreen);
        out.rgbRed = mix(c00.rgbRed, c10.rgbRed, c01.rgbRed, c11.rgbRed);
        out.rgbReserved = alpha ? mix(c00.rgbReserved, c10.rgbReserved, c01.rgbReserved, c11.rgbReserved) : 0;
        return out;
    }

    // Kernel methods: 4 taps per axis, 12 for Lanczos.
    const long lo = inMethod == IM_LANCZOS ? 5 : 1;
    const long hi = inMethod == IM_LANCZOS ? 6 : 2;
    if (xi + hi < 0 || xi - lo >= w || yi + hi < 0 || yi - lo >= h) {
        if (!IsCoordinateMethod(ofMethod))
            return GetPixelColorWithOverflow(-1, -1, ofMethod, rplColor);
        OverflowCoordinates(x, y, ofMethod);
        xi = FloorIndex(x);
        yi = FloorIndex(y);
    }
    auto weight = [inMethod](float d) -> float {
        switch (inMethod) {
        case IM_BSPLINE: return KernelBSpline(d);
        case IM_BICUBIC: return KernelCubic(d);
        case IM_BICUBIC2: return KernelGeneralizedCubic(d, -0.5f);
        case IM_LANCZOS: return KernelLanczosSinc(d, 6);
        case IM_BOX: return KernelBox(d);
        case IM_HERMITE: return KernelHermite(d);
        case IM_HAMMING: return KernelHamming(d);
        case IM_SINC: return KernelSinc(d);
        case IM_BLACKMAN: return KernelBlackman(d);
        case IM_BESSEL: return KernelBessel(d);
        case IM_GAUSSIAN: return KernelGaussian(d);
        case IM_QUADRATIC: return KernelQuadratic(d);
        case IM_MITCHELL: return KernelMitchell(d);
        case IM_CATROM: return KernelCatrom(d);
        default: return KernelLinear(d);
        }
    };
    float wx[12], wy[12];
    const long taps = lo + hi + 1;
    float sumX = 0, sumY = 0;
    for (long k = 0; k < taps; ++k) {
        wx[k] = weight(static_cast<float>(xi - lo + k) - x);
        wy[k] = weight(static_cast<float>(yi - lo + k) - y);
        sumX += wx[k];
        sumY += wy[k];
    }
    float rr = 0, gg = 0, bb = 0, aa = 0;
    const bool direct = dib && xi - lo >= 0 && xi + hi < w && yi - lo >= 0 && yi + hi < h && header.biClrUsed == 0;
    for (long j = 0; j < taps; ++j) {
        const long yy = yi - lo + j;
        for (long i = 0; i < taps; ++i) {
            const long xx = xi - lo + i;
            const float wgt = wx[i] * wy[j];
            if (direct) {
                const BYTE* p = info.bits + static_cast<size_t>(yy) * info.effWidth + static_cast<size_t>(xx) * 3;
                bb += p[0] * wgt;
                gg += p[1] * wgt;
                rr += p[2] * wgt;
                if (alpha)
                    aa += BlindAlphaGet(xx, yy) * wgt;
            } else {
                const RGBQUAD c = GetPixelColorWithOverflow(xx, yy, ofMethod, rplColor);
                bb += c.rgbBlue * wgt;
                gg += c.rgbGreen * wgt;
                rr += c.rgbRed * wgt;
                aa += c.rgbReserved * wgt;
            }
        }
    }
    // The taps' weights rarely add up to 1 (the unwindowed kernels by far not): divided by their
    // total and rounded, a flat area keeps its colour. No kernel's total over its taps comes near 0.
    const float norm = 1.0f / (sumX * sumY);
    RGBQUAD out;
    out.rgbRed = RoundByte(rr * norm);
    out.rgbGreen = RoundByte(gg * norm);
    out.rgbBlue = RoundByte(bb * norm);
    out.rgbReserved = RoundByte(aa * norm);
    return out;
}

void CPixImage::AddAveragingCont(RGBQUAD const& color, float surf, float& rr, float& gg, float& bb, float& aa)
{
    rr += color.rgbRed * surf;
    gg += color.rgbGreen * surf;
    bb += color.rgbBlue * surf;
    aa += color.rgbReserved * surf;
}

RGBQUAD CPixImage::GetAreaColorInterpolated(float xc, float yc, float w, float h, InterpolationMethod inMethod,
                                            OverflowMethod ofMethod, RGBQUAD* rplColor)
{
    const long width = static_cast<long>(GetWidth()), height = static_cast<long>(GetHeight());
    w = HoldSide(w, width);
    h = HoldSide(h, height);
    if (w <= 1 && h <= 1)
        return GetPixelColorInterpolated(xc, yc, inMethod, ofMethod, rplColor);
    if (!Near(xc, yc)) {
        if (!dib || !IsCoordinateMethod(ofMethod))
            return GetPixelColorWithOverflow(-1, -1, ofMethod, rplColor);
        OverflowCoordinates(xc, yc, ofMethod);
    }

    const CPixRect2 area(xc - w / 2, yc - h / 2, xc + w / 2, yc + h / 2);
    const long xi1 = static_cast<long>(std::floor(area.botLeft.x + 0.5f));
    const long yi1 = static_cast<long>(std::floor(area.botLeft.y + 0.5f));
    const long xi2 = static_cast<long>(std::floor(area.topRight.x + 0.5f));
    const long yi2 = static_cast<long>(std::floor(area.topRight.y + 0.5f));

    float rr = 0, gg = 0, bb = 0, aa = 0, total = 0;
    const bool both = w > 1 && h > 1;
    for (long j = yi1; j <= yi2; ++j) {
        for (long i = xi1; i <= xi2; ++i) {
            const CPixRect2 pixel(i - 0.5f, j - 0.5f, i + 0.5f, j + 0.5f);
            const CPixRect2 cross = pixel.CrossSection(area);
            const float surf = cross.Surface();
            if (surf <= 0)
                continue;
            RGBQUAD c;
            if (both) {
                c = GetPixelColorWithOverflow(i, j, ofMethod, rplColor);
            } else {
                const CPixPoint2 centre = cross.Center();
                c = GetPixelColorInterpolated(centre.x, centre.y, inMethod, ofMethod, rplColor);
            }
            AddAveragingCont(c, surf, rr, gg, bb, aa);
            total += surf;
        }
    }
    // An area that covers nothing reads like its centre.
    if (!(total > 0))
        return GetPixelColorInterpolated(xc, yc, inMethod, ofMethod, rplColor);
    // The pieces cover the area exactly: divided by their sum and rounded, a flat area keeps its
    // colour.
    RGBQUAD out;
    out.rgbRed = RoundByte(rr / total);
    out.rgbGreen = RoundByte(gg / total);
    out.rgbBlue = RoundByte(bb / total);
    out.rgbReserved = RoundByte(aa / total);
    return out;
}

// --- kernels ------------------------------------------------------------------------------------

float CPixImage::KernelBSpline(float x)
{
    if (x > 2.0f)
        return 0.0f;
    auto p = [](float t) { return t > 0.0f ? t * t * t : 0.0f; };
    return (p(x + 2.0f) - 4.0f * p(x + 1.0f) + 6.0f * p(x) - 4.0f * p(x - 1.0f)) * 0.16666667f;
}

float CPixImage::KernelLinear(float t)
{
    if (t >= -1.0f && t < 1.0f)
        return 1.0f - std::fabs(t);
    return 0.0f;
}

float CPixImage::KernelCubic(float t)
{
    const float a = std::fabs(t), t2 = t * t;
    if (a < 1.0f)
        return 1.0f - 2.0f * t2 + a * t2;
    if (a < 2.0f)
        return 4.0f - 8.0f * a + 5.0f * t2 - a * t2;
    return 0.0f;
}

float CPixImage::KernelGeneralizedCubic(float t, float a)
{
    const float x = std::fabs(t), x2 = x * x, x3 = x2 * x;
    if (x < 1.0f)
        return (a + 2.0f) * x3 - (a + 3.0f) * x2 + 1.0f;
    if (x < 2.0f)
        return a * x3 - 5.0f * a * x2 + 8.0f * a * x - 4.0f * a;
    return 0.0f;
}

float CPixImage::KernelLanczosSinc(float t, float r)
{
    if (std::fabs(t) > r)
        return 0.0f;
    if (t == 0.0f)
        return 1.0f;
    const float pit = kPi * t;
    const float pitd = pit / r;
    return (std::sin(pit) / pit) * (std::sin(pitd) / pitd);
}

float CPixImage::KernelBox(float x) { return (x >= -0.5f && x < 0.5f) ? 1.0f : 0.0f; }

float CPixImage::KernelHermite(float x)
{
    if (x >= -1.0f && x < 0.0f)
        return (-2.0f * x - 3.0f) * x * x + 1.0f;
    if (x >= 0.0f && x < 1.0f)
        return (2.0f * x - 3.0f) * x * x + 1.0f;
    return 0.0f;
}

float CPixImage::KernelHamming(float x)
{
    if (x >= -1.0f && x < 0.0f)
        return (-2.0f * x - 3.0f) * x * x * 0.92f + 1.0f;
    if (x >= 0.0f && x < 1.0f)
        return (2.0f * x - 3.0f) * x * x * 0.92f + 1.0f;
    return 0.0f;
}

float CPixImage::KernelSinc(float x)
{
    if (x == 0.0f)
        return 1.0f;
    return std::sin(kPi * x) / (kPi * x);
}

float CPixImage::KernelBlackman(float x)
{
    return 0.42f + 0.5f * std::cos(kPi * x) + 0.08f * std::cos(6.2831855f * x);
}

namespace {
double Horner(const double* c, int n, double t)
{
    double p = c[0];
    for (int i = 1; i < n; ++i)
        p = p * t + c[i];
    return p;
}
} // namespace

float CPixImage::KernelBessel_J1(float x)
{
    static const double N[9] = {2701.1227108923235,   -4695753.5306429956,   3413234182.3017006,
                                -1322983480332.1265,  290879526383477.56,    -35888175699101060.0,
                                2.3164335806340024e18, -6.6721065689249161e19, 5.8119935400160612e20};
    static const double D[9] = {1.0,
                                1606.9315734814877,
                                1501793.5949985855,
                                1013863514.358674,
                                524371026216.76495,
                                208166122130760.75,
                                60920613989175216.0,
                                1.185770712190321e19,
                                1.1623987080032122e21};
    const double t = static_cast<double>(x) * x;
    return static_cast<float>(Horner(N, 9, t) / Horner(D, 9, t));
}

float CPixImage::KernelBessel_P1(float x)
{
    static const double N[6] = {1.2571716929145342, 211.15291828539623, 4985.4832060594335,
                                31353.963110915956, 62758.845247161284, 35224.664913367982};
    static const double D[6] = {1.0, 203.07751891347593, 4930.3964901810887, 31240.406381904104,
                                62694.346959356051, 35224.664913367982};
    const double t = (8.0 / x) * (8.0 / x);
    return static_cast<float>(Horner(N, 6, t) / Horner(D, 6, t));
}

float CPixImage::KernelBessel_Q1(float x)
{
    static const double N[6] = {0.03532840052740124, 4.5681716295512267, 83.189895767385082,
                                425.98730116544425,  721.03918049044751, 351.17519143035526};
    static const double D[6] = {1.0, 103.81875854621337, 1811.1867005523513, 9152.231701516992,
                                15414.177339265098, 7491.7374171809124};
    const double t = (8.0 / x) * (8.0 / x);
    return static_cast<float>(Horner(N, 6, t) / Horner(D, 6, t));
}

float CPixImage::KernelBessel_Order1(float x)
{
    if (x == 0.0f)
        return 0.0f;
    const double a = std::fabs(static_cast<double>(x));
    if (a < 8.0)
        return x * KernelBessel_J1(static_cast<float>(a));
    const double s = std::sin(a), c = std::cos(a);
    const double sqrt2 = std::sqrt(2.0);
    double p = std::sqrt(2.0 / (kPi * a)) *
               (KernelBessel_P1(static_cast<float>(a)) * (s - c) / sqrt2 -
                (8.0 / a) * KernelBessel_Q1(static_cast<float>(a)) * (-(s + c) / sqrt2));
    if (x < 0)
        p = -p;
    return static_cast<float>(p);
}

float CPixImage::KernelBessel(float x)
{
    if (x == 0.0f)
        return 0.7853982f;
    return KernelBessel_Order1(kPi * x) / (2.0f * x);
}

float CPixImage::KernelGaussian(float x) { return std::exp(-2.0f * x * x) * 0.7978845834732056f; }

float CPixImage::KernelQuadratic(float x)
{
    if (x < -1.5f)
        return 0.0f;
    if (x < -0.5f)
        return 0.5f * (x + 1.5f) * (x + 1.5f);
    if (x < 0.5f)
        return 0.75f - x * x;
    if (x < 1.5f)
        return 0.5f * (x - 1.5f) * (x - 1.5f);
    return 0.0f;
}

float CPixImage::KernelMitchell(float x)
{
    if (x < -2.0f)
        return 0.0f;
    if (x < -1.0f)
        return 1.7777778f - (-3.3333333f - (2.0f + 0.3888889f * x) * x) * x;
    if (x < 0.0f)
        return (-2.0f - 1.1666666f * x) * x * x + 0.8888889f;
    if (x < 1.0f)
        return (1.1666666f * x - 2.0f) * x * x + 0.8888889f;
    if (x < 2.0f)
        return ((2.0f - 0.3888889f * x) * x - 3.3333333f) * x + 1.7777778f;
    return 0.0f;
}

float CPixImage::KernelCatrom(float x)
{
    if (x < -2.0f)
        return 0.0f;
    if (x < -1.0f)
        return 0.5f * (((x + 5.0f) * x + 8.0f) * x + 4.0f);
    if (x < 0.0f)
        return 0.5f * ((-5.0f - 3.0f * x) * x * x + 2.0f);
    if (x < 1.0f)
        return 0.5f * ((3.0f * x - 5.0f) * x * x + 2.0f);
    if (x < 2.0f)
        return 0.5f * (((5.0f - x) * x - 8.0f) * x + 4.0f);
    return 0.0f;
}
