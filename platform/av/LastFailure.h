// The last failure of a run-time library's entries, kept for the entry that hands it to the
// program: its result code and its reason. Safe to use from any thread.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>

class LastFailure {
public:
    // Keeps code and reason; code 0 (success) keeps no reason.
    void Record(int32_t code, const std::string& reason);
    // Copies the reason into text (cut to size - 1 bytes, always terminated) and returns the code.
    int32_t CopyOut(char* text, int32_t size) const;

private:
    mutable std::mutex m_mutex;
    int32_t m_code = 0;
    std::string m_reason;
};
