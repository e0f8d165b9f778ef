#include "render/RenderCanvas.h"

#include "render/RenderJob.h"

RenderCanvas::RenderCanvas(int32_t width, int32_t height, Gdiplus::PixelFormat frameFormat)
    : m_nWidth(width), m_nHeight(height) {
    m_pFrame = std::make_unique<Gdiplus::Bitmap>(width, height, frameFormat);
    m_pGraphics = std::make_unique<Gdiplus::Graphics>(m_pFrame.get());
    m_Animator.Create(width, height);
}

void RenderCanvas::Attach(RenderJob& job) {
    job.m_pFrameBitmap = m_pFrame.get();
    job.m_pFrameGraphics = m_pGraphics.get();
    job.m_nFrameX = 0;
    job.m_nFrameY = 0;
    job.m_nFrameWidth = m_nWidth;
    job.m_nFrameHeight = m_nHeight;
    job.m_pAnimator = &m_Animator;
}

void RenderCanvas::AttachForEncode(RenderJob& job, EncodeJob* encode, EncoderFrameBuffers* buffers,
                                   EncOneFrameFn entry) {
    Attach(job);
    job.m_nMode = RENDER_ENCODE;
    job.m_pEncodeJob = encode;
    job.m_pEncodeBuffers = buffers;
    job.m_pfnEncodeFrame = entry;
}
