// Encodes a file of raw YUV 4:2:0 frames through the encoder library alone, with the texts a
// profile hands it, and prints the seconds it took:
//   bench_encode_frames PROGRAM_DIR FRAMES.yuv OUTPUT WIDTH HEIGHT VCODEC VRATE FPS ACODEC ARATE SAMPLE CHANNELS MUSIC
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "render/EncoderParameters.h"
#include "render/EncoderSession.h"

int main(int argc, char** argv) {
    if (argc != 14) {
        std::fprintf(stderr, "usage: %s PROGRAM_DIR FRAMES.yuv OUTPUT W H VCODEC VRATE FPS ACODEC ARATE SAMPLE CH MUSIC\n",
                     argv[0]);
        return 2;
    }
    EncoderSession session;
    if (!session.Load(argv[1])) {
        std::fprintf(stderr, "cannot load the encoder library: %s\n", session.LastError().c_str());
        return 1;
    }
    EncoderParameters p;
    p.m_nWidth = std::atoi(argv[4]);
    p.m_nHeight = std::atoi(argv[5]);
    p.m_strOutputFile = argv[3];
    p.m_strVideoCodec = argv[6];
    p.m_strVideoBitRate = argv[7];
    p.m_strFrameRate = argv[8];
    p.m_strAudioCodec = argv[9];
    p.m_strAudioBitRate = argv[10];
    p.m_strAudioSampleRate = argv[11];
    p.m_strAudioChannels = argv[12];
    p.m_strAudioFile = argv[13];
    p.m_strFrameSize = std::to_string(p.m_nWidth) + "x" + std::to_string(p.m_nHeight);
    std::ifstream frames(argv[2], std::ios::binary);
    if (!frames) {
        std::fprintf(stderr, "cannot read %s\n", argv[2]);
        return 1;
    }
    std::vector<char> frame(static_cast<size_t>(p.m_nWidth) * static_cast<size_t>(p.m_nHeight) * 3 / 2);
    const auto start = std::chrono::steady_clock::now();
    if (session.Open(p) != 0) {
        std::fprintf(stderr, "initEncoder failed\n");
        return 1;
    }
    int64_t count = 0;
    while (frames.read(frame.data(), static_cast<std::streamsize>(frame.size()))) {
        if (session.FrameEntry()(reinterpret_cast<const uint8_t*>(frame.data())) != 0) {
            std::fprintf(stderr, "EncOneFrame failed at frame %lld\n", static_cast<long long>(count));
            return 1;
        }
        ++count;
    }
    session.Close();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%lld frames %.3f s\n", static_cast<long long>(count), seconds);
    return 0;
}
