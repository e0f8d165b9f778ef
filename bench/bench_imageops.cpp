// Colour depth, crop and rotation on the 12-megapixel picture, each beside ImageMagick doing the
// same work on one thread (MAGICK_THREAD_LIMIT=1). ImageMagick's figure is its run with the
// operation less its run without it (reading the picture and writing nothing), best of three.
#include "bench/BenchMagick.h"

namespace {

using namespace benchmagick;

void BM_GrayScale(benchmark::State& s) { OnCopy(s, [](CPixImage& i) { return i.GrayScale(); }); }
void BM_Negative(benchmark::State& s) { OnCopy(s, [](CPixImage& i) { return i.Negative(); }); }
void BM_Crop(benchmark::State& s) { OnCopy(s, [](CPixImage& i) { return i.Crop(500, 500, 3500, 2500); }); }
void BM_Rotate2Bilinear30(benchmark::State& s)
{
    OnCopy(s, [](CPixImage& i) { return i.Rotate2(30, nullptr, CPixImage::IM_BILINEAR, CPixImage::OM_COLOR); });
}
void BM_DitherFloydSteinberg(benchmark::State& s) { OnCopy(s, [](CPixImage& i) { return i.Dither(0); }); }
void BM_DecreaseBppTo8(benchmark::State& s) { OnCopy(s, [](CPixImage& i) { return i.DecreaseBpp(8, false); }); }

void BM_Magick_GrayScale(benchmark::State& s) { Magick(s, "-grayscale Rec601Luma"); }
void BM_Magick_Negative(benchmark::State& s) { Magick(s, "-negate"); }
void BM_Magick_Crop(benchmark::State& s) { Magick(s, "-crop 3000x2000+500+500"); }
void BM_Magick_Rotate2Bilinear30(benchmark::State& s)
{
    Magick(s, "-filter point -interpolate bilinear +distort SRT 30");
}
void BM_Magick_DitherFloydSteinberg(benchmark::State& s) { Magick(s, "-dither FloydSteinberg -monochrome"); }
void BM_Magick_DecreaseBppTo8(benchmark::State& s)
{
    Magick(s, "+dither -remap " + (Input().dir / "palette.png").string());
}

} // namespace

BENCHMARK(BM_GrayScale)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Magick_GrayScale)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Negative)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Magick_Negative)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Crop)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Magick_Crop)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Rotate2Bilinear30)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Magick_Rotate2Bilinear30)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DitherFloydSteinberg)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Magick_DitherFloydSteinberg)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecreaseBppTo8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Magick_DecreaseBppTo8)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
