// Drawing the 12-megapixel picture to a 1000 x 750 device context, beside ImageMagick doing the
// same reduction on one thread (its time minus the time to read the picture and write nothing).
#include <benchmark/benchmark.h>

#include "bench/BenchMagick.h"
#include "bench/BenchPhoto.h"
#include "platform/gdi/Gdi.h"

namespace {

void BM_DrawTo1000x750(benchmark::State& state) {
    CPixImage& img = BenchPhoto();
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bmp = CreateBitmap(1000, 750, 1, 32, nullptr);
    HGDIOBJ old = SelectObject(dc, bmp);
    for (auto _ : state)
        benchmark::DoNotOptimize(img.Draw(dc, 0, 0, 1000, 750));
    SelectObject(dc, old);
    DeleteObject(bmp);
    DeleteDC(dc);
}
BENCHMARK(BM_DrawTo1000x750)->Unit(benchmark::kMillisecond);

void BM_MagickSampleTo1000x750(benchmark::State& state) { benchmagick::Magick(state, "-sample 1000x750"); }
void BM_MagickResizeTo1000x750(benchmark::State& state) { benchmagick::Magick(state, "-resize 1000x750"); }
BENCHMARK(BM_MagickSampleTo1000x750)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MagickResizeTo1000x750)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
