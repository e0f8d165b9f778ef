#include "editor/AppDirectory.h"

#include <mutex>
#include <unistd.h>

namespace {
std::mutex g_mutex;
std::string g_override;

std::string ExecutableFolder() {
    std::string buf(4096, '\0');
    const ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size() - 1);
    if (n <= 0) return "./";
    buf.resize(static_cast<size_t>(n));
    const size_t slash = buf.rfind('/');
    return slash == std::string::npos ? std::string("./") : buf.substr(0, slash + 1);
}
} // namespace

std::string GetAppDirectory() {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!g_override.empty()) return g_override;
    static const std::string folder = ExecutableFolder();
    return folder;
}

void SetAppDirectoryOverride(const std::string& folder) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_override = folder;
    if (!g_override.empty() && g_override.back() != '/') g_override += '/';
}
