#include "platform/win/FileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>

namespace {

// Restores errno on leaving a scope, so clean-up does not hide the first failure's reason.
class KeepErrno {
public:
    KeepErrno() : m_saved(errno) {}
    ~KeepErrno() { errno = m_saved; }
    KeepErrno(const KeepErrno&) = delete;
    KeepErrno& operator=(const KeepErrno&) = delete;

private:
    int m_saved;
};

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor() {
        if (m_fd >= 0) {
            KeepErrno keep;
            ::close(m_fd);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int Get() const { return m_fd; }
    // Closes now, reporting a failed close (delayed write errors show up here).
    bool Close() {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

bool LExists(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

void RemoveTree(const std::string& path) {
    KeepErrno keep;
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
}

bool SetTimes(int dirFd, const char* path, const struct stat& st, int flags) {
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    return ::utimensat(dirFd, path, times, flags) == 0;
}

bool WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// Copies a regular file's contents, permissions and times into an already created file.
bool CopyFileInto(const std::string& from, const struct stat& st, FileDescriptor& out) {
    FileDescriptor in(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
    if (in.Get() < 0) return false;
    std::unique_ptr<char[]> buffer(new char[1 << 16]);
    for (;;) {
        const ssize_t n = ::read(in.Get(), buffer.get(), 1 << 16);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) break;
        if (!WriteAll(out.Get(), buffer.get(), static_cast<size_t>(n))) return false;
    }
    if (::fchmod(out.Get(), st.st_mode & 07777) != 0) return false;
    // The source goes away after this copy, so the data must be on disk first.
    if (::fsync(out.Get()) != 0) return false;
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    if (::futimens(out.Get(), times) != 0) return false;
    return out.Close();
}

bool CopyTree(const std::string& from, const std::string& to);

// Copies a folder's entries into an existing, empty folder.
bool CopyFolderInto(const std::string& from, const struct stat& st, const std::string& to) {
    {
        std::unique_ptr<DIR, DirCloser> dir(::opendir(from.c_str()));
        if (!dir) return false;
        for (;;) {
            errno = 0;
            const dirent* entry = ::readdir(dir.get());
            if (!entry) {
                if (errno != 0) return false;
                break;
            }
            const std::string name = entry->d_name;
            if (name == "." || name == "..") continue;
            if (!CopyTree(from + "/" + name, to + "/" + name)) return false;
        }
    }
    // Times last: creating the entries changed them.
    if (::chmod(to.c_str(), st.st_mode & 07777) != 0) return false;
    return SetTimes(AT_FDCWD, to.c_str(), st, 0);
}

// Copies one entry of a tree to a path that does not exist yet.
bool CopyTree(const std::string& from, const std::string& to) {
    struct stat st;
    if (::lstat(from.c_str(), &st) != 0) return false;
    if (S_ISREG(st.st_mode)) {
        FileDescriptor out(::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        return out.Get() >= 0 && CopyFileInto(from, st, out);
    }
    if (S_ISDIR(st.st_mode)) {
        if (::mkdir(to.c_str(), 0700) != 0) return false;
        return CopyFolderInto(from, st, to);
    }
    if (S_ISLNK(st.st_mode)) {
        std::string target(static_cast<size_t>(st.st_size) + 1, '\0');
        const ssize_t n = ::readlink(from.c_str(), target.data(), target.size());
        if (n < 0 || static_cast<size_t>(n) >= target.size()) {
            if (n >= 0) errno = EIO; // the link changed while being read
            return false;
        }
        target.resize(static_cast<size_t>(n));
        if (::symlink(target.c_str(), to.c_str()) != 0) return false;
        SetTimes(AT_FDCWD, to.c_str(), st, AT_SYMLINK_NOFOLLOW); // best effort: not every file system keeps them
        return true;
    }
    errno = ENOTSUP;
    return false;
}

// The folder part of a path ("." when there is none) and its last name.
void SplitPath(const std::string& path, std::string& folder, std::string& name) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        folder = ".";
        name = path;
    } else {
        folder = slash == 0 ? "/" : path.substr(0, slash);
        name = path.substr(slash + 1);
    }
}

// A rename that refuses to replace an existing target.
int RenameNoReplace(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return -1;
    // The file system cannot rename without replacing: check first instead.
    if (LExists(to)) {
        errno = EEXIST;
        return -1;
    }
    return ::rename(from.c_str(), to.c_str());
}

// Windows wildcards know only '*' and '?': everything else must match itself.
std::string EscapeForFnmatch(const std::string& pattern) {
    std::string escaped;
    for (char c : pattern) {
        if (c == '[' || c == ']' || c == '\\') escaped += '\\';
        escaped += c;
    }
    return escaped;
}

bool WildcardMatch(const std::string& pattern, const std::string& name) {
    if (::fnmatch(EscapeForFnmatch(pattern).c_str(), name.c_str(), FNM_CASEFOLD) == 0) return true;
    const size_t n = pattern.size();
    if (n >= 2 && pattern.compare(n - 2, 2, ".*") == 0 && name.find('.') == std::string::npos)
        return ::fnmatch(EscapeForFnmatch(pattern.substr(0, n - 2)).c_str(), name.c_str(), FNM_CASEFOLD) == 0;
    return false;
}

} // namespace

bool FileExists(const std::string& path) {
    struct stat st;
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool FolderExists(const std::string& path) {
    struct stat st;
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsRegularFile(const std::string& path) {
    struct stat st;
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool CreateFolder(const std::string& path) {
    if (path.empty()) {
        errno = ENOENT;
        return false;
    }
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    if (FolderExists(path)) return true;
    if (ec) errno = ec.value();
    return false;
}

bool CreateEmptyFile(const std::string& path) {
    FileDescriptor fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    return fd.Get() >= 0 && fd.Close();
}

bool DeleteFile(const std::string& path) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0) return false;
    if (S_ISDIR(st.st_mode)) {
        errno = EISDIR;
        return false;
    }
    return ::unlink(path.c_str()) == 0;
}

bool MoveFile(const std::string& from, const std::string& to, bool replaceExisting) {
    if (from.empty() || to.empty()) {
        errno = ENOENT;
        return false;
    }
    const int result = replaceExisting ? ::rename(from.c_str(), to.c_str()) : RenameNoReplace(from, to);
    if (result == 0) return true;
    if (errno != EXDEV) return false;
    return MoveByCopy(from, to, replaceExisting);
}

bool MoveByCopy(const std::string& from, const std::string& to, bool replaceExisting) {
    struct stat st;
    if (from.empty() || to.empty() || ::lstat(from.c_str(), &st) != 0) {
        if (from.empty() || to.empty()) errno = ENOENT;
        return false;
    }
    struct stat target;
    if (::lstat(to.c_str(), &target) == 0) {
        if (!replaceExisting || S_ISDIR(st.st_mode) || S_ISDIR(target.st_mode)) {
            errno = S_ISDIR(target.st_mode) && replaceExisting ? EISDIR : EEXIST;
            return false;
        }
    }

    // Copy into a hidden work folder beside the target, so that the last step is a rename
    // within one file system.
    std::string folder, name;
    SplitPath(to, folder, name);
    std::string work = folder + "/." + name + ".moving-XXXXXX";
    if (!::mkdtemp(work.data())) return false;
    const std::string copy = work + "/copy";
    const bool placed = CopyTree(from, copy) &&
                        (replaceExisting ? ::rename(copy.c_str(), to.c_str()) : RenameNoReplace(copy, to)) == 0;
    RemoveTree(work);
    if (!placed) return false;
    // The copy is complete and in place; a source that will not go away entirely is left as it is.
    RemoveTree(from);
    return true;
}

bool GetFileStatus(const std::string& path, uint64_t& size, std::time_t& mtime) {
    struct stat st;
    if (path.empty() || ::stat(path.c_str(), &st) != 0) return false;
    size = S_ISDIR(st.st_mode) ? 0 : static_cast<uint64_t>(st.st_size);
    mtime = st.st_mtime;
    return true;
}

std::vector<FoundFile> FindFiles(const std::string& pattern, bool includeFolders) {
    std::vector<FoundFile> found;
    const size_t slash = pattern.find_last_of('/');
    const std::string namePattern = slash == std::string::npos ? pattern : pattern.substr(slash + 1);
    // The folder as written ("" for the current one), so returned paths keep the caller's form.
    const std::string prefix = slash == std::string::npos ? std::string() : pattern.substr(0, slash + 1);
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : pattern.substr(0, slash);
    if (namePattern.empty()) return found;

    std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.c_str()));
    if (!dir) return found;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name == "." || name == ".." || !WildcardMatch(namePattern, name)) continue;
        FoundFile file;
        file.name = name;
        file.path = prefix + name;
        struct stat st;
        file.isFolder = ::stat(file.path.empty() ? name.c_str() : file.path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
        if (file.isFolder && !includeFolders) continue;
        found.push_back(std::move(file));
    }
    std::sort(found.begin(), found.end(), [](const FoundFile& a, const FoundFile& b) { return a.name < b.name; });
    return found;
}
