// The preview surface that render threads draw into, and the window that declines to open where
// nothing can be shown.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/gdiplus/Graphics.h"
#include "platform/media/PreviewSurface.h"
#include "platform/media/PreviewWindow.h"

using namespace Gdiplus;

TEST(PreviewSurface, PresentsFramesCutToItsSizeAndCountsThem) {
    CPreviewSurface surface(8, 4);
    EXPECT_EQ(surface.GetPixel(1, 1), 0xFF000000u);
    Bitmap frame(10, 10, PixelFormat32bppARGB);
    Graphics(&frame).Clear(Color(Color::Red));
    uint64_t told = 0;
    surface.SetListener([&](uint64_t number, CPreviewSurface::Clock::time_point) { told = number; });
    surface.Present(frame);
    surface.Present(frame);
    EXPECT_EQ(told, 2u);
    EXPECT_EQ(surface.PresentedFrames(), 2u);
    EXPECT_EQ(surface.GetPixel(7, 3), 0xFFFF0000u);
    EXPECT_EQ(surface.GetPixel(8, 0), 0u);
    EXPECT_EQ(surface.GetPixel(-1, 0), 0u);
    CPreviewSurface empty(0, -3);
    empty.Present(frame);
    EXPECT_EQ(empty.PresentedFrames(), 0u);
}

TEST(PreviewWindow, NoWindowWithoutADisplay) {
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    unsetenv("SDL_VIDEODRIVER");
    EXPECT_EQ(CPreviewWindow::Create("t", 64, 48), nullptr);
    // A driver that shows nothing counts as no display.
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    EXPECT_EQ(CPreviewWindow::Create("t", 64, 48), nullptr);
    unsetenv("SDL_VIDEODRIVER");
    CPreviewWindow::Wake(); // harmless with no window
}
