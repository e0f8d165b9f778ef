#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/audioconv/AudioConvApi.h"
#include "tests/platform/MediaTestSupport.h"
#include "tests/support/TempDir.h"
#include "tests/support/WavFile.h"

namespace {

const std::string kDefaultMusic = std::string(PICREEL_PROGRAM_DIR) + "menu_pic/default.mp3";

class AudioConverter : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(lib.IsLoaded()) << lib.LastError(); }
    double Seconds(const std::string& file) { return std::atof(ProbeFormat(file)["duration"].c_str()); }
    auto FilesIn() const {
        return std::distance(std::filesystem::directory_iterator(dir.Path()), std::filesystem::directory_iterator{});
    }

    CDynamicLibrary lib = LoadProgramLibrary("libxToMp2.so", {"xToMp2", "GetFileTimeLength"});
    XToMp2Fn convert = lib.Entry<XToMp2Fn>("xToMp2");
    GetFileTimeLengthFn length = lib.Entry<GetFileTimeLengthFn>("GetFileTimeLength");
    TempDir dir;
};

// A stop event that reports "set" from its n-th poll on.
struct CountdownStop {
    int pollsLeft;
    static int Test(void* self) { return --static_cast<CountdownStop*>(self)->pollsLeft <= 0 ? 1 : 0; }
    StopEventC View() { return StopEventC{this, &CountdownStop::Test}; }
};

void ExpectSharedMp2Format(const std::string& file) {
    const auto a = ProbeStream(file, "a:0");
    ASSERT_FALSE(a.empty()) << file;
    EXPECT_EQ(a.at("codec_name"), "mp2");
    EXPECT_EQ(a.at("sample_rate"), "44100");
    EXPECT_EQ(a.at("channels"), "2");
    EXPECT_EQ(a.at("bit_rate"), "192000");
}

TEST_F(AudioConverter, ConvertsWavAndMp3IntoOneJoinableFormatAndMeasuresWholeSeconds) {
    const std::string wav = dir.File("tone.wav"), fromWav = dir.File("a.mp2"), fromMp3 = dir.File("b.mp2");
    WriteToneWav(wav, 22050, 1, 3.5, 660.0);
    ASSERT_EQ(convert(wav.c_str(), fromWav.c_str(), nullptr), XTOMP2_OK);
    ASSERT_EQ(convert(kDefaultMusic.c_str(), fromMp3.c_str(), nullptr), XTOMP2_OK);
    ExpectSharedMp2Format(fromWav);
    ExpectSharedMp2Format(fromMp3);
    EXPECT_NEAR(Seconds(fromWav), 3.5, 0.1);
    EXPECT_GT(MaxVolumeDb(fromWav), -9.0);
    EXPECT_EQ(FilesIn(), 3) << "temporary files left behind";

    // Joined byte by byte, the files are one stream as long as both.
    const std::string joined = dir.File("joined.mp2");
    WriteFileBytes(joined, ReadFileBytes(fromWav) + ReadFileBytes(fromMp3));
    ExpectSharedMp2Format(joined);
    EXPECT_EQ(DecodeErrors(joined), "");
    EXPECT_NEAR(Seconds(joined), Seconds(fromWav) + Seconds(fromMp3), 0.05);

    // Lengths are cut to whole seconds.
    WriteToneWav(wav, 48000, 2, 2.9, 440.0);
    EXPECT_EQ(length(wav.c_str()), 2);
    EXPECT_EQ(length(kDefaultMusic.c_str()), 29);
    EXPECT_EQ(length((std::string(PICREEL_PROGRAM_DIR) + "menu_pic/silent.mp2").c_str()), 60);
}

TEST_F(AudioConverter, StopLeavesNothingBehind) {
    const std::string wav = dir.File("long.wav"), out = dir.File("out.mp2");
    WriteToneWav(wav, 44100, 2, 6.0, 440.0);
    for (int polls : {1, 40}) { // set before the start, and part-way through
        CountdownStop stop{polls};
        const StopEventC view = stop.View();
        EXPECT_EQ(convert(wav.c_str(), out.c_str(), &view), XTOMP2_STOPPED) << polls;
        EXPECT_EQ(FilesIn(), 1) << polls;
    }

    // An existing file survives a stopped conversion unchanged.
    WriteFileBytes(out, "previous");
    CountdownStop stop{40};
    const StopEventC view = stop.View();
    EXPECT_EQ(convert(wav.c_str(), out.c_str(), &view), XTOMP2_STOPPED);
    EXPECT_EQ(ReadFileBytes(out), "previous");

    // A stop event that is never set lets the conversion finish.
    CountdownStop never{1 << 30};
    const StopEventC quiet = never.View();
    EXPECT_EQ(convert(wav.c_str(), out.c_str(), &quiet), XTOMP2_OK);
    EXPECT_EQ(length(out.c_str()), 6);
}

TEST_F(AudioConverter, BadInputOrOutputIsAnErrorAndWritesNothing) {
    std::string junk(20000, '\0');
    for (size_t i = 0; i < junk.size(); ++i) junk[i] = static_cast<char>((i * 7919) >> 3);
    WriteFileBytes(dir.File("junk.mp3"), junk);
    WriteFileBytes(dir.File("empty.wav"), "");
    // A WAV header that promises data the file does not hold.
    WriteFileBytes(dir.File("cut.wav"), ToneWav(44100, 2, 44100).substr(0, 44));

    const std::string out = dir.File("out.mp2");
    for (const char* name : {"missing.mp3", "junk.mp3", "empty.wav", "cut.wav"}) {
        const std::string src = dir.File(name);
        EXPECT_EQ(convert(src.c_str(), out.c_str(), nullptr), XTOMP2_ERR_INPUT) << name;
        EXPECT_FALSE(std::filesystem::exists(out)) << name;
        EXPECT_EQ(length(src.c_str()), 0) << name;
    }
    EXPECT_EQ(convert(nullptr, out.c_str(), nullptr), XTOMP2_ERR_INPUT);
    EXPECT_EQ(length(nullptr), 0);

    const std::string good = dir.File("good.wav"), nowhere = dir.File("no/such/folder/out.mp2");
    WriteToneWav(good, 8000, 1, 0.5, 440.0);
    EXPECT_EQ(convert(good.c_str(), nowhere.c_str(), nullptr), XTOMP2_ERR_OUTPUT);
    EXPECT_EQ(convert(good.c_str(), nullptr, nullptr), XTOMP2_ERR_INPUT);
}

} // namespace
