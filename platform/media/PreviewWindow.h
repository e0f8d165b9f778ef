// The window that shows a preview surface on a display, scaled to the window with its
// proportions kept. Only the thread that created it (the main thread) may call it, except Wake.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

class CPreviewSurface;

class CPreviewWindow {
public:
    // A window of at least the surface's size; null when there is no display to show it on
    // (none named in the environment, or a video driver that shows nothing).
    static std::unique_ptr<CPreviewWindow> Create(const std::string& title, int32_t width, int32_t height);
    ~CPreviewWindow();
    CPreviewWindow(const CPreviewWindow&) = delete;
    CPreviewWindow& operator=(const CPreviewWindow&) = delete;

    // Any thread: cuts a ServeEvents wait short (a new frame, or the caller's own news).
    static void Wake();

    // Waits up to timeoutMs for window events, serves them and shows the surface when it has a
    // new frame or the window needs painting. False once the user asked to close (Esc, or the
    // window's close button).
    bool ServeEvents(const CPreviewSurface& surface, uint32_t timeoutMs);

private:
    struct Sdl;
    explicit CPreviewWindow(std::unique_ptr<Sdl> sdl);
    void Show(const CPreviewSurface& surface);

    std::unique_ptr<Sdl> m_sdl;
    uint64_t m_nShownFrame = 0;
    bool m_bDirty = true;
    bool m_bClosed = false;
};
