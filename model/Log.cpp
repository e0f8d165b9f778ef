#include "model/Log.h"

#include "editor/DataDirectory.h"

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <iomanip>
#include <locale>
#include <mutex>
#include <sstream>
#include <unistd.h>

namespace {

std::mutex g_logMutex;
std::string g_logPath;  // guarded by g_logMutex

class LogFile {
public:
    explicit LogFile(const std::string& path)
        : m_fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644)) {}
    ~LogFile() {
        if (m_fd >= 0) ::close(m_fd);
    }
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;
    bool IsOpen() const { return m_fd >= 0; }
    void Write(const std::string& line) {
        size_t done = 0;
        while (done < line.size()) {
            const ssize_t put = ::write(m_fd, line.data() + done, line.size() - done);
            if (put < 0 && errno == EINTR) continue;
            if (put <= 0) return;
            done += static_cast<size_t>(put);
        }
    }

private:
    int m_fd;
};

// Month names in English whatever the process locale.
std::string FormatNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out << std::put_time(&local, "%H:%M:%S, %b %d, %Y");
    return out.str();
}

// The caller holds g_logMutex.
std::string LogPathLocked() { return g_logPath.empty() ? GetDataDirectory() + "log.txt" : g_logPath; }

} // namespace

void WriteLog(const std::string& message) {
    const std::string line = FormatNow() + ": " + message + "\n";
    std::lock_guard<std::mutex> lock(g_logMutex);
    LogFile file(LogPathLocked());
    if (!file.IsOpen()) return;
    file.Write(line);  // the whole line in one write, so lines never interleave
}

void SetLogFilePath(const std::string& path) {
    std::lock_guard<std::mutex> lock(g_logMutex);
    g_logPath = path;
}

std::string GetLogFilePath() {
    std::lock_guard<std::mutex> lock(g_logMutex);
    return LogPathLocked();
}
