// The render context: the one record every renderer works on. A driver (a preview thread or the
// encoder driver) fills it, sets the frame counts before each renderer and owns everything it
// points to for the whole render.
#pragma once

#include <cstdint>

#include "platform/encoder/EncoderApi.h"
#include "platform/gdiplus/Bitmap.h"
#include "platform/gdiplus/Color.h"
#include "platform/gdiplus/Graphics.h"

class CEvent;
class CPreviewSurface;
class CSlideItem;
class CSlideShow;
class EncodePipeline;
class EncoderFrameBuffers;
class SingleEffectAnimator;
class TransitionSetting;
struct EncodeJob;
struct SlideshowPreviewJob;
struct TransitionPreviewJob;

enum RenderMode : int32_t {
    RENDER_TRANSITION_PREVIEW = 0,
    RENDER_SLIDESHOW_PREVIEW = 1,
    RENDER_ENCODE = 2,
};

// Longest display or transition time a slide may ask for, in seconds; times read from project
// files are clamped into 0..this so that frame counts never overflow.
constexpr int32_t MAX_SLIDE_SECONDS = 24 * 3600;

struct RenderJob {
    int32_t m_nMode = RENDER_TRANSITION_PREVIEW;
    Gdiplus::Bitmap* m_pFrameBitmap = nullptr; // 32-bit ARGB in the previews, 24-bit RGB when encoding
    int32_t m_nFrameX = 0;
    int32_t m_nFrameY = 0;
    int32_t m_nFrameWidth = 0;
    int32_t m_nFrameHeight = 0;
    Gdiplus::Graphics* m_pFrameGraphics = nullptr;
    CPreviewSurface* m_pPreviewSurface = nullptr; // the preview area; previews only, may be null (nothing shown)
    // The slide being rendered when a renderer starts; then the animator's frame index, one up
    // per frame.
    uint32_t m_nFrameIndex = 0;
    int32_t m_nSlideFrames = 0;
    int32_t m_nTransitionFrames = 0;
    CEvent* m_pStopEvent = nullptr; // previews; the encode job has its own
    uint32_t m_nLastTick = 0;
    uint32_t m_nFrameInterval = 33; // milliseconds per preview frame
    SingleEffectAnimator* m_pAnimator = nullptr;
    EncOneFrameFn m_pfnEncodeFrame = nullptr;
    double m_dProgress = 0.0;
    double m_dProgressStep = 0.0;
    // The driver's job record: the one that matches the mode is set.
    TransitionPreviewJob* m_pTransitionJob = nullptr;
    SlideshowPreviewJob* m_pSlideshowJob = nullptr;
    EncodeJob* m_pEncodeJob = nullptr;
    EncoderFrameBuffers* m_pEncodeBuffers = nullptr; // encode only
    // Encode only, optional: frames are encoded on the pipeline's thread while the next one is
    // composed; the driver then calls FinishEncodedFrames after the last renderer.
    EncodePipeline* m_pEncodePipeline = nullptr;

    Gdiplus::Rect FrameRect() const { return Gdiplus::Rect(m_nFrameX, m_nFrameY, m_nFrameWidth, m_nFrameHeight); }
};

// Frames of `seconds` at `fps`, the seconds clamped into 0..MAX_SLIDE_SECONDS.
int32_t FramesForSeconds(int32_t fps, int32_t seconds);

// Slides of a slideshow (0 for none) and the slide at an index (null out of range).
int32_t SlideshowSlideCount(const CSlideShow* slideshow);
const CSlideItem* SlideshowSlideAt(const CSlideShow* slideshow, int64_t index);

// The slide at the frame index of the render's slideshow (modes 1 and 2); null in mode 0 or out
// of range.
const CSlideItem* GetRenderSlide(const RenderJob& job);

// The transition of the render: the preview job's, or that of the slide at the frame index.
// Null when there is none.
const TransitionSetting* GetRenderTransition(const RenderJob& job);

// The single-effect id: the preview job's, or that of the slide at the frame index; ids outside
// 0..20 come back as 20 (none).
int32_t GetRenderEffectType(const RenderJob& job);

// The background colour of the job (opaque black when the job is missing).
void GetRenderBackground(Gdiplus::Color* color, const RenderJob& job);

// The stop event PresentFrame tests: the context's in the previews, the encode job's when
// encoding.
CEvent* GetRenderStopEvent(const RenderJob& job);

// Loads the picture of the slide at the frame index (mode 0: the preview job's second picture)
// into the animator for a slide of m_nSlideFrames frames. A picture that cannot be loaded leaves
// the animator without a source: the slide shows the background.
void LoadSlideImage(RenderJob& job);
