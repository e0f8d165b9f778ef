// The main job for every shipped output profile, checked as a viewer of the video would: the
// stream layout ffprobe reports, and the pictures and fades read back from the decoded frames.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <iomanip>
#include <map>
#include <string>
#include <vector>

#include "app/CPicreelCommands.h"
#include "model/COutputProfileGroupList.h"
#include "model/GlobalUtils.h"
#include "tests/app/PicreelRunTest.h"
#include "tests/support/MissingDependency.h"
#include "tests/support/PixPictureFile.h"

namespace fs = std::filesystem;

namespace {

// Levels as the frames carry them: BT.601 with luma in 16..235.
struct Yuv {
    double y = 0, u = 0, v = 0;
};

Yuv ToYuv(double r, double g, double b) {
    return {16 + (65.481 * r + 128.553 * g + 24.966 * b) / 255,
            128 + (-37.797 * r - 74.203 * g + 112.0 * b) / 255,
            128 + (112.0 * r - 93.786 * g - 18.214 * b) / 255};
}

// Three pictures far apart in brightness and hue, one file format each.
struct Picture {
    const char* file;
    DWORD format;
    BYTE r, g, b;
};
const Picture kPictures[] = {
    {"0-dark-blue.jpg", PIXFORMAT_JPG, 20, 32, 122},
    {"1-yellow.bmp", PIXFORMAT_BMP, 240, 224, 32},
    {"2-red.png", PIXFORMAT_PNG, 180, 40, 40},
};
const Yuv kWhite = ToYuv(255, 255, 255);

// Larger than every profile's frame, so the pictures are fitted down and never enlarged.
bool WriteSolidPicture(const std::string& path, const Picture& picture) {
    return WritePixPicture(path, 800, 600, picture.format,
                           [&](DWORD, DWORD) { return RGB(picture.r, picture.g, picture.b); });
}

// Mean levels of the middle of a frame, where the fitted picture always lies whatever the
// frame's shape, away from the background bars.
Yuv MiddleMean(const std::string& frames, size_t index, int width, int height) {
    const size_t lumaSize = static_cast<size_t>(width) * static_cast<size_t>(height);
    const size_t chromaSize = lumaSize / 4;
    const char* frame = frames.data() + index * (lumaSize + 2 * chromaSize);
    const int cw = width / 2;
    double y = 0, u = 0, v = 0;
    size_t lumaCount = 0, chromaCount = 0;
    for (int row = height * 3 / 10; row < height * 7 / 10; ++row)
        for (int col = width * 3 / 10; col < width * 7 / 10; ++col, ++lumaCount)
            y += static_cast<uint8_t>(
                frame[static_cast<size_t>(row) * static_cast<size_t>(width) + static_cast<size_t>(col)]);
    for (int row = height * 3 / 20; row < height * 7 / 20; ++row)
        for (int col = cw * 3 / 10; col < cw * 7 / 10; ++col, ++chromaCount) {
            const size_t at = static_cast<size_t>(row) * static_cast<size_t>(cw) + static_cast<size_t>(col);
            u += static_cast<uint8_t>(frame[lumaSize + at]);
            v += static_cast<uint8_t>(frame[lumaSize + chromaSize + at]);
        }
    return {y / static_cast<double>(lumaCount), u / static_cast<double>(chromaCount),
            v / static_cast<double>(chromaCount)};
}

// How far apart two levels may be after the lossy encode.
constexpr double kTolerance = 10;

::testing::AssertionResult Near(const Yuv& got, const Yuv& want, const std::string& what) {
    if (std::abs(got.y - want.y) <= kTolerance && std::abs(got.u - want.u) <= kTolerance &&
        std::abs(got.v - want.v) <= kTolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << std::fixed << std::setprecision(0) << what << ": Y/U/V " << got.y << "/" << got.u << "/"
           << got.v << ", expected " << want.y << "/" << want.u << "/" << want.v;
}

// Frames [from, to) all show one picture; the first that does not is reported.
::testing::AssertionResult ShowPicture(const std::vector<Yuv>& mean, size_t from, size_t to, const Yuv& want,
                                       const std::string& what) {
    for (size_t i = from; i < to; ++i) {
        ::testing::AssertionResult near = Near(mean[i], want, what + ", frame " + std::to_string(i));
        if (!near) return near;
    }
    return ::testing::AssertionSuccess();
}

// Replaces the transition of slide `slide` in a project file's text.
void SetTransition(std::string& text, int slide, const std::string& setting) {
    const std::string open = "<TRANSITION_EFFECT_SETTING";
    const std::string close = "</TRANSITION_EFFECT_SETTING>";
    size_t at = text.find(open);
    for (int i = 0; i < slide && at != std::string::npos; ++i)
        at = text.find(open, at + 1);
    ASSERT_NE(at, std::string::npos) << "no transition for slide " << slide;
    const size_t end = text.find(close, at);
    ASSERT_NE(end, std::string::npos);
    text.replace(at, end + close.size() - at, setting);
}

// The name of slide `slide`'s transition in a project file's text.
std::string TransitionName(const std::string& text, int slide) {
    size_t at = text.find("<TRANSITION_EFFECT_SETTING NAME=\"");
    for (int i = 0; i < slide && at != std::string::npos; ++i)
        at = text.find("<TRANSITION_EFFECT_SETTING NAME=\"", at + 1);
    if (at == std::string::npos) return "?";
    at = text.find('"', at) + 1;
    return text.substr(at, text.find('"', at) - at);
}

class PicreelVideo : public PicreelRunTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(PicreelVideo, MakesTheProfilesVideoOfThePictures) {
    if (!ToolAvailable("ffmpeg")) SKIP_OR_FAIL_IN_CI("ffmpeg is missing");
    COutputProfileGroupList groups;
    ASSERT_TRUE(groups.Load(m_program));
    int32_t g = -1, p = -1;
    std::string error;
    ASSERT_TRUE(CPicreelCommands::FindProfile(groups, GetParam(), g, p, error)) << error;
    const COutputProfile& profile = *groups.GetAt(g)->GetAt(p);

    // A project of the three pictures, slides 1 s shown with 1 s transitions; the transition
    // into the second slide is a plain cross-fade, the third keeps the one drawn at random.
    std::string pictures;
    for (const Picture& picture : kPictures) {
        const std::string path = m_dir.File(picture.file);
        ASSERT_TRUE(WriteSolidPicture(path, picture)) << path;
        pictures += " " + ShellQuote(path);
    }
    const std::string project = m_dir.File("show.prg");
    const Outcome created = Picreel("new " + ShellQuote(project) + pictures);
    ASSERT_EQ(created.status, 0) << created.err;
    ShortenSlides(project);
    std::string text = ReadFileBytes(project);
    ASSERT_NO_FATAL_FAILURE(
        SetTransition(text, 1,
                      "<TRANSITION_EFFECT_SETTING NAME=\"TRANSITION_EFFECT_ALPHA\">\r\n"
                      "<TRANSITION_EFFECT_ALPHA_PARAM>0</TRANSITION_EFFECT_ALPHA_PARAM>\r\n"
                      "</TRANSITION_EFFECT_SETTING>"));
    WriteFileBytes(project, text);
    const std::string lastTransition = TransitionName(text, 2);

    const Outcome made = Picreel("make " + ShellQuote(project) + " --output " +
                                 ShellQuote(m_dir.File("videos")) + " --profile " + GetParam());
    ASSERT_EQ(made.status, 0) << made.err;
    const std::string video = m_dir.File("videos/Slideshow_0." + profile.m_strExt);
    EXPECT_EQ(made.out, video + "\n");
    ASSERT_TRUE(fs::exists(video));

    // The stream layout the profile asks for.
    const auto stream = Probe(video, "v", "codec_name,width,height,r_frame_rate,nb_read_frames");
    const std::map<std::string, std::string> codecNames = {{"xvid", "mpeg4"}};
    const std::string& codec = profile.m_VideoCodec.m_Current.value;
    EXPECT_EQ(stream.at("codec_name"), codecNames.count(codec) ? codecNames.at(codec) : codec);
    const std::string& size = profile.m_VideoSize.m_Current.value;
    ASSERT_EQ(stream.at("width") + "x" + stream.at("height"), size);
    const int width = std::atoi(stream.at("width").c_str());
    const int height = std::atoi(stream.at("height").c_str());
    const std::string& rate = profile.m_FrameRate.m_Current.value;
    EXPECT_EQ(stream.at("r_frame_rate"), rate == "29.97" ? "30000/1001" : rate + "/1");
    // One second of fade-in, then each further slide fps x (display + transition) frames, fps
    // being the whole-number part of the frame rate.
    const int fps = std::atoi(rate.c_str());
    const int frameCount = fps + 2 * fps * (1 + 1);
    ASSERT_EQ(stream.at("nb_read_frames"), std::to_string(frameCount));

    const std::string& audioCodec = profile.m_AudioCodec.m_Current.value;
    const bool amr = audioCodec == "amr_nb";
    const auto audio = Probe(video, "a", "codec_name,sample_rate,channels");
    ASSERT_FALSE(audio.empty()) << "no audio stream";
    EXPECT_EQ(audio.at("codec_name"), audioCodec);
    EXPECT_EQ(audio.at("sample_rate"), amr ? "8000" : profile.m_AudioSampleRate.m_Current.value);
    EXPECT_EQ(audio.at("channels"), amr ? "1" : profile.m_AudioChannels.m_Current.value.substr(0, 1));

    // The music is heard all through the show.
    const std::string pcm = m_dir.File("sound.pcm");
    ASSERT_EQ(RunCommand("ffmpeg -v error -i " + ShellQuote(video) + " -map 0:a:0 -ac 1 -ar 8000 -f s16le -y " +
                       ShellQuote(pcm))
                  .status,
              0);
    const std::string samples = ReadFileBytes(pcm);
    const double fpsExact = rate == "29.97" ? 30000.0 / 1001 : std::atof(rate.c_str());
    const double videoSeconds = frameCount / fpsExact;
    EXPECT_GE(static_cast<double>(samples.size()) / 2 / 8000, videoSeconds - 0.3);
    double power = 0;
    for (size_t i = 0; i + 1 < samples.size(); i += 2) {
        const double sample = static_cast<int16_t>(static_cast<uint8_t>(samples[i]) |
                                                   (static_cast<uint8_t>(samples[i + 1]) << 8));
        power += sample * sample;
    }
    EXPECT_GT(std::sqrt(power / static_cast<double>(samples.size() / 2 + 1)), 300) << "the sound is silent";

    // The pictures, read back from the decoded frames.
    const std::string raw = m_dir.File("frames.yuv");
    ASSERT_EQ(RunCommand("ffmpeg -v error -i " + ShellQuote(video) +
                       " -map 0:v:0 -f rawvideo -pix_fmt yuv420p -y " + ShellQuote(raw))
                  .status,
              0);
    const std::string frames = ReadFileBytes(raw);
    const size_t frameBytes = static_cast<size_t>(width) * static_cast<size_t>(height) * 3 / 2;
    ASSERT_EQ(frames.size(), frameBytes * static_cast<size_t>(frameCount));
    std::vector<Yuv> mean;
    for (int i = 0; i < frameCount; ++i)
        mean.push_back(MiddleMean(frames, static_cast<size_t>(i), width, height));
    Yuv level[3];
    for (int i = 0; i < 3; ++i)
        level[i] = ToYuv(kPictures[i].r, kPictures[i].g, kPictures[i].b);

    // The first second fades from white to the first picture, darkening frame by frame.
    EXPECT_GT(mean[0].y, 200) << "the first frame is not near white";
    for (int i = 0; i < fps; ++i) {
        const double expected = kWhite.y + (level[0].y - kWhite.y) * (i + 1) / fps;
        EXPECT_NEAR(mean[static_cast<size_t>(i)].y, expected, kTolerance) << "fade-in frame " << i;
        if (i > 0) {
            EXPECT_LE(mean[static_cast<size_t>(i)].y, mean[static_cast<size_t>(i) - 1].y + 2)
                << "frame " << i;
        }
    }
    EXPECT_TRUE(Near(mean[static_cast<size_t>(fps) - 1], level[0], "end of the fade-in"));

    // The cross-fade into the second slide moves steadily from the first picture to the second.
    const size_t in = static_cast<size_t>(fps), out = static_cast<size_t>(2 * fps);
    EXPECT_LT(std::abs(mean[in].y - level[0].y), std::abs(mean[in].y - level[1].y))
        << "start of the cross-fade";
    const double middle =
        (mean[in + static_cast<size_t>(fps) / 2].y - level[0].y) / (level[1].y - level[0].y);
    EXPECT_GT(middle, 0.3) << "middle of the cross-fade";
    EXPECT_LT(middle, 0.7) << "middle of the cross-fade";
    for (size_t i = in + 1; i < out; ++i)
        EXPECT_GE(mean[i].y, mean[i - 1].y - 2) << "cross-fade frame " << i;
    EXPECT_TRUE(Near(mean[out - 1], level[1], "end of the cross-fade"));
    EXPECT_TRUE(ShowPicture(mean, out, static_cast<size_t>(3 * fps), level[1], "second slide"));

    // After its transition the third slide shows the third picture to the end.
    EXPECT_TRUE(ShowPicture(mean, static_cast<size_t>(4 * fps), static_cast<size_t>(frameCount), level[2],
                            "third slide after " + lastTransition));
}

// Without a built program folder there is nothing to run; the coverage test below says so.
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(PicreelVideo);
INSTANTIATE_TEST_SUITE_P(ShippedProfiles, PicreelVideo, ::testing::ValuesIn(ProgramFolderProfiles()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             std::string name = info.param;
                             std::replace(name.begin(), name.end(), '/', '_');
                             return name;
                         });

// Every profile file shipped with the sources is among the profiles the video test covers.
TEST(PicreelVideoProfiles, CoverEveryShippedProfileFile) {
    const fs::path shipped = fs::path(PICREEL_SOURCE_DIR) / "data/program/profile/avoutput";
    size_t files = 0;
    for (const auto& group : fs::directory_iterator(shipped))
        if (group.is_directory())
            for (const auto& file : fs::directory_iterator(group.path()))
                files += file.path().extension() == ".xml";
    ASSERT_GT(files, 0u);
    EXPECT_EQ(ProgramFolderProfiles().size(), files);
}

} // namespace
