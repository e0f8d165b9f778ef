// Decodes the first audio stream of any file FFmpeg reads and hands out its samples converted to one
// fixed format (rate, channel count, sample format), in chunks of any size.
#pragma once

#include "platform/av/FfmpegPtr.h"

#include <cstdint>
#include <string>

class AudioFileReader {
public:
    struct Format {
        int sampleRate = 44100;
        int channels = 2;
        AVSampleFormat sampleFormat = AV_SAMPLE_FMT_S16;
    };

    AudioFileReader() = default;
    ~AudioFileReader();
    AudioFileReader(const AudioFileReader&) = delete;
    AudioFileReader& operator=(const AudioFileReader&) = delete;

    // False when the file cannot be opened or has no audio stream that can be decoded.
    bool Open(const std::string& path, const Format& target);
    // Why Open or Read failed, with FFmpeg's or the system's words.
    const std::string& LastError() const { return m_error; }

    // Allocates a frame of the target format able to hold `capacity` samples.
    AvFramePtr MakeFrame(int capacity) const;

    // Fills `frame` (made by MakeFrame) with up to `count` samples and sets its nb_samples.
    // Returns the number of samples given, 0 once the audio has ended, -1 on a read failure.
    int Read(AVFrame* frame, int count);

    // Samples handed out so far.
    int64_t SamplesRead() const { return m_samplesRead; }

private:
    bool DecodeMore();
    bool ConvertFrame(const AVFrame* decoded);
    bool FlushConverter();
    bool ConfigureConverter(const AVFrame* decoded);
    bool PushConverted(const uint8_t** input, int inputSamples);

    Format m_target;
    std::string m_path;
    std::string m_error;
    AvInputPtr m_input;
    AvCodecContextPtr m_decoder;
    SwrPtr m_swr;
    AvAudioFifoPtr m_fifo;
    AvPacketPtr m_packet;
    AvFramePtr m_decoded;
    AvFramePtr m_scratch;
    int m_streamIndex = -1;
    // Input format the converter is set up for; rebuilt when the stream changes mid-file.
    int m_swrRate = 0;
    int m_swrFormat = -1;
    AVChannelLayout m_swrLayout{};
    static constexpr int kMaxDecodeErrors = 1000;
    int m_decodeErrors = 0;
    bool m_demuxEnded = false;
    bool m_decoderDrained = false;
    int64_t m_samplesRead = 0;
};
