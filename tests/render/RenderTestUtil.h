// Helpers of the render tests: pictures written to files, a slideshow of them, and an encode-mode
// render context whose frames are caught in memory (the frame entry is a function of the test).
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <numeric>
#include <string>
#include <vector>

#include "model/CSlideItem.h"
#include "model/CSlideShow.h"
#include "model/TransitionFactory.h"
#include "model/TransitionSetting.h"
#include "platform/gdiplus/Gdiplus.h"
#include "platform/media/PreviewSurface.h"
#include "platform/win/Event.h"
#include "render/EncodeJob.h"
#include "render/EncoderFrameBuffers.h"
#include "render/RenderCanvas.h"
#include "render/RenderJob.h"
#include "tests/support/TempDir.h"

namespace rendertest {

// Luma planes handed to the frame entry, with a frame number from which it fails.
struct FrameCatcher {
    static inline int32_t width = 0;
    static inline int32_t height = 0;
    static inline std::vector<std::vector<uint8_t>> frames;
    static inline int64_t failAt = -1;
    static inline int32_t failValue = 0;
    static inline int64_t calls = 0;

    static void Reset(int32_t w, int32_t h) {
        width = w, height = h, failAt = -1, failValue = 0, calls = 0;
        frames.clear();
    }
    static int32_t Encode(const uint8_t* yuv) {
        const int64_t n = calls++;
        if (failAt >= 0 && n >= failAt) return failValue;
        frames.emplace_back(yuv, yuv + static_cast<size_t>(width) * height);
        return 0;
    }
};

// Mean luma of a caught frame.
inline double MeanLuma(const std::vector<uint8_t>& f) {
    return std::accumulate(f.begin(), f.end(), 0.0) / static_cast<double>(f.size());
}

// Studio-range luma of a colour, as the frames carry it.
inline double LumaOf(uint8_t r, uint8_t g, uint8_t b) { return 16 + 0.257 * r + 0.504 * g + 0.098 * b; }

// Writes a w x h picture, filled by fill(x, y) -> ARGB, as a BMP file.
template <class Fill> void WritePicture(const std::string& path, int32_t w, int32_t h, Fill fill) {
    Gdiplus::Bitmap picture(w, h, Gdiplus::PixelFormat24bppRGB);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) picture.SetPixel(x, y, Gdiplus::Color(fill(x, y)));
    ASSERT_EQ(picture.Save(path, "image/bmp"), Gdiplus::Ok);
}

inline void WriteSolidPicture(const std::string& path, int32_t w, int32_t h, Gdiplus::ARGB colour) {
    WritePicture(path, w, h, [colour](int32_t, int32_t) { return colour; });
}

// A slide for a picture with its effect, times and transition kind/parameter.
struct SlidePlan {
    std::string picture;
    int32_t effect = 20;
    int32_t display = 1;
    int32_t transition = 1;
    int32_t kind = 0;
    int32_t param1 = 0;
    int32_t param2 = 0;
};

inline std::unique_ptr<CSlideShow> MakeSlideshow(const TempDir& dir, const std::vector<SlidePlan>& plans) {
    auto show = std::make_unique<CSlideShow>("show", dir.Path().string(), dir.Path().string());
    for (const SlidePlan& plan : plans) {
        std::unique_ptr<CSlideItem> slide = CSlideItem::FromFile(plan.picture);
        if (!slide) {
            // A slide whose file is gone: it still renders (as background).
            WriteFileBytes(dir.File("placeholder"), "x");
            slide = CSlideItem::FromFile(dir.File("placeholder"));
            slide->m_strTempFile = plan.picture;
            slide->m_strOriginalFile = plan.picture;
        }
        CEffectSetting& e = slide->m_Settings.m_Effect;
        e.m_nSingleEffectId = plan.effect;
        e.m_nSingleEffectTime = plan.display;
        e.m_nTransitionTime = plan.transition;
        e.m_pTransition = MakeTransition(plan.kind, false);
        if (e.m_pTransition) {
            e.m_pTransition->m_nParam1 = plan.param1;
            e.m_pTransition->m_nParam2 = plan.param2;
        }
        show->m_arrSlides.push_back(std::move(slide));
    }
    show->RecalcTiming();
    return show;
}

// An encode-mode context of w x h over a slideshow, whose frames land in FrameCatcher.
class EncodeHarness {
public:
    EncodeHarness(int32_t w, int32_t h, CSlideShow* show, Gdiplus::ARGB background = 0xFF000000)
        : m_canvas(w, h, Gdiplus::PixelFormat24bppRGB) {
        FrameCatcher::Reset(w, h);
        m_buffers.Allocate(w, h);
        m_encode.m_pSlideshow = show;
        m_encode.m_Background = background;
        m_encode.m_pStopEvent = &m_stop;
        m_canvas.AttachForEncode(job, &m_encode, &m_buffers, &FrameCatcher::Encode);
    }

    // Sets the context up for slide i (i >= 1) at fps as the encoder driver does.
    void SetSlide(int32_t i, int32_t fps) {
        const CEffectSetting& e = m_encode.m_pSlideshow->m_arrSlides[static_cast<size_t>(i)]->m_Settings.m_Effect;
        job.m_nFrameIndex = static_cast<uint32_t>(i);
        job.m_nTransitionFrames = FramesForSeconds(fps, e.m_nTransitionTime);
        job.m_nSlideFrames = FramesForSeconds(fps, e.m_nSingleEffectTime) + job.m_nTransitionFrames;
    }

    RenderJob job;
    EncodeJob m_encode;
    CEvent m_stop;
    RenderCanvas m_canvas;
    EncoderFrameBuffers m_buffers;
};

// A preview-mode context of w x h whose frames are shown on a preview surface, unpaced.
struct PreviewHarness {
    PreviewHarness(int32_t w, int32_t h, int32_t mode)
        : canvas(w, h, Gdiplus::PixelFormat32bppARGB), screen(w, h) {
        job.m_nMode = mode;
        canvas.Attach(job);
        job.m_pPreviewSurface = &screen;
        job.m_pStopEvent = &stop;
        job.m_nFrameInterval = 0;
        canvas.FrameGraphics()->Clear(Gdiplus::Color(Gdiplus::Color::Black));
    }

    RenderCanvas canvas;
    CPreviewSurface screen;
    CEvent stop;
    RenderJob job;
};

inline Gdiplus::ARGB OpaquePixel(const CPreviewSurface& s, int32_t x, int32_t y) { return s.GetPixel(x, y) | 0xFF000000u; }

inline Gdiplus::ARGB OpaquePixel(Gdiplus::Bitmap& b, int32_t x, int32_t y) {
    Gdiplus::Color c;
    b.GetPixel(x, y, &c);
    return c.GetValue() | 0xFF000000u;
}

} // namespace rendertest
