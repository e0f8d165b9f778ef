#include "platform/encoder/EncoderSettings.h"

#include "platform/encoder/EncoderApi.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace {

constexpr int32_t kMaxDimension = 4096;

std::string Trimmed(const char* text) {
    if (!text) return {};
    std::string s(text);
    const auto notSpace = [](unsigned char c) { return !std::isspace(c); };
    s.erase(s.begin(), std::find_if(s.begin(), s.end(), notSpace));
    s.erase(std::find_if(s.rbegin(), s.rend(), notSpace).base(), s.end());
    return s;
}

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// A whole decimal number making up all of `text`.
std::optional<int32_t> ParseInt(const std::string& text) {
    int32_t value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end || text.empty()) return std::nullopt;
    return value;
}

// A plain decimal number ("29.97", "12.2") at the start of `text`; `rest` gets what follows.
std::optional<double> ParseDecimal(const std::string& text, std::string& rest) {
    size_t i = 0;
    bool digits = false;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) ++i, digits = true;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) ++i, digits = true;
    }
    if (!digits) return std::nullopt;
    rest = text.substr(i);
    return std::strtod(text.substr(0, i).c_str(), nullptr);
}

}  // namespace

std::optional<int64_t> EncoderSettings::ParseBitRate(const std::string& text) {
    std::string rest;
    const auto value = ParseDecimal(Lower(Trimmed(text.c_str())), rest);
    if (!value) return std::nullopt;
    double scale = 1.0;
    if (rest == "k" || rest == "kb" || rest == "kbps" || rest == "kbit") {
        scale = 1000.0;
    } else if (rest == "m" || rest == "mb" || rest == "mbps" || rest == "mbit") {
        scale = 1000000.0;
    } else if (!rest.empty() && rest != "b" && rest != "bps") {
        return std::nullopt;
    }
    const double bits = std::round(*value * scale);
    if (bits < 1000.0 || bits > 100e6) return std::nullopt;
    return static_cast<int64_t>(bits);
}

std::optional<AVRational> EncoderSettings::ParseFrameRate(const std::string& text) {
    std::string rest;
    const auto value = ParseDecimal(Trimmed(text.c_str()), rest);
    if (!value || !rest.empty() || *value < 1.0 || *value > 240.0) return std::nullopt;
    const double v = *value;
    if (v == std::floor(v)) return AVRational{static_cast<int>(v), 1};
    // The television rates written as decimals ("29.97", "23.976", "59.94") are n x 1000/1001.
    const double ntsc = v * 1.001;
    if (std::fabs(ntsc - std::round(ntsc)) < 0.01) return AVRational{static_cast<int>(std::round(ntsc)) * 1000, 1001};
    const AVRational q = av_d2q(v, 100000);
    if (q.num <= 0 || q.den <= 0) return std::nullopt;
    return q;
}

std::optional<VideoCodecKind> EncoderSettings::ParseVideoCodec(const std::string& name) {
    const std::string n = Lower(Trimmed(name.c_str()));
    if (n == "libxvid" || n == "xvid") return VideoCodecKind::Xvid;
    if (n == "mpeg4") return VideoCodecKind::Mpeg4;
    if (n == "h263p" || n == "h263") return VideoCodecKind::H263;
    return std::nullopt;
}

std::optional<AudioCodecKind> EncoderSettings::ParseAudioCodec(const std::string& name) {
    const std::string n = Lower(Trimmed(name.c_str()));
    if (n == "libfaac" || n == "aac") return AudioCodecKind::Aac;
    if (n == "libmp3lame" || n == "mp3") return AudioCodecKind::Mp3;
    if (n == "libamr_nb" || n == "amr_nb" || n == "libopencore_amrnb") return AudioCodecKind::AmrNb;
    return std::nullopt;
}

int32_t EncoderSettings::Parse(int32_t width, int32_t height, const char* outputFile, const char* audioFile,
                               const char* audioCodec, const char* audioBitRate, const char* audioSampleRate,
                               const char* audioChannels, const char* videoCodec, const char* videoBitRate,
                               const char* frameSize, const char* frameRate, EncoderSettings& out,
                               std::string* reason) {
    auto refuse = [reason](int32_t code, const std::string& why) {
        if (reason) *reason = why;
        return code;
    };
    auto quoted = [](const char* text) { return std::string("'") + (text ? text : "") + "'"; };
    EncoderSettings s;
    const std::string pictureSize = std::to_string(width) + "x" + std::to_string(height);
    // Planar 4:2:0 halves both sizes for the chroma planes, so they must be even.
    if (width <= 0 || height <= 0 || width > kMaxDimension || height > kMaxDimension || width % 2 || height % 2)
        return refuse(ENCODER_ERR_ARGUMENT, "the picture size " + pictureSize + " is not an even size the encoder takes");
    s.width = width;
    s.height = height;

    const std::string size = Lower(Trimmed(frameSize));
    if (!size.empty() && size != pictureSize)
        return refuse(ENCODER_ERR_ARGUMENT, "the frame size " + quoted(frameSize) + " is not " + pictureSize);

    s.outputFile = outputFile ? outputFile : "";
    if (s.outputFile.empty()) return refuse(ENCODER_ERR_ARGUMENT, "no output file given");
    s.audioFile = audioFile ? audioFile : "";

    const auto vcodec = ParseVideoCodec(videoCodec ? videoCodec : "");
    const auto acodec = ParseAudioCodec(audioCodec ? audioCodec : "");
    if (!vcodec) return refuse(ENCODER_ERR_CODEC, "unknown video codec " + quoted(videoCodec));
    if (!acodec) return refuse(ENCODER_ERR_CODEC, "unknown audio codec " + quoted(audioCodec));
    s.videoCodec = *vcodec;
    s.audioCodec = *acodec;

    const auto vrate = ParseBitRate(videoBitRate ? videoBitRate : "");
    const auto arate = ParseBitRate(audioBitRate ? audioBitRate : "");
    const auto fps = ParseFrameRate(frameRate ? frameRate : "");
    const auto sample = ParseInt(Trimmed(audioSampleRate));
    const auto channels = ParseInt(Trimmed(audioChannels));
    if (!vrate) return refuse(ENCODER_ERR_ARGUMENT, "the video bit rate " + quoted(videoBitRate) + " is not usable");
    if (!arate) return refuse(ENCODER_ERR_ARGUMENT, "the audio bit rate " + quoted(audioBitRate) + " is not usable");
    if (!fps) return refuse(ENCODER_ERR_ARGUMENT, "the frame rate " + quoted(frameRate) + " is not usable");
    if (!sample || *sample < 8000 || *sample > 96000)
        return refuse(ENCODER_ERR_ARGUMENT, "the sample rate " + quoted(audioSampleRate) + " is not usable");
    if (!channels || *channels < 1 || *channels > 2)
        return refuse(ENCODER_ERR_ARGUMENT, "the channel count " + quoted(audioChannels) + " is not usable");
    s.videoBitRate = *vrate;
    s.audioBitRate = *arate;
    s.frameRate = *fps;
    s.sampleRate = *sample;
    s.channels = *channels;
    out = s;
    return ENCODER_OK;
}
