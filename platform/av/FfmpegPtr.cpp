#include "platform/av/FfmpegPtr.h"

extern "C" {
#include <libavutil/channel_layout.h>
}

AvFramePtr MakeAudioFrame(AVSampleFormat format, int sampleRate, int channels, int capacity) {
    AvFramePtr frame(av_frame_alloc());
    if (!frame) return frame;
    frame->format = format;
    frame->sample_rate = sampleRate;
    av_channel_layout_default(&frame->ch_layout, channels);
    frame->nb_samples = capacity;
    if (av_frame_get_buffer(frame.get(), 0) < 0) frame.reset();
    return frame;
}
