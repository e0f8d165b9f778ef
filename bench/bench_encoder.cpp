// Frames per second of the encoder library alone: 720x480 pictures through VelmorEncoder.so with the
// profiles' MPEG-4 Part 2 ("xvid") video codec and MP3 sound, as a slideshow run hands them over.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/encoder/EncoderApi.h"
#include "render/EncoderParameters.h"
#include "render/EncoderSession.h"

namespace {

constexpr int kWidth = 720;
constexpr int kHeight = 480;

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
    EncoderSession session;
    if (!session.Load(PICREEL_PROGRAM_DIR)) {
        state.SkipWithError("VelmorEncoder.so not loadable");
        return;
    }
    EncoderParameters p;
    p.m_nWidth = kWidth;
    p.m_nHeight = kHeight;
    p.m_strOutputFile =
        (std::filesystem::temp_directory_path() / ("bench_encoder_" + std::to_string(getpid()) + ".avi")).string();
    p.m_strAudioFile = std::string(PICREEL_PROGRAM_DIR) + "menu_pic/silent.mp2";
    p.m_strAudioCodec = "libmp3lame";
    p.m_strAudioBitRate = "128kb";
    p.m_strAudioSampleRate = "44100";
    p.m_strAudioChannels = "2";
    p.m_strVideoCodec = "libxvid";
    p.m_strVideoBitRate = "1500kb";
    p.m_strFrameSize = "720x480";
    p.m_strFrameRate = "29.97";
    if (session.Open(p) != 0) {
        state.SkipWithError("initEncoder failed");
        return;
    }
    const EncOneFrameFn frame = session.FrameEntry();
    std::vector<std::vector<uint8_t>> pictures;
    for (int i = 0; i < (moving ? 64 : 1); ++i) pictures.push_back(Picture(i * 4));
    size_t n = 0;
    for (auto _ : state) {
        if (frame(pictures[n++ % pictures.size()].data()) != 0) {
            state.SkipWithError("EncOneFrame failed");
            break;
        }
    }
    session.Close();
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
    state.counters["MB"] = static_cast<double>(std::filesystem::file_size(p.m_strOutputFile)) / 1e6;
    std::remove(p.m_strOutputFile.c_str());
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
