// One output video file being written: container, video encoder and the audio track.
#pragma once

#include "platform/av/FfmpegPtr.h"
#include "platform/encoder/AudioTrack.h"
#include "platform/encoder/EncoderSettings.h"

#include <cstdint>
#include <string>

class VideoFileEncoder {
public:
    VideoFileEncoder() = default;
    // Finishes a file still open, so that it plays.
    ~VideoFileEncoder();
    VideoFileEncoder(const VideoFileEncoder&) = delete;
    VideoFileEncoder& operator=(const VideoFileEncoder&) = delete;

    // Creates the file; on failure nothing is left on disk. Returns an ENCODER_* code.
    int32_t Open(const EncoderSettings& settings);
    // Encodes one planar YUV 4:2:0 picture; on failure the file is removed and the encoder closed.
    int32_t AddFrame(const uint8_t* yuv420);
    // Drains the encoders and writes the container's index; on failure the file is removed.
    int32_t Finish();

    bool IsOpen() const { return m_output != nullptr; }
    // Why the last call that failed failed: the step and FFmpeg's or the system's reason.
    const std::string& LastError() const { return m_error; }

private:
    int32_t OpenVideoEncoder();
    void SetRateControl();
    // True when the stream so far holds fewer bits than its rate asks, by more than a key frame.
    bool UnderBudget() const;
    int32_t EncodeVideo(AVFrame* frame);
    int32_t WritePacket(AVPacket* packet);
    // Audio samples that cover `frames` pictures.
    int64_t AudioSamplesFor(int64_t frames) const;
    // Closes the container and deletes the file.
    void Discard();
    // Keeps the reason and returns the code.
    int32_t Fail(int32_t code, std::string reason);
    // The write failure of the output file, in the system's words.
    int32_t WriteFailed(int rc);

    EncoderSettings m_settings;
    AvOutputPtr m_output;
    AvCodecContextPtr m_video;
    AVStream* m_videoStream = nullptr;
    AudioTrack m_audio;
    AvFramePtr m_picture;
    AvPacketPtr m_packet;
    int64_t m_frames = 0;
    int64_t m_videoBits = 0;
    int64_t m_lastKeyBits = 0;
    bool m_fileCreated = false;
    std::string m_error;
};
