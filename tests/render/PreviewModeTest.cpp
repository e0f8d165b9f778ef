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

TEST(PreviewMode, TransitionAndSlideshowPreviewsDrawTheirStillsAndFades) {
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

    // The slideshow preview ends on its first picture as a still.
    WriteSolidPicture(dir.File("c.bmp"), 10, 15, 0xFFFF0000);
    auto show = MakeSlideshow(dir, {{dir.File("c.bmp")}});
    SlideshowPreviewJob slideshow;
    slideshow.m_pSlideshow = show.get();
    PreviewHarness s(40, 30, RENDER_SLIDESHOW_PREVIEW);
    s.job.m_pSlideshowJob = &slideshow;
    EXPECT_EQ(ShowFirstSlideStill(s.job), 0);
    // Fitted 10 x 15 into 40 x 30: 20 x 30, centred across.
    for (const auto& [x, colour] :
         {std::pair{11, 0xFFFF0000u}, {28, 0xFFFF0000u}, {8, 0xFF000000u}, {31, 0xFF000000u}})
        EXPECT_EQ(OpaquePixel(*s.canvas.Frame(), x, 15), colour) << x;
    s.job.m_nMode = RENDER_ENCODE;
    EXPECT_EQ(ShowFirstSlideStill(s.job), 1);
}
