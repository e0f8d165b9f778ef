#include "platform/audioconv/AudioConvApi.h"

#include "platform/audioconv/Mp2Converter.h"

#include <exception>

// No exception may cross the C boundary into the program.
extern "C" __attribute__((visibility("default"))) int32_t xToMp2(const char* src, const char* dst,
                                                                 const StopEventC* stop) {
    if (!src || !dst) return XTOMP2_ERR_INPUT;
    try {
        return Mp2Converter::Convert(src, dst, stop);
    } catch (const std::exception&) {
        return XTOMP2_ERR_OUTPUT;
    }
}

extern "C" __attribute__((visibility("default"))) int32_t GetFileTimeLength(const char* path) {
    if (!path) return 0;
    try {
        return Mp2Converter::DurationSeconds(path);
    } catch (const std::exception&) {
        return 0;
    }
}
