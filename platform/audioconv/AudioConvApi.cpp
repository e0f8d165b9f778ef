#include "platform/audioconv/AudioConvApi.h"

#include "platform/audioconv/Mp2Converter.h"
#include "platform/av/LastFailure.h"

#include <exception>
#include <string>

#define AUDIOCONV_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

// The last conversion's failure.
LastFailure g_failure;

int32_t Remember(int32_t code, const std::string& reason) {
    // A stop is no failure; it leaves the last one as it was.
    if (code != XTOMP2_STOPPED) g_failure.Record(code, reason);
    return code;
}

}  // namespace

// No exception may cross the C boundary into the program.
AUDIOCONV_EXPORT int32_t xToMp2(const char* src, const char* dst, const StopEventC* stop) {
    if (!src || !dst) return Remember(XTOMP2_ERR_INPUT, "no music file or no MP2 file given");
    std::string reason;
    try {
        const int32_t rc = Mp2Converter::Convert(src, dst, stop, &reason);
        return Remember(rc, reason);
    } catch (const std::exception& e) {
        return Remember(XTOMP2_ERR_OUTPUT, std::string("cannot convert '") + src + "': " + e.what());
    }
}

AUDIOCONV_EXPORT int32_t GetFileTimeLength(const char* path) {
    if (!path) return 0;
    try {
        return Mp2Converter::DurationSeconds(path);
    } catch (const std::exception&) {
        return 0;
    }
}

AUDIOCONV_EXPORT int32_t getConvertError(char* text, int32_t size) {
    return g_failure.CopyOut(text, size);
}
