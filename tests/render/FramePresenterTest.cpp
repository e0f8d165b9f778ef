#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/win/Tick.h"
#include "render/FramePresenter.h"
#include "render/YuvConverter.h"
#include "tests/render/RenderTestUtil.h"

using namespace rendertest;
using namespace Gdiplus;

namespace {

int g_progressCalls = 0;
int32_t g_lastPosition = -1;
void CountProgress(int32_t position, void*) {
    ++g_progressCalls;
    g_lastPosition = position;
}

} // namespace

TEST(FramePresenter, RowsPlanesAndLoadedPicturesKeepTheirRowOrder) {
    // Two rows, bottom row first in memory: bottom red, top white; studio-range values.
    const int32_t w = 4, h = 2;
    uint8_t src[w * h * 3];
    for (int x = 0; x < 3 * w; x += 3) {
        src[x] = src[x + 1] = 0, src[x + 2] = 255;
        src[3 * w + x] = src[3 * w + x + 1] = src[3 * w + x + 2] = 255;
    }
    uint8_t y[w * h], u[2], v[2];
    YuvConverter::Bgr24BottomUpToYuv420(src, w, h, y, u, v);
    EXPECT_EQ(y[0], 235);
    EXPECT_EQ(y[w], 82);
    EXPECT_NEAR(u[0], (128 + 90) / 2, 1);
    EXPECT_NEAR(v[0], (128 + 240) / 2, 1);

    // 5 pixels a row: 15 bytes, not a multiple of 4.
    std::vector<uint8_t> rows(5 * 3 * 3), flipped(rows.size());
    for (size_t i = 0; i < rows.size(); ++i) rows[i] = static_cast<uint8_t>(i);
    CopyRowsBottomUp(flipped.data(), rows.data(), 5, 3);
    EXPECT_EQ(flipped[0], 30);
    EXPECT_EQ(flipped[14], 44);
    EXPECT_EQ(flipped[15], 15);
    EXPECT_EQ(flipped[30], 0);

    // Loaded pictures come bottom row first too: bytes B, G, R of the red bottom, then blue.
    TempDir dir;
    WritePicture(dir.File("p.bmp"), 3, 2, [](int32_t, int32_t y) { return y == 0 ? 0xFF0000FFu : 0xFFFF0000u; });
    uint8_t* buffer = nullptr;
    int32_t width = 0, height = 0;
    ASSERT_EQ(LoadImageRGB(dir.File("p.bmp"), &buffer, &width, &height), 0);
    EXPECT_EQ(width, 3);
    EXPECT_EQ(height, 2);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(buffer[2], 255);
    EXPECT_EQ(buffer[9], 255);
    std::free(buffer);
    EXPECT_EQ(LoadImageRGB(dir.File("missing.bmp"), &buffer, &width, &height), 1);
    EXPECT_EQ(buffer, nullptr);
}

TEST(FramePresenter, EncodedFramesAreUprightReportProgressAndSeeStopsAndFailures) {
    EncodeHarness h(16, 8, nullptr);
    SolidBrush white(Color(Color::White)), red(Color(Color::Red));
    h.job.m_pFrameGraphics->FillRectangle(&white, 0, 0, 16, 4);
    h.job.m_pFrameGraphics->FillRectangle(&red, 0, 4, 16, 4);
    h.job.m_dProgressStep = 1000.5;
    h.m_encode.m_pfnProgress = CountProgress;
    g_progressCalls = 0;
    ASSERT_EQ(PresentFrame(h.job), 0);
    ASSERT_EQ(PresentFrame(h.job), 0);
    ASSERT_EQ(FrameCatcher::frames.size(), 2u);
    EXPECT_NEAR(MeanLuma(FrameCatcher::frames[0], 0, 0, 16, 4), 235, 1);
    EXPECT_NEAR(MeanLuma(FrameCatcher::frames[0], 0, 4, 16, 8), 82, 1);
    EXPECT_EQ(g_progressCalls, 2);
    EXPECT_EQ(g_lastPosition, 2001);

    // A stop request is seen and consumed by the frame after which it was set.
    h.m_stop.Set();
    EXPECT_EQ(PresentFrame(h.job), 2);
    EXPECT_EQ(PresentFrame(h.job), 0);

    // A failed frame gives the encoder's value, no progress, leaves the stop for later and the
    // frame bitmap unlocked.
    g_progressCalls = 0;
    FrameCatcher::failAt = 0;
    FrameCatcher::failValue = 6;
    h.m_stop.Set();
    EXPECT_EQ(PresentFrame(h.job), 6);
    EXPECT_EQ(g_progressCalls, 0);
    EXPECT_TRUE(h.m_stop.TryConsume());
    BitmapData d;
    const Rect r(0, 0, 16, 8);
    EXPECT_EQ(h.job.m_pFrameBitmap->LockBits(&r, ImageLockModeRead, PixelFormat24bppRGB, &d), Ok);
    h.job.m_pFrameBitmap->UnlockBits(&d);

    // A context without encoder buffers cannot encode.
    h.job.m_pEncodeBuffers = nullptr;
    EXPECT_EQ(PresentFrame(h.job), 1);
}

TEST(FramePresenter, PreviewFramesArePacedAndStoppable) {
    PreviewHarness p(16, 8, RENDER_SLIDESHOW_PREVIEW);
    p.job.m_nFrameInterval = 60;
    p.canvas.FrameGraphics()->Clear(Color(Color::Red));
    p.job.m_nLastTick = GetTickCount();
    const DWORD start = GetTickCount();
    EXPECT_EQ(PresentFrame(p.job), 0);
    EXPECT_GE(GetTickCount() - start, 50u);
    EXPECT_EQ(OpaquePixel(p.screen, 3, 3), 0xFFFF0000u);

    p.stop.Set();
    p.job.m_nLastTick = GetTickCount() - 5000; // a late frame is shown at once
    const DWORD late = GetTickCount();
    EXPECT_EQ(PresentFrame(p.job), 2);
    EXPECT_LT(GetTickCount() - late, 1000u);
}

TEST(FramePresenter, OpaqueAndAlphaFramesConvertAlike) {
    // An opaque frame converts straight from its pixels, a frame with alpha through the packed
    // bottom-up copy: both give the same planes.
    std::vector<std::vector<uint8_t>> planes;
    for (PixelFormat format : {PixelFormat24bppRGB, PixelFormat32bppARGB}) {
        RenderCanvas canvas(32, 16, format);
        EncoderFrameBuffers buffers;
        ASSERT_TRUE(buffers.Allocate(32, 16));
        RenderJob job;
        canvas.AttachForEncode(job, nullptr, &buffers, &FrameCatcher::Encode);
        FrameCatcher::Reset(32, 16);
        for (int32_t y = 0; y < 16; ++y)
            for (int32_t x = 0; x < 32; ++x)
                canvas.Frame()->SetPixel(x, y, Color(static_cast<BYTE>(x * 8), static_cast<BYTE>(y * 16),
                                                     static_cast<BYTE>((x * y) & 0xFF)));
        ASSERT_EQ(PresentFrame(job), 0);
        planes.emplace_back(buffers.Yuv(), buffers.Yuv() + buffers.YuvSize());
    }
    EXPECT_EQ(planes[0], planes[1]);
}
