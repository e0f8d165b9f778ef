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

AvInputPtr OpenAvInput(const std::string& path, int* error) {
    AVFormatContext* raw = nullptr;
    int rc = avformat_open_input(&raw, path.c_str(), nullptr, nullptr);
    if (rc >= 0) {
        AvInputPtr input(raw);
        rc = avformat_find_stream_info(raw, nullptr);
        if (rc >= 0) return input;
    }
    if (error) *error = rc;
    return nullptr;
}

std::string AvErrorText(int error) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    if (av_strerror(error, text, sizeof text) < 0) return "error " + std::to_string(error);
    return text;
}

AvCodecContextPtr OpenAudioDecoder(AVFormatContext* input, int& stream) {
    const AVCodec* codec = nullptr;
    stream = av_find_best_stream(input, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    if (stream < 0 || !codec) return nullptr;
    AvCodecContextPtr decoder(avcodec_alloc_context3(codec));
    if (!decoder) return nullptr;
    if (avcodec_parameters_to_context(decoder.get(), input->streams[stream]->codecpar) < 0) return nullptr;
    if (avcodec_open2(decoder.get(), codec, nullptr) < 0) return nullptr;
    return decoder;
}
