// The first-slide and Alpha renderers and the renderer table in encode mode, their frames caught
// in memory.
#include <gtest/gtest.h>

#include <algorithm>

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
             kBlack = LumaOf(0, 0, 0), kDark = LumaOf(0x20, 0x20, 0x20), kGreen = LumaOf(0, 255, 0);

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
    for (int32_t i = 0; i < FPS; ++i) EXPECT_NEAR(Luma(i), kWhite + (kDark - kWhite) * (i + 1) / FPS, 2.0) << i;
    EXPECT_EQ(h.job.m_nFrameIndex, static_cast<uint32_t>(FPS));
}

// Red to blue over 5 transition frames of 10: a cross-fade (mode 0) by (k + 1) / T, through
// white or black (modes 1 and 2: while k < T / 2 the old picture fades out by 2 (k + 1) / T, then
// the new one in by 2 (k - T / 2 + 1) / T, above 1 opaque), or for an unknown mode nothing new.
TEST_F(RendererTest, AlphaFadesByItsMode) {
    constexpr int32_t T = 5;
    for (int32_t mode : {0, 1, 2, 7}) {
        SCOPED_TRACE(mode);
        auto show = MakeSlideshow(m_dir, {{m_red}, {m_blue, 20, 1, 1, 0, mode}, {m_dark, 20, 2, 0, 0, 0}});
        EncodeHarness h(W, H, show.get());
        h.job.m_nSlideFrames = FPS;
        ASSERT_EQ(ShowFirstSlide(h.job), 0);
        h.job.m_nFrameIndex = 1;
        h.job.m_nTransitionFrames = T;
        h.job.m_nSlideFrames = 2 * T;
        ASSERT_EQ(RenderAlphaTransition(h.job), 0);
        ASSERT_EQ(Frames(), FPS + 2 * T);
        const double through = mode == 1 ? kWhite : kBlack;
        for (int32_t k = 0; k < T; ++k) {
            const double out = 2.0 * (k + 1) / T, in = std::min(1.0, 2.0 * (k - T / 2 + 1) / T);
            const double expected = mode == 0   ? kRed + (kBlue - kRed) * (k + 1) / T
                                    : mode == 7 ? kRed
                                    : k < T / 2 ? kRed + (through - kRed) * out
                                                : through + (kBlue - through) * in;
            EXPECT_NEAR(Luma(FPS + k), expected, 2.5) << k;
        }
        EXPECT_NEAR(LastLuma(), kBlue, 1.0);
        EXPECT_EQ(h.job.m_nFrameIndex, 1u + 2 * T);
        if (mode) continue;
        // No transition: every one of the slide's frames is the new picture.
        FrameCatcher::frames.clear();
        h.SetSlide(2, FPS);
        ASSERT_EQ(RenderAlphaTransition(h.job), 0);
        ASSERT_EQ(Frames(), 2 * FPS);
        EXPECT_NEAR(Luma(0), kDark, 1.0);
    }
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

    // Kinds outside the renderer table render nothing; a transition longer than its slide keeps
    // to the slide's frames; an effect id out of the table shows the still; a negative slide
    // length renders nothing.
    auto show = MakeSlideshow(m_dir, {{m_red}, {m_blue, 99, 1, 1, 0, 0}});
    EncodeHarness h(W, H, show.get());
    h.SetSlide(1, FPS);
    for (int32_t kind : {TRANSITION_RENDERER_COUNT, -1}) {
        EXPECT_EQ(GetTransitionRenderer(kind), nullptr);
        EXPECT_EQ(RenderTransitionOfKind(h.job, kind), 0);
    }
    EXPECT_EQ(Frames(), 0);
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
