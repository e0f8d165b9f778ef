#include "platform/audioconv/Mp2Converter.h"

#include "platform/audioconv/AudioConvApi.h"
#include "platform/av/AudioFileReader.h"
#include "platform/av/Mp2FileWriter.h"

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

namespace {

std::string TemporaryNameFor(const std::string& dst) {
    static std::atomic<unsigned> counter{0};
    return dst + ".part" + std::to_string(getpid()) + "-" + std::to_string(counter++);
}

}  // namespace

int32_t Mp2Converter::Convert(const std::string& src, const std::string& dst, const StopEventC* stop,
                              std::string* reason) {
    auto fail = [reason](int32_t code, const std::string& why) {
        if (reason) *reason = why;
        return code;
    };
    if (src.empty()) return fail(XTOMP2_ERR_INPUT, "no music file given");
    if (dst.empty()) return fail(XTOMP2_ERR_OUTPUT, "no MP2 file given");

    AudioFileReader reader;
    const AudioFileReader::Format format{Mp2FileWriter::kSampleRate, Mp2FileWriter::kChannels,
                                         Mp2FileWriter::kSampleFormat};
    if (!reader.Open(src, format)) return fail(XTOMP2_ERR_INPUT, reader.LastError());
    if (StopEventIsSet(stop)) return XTOMP2_STOPPED;

    const std::string temp = TemporaryNameFor(dst);
    Mp2FileWriter writer;
    // Only a file that cannot be created leaves the encoder set up.
    if (!writer.Open(temp))
        return fail(writer.FrameSize() > 0 ? XTOMP2_ERR_OUTPUT : XTOMP2_ERR_ENCODER, writer.LastError());
    AvFramePtr frame = reader.MakeFrame(writer.FrameSize());
    if (!frame) return fail(XTOMP2_ERR_OUTPUT, "out of memory");

    // What the writer cannot say is the encoder's doing.
    auto writeFailed = [&] {
        return fail(XTOMP2_ERR_OUTPUT,
                    writer.LastError().empty() ? "cannot encode MP2 into '" + temp + "'" : writer.LastError());
    };
    for (;;) {
        if (StopEventIsSet(stop)) return XTOMP2_STOPPED;  // the writer removes its file
        const int n = reader.Read(frame.get(), writer.FrameSize());
        if (n < 0) return fail(XTOMP2_ERR_INPUT, reader.LastError());
        if (n == 0) break;
        if (!writer.Write(frame.get())) return writeFailed();
    }
    // A file that opens but never yields a sample is not music.
    if (reader.SamplesRead() == 0) return fail(XTOMP2_ERR_INPUT, "'" + src + "' holds no sound");
    if (!writer.Finish()) return writeFailed();
    if (std::rename(temp.c_str(), dst.c_str()) != 0) {
        const std::string why = std::strerror(errno);
        std::remove(temp.c_str());
        return fail(XTOMP2_ERR_OUTPUT, "cannot rename '" + temp + "' to '" + dst + "': " + why);
    }
    return XTOMP2_OK;
}

int32_t Mp2Converter::DurationSeconds(const std::string& path) {
    if (path.empty()) return 0;
    const AvInputPtr input = OpenAvInput(path);
    if (!input) return 0;
    const int stream = av_find_best_stream(input.get(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (stream < 0) return 0;

    int64_t micros = input->duration;
    if (micros == AV_NOPTS_VALUE || micros < 0) {
        // No length in the headers: add up the packets of the audio stream.
        AvPacketPtr packet(av_packet_alloc());
        if (!packet) return 0;
        int64_t total = 0;
        const AVRational tb = input->streams[stream]->time_base;
        while (av_read_frame(input.get(), packet.get()) >= 0) {
            if (packet->stream_index == stream && packet->duration > 0) total += packet->duration;
            av_packet_unref(packet.get());
        }
        micros = av_rescale_q(total, tb, AVRational{1, AV_TIME_BASE});
    }
    const int64_t seconds = micros / AV_TIME_BASE;
    return seconds > INT32_MAX ? INT32_MAX : static_cast<int32_t>(seconds);
}
