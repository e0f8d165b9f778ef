#include "platform/encoder/EncoderApi.h"

#include "platform/encoder/EncoderSettings.h"
#include "platform/encoder/VideoFileEncoder.h"

#include <exception>
#include <memory>
#include <mutex>

#define ENCODER_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

// The entries are global, so the library holds one encoder for the whole process.
std::mutex g_mutex;
std::unique_ptr<VideoFileEncoder> g_encoder;

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
        const int32_t parsed = EncoderSettings::Parse(width, height, outputFile, audioFile, audioCodec, audioBitRate,
                                                      audioSampleRate, audioChannels, videoCodec, videoBitRate,
                                                      frameSize, frameRate, settings);
        if (parsed != ENCODER_OK) return parsed;
        auto encoder = std::make_unique<VideoFileEncoder>();
        const int32_t rc = encoder->Open(settings);
        if (rc != ENCODER_OK) return rc;
        g_encoder = std::move(encoder);
        return ENCODER_OK;
    } catch (const std::exception&) {
        g_encoder.reset();
        return ENCODER_ERR_ENCODE;
    }
}

ENCODER_EXPORT int32_t EncOneFrame(const uint8_t* yuv420) {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!g_encoder) return ENCODER_ERR_NOT_OPEN;
    try {
        const int32_t rc = g_encoder->AddFrame(yuv420);
        // A failed file is already gone; later frames report that nothing is open.
        if (!g_encoder->IsOpen()) g_encoder.reset();
        return rc;
    } catch (const std::exception&) {
        g_encoder.reset();
        return ENCODER_ERR_ENCODE;
    }
}

ENCODER_EXPORT int32_t closeEncoder(void) {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!g_encoder) return ENCODER_OK;
    int32_t rc = ENCODER_ERR_ENCODE;
    try {
        rc = g_encoder->Finish();
    } catch (const std::exception&) {
    }
    g_encoder.reset();
    return rc;
}
