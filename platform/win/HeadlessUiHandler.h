// The default user-interface handler: texts go to standard error, every box answers with its
// default button, file dialogs and modal dialogs are cancelled, so nothing ever waits for a user.
#pragma once

#include "platform/win/UiHandler.h"

class HeadlessUiHandler : public UiHandler {
public:
    int MessageBox(const std::string& text, const std::string& caption, UINT type) override;
    bool OpenFiles(const std::string& title, const std::string& filter, const std::string& folder,
                   std::vector<std::string>& files) override;
    INT_PTR RunModal(CDialog& dialog) override;
    void SetWaitCursor(bool busy) override;
};
