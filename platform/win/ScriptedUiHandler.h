// A user-interface handler for tests: records every text shown and answers from scripts.
#pragma once

#include <deque>
#include <functional>
#include <mutex>

#include "platform/win/UiHandler.h"

class ScriptedUiHandler : public UiHandler {
public:
    struct Box {
        std::string text;
        std::string caption;
        UINT type = 0;
    };
    // A dialog script changes the dialog's controls and returns the button it presses.
    using DialogScript = std::function<INT_PTR(CDialog&)>;

    // Answers, used in order; when none is left, boxes answer with their default button,
    // file dialogs are cancelled and dialogs are cancelled.
    void QueueAnswer(int button);
    void QueueFiles(std::vector<std::string> files);
    void QueueDialog(DialogScript script);

    std::vector<Box> Boxes() const;
    std::vector<std::string> DialogTitles() const;
    // The folder each open-file dialog started in, in order.
    std::vector<std::string> OpenFolders() const;
    int WaitCursorDepth() const;

    int MessageBox(const std::string& text, const std::string& caption, UINT type) override;
    bool OpenFiles(const std::string& title, const std::string& filter, const std::string& folder,
                   std::vector<std::string>& files) override;
    INT_PTR RunModal(CDialog& dialog) override;
    void SetWaitCursor(bool busy) override;

private:
    mutable std::mutex m_mutex;
    std::deque<int> m_answers;
    std::deque<std::vector<std::string>> m_files;
    std::deque<DialogScript> m_dialogs;
    std::vector<Box> m_boxes;
    std::vector<std::string> m_dialogTitles;
    std::vector<std::string> m_openFolders;
    int m_waitDepth = 0;
};
