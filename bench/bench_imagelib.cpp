// Image library transforms on a 12-megapixel photo-like picture (smooth gradients with noise).
#include <benchmark/benchmark.h>

#include <cmath>

#include "imagelib/PixImage.h"
#include "platform/win/Random.h"

namespace {

constexpr long kWidth = 4000;
constexpr long kHeight = 3000;

CPixImage& Photo()
{
    static CPixImage img = [] {
        CPixImage p(kWidth, kHeight, 24);
        SRand(1234);
        for (long y = 0; y < kHeight; ++y) {
            BYTE* row = p.GetBits(static_cast<DWORD>(y));
            for (long x = 0; x < kWidth; ++x) {
                const double fx = static_cast<double>(x) / kWidth, fy = static_cast<double>(y) / kHeight;
                const int noise = Rand() % 17 - 8;
                auto clamp = [](double v) { return static_cast<BYTE>(v < 0 ? 0 : (v > 255 ? 255 : v)); };
                row[3 * x] = clamp(60 + 150 * fy + noise);
                row[3 * x + 1] = clamp(128 + 90 * std::sin(6.0 * fx + 3.0 * fy) + noise);
                row[3 * x + 2] = clamp(40 + 200 * fx * (1 - fy) + noise);
            }
        }
        return p;
    }();
    return img;
}

void BM_ResampleAreaTo720x480(benchmark::State& state)
{
    CPixImage& src = Photo();
    for (auto _ : state) {
        CPixImage dst;
        src.Resample(720, 480, 0, &dst);
        benchmark::DoNotOptimize(dst.GetBits());
    }
}
BENCHMARK(BM_ResampleAreaTo720x480)->Unit(benchmark::kMillisecond);

void BM_Flip(benchmark::State& state)
{
    CPixImage img(Photo());
    for (auto _ : state)
        benchmark::DoNotOptimize(img.Flip());
}
BENCHMARK(BM_Flip)->Unit(benchmark::kMillisecond);

void BM_Mirror(benchmark::State& state)
{
    CPixImage img(Photo());
    for (auto _ : state)
        benchmark::DoNotOptimize(img.Mirror());
}
BENCHMARK(BM_Mirror)->Unit(benchmark::kMillisecond);

void BM_RotateLeft(benchmark::State& state)
{
    CPixImage& src = Photo();
    for (auto _ : state) {
        CPixImage dst;
        benchmark::DoNotOptimize(src.RotateLeft(&dst));
    }
}
BENCHMARK(BM_RotateLeft)->Unit(benchmark::kMillisecond);

void BM_RotateRight(benchmark::State& state)
{
    CPixImage& src = Photo();
    for (auto _ : state) {
        CPixImage dst;
        benchmark::DoNotOptimize(src.RotateRight(&dst));
    }
}
BENCHMARK(BM_RotateRight)->Unit(benchmark::kMillisecond);

void BM_Rotate180(benchmark::State& state)
{
    CPixImage& src = Photo();
    for (auto _ : state) {
        CPixImage dst;
        benchmark::DoNotOptimize(src.Rotate180(&dst));
    }
}
BENCHMARK(BM_Rotate180)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
