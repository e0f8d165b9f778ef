// A stand-in for the encoder library that writes every frame it is given, as raw planar YUV 4:2:0,
// into the output file, so that a whole-job run can be replayed through the real encoder alone and
// its pictures compared with what the encoder made of them.
#include <cstdint>
#include <cstdio>

namespace {

FILE* g_file = nullptr;
size_t g_frameBytes = 0;

}  // namespace

extern "C" {

__attribute__((visibility("default"))) int32_t initEncoder(int32_t width, int32_t height, const char* outputFile,
                                                           const char*, const char*, const char*, const char*,
                                                           const char*, const char*, const char*, const char*,
                                                           const char*, const char*) {
    if (g_file) std::fclose(g_file);
    g_frameBytes = static_cast<size_t>(width) * static_cast<size_t>(height) * 3 / 2;
    g_file = outputFile ? std::fopen(outputFile, "wb") : nullptr;
    return g_file ? 0 : 6;
}

__attribute__((visibility("default"))) int32_t EncOneFrame(const uint8_t* yuv420) {
    if (!g_file) return 3;
    return std::fwrite(yuv420, 1, g_frameBytes, g_file) == g_frameBytes ? 0 : 6;
}

__attribute__((visibility("default"))) int32_t closeEncoder(void) {
    if (!g_file) return 0;
    const int rc = std::fclose(g_file);
    g_file = nullptr;
    return rc == 0 ? 0 : 6;
}

}
