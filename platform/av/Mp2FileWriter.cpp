#include "platform/av/Mp2FileWriter.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/samplefmt.h>
}

#include <cerrno>
#include <cstring>

Mp2FileWriter::~Mp2FileWriter() {
    // A writer dropped without Finish leaves no partial file behind.
    if (m_file) Discard();
}

bool Mp2FileWriter::Open(const std::string& path) {
    m_error.clear();
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_MP2);
    if (!codec) {
        m_error = "no MP2 encoder here";
        return false;
    }
    m_encoder.reset(avcodec_alloc_context3(codec));
    m_packet.reset(av_packet_alloc());
    if (!m_encoder || !m_packet) return false;
    m_encoder->sample_fmt = kSampleFormat;
    m_encoder->sample_rate = kSampleRate;
    av_channel_layout_default(&m_encoder->ch_layout, kChannels);
    m_encoder->bit_rate = kBitRate;
    m_encoder->time_base = AVRational{1, kSampleRate};
    if (const int opened = avcodec_open2(m_encoder.get(), codec, nullptr); opened < 0) {
        m_error = "cannot open the MP2 encoder: " + AvErrorText(opened);
        return false;
    }

    m_file.reset(std::fopen(path.c_str(), "wb"));
    if (!m_file) {
        m_error = "cannot create '" + path + "': " + std::strerror(errno);
        return false;
    }
    m_path = path;
    m_nextPts = 0;
    m_ended = false;
    return true;
}

int Mp2FileWriter::FrameSize() const {
    return m_encoder ? m_encoder->frame_size : 0;
}

bool Mp2FileWriter::Write(AVFrame* frame) {
    if (!m_file || m_ended || !frame || frame->nb_samples <= 0) return false;
    const int frameSize = m_encoder->frame_size;
    if (frame->nb_samples > frameSize) return false;
    if (frame->nb_samples == frameSize) return Send(frame);

    // The layer II encoder only takes whole frames: pad the last one with silence.
    if (!m_padded) {
        m_padded = MakeAudioFrame(kSampleFormat, kSampleRate, kChannels, frameSize);
        if (!m_padded) return false;
    }
    if (av_frame_make_writable(m_padded.get()) < 0) return false;
    av_samples_set_silence(m_padded->data, 0, frameSize, kChannels, kSampleFormat);
    av_samples_copy(m_padded->data, frame->data, 0, 0, frame->nb_samples, kChannels, kSampleFormat);
    const bool ok = Send(m_padded.get());
    // Nothing may follow a padded frame.
    m_ended = true;
    return ok;
}

bool Mp2FileWriter::Send(AVFrame* frame) {
    if (frame) {
        frame->pts = m_nextPts;
        m_nextPts += frame->nb_samples;
    }
    if (avcodec_send_frame(m_encoder.get(), frame) < 0) return false;
    for (;;) {
        const int rc = avcodec_receive_packet(m_encoder.get(), m_packet.get());
        if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) return true;
        if (rc < 0) return false;
        const size_t size = static_cast<size_t>(m_packet->size);
        const bool written = std::fwrite(m_packet->data, 1, size, m_file.get()) == size;
        const int writeError = errno;
        av_packet_unref(m_packet.get());
        if (!written) {
            m_error = "cannot write '" + m_path + "': " + std::strerror(writeError);
            return false;
        }
    }
}

bool Mp2FileWriter::Finish() {
    if (!m_file) return false;
    bool ok = Send(nullptr);
    errno = 0;
    ok = std::fflush(m_file.get()) == 0 && ok;
    ok = !std::ferror(m_file.get()) && ok;
    ok = std::fclose(m_file.release()) == 0 && ok;
    if (!ok) {
        if (m_error.empty())
            m_error = "cannot write '" + m_path + "': " + (errno ? std::strerror(errno) : "write error");
        std::remove(m_path.c_str());
    }
    return ok;
}

void Mp2FileWriter::Discard() {
    if (m_file) {
        m_file.reset();
        std::remove(m_path.c_str());
    }
}
