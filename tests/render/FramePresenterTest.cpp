#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>

#include "platform/win/Tick.h"
#include "render/FramePresenter.h"
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

// A frame that is not flat: red across, green down, blue from both.
std::array<int32_t, 3> Rgb(int32_t x, int32_t y) { return {x * 8, y * 20, (x * y * 7) & 0xFF}; }

} // namespace

// Loaded pictures come as bytes B, G, R, the bottom row first, rows of 15 bytes packed.
TEST(FramePresenter, LoadedPicturesComeBottomUp) {
    TempDir dir;
    WritePicture(dir.File("p.bmp"), 5, 3, [](int32_t x, int32_t y) {
        const auto [r, g, b] = Rgb(x, y);
        return Color(static_cast<BYTE>(r), static_cast<BYTE>(g), static_cast<BYTE>(b)).GetValue();
    });
    uint8_t* buffer = nullptr;
    int32_t width = 0, height = 0;
    ASSERT_EQ(LoadImageRGB(dir.File("p.bmp"), &buffer, &width, &height), 0);
    EXPECT_EQ(width, 5);
    EXPECT_EQ(height, 3);
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 5; ++x) {
            const auto [r, g, b] = Rgb(x, y);
            const uint8_t* p = buffer + ((2 - y) * 5 + x) * 3;
            EXPECT_EQ(p[0], b);
            EXPECT_EQ(p[1], g);
            EXPECT_EQ(p[2], r);
        }
    std::free(buffer);
    EXPECT_EQ(LoadImageRGB(dir.File("missing.bmp"), &buffer, &width, &height), 1);
    EXPECT_EQ(buffer, nullptr);
    // A single pixel is a row and a column to copy as well; missing buffers are never touched.
    const uint8_t pixel[3] = {1, 2, 3};
    uint8_t copy[3] = {};
    CopyRowsBottomUp(copy, pixel, 1, 1);
    CopyRowsBottomUp(nullptr, pixel, 1, 1);
    CopyRowsBottomUp(copy, nullptr, 1, 1);
    EXPECT_TRUE(std::equal(pixel, pixel + 3, copy));
}

// The planes handed to the encoder are upright BT.601 studio range, chroma from 2 x 2 blocks. An
// opaque frame converts straight from its pixels, a frame with alpha through the packed
// bottom-up copies, 90 bytes a row (not a multiple of 4): both give these planes.
TEST(FramePresenter, EncodedPlanesAreUprightStudioRange) {
    constexpr int32_t w = 30, h = 10;
    for (PixelFormat format : {PixelFormat24bppRGB, PixelFormat32bppARGB}) {
        SCOPED_TRACE(format);
        RenderCanvas canvas(w, h, format);
        EncoderFrameBuffers buffers;
        ASSERT_TRUE(buffers.Allocate(w, h));
        RenderJob job;
        canvas.AttachForEncode(job, nullptr, &buffers, &FrameCatcher::Encode);
        FrameCatcher::Reset(w, h);
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x) {
                const auto [r, g, b] = Rgb(x, y);
                canvas.Frame()->SetPixel(x, y, Color(static_cast<BYTE>(r), static_cast<BYTE>(g), static_cast<BYTE>(b)));
            }
        ASSERT_EQ(PresentFrame(job), 0);
        ASSERT_EQ(FrameCatcher::frames.size(), 1u);
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x) {
                const auto [r, g, b] = Rgb(x, y);
                ASSERT_NEAR(FrameCatcher::frames[0][y * w + x], LumaOf(r, g, b), 1.0) << x << "," << y;
            }
        const uint8_t* u = buffers.Yuv() + w * h;
        const uint8_t* v = u + w * h / 4;
        for (int32_t y = 0; y < h; y += 2)
            for (int32_t x = 0; x < w; x += 2) {
                double cb = 0, cr = 0;
                for (int32_t p = 0; p < 4; ++p) {
                    const auto [r, g, b] = Rgb(x + p % 2, y + p / 2);
                    cb += (128 - 0.148 * r - 0.291 * g + 0.439 * b) / 4;
                    cr += (128 + 0.439 * r - 0.368 * g - 0.071 * b) / 4;
                }
                ASSERT_NEAR(u[y / 2 * (w / 2) + x / 2], cb, 1.5) << x << "," << y;
                ASSERT_NEAR(v[y / 2 * (w / 2) + x / 2], cr, 1.5) << x << "," << y;
            }
    }
}

// A frame rectangle that does not start at the bitmap's corner encodes the pixels inside it.
TEST(FramePresenter, EncodedFrameIsTheFrameRectangle) {
    constexpr int32_t w = 8, h = 4;
    for (const auto [left, top] : {std::array<int32_t, 2>{2, 0}, {0, 1}, {2, 1}}) {
        RenderCanvas canvas(w + 2, h + 1, PixelFormat24bppRGB);
        EncoderFrameBuffers buffers;
        RenderJob job;
        canvas.AttachForEncode(job, nullptr, &buffers, &FrameCatcher::Encode);
        ASSERT_TRUE(buffers.Allocate(w, h));
        job.m_nFrameX = left, job.m_nFrameY = top, job.m_nFrameWidth = w, job.m_nFrameHeight = h;
        FrameCatcher::Reset(w, h);
        for (int32_t y = 0; y <= h; ++y)
            for (int32_t x = 0; x < w + 2; ++x) {
                const auto [r, g, b] = Rgb(x - left, y - top);
                canvas.Frame()->SetPixel(
                    x, y, Color(static_cast<BYTE>(r), static_cast<BYTE>(g), static_cast<BYTE>(b)));
            }
        ASSERT_EQ(PresentFrame(job), 0);
        ASSERT_EQ(FrameCatcher::frames.size(), 1u);
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x) {
                const auto [r, g, b] = Rgb(x, y);
                ASSERT_NEAR(FrameCatcher::frames[0][y * w + x], LumaOf(r, g, b), 1.0)
                    << left << top << x << y;
            }
    }
}

TEST(FramePresenter, EncodedFramesReportProgressAndSeeStopsAndFailures) {
    EncodeHarness h(16, 8, nullptr);
    h.job.m_dProgressStep = 1000.5;
    h.m_encode.m_pfnProgress = CountProgress;
    g_progressCalls = 0;
    ASSERT_EQ(PresentFrame(h.job), 0);
    ASSERT_EQ(PresentFrame(h.job), 0);
    EXPECT_EQ(FrameCatcher::frames.size(), 2u);
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
    EXPECT_EQ(FinishEncodedFrames(p.job), 0);

    p.stop.Set();
    p.job.m_nLastTick = GetTickCount() - 5000; // a late frame is shown at once
    const DWORD late = GetTickCount();
    EXPECT_EQ(PresentFrame(p.job), 2);
    EXPECT_LT(GetTickCount() - late, 1000u);
}
