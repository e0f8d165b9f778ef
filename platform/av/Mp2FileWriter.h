// Writes a raw MPEG-1 layer II stream in the one format every converted music file shares
// (44.1 kHz, stereo, 192 kb/s), so that such files joined byte by byte stay one valid stream.
#pragma once

#include "platform/av/FfmpegPtr.h"
#include "platform/win/FilePtr.h"

#include <cstdint>
#include <string>

class Mp2FileWriter {
public:
    static constexpr int kSampleRate = 44100;
    static constexpr int kChannels = 2;
    static constexpr int64_t kBitRate = 192000;
    static constexpr AVSampleFormat kSampleFormat = AV_SAMPLE_FMT_S16;

    Mp2FileWriter() = default;
    ~Mp2FileWriter();
    Mp2FileWriter(const Mp2FileWriter&) = delete;
    Mp2FileWriter& operator=(const Mp2FileWriter&) = delete;

    // Creates (or truncates) the file and sets up the encoder.
    bool Open(const std::string& path);
    // Samples per encoded frame; every frame given to Write but the last must hold exactly this many.
    int FrameSize() const;
    // Encodes interleaved 16-bit stereo samples at 44.1 kHz; a short last frame is padded with silence.
    bool Write(AVFrame* frame);
    // Drains the encoder and closes the file; false when anything could not be written.
    bool Finish();
    // Closes and deletes the file (used on failure or stop).
    void Discard();
    // Why Open, Write or Finish failed, in the system's words.
    const std::string& LastError() const { return m_error; }

private:
    bool Send(AVFrame* frame);

    std::string m_path;
    std::string m_error;
    FilePtr m_file;
    AvCodecContextPtr m_encoder;
    AvPacketPtr m_packet;
    AvFramePtr m_padded;
    int64_t m_nextPts = 0;
    bool m_ended = false;
};
