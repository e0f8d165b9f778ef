#include "platform/win/ScriptedUiHandler.h"

#include "platform/win/Dialog.h"

void ScriptedUiHandler::QueueAnswer(int button) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_answers.push_back(button);
}

void ScriptedUiHandler::QueueFiles(std::vector<std::string> files) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_files.push_back(std::move(files));
}

void ScriptedUiHandler::QueueDialog(DialogScript script) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_dialogs.push_back(std::move(script));
}

std::vector<ScriptedUiHandler::Box> ScriptedUiHandler::Boxes() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_boxes;
}

std::vector<std::string> ScriptedUiHandler::DialogTitles() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_dialogTitles;
}

std::vector<std::string> ScriptedUiHandler::OpenFolders() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_openFolders;
}

int ScriptedUiHandler::WaitCursorDepth() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_waitDepth;
}

int ScriptedUiHandler::MessageBox(const std::string& text, const std::string& caption, UINT type) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_boxes.push_back({text, caption, type});
    if (m_answers.empty()) return DefaultButton(type);
    int answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

bool ScriptedUiHandler::OpenFiles(const std::string&, const std::string&, const std::string& folder,
                                  std::vector<std::string>& files) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_openFolders.push_back(folder);
    files.clear();
    if (m_files.empty()) return false;
    files = std::move(m_files.front());
    m_files.pop_front();
    return true;
}

INT_PTR ScriptedUiHandler::RunModal(CDialog& dialog) {
    DialogScript script;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_dialogTitles.push_back(dialog.GetTitle());
        if (!m_dialogs.empty()) {
            script = std::move(m_dialogs.front());
            m_dialogs.pop_front();
        }
    }
    // The script runs unlocked: it may show message boxes of its own.
    const INT_PTR button = script ? script(dialog) : IDCANCEL;
    if (button == IDOK)
        dialog.OnOK();
    else
        dialog.OnCancel();
    return dialog.GetResult();
}

void ScriptedUiHandler::SetWaitCursor(bool busy) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_waitDepth += busy ? 1 : -1;
}
