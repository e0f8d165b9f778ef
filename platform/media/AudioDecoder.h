// Reads one music file with FFmpeg and hands out its sound in the sinks' fixed format, chunk by
// chunk, with seeking. Used by one thread at a time.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/av/FfmpegPtr.h"

class CAudioDecoder {
public:
    enum class ReadResult { Data, End, Error };

    CAudioDecoder() = default;
    CAudioDecoder(const CAudioDecoder&) = delete;
    CAudioDecoder& operator=(const CAudioDecoder&) = delete;

    // Opens the file's best audio stream and decodes its first chunk, so that a file that is not
    // playable fails here rather than during playback. A valid file without samples opens.
    bool Open(const std::string& path);

    // Length in 100-nanosecond units (0 when the file holds no sound).
    int64_t Duration() const { return m_duration; }

    // Replaces `samples` with the next interleaved chunk. End once the stream is drained; Error
    // when the stream cannot be decoded any further.
    ReadResult Read(std::vector<int16_t>& samples);

    // Continues from `frame` (in output frames, see AudioSink.h); false when the file cannot seek.
    bool Seek(int64_t frame);

private:
    ReadResult Decode(std::vector<int16_t>& samples);
    bool Convert(const AVFrame* frame, std::vector<int16_t>& samples);
    void FlushResampler(std::vector<int16_t>& samples);
    void TrimToTarget(std::vector<int16_t>& samples, size_t first);
    int64_t MeasureDuration(const std::string& path) const;

    AvInputPtr m_format;
    AvCodecContextPtr m_codec;
    AvFramePtr m_frame;
    AvPacketPtr m_packet;
    SwrPtr m_resampler;
    // What the resampler was set up for; a frame that differs rebuilds it.
    int m_inFormat = -1;
    int m_inRate = 0;
    int m_inChannels = 0;

    int m_stream = -1;
    int64_t m_startTime = 0;  // first timestamp of the stream, in its time base
    int64_t m_duration = 0;

    std::vector<int16_t> m_primed;  // the chunk Open decoded, handed out by the first Read
    bool m_inputEnded = false;      // the decoder has been told there are no more packets
    bool m_ended = false;
    bool m_anyFrame = false;
    int m_badPackets = 0;           // packets refused in a row

    // Output position of the next produced frame and the seek target before which frames are dropped.
    int64_t m_nextFrame = 0;
    int64_t m_target = 0;
    bool m_positionKnown = true;
};
