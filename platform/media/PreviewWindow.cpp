#include "platform/media/PreviewWindow.h"

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>

#include "platform/media/PreviewSurface.h"

namespace {

// The event type that Wake pushes; 0 while no window exists.
std::atomic<uint32_t> g_wakeEvent{0};

// Small previews open larger so that they can be seen; the user may resize freely.
constexpr int32_t kMinimumOpenWidth = 640;

bool DisplayNamed() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER"}) {
        const char* value = std::getenv(name);
        if (value && *value) return true;
    }
    return false;
}

bool IsUnseenDriver(const char* name) {
    return name == nullptr || std::strcmp(name, "dummy") == 0 || std::strcmp(name, "offscreen") == 0;
}

} // namespace

struct CPreviewWindow::Sdl {
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    int32_t width = 0;
    int32_t height = 0;

    ~Sdl() {
        g_wakeEvent = 0;
        if (texture) SDL_DestroyTexture(texture);
        if (renderer) SDL_DestroyRenderer(renderer);
        if (window) SDL_DestroyWindow(window);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        // Only a full quit releases what the video drivers set up on the side (the desktop bus
        // connection); the sound sink holds its own subsystem count, so wait until it is gone.
        if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0) SDL_Quit();
    }
};

std::unique_ptr<CPreviewWindow> CPreviewWindow::Create(const std::string& title, int32_t width,
                                                       int32_t height) {
    if (width <= 0 || height <= 0 || !DisplayNamed()) return nullptr;
    // Ctrl-C belongs to the program, not to SDL's quit event.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return nullptr;
    auto sdl = std::make_unique<Sdl>();
    if (IsUnseenDriver(SDL_GetCurrentVideoDriver())) return nullptr;
    const int32_t scale = std::max(1, kMinimumOpenWidth / width);
    sdl->width = width;
    sdl->height = height;
    sdl->window = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                   width * scale, height * scale, SDL_WINDOW_RESIZABLE);
    if (!sdl->window) return nullptr;
    sdl->renderer = SDL_CreateRenderer(sdl->window, -1, 0);
    if (!sdl->renderer) return nullptr;
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
    // Letterboxed to the surface's proportions whatever the window's shape.
    SDL_RenderSetLogicalSize(sdl->renderer, width, height);
    sdl->texture = SDL_CreateTexture(sdl->renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING,
                                     width, height);
    if (!sdl->texture) return nullptr;
    const Uint32 wake = SDL_RegisterEvents(1);
    if (wake == static_cast<Uint32>(-1)) return nullptr;
    g_wakeEvent = wake;
    return std::unique_ptr<CPreviewWindow>(new CPreviewWindow(std::move(sdl)));
}

CPreviewWindow::CPreviewWindow(std::unique_ptr<Sdl> sdl) : m_sdl(std::move(sdl)) {}

CPreviewWindow::~CPreviewWindow() = default;

void CPreviewWindow::Wake() {
    const uint32_t type = g_wakeEvent;
    if (type == 0) return;
    SDL_Event event;
    SDL_zero(event);
    event.type = type;
    SDL_PushEvent(&event);
}

bool CPreviewWindow::ServeEvents(const CPreviewSurface& surface, uint32_t timeoutMs) {
    SDL_Event event;
    bool got = SDL_WaitEventTimeout(&event, static_cast<int>(std::min<uint32_t>(timeoutMs, 1000000))) != 0;
    while (got) {
        switch (event.type) {
        case SDL_QUIT:
            m_bClosed = true;
            break;
        case SDL_KEYDOWN:
            if (event.key.keysym.sym == SDLK_ESCAPE) m_bClosed = true;
            break;
        case SDL_WINDOWEVENT:
            if (event.window.event == SDL_WINDOWEVENT_CLOSE) m_bClosed = true;
            m_bDirty = true;
            break;
        default:
            break;
        }
        got = SDL_PollEvent(&event) != 0;
    }
    if (m_bDirty || surface.PresentedFrames() != m_nShownFrame) Show(surface);
    return !m_bClosed;
}

void CPreviewWindow::Show(const CPreviewSurface& surface) {
    m_nShownFrame = surface.PresentedFrames();
    m_bDirty = false;
    if (surface.Width() == m_sdl->width && surface.Height() == m_sdl->height) {
        surface.ReadPixels([this](const uint8_t* pixels, int32_t stride) {
            if (pixels) SDL_UpdateTexture(m_sdl->texture, nullptr, pixels, stride);
        });
    }
    SDL_SetRenderDrawColor(m_sdl->renderer, 0, 0, 0, 255);
    SDL_RenderClear(m_sdl->renderer);
    SDL_RenderCopy(m_sdl->renderer, m_sdl->texture, nullptr, nullptr);
    SDL_RenderPresent(m_sdl->renderer);
}
