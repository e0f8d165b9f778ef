// The first-slide and Alpha renderers and the renderer table in encode mode, their frames caught
// in memory.
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
const double kRed = LumaOf(255, 0, 0), kBlue = LumaOf(0, 0, 255), kWhite = LumaOf(255, 255, 255),
             kDark = LumaOf(0x20, 0x20, 0x20), kGreen = LumaOf(0, 255, 0);
CEvent* s_stop = nullptr;

int32_t Frames() { return static_cast<int32_t>(FrameCatcher::frames.size()); }
double Luma(int32_t frame) { return MeanLuma(FrameCatcher::frames[static_cast<size_t>(frame)]); }
double LastLuma() { return MeanLuma(FrameCatcher::frames.back()); }

class RendererTest : public ::testing::Test {
protected:
    std::string Picture(const std::string& name, Gdiplus::ARGB colour) {
        WriteSolidPicture(m_dir.File(name), W, H, colour);
        return m_dir.File(name);
    }

    // Renders slide 0 (fade-in) then slide 1 with its renderer; returns the last result.
    int32_t RenderTwo(EncodeHarness& h, int32_t kind) {
        h.job.m_nSlideFrames = FPS;
        if (const int32_t result = ShowFirstSlide(h.job)) return result;
        h.SetSlide(1, FPS);
        return RenderTransitionOfKind(h.job, kind);
    }

    TempDir m_dir;
    const std::string m_dark = Picture("dark.bmp", 0xFF202020), m_red = Picture("red.bmp", 0xFFFF0000),
                      m_blue = Picture("blue.bmp", 0xFF0000FF);
};

} // namespace

TEST_F(RendererTest, FirstSlideFadesInFromWhiteOverOneSecond) {
    auto show = MakeSlideshow(m_dir, {{m_dark}});
    EncodeHarness h(W, H, show.get());
    h.job.m_nSlideFrames = FPS;
    ASSERT_EQ(ShowFirstSlide(h.job), 0);
    ASSERT_EQ(Frames(), FPS);
    EXPECT_NEAR(Luma(0), kWhite - (kWhite - kDark) / FPS, 2.0);
    EXPECT_NEAR(LastLuma(), kDark, 1.0);
    for (int32_t i = 1; i < FPS; ++i) EXPECT_LT(Luma(i), Luma(i - 1));
    EXPECT_EQ(h.job.m_nFrameIndex, static_cast<uint32_t>(FPS));
}

TEST_F(RendererTest, AlphaCrossFadeEndsOnTheNewPicture) {
    auto show = MakeSlideshow(m_dir, {{m_red}, {m_blue, 20, 1, 1, 0, 0}, {m_dark, 20, 2, 0, 0, 0}});
    EncodeHarness h(W, H, show.get());
    ASSERT_EQ(RenderTwo(h, 0), 0);
    // One second of fade-in, then 1 s transition + 1 s display.
    ASSERT_EQ(Frames(), 3 * FPS);
    for (int32_t k = 0; k < FPS; ++k) EXPECT_NEAR(Luma(FPS + k), kRed + (kBlue - kRed) * (k + 1) / FPS, 2.0) << k;
    EXPECT_NEAR(LastLuma(), kBlue, 1.0);
    EXPECT_EQ(h.job.m_nFrameIndex, 1u + 2 * FPS);

    // No transition: every one of the slide's frames is the new picture.
    FrameCatcher::frames.clear();
    h.SetSlide(2, FPS);
    ASSERT_EQ(RenderAlphaTransition(h.job), 0);
    ASSERT_EQ(Frames(), 2 * FPS);
    EXPECT_NEAR(Luma(0), kDark, 1.0);
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
    ASSERT_EQ(Frames(), 5);
    const double expected[5] = {kRed + 0.4 * (kWhite - kRed), kRed + 0.8 * (kWhite - kRed),
                                kWhite + 0.4 * (kBlue - kWhite), kWhite + 0.8 * (kBlue - kWhite), kBlue};
    for (int k = 0; k < 5; ++k) EXPECT_NEAR(Luma(k), expected[k], 2.5) << k;
}

TEST_F(RendererTest, AlphaWithAnUnknownModeStillEndsOnTheSlide) {
    // Fade mode 7 draws nothing new in the transition: those frames repeat the last one.
    auto show = MakeSlideshow(m_dir, {{m_blue}, {m_dark, 20, 1, 1, 0, 7}});
    EncodeHarness h(W, H, show.get());
    ASSERT_EQ(RenderTwo(h, 0), 0);
    ASSERT_EQ(Frames(), 3 * FPS);
    EXPECT_NEAR(Luma(FPS), kBlue, 1.0);
    EXPECT_NEAR(LastLuma(), kDark, 1.0);
}

TEST_F(RendererTest, EveryKindHasItsOwnRendererAndOthersRenderNothing) {
    for (int32_t kind = 0; kind < TRANSITION_RENDERER_COUNT; ++kind)
        EXPECT_NE(GetTransitionRenderer(kind), nullptr) << kind;
    // Kinds outside the table render nothing.
    auto show = MakeSlideshow(m_dir, {{m_red}, {m_blue}});
    EncodeHarness h(W, H, show.get());
    h.SetSlide(1, FPS);
    EXPECT_EQ(RenderTransitionOfKind(h.job, 18), 0);
    EXPECT_EQ(RenderTransitionOfKind(h.job, -1), 0);
    EXPECT_EQ(Frames(), 0);
    EXPECT_EQ(GetTransitionRenderer(18), nullptr);
    EXPECT_EQ(GetTransitionRenderer(-1), nullptr);
}

TEST_F(RendererTest, UnloadablePictureShowsTheBackground) {
    WriteFileBytes(m_dir.File("broken.bmp"), "BM not really a picture");
    auto show = MakeSlideshow(m_dir, {{m_red}, {m_dir.File("broken.bmp"), 8, 1, 1, 0, 0}, {m_dir.File("gone.png")}});
    EncodeHarness h(W, H, show.get(), 0xFF00FF00);
    ASSERT_EQ(RenderTwo(h, 0), 0);
    EXPECT_NEAR(LastLuma(), kGreen, 1.0);
    h.SetSlide(2, FPS);
    ASSERT_EQ(RenderTransitionOfKind(h.job, 3), 0);
    EXPECT_NEAR(LastLuma(), kGreen, 1.0);
}

TEST_F(RendererTest, FileParametersAreClamped) {
    EXPECT_EQ(FramesForSeconds(25, -4), 0);
    EXPECT_EQ(FramesForSeconds(25, 3), 75);
    EXPECT_EQ(FramesForSeconds(30, INT32_MAX), 30 * MAX_SLIDE_SECONDS);

    // A transition longer than its slide keeps to the slide's frames; an effect id out of the
    // table shows the still; a negative slide length renders nothing.
    auto show = MakeSlideshow(m_dir, {{m_red}, {m_blue, 99, 1, 1, 0, 0}});
    EncodeHarness h(W, H, show.get());
    EXPECT_EQ(GetRenderEffectType(h.job), 20);
    h.job.m_nSlideFrames = FPS;
    ASSERT_EQ(ShowFirstSlide(h.job), 0);
    h.job.m_nFrameIndex = 1;
    h.job.m_nSlideFrames = 4;
    h.job.m_nTransitionFrames = 9;
    ASSERT_EQ(RenderAlphaTransition(h.job), 0);
    EXPECT_EQ(Frames(), FPS + 4);
    EXPECT_NEAR(LastLuma(), kBlue, 1.0);
    h.job.m_nFrameIndex = 1;
    h.job.m_nSlideFrames = -5;
    ASSERT_EQ(RenderAlphaTransition(h.job), 0);
    EXPECT_EQ(Frames(), FPS + 4);
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
    // A stop set during the last frame of the renderer still yields 2.
    EncodeHarness h(W, H, show.get());
    s_stop = &h.m_stop;
    h.m_encode.m_pfnProgress = [](int32_t, void*) {
        if (FrameCatcher::calls == FPS + 3 * FPS) s_stop->Set();
    };
    EXPECT_EQ(RenderTwo(h, 0), 2);
    EXPECT_EQ(FrameCatcher::calls, FPS + 3 * FPS);
    EXPECT_FALSE(h.m_stop.TryConsume()); // consumed by the renderer
}
