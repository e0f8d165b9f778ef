// The user-interface handler of the command line: message-box texts go to standard error and
// every box answers with its default button; the open-file dialog answers with the files the
// user named on the command line. While collecting, texts are kept instead of printed, so that
// a failure can be told in one line.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "platform/win/HeadlessUiHandler.h"

class CCommandLineUiHandler : public HeadlessUiHandler {
public:
    // What the next open-file dialogs answer with; an empty list cancels them.
    void SetOpenFiles(std::vector<std::string> files);

    void BeginCollecting();
    // Stops collecting and returns the texts kept meanwhile.
    std::vector<std::string> EndCollecting();

    int MessageBox(const std::string& text, const std::string& caption, UINT type) override;
    bool OpenFiles(const std::string& title, const std::string& filter, const std::string& folder,
                   std::vector<std::string>& files) override;

private:
    std::mutex m_mutex;
    std::vector<std::string> m_openFiles;
    bool m_collecting = false;
    std::vector<std::string> m_collected;
};
