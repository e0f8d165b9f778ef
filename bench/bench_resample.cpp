// Resampling paths on the 12-megapixel photo-like picture: each call makes a 720 x 480 picture,
// or enlarges a 720 x 480 cut-out to 1280 x 720.
#include <benchmark/benchmark.h>

#include "imagelib/PixImage.h"
#include "bench/BenchPhoto.h"

namespace {

CPixImage& SmallPhoto()
{
    static CPixImage img = [] {
        CPixImage small;
        BenchPhoto().QIShrink(720, 480, &small);
        return small;
    }();
    return img;
}

void BM_ResampleBSplineTo720x480(benchmark::State& state)
{
    for (auto _ : state) {
        CPixImage dst;
        BenchPhoto().Resample(720, 480, 2, &dst);
        benchmark::DoNotOptimize(dst.GetBits());
    }
}
BENCHMARK(BM_ResampleBSplineTo720x480)->Unit(benchmark::kMillisecond);

void BM_ResampleBilinearTo1280x720(benchmark::State& state)
{
    for (auto _ : state) {
        CPixImage dst;
        SmallPhoto().Resample(1280, 720, 0, &dst);
        benchmark::DoNotOptimize(dst.GetBits());
    }
}
BENCHMARK(BM_ResampleBilinearTo1280x720)->Unit(benchmark::kMillisecond);

void BM_Resample2AreaTo720x480(benchmark::State& state)
{
    for (auto _ : state) {
        CPixImage dst;
        BenchPhoto().Resample2(720, 480, CPixImage::IM_BICUBIC2, CPixImage::OM_REPEAT, &dst);
        benchmark::DoNotOptimize(dst.GetBits());
    }
}
BENCHMARK(BM_Resample2AreaTo720x480)->Unit(benchmark::kMillisecond);

void BM_Resample2CubicTo1280x720(benchmark::State& state)
{
    for (auto _ : state) {
        CPixImage dst;
        SmallPhoto().Resample2(1280, 720, CPixImage::IM_BICUBIC2, CPixImage::OM_REPEAT, &dst);
        benchmark::DoNotOptimize(dst.GetBits());
    }
}
BENCHMARK(BM_Resample2CubicTo1280x720)->Unit(benchmark::kMillisecond);

void BM_Resample2LanczosTo1280x720(benchmark::State& state)
{
    for (auto _ : state) {
        CPixImage dst;
        SmallPhoto().Resample2(1280, 720, CPixImage::IM_LANCZOS, CPixImage::OM_REPEAT, &dst);
        benchmark::DoNotOptimize(dst.GetBits());
    }
}
BENCHMARK(BM_Resample2LanczosTo1280x720)->Unit(benchmark::kMillisecond);

void BM_QIShrinkTo720x480(benchmark::State& state)
{
    for (auto _ : state) {
        CPixImage dst;
        BenchPhoto().QIShrink(720, 480, &dst);
        benchmark::DoNotOptimize(dst.GetBits());
    }
}
BENCHMARK(BM_QIShrinkTo720x480)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
