#include "platform/encoder/AudioTrack.h"

#include "platform/encoder/EncoderApi.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/samplefmt.h>
}

#include <cstdlib>
#include <cstring>

namespace {

// The encoder's nearest supported sample rate to the one asked for.
int NearestSampleRate(const AVCodec* codec, int wanted) {
    if (!codec->supported_samplerates) return wanted;
    int best = 0;
    for (const int* r = codec->supported_samplerates; *r; ++r) {
        if (best == 0 || std::abs(*r - wanted) < std::abs(best - wanted)) best = *r;
    }
    return best ? best : wanted;
}

}  // namespace

int32_t AudioTrack::Create(AVFormatContext* output, const EncoderSettings& settings) {
    m_packet.reset(av_packet_alloc());
    if (!m_packet) return ENCODER_ERR_CODEC;
    const int32_t rc = settings.audioCodec == AudioCodecKind::AmrNb ? CreateAmrEncoder(settings)
                                                                    : CreateFfmpegEncoder(output, settings);
    if (rc != ENCODER_OK) return rc;

    m_stream = avformat_new_stream(output, nullptr);
    if (!m_stream) return ENCODER_ERR_CODEC;
    m_stream->time_base = AVRational{1, m_sampleRate};
    if (m_encoder) {
        if (avcodec_parameters_from_context(m_stream->codecpar, m_encoder.get()) < 0) return ENCODER_ERR_CODEC;
    } else {
        AVCodecParameters* par = m_stream->codecpar;
        par->codec_type = AVMEDIA_TYPE_AUDIO;
        par->codec_id = AV_CODEC_ID_AMR_NB;
        par->sample_rate = m_sampleRate;
        av_channel_layout_default(&par->ch_layout, 1);
        par->frame_size = AmrNbEncoder::kFrameSamples;
        par->bit_rate = m_amr.BitRate();
    }

    // A missing, empty or undecodable music file is not an error: the video gets silence.
    m_hasMusic = !settings.audioFile.empty() &&
                 m_reader.Open(settings.audioFile, AudioFileReader::Format{m_sampleRate, m_channels, m_sampleFormat});

    m_frame = MakeAudioFrame(m_sampleFormat, m_sampleRate, m_channels, m_frameSize);
    return m_frame ? ENCODER_OK : ENCODER_ERR_CODEC;
}

int32_t AudioTrack::CreateFfmpegEncoder(AVFormatContext* output, const EncoderSettings& settings) {
    const AVCodec* codec = nullptr;
    if (settings.audioCodec == AudioCodecKind::Aac) {
        codec = avcodec_find_encoder_by_name("aac");
    } else {
        codec = avcodec_find_encoder_by_name("libmp3lame");
        if (!codec) codec = avcodec_find_encoder(AV_CODEC_ID_MP3);
    }
    if (!codec || !codec->sample_fmts) return ENCODER_ERR_CODEC;

    m_encoder.reset(avcodec_alloc_context3(codec));
    if (!m_encoder) return ENCODER_ERR_CODEC;
    m_sampleRate = NearestSampleRate(codec, settings.sampleRate);
    m_channels = settings.channels;
    m_sampleFormat = codec->sample_fmts[0];
    m_encoder->sample_fmt = m_sampleFormat;
    m_encoder->sample_rate = m_sampleRate;
    av_channel_layout_default(&m_encoder->ch_layout, m_channels);
    m_encoder->bit_rate = settings.audioBitRate;
    m_encoder->time_base = AVRational{1, m_sampleRate};
    if (output->oformat->flags & AVFMT_GLOBALHEADER) m_encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (avcodec_open2(m_encoder.get(), codec, nullptr) < 0) return ENCODER_ERR_CODEC;
    // The encoder's start-up delay gives its first packets negative times. A container that cannot
    // store them would shift every stream, the pictures too, by that much: start the sound at 0 instead.
    if (!(output->oformat->flags & AVFMT_TS_NEGATIVE)) m_ptsShift = m_encoder->initial_padding;

    const bool variable = codec->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE;
    m_frameSize = m_encoder->frame_size > 0 ? m_encoder->frame_size : 1024;
    m_smallLastFrame = variable || (codec->capabilities & AV_CODEC_CAP_SMALL_LAST_FRAME);
    return ENCODER_OK;
}

int32_t AudioTrack::CreateAmrEncoder(const EncoderSettings& settings) {
    // The speech codec has one format whatever the profile says.
    if (!m_amr.Open(settings.audioBitRate)) return ENCODER_ERR_CODEC;
    m_sampleRate = AmrNbEncoder::kSampleRate;
    m_channels = 1;
    m_sampleFormat = AV_SAMPLE_FMT_S16;
    m_frameSize = AmrNbEncoder::kFrameSamples;
    m_smallLastFrame = false;
    return ENCODER_OK;
}

bool AudioTrack::NextFrame(int count, int padTo) {
    AVFrame* f = m_frame.get();
    f->nb_samples = m_frameSize;
    if (av_frame_make_writable(f) < 0) return false;
    int got = 0;
    if (m_hasMusic) {
        got = m_reader.Read(f, count);
        // A read failure part-way ends the music like its end does.
        if (got < count) m_hasMusic = false;
        if (got < 0) got = 0;
    }
    if (padTo > got) av_samples_set_silence(f->data, got, padTo - got, m_channels, m_sampleFormat);
    f->nb_samples = padTo;
    f->pts = m_samplesSent;
    m_samplesSent += count;
    return true;
}

int32_t AudioTrack::EncodeUntil(int64_t endSample, bool final, const PacketSink& sink) {
    if (m_drained) return ENCODER_OK;
    while (m_samplesSent + m_frameSize <= endSample) {
        if (!NextFrame(m_frameSize, m_frameSize)) return ENCODER_ERR_ENCODE;
        const int32_t rc = Encode(m_frame.get(), sink);
        if (rc != ENCODER_OK) return rc;
    }
    if (!final) return ENCODER_OK;

    const int rest = static_cast<int>(endSample - m_samplesSent);
    if (rest > 0) {
        if (!NextFrame(rest, m_smallLastFrame ? rest : m_frameSize)) return ENCODER_ERR_ENCODE;
        const int32_t rc = Encode(m_frame.get(), sink);
        if (rc != ENCODER_OK) return rc;
    }
    m_drained = true;
    return m_encoder ? Encode(nullptr, sink) : ENCODER_OK;
}

int32_t AudioTrack::Encode(AVFrame* frame, const PacketSink& sink) {
    if (!m_encoder) return EncodeAmr(frame, sink);
    if (avcodec_send_frame(m_encoder.get(), frame) < 0) return ENCODER_ERR_ENCODE;
    for (;;) {
        const int rc = avcodec_receive_packet(m_encoder.get(), m_packet.get());
        if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) return ENCODER_OK;
        if (rc < 0) return ENCODER_ERR_ENCODE;
        const int32_t written = Deliver(m_packet.get(), m_encoder->time_base, sink);
        if (written != ENCODER_OK) return written;
    }
}

int32_t AudioTrack::EncodeAmr(const AVFrame* frame, const PacketSink& sink) {
    if (!frame) return ENCODER_OK;
    uint8_t bytes[AmrNbEncoder::kMaxFrameBytes];
    const int n = m_amr.Encode(reinterpret_cast<const int16_t*>(frame->data[0]), bytes);
    if (n < 0) return ENCODER_ERR_ENCODE;
    if (av_new_packet(m_packet.get(), n) < 0) return ENCODER_ERR_ENCODE;
    std::memcpy(m_packet->data, bytes, static_cast<size_t>(n));
    m_packet->pts = m_packet->dts = frame->pts;
    m_packet->duration = AmrNbEncoder::kFrameSamples;
    return Deliver(m_packet.get(), AVRational{1, m_sampleRate}, sink);
}

int32_t AudioTrack::Deliver(AVPacket* packet, AVRational from, const PacketSink& sink) {
    packet->stream_index = m_stream->index;
    if (packet->pts != AV_NOPTS_VALUE) packet->pts += m_ptsShift;
    if (packet->dts != AV_NOPTS_VALUE) packet->dts += m_ptsShift;
    // The muxer may have changed the stream's time base when it wrote the header.
    av_packet_rescale_ts(packet, from, m_stream->time_base);
    const int32_t rc = sink(packet);
    av_packet_unref(packet);
    return rc;
}
