#include "platform/encoder/EncoderApi.h"

#include "platform/encoder/EncoderSettings.h"
#include "platform/encoder/VideoFileEncoder.h"
#include "platform/av/LastFailure.h"

#include <exception>
#include <memory>
#include <mutex>
#include <string>

#define ENCODER_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

// The entries are global, so the library holds one encoder for the whole process.
std::mutex g_mutex;
std::unique_ptr<VideoFileEncoder> g_encoder;
// The last failure and its reason.
LastFailure g_failure;

// Keeps a failed call's result and reason for getEncoderError.
int32_t Failed(int32_t code, const std::string& reason) {
    if (code != ENCODER_OK) g_failure.Record(code, reason);
    return code;
}

}  // namespace

ENCODER_EXPORT int32_t initEncoder(int32_t width, int32_t height, const char* outputFile,
                                   const char* /*rawWorkFile*/, const char* audioFile, const char* audioCodec,
                                   const char* audioBitRate, const char* audioSampleRate, const char* audioChannels,
                                   const char* videoCodec, const char* videoBitRate, const char* frameSize,
                                   const char* frameRate) {
    std::lock_guard<std::mutex> lock(g_mutex);
    try {
        // A file left open by a caller that never closed it is finished rather than lost.
        g_encoder.reset();
        EncoderSettings settings;
        std::string reason;
        const int32_t parsed = EncoderSettings::Parse(width, height, outputFile, audioFile, audioCodec, audioBitRate,
                                                      audioSampleRate, audioChannels, videoCodec, videoBitRate,
                                                      frameSize, frameRate, settings, &reason);
        if (parsed != ENCODER_OK) return Failed(parsed, reason);
        auto encoder = std::make_unique<VideoFileEncoder>();
        const int32_t rc = encoder->Open(settings);
        if (rc != ENCODER_OK) return Failed(rc, encoder->LastError());
        g_encoder = std::move(encoder);
        g_failure.Record(ENCODER_OK, {});
        return ENCODER_OK;
    } catch (const std::exception& e) {
        g_encoder.reset();
        return Failed(ENCODER_ERR_ENCODE, e.what());
    }
}

ENCODER_EXPORT int32_t EncOneFrame(const uint8_t* yuv420) {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!g_encoder) return Failed(ENCODER_ERR_NOT_OPEN, "no encoder is open");
    try {
        const int32_t rc = g_encoder->AddFrame(yuv420);
        Failed(rc, g_encoder->LastError());
        // A failed file is already gone; later frames report that nothing is open.
        if (!g_encoder->IsOpen()) g_encoder.reset();
        return rc;
    } catch (const std::exception& e) {
        g_encoder.reset();
        return Failed(ENCODER_ERR_ENCODE, e.what());
    }
}

ENCODER_EXPORT int32_t closeEncoder(void) {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!g_encoder) return ENCODER_OK;
    int32_t rc = ENCODER_ERR_ENCODE;
    std::string reason = "cannot finish the file";
    try {
        rc = g_encoder->Finish();
        reason = g_encoder->LastError();
    } catch (const std::exception& e) {
        reason = e.what();
    }
    g_encoder.reset();
    return Failed(rc, reason);
}

ENCODER_EXPORT int32_t getEncoderError(char* text, int32_t size) {
    return g_failure.CopyOut(text, size);
}
