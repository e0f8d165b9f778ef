// Frames per second of the encoder library alone: 720x480 pictures through VelmorEncoder.so with the
// Xvid video codec and MP3 sound, as a slideshow run hands them over.
#include <benchmark/benchmark.h>

#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/encoder/EncoderApi.h"

namespace {

constexpr int kWidth = 720;
constexpr int kHeight = 480;

class EncoderLibrary {
public:
    EncoderLibrary() {
        m_handle = dlopen((std::string(PICREEL_PROGRAM_DIR) + "VelmorEncoder.so").c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!m_handle) return;
        init = reinterpret_cast<InitEncoderFn>(dlsym(m_handle, "initEncoder"));
        frame = reinterpret_cast<EncOneFrameFn>(dlsym(m_handle, "EncOneFrame"));
        close = reinterpret_cast<CloseEncoderFn>(dlsym(m_handle, "closeEncoder"));
    }
    ~EncoderLibrary() {
        if (m_handle) dlclose(m_handle);
    }
    EncoderLibrary(const EncoderLibrary&) = delete;
    EncoderLibrary& operator=(const EncoderLibrary&) = delete;
    bool Ready() const { return init && frame && close; }

    InitEncoderFn init = nullptr;
    EncOneFrameFn frame = nullptr;
    CloseEncoderFn close = nullptr;

private:
    void* m_handle = nullptr;
};

// A photo-like picture: smooth gradients with some detail; `shift` pans it sideways.
std::vector<uint8_t> Picture(int shift) {
    std::vector<uint8_t> yuv(static_cast<size_t>(kWidth) * kHeight * 3 / 2);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const int sx = x + shift;
            yuv[static_cast<size_t>(y) * kWidth + x] =
                static_cast<uint8_t>((sx * 200 / kWidth + y / 4 + ((sx / 8 + y / 8) % 2) * 24) & 0xFF);
        }
    uint8_t* u = yuv.data() + static_cast<size_t>(kWidth) * kHeight;
    uint8_t* v = u + static_cast<size_t>(kWidth / 2) * (kHeight / 2);
    for (int y = 0; y < kHeight / 2; ++y)
        for (int x = 0; x < kWidth / 2; ++x) {
            u[static_cast<size_t>(y) * (kWidth / 2) + x] = static_cast<uint8_t>(96 + (x + shift / 2) * 64 / (kWidth / 2));
            v[static_cast<size_t>(y) * (kWidth / 2) + x] = static_cast<uint8_t>(160 - y * 64 / (kHeight / 2));
        }
    return yuv;
}

void EncodeFrames(benchmark::State& state, bool moving) {
    EncoderLibrary lib;
    if (!lib.Ready()) {
        state.SkipWithError("VelmorEncoder.so not loadable");
        return;
    }
    const std::string out =
        (std::filesystem::temp_directory_path() / ("bench_encoder_" + std::to_string(getpid()) + ".avi")).string();
    const std::string music = std::string(PICREEL_PROGRAM_DIR) + "menu_pic/silent.mp2";
    if (lib.init(kWidth, kHeight, out.c_str(), "", music.c_str(), "libmp3lame", "128kb", "44100", "2", "libxvid",
                 "1500kb", "720x480", "29.97") != 0) {
        state.SkipWithError("initEncoder failed");
        return;
    }
    std::vector<std::vector<uint8_t>> pictures;
    for (int i = 0; i < (moving ? 64 : 1); ++i) pictures.push_back(Picture(i * 4));
    size_t n = 0;
    for (auto _ : state) {
        if (lib.frame(pictures[n++ % pictures.size()].data()) != 0) {
            state.SkipWithError("EncOneFrame failed");
            break;
        }
    }
    lib.close();
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
    state.counters["MB"] = static_cast<double>(std::filesystem::file_size(out)) / 1e6;
    std::remove(out.c_str());
}

void BM_EncoderFixedPicture(benchmark::State& state) {
    EncodeFrames(state, false);
}
void BM_EncoderPanningPicture(benchmark::State& state) {
    EncodeFrames(state, true);
}

BENCHMARK(BM_EncoderFixedPicture)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_EncoderPanningPicture)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
