#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/MissingDependency.h"
#include "platform/media/AudioDecoder.h"
#include "platform/media/AudioSink.h"
#include "platform/media/MediaPlayer.h"
#include "tests/support/ShellCommand.h"
#include "tests/support/TempDir.h"
#include "tests/support/WavFile.h"

namespace {

// A 16-bit stereo PCM WAV at the output rate whose left channel counts frames and whose right
// channel is the negated count, so that every decoded frame tells where it came from.
std::string MakeCountingWav(uint32_t frames) {
    return WavBytes(kSinkSampleRate, 2, frames, [](uint32_t i, uint16_t channel) {
        const auto value = static_cast<int16_t>(i % 30000);
        return static_cast<int16_t>(channel ? -value : value);
    });
}

std::vector<int16_t> ReadAll(CAudioDecoder& decoder) {
    std::vector<int16_t> all, chunk;
    CAudioDecoder::ReadResult result;
    while ((result = decoder.Read(chunk)) == CAudioDecoder::ReadResult::Data) all.insert(all.end(), chunk.begin(), chunk.end());
    EXPECT_EQ(result, CAudioDecoder::ReadResult::End);
    return all;
}

// Encodes a one-second tone with the ffmpeg tool; "" when the tool is missing.
std::string EncodeTone(const TempDir& dir, const std::string& name, const std::string& codecArgs) {
    const std::string path = dir.File(name);
    const std::string command = "ffmpeg -nostdin -hide_banner -loglevel error -f lavfi -i sine=frequency=440:duration=1 " +
                                codecArgs + " -y " + ShellQuote(path);
    return RunCommand(command).status == 0 ? path : std::string();
}

}  // namespace

TEST(MediaAudioDecoder, DecodesEverySampleAndSeeksToTheExactFrame) {
    TempDir dir;
    const std::string path = dir.File("count.wav");
    constexpr uint32_t kFrames = 20000;
    WriteFileBytes(path, MakeCountingWav(kFrames));

    CAudioDecoder decoder;
    ASSERT_TRUE(decoder.Open(path));
    EXPECT_EQ(decoder.Duration(), int64_t{kFrames} * kMediaTimeUnitsPerSecond / kSinkSampleRate);
    const std::vector<int16_t> all = ReadAll(decoder);
    ASSERT_EQ(all.size(), size_t{kFrames} * 2);
    for (uint32_t i = 0; i < kFrames; i += 997) {
        EXPECT_EQ(all[i * 2], static_cast<int16_t>(i));
        EXPECT_EQ(all[i * 2 + 1], static_cast<int16_t>(-static_cast<int16_t>(i)));
    }

    // Seeking back after the end and again while reading: playback continues at the frame asked for.
    for (const uint32_t target : {12345u, 0u, 19999u, 777u}) {
        SCOPED_TRACE(target);
        ASSERT_TRUE(decoder.Seek(target));
        const std::vector<int16_t> rest = ReadAll(decoder);
        ASSERT_EQ(rest.size(), size_t{kFrames - target} * 2);
        EXPECT_EQ(rest[0], static_cast<int16_t>(target));
    }
}

TEST(MediaAudioDecoder, CompressedMusicDecodesAndSeeks) {
    TempDir dir;
    struct Case {
        const char* name;
        const char* args;
    };
    for (const Case& c : {Case{"tone.mp3", "-ar 44100 -ac 2 -c:a libmp3lame -b:a 128k"},
                          Case{"tone.mp2", "-ar 32000 -ac 1 -c:a mp2"}}) {
        SCOPED_TRACE(c.name);
        const std::string path = EncodeTone(dir, c.name, c.args);
        if (path.empty()) SKIP_OR_FAIL_IN_CI("the ffmpeg tool cannot make the fixture");

        CAudioDecoder decoder;
        ASSERT_TRUE(decoder.Open(path));
        EXPECT_NEAR(static_cast<double>(decoder.Duration()), 1.0 * kMediaTimeUnitsPerSecond,
                    0.1 * kMediaTimeUnitsPerSecond);
        const size_t frames = ReadAll(decoder).size() / 2;
        EXPECT_NEAR(static_cast<double>(frames), kSinkSampleRate, kSinkSampleRate * 0.1);

        ASSERT_TRUE(decoder.Seek(kSinkSampleRate / 2));
        const size_t rest = ReadAll(decoder).size() / 2;
        EXPECT_NEAR(static_cast<double>(rest), frames - kSinkSampleRate / 2.0, kSinkSampleRate * 0.05);
    }
}
