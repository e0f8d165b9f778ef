#include "platform/av/AudioFileReader.h"

extern "C" {
#include <libavutil/channel_layout.h>
}

#include <algorithm>

AudioFileReader::~AudioFileReader() {
    av_channel_layout_uninit(&m_swrLayout);
}

bool AudioFileReader::Open(const std::string& path, const Format& target) {
    m_path = path;
    m_error.clear();
    if (target.sampleRate <= 0 || target.channels <= 0 || target.sampleFormat == AV_SAMPLE_FMT_NONE) {
        m_error = "no sound format to convert to";
        return false;
    }
    m_target = target;

    int error = 0;
    m_input = OpenAvInput(path, &error);
    if (!m_input) {
        m_error = "cannot read '" + path + "': " + AvErrorText(error);
        return false;
    }
    m_decoder = OpenAudioDecoder(m_input.get(), m_streamIndex);
    if (!m_decoder) {
        m_error = "'" + path + "' holds no sound that can be decoded";
        return false;
    }

    m_fifo.reset(av_audio_fifo_alloc(m_target.sampleFormat, m_target.channels, 4096));
    m_packet.reset(av_packet_alloc());
    m_decoded.reset(av_frame_alloc());
    if (m_fifo && m_packet && m_decoded) return true;
    m_error = "out of memory";
    return false;
}

AvFramePtr AudioFileReader::MakeFrame(int capacity) const {
    return MakeAudioFrame(m_target.sampleFormat, m_target.sampleRate, m_target.channels, capacity);
}

int AudioFileReader::Read(AVFrame* frame, int count) {
    if (!m_fifo || !frame || count <= 0) return -1;
    while (av_audio_fifo_size(m_fifo.get()) < count && !m_decoderDrained) {
        if (!DecodeMore()) {
            if (m_error.empty()) m_error = "cannot decode '" + m_path + "'";
            return -1;
        }
    }
    const int n = std::min(count, av_audio_fifo_size(m_fifo.get()));
    if (n == 0) return 0;
    // The encoder may still hold a reference to the last buffer it was given.
    if (av_frame_make_writable(frame) < 0) return -1;
    if (av_audio_fifo_read(m_fifo.get(), reinterpret_cast<void**>(frame->data), n) != n) return -1;
    frame->nb_samples = n;
    m_samplesRead += n;
    return n;
}

// One step of demuxing and decoding; false only on a failure that ends reading.
bool AudioFileReader::DecodeMore() {
    int rc = avcodec_receive_frame(m_decoder.get(), m_decoded.get());
    if (rc == 0) {
        m_decodeErrors = 0;
        const bool ok = ConvertFrame(m_decoded.get());
        av_frame_unref(m_decoded.get());
        return ok;
    }
    if (rc == AVERROR_EOF) {
        m_decoderDrained = true;
        return FlushConverter();
    }
    if (rc != AVERROR(EAGAIN)) {
        // A broken frame: players skip it and so do we, unless nothing decodes any more.
        return ++m_decodeErrors < kMaxDecodeErrors;
    }
    if (m_demuxEnded) {
        // The decoder wants input but there is none left; it has been sent the drain request already.
        m_decoderDrained = true;
        return FlushConverter();
    }
    rc = av_read_frame(m_input.get(), m_packet.get());
    if (rc < 0) {
        if (rc != AVERROR_EOF && m_input->pb && m_input->pb->error) {
            m_error = "cannot read '" + m_path + "': " + AvErrorText(m_input->pb->error);
            return false;
        }
        m_demuxEnded = true;
        avcodec_send_packet(m_decoder.get(), nullptr);
        return true;
    }
    if (m_packet->stream_index == m_streamIndex) {
        // Damaged packets are dropped; the rest of the file still plays.
        avcodec_send_packet(m_decoder.get(), m_packet.get());
    }
    av_packet_unref(m_packet.get());
    return true;
}

bool AudioFileReader::ConfigureConverter(const AVFrame* decoded) {
    AVChannelLayout inLayout{};
    if (decoded->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || decoded->ch_layout.nb_channels <= 0) {
        const int channels = decoded->ch_layout.nb_channels > 0 ? decoded->ch_layout.nb_channels : 1;
        av_channel_layout_default(&inLayout, channels);
    } else if (av_channel_layout_copy(&inLayout, &decoded->ch_layout) < 0) {
        return false;
    }
    if (m_swr && m_swrRate == decoded->sample_rate && m_swrFormat == decoded->format &&
        av_channel_layout_compare(&m_swrLayout, &inLayout) == 0) {
        av_channel_layout_uninit(&inLayout);
        return true;
    }
    // The stream changed its format: samples still inside the old converter are given out first.
    if (m_swr && !FlushConverter()) {
        av_channel_layout_uninit(&inLayout);
        return false;
    }
    AVChannelLayout outLayout{};
    av_channel_layout_default(&outLayout, m_target.channels);
    SwrContext* swr = nullptr;
    int rc = swr_alloc_set_opts2(&swr, &outLayout, m_target.sampleFormat, m_target.sampleRate, &inLayout,
                                 static_cast<AVSampleFormat>(decoded->format), decoded->sample_rate, 0, nullptr);
    m_swr.reset(swr);
    av_channel_layout_uninit(&outLayout);
    if (rc < 0 || swr_init(m_swr.get()) < 0) {
        av_channel_layout_uninit(&inLayout);
        m_swr.reset();
        return false;
    }
    m_swrRate = decoded->sample_rate;
    m_swrFormat = decoded->format;
    av_channel_layout_uninit(&m_swrLayout);
    m_swrLayout = inLayout;
    return true;
}

bool AudioFileReader::ConvertFrame(const AVFrame* decoded) {
    if (decoded->nb_samples <= 0 || decoded->sample_rate <= 0) return true;
    if (!ConfigureConverter(decoded)) return false;
    return PushConverted(const_cast<const uint8_t**>(decoded->extended_data), decoded->nb_samples);
}

bool AudioFileReader::FlushConverter() {
    if (!m_swr) return true;
    return PushConverted(nullptr, 0);
}

bool AudioFileReader::PushConverted(const uint8_t** input, int inputSamples) {
    const int room = swr_get_out_samples(m_swr.get(), inputSamples);
    if (room < 0) return false;
    if (room == 0) return true;
    if (!m_scratch || m_scratch->nb_samples < room) {
        m_scratch = MakeFrame(room);
        if (!m_scratch) return false;
    }
    const int got = swr_convert(m_swr.get(), m_scratch->data, room, input, inputSamples);
    if (got < 0) return false;
    if (got > 0 && av_audio_fifo_write(m_fifo.get(), reinterpret_cast<void**>(m_scratch->data), got) != got)
        return false;
    return true;
}
