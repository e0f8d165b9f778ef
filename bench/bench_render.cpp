// Frames per second of a whole slideshow encode (EncodeSlideshow: 10 slides at 720x480 with "xvid",
// zoom and pan effects, Alpha transitions) against the encoder library alone encoding the same
// number of frames of one fixed YUV picture. Also: the renderer alone (frames composed and
// converted, no encoder) and the encoder library alone on the job's own frames. The last entry
// reports the job's time per frame over each encoder-alone figure.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "model/COutputProfile.h"
#include "model/CSlideItem.h"
#include "model/CSlideShow.h"
#include "model/Log.h"
#include "model/TransitionFactory.h"
#include "platform/encoder/EncoderApi.h"
#include "platform/gdiplus/Gdiplus.h"
#include "render/EncodeJob.h"
#include "render/EncodeSlideshow.h"
#include "render/EncoderFrameBuffers.h"
#include "render/EncoderParameters.h"
#include "render/EncoderSession.h"
#include "render/RenderCanvas.h"
#include "render/RenderJob.h"
#include "render/SlideshowRenderer.h"

namespace {

constexpr int32_t kSlides = 10;
const std::string kProgram = PICREEL_PROGRAM_DIR;

struct Fixture {
    std::filesystem::path folder;
    std::unique_ptr<CSlideShow> show;
    COutputProfile profile;
    int64_t frames = 0;

    Fixture() {
        folder = std::filesystem::temp_directory_path() / ("bench_render_" + std::to_string(getpid()));
        std::filesystem::create_directories(folder);
        SetLogFilePath((folder / "log.txt").string());
        show = std::make_unique<CSlideShow>("bench", folder.string(), kProgram);
        for (int32_t i = 0; i < kSlides; ++i) {
            // Photo-sized pictures with gradients and detail, landscape and portrait.
            const int32_t w = i % 3 == 2 ? 768 : 1280, h = i % 3 == 2 ? 1024 : 960;
            Gdiplus::Bitmap picture(w, h, Gdiplus::PixelFormat24bppRGB);
            Gdiplus::BitmapData d;
            const Gdiplus::Rect r(0, 0, w, h);
            picture.LockBits(&r, Gdiplus::ImageLockModeWrite, Gdiplus::PixelFormat24bppRGB, &d);
            for (int32_t y = 0; y < h; ++y) {
                auto* row = static_cast<uint8_t*>(d.Scan0) + static_cast<ptrdiff_t>(y) * d.Stride;
                for (int32_t x = 0; x < w; ++x) {
                    row[3 * x] = static_cast<uint8_t>(x * 255 / w + i * 20);
                    row[3 * x + 1] = static_cast<uint8_t>(y * 255 / h + ((x / 16 + y / 16) % 2) * 30);
                    row[3 * x + 2] = static_cast<uint8_t>((x + y) * 128 / (w + h) + i * 10);
                }
            }
            picture.UnlockBits(&d);
            const std::string path = (folder / ("slide" + std::to_string(i) + ".bmp")).string();
            picture.Save(path, "image/bmp");
            std::unique_ptr<CSlideItem> slide = CSlideItem::FromFile(path);
            CEffectSetting& e = slide->m_Settings.m_Effect;
            e.m_nSingleEffectId = i % 2 == 0 ? 8 + i % 12 : i % 8; // zooms and pans
            e.m_nSingleEffectTime = 2;
            e.m_nTransitionTime = 1;
            e.m_pTransition = MakeTransition(0, false);
            e.m_pTransition->m_nParam1 = i % 3;
            show->m_arrSlides.push_back(std::move(slide));
        }
        show->RecalcTiming();
        show->m_strOutputFile = (folder / "bench.avi").string();
        show->m_strMp2File = kProgram + "menu_pic/silent.mp2";
        profile.m_VideoCodec.m_Current.value = "xvid";
        profile.m_VideoSize.m_Current.value = "720x480";
        profile.m_VideoBitrate.m_Current.value = "1500";
        profile.m_FrameRate.m_Current.value = "29.97";
        profile.m_AudioCodec.m_Current.value = "mp3";
        profile.m_AudioBitrate.m_Current.value = "128";
        profile.m_AudioSampleRate.m_Current.value = "44100";
        profile.m_AudioChannels.m_Current.value = "2";
        frames = 29 + int64_t{29} * 3 * (kSlides - 1);
    }
    ~Fixture() {
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
        SetLogFilePath("");
    }
};

Fixture& TheFixture() {
    static Fixture f;
    return f;
}

double g_jobSecondsPerFrame = 0;
double g_encoderSecondsPerFrame = 0;
double g_sameFramesSecondsPerFrame = 0;

// Times init, `count` frames from `next` and close through the encoder library alone, told what
// the job tells it.
template <class Next> double TimeEncoderAlone(benchmark::State& state, int64_t count, Next next) {
    Fixture& f = TheFixture();
    EncoderSession session;
    EncoderParameters parameters;
    if (!session.Load(kProgram) ||
        !parameters.FromProfile(f.profile, kProgram, (f.folder / "alone.avi").string(), f.show->m_strMp2File)) {
        state.SkipWithError("VelmorEncoder.so not loadable");
        return 0;
    }
    const EncOneFrameFn frame = session.FrameEntry();
    const auto start = std::chrono::steady_clock::now();
    session.Open(parameters);
    for (int64_t n = 0; n < count; ++n)
        if (frame(next(n)) != 0) {
            state.SkipWithError("EncOneFrame failed");
            break;
        }
    session.Close();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_EncodeSlideshow(benchmark::State& state) {
    Fixture& f = TheFixture();
    EncodeJob job;
    job.m_pSlideshow = f.show.get();
    double seconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (EncodeSlideshow(&job, &f.profile, kProgram) != 0) {
            state.SkipWithError("EncodeSlideshow failed");
            return;
        }
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    g_jobSecondsPerFrame = seconds / (static_cast<double>(state.iterations()) * f.frames);
    state.SetItemsProcessed(state.iterations() * f.frames);
    state.counters["fps"] = 1.0 / g_jobSecondsPerFrame;
}

void BM_EncoderAloneFixedPicture(benchmark::State& state) {
    Fixture& f = TheFixture();
    std::vector<uint8_t> yuv(720 * 480 * 3 / 2, 128);
    for (size_t i = 0; i < 720 * 480; ++i) yuv[i] = static_cast<uint8_t>((i % 720) * 200 / 720 + (i / 720) / 8);
    double seconds = 0;
    for (auto _ : state) seconds += TimeEncoderAlone(state, f.frames, [&](int64_t) { return yuv.data(); });
    g_encoderSecondsPerFrame = seconds / (static_cast<double>(state.iterations()) * f.frames);
    state.SetItemsProcessed(state.iterations() * f.frames);
    state.counters["fps"] = 1.0 / g_encoderSecondsPerFrame;
}

std::vector<std::vector<uint8_t>> g_caught;
int32_t CatchFrame(const uint8_t* yuv) {
    g_caught.emplace_back(yuv, yuv + 720 * 480 * 3 / 2);
    return 0;
}

int32_t DiscardFrame(const uint8_t* yuv) {
    benchmark::DoNotOptimize(yuv[0]);
    return 0;
}

// Renders the job's frames as the encoder driver does (29 frames a second), each handed to
// `entry` in place of the encoder library.
void RenderJobFrames(EncOneFrameFn entry) {
    Fixture& f = TheFixture();
    EncodeJob job;
    job.m_pSlideshow = f.show.get();
    RenderCanvas canvas(720, 480, Gdiplus::PixelFormat24bppRGB);
    EncoderFrameBuffers buffers;
    buffers.Allocate(720, 480);
    RenderJob render;
    canvas.AttachForEncode(render, &job, &buffers, entry);
    RenderSlideshow(render, f.show.get(), 29);
}

// The renderer's own part: the same frames composed and converted to YUV, handed to no encoder.
void BM_RenderOnly(benchmark::State& state) {
    Fixture& f = TheFixture();
    double seconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        RenderJobFrames(DiscardFrame);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    state.SetItemsProcessed(state.iterations() * f.frames);
    state.counters["fps"] = static_cast<double>(state.iterations() * f.frames) / seconds;
}

// The encoder library alone on the very frames the job makes (caught beforehand).
void BM_EncoderAloneSameFrames(benchmark::State& state) {
    g_caught.clear();
    RenderJobFrames(CatchFrame);
    const int64_t count = static_cast<int64_t>(g_caught.size());
    double seconds = 0;
    for (auto _ : state) seconds += TimeEncoderAlone(state, count, [](int64_t n) { return g_caught[n].data(); });
    g_caught.clear();
    g_caught.shrink_to_fit();
    g_sameFramesSecondsPerFrame = seconds / (static_cast<double>(state.iterations()) * count);
    state.SetItemsProcessed(state.iterations() * count);
    state.counters["fps"] = 1.0 / g_sameFramesSecondsPerFrame;
}

// The whole job's time per frame over the encoder's alone (aim: 1.3 or below).
void BM_JobOverEncoderRatio(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(g_jobSecondsPerFrame);
    if (g_jobSecondsPerFrame <= 0 || g_encoderSecondsPerFrame <= 0) {
        state.SkipWithError("run both benchmarks first");
        return;
    }
    state.counters["ratio"] = g_jobSecondsPerFrame / g_encoderSecondsPerFrame;
    if (g_sameFramesSecondsPerFrame > 0)
        state.counters["ratio_same_frames"] = g_jobSecondsPerFrame / g_sameFramesSecondsPerFrame;
}

BENCHMARK(BM_EncodeSlideshow)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_EncoderAloneFixedPicture)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_RenderOnly)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_EncoderAloneSameFrames)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_JobOverEncoderRatio)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
