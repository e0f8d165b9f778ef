// Converts one music file into an MP2 file of the shared format, watching a stop event.
#pragma once

#include "platform/win/StopEventC.h"

#include <cstdint>
#include <string>

class Mp2Converter {
public:
    // Returns one of the XTOMP2_* results; on a failure (not a stop) `reason`, when given, says
    // which step failed and why.
    static int32_t Convert(const std::string& src, const std::string& dst, const StopEventC* stop,
                           std::string* reason = nullptr);

    // Whole seconds of audio in the file; 0 when it cannot be read or holds no audio.
    static int32_t DurationSeconds(const std::string& path);
};
