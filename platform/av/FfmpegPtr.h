// Owning holders for FFmpeg objects, so every early return releases what was made, and the ways
// the audio code makes the ones it shares.
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/frame.h>
#include <libswresample/swresample.h>
}

#include <memory>
#include <string>

struct AvInputCloser {
    void operator()(AVFormatContext* ctx) const { avformat_close_input(&ctx); }
};
struct AvCodecContextFreer {
    void operator()(AVCodecContext* ctx) const { avcodec_free_context(&ctx); }
};
struct AvFrameFreer {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct AvPacketFreer {
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct SwrFreer {
    void operator()(SwrContext* swr) const { swr_free(&swr); }
};
struct AvAudioFifoFreer {
    void operator()(AVAudioFifo* fifo) const { av_audio_fifo_free(fifo); }
};

using AvInputPtr = std::unique_ptr<AVFormatContext, AvInputCloser>;
using AvCodecContextPtr = std::unique_ptr<AVCodecContext, AvCodecContextFreer>;
using AvFramePtr = std::unique_ptr<AVFrame, AvFrameFreer>;
using AvPacketPtr = std::unique_ptr<AVPacket, AvPacketFreer>;
using SwrPtr = std::unique_ptr<SwrContext, SwrFreer>;
using AvAudioFifoPtr = std::unique_ptr<AVAudioFifo, AvAudioFifoFreer>;

// An output container: closes its file (when the format has one) before freeing the context.
struct AvOutputFreer {
    void operator()(AVFormatContext* ctx) const {
        if (ctx->oformat && !(ctx->oformat->flags & AVFMT_NOFILE)) avio_closep(&ctx->pb);
        avformat_free_context(ctx);
    }
};
using AvOutputPtr = std::unique_ptr<AVFormatContext, AvOutputFreer>;

// A frame with buffers for `capacity` samples of the given audio format; null when out of memory.
AvFramePtr MakeAudioFrame(AVSampleFormat format, int sampleRate, int channels, int capacity);

// Opens a media file with its stream information read; null when FFmpeg cannot read it, with
// FFmpeg's error code in *error when given.
AvInputPtr OpenAvInput(const std::string& path, int* error = nullptr);

// FFmpeg's words for an error code ("No such file or directory", "Invalid data found when
// processing input", ...).
std::string AvErrorText(int error);

// An opened decoder for the best audio stream of `input`, whose index goes to `stream`; null when
// there is no audio stream or it cannot be decoded.
AvCodecContextPtr OpenAudioDecoder(AVFormatContext* input, int& stream);
