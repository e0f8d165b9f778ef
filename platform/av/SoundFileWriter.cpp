#include "platform/av/SoundFileWriter.h"

#include "platform/av/FfmpegPtr.h"
#include "platform/av/Mp2FileWriter.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/samplefmt.h>
}

#include <algorithm>

namespace {

bool Drain(AVCodecContext* enc, AVFormatContext* fmt, AVStream* stream, AVPacket* pkt) {
    for (;;) {
        const int rc = avcodec_receive_packet(enc, pkt);
        if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) return true;
        if (rc < 0) return false;
        pkt->stream_index = stream->index;
        av_packet_rescale_ts(pkt, enc->time_base, stream->time_base);
        if (av_interleaved_write_frame(fmt, pkt) < 0) return false;
    }
}

}  // namespace

bool SoundFileWriter::WriteMp3(const std::string& path, const std::vector<float>& left, const std::vector<float>& right,
                               int sampleRate, int64_t bitRate) {
    if (left.size() != right.size() || sampleRate <= 0) return false;
    const AVCodec* codec = avcodec_find_encoder_by_name("libmp3lame");
    if (!codec) return false;
    AVFormatContext* raw = nullptr;
    if (avformat_alloc_output_context2(&raw, nullptr, "mp3", path.c_str()) < 0) return false;
    AvOutputPtr fmt(raw);
    AvCodecContextPtr enc(avcodec_alloc_context3(codec));
    AvPacketPtr pkt(av_packet_alloc());
    AvFramePtr frame(av_frame_alloc());
    if (!enc || !pkt || !frame) return false;
    enc->sample_fmt = AV_SAMPLE_FMT_FLTP;
    enc->sample_rate = sampleRate;
    av_channel_layout_default(&enc->ch_layout, 2);
    enc->bit_rate = bitRate;
    enc->time_base = AVRational{1, sampleRate};
    if (avcodec_open2(enc.get(), codec, nullptr) < 0) return false;
    AVStream* stream = avformat_new_stream(fmt.get(), nullptr);
    if (!stream || avcodec_parameters_from_context(stream->codecpar, enc.get()) < 0) return false;
    stream->time_base = enc->time_base;
    if (avio_open(&fmt->pb, path.c_str(), AVIO_FLAG_WRITE) < 0) return false;
    if (avformat_write_header(fmt.get(), nullptr) < 0) return false;

    const int frameSize = enc->frame_size;
    frame->format = AV_SAMPLE_FMT_FLTP;
    frame->sample_rate = sampleRate;
    av_channel_layout_default(&frame->ch_layout, 2);
    frame->nb_samples = frameSize;
    if (av_frame_get_buffer(frame.get(), 0) < 0) return false;
    const size_t total = left.size();
    for (size_t pos = 0; pos < total; pos += static_cast<size_t>(frameSize)) {
        if (av_frame_make_writable(frame.get()) < 0) return false;
        const int n = static_cast<int>(std::min<size_t>(static_cast<size_t>(frameSize), total - pos));
        float* l = reinterpret_cast<float*>(frame->data[0]);
        float* r = reinterpret_cast<float*>(frame->data[1]);
        std::copy_n(left.begin() + static_cast<std::ptrdiff_t>(pos), n, l);
        std::copy_n(right.begin() + static_cast<std::ptrdiff_t>(pos), n, r);
        frame->nb_samples = n;
        frame->pts = static_cast<int64_t>(pos);
        if (avcodec_send_frame(enc.get(), frame.get()) < 0) return false;
        if (!Drain(enc.get(), fmt.get(), stream, pkt.get())) return false;
    }
    if (avcodec_send_frame(enc.get(), nullptr) < 0 || !Drain(enc.get(), fmt.get(), stream, pkt.get())) return false;
    if (av_write_trailer(fmt.get()) < 0) return false;
    avio_flush(fmt->pb);
    return fmt->pb->error == 0 && avio_closep(&fmt->pb) == 0;
}

bool SoundFileWriter::WriteSilentMp2(const std::string& path, int seconds) {
    if (seconds < 0) return false;
    Mp2FileWriter writer;
    if (!writer.Open(path)) return false;
    AvFramePtr frame(av_frame_alloc());
    if (!frame) return false;
    frame->format = Mp2FileWriter::kSampleFormat;
    frame->sample_rate = Mp2FileWriter::kSampleRate;
    av_channel_layout_default(&frame->ch_layout, Mp2FileWriter::kChannels);
    frame->nb_samples = writer.FrameSize();
    if (av_frame_get_buffer(frame.get(), 0) < 0) return false;
    const int64_t total = static_cast<int64_t>(seconds) * Mp2FileWriter::kSampleRate;
    for (int64_t pos = 0; pos < total; pos += writer.FrameSize()) {
        if (av_frame_make_writable(frame.get()) < 0) return false;
        const int n = static_cast<int>(std::min<int64_t>(writer.FrameSize(), total - pos));
        av_samples_set_silence(frame->data, 0, n, Mp2FileWriter::kChannels, Mp2FileWriter::kSampleFormat);
        frame->nb_samples = n;
        if (!writer.Write(frame.get())) return false;
    }
    return writer.Finish();
}
