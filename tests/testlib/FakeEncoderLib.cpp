// A stand-in for the encoder library that the render tests load from a folder of their own. It
// writes what it is asked to do, one line per call, to the file named by FAKE_ENCODER_LOG:
//   load / unload                  when the library is mapped in and out
//   init <w> <h> <11 texts joined by '|'>
//   frame <n> <mean Y> <mean Y top half> <mean Y bottom half> <mean Y left half> <mean Y right half> <mean U> <mean V>
//   close
// FAKE_ENCODER_FAIL_AT=n makes frame n (0-based) and every later one return FAKE_ENCODER_FAIL_VALUE
// (default 7). FAKE_ENCODER_INIT_RESULT and FAKE_ENCODER_CLOSE_RESULT are what initEncoder and
// closeEncoder return (default 0); getEncoderError gives FAKE_ENCODER_ERROR as the reason of a
// failure (FAKE_ENCODER_FRAME_ERROR, when set, after a failed frame). Built twice: once without closeEncoder, to test a library that lacks an entry.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

int32_t g_width = 0;
int32_t g_height = 0;
int64_t g_frames = 0;
bool g_frameFailed = false;

void Log(const std::string& line) {
    const char* path = std::getenv("FAKE_ENCODER_LOG");
    if (!path) return;
    if (FILE* f = std::fopen(path, "a")) {
        std::fputs(line.c_str(), f);
        std::fputc('\n', f);
        std::fclose(f);
    }
}

double Mean(const uint8_t* plane, int32_t stride, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    double sum = 0;
    for (int32_t y = y0; y < y1; ++y)
        for (int32_t x = x0; x < x1; ++x) sum += plane[static_cast<size_t>(y) * stride + x];
    const double n = static_cast<double>(x1 - x0) * (y1 - y0);
    return n > 0 ? sum / n : 0;
}

__attribute__((constructor)) void OnLoad() { Log("load"); }
__attribute__((destructor)) void OnUnload() { Log("unload"); }

} // namespace

extern "C" {

__attribute__((visibility("default"))) int32_t initEncoder(int32_t width, int32_t height, const char* outputFile,
                                                           const char* rawWorkFile, const char* audioFile,
                                                           const char* audioCodec, const char* audioBitRate,
                                                           const char* audioSampleRate, const char* audioChannels,
                                                           const char* videoCodec, const char* videoBitRate,
                                                           const char* frameSize, const char* frameRate) {
    g_width = width;
    g_height = height;
    g_frames = 0;
    g_frameFailed = false;
    // (std::to_string would pin the library in memory: it must unload like the real one.)
    char head[64];
    std::snprintf(head, sizeof head, "init %d %d ", static_cast<int>(width), static_cast<int>(height));
    std::string line = head;
    const char* texts[] = {outputFile, rawWorkFile, audioFile, audioCodec, audioBitRate, audioSampleRate,
                           audioChannels, videoCodec, videoBitRate, frameSize, frameRate};
    for (size_t i = 0; i < sizeof texts / sizeof texts[0]; ++i) {
        if (i) line += "|";
        line += texts[i] ? texts[i] : "(null)";
    }
    Log(line);
    const char* result = std::getenv("FAKE_ENCODER_INIT_RESULT");
    return result ? static_cast<int32_t>(std::atoi(result)) : 0;
}

__attribute__((visibility("default"))) int32_t EncOneFrame(const uint8_t* yuv) {
    const int64_t n = g_frames++;
    const char* failAt = std::getenv("FAKE_ENCODER_FAIL_AT");
    if (failAt && n >= std::atoll(failAt)) {
        const char* value = std::getenv("FAKE_ENCODER_FAIL_VALUE");
        char line[64];
        std::snprintf(line, sizeof line, "fail %lld", static_cast<long long>(n));
        g_frameFailed = true;
        Log(line);
        return value ? static_cast<int32_t>(std::atoi(value)) : 7;
    }
    const int32_t w = g_width, h = g_height;
    const uint8_t* u = yuv + static_cast<size_t>(w) * h;
    const uint8_t* v = u + static_cast<size_t>(w / 2) * (h / 2);
    char line[256];
    std::snprintf(line, sizeof line, "frame %lld %.2f %.2f %.2f %.2f %.2f %.2f %.2f", static_cast<long long>(n),
                  Mean(yuv, w, 0, 0, w, h), Mean(yuv, w, 0, 0, w, h / 2), Mean(yuv, w, 0, h / 2, w, h),
                  Mean(yuv, w, 0, 0, w / 2, h), Mean(yuv, w, w / 2, 0, w, h), Mean(u, w / 2, 0, 0, w / 2, h / 2),
                  Mean(v, w / 2, 0, 0, w / 2, h / 2));
    Log(line);
    return 0;
}

#ifndef FAKE_ENCODER_WITHOUT_CLOSE
__attribute__((visibility("default"))) int32_t closeEncoder(void) {
    Log("close");
    const char* result = std::getenv("FAKE_ENCODER_CLOSE_RESULT");
    return result ? static_cast<int32_t>(std::atoi(result)) : 0;
}
#endif

__attribute__((visibility("default"))) int32_t getEncoderError(char* text, int32_t size) {
    const char* reason = g_frameFailed && std::getenv("FAKE_ENCODER_FRAME_ERROR") ? std::getenv("FAKE_ENCODER_FRAME_ERROR")
                                                                                   : std::getenv("FAKE_ENCODER_ERROR");
    if (text && size > 0) std::snprintf(text, static_cast<size_t>(size), "%s", reason ? reason : "");
    return reason ? 1 : 0;
}
}
