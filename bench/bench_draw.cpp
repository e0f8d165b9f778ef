// Drawing the 12-megapixel picture to a 1000 x 750 device context, beside ImageMagick doing the
// same reduction on one thread (its time minus the time to read the picture and write nothing).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "BenchPhoto.h"
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

// The picture once as ImageMagick's memory-mapped cache, so that reading it costs little.
const std::string& MagickInput() {
    static const std::string path = [] {
        const std::string bmp = "/tmp/picreel_bench_draw.bmp", mpc = "/tmp/picreel_bench_draw.mpc";
        BenchPhoto().Save(bmp.c_str(), PIXFORMAT_BMP);
        std::system(("/usr/bin/convert " + bmp + " " + mpc + " 2>/dev/null").c_str());
        return mpc;
    }();
    return path;
}

double RunSeconds(const std::string& args) {
    const auto t0 = std::chrono::steady_clock::now();
    const int rc = std::system(("MAGICK_THREAD_LIMIT=1 /usr/bin/convert " + MagickInput() + " " + args + " null: 2>/dev/null").c_str());
    const auto t1 = std::chrono::steady_clock::now();
    return rc == 0 ? std::chrono::duration<double>(t1 - t0).count() : -1;
}

void MagickReduce(benchmark::State& state, const char* op) {
    if (RunSeconds("") < 0) {
        state.SkipWithError("ImageMagick is not installed");
        return;
    }
    for (auto _ : state) {
        const double base = RunSeconds(""), work = RunSeconds(op);
        state.SetIterationTime(std::max(0.0, work - base));
    }
}
void BM_MagickSampleTo1000x750(benchmark::State& state) { MagickReduce(state, "-sample 1000x750"); }
void BM_MagickResizeTo1000x750(benchmark::State& state) { MagickReduce(state, "-resize 1000x750"); }
BENCHMARK(BM_MagickSampleTo1000x750)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MagickResizeTo1000x750)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
