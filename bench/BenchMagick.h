// ImageMagick beside the image benchmarks: the 12-megapixel picture in its own cache format, and
// its time for an operation on one thread (MAGICK_THREAD_LIMIT=1) as the run with the operation
// less the run without it (reading the picture and writing nothing), best of three.
#pragma once

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "bench/BenchPhoto.h"
#include "imagelib/PixImage.h"

namespace benchmagick {

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

inline MagickInput& Input()
{
    static MagickInput input;
    return input;
}

inline double BestSeconds(const std::string& args)
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

// base: what the run without the operation does besides reading (work the operation needs first).
inline void Magick(benchmark::State& state, const std::string& args, const std::string& base = "")
{
    if (!Input().ok) {
        state.SkipWithError("ImageMagick is missing");
        return;
    }
    const double without = BestSeconds(base);
    const double with = BestSeconds(base + " " + args);
    if (without < 0 || with < 0) {
        state.SkipWithError("ImageMagick failed");
        return;
    }
    for (auto _ : state)
        state.SetIterationTime(std::max(with - without, 1e-6));
}

// Runs op on a fresh copy of the picture each time; the copy is not timed.
template <class Op>
inline void OnCopy(benchmark::State& state, Op op)
{
    for (auto _ : state) {
        state.PauseTiming();
        CPixImage img(BenchPhoto());
        state.ResumeTiming();
        benchmark::DoNotOptimize(op(img));
    }
}

} // namespace benchmagick
