// The frame loop that every transition renderer shares. Constructing a pass takes the last frame
// shown as the old picture, reads the slide's transition, single effect and background and loads
// the incoming slide into the animator. The renderer then builds its own work objects from the
// pass's numbers and runs the pass with a function that composes transition frame k; the pass
// brings the incoming slide in (live or frozen), presents every frame, runs the slide's remaining
// effect frames and returns what renderers return: 0 when all frames were presented, 2 on a stop,
// otherwise the encoder's frame result.
//
// Drawing primitives the renderers use on the frame graphics, all of the drawing layer:
// - position draw: DrawImage(bitmap, x, y), the whole bitmap unscaled;
// - rectangle draw: DrawImage(bitmap, RectF), the whole bitmap stretched into a rectangle;
// - three-point draw: DrawImage(bitmap, points, 3), onto the parallelogram of its upper-left,
//   upper-right and lower-left corners;
// - source-rectangle draw: DrawImage(bitmap, destRect, sx, sy, sw, sh, UnitPixel, attributes),
//   through a colour matrix whose alpha factor sets the opacity.
// Moving quantities are single-precision values advanced by a constant step per frame, the steps
// computed once by division by the transition frames.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "platform/gdiplus/Bitmap.h"
#include "platform/gdiplus/Color.h"
#include "platform/gdiplus/Graphics.h"

class TransitionSetting;
struct RenderJob;

class TransitionPass {
public:
    enum class OldCopy {
        Rgb24,  // the old picture as an opaque 24-bit bitmap
        Argb32, // drawn into a 32-bit bitmap, for renderers that cut soft-edged shapes from it
    };
    enum class Incoming {
        Live,   // the incoming slide's effect advances in every transition frame
        Frozen, // advanced once by all transition frames before the first one, then reused
    };

    explicit TransitionPass(RenderJob& job, OldCopy copy = OldCopy::Rgb24);
    TransitionPass(const TransitionPass&) = delete;
    TransitionPass& operator=(const TransitionPass&) = delete;

    RenderJob& Job() const { return m_job; }
    Gdiplus::Bitmap* OldPicture() const { return m_pOld.get(); }
    // Null when the slide has no transition object.
    const TransitionSetting* Transition() const { return m_pTransition; }
    int32_t Param1() const;
    int32_t Param2() const;
    // The second parameter where it is a flag (Wipe's push, Clock's smooth): its low byte, set
    // when non-zero, as the flag is stored in one byte.
    bool Flag2() const;
    int32_t EffectId() const { return m_nEffectId; }
    const Gdiplus::Color& Background() const { return m_Background; }
    // The background colour with its alpha byte cleared: cleared piece bitmaps draw only their
    // shape.
    Gdiplus::Color TransparentBackground() const { return Gdiplus::Color(m_Background.GetValue() & 0x00FFFFFFu); }
    int32_t Width() const { return m_nWidth; }
    int32_t Height() const { return m_nHeight; }
    // Transition frames, never more than the slide frames nor below 0.
    int32_t TransitionFrames() const { return m_nTransitionFrames; }
    int32_t SlideFrames() const { return m_nSlideFrames; }
    Gdiplus::Bitmap* EffectFrame() const;
    Gdiplus::Graphics* FrameGraphics() const;

    // Advances the incoming slide once by all transition frames (a frozen renderer may call it
    // before Run to cut pieces from the effect frame); later calls do nothing.
    void Freeze();

    // Transition frames 0..T-1 through `compose`, then the effect frames up to the slide frames.
    int32_t Run(Incoming incoming, const std::function<void(int32_t k)>& compose);

private:
    int32_t RunEffectPhase();

    RenderJob& m_job;
    std::unique_ptr<Gdiplus::Bitmap> m_pOld;
    const TransitionSetting* m_pTransition = nullptr;
    int32_t m_nEffectId = 20;
    Gdiplus::Color m_Background;
    int32_t m_nWidth = 0;
    int32_t m_nHeight = 0;
    int32_t m_nTransitionFrames = 0;
    int32_t m_nSlideFrames = 0;
    bool m_bFrozen = false;
};
