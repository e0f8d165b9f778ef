// The audio stream of an output file: the music decoded, converted to the codec's format, encoded
// in step with the pictures and cut at the video's length. Without usable music it carries silence,
// and after the music ends silence fills up to the video's end.
#pragma once

#include "platform/av/AudioFileReader.h"
#include "platform/av/FfmpegPtr.h"
#include "platform/encoder/AmrNbEncoder.h"
#include "platform/encoder/EncoderSettings.h"

#include <cstdint>
#include <functional>

class AudioTrack {
public:
    // Writes one finished packet into the container; returns an ENCODER_* code.
    using PacketSink = std::function<int32_t(AVPacket*)>;

    AudioTrack() = default;
    AudioTrack(const AudioTrack&) = delete;
    AudioTrack& operator=(const AudioTrack&) = delete;

    // Sets up the encoder and adds the stream to `output` (before its header is written).
    int32_t Create(AVFormatContext* output, const EncoderSettings& settings);

    int SampleRate() const { return m_sampleRate; }

    // Encodes the audio up to `endSample` samples from the start: whole codec frames only, unless
    // `final`, which also encodes the remainder and drains the encoder.
    int32_t EncodeUntil(int64_t endSample, bool final, const PacketSink& sink);

private:
    int32_t CreateFfmpegEncoder(AVFormatContext* output, const EncoderSettings& settings);
    int32_t CreateAmrEncoder(const EncoderSettings& settings);
    // Fills the work frame with `count` samples of music, silence after its end, padded with silence
    // up to `padTo` samples.
    bool NextFrame(int count, int padTo);
    int32_t Encode(AVFrame* frame, const PacketSink& sink);
    int32_t EncodeAmr(const AVFrame* frame, const PacketSink& sink);
    int32_t Deliver(AVPacket* packet, AVRational from, const PacketSink& sink);

    AvCodecContextPtr m_encoder;
    AmrNbEncoder m_amr;
    AVStream* m_stream = nullptr;
    AudioFileReader m_reader;
    bool m_hasMusic = false;
    AvFramePtr m_frame;
    AvPacketPtr m_packet;
    int m_frameSize = 0;
    bool m_smallLastFrame = false;
    int m_sampleRate = 0;
    int m_channels = 0;
    AVSampleFormat m_sampleFormat = AV_SAMPLE_FMT_S16;
    int64_t m_samplesSent = 0;
    // Added to packet times, in samples (see Create).
    int64_t m_ptsShift = 0;
    bool m_drained = false;
};
