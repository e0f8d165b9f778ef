#include "editor/DataDirectory.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace {
std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string HomeFolder() {
    std::string home = Variable("HOME");
    if (!home.empty()) return home;
    if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir) return entry->pw_dir;
    return ".";
}

// Absolute, so that the paths built from it compare alike wherever the program runs from.
std::string WithSlash(const std::string& folder) {
    std::error_code ec;
    std::string text = std::filesystem::absolute(folder, ec).lexically_normal().string();
    if (ec) text = folder;
    if (text.empty() || text.back() != '/') text += '/';
    return text;
}
} // namespace

std::string GetDataDirectory() {
    const std::string chosen = Variable(DATA_DIRECTORY_VARIABLE);
    if (!chosen.empty()) return WithSlash(chosen);
    // A relative XDG_DATA_HOME is invalid and ignored.
    const std::string xdg = Variable("XDG_DATA_HOME");
    if (!xdg.empty() && xdg[0] == '/') return WithSlash(xdg + "/picreel");
    return WithSlash(HomeFolder() + "/.local/share/picreel");
}

bool CreateDataDirectory(const std::string& folder) {
    // Every folder made on the way is the user's alone, as the data folders' base should be;
    // those already there (the root among them) are left as they are.
    std::filesystem::path made;
    for (const std::filesystem::path& part : std::filesystem::path(folder)) {
        made /= part;
        ::mkdir(made.c_str(), 0700);
    }
    std::error_code ec;
    return std::filesystem::is_directory(folder, ec);
}
