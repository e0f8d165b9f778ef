#include "app/CCommandLineUiHandler.h"

void CCommandLineUiHandler::SetOpenFiles(std::vector<std::string> files) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_openFiles = std::move(files);
}

void CCommandLineUiHandler::BeginCollecting() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_collecting = true;
    m_collected.clear();
}

std::vector<std::string> CCommandLineUiHandler::EndCollecting() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_collecting = false;
    return std::move(m_collected);
}

int CCommandLineUiHandler::MessageBox(const std::string& text, const std::string& caption, UINT type) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_collecting) {
            m_collected.push_back(text);
            return DefaultButton(type);
        }
    }
    return HeadlessUiHandler::MessageBox(text, caption, type);
}

bool CCommandLineUiHandler::OpenFiles(const std::string&, const std::string&, const std::string&,
                                      std::vector<std::string>& files) {
    std::lock_guard<std::mutex> lock(m_mutex);
    files = m_openFiles;
    return !files.empty();
}
