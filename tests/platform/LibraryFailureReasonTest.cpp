// The encoder and audio converter libraries say why a call failed: the step and the system's
// reason, with the result code, through their optional error entries. The failures are ones that
// root meets too (tests may run as root, for whom permissions never fail).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/audioconv/AudioConvApi.h"
#include "platform/encoder/EncoderApi.h"
#include "tests/platform/MediaTestSupport.h"
#include "tests/support/TempDir.h"
#include "tests/support/WavFile.h"

namespace fs = std::filesystem;

namespace {

template <class Fn> std::string ErrorText(Fn entry, int32_t& code, int32_t size = 512) {
    std::vector<char> text(static_cast<size_t>(size) + 1, 'x');
    code = entry(text.data(), size);
    return text.data();
}

class EncoderFailureReason : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(lib.IsLoaded()) << lib.LastError(); }

    int32_t Init(const std::string& out, const char* videoCodec = "libxvid", const char* size = "160x120",
                 const char* rate = "25") {
        return init(160, 120, out.c_str(), "", "", "libmp3lame", "64kb", "44100", "2", videoCodec, "300kb", size, rate);
    }
    std::string Reason(int32_t& code) { return ErrorText(error, code); }

    CDynamicLibrary lib =
        LoadProgramLibrary("VelmorEncoder.so", {"initEncoder", "EncOneFrame", "closeEncoder", "getEncoderError"});
    InitEncoderFn init = lib.Entry<InitEncoderFn>("initEncoder");
    EncOneFrameFn frame = lib.Entry<EncOneFrameFn>("EncOneFrame");
    CloseEncoderFn close = lib.Entry<CloseEncoderFn>("closeEncoder");
    GetEncoderErrorFn error = lib.Entry<GetEncoderErrorFn>("getEncoderError");
    TempDir dir;
};

TEST_F(EncoderFailureReason, EachRefusedStartSaysWhy) {
    fs::create_directories(dir.File("taken.avi"));
    WriteFileBytes(dir.File("plain"), "a file, not a folder");
    const std::string taken = dir.File("taken.avi"), under = dir.File("plain/x.avi");
    const std::string tooLong = dir.File(std::string(300, 'n') + ".avi");
    struct Case {
        std::string out;
        const char* codec;
        const char* size;
        const char* rate;
        int32_t code;
        std::string reason;
    };
    const Case cases[] = {
        {taken, "libxvid", "160x120", "25", ENCODER_ERR_WRITE, "cannot create '" + taken + "': Is a directory"},
        {under, "libxvid", "160x120", "25", ENCODER_ERR_WRITE, "cannot create '" + under + "': Not a directory"},
        {tooLong, "libxvid", "160x120", "25", ENCODER_ERR_WRITE, "cannot create '" + tooLong + "': File name too long"},
        {dir.File("a.avi"), "theora", "160x120", "25", ENCODER_ERR_CODEC, "unknown video codec 'theora'"},
        {dir.File("a.avi"), "libxvid", "320x240", "25", ENCODER_ERR_ARGUMENT, "the frame size '320x240' is not 160x120"},
        {dir.File("a.avi"), "libxvid", "160x120", "fast", ENCODER_ERR_ARGUMENT, "the frame rate 'fast' is not usable"},
        {dir.File("a.nosuchformat"), "libxvid", "160x120", "25", ENCODER_ERR_ARGUMENT,
         "no container format for the file name '" + dir.File("a.nosuchformat") + "'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.out + " " + c.codec);
        EXPECT_EQ(Init(c.out, c.codec, c.size, c.rate), c.code);
        int32_t code = 0;
        EXPECT_EQ(Reason(code), c.reason);
        EXPECT_EQ(code, c.code);
        // The frames that follow fail for want of an encoder, and say so.
        const std::vector<uint8_t> picture(160 * 120 * 3 / 2, 128);
        EXPECT_EQ(frame(picture.data()), ENCODER_ERR_NOT_OPEN);
        EXPECT_EQ(Reason(code), "no encoder is open");
        EXPECT_EQ(close(), ENCODER_OK);
    }
    // A start that succeeds forgets the failures before it; the text is cut to the room given.
    ASSERT_EQ(Init(taken), ENCODER_ERR_WRITE);
    int32_t code = 0;
    EXPECT_EQ(ErrorText(error, code, 6), "canno");
    EXPECT_EQ(code, ENCODER_ERR_WRITE);
    EXPECT_EQ(error(nullptr, 0), ENCODER_ERR_WRITE);
    ASSERT_EQ(Init(dir.File("good.avi")), ENCODER_OK);
    EXPECT_EQ(Reason(code), "");
    EXPECT_EQ(code, ENCODER_OK);
    EXPECT_EQ(close(), ENCODER_OK);
}

TEST_F(EncoderFailureReason, AFullDiskIsNamedWhereverTheWriteFails) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
    // Grain codes to many bytes, so the first frames already overflow the write buffer.
    const std::string out = dir.File("full.avi");
    fs::create_symlink("/dev/full", out);
    ASSERT_EQ(Init(out), ENCODER_OK);
    std::vector<uint8_t> picture(160 * 120 * 3 / 2);
    int32_t rc = ENCODER_OK;
    for (int i = 0; i < 250 && rc == ENCODER_OK; ++i) {
        for (size_t k = 0; k < picture.size(); ++k) picture[k] = static_cast<uint8_t>((k * 2654435761u + i * 40503u) >> 13);
        rc = frame(picture.data());
    }
    if (rc == ENCODER_OK) rc = close();
    EXPECT_EQ(rc, ENCODER_ERR_WRITE);
    int32_t code = 0;
    EXPECT_EQ(Reason(code), "cannot write '" + out + "': No space left on device");
    EXPECT_EQ(code, ENCODER_ERR_WRITE);
    close();

    // A video small enough for the buffer fails only when the file is finished.
    fs::remove(out);
    fs::create_symlink("/dev/full", out);
    ASSERT_EQ(Init(out), ENCODER_OK);
    const std::vector<uint8_t> grey(160 * 120 * 3 / 2, 128);
    ASSERT_EQ(frame(grey.data()), ENCODER_OK);
    EXPECT_EQ(close(), ENCODER_ERR_WRITE);
    EXPECT_EQ(Reason(code), "cannot write '" + out + "': No space left on device");
}

class ConverterFailureReason : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(lib.IsLoaded()) << lib.LastError(); }
    std::string Reason(int32_t& code) { return ErrorText(error, code); }

    CDynamicLibrary lib = LoadProgramLibrary("libxToMp2.so", {"xToMp2", "getConvertError"});
    XToMp2Fn convert = lib.Entry<XToMp2Fn>("xToMp2");
    GetConvertErrorFn error = lib.Entry<GetConvertErrorFn>("getConvertError");
    TempDir dir;
};

TEST_F(ConverterFailureReason, EachFailedConversionSaysWhy) {
    const std::string wav = dir.File("tone.wav"), noise = dir.File("noise.mp3"), missing = dir.File("gone.wav");
    WriteToneWav(wav, 22050, 1, 0.5, 440.0);
    std::string bytes;
    for (int i = 0; i < 3000; ++i) bytes += static_cast<char>(i * 7919 % 251);
    WriteFileBytes(noise, bytes);
    WriteFileBytes(dir.File("plain"), "a file, not a folder");
    fs::create_directories(dir.File("taken.mp2"));
    const std::string under = dir.File("plain/x.mp2");
    struct Case {
        std::string src, dst;
        int32_t code;
        std::string reason; // its start; the temporary file's name follows the folder
    };
    const Case cases[] = {
        {missing, dir.File("a.mp2"), XTOMP2_ERR_INPUT, "cannot read '" + missing + "': No such file or directory"},
        {noise, dir.File("a.mp2"), XTOMP2_ERR_INPUT, "cannot read '" + noise + "': "},
        {wav, under, XTOMP2_ERR_OUTPUT, "cannot create '" + under + ".part"},
        {wav, dir.File("taken.mp2"), XTOMP2_ERR_OUTPUT, "cannot rename '" + dir.File("taken.mp2") + ".part"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.src + " -> " + c.dst);
        EXPECT_EQ(convert(c.src.c_str(), c.dst.c_str(), nullptr), c.code);
        int32_t code = 0;
        const std::string reason = Reason(code);
        EXPECT_EQ(reason.rfind(c.reason, 0), 0u) << reason;
        EXPECT_EQ(code, c.code);
    }
    int32_t code = 0;
    const std::string notDir = Reason(code);
    EXPECT_NE(notDir.find("' to '" + dir.File("taken.mp2") + "': Is a directory"), std::string::npos) << notDir;
    EXPECT_EQ(convert(wav.c_str(), under.c_str(), nullptr), XTOMP2_ERR_OUTPUT);
    EXPECT_NE(Reason(code).find("': Not a directory"), std::string::npos);
    // A conversion that succeeds forgets the failure before it.
    EXPECT_EQ(convert(wav.c_str(), dir.File("good.mp2").c_str(), nullptr), XTOMP2_OK);
    EXPECT_EQ(Reason(code), "");
    EXPECT_EQ(code, XTOMP2_OK);
}

} // namespace
