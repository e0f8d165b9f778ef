// Render control: starts and stops the preview render threads. At most one render thread exists;
// every start first stops the one before, and a start made while a stop is in progress (from a
// message handler that the stop serves) is refused.
//
// The end messages of a slideshow preview carry the number of the start that made them in wParam
// (lParam 0): WM_PREVIEW_COMPLETE to the job's notify window when it played to its end, then
// WM_PREVIEW_ENDED to the project's main window in every case. A receiver ignores a message for
// which IsCurrentPreviewMessage is false: it is left over from a preview stopped since.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "platform/win/WinTypes.h"
#include "render/RenderThread.h"

class CProject;
struct SlideshowPreviewJob;
struct TransitionPreviewJob;

class CRenderControl {
public:
    explicit CRenderControl(CProject& project);
    // Stops a render still running.
    ~CRenderControl();
    CRenderControl(const CRenderControl&) = delete;
    CRenderControl& operator=(const CRenderControl&) = delete;

    // The one of the process, on the global project.
    static CRenderControl& Instance();

    // 0 when the preview started. 1, with nothing started, while a stop is in progress or when
    // no thread can be made. A random single effect (21) is drawn here, once, and written back
    // into the job, so a repeated preview of the job shows the same effect. The job is copied,
    // its transition object too; the preview surface must outlive the render. Following a
    // slideshow preview, it stops that preview's music.
    int32_t StartTransitionPreview(TransitionPreviewJob* job);
    // 0 when the preview started with the music of the project's first slideshow. 1, with
    // nothing started, while a stop is in progress, for a missing job or a size below 1 x 1, or
    // when no thread can be made. The job record is copied; its slideshow, notify window and
    // preview surface must stay unchanged and alive until the render has been stopped.
    int32_t StartSlideshowPreview(SlideshowPreviewJob* job);

    // Asks the render thread to stop and returns once it has finished (joined), serving the main
    // window's messages meanwhile; a thread that ended by itself is joined here too. Returns at
    // once with no thread, and while another stop is in progress.
    void StopRender();

    // From a start until the render thread has rendered its last frame.
    bool IsRendering() const { return m_bRendering; }
    // While StopRender waits for the thread.
    bool IsRenderStopping() const { return m_bRenderStopping; }

    // The number of the latest start, and whether an end message belongs to it.
    uint32_t Generation() const { return m_nGeneration; }
    bool IsCurrentPreviewMessage(WPARAM wParam) const { return wParam == m_nGeneration; }

    // Tests: how render threads are made.
    void SetLauncher(CRenderThread::Launcher launcher) { m_launcher = std::move(launcher); }

private:
    // Starts the body as the new render thread; false (flag clear, nothing kept) on failure.
    bool Launch(CRenderThread::Body body);

    CProject& m_project;
    std::atomic<bool> m_bRendering{false};
    std::atomic<bool> m_bRenderStopping{false};
    std::atomic<uint32_t> m_nGeneration{0};
    // The latest start was a slideshow preview, whose music may still play.
    bool m_bSlideshowMusic = false;
    std::unique_ptr<CRenderThread> m_pThread;
    CRenderThread::Launcher m_launcher = &CRenderThread::Launch;
};

// The process's render control.
int32_t StartTransitionPreview(TransitionPreviewJob* job);
int32_t StartSlideshowPreview(SlideshowPreviewJob* job);
void StopRender();
bool IsRendering();
bool IsRenderStopping();
