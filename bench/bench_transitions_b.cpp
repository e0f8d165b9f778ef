// Compose time per transition frame at 720x480 of the Polygon, Door, Spin, Flip, Rotate in, Fly,
// Twist and Cube fly renderers against the Alpha renderer. A transition preview context without a
// screen shows nothing, so presenting costs nothing; each iteration renders the slide with 30
// transition frames and with none, and reports the difference per frame (set-up, picture loading
// and the one-off cuts excluded). The incoming slide is a photo-sized picture with effect "none".
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

#include "bench/BenchPhoto.h"
#include "model/TransitionFactory.h"
#include "model/TransitionSetting.h"
#include "platform/gdiplus/Gdiplus.h"
#include "render/RenderCanvas.h"
#include "render/RenderJob.h"
#include "render/TransitionPreviewJob.h"
#include "render/TransitionRenderers.h"

namespace {

constexpr int32_t kW = 720, kH = 480, kFrames = 30;

// The benchmarks' photo shrunk to 1280x960, written once into a folder removed at exit.
struct PhotoFile {
    std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("bench_transitions_b_" + std::to_string(getpid()));
    std::string path = Write(folder);
    ~PhotoFile() {
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
    static std::string Write(const std::filesystem::path& folder) {
        std::filesystem::create_directories(folder);
        const std::string file = (folder / "photo.bmp").string();
        CPixImage photo;
        BenchPhoto().QIShrink(1280, 960, &photo);
        photo.Save(file.c_str(), PIXFORMAT_BMP);
        return file;
    }
};

const std::string& Photo() {
    static const PhotoFile photo;
    return photo.path;
}

// Seconds to render the slide with `frames` transition frames (and no effect frames after them).
double RenderSeconds(RenderJob& job, RenderCanvas& canvas, int32_t kind, int32_t frames) {
    canvas.FrameGraphics()->Clear(Gdiplus::Color(255, 90, 40, 160));
    job.m_nFrameIndex = 1;
    job.m_nTransitionFrames = frames;
    job.m_nSlideFrames = frames;
    const auto start = std::chrono::steady_clock::now();
    RenderTransitionOfKind(job, kind);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// A transition preview context over a 24-bit frame, as encoding composes it, without a screen.
struct Preview {
    std::unique_ptr<TransitionSetting> transition;
    TransitionPreviewJob preview;
    RenderCanvas canvas{kW, kH, Gdiplus::PixelFormat24bppRGB};
    RenderJob job;
    int32_t kind;

    Preview(int32_t kind, int32_t p1, int32_t p2) : transition(MakeTransition(kind, false)), kind(kind) {
        transition->m_nParam1 = p1;
        transition->m_nParam2 = p2;
        preview.m_strSecondPicture = Photo();
        preview.m_pTransition = transition.get();
        job.m_nMode = RENDER_TRANSITION_PREVIEW;
        job.m_nFrameInterval = 0;
        job.m_pTransitionJob = &preview;
        canvas.Attach(job);
    }
    // Seconds per transition frame, set-up excluded.
    double SecondsPerFrame() {
        const double all = RenderSeconds(job, canvas, kind, kFrames);
        return std::max(all - RenderSeconds(job, canvas, kind, 0), 0.0) / kFrames;
    }
};

// The kind's time per frame; the Alpha renderer's is taken in the same iterations (the machine's
// load changes from one benchmark to the next) and the ratio reported beside it.
void BM_TransitionFrame(benchmark::State& state) {
    Preview kind(static_cast<int32_t>(state.range(0)), static_cast<int32_t>(state.range(1)),
                 static_cast<int32_t>(state.range(2)));
    Preview alpha(TRANSITION_ALPHA, 0, 0);
    double kindTotal = 0, alphaTotal = 0;
    for (auto _ : state) {
        const double seconds = kind.SecondsPerFrame();
        kindTotal += seconds;
        alphaTotal += alpha.SecondsPerFrame();
        state.SetIterationTime(seconds);
    }
    if (alphaTotal > 0) {
        state.counters["alpha_us"] = alphaTotal * 1e6 / static_cast<double>(state.iterations());
        state.counters["x_alpha"] = kindTotal / alphaTotal;
    }
}

// kind, parameter 1, parameter 2
BENCHMARK(BM_TransitionFrame)
    ->ArgNames({"kind", "p1", "p2"})
    ->Args({TRANSITION_ALPHA, 0, 0})
    ->Args({TRANSITION_POLYGON, 4, 0})
    ->Args({TRANSITION_POLYGON, 9, 1})
    ->Args({TRANSITION_DOOR, 0, 0})
    ->Args({TRANSITION_DOOR, 1, 0})
    ->Args({TRANSITION_SPIN, 0, 0})
    ->Args({TRANSITION_FLIP, 0, 0})
    ->Args({TRANSITION_FLIP, 1, 0})
    ->Args({TRANSITION_ROTATE_IN, 0, 0})
    ->Args({TRANSITION_FLY, 0, 0})
    ->Args({TRANSITION_FLY, 1, 0})
    ->Args({TRANSITION_TWIST, 0, 0})
    ->Args({TRANSITION_CUBE_FLY, 0, 0})
    ->Args({TRANSITION_CUBE_FLY, 2, 0})
    ->UseManualTime()
    ->Iterations(10)
    ->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
