#include "platform/media/AudioDecoder.h"

#include <algorithm>
#include <climits>

#include "platform/media/AudioSink.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/mathematics.h>
}

namespace {

constexpr AVRational kHundredNanos = {1, 10000000};
constexpr AVRational kOutputFrame = {1, kSinkSampleRate};
// Packets the decoder may refuse in a row before the stream counts as undecodable.
constexpr int kMaxBadPackets = 32;

}  // namespace

bool CAudioDecoder::Open(const std::string& path) {
    m_format = OpenAvInput(path);
    if (!m_format) return false;
    m_codec = OpenAudioDecoder(m_format.get(), m_stream);
    if (!m_codec) return false;
    const AVFormatContext* format = m_format.get();
    const AVStream* stream = format->streams[m_stream];

    m_frame.reset(av_frame_alloc());
    m_packet.reset(av_packet_alloc());
    if (!m_frame || !m_packet) return false;

    m_startTime = stream->start_time != AV_NOPTS_VALUE ? stream->start_time : 0;
    if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0) {
        m_duration = av_rescale_q(stream->duration, stream->time_base, kHundredNanos);
    } else if (format->duration != AV_NOPTS_VALUE && format->duration > 0) {
        m_duration = av_rescale(format->duration, kHundredNanos.den, AV_TIME_BASE);
    } else {
        m_duration = MeasureDuration(path);
    }

    // Decode ahead once: a file whose packets cannot be decoded is refused now.
    return Decode(m_primed) != ReadResult::Error;
}

int64_t CAudioDecoder::MeasureDuration(const std::string& path) const {
    // Containers without a length in their header: walk the packets of a second reader.
    const AvInputPtr format = OpenAvInput(path);
    if (!format || m_stream >= static_cast<int>(format->nb_streams)) return 0;
    const AVRational base = format->streams[m_stream]->time_base;
    AvPacketPtr packet(av_packet_alloc());
    if (!packet) return 0;
    int64_t end = 0;
    int64_t summed = 0;
    while (av_read_frame(format.get(), packet.get()) >= 0) {
        if (packet->stream_index == m_stream) {
            const int64_t length = packet->duration > 0 ? packet->duration : 0;
            summed += length;
            if (packet->pts != AV_NOPTS_VALUE) end = std::max(end, packet->pts - m_startTime + length);
        }
        av_packet_unref(packet.get());
    }
    return av_rescale_q(std::max(end, summed), base, kHundredNanos);
}

CAudioDecoder::ReadResult CAudioDecoder::Read(std::vector<int16_t>& samples) {
    if (!m_primed.empty()) {
        samples.swap(m_primed);
        m_primed.clear();
        return ReadResult::Data;
    }
    return Decode(samples);
}

CAudioDecoder::ReadResult CAudioDecoder::Decode(std::vector<int16_t>& samples) {
    samples.clear();
    if (!m_codec) return ReadResult::Error;
    while (!m_ended) {
        const int received = avcodec_receive_frame(m_codec.get(), m_frame.get());
        if (received == 0) {
            m_anyFrame = true;
            m_badPackets = 0;
            const bool converted = Convert(m_frame.get(), samples);
            av_frame_unref(m_frame.get());
            if (!converted) {
                m_ended = true;
                return ReadResult::Error;
            }
            if (!samples.empty()) return ReadResult::Data;
            continue;
        }
        if (received == AVERROR_EOF) {
            m_ended = true;
            FlushResampler(samples);
            return samples.empty() ? ReadResult::End : ReadResult::Data;
        }
        if (received != AVERROR(EAGAIN)) {
            // A frame that fails to decode is skipped like a refused packet.
            if (++m_badPackets > kMaxBadPackets) {
                m_ended = true;
                return ReadResult::Error;
            }
            continue;
        }
        if (m_inputEnded) {
            m_ended = true;  // the decoder asked for input after being drained
            break;
        }
        const int read = av_read_frame(m_format.get(), m_packet.get());
        if (read < 0) {
            // A read error before any sound means the file is not playable; after some sound it
            // is a truncated file, which ends where its data ends.
            if (read != AVERROR_EOF && !m_anyFrame) {
                m_ended = true;
                return ReadResult::Error;
            }
            avcodec_send_packet(m_codec.get(), nullptr);
            m_inputEnded = true;
            continue;
        }
        if (m_packet->stream_index == m_stream) {
            const int sent = avcodec_send_packet(m_codec.get(), m_packet.get());
            if (sent < 0 && sent != AVERROR(EAGAIN) && ++m_badPackets > kMaxBadPackets) {
                av_packet_unref(m_packet.get());
                m_ended = true;
                return ReadResult::Error;
            }
        }
        av_packet_unref(m_packet.get());
    }
    FlushResampler(samples);
    return samples.empty() ? ReadResult::End : ReadResult::Data;
}

bool CAudioDecoder::Convert(const AVFrame* frame, std::vector<int16_t>& samples) {
    const int channels = frame->ch_layout.nb_channels;
    if (channels <= 0 || frame->sample_rate <= 0) return false;
    if (!m_resampler || frame->format != m_inFormat || frame->sample_rate != m_inRate || channels != m_inChannels) {
        // Copying into a layout first releases what it holds: it must start empty.
        AVChannelLayout in{};
        if (frame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC) {
            av_channel_layout_default(&in, channels);
        } else if (av_channel_layout_copy(&in, &frame->ch_layout) < 0) {
            return false;
        }
        AVChannelLayout out{};
        av_channel_layout_default(&out, kSinkChannels);
        SwrContext* raw = nullptr;
        const int made = swr_alloc_set_opts2(&raw, &out, AV_SAMPLE_FMT_S16, kSinkSampleRate, &in,
                                             static_cast<AVSampleFormat>(frame->format), frame->sample_rate, 0, nullptr);
        av_channel_layout_uninit(&in);
        av_channel_layout_uninit(&out);
        m_resampler.reset(raw);
        if (made < 0 || swr_init(raw) < 0) {
            m_resampler.reset();
            return false;
        }
        m_inFormat = frame->format;
        m_inRate = frame->sample_rate;
        m_inChannels = channels;
    }

    if (!m_positionKnown) {
        // First frame after a seek: where it lies decides how much to drop before the target.
        const int64_t pts = frame->best_effort_timestamp;
        m_nextFrame = pts != AV_NOPTS_VALUE
                          ? av_rescale_q(pts - m_startTime, m_format->streams[m_stream]->time_base, kOutputFrame)
                          : m_target;
        m_positionKnown = true;
    }

    const int room = swr_get_out_samples(m_resampler.get(), frame->nb_samples);
    if (room < 0) return false;
    const size_t first = samples.size();
    samples.resize(first + static_cast<size_t>(room) * kSinkChannels);
    uint8_t* out = reinterpret_cast<uint8_t*>(samples.data() + first);
    const int made = swr_convert(m_resampler.get(), &out, room, const_cast<const uint8_t**>(frame->extended_data),
                                 frame->nb_samples);
    if (made < 0) return false;
    samples.resize(first + static_cast<size_t>(made) * kSinkChannels);
    TrimToTarget(samples, first);
    return true;
}

void CAudioDecoder::FlushResampler(std::vector<int16_t>& samples) {
    if (!m_resampler) return;
    const int room = swr_get_out_samples(m_resampler.get(), 0);
    if (room <= 0) return;
    const size_t first = samples.size();
    samples.resize(first + static_cast<size_t>(room) * kSinkChannels);
    uint8_t* out = reinterpret_cast<uint8_t*>(samples.data() + first);
    const int made = swr_convert(m_resampler.get(), &out, room, nullptr, 0);
    samples.resize(first + static_cast<size_t>(std::max(made, 0)) * kSinkChannels);
    TrimToTarget(samples, first);
}

void CAudioDecoder::TrimToTarget(std::vector<int16_t>& samples, size_t first) {
    const int64_t produced = static_cast<int64_t>(samples.size() - first) / kSinkChannels;
    const int64_t drop = std::clamp<int64_t>(m_target - m_nextFrame, 0, produced);
    if (drop > 0) {
        samples.erase(samples.begin() + static_cast<std::ptrdiff_t>(first),
                      samples.begin() + static_cast<std::ptrdiff_t>(first + static_cast<size_t>(drop) * kSinkChannels));
    }
    m_nextFrame += produced;
}

bool CAudioDecoder::Seek(int64_t frame) {
    if (!m_format || !m_codec) return false;
    frame = std::max<int64_t>(frame, 0);
    const AVRational base = m_format->streams[m_stream]->time_base;
    const int64_t ts = av_rescale_q(frame, kOutputFrame, base) + m_startTime;
    if (avformat_seek_file(m_format.get(), m_stream, INT64_MIN, ts, ts, 0) < 0 &&
        av_seek_frame(m_format.get(), m_stream, ts, AVSEEK_FLAG_BACKWARD) < 0 &&
        av_seek_frame(m_format.get(), m_stream, m_startTime, AVSEEK_FLAG_BACKWARD) < 0) {
        return false;
    }
    avcodec_flush_buffers(m_codec.get());
    m_resampler.reset();  // drop samples it still holds from before the seek
    m_primed.clear();
    m_inputEnded = false;
    m_ended = false;
    m_badPackets = 0;
    m_target = frame;
    m_positionKnown = false;
    return true;
}
