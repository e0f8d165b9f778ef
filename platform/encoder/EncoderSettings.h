// What initEncoder's texts mean: sizes, codecs, bit rates, sample format and frame rate, checked.
#pragma once

extern "C" {
#include <libavutil/rational.h>
}

#include <cstdint>
#include <optional>
#include <string>

enum class VideoCodecKind { Xvid, Mpeg4, H263 };
enum class AudioCodecKind { Aac, Mp3, AmrNb };

struct EncoderSettings {
    int32_t width = 0;
    int32_t height = 0;
    std::string outputFile;
    std::string audioFile;
    AudioCodecKind audioCodec = AudioCodecKind::Aac;
    int64_t audioBitRate = 0;
    int32_t sampleRate = 0;
    int32_t channels = 0;
    VideoCodecKind videoCodec = VideoCodecKind::Xvid;
    int64_t videoBitRate = 0;
    AVRational frameRate{0, 1};

    // Result is an ENCODER_* code; `out` is filled on ENCODER_OK, `reason` (when given) says
    // which text is not usable otherwise.
    static int32_t Parse(int32_t width, int32_t height, const char* outputFile, const char* audioFile,
                         const char* audioCodec, const char* audioBitRate, const char* audioSampleRate,
                         const char* audioChannels, const char* videoCodec, const char* videoBitRate,
                         const char* frameSize, const char* frameRate, EncoderSettings& out,
                         std::string* reason = nullptr);

    // "800kb", "128k", "12.2k", "1.5mb", "64000" (bits per second); nullopt when not a positive rate.
    static std::optional<int64_t> ParseBitRate(const std::string& text);
    // "29.97" -> 30000/1001, "25" -> 25/1, "12.5" -> 25/2; nullopt when not a usable rate.
    static std::optional<AVRational> ParseFrameRate(const std::string& text);
    static std::optional<VideoCodecKind> ParseVideoCodec(const std::string& name);
    static std::optional<AudioCodecKind> ParseAudioCodec(const std::string& name);
};
