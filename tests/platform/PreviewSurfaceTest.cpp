// The preview surface that render threads draw into, and the window that declines to open where
// nothing can be shown.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

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
    int32_t stride = 0;
    surface.ReadPixels([&](const uint8_t* pixels, int32_t s) {
        stride = s;
        EXPECT_EQ(*reinterpret_cast<const uint32_t*>(pixels + s * 3 + 4 * 7), 0xFFFF0000u);
    });
    EXPECT_GE(stride, 8 * 4);

    CPreviewSurface empty(0, -3);
    empty.Present(frame);
    EXPECT_EQ(empty.PresentedFrames(), 0u);
    EXPECT_EQ(empty.Width(), 0);
}

TEST(PreviewWindow, NoWindowWithoutADisplay) {
    const char* names[] = {"DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER"};
    std::string saved[3];
    for (int i = 0; i < 3; ++i) {
        if (const char* value = std::getenv(names[i])) saved[i] = value;
        unsetenv(names[i]);
    }
    EXPECT_EQ(CPreviewWindow::Create("t", 64, 48), nullptr);
    // A driver that shows nothing counts as no display.
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    EXPECT_EQ(CPreviewWindow::Create("t", 64, 48), nullptr);
    EXPECT_EQ(CPreviewWindow::Create("t", 0, 48), nullptr);
    CPreviewWindow::Wake(); // harmless with no window
    for (int i = 0; i < 3; ++i) {
        if (saved[i].empty()) unsetenv(names[i]);
        else setenv(names[i], saved[i].c_str(), 1);
    }
}
