#include "render/FramePresenter.h"

#include <bit>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include "platform/gdiplus/Bitmap.h"
#include "platform/gdiplus/NativePixels.h"
#include "platform/media/PreviewSurface.h"
#include "platform/win/Event.h"
#include "platform/win/Tick.h"
#include "render/EncodeJob.h"
#include "render/EncodePipeline.h"
#include "render/EncoderFrameBuffers.h"
#include "render/RenderJob.h"
#include "render/YuvConverter.h"

using namespace Gdiplus;

namespace {

int32_t TestStop(CEvent* stop) { return stop && stop->TryConsume() ? 2 : 0; }

int32_t PresentPreviewFrame(RenderJob& job) {
    const DWORD elapsed = GetTickCount() - job.m_nLastTick;
    if (elapsed < job.m_nFrameInterval) Sleep(job.m_nFrameInterval - elapsed);
    job.m_nLastTick = GetTickCount();
    ShowFrameOnScreen(job);
    return TestStop(GetRenderStopEvent(job));
}

// What follows a frame's encoding: its failure, or progress and the stop test.
int32_t AfterEncode(RenderJob& job, int32_t encoded) {
    if (encoded != 0) return encoded;
    job.m_dProgress += job.m_dProgressStep;
    EncodeJob* encode = job.m_pEncodeJob;
    if (encode && encode->m_pfnProgress) encode->m_pfnProgress(static_cast<int32_t>(job.m_dProgress), encode->m_pProgress);
    return TestStop(GetRenderStopEvent(job));
}

// An opaque frame bitmap that is the whole frame converts straight from its pixels, without the
// packed copies: the same values, a third of the memory traffic.
bool ConvertSurfaceDirectly(RenderJob& job, uint8_t* y, uint8_t* u, uint8_t* v) {
    if constexpr (std::endian::native != std::endian::little) return false;
    if (job.m_nFrameX != 0 || job.m_nFrameY != 0) return false;
    const NativePixels pixels(job.m_pFrameBitmap, NativePixels::Access::Read);
    if (!pixels.IsValid() || pixels.HasAlpha() || pixels.Width() != job.m_nFrameWidth ||
        pixels.Height() != job.m_nFrameHeight)
        return false;
    YuvConverter::Xrgb32ToYuv420(reinterpret_cast<const uint8_t*>(pixels.Row(0)), pixels.Stride(),
                                 job.m_nFrameWidth, job.m_nFrameHeight, y, u, v);
    return true;
}

int32_t PresentEncodedFrame(RenderJob& job) {
    EncoderFrameBuffers* buffers = job.m_pEncodeBuffers;
    // A context the encoder driver did not set up cannot encode anything.
    if (!buffers || !job.m_pfnEncodeFrame || !job.m_pFrameBitmap || buffers->Width() != job.m_nFrameWidth ||
        buffers->Height() != job.m_nFrameHeight)
        return 1;
    const int32_t w = job.m_nFrameWidth;
    const int32_t h = job.m_nFrameHeight;
    uint8_t* yuv = buffers->Yuv();
    const size_t lumaSize = static_cast<size_t>(w) * static_cast<size_t>(h);
    if (!ConvertSurfaceDirectly(job, yuv, yuv + lumaSize, yuv + lumaSize * 5 / 4)) {
        const Rect rect = job.FrameRect();
        BitmapData& lock = buffers->LockData();
        lock.Scan0 = buffers->Locked();
        lock.Stride = 3 * w;
        if (job.m_pFrameBitmap->LockBits(&rect, ImageLockModeRead | ImageLockModeUserInputBuf, PixelFormat24bppRGB,
                                         &lock) == Ok) {
            CopyRowsBottomUp(buffers->Flipped(), buffers->Locked(), w, h);
            // The frame is released before anything can return early.
            job.m_pFrameBitmap->UnlockBits(&lock);
        }
        YuvConverter::Bgr24BottomUpToYuv420(buffers->Flipped(), w, h, yuv, yuv + lumaSize, yuv + lumaSize * 5 / 4);
    }
    if (EncodePipeline* pipeline = job.m_pEncodePipeline) {
        // The previous frame is settled first, exactly as if it had been encoded before this one
        // was composed: its failure or a stop after it drops this frame.
        if (const std::optional<int32_t> previous = pipeline->Collect()) {
            const int32_t result = AfterEncode(job, *previous);
            if (result != 0) return result;
        }
        pipeline->Submit(yuv);
        buffers->SwapYuv();
        return 0;
    }
    return AfterEncode(job, job.m_pfnEncodeFrame(yuv));
}

} // namespace

int32_t PresentFrame(RenderJob& job) {
    if (job.m_nMode == RENDER_ENCODE) return PresentEncodedFrame(job);
    return PresentPreviewFrame(job);
}

void ShowFrameOnScreen(RenderJob& job) {
    if (job.m_pPreviewSurface && job.m_pFrameBitmap) job.m_pPreviewSurface->Present(*job.m_pFrameBitmap);
}

int32_t FinishEncodedFrames(RenderJob& job) {
    if (job.m_nMode != RENDER_ENCODE || !job.m_pEncodePipeline) return 0;
    const std::optional<int32_t> last = job.m_pEncodePipeline->Collect();
    return last ? AfterEncode(job, *last) : 0;
}

void CopyRowsBottomUp(uint8_t* destination, const uint8_t* source, int32_t width, int32_t height) {
    if (!destination || !source || width <= 0 || height <= 0) return;
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    for (int32_t row = 0; row < height; ++row)
        std::memcpy(destination + static_cast<size_t>(height - 1 - row) * rowBytes,
                    source + static_cast<size_t>(row) * rowBytes, rowBytes);
}

int32_t LoadImageRGB(const std::string& path, uint8_t** buffer, int32_t* width, int32_t* height) {
    if (!buffer || !width || !height) return 1;
    *buffer = nullptr;
    *width = *height = 0;
    Bitmap picture(path);
    if (!picture.IsValid()) return 1;
    const int32_t w = static_cast<int32_t>(picture.GetWidth());
    const int32_t h = static_cast<int32_t>(picture.GetHeight());
    const size_t rowBytes = static_cast<size_t>(w) * 3;
    std::vector<uint8_t> rows(rowBytes * static_cast<size_t>(h));
    BitmapData lock;
    lock.Scan0 = rows.data();
    lock.Stride = static_cast<INT>(rowBytes);
    const Rect rect(0, 0, w, h);
    if (picture.LockBits(&rect, ImageLockModeRead | ImageLockModeUserInputBuf, PixelFormat24bppRGB, &lock) != Ok)
        return 1;
    picture.UnlockBits(&lock);
    auto* out = static_cast<uint8_t*>(std::malloc(static_cast<size_t>(w) * static_cast<size_t>(h) * 4));
    if (!out) return 1;
    CopyRowsBottomUp(out, rows.data(), w, h);
    *buffer = out;
    *width = w;
    *height = h;
    return 0;
}
