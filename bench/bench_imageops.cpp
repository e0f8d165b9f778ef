// Colour depth, crop and rotation on the 12-megapixel picture, each beside ImageMagick doing the
// same work on one thread (MAGICK_THREAD_LIMIT=1). ImageMagick's figure is its run with the
// operation less its run without it (reading the picture and writing nothing), best of three.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "bench/BenchPhoto.h"
#include "imagelib/PixImage.h"

namespace {

namespace fs = std::filesystem;

// The picture in ImageMagick's own cache format and the standard 256-colour palette beside it.
struct MagickInput {
    fs::path dir;
    bool ok = false;
    MagickInput()
    {
        if (std::system("/usr/bin/convert -version >/dev/null 2>&1") != 0)
            return;
        dir = fs::temp_directory_path() / ("bench_imageops_" + std::to_string(::getpid()));
        fs::create_directories(dir);
        CPixImage pal(256, 1, 8);
        pal.SetStdPalette();
        for (long x = 0; x < 256; ++x)
            pal.SetPixelIndex(x, 0, static_cast<BYTE>(x));
        pal.IncreaseBpp(24);
        ok = BenchPhoto().Save((dir / "photo.png").c_str(), PIXFORMAT_PNG) &&
             pal.Save((dir / "palette.png").c_str(), PIXFORMAT_PNG) &&
             std::system(("/usr/bin/convert " + (dir / "photo.png").string() + " " + (dir / "photo.mpc").string())
                             .c_str()) == 0;
    }
    ~MagickInput()
    {
        std::error_code ec;
        if (!dir.empty())
            fs::remove_all(dir, ec);
    }
};

MagickInput& Input()
{
    static MagickInput input;
    return input;
}

double BestSeconds(const std::string& args)
{
    const std::string cmd = "MAGICK_THREAD_LIMIT=1 /usr/bin/convert " + (Input().dir / "photo.mpc").string() + " " +
                            args + " null: 2>/dev/null";
    double best = 1e9;
    for (int i = 0; i < 3; ++i) {
        const auto start = std::chrono::steady_clock::now();
        if (std::system(cmd.c_str()) != 0)
            return -1;
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

void Magick(benchmark::State& state, const std::string& args)
{
    if (!Input().ok) {
        state.SkipWithError("ImageMagick is missing");
        return;
    }
    const double base = BestSeconds("");
    const double with = BestSeconds(args);
    if (base < 0 || with < 0) {
        state.SkipWithError("ImageMagick failed");
        return;
    }
    for (auto _ : state)
        state.SetIterationTime(std::max(with - base, 1e-6));
}

// Runs op on a fresh copy of the picture each time; the copy is not timed.
template <class Op>
void OnCopy(benchmark::State& state, Op op)
{
    for (auto _ : state) {
        state.PauseTiming();
        CPixImage img(BenchPhoto());
        state.ResumeTiming();
        benchmark::DoNotOptimize(op(img));
    }
}

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
