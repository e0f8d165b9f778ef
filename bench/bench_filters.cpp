// Tone tables, neighbourhood filters, mixing, sharpening and the Fourier transform on the
// 12-megapixel picture, each beside ImageMagick doing the same work on one thread.
#include <string>

#include "bench/BenchMagick.h"

namespace {

using namespace benchmagick;

long kSoften[9] = {1, 1, 1, 1, 8, 1, 1, 1, 1};

// The picture again with an alpha plane that runs from clear to opaque across it, for blending.
CPixImage& Overlay()
{
    static CPixImage img = [] {
        CPixImage o(BenchPhoto());
        o.Negative();
        o.AlphaCreate();
        for (long y = 0; y < kBenchPhotoHeight; ++y)
            for (long x = 0; x < kBenchPhotoWidth; ++x)
                o.AlphaSet(x, y, static_cast<BYTE>(x * 255 / kBenchPhotoWidth));
        return o;
    }();
    return img;
}

std::string OverlayForMagick()
{
    const auto png = Input().dir / "overlay.png", mpc = Input().dir / "overlay.mpc";
    if (!std::filesystem::exists(mpc)) {
        Overlay().Save(png.c_str(), PIXFORMAT_PNG);
        std::system(("/usr/bin/convert " + png.string() + " " + mpc.string()).c_str());
    }
    return mpc.string();
}

CPixImage& Square4096()
{
    static CPixImage img = [] {
        CPixImage g(BenchPhoto());
        g.Resample(4096, 4096, 1);
        g.GrayScale();
        return g;
    }();
    return img;
}

void BM_Light(benchmark::State& s) { OnCopy(s, [](CPixImage& i) { return i.Light(5, 10); }); }
void BM_Gamma(benchmark::State& s) { OnCopy(s, [](CPixImage& i) { return i.Gamma(2.2f); }); }
void BM_Negative(benchmark::State& s) { OnCopy(s, [](CPixImage& i) { return i.Negative(); }); }
void BM_Filter3x3(benchmark::State& s) { OnCopy(s, [](CPixImage& i) { return i.Filter(kSoften, 3, 16, 0); }); }
void BM_Median3x3(benchmark::State& s) { OnCopy(s, [](CPixImage& i) { return i.Median(3); }); }
void BM_UnsharpMask5(benchmark::State& s) { OnCopy(s, [](CPixImage& i) { return i.UnsharpMask(5, 0.5f, 0); }); }
void BM_MixAlphaBlend(benchmark::State& s)
{
    Overlay();
    OnCopy(s, [](CPixImage& i) { return i.Mix(Overlay(), CPixImage::MixAlphaBlend), true; });
}
void BM_FFT2_4096(benchmark::State& s)
{
    Square4096();
    OnCopy(s, [](CPixImage&) {
        CPixImage re(Square4096());
        return re.FFT2(&re, nullptr, nullptr, nullptr, 1, false, true);
    });
}

void BM_Magick_Gamma(benchmark::State& s) { Magick(s, "-gamma 2.2"); }
void BM_Magick_Negative(benchmark::State& s) { Magick(s, "-negate"); }
void BM_Magick_Filter3x3(benchmark::State& s)
{
    Magick(s, "-morphology Convolve '3x3: 0.0625,0.0625,0.0625 0.0625,0.5,0.0625 0.0625,0.0625,0.0625'");
}
void BM_Magick_Median3x3(benchmark::State& s) { Magick(s, "-statistic Median 3x3"); }
void BM_Magick_UnsharpMask5(benchmark::State& s) { Magick(s, "-unsharp 0x6+0.5+0"); }
void BM_Magick_MixAlphaBlend(benchmark::State& s)
{
    if (!Input().ok) {
        s.SkipWithError("ImageMagick is missing");
        return;
    }
    const std::string overlay = OverlayForMagick();
    Magick(s, "-compose Over -composite", overlay);
}
void BM_Magick_FFT2_4096(benchmark::State& s) { Magick(s, "-fft", "-resize 4096x4096! -colorspace gray"); }

} // namespace

#define PAIR(name)                                                                                        \
    BENCHMARK(BM_##name)->Unit(benchmark::kMillisecond);                                                \
    BENCHMARK(BM_Magick_##name)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond)

BENCHMARK(BM_Light)->Unit(benchmark::kMillisecond);
PAIR(Gamma);
PAIR(Negative);
PAIR(Filter3x3);
PAIR(Median3x3);
PAIR(UnsharpMask5);
PAIR(MixAlphaBlend);
PAIR(FFT2_4096);

BENCHMARK_MAIN();
