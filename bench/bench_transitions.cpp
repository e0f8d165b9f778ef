// Time per transition frame of every kind (0..17, through the renderer table) at 720x480: a
// slide with the zoom-in effect comes in over a textured picture by the kind with its default
// parameters, 25 transition frames and no effect frames, in encode mode with a frame entry that
// only takes the frame. Set-up (the old copy, loading the slide, work objects) is spread over the
// 25 frames as in a video. Compare each kind with kind 0, the Alpha renderer.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <string>

#include "model/CSlideItem.h"
#include "model/CSlideShow.h"
#include "model/TransitionFactory.h"
#include "platform/gdiplus/Gdiplus.h"
#include "render/EncodeJob.h"
#include "render/EncoderFrameBuffers.h"
#include "render/RenderCanvas.h"
#include "render/RenderJob.h"
#include "render/TransitionRenderers.h"

namespace {

constexpr int32_t kWidth = 720;
constexpr int32_t kHeight = 480;
constexpr int32_t kFrames = 25;

int32_t TakeFrame(const uint8_t*) { return 0; }

std::string WritePicture(const std::filesystem::path& folder, const std::string& name, int32_t seed) {
    Gdiplus::Bitmap picture(kWidth, kHeight, Gdiplus::PixelFormat24bppRGB);
    Gdiplus::BitmapData d;
    const Gdiplus::Rect r(0, 0, kWidth, kHeight);
    picture.LockBits(&r, Gdiplus::ImageLockModeWrite, Gdiplus::PixelFormat24bppRGB, &d);
    for (int32_t y = 0; y < kHeight; ++y) {
        auto* row = static_cast<uint8_t*>(d.Scan0) + static_cast<ptrdiff_t>(y) * d.Stride;
        for (int32_t x = 0; x < kWidth; ++x) {
            row[3 * x] = static_cast<uint8_t>(x * 255 / kWidth + seed * 40);
            row[3 * x + 1] = static_cast<uint8_t>(128 + 100 * std::sin(0.05 * x + 0.03 * y + seed));
            row[3 * x + 2] = static_cast<uint8_t>(y * 255 / kHeight + ((x / 16 + y / 16) % 2) * 30);
        }
    }
    picture.UnlockBits(&d);
    const std::string path = (folder / name).string();
    picture.Save(path, "image/bmp");
    return path;
}

struct Fixture {
    std::filesystem::path folder;
    std::string oldPicture, newPicture;

    Fixture() {
        folder = std::filesystem::temp_directory_path() / ("bench_transitions_" + std::to_string(getpid()));
        std::filesystem::create_directories(folder);
        oldPicture = WritePicture(folder, "old.bmp", 0);
        newPicture = WritePicture(folder, "new.bmp", 1);
    }
    ~Fixture() {
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
};

Fixture& TheFixture() {
    static Fixture f;
    return f;
}

void BM_TransitionFrame(benchmark::State& state) {
    const auto kind = static_cast<int32_t>(state.range(0));
    Fixture& f = TheFixture();
    CSlideShow show("bench", f.folder.string(), f.folder.string());
    for (const std::string& path : {f.oldPicture, f.newPicture}) {
        std::unique_ptr<CSlideItem> slide = CSlideItem::FromFile(path);
        CEffectSetting& e = slide->m_Settings.m_Effect;
        e.m_nSingleEffectId = 8; // zoom centre in: the incoming slide moves
        e.m_pTransition = MakeTransition(kind, false);
        show.m_arrSlides.push_back(std::move(slide));
    }
    EncodeJob encode;
    encode.m_pSlideshow = &show;
    EncoderFrameBuffers buffers;
    buffers.Allocate(kWidth, kHeight);
    RenderCanvas canvas(kWidth, kHeight, Gdiplus::PixelFormat24bppRGB);
    RenderJob job;
    canvas.AttachForEncode(job, &encode, &buffers, &TakeFrame);
    Gdiplus::Bitmap old(f.oldPicture);
    for (auto _ : state) {
        state.PauseTiming();
        canvas.FrameGraphics()->DrawImage(&old, 0, 0);
        job.m_nFrameIndex = 1;
        job.m_nTransitionFrames = kFrames;
        job.m_nSlideFrames = kFrames;
        state.ResumeTiming();
        benchmark::DoNotOptimize(RenderTransitionOfKind(job, kind));
    }
    state.SetItemsProcessed(state.iterations() * kFrames);
}

} // namespace

BENCHMARK(BM_TransitionFrame)->DenseRange(0, TRANSITION_RENDERER_COUNT - 1)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
