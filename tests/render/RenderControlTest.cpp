// The preview threads under render control: pacing, end messages, stopping, restarting and the
// music that a slideshow preview plays.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <system_error>
#include <thread>
#include <tuple>
#include <utility>

#include "model/CAudioItem.h"
#include "model/CProject.h"
#include "platform/win/MsgWindow.h"
#include "platform/win/Random.h"
#include "platform/win/Tick.h"
#include "render/PreviewThreads.h"
#include "render/RenderControl.h"
#include "render/SlideshowPreviewJob.h"
#include "render/TransitionPreviewJob.h"
#include "tests/render/RenderTestUtil.h"
#include "tests/support/WavFile.h"

using namespace rendertest;
using Clock = CPreviewSurface::Clock;

namespace {

// One message of the kind, from the start of that number, with lParam 0.
::testing::AssertionResult OneMessage(const std::vector<Msg>& got, UINT msg, WPARAM generation) {
    if (got.size() == 1 && got[0].msg == msg && got[0].wParam == generation && got[0].lParam == 0)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << got.size() << " messages, the first " << (got.empty() ? 0 : got[0].msg);
}

class RenderControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("PICREEL_SILENT_AUDIO", "1", 1);
        g_Project.Clear();
        g_Project.SetMainWindow(&main);
        // As the main window does: tracks end on its timer, the music stops when the preview ends.
        main.SetHandler([this](UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
            if (msg == WM_TIMER) return g_Project.OnAudioPreviewTimer(wParam);
            if (msg == WM_PREVIEW_ENDED && control.IsCurrentPreviewMessage(wParam))
                g_Project.StopAudioPreview();
            seen.push_back({msg, wParam, lParam});
            return 0;
        });
        WriteSolidPicture(dir.File("a.bmp"), 64, 48, 0xFFFF0000);
        WriteSolidPicture(dir.File("b.bmp"), 64, 48, 0xFF0000FF);
        transition = MakeTransition(0, false);
        tjob.m_strFirstPicture = dir.File("a.bmp");
        tjob.m_strSecondPicture = dir.File("b.bmp");
        tjob.m_pTransition = transition.get();
        tjob.m_pPreviewSurface = &tsurface;
        control.SetLauncher([this](std::function<void()> run) {
            return std::thread([this, run = std::move(run)] {
                peak = std::max(peak.load(), ++live);
                run();
                --live;
            });
        });
    }
    void TearDown() override {
        control.StopRender();
        g_Project.StopAudioPreview();
        g_Project.SetMainWindow(nullptr);
        g_Project.Clear();
    }
    // A slideshow of two slides (the second shown 1 s after a 1 s transition), made the project's
    // second; the first holds a long tone as its music, which plays whichever is previewed.
    SlideshowPreviewJob& MakeShowJob() {
        auto first = MakeSlideshow(dir, {{dir.File("b.bmp")}});
        WriteFileBytes(dir.File("tone.wav"), ToneWav(44100, 1, 44100 * 30));
        first->m_arrAudio.push_back(
            std::make_unique<CAudioItem>(dir.File("tone.wav"), "tone", dir.File("t.mp2")));
        g_Project.m_arrSlideshows.push_back(std::move(first));
        g_Project.m_arrSlideshows.push_back(
            MakeSlideshow(dir, {{dir.File("a.bmp")}, {dir.File("b.bmp"), 20, 1, 1}}));
        sjob.m_pSlideshow = g_Project.m_arrSlideshows.back().get();
        sjob.m_hNotifyWindow = &notify;
        sjob.m_pPreviewSurface = &ssurface;
        sjob.m_nWidth = 64;
        sjob.m_nHeight = 48;
        return sjob;
    }
    // What the main window was sent, served or still waiting.
    std::vector<Msg> MainMessages() {
        for (const Msg& m : main.TakePosted())
            seen.push_back(m);
        return std::exchange(seen, {});
    }
    template <class Done> bool PumpUntil(Done done, DWORD limitMs = 10000) {
        for (const DWORD start = GetTickCount(); !done(); main.PumpOne(5))
            if (GetTickCount() - start > limitMs) return false;
        return true;
    }

    TempDir dir;
    CMsgWindow main;
    CMsgWindow notify;
    std::vector<Msg> seen;
    CRenderControl control{g_Project};
    std::unique_ptr<TransitionSetting> transition;
    TransitionPreviewJob tjob;
    SlideshowPreviewJob sjob;
    CPreviewSurface tsurface{TRANSITION_PREVIEW_WIDTH, TRANSITION_PREVIEW_HEIGHT_4_3};
    CPreviewSurface ssurface{64, 48};
    std::atomic<int> live{0};
    std::atomic<int> peak{0};
};

TEST_F(RenderControlTest, TransitionPreviewIsPacedBetweenItsTwoStills) {
    std::vector<double> ms; // when each frame was shown
    tsurface.SetListener([&ms](uint64_t, Clock::time_point at) {
        ms.push_back(std::chrono::duration<double, std::milli>(at.time_since_epoch()).count());
    });
    tjob.m_nSlideSeconds = tjob.m_nTransitionSeconds = 1;
    for (const auto& [pal, fps, interval] : {std::tuple{0, 30, 33.0}, {1, 25, 40.0}}) {
        EXPECT_EQ(PreviewFramesPerSecond(pal), fps);
        EXPECT_EQ(PreviewFrameInterval(pal), interval);
        tjob.m_bPal = pal;
        // The still, two seconds of paced frames, the still again. No gap is ever short; a run
        // that a loaded machine made late overall is tried again.
        const size_t paced = static_cast<size_t>(2 * fps);
        double total = 0;
        for (int attempt = 0; attempt < 3 && std::abs(total - paced * interval) >= 0.1 * paced * interval;
             ++attempt) {
            ms.clear();
            ASSERT_EQ(control.StartTransitionPreview(&tjob), 0);
            ASSERT_TRUE(PumpUntil([&] { return !control.IsRendering(); }));
            control.StopRender();
            ASSERT_EQ(ms.size(), paced + 2);
            for (size_t i = 0; i < paced; ++i)
                ASSERT_GE(ms[i + 1] - ms[i], interval - 1) << i;
            total = ms[paced] - ms[0];
        }
        EXPECT_NEAR(total, paced * interval, 0.1 * paced * interval);
        EXPECT_EQ(OpaquePixel(tsurface, 112, 84), 0xFFFF0000u); // the first picture
    }
}

TEST_F(RenderControlTest, SlideshowPreviewEndsWithItsMessagesAndMusicWhenFinishedOrStopped) {
    MakeShowJob();
    const int32_t fps = 30; // not PAL
    ASSERT_EQ(control.StartSlideshowPreview(&sjob), 0);
    EXPECT_TRUE(g_Project.IsAudioPreviewPlaying());
    ASSERT_TRUE(PumpUntil([&] { return !seen.empty(); }));
    EXPECT_TRUE(OneMessage(MainMessages(), WM_PREVIEW_ENDED, control.Generation()));
    EXPECT_FALSE(g_Project.IsAudioPreviewPlaying());
    // The fade-in second, the second slide's 2 s, then the first picture as a still.
    EXPECT_EQ(ssurface.PresentedFrames(), static_cast<uint64_t>(fps + 2 * fps + 1));
    EXPECT_TRUE(OneMessage(notify.TakePosted(), WM_PREVIEW_COMPLETE, control.Generation()));

    // Stopped, it posts only the end and draws no more. A stop during the opening pause ends it
    // early.
    const uint64_t finished = ssurface.PresentedFrames();
    ASSERT_EQ(control.StartSlideshowPreview(&sjob), 0);
    DWORD start = GetTickCount();
    control.StopRender();
    EXPECT_LT(GetTickCount() - start, 300u);
    const uint32_t first = control.Generation();
    EXPECT_TRUE(OneMessage(MainMessages(), WM_PREVIEW_ENDED, first));
    EXPECT_EQ(ssurface.PresentedFrames(), finished);

    ASSERT_EQ(control.StartSlideshowPreview(&sjob), 0);
    EXPECT_FALSE(control.IsCurrentPreviewMessage(first)); // a restart makes it stale
    ASSERT_TRUE(PumpUntil([&] { return ssurface.PresentedFrames() > finished + 10; }));
    start = GetTickCount();
    control.StopRender();
    EXPECT_LT(GetTickCount() - start, 40u + 200u);
    EXPECT_FALSE(control.IsRendering() || control.IsRenderStopping());
    const uint64_t shown = ssurface.PresentedFrames();
    Sleep(100);
    EXPECT_EQ(ssurface.PresentedFrames(), shown);
    EXPECT_TRUE(notify.TakePosted().empty());
    EXPECT_TRUE(OneMessage(MainMessages(), WM_PREVIEW_ENDED, control.Generation()));
}

// A transition preview replacing a slideshow preview stops its music, though the slideshow's end
// message may still be queued when the stop has seen the thread end, and is stale after the start.
TEST_F(RenderControlTest, TransitionStartStopsTheMusicOfTheSlideshowItReplaces) {
    MakeShowJob();
    ASSERT_EQ(control.StartSlideshowPreview(&sjob), 0);
    ASSERT_TRUE(g_Project.IsAudioPreviewPlaying());
    ASSERT_TRUE(PumpUntil([&] { return live == 1; }));
    const uint32_t show = control.Generation();
    // The stop serves this first, and it holds the wait until the render thread has ended.
    main.SetHandler([&](UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
        for (int i = 0; msg == WM_USER && live != 0 && i < 10000; ++i)
            Sleep(1);
        if (msg == WM_PREVIEW_ENDED && control.IsCurrentPreviewMessage(wParam)) g_Project.StopAudioPreview();
        seen.push_back({msg, wParam, lParam});
        return 0;
    });
    main.Post(WM_USER, 0, 0);
    ASSERT_EQ(control.StartTransitionPreview(&tjob), 0);
    EXPECT_FALSE(g_Project.IsAudioPreviewPlaying());
    const std::vector<Msg> got = MainMessages();
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[1].msg, WM_PREVIEW_ENDED);
    EXPECT_FALSE(control.IsCurrentPreviewMessage(show));
    // Music played since is no slideshow preview's: the next transition preview leaves it on.
    g_Project.PlayAudioPreview(g_Project.GetSlideshow(0)->m_arrAudio);
    ASSERT_EQ(control.StartTransitionPreview(&tjob), 0);
    EXPECT_TRUE(g_Project.IsAudioPreviewPlaying());
}

TEST_F(RenderControlTest, StartsAreRefusedWhileAStopServesMessages) {
    std::array<int32_t, 3> nested = {-1, -1, -1};
    main.SetHandler([&](UINT, WPARAM, LPARAM) -> LRESULT {
        EXPECT_TRUE(control.IsRenderStopping());
        nested[0] = control.StartTransitionPreview(&tjob);
        nested[1] = control.StartSlideshowPreview(&MakeShowJob());
        control.StopRender(); // returns at once
        nested[2] = 0;
        return 0;
    });
    tjob.m_nSlideSeconds = 5;
    ASSERT_EQ(control.StartTransitionPreview(&tjob), 0);
    main.Post(WM_USER, 0, 0);
    control.StopRender();
    // The first picture went back before the stop returned; nothing is drawn after it.
    const uint64_t shown = tsurface.PresentedFrames();
    Sleep(60);
    EXPECT_EQ(tsurface.PresentedFrames(), shown);
    EXPECT_EQ(OpaquePixel(tsurface, 112, 84), 0xFFFF0000u);
    EXPECT_EQ(nested, (std::array<int32_t, 3>{1, 1, 0}));
    EXPECT_FALSE(g_Project.IsAudioPreviewPlaying());
    EXPECT_EQ(peak, 1);
}

TEST_F(RenderControlTest, RefusedAndFailedStartsLeaveNothingBehind) {
    MakeShowJob();
    EXPECT_EQ(control.StartSlideshowPreview(nullptr), 1);
    EXPECT_EQ(control.StartTransitionPreview(nullptr), 1);
    for (const auto& [w, h] : {std::pair{0, 48}, {64, 0}, {-64, 48}}) {
        sjob.m_nWidth = w, sjob.m_nHeight = h;
        EXPECT_EQ(control.StartSlideshowPreview(&sjob), 1);
    }
    sjob.m_nWidth = 64, sjob.m_nHeight = 48;
    control.SetLauncher([](std::function<void()>) -> std::thread {
        throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    });
    EXPECT_EQ(control.StartSlideshowPreview(&sjob), 1);
    EXPECT_EQ(control.StartTransitionPreview(&tjob), 1);
    EXPECT_FALSE(control.IsRendering());
    EXPECT_FALSE(g_Project.IsAudioPreviewPlaying());
    control.StopRender();
    EXPECT_TRUE(MainMessages().empty());
}

TEST_F(RenderControlTest, RandomEffectIsDrawnOnceAndOtherAspectsGiveFourByThree) {
    tjob.m_nSingleEffectId = 21;
    tjob.m_nAspect = 7;
    SRand(1);
    Rand(); // 41; then 18467, which draws 18467 x 20 / 32767 = 11
    ASSERT_EQ(control.StartTransitionPreview(&tjob), 0);
    EXPECT_EQ(tjob.m_nSingleEffectId, 11);
    ASSERT_TRUE(PumpUntil([&] { return !control.IsRendering(); }));
    ASSERT_EQ(control.StartTransitionPreview(&tjob), 0);
    EXPECT_EQ(tjob.m_nSingleEffectId, 11);
    control.StopRender();
    // Any aspect but 16:9 is 4:3: the whole 224 x 168 area shows the first picture.
    EXPECT_EQ(OpaquePixel(tsurface, 112, 160), 0xFFFF0000u);
}

TEST_F(RenderControlTest, ManyStartsAndStopsKeepOneThreadAtMost) {
    MakeShowJob();
    tjob.m_nSlideSeconds = 0;
    for (int i = 0; i < 200; ++i) {
        tjob.m_nTransitionSeconds = i % 6 == 1 ? 1 : 0; // stopped while it draws
        ASSERT_EQ(i % 5 == 4 ? control.StartSlideshowPreview(&sjob) : control.StartTransitionPreview(&tjob),
                  0);
        if (i % 3 == 1) Sleep(static_cast<DWORD>(i % 7) * 5);
        if (i % 3 == 2 && i % 5 != 4)
            PumpUntil([&] { return !control.IsRendering(); }); // a stop at the natural end
        if (i % 4 != 3) control.StopRender();                  // else the next start stops it
    }
    control.StopRender();
    EXPECT_EQ(peak, 1);
    EXPECT_EQ(live, 0);
    EXPECT_FALSE(control.IsRendering());
}

} // namespace
