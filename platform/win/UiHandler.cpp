#include "platform/win/UiHandler.h"

#include <mutex>

#include "platform/win/HeadlessUiHandler.h"

namespace {
std::mutex g_mutex;
std::shared_ptr<UiHandler>& Slot() {
    static std::shared_ptr<UiHandler> handler = std::make_shared<HeadlessUiHandler>();
    return handler;
}
} // namespace

UiHandler& UiHandler::Current() {
    std::lock_guard<std::mutex> lock(g_mutex);
    return *Slot();
}

std::shared_ptr<UiHandler> UiHandler::Install(std::shared_ptr<UiHandler> handler) {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!handler) handler = std::make_shared<HeadlessUiHandler>();
    std::swap(Slot(), handler);
    return handler;
}

int UiHandler::DefaultButton(UINT type) {
    const UINT buttons = type & 0xF;
    const UINT def = type & 0xF00;
    switch (buttons) {
    case MB_OKCANCEL:
        return def == MB_DEFBUTTON2 ? IDCANCEL : IDOK;
    case MB_YESNO:
        return def == MB_DEFBUTTON2 ? IDNO : IDYES;
    case MB_YESNOCANCEL:
        return def == MB_DEFBUTTON3 ? IDCANCEL : def == MB_DEFBUTTON2 ? IDNO : IDYES;
    default:
        return IDOK;
    }
}

int AppMessageBox(const std::string& text, UINT type) {
    return UiHandler::Current().MessageBox(text, "Picture Reel Maker", type);
}
