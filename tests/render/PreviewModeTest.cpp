// The renderers in the transition preview (mode 0) and slideshow preview (mode 1), drawing onto
// a preview surface without pacing.
#include <gtest/gtest.h>

#include "render/AlphaTransitionRenderer.h"
#include "render/FirstSlideRenderer.h"
#include "render/SlideshowPreviewJob.h"
#include "render/TransitionPreviewJob.h"
#include "tests/render/RenderTestUtil.h"

using namespace rendertest;
using namespace Gdiplus;

TEST(PreviewMode, TransitionPreviewShowsTheFirstStillThenFadesToTheSecond) {
    TempDir dir;
    WriteSolidPicture(dir.File("a.bmp"), 40, 20, 0xFFFF0000);
    WriteSolidPicture(dir.File("b.bmp"), 40, 30, 0xFF0000FF);
    std::unique_ptr<TransitionSetting> alpha = MakeTransition(0, false);
    alpha->m_nParam1 = 0;
    TransitionPreviewJob preview;
    preview.m_strFirstPicture = dir.File("a.bmp");
    preview.m_strSecondPicture = dir.File("b.bmp");
    preview.m_pTransition = alpha.get();
    preview.m_nSingleEffectId = 20;
    preview.m_Background = 0xFF00FF00;

    PreviewHarness p(40, 30, RENDER_TRANSITION_PREVIEW);
    RenderJob& job = p.job;
    job.m_pTransitionJob = &preview;
    EXPECT_EQ(ShowFirstSlide(job), 0);
    // Fitted 40 x 20 into 40 x 30: red in the middle, the old content above and below.
    EXPECT_EQ(OpaquePixel(p.screen, 20, 15), 0xFFFF0000u);
    EXPECT_EQ(OpaquePixel(p.screen, 20, 1), 0xFF000000u);

    EXPECT_EQ(GetRenderTransition(job), alpha.get());
    job.m_nSlideFrames = 6;
    job.m_nTransitionFrames = 3;
    EXPECT_EQ(RenderAlphaTransition(job), 0);
    EXPECT_EQ(OpaquePixel(p.screen, 20, 15), 0xFF0000FFu);
    EXPECT_EQ(job.m_nFrameIndex, 6u);

    // A stop is seen at the end of the first frame.
    p.stop.Set();
    job.m_nFrameIndex = 0;
    EXPECT_EQ(RenderAlphaTransition(job), 2);
    EXPECT_EQ(job.m_nFrameIndex, 1u);
}

TEST(PreviewMode, SlideshowPreviewEndsOnTheFirstPictureAsAStill) {
    TempDir dir;
    WriteSolidPicture(dir.File("a.bmp"), 10, 15, 0xFFFF0000);
    auto show = MakeSlideshow(dir, {{dir.File("a.bmp")}});
    SlideshowPreviewJob preview;
    preview.m_pSlideshow = show.get();
    PreviewHarness p(40, 30, RENDER_SLIDESHOW_PREVIEW);
    RenderJob& job = p.job;
    job.m_pSlideshowJob = &preview;
    EXPECT_EQ(ShowFirstSlideStill(job), 0);
    // Fitted 10 x 15 into 40 x 30: 20 x 30, centred across.
    EXPECT_EQ(OpaquePixel(*p.canvas.Frame(), 11, 15), 0xFFFF0000u);
    EXPECT_EQ(OpaquePixel(*p.canvas.Frame(), 28, 15), 0xFFFF0000u);
    EXPECT_EQ(OpaquePixel(*p.canvas.Frame(), 8, 15), 0xFF000000u);
    EXPECT_EQ(OpaquePixel(*p.canvas.Frame(), 31, 15), 0xFF000000u);
    job.m_nMode = RENDER_ENCODE;
    EXPECT_EQ(ShowFirstSlideStill(job), 1);
}
