// Image library transforms on a 12-megapixel photo-like picture (smooth gradients with noise).
#include <benchmark/benchmark.h>

#include <cmath>

#include "imagelib/PixImage.h"
#include "bench/BenchPhoto.h"

namespace {

void BM_ResampleAreaTo720x480(benchmark::State& state)
{
    CPixImage& src = BenchPhoto();
    for (auto _ : state) {
        CPixImage dst;
        src.Resample(720, 480, 0, &dst);
        benchmark::DoNotOptimize(dst.GetBits());
    }
}
BENCHMARK(BM_ResampleAreaTo720x480)->Unit(benchmark::kMillisecond);

void BM_Flip(benchmark::State& state)
{
    CPixImage img(BenchPhoto());
    for (auto _ : state)
        benchmark::DoNotOptimize(img.Flip());
}
BENCHMARK(BM_Flip)->Unit(benchmark::kMillisecond);

void BM_Mirror(benchmark::State& state)
{
    CPixImage img(BenchPhoto());
    for (auto _ : state)
        benchmark::DoNotOptimize(img.Mirror());
}
BENCHMARK(BM_Mirror)->Unit(benchmark::kMillisecond);

void BM_RotateLeft(benchmark::State& state)
{
    CPixImage& src = BenchPhoto();
    for (auto _ : state) {
        CPixImage dst;
        benchmark::DoNotOptimize(src.RotateLeft(&dst));
    }
}
BENCHMARK(BM_RotateLeft)->Unit(benchmark::kMillisecond);

void BM_RotateRight(benchmark::State& state)
{
    CPixImage& src = BenchPhoto();
    for (auto _ : state) {
        CPixImage dst;
        benchmark::DoNotOptimize(src.RotateRight(&dst));
    }
}
BENCHMARK(BM_RotateRight)->Unit(benchmark::kMillisecond);

// The photo as a 1-bit picture of the same size (green above the middle is white), so its quarter
// turns compare with the 24-bit ones above.
CPixImage& BenchPhoto1Bit()
{
    static CPixImage img = [] {
        CPixImage& photo = BenchPhoto();
        CPixImage p(kBenchPhotoWidth, kBenchPhotoHeight, 1);
        p.SetPaletteColor(1, 255, 255, 255);
        for (long y = 0; y < kBenchPhotoHeight; ++y) {
            const BYTE* src = photo.GetBits(static_cast<DWORD>(y));
            BYTE* row = p.GetBits(static_cast<DWORD>(y));
            for (long x = 0; x < kBenchPhotoWidth; ++x)
                if (src[3 * x + 1] > 128)
                    row[x >> 3] = static_cast<BYTE>(row[x >> 3] | (0x80 >> (x & 7)));
        }
        return p;
    }();
    return img;
}

void BM_RotateLeft1Bit(benchmark::State& state)
{
    CPixImage& src = BenchPhoto1Bit();
    for (auto _ : state) {
        CPixImage dst;
        benchmark::DoNotOptimize(src.RotateLeft(&dst));
    }
}
BENCHMARK(BM_RotateLeft1Bit)->Unit(benchmark::kMillisecond);

void BM_RotateRight1Bit(benchmark::State& state)
{
    CPixImage& src = BenchPhoto1Bit();
    for (auto _ : state) {
        CPixImage dst;
        benchmark::DoNotOptimize(src.RotateRight(&dst));
    }
}
BENCHMARK(BM_RotateRight1Bit)->Unit(benchmark::kMillisecond);

void BM_Rotate180(benchmark::State& state)
{
    CPixImage& src = BenchPhoto();
    for (auto _ : state) {
        CPixImage dst;
        benchmark::DoNotOptimize(src.Rotate180(&dst));
    }
}
BENCHMARK(BM_Rotate180)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
