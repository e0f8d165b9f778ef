#include "platform/av/FfmpegLog.h"

extern "C" {
#include <libavutil/log.h>
}

void QuietFfmpegLogging() {
    av_log_set_level(AV_LOG_ERROR);
}
