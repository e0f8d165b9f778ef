#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/audioconv/AudioConvApi.h"
#include "platform/encoder/EncoderApi.h"
#include "tests/platform/MediaTestSupport.h"
#include "tests/support/TempDir.h"
#include "tests/support/WavFile.h"

namespace {

struct Encoder {
    CDynamicLibrary lib = LoadProgramLibrary("VelmorEncoder.so", {"initEncoder", "EncOneFrame", "closeEncoder"});
    InitEncoderFn init = lib.Entry<InitEncoderFn>("initEncoder");
    EncOneFrameFn frame = lib.Entry<EncOneFrameFn>("EncOneFrame");
    CloseEncoderFn close = lib.Entry<CloseEncoderFn>("closeEncoder");
};

// The settings of one run and what a player sees of it.
struct Profile {
    const char *extension;
    int width, height;
    const char *videoCodec, *videoRate, *audioCodec, *audioRate, *sampleRate, *channels, *frameRate;
    const char *probedVideo, *probedAudio, *probedFrameRate;
};

// A picture whose planes differ (chroma 90 and 190), its luma ramp moving from frame to frame.
std::vector<uint8_t> Picture(int w, int h, int index) {
    std::vector<uint8_t> yuv(static_cast<size_t>(w) * h * 3 / 2);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) yuv[static_cast<size_t>(y) * w + x] = static_cast<uint8_t>(60 + ((x + index * 2) % 64) * 2);
    const size_t luma = static_cast<size_t>(w) * h;
    std::fill(yuv.begin() + static_cast<std::ptrdiff_t>(luma), yuv.begin() + static_cast<std::ptrdiff_t>(luma + luma / 4), 90);
    std::fill(yuv.begin() + static_cast<std::ptrdiff_t>(luma + luma / 4), yuv.end(), 190);
    return yuv;
}

// Grain, panned `shift` pixels to the left: costly to code, but predictable from frame to frame.
std::vector<uint8_t> Grain(int w, int h, int shift) {
    std::vector<uint8_t> yuv(static_cast<size_t>(w) * h * 3 / 2);
    const int planeHeight = h * 3 / 2;
    for (int y = 0; y < planeHeight; ++y)
        for (int x = 0; x < w; ++x) {
            uint32_t v = static_cast<uint32_t>(y * 7919 + (x + shift) * 104729);
            v = (v ^ (v >> 13)) * 2654435761u;
            yuv[static_cast<size_t>(y) * w + x] = static_cast<uint8_t>(v >> 24);
        }
    return yuv;
}

// "30000/1001" as a number.
double RateOf(const std::string& text) {
    const auto slash = text.find('/');
    return std::atof(text.substr(0, slash).c_str()) / std::atof(text.substr(slash + 1).c_str());
}

int32_t InitWith(const Encoder& enc, const Profile& p, const std::string& out, const std::string& audio) {
    const std::string size = std::to_string(p.width) + "x" + std::to_string(p.height);
    return enc.init(p.width, p.height, out.c_str(), "/nonexistent/in.yuv", audio.c_str(), p.audioCodec, p.audioRate,
                    p.sampleRate, p.channels, p.videoCodec, p.videoRate, size.c_str(), p.frameRate);
}

// An MP2 music file as the program hands it over: a tone converted by the audio converter.
std::string MakeMusic(const TempDir& dir) {
    CDynamicLibrary conv = LoadProgramLibrary("libxToMp2.so", {"xToMp2"});
    auto convert = conv.Entry<XToMp2Fn>("xToMp2");
    const std::string wav = dir.File("tone.wav");
    const std::string mp2 = dir.File("music.mp2");
    WriteToneWav(wav, 44100, 2, 4.0, 440.0);
    if (!convert || convert(wav.c_str(), mp2.c_str(), nullptr) != 0) return {};
    return mp2;
}

class EncoderLibrary : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(enc.lib.IsLoaded()) << enc.lib.LastError(); }
    // A whole run of `frames` pictures, moving ones unless given.
    void Encode(const Profile& p, const std::string& out, int frames, const std::string& music = "",
                std::vector<uint8_t> (*picture)(int, int, int) = Picture) {
        ASSERT_EQ(InitWith(enc, p, out, music), 0) << out;
        for (int i = 0; i < frames; ++i) ASSERT_EQ(enc.frame(picture(p.width, p.height, i).data()), 0) << i;
        ASSERT_EQ(enc.close(), 0);
    }
    Encoder enc;
    TempDir dir;
};
class EncoderProfiles : public EncoderLibrary, public ::testing::WithParamInterface<Profile> {};

const Profile kAvi{".avi", 320, 240, "libxvid", "800kb", "libmp3lame", "128kb", "44100", "2", "25", "mpeg4", "mp3", "25/1"};

TEST_P(EncoderProfiles, WritesAFileThatPlaysWithMusicCutAtTheVideo) {
    const Profile p = GetParam();
    const std::string music = MakeMusic(dir);
    ASSERT_FALSE(music.empty());
    const std::string out = dir.File(std::string("show") + p.extension);
    constexpr int kFrames = 40;
    Encode(p, out, kFrames, music);

    const auto v = ProbeStream(out, "v:0");
    EXPECT_EQ(v.at("codec_name"), p.probedVideo);
    EXPECT_EQ(v.at("width"), std::to_string(p.width));
    EXPECT_EQ(v.at("height"), std::to_string(p.height));
    EXPECT_EQ(v.at("r_frame_rate"), p.probedFrameRate);
    EXPECT_EQ(v.at("nb_read_frames"), std::to_string(kFrames));
    // No gap or shift in the pictures' times: the stream lasts exactly its frames.
    const double videoSeconds = kFrames / RateOf(p.probedFrameRate);
    EXPECT_NEAR(std::atof(v.at("duration").c_str()), videoSeconds, 0.5 / RateOf(p.probedFrameRate));

    const auto a = ProbeStream(out, "a:0");
    ASSERT_FALSE(a.empty()) << "no audio stream";
    EXPECT_EQ(a.at("codec_name"), p.probedAudio);
    EXPECT_NEAR(AudioPacketSpan(out), videoSeconds, 0.08);
    // The tone came through (a silent track would sit near -91 dB).
    EXPECT_GT(MaxVolumeDb(out), -12.0);
    EXPECT_EQ(DecodeErrors(out), "");
}

INSTANTIATE_TEST_SUITE_P(
    Containers, EncoderProfiles,
    ::testing::Values(
        kAvi,
        Profile{".mp4", 352, 240, "mpeg4", "600kb", "libfaac", "96kb", "48000", "2", "29.97", "mpeg4", "aac",
                "30000/1001"},
        Profile{".mp4", 320, 240, "xvid", "600kb", "aac", "64kb", "44100", "1", "15", "mpeg4", "aac", "15/1"},
        Profile{".3gp", 176, 144, "h263p", "128kb", "libamr_nb", "12.2k", "8000", "1", "15", "h263", "amr_nb",
                "15/1"}),
    [](const ::testing::TestParamInfo<Profile>& info) {
        return std::string(info.param.extension + 1) + "_" + std::to_string(info.index);
    });

// Rates in their text forms: the MP3 track is constant-rate, so a misread unit moves it to
// another of its rates (105.6 kb/s would become 112).
TEST_F(EncoderLibrary, RateTextsReachTheFile) {
    struct Case {
        const char *audioRate, *frameRate, *probedFrameRate;
    };
    // 24.99 lies 0.015 from a television rate (25 x 1000/1001 = 24.975): no longer one.
    for (const Case& c : {Case{"96kb", "12.5", "25/2"}, Case{" 0.096M ", "23.976", "24000/1001"},
                          Case{"96000bps", "240", "240/1"}, Case{"96kb", "24.99", "2499/100"}}) {
        SCOPED_TRACE(c.audioRate);
        Profile p = kAvi;
        p.audioRate = c.audioRate;
        p.frameRate = c.frameRate;
        const std::string out = dir.File("rates.avi");
        Encode(p, out, 3);
        EXPECT_EQ(ProbeStream(out, "v:0").at("avg_frame_rate"), c.probedFrameRate);
        EXPECT_EQ(ProbeStream(out, "a:0").at("bit_rate"), "96000");
    }
}

// Plain H.263 serves its five picture sizes; any other needs the extended (H.263+) header. The
// first picture header tells: start code (22 bits), time (8), two fixed bits and three flags,
// then the source format in bits 35..37: 1 to 5 for the sizes, 7 for "extended".
TEST_F(EncoderLibrary, StandardSizesUsePlainH263) {
    struct Case {
        int width, height, format;
    };
    for (const Case& c : {Case{128, 96, 1}, Case{176, 144, 2}, Case{352, 288, 3}, Case{704, 576, 4},
                          Case{1408, 1152, 5}, Case{352, 240, 7}, Case{320, 240, 7}}) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        Profile p{".3gp", c.width, c.height, "h263p", "256kb", "libamr_nb", "12.2k", "8000", "1", "15", "h263", "amr_nb", "15/1"};
        const std::string out = dir.File("size.3gp"), raw = dir.File("size.h263");
        Encode(p, out, 1);
        RunCommand("ffmpeg -nostdin -v error -y -i " + ShellQuote(out) + " -c:v copy -f h263 " + ShellQuote(raw));
        const std::string bytes = ReadFileBytes(raw);
        ASSERT_GT(bytes.size(), 5u);
        EXPECT_EQ((static_cast<uint8_t>(bytes[4]) >> 2) & 7, c.format);
    }
}

TEST_F(EncoderLibrary, PlanesArriveInOrder) {
    const std::string out = dir.File("planes.avi");
    Profile p = kAvi;
    p.videoRate = "3000kb";
    Encode(p, out, 5);
    const std::string raw = dir.File("last.yuv");
    RunCommand("ffmpeg -nostdin -v error -i " + ShellQuote(out) +
               " -vf 'select=eq(n\\,4)' -frames:v 1 -f rawvideo -pix_fmt yuv420p " + ShellQuote(raw));
    const std::string bytes = ReadFileBytes(raw);
    constexpr size_t kLuma = 320 * 240;
    ASSERT_EQ(bytes.size(), kLuma * 3 / 2);
    auto mean = [&](size_t from, size_t to) {
        double sum = 0;
        for (size_t i = from; i < to; ++i) sum += static_cast<uint8_t>(bytes[i]);
        return sum / static_cast<double>(to - from);
    };
    EXPECT_NEAR(mean(0, kLuma), 60 + 63, 3); // the ramp 60, 62 .. 186 over whole periods
    EXPECT_NEAR(mean(kLuma, kLuma * 5 / 4), 90, 3);
    EXPECT_NEAR(mean(kLuma * 5 / 4, bytes.size()), 190, 3);
}

TEST_F(EncoderLibrary, MissingOrBrokenMusicGivesSilenceOfTheVideoLength) {
    WriteFileBytes(dir.File("empty.mp2"), "");
    WriteFileBytes(dir.File("junk.mp2"), std::string(5000, '\x5a'));
    for (const std::string& music : {dir.File("none.mp2"), dir.File("empty.mp2"), dir.File("junk.mp2")}) {
        const std::string out = dir.File("silent.avi");
        Encode(kAvi, out, 25, music);
        EXPECT_EQ(ProbeStream(out, "v:0").at("nb_read_frames"), "25");
        EXPECT_NEAR(AudioPacketSpan(out), 1.0, 0.08) << music;
        EXPECT_LT(MaxVolumeDb(out), -60.0) << music;
    }
}

TEST_F(EncoderLibrary, RefusedSettingsLeaveNothingAndFramesFailButBoundsAreAccepted) {
    const std::vector<uint8_t> yuv = Picture(320, 240, 0);
    struct Case {
        int32_t code;
        const char* Profile::*field;
        const char* value;
        const char* file = "bad.avi";
        int width = 320, height = 240;
        const char* size = nullptr; // "<width>x<height>" unless given
    };
    constexpr int32_t kArg = ENCODER_ERR_ARGUMENT, kCodec = ENCODER_ERR_CODEC;
    const Case cases[] = {
        {kCodec, &Profile::videoCodec, "libx999"}, {kCodec, &Profile::audioCodec, "libvorbisx"},
        {kArg, &Profile::frameRate, "fast"},       {kArg, &Profile::frameRate, "0.5"},
        {kArg, &Profile::frameRate, "241"},        {kArg, &Profile::videoRate, "lots"},
        {kArg, &Profile::videoRate, "12x"},        {kArg, &Profile::videoRate, "999"},
        {kArg, &Profile::videoRate, "100.1mb"},    {kArg, &Profile::audioRate, "0.9kb"},
        {kArg, &Profile::sampleRate, "7999"},      {kArg, &Profile::sampleRate, "96001"},
        {kArg, &Profile::channels, "0"},           {kArg, &Profile::channels, "3"},
        {kArg, nullptr, "", "bad.unknownext"},     {ENCODER_ERR_WRITE, nullptr, "", "missing/sub/bad.avi"},
        {kArg, nullptr, "", "bad.avi", 321, 240},  {kArg, nullptr, "", "bad.avi", 320, 243},
        {kArg, nullptr, "", "bad.avi", 320, 480, "320x240"},
    };
    for (const Case& c : cases) {
        const std::string size = c.size ? c.size : std::to_string(c.width) + "x" + std::to_string(c.height);
        SCOPED_TRACE(std::string(c.value) + " " + c.file + " " + size);
        Profile p = kAvi;
        if (c.field) p.*c.field = c.value;
        const std::string file = dir.File(c.file);
        EXPECT_EQ(enc.init(c.width, c.height, file.c_str(), "", "", p.audioCodec, p.audioRate, p.sampleRate,
                           p.channels, p.videoCodec, p.videoRate, size.c_str(), p.frameRate),
                  c.code);
        EXPECT_EQ(enc.frame(yuv.data()), ENCODER_ERR_NOT_OPEN);
        EXPECT_EQ(enc.close(), 0);
        EXPECT_EQ(enc.close(), 0);
        EXPECT_FALSE(std::filesystem::exists(file));
    }
    // The bounds themselves are accepted.
    for (const Case& c : {Case{0, &Profile::videoRate, "1000"}, Case{0, &Profile::frameRate, "1"}}) {
        Profile p = kAvi;
        p.*c.field = c.value;
        EXPECT_EQ(InitWith(enc, p, dir.File("bound.avi"), ""), 0) << c.value;
        EXPECT_EQ(enc.close(), 0);
    }
}

TEST_F(EncoderLibrary, WriteFailureEndsTheRunAndRemovesTheFile) {
    const std::string out = dir.File("full.avi");
    std::filesystem::create_symlink("/dev/full", out);
    Profile p = kAvi;
    p.videoRate = "5000kb";
    int32_t rc = InitWith(enc, p, out, "");
    int frames = 0;
    while (rc == 0 && frames < 200) rc = enc.frame(Picture(320, 240, frames++).data());
    if (rc == 0) rc = enc.close();
    EXPECT_NE(rc, 0) << "no failure reported after " << frames << " frames";
    EXPECT_NE(rc, 2) << "a failure must not read as a stop";
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(out)));
    EXPECT_NE(enc.frame(Picture(320, 240, 0).data()), 0);
    EXPECT_EQ(enc.close(), 0);
}

TEST_F(EncoderLibrary, OpeningAgainFinishesTheFileStillOpenAndClosedFilesRefuseFrames) {
    const std::string first = dir.File("first.avi"), second = dir.File("second.avi");
    ASSERT_EQ(InitWith(enc, kAvi, first, ""), 0);
    for (int i = 0; i < 3; ++i) ASSERT_EQ(enc.frame(Picture(320, 240, i).data()), 0);
    EXPECT_NE(enc.frame(nullptr), 0);
    Encode(kAvi, second, 1);
    EXPECT_NE(enc.frame(Picture(320, 240, 1).data()), 0);
    EXPECT_EQ(ProbeStream(first, "v:0").at("nb_read_frames"), "3");
    EXPECT_EQ(ProbeStream(second, "v:0").at("nb_read_frames"), "1");
    EXPECT_EQ(DecodeErrors(first), "");
}

// Which frames of a file's video are key frames, "1" or "0" each.
std::string KeyFrames(const std::string& file) {
    std::string keys;
    for (const char c : RunCommand("ffprobe -v error -select_streams v:0 -show_entries frame=key_frame -of csv=p=0 " +
                                   ShellQuote(file)).out)
        if (c == '0' || c == '1') keys += c;
    return keys;
}

// A key frame starts every second; where a still picture leaves the rate unused, extra key
// frames spend it, without making every frame one.
TEST_F(EncoderLibrary, KeyFramesEverySecondAndStillPicturesUseTheRate) {
    constexpr int kFrames = 75; // 3 s at 25 frames per second
    const std::string moving = dir.File("moving.avi"), still = dir.File("still.avi");
    Profile p = kAvi;
    p.videoRate = "200kb";
    Encode(p, moving, kFrames, "", [](int w, int h, int i) { return Grain(w, h, 2 * i); });
    std::string expected(kFrames, '0');
    for (int i = 0; i < kFrames; i += 25) expected[static_cast<size_t>(i)] = '1';
    EXPECT_EQ(KeyFrames(moving), expected);

    p.videoRate = "3000kb";
    Encode(p, still, kFrames, "", [](int w, int h, int) { return Grain(w, h, 0); });
    const std::string keys = KeyFrames(still);
    ASSERT_EQ(keys.size(), static_cast<size_t>(kFrames));
    const auto keyCount = std::count(keys.begin(), keys.end(), '1');
    EXPECT_GT(keyCount, 3);
    EXPECT_LT(keyCount, kFrames / 2);
    const auto video = ProbeStream(still, "v:0", "bit_rate");
    EXPECT_NEAR(std::atof(video.at("bit_rate").c_str()), 3e6, 3e5);
}

} // namespace
