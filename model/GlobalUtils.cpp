#include "model/GlobalUtils.h"

#include <filesystem>
#include <string_view>
#include <system_error>

namespace fs = std::filesystem;

namespace {

struct FilterRow {
    bool open;
    bool save;
    const char* description;
    const char* patterns;
};

constexpr FilterRow kFilterRows[] = {
    {true, true, "Supported files", "*.bmp;*.gif;*.jpg;*.jpeg;*.png;*.ico;*.tif;*.tiff;*.wmf;*.emf"},
    {true, true, "BMP files", "*.bmp"},
    {true, true, "GIF files", "*.gif"},
    {true, true, "JPG files", "*.jpg;*.jpeg"},
    {true, true, "PNG files", "*.png"},
    {true, true, "TIF files", "*.tif;*.tiff"},
    {true, true, "ICON files", "*.ico"},
    {true, false, "WMF EMF files", "*.wmf;*.emf"},
};

struct ExtType {
    const char* ext;
    int type;
};

// Tested in this order.
constexpr ExtType kExtTypes[] = {
    {"bmp", 1},  {"jpg", 3},  {"jpeg", 3}, {"gif", 2}, {"png", 4}, {"ico", 5},  {"tiff", 6},
    {"tif", 6},  {"tga", 7},  {"pcx", 8},  {"wbmp", 9}, {"wmf", 10}, {"emf", 10}, {"jp2", 11},
    {"j2k", 11}, {"jpc", 12}, {"j2c", 12}, {"pgx", 13}, {"ras", 15}, {"pnm", 14}, {"pgm", 14},
    {"ppm", 14},
};

// Empties a real folder (the caller checked it is no link). Failures are skipped so that as much
// as possible goes.
void DeleteContents(const fs::path& folder) {
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec) return;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) break;
        const fs::path entry = it->path();
        std::error_code sec;
        const fs::file_status st = fs::symlink_status(entry, sec);
        if (!sec && fs::is_directory(st)) {
            DeleteContents(entry);
            fs::remove(entry, sec);
        } else {
            fs::remove(entry, sec);  // a link goes as a link
        }
    }
}

} // namespace

BOOL DeleteFolder(const std::string& path) {
    if (path.empty()) return FALSE;
    const fs::path p = fs::path(path).lexically_normal();
    if (p == p.root_path()) return FALSE;  // "/" and its spellings
    std::error_code ec;
    const fs::file_status st = fs::symlink_status(p, ec);
    if (ec || !fs::is_directory(st)) return FALSE;
    DeleteContents(p);
    if (fs::remove(p, ec) && !ec) return TRUE;
    ec.clear();
    fs::remove(p, ec);
    return FALSE;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (!folder.empty() && folder.back() == '/') return folder + name;
    return folder + "/" + name;
}

std::string GetFileName(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string GetFolderPart(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string ToLowerAscii(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string GetFileExt(const std::string& path) {
    const size_t dot = path.rfind('.');
    return dot == std::string::npos ? std::string() : path.substr(dot + 1);
}

int GetImageTypeFromExt(const std::string& ext) {
    for (const ExtType& row : kExtTypes)
        if (ext == row.ext) return row.type;
    return 0;
}

std::string BuildImageFileFilter(BOOL forOpening) {
    std::string filter;
    for (const FilterRow& row : kFilterRows) {
        if (forOpening ? !row.open : !row.save) continue;
        filter.append(row.description);
        filter.push_back('\0');
        filter.append(row.patterns);
        filter.push_back('\0');
    }
    return filter;
}

std::string FormatFileSize(int64_t size) {
    if (size <= 0) return "0KB";
    if (size <= 1024) return "1KB";
    if (size <= 1048576) return std::to_string(size >> 10) + "KB";
    if (size <= 1073741824) return std::to_string(size >> 20) + "MB";
    return std::to_string(size >> 30) + "GB";
}
