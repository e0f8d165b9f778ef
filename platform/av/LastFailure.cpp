#include "platform/av/LastFailure.h"

#include <algorithm>
#include <cstring>

void LastFailure::Record(int32_t code, const std::string& reason) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_code = code;
    m_reason = code == 0 ? std::string() : reason;
}

int32_t LastFailure::CopyOut(char* text, int32_t size) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (text && size > 0) {
        const size_t n = std::min(m_reason.size(), static_cast<size_t>(size) - 1);
        std::memcpy(text, m_reason.data(), n);
        text[n] = '\0';
    }
    return m_code;
}
