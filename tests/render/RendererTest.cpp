// The first-slide, Alpha and stand-in renderers in encode mode, their frames caught in memory.
#include <gtest/gtest.h>

#include "render/AlphaTransitionRenderer.h"
#include "render/FirstSlideRenderer.h"
#include "render/TransitionRenderers.h"
#include "tests/render/RenderTestUtil.h"

using namespace rendertest;

namespace {

constexpr int32_t W = 64;
constexpr int32_t H = 48;
constexpr int32_t FPS = 10;
CEvent* s_stop = nullptr;

class RendererTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dark = m_dir.File("dark.bmp");
        m_red = m_dir.File("red.bmp");
        m_blue = m_dir.File("blue.bmp");
        WriteSolidPicture(m_dark, W, H, 0xFF202020);
        WriteSolidPicture(m_red, W, H, 0xFFFF0000);
        WriteSolidPicture(m_blue, W, H, 0xFF0000FF);
    }

    // Renders slide 0 (fade-in) then slide 1 with its renderer; returns the last result.
    int32_t RenderTwo(EncodeHarness& h, int32_t kind) {
        h.job.m_nSlideFrames = FPS;
        int32_t result = ShowFirstSlide(h.job);
        if (result) return result;
        h.SetSlide(1, FPS);
        return RenderTransitionOfKind(h.job, kind);
    }

    TempDir m_dir;
    std::string m_dark, m_red, m_blue;
};

} // namespace

TEST_F(RendererTest, FirstSlideFadesInFromWhiteOverOneSecond) {
    auto show = MakeSlideshow(m_dir, {{m_dark}});
    EncodeHarness h(W, H, show.get());
    h.job.m_nSlideFrames = FPS;
    ASSERT_EQ(ShowFirstSlide(h.job), 0);
    ASSERT_EQ(FrameCatcher::frames.size(), static_cast<size_t>(FPS));
    const double white = LumaOf(255, 255, 255);
    const double dark = LumaOf(0x20, 0x20, 0x20);
    EXPECT_NEAR(MeanLuma(FrameCatcher::frames.front()), white - (white - dark) / FPS, 2.0);
    EXPECT_NEAR(MeanLuma(FrameCatcher::frames.back()), dark, 1.0);
    for (size_t i = 1; i < FrameCatcher::frames.size(); ++i)
        EXPECT_LT(MeanLuma(FrameCatcher::frames[i]), MeanLuma(FrameCatcher::frames[i - 1]));
    EXPECT_EQ(h.job.m_nFrameIndex, static_cast<uint32_t>(FPS));
}

TEST_F(RendererTest, AlphaCrossFadeEndsOnTheNewPicture) {
    auto show = MakeSlideshow(m_dir, {{m_red}, {m_blue, 20, 1, 1, 0, 0}});
    EncodeHarness h(W, H, show.get());
    ASSERT_EQ(RenderTwo(h, 0), 0);
    // One second of fade-in, then 1 s transition + 1 s display.
    ASSERT_EQ(FrameCatcher::frames.size(), static_cast<size_t>(3 * FPS));
    const double red = LumaOf(255, 0, 0), blue = LumaOf(0, 0, 255);
    for (int32_t k = 0; k < FPS; ++k) {
        const double expected = red + (blue - red) * (k + 1) / FPS;
        EXPECT_NEAR(MeanLuma(FrameCatcher::frames[FPS + k]), expected, 2.0) << k;
    }
    EXPECT_NEAR(MeanLuma(FrameCatcher::frames.back()), blue, 1.0);
    EXPECT_EQ(h.job.m_nFrameIndex, 1u + 2 * FPS);
}

TEST_F(RendererTest, AlphaFadeToWhiteGoesThroughWhite) {
    // T = 5: frames 0 and 1 fade red towards white (0.4, 0.8), frames 2..4 bring blue in (0.4, 0.8, 1.2).
    auto show = MakeSlideshow(m_dir, {{m_red}, {m_blue, 20, 0, 1, 0, 1}});
    EncodeHarness h(W, H, show.get());
    h.job.m_nSlideFrames = 5;
    ASSERT_EQ(ShowFirstSlide(h.job), 0);
    FrameCatcher::frames.clear();
    h.job.m_nFrameIndex = 1;
    h.job.m_nSlideFrames = 5;
    h.job.m_nTransitionFrames = 5;
    ASSERT_EQ(RenderAlphaTransition(h.job), 0);
    ASSERT_EQ(FrameCatcher::frames.size(), 5u);
    const double red = LumaOf(255, 0, 0), blue = LumaOf(0, 0, 255), white = LumaOf(255, 255, 255);
    const double expected[5] = {red + 0.4 * (white - red), red + 0.8 * (white - red), white + 0.4 * (blue - white),
                                white + 0.8 * (blue - white), blue};
    for (int k = 0; k < 5; ++k) EXPECT_NEAR(MeanLuma(FrameCatcher::frames[k]), expected[k], 2.5) << k;
}

TEST_F(RendererTest, AlphaWithoutTransitionFramesOrWithAnUnknownModeStillEndsOnTheSlide) {
    auto show = MakeSlideshow(m_dir, {{m_red}, {m_blue, 20, 2, 0, 0, 0}, {m_dark, 20, 1, 1, 0, 7}});
    EncodeHarness h(W, H, show.get());
    ASSERT_EQ(RenderTwo(h, 0), 0);
    // No transition: every one of the slide's frames is the new picture.
    ASSERT_EQ(FrameCatcher::frames.size(), static_cast<size_t>(3 * FPS));
    EXPECT_NEAR(MeanLuma(FrameCatcher::frames[FPS]), LumaOf(0, 0, 255), 1.0);

    // Fade mode 7 draws nothing new in the transition: those frames repeat the last one.
    h.SetSlide(2, FPS);
    ASSERT_EQ(RenderAlphaTransition(h.job), 0);
    ASSERT_EQ(FrameCatcher::frames.size(), static_cast<size_t>(5 * FPS));
    EXPECT_NEAR(MeanLuma(FrameCatcher::frames[3 * FPS]), LumaOf(0, 0, 255), 1.0);
    EXPECT_NEAR(MeanLuma(FrameCatcher::frames.back()), LumaOf(0x20, 0x20, 0x20), 1.0);
}

TEST_F(RendererTest, EveryOtherKindCrossFadesWithTheSlidesFrameCounts) {
    for (int32_t kind = 1; kind <= 17; ++kind) {
        auto show = MakeSlideshow(m_dir, {{m_red}, {m_blue, 20, 2, 1, kind, 1}});
        EncodeHarness h(W, H, show.get());
        ASSERT_EQ(RenderTwo(h, kind), 0) << kind;
        ASSERT_EQ(FrameCatcher::frames.size(), static_cast<size_t>(FPS + 3 * FPS)) << kind;
        const double mid = MeanLuma(FrameCatcher::frames[FPS + FPS / 2 - 1]);
        EXPECT_NEAR(mid, (LumaOf(255, 0, 0) + LumaOf(0, 0, 255)) / 2, 2.0) << kind;
        EXPECT_NEAR(MeanLuma(FrameCatcher::frames.back()), LumaOf(0, 0, 255), 1.0) << kind;
    }
    // Kinds outside the table render nothing.
    auto show = MakeSlideshow(m_dir, {{m_red}, {m_blue}});
    EncodeHarness h(W, H, show.get());
    h.SetSlide(1, FPS);
    EXPECT_EQ(RenderTransitionOfKind(h.job, 18), 0);
    EXPECT_EQ(RenderTransitionOfKind(h.job, -1), 0);
    EXPECT_TRUE(FrameCatcher::frames.empty());
}

TEST_F(RendererTest, UnloadablePictureShowsTheBackground) {
    WriteFileBytes(m_dir.File("broken.bmp"), "BM not really a picture");
    auto show = MakeSlideshow(m_dir, {{m_red}, {m_dir.File("broken.bmp"), 8, 1, 1, 0, 0}, {m_dir.File("gone.png")}});
    EncodeHarness h(W, H, show.get(), 0xFF00FF00);
    ASSERT_EQ(RenderTwo(h, 0), 0);
    EXPECT_NEAR(MeanLuma(FrameCatcher::frames.back()), LumaOf(0, 255, 0), 1.0);
    h.SetSlide(2, FPS);
    ASSERT_EQ(RenderTransitionOfKind(h.job, 3), 0);
    EXPECT_NEAR(MeanLuma(FrameCatcher::frames.back()), LumaOf(0, 255, 0), 1.0);
}

TEST_F(RendererTest, FileParametersAreClamped) {
    EXPECT_EQ(FramesForSeconds(25, -4), 0);
    EXPECT_EQ(FramesForSeconds(25, 3), 75);
    EXPECT_EQ(FramesForSeconds(30, INT32_MAX), 30 * MAX_SLIDE_SECONDS);

    // A transition longer than its slide keeps to the slide's frames; an effect id out of the
    // table shows the still.
    auto show = MakeSlideshow(m_dir, {{m_red}, {m_blue, 99, 1, 1, 0, 0}});
    EncodeHarness h(W, H, show.get());
    EXPECT_EQ(GetRenderEffectType(h.job), 20);
    h.job.m_nSlideFrames = FPS;
    ASSERT_EQ(ShowFirstSlide(h.job), 0);
    h.job.m_nFrameIndex = 1;
    h.job.m_nSlideFrames = 4;
    h.job.m_nTransitionFrames = 9;
    ASSERT_EQ(RenderAlphaTransition(h.job), 0);
    EXPECT_EQ(FrameCatcher::frames.size(), static_cast<size_t>(FPS + 4));
    EXPECT_NEAR(MeanLuma(FrameCatcher::frames.back()), LumaOf(0, 0, 255), 1.0);
    h.job.m_nFrameIndex = 1;
    h.job.m_nSlideFrames = -5;
    ASSERT_EQ(RenderAlphaTransition(h.job), 0);
    EXPECT_EQ(FrameCatcher::frames.size(), static_cast<size_t>(FPS + 4));
}

TEST_F(RendererTest, StopAndEncoderFailureEndTheRendererAtThatFrame) {
    auto show = MakeSlideshow(m_dir, {{m_red}, {m_blue, 20, 2, 1, 0, 0}});
    {
        EncodeHarness h(W, H, show.get());
        FrameCatcher::failAt = 3;
        FrameCatcher::failValue = 9;
        h.job.m_nSlideFrames = FPS;
        EXPECT_EQ(ShowFirstSlide(h.job), 9);
        EXPECT_EQ(FrameCatcher::calls, 4);
    }
    {
        // A stop set during the last frame of the renderer still yields 2.
        EncodeHarness h(W, H, show.get());
        h.job.m_nSlideFrames = FPS;
        ASSERT_EQ(ShowFirstSlide(h.job), 0);
        h.SetSlide(1, FPS);
        h.m_encode.m_pfnProgress = [](int32_t, void*) {
            if (FrameCatcher::calls == FPS + 3 * FPS) s_stop->Set();
        };
        s_stop = &h.m_stop;
        EXPECT_EQ(RenderAlphaTransition(h.job), 2);
        EXPECT_EQ(FrameCatcher::calls, FPS + 3 * FPS);
        EXPECT_FALSE(h.m_stop.TryConsume()); // consumed by the renderer
    }
}
