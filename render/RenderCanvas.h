// What a driver creates for a render and releases after it: the frame bitmap with its graphics
// and the single-effect animator with its effect bitmap. Attach points a render context at them.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/encoder/EncoderApi.h"
#include "platform/gdiplus/Bitmap.h"
#include "platform/gdiplus/Graphics.h"
#include "render/SingleEffectAnimator.h"

class EncoderFrameBuffers;
struct EncodeJob;
struct RenderJob;

class RenderCanvas {
public:
    // The frame is 24-bit RGB when encoding, 32-bit ARGB in the previews.
    RenderCanvas(int32_t width, int32_t height, Gdiplus::PixelFormat frameFormat);
    RenderCanvas(const RenderCanvas&) = delete;
    RenderCanvas& operator=(const RenderCanvas&) = delete;

    // Sets the frame bitmap, rectangle, graphics and animator of the context.
    void Attach(RenderJob& job);
    // Attach, and sets the context up for encoding: mode 2, the job record, the frame buffers
    // (allocated for the canvas size) and the frame entry every frame is handed to.
    void AttachForEncode(RenderJob& job, EncodeJob* encode, EncoderFrameBuffers* buffers, EncOneFrameFn entry);

    Gdiplus::Bitmap* Frame() const { return m_pFrame.get(); }
    Gdiplus::Graphics* FrameGraphics() const { return m_pGraphics.get(); }
    SingleEffectAnimator& Animator() { return m_Animator; }

private:
    int32_t m_nWidth;
    int32_t m_nHeight;
    std::unique_ptr<Gdiplus::Bitmap> m_pFrame;
    std::unique_ptr<Gdiplus::Graphics> m_pGraphics;
    SingleEffectAnimator m_Animator;
};
