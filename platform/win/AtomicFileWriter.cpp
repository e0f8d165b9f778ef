#include "platform/win/AtomicFileWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <vector>

namespace {

// The process umask without changing it (umask() itself is not thread-safe to query).
mode_t CurrentUmask() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Umask:", 0) == 0) return static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8));
    }
    return 022;
}

} // namespace

CAtomicFileWriter::~CAtomicFileWriter() { Discard(); }

void CAtomicFileWriter::Discard() {
    const int saved = errno;
    m_file.reset();
    if (!m_temp.empty()) ::unlink(m_temp.c_str());
    m_temp.clear();
    errno = saved;
}

bool CAtomicFileWriter::Open(const std::string& target, Existing existing, int newMode) {
    Discard();
    if (target.empty()) {
        errno = ENOENT;
        return false;
    }
    m_target = target;
    mode_t mode = newMode == kUmaskMode ? (0666 & ~CurrentUmask()) : static_cast<mode_t>(newMode);
    struct stat st {};
    if (existing == Existing::KeepModeFollowLink && ::stat(target.c_str(), &st) == 0) {
        // What could not be opened for writing is not replaced either.
        if (S_ISDIR(st.st_mode)) {
            errno = EISDIR;
            return false;
        }
        if (::access(target.c_str(), W_OK) != 0) return false;
        char resolved[PATH_MAX];
        if (::realpath(target.c_str(), resolved)) m_target = resolved;
        mode = st.st_mode & 07777;
    }

    const std::string::size_type slash = m_target.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : m_target.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? m_target : m_target.substr(slash + 1);
    std::string tmpl = folder + "." + base + ".tmpXXXXXX";
    const int fd = ::mkstemp(tmpl.data());
    if (fd < 0) return false;
    m_temp = tmpl;
    FILE* file = ::fdopen(fd, "wb");
    if (!file) {
        ::close(fd);
        Discard();
        return false;
    }
    m_file.reset(file);
    ::fchmod(fd, mode);
    return true;
}

bool CAtomicFileWriter::Write(const void* data, size_t size) {
    return m_file && (size == 0 || std::fwrite(data, 1, size, m_file.get()) == size);
}

bool CAtomicFileWriter::Commit() {
    if (!m_file) return false;
    FILE* file = m_file.release();
    bool ok = std::fflush(file) == 0 && std::ferror(file) == 0;
    // File systems that cannot sync still hold the data once it is closed.
    ok = (::fsync(fileno(file)) == 0 || errno == EINVAL || errno == EROFS) && ok;
    ok = std::fclose(file) == 0 && ok;
    ok = ok && ::rename(m_temp.c_str(), m_target.c_str()) == 0;
    if (ok) m_temp.clear();
    Discard();
    return ok;
}
