#include "platform/win/HeadlessUiHandler.h"

#include <cstdio>

#include "platform/win/Dialog.h"

int HeadlessUiHandler::MessageBox(const std::string& text, const std::string&, UINT type) {
    std::fprintf(stderr, "%s\n", text.c_str());
    return DefaultButton(type);
}

bool HeadlessUiHandler::OpenFiles(const std::string&, const std::string&, const std::string&,
                                  std::vector<std::string>& files) {
    files.clear();
    return false;
}

INT_PTR HeadlessUiHandler::RunModal(CDialog& dialog) {
    dialog.OnCancel();
    return dialog.GetResult();
}

void HeadlessUiHandler::SetWaitCursor(bool) {}
