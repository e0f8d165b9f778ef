#include "app/CInterruptWatcher.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace {
constexpr char kSignalByte = 's';
constexpr char kQuitByte = 'q';
} // namespace

std::atomic<int> CInterruptWatcher::s_writeFd{-1};

CInterruptWatcher::CInterruptWatcher(std::function<void()> onInterrupt) : m_onInterrupt(std::move(onInterrupt)) {
    if (::pipe2(m_pipe, O_CLOEXEC) != 0)
        return;
    // The handler must never block on a full pipe.
    ::fcntl(m_pipe[1], F_SETFL, ::fcntl(m_pipe[1], F_GETFL) | O_NONBLOCK);
    s_writeFd = m_pipe[1];
    m_thread = std::thread([this] { Watch(); });

    struct sigaction action {};
    action.sa_handler = &CInterruptWatcher::OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, &m_oldInt);
    ::sigaction(SIGTERM, &action, &m_oldTerm);
    m_active = true;
}

CInterruptWatcher::~CInterruptWatcher() {
    if (m_active) {
        ::sigaction(SIGINT, &m_oldInt, nullptr);
        ::sigaction(SIGTERM, &m_oldTerm, nullptr);
    }
    s_writeFd = -1;
    if (m_thread.joinable()) {
        const char quit = kQuitByte;
        while (::write(m_pipe[1], &quit, 1) < 0 && errno == EINTR) {
        }
        m_thread.join();
    }
    for (int fd : m_pipe)
        if (fd >= 0)
            ::close(fd);
}

void CInterruptWatcher::OnSignal(int) {
    const int savedErrno = errno;
    const int fd = s_writeFd.load();
    if (fd >= 0) {
        const char byte = kSignalByte;
        [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
    }
    errno = savedErrno;
}

void CInterruptWatcher::Watch() {
    for (;;) {
        char byte = 0;
        const ssize_t got = ::read(m_pipe[0], &byte, 1);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0 || byte == kQuitByte)
            return;
        if (m_onInterrupt)
            m_onInterrupt();
    }
}
