// The main job for every shipped output profile, checked as a viewer of the video would: the
// stream layout and bit rates ffprobe reports, the music, and the pictures and fades read back
// from the decoded frames.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "model/GlobalUtils.h"
#include "tests/app/PicreelRunTest.h"
#include "tests/support/MissingDependency.h"
#include "tests/support/PixPictureFile.h"

namespace fs = std::filesystem;

namespace {

using Rgb = std::array<double, 3>;

// Three pictures far apart in brightness and hue, one file format each, larger than every
// profile's frame so that they are fitted down and never enlarged.
struct Picture {
    const char* file;
    DWORD format;
    Rgb colour;
};
const Picture kPictures[] = {
    {"0-dark-blue.jpg", PIXFORMAT_JPG, {20, 32, 122}},
    {"1-yellow.bmp", PIXFORMAT_BMP, {240, 224, 32}},
    {"2-red.png", PIXFORMAT_PNG, {180, 40, 40}},
};

// How far apart two levels may be after the lossy encode.
constexpr double kTolerance = 10;

// `from` moved by `share` towards `to`, and whether `got` is near that.
::testing::AssertionResult NearMix(const Rgb& got, const Rgb& from, const Rgb& to, double share) {
    for (size_t c = 0; c < 3; ++c)
        if (std::abs(got[c] - (from[c] + (to[c] - from[c]) * share)) > kTolerance)
            return ::testing::AssertionFailure() << got[0] << "/" << got[1] << "/" << got[2] << " is not " << share
                                                 << " of the way from " << from[0] << "/" << from[1] << "/" << from[2]
                                                 << " to " << to[0] << "/" << to[1] << "/" << to[2];
    return ::testing::AssertionSuccess();
}

// The mean colour of the middle of every frame, where the fitted picture always lies whatever
// the frame's shape, away from the background bars: ffmpeg averages it down to one pixel.
std::vector<Rgb> MiddleColours(const std::string& video, const std::string& raw) {
    std::vector<Rgb> colours;
    if (RunCommand("ffmpeg -v error -i " + ShellQuote(video) + " -map 0:v:0 -vf " +
                   "crop=iw*2/5:ih*2/5,scale=1:1:flags=area -f rawvideo -pix_fmt rgb24 -y " + ShellQuote(raw))
            .status != 0)
        return colours;
    const std::string bytes = ReadFileBytes(raw);
    auto level = [&bytes](size_t at) { return static_cast<double>(static_cast<uint8_t>(bytes[at])); };
    for (size_t i = 0; i + 2 < bytes.size(); i += 3) colours.push_back({level(i), level(i + 1), level(i + 2)});
    return colours;
}

// Replaces the transition of slide `slide` in a project file's text; returns the name of the
// transition of slide `named`.
std::string SetTransition(std::string& text, int slide, const std::string& setting, int named) {
    const std::string open = "<TRANSITION_EFFECT_SETTING NAME=\"", close = "</TRANSITION_EFFECT_SETTING>";
    std::vector<size_t> starts;
    for (size_t at = text.find(open); at != std::string::npos; at = text.find(open, at + 1)) starts.push_back(at);
    if (starts.size() <= static_cast<size_t>(std::max(slide, named))) return "";
    const size_t name = starts[static_cast<size_t>(named)] + open.size();
    const std::string kept = text.substr(name, text.find('"', name) - name);
    const size_t at = starts[static_cast<size_t>(slide)];
    text.replace(at, text.find(close, at) + close.size() - at, setting);
    return kept;
}

class PicreelVideo : public PicreelRunTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(PicreelVideo, MakesTheProfilesVideoOfThePictures) {
    if (!ToolAvailable("ffmpeg")) SKIP_OR_FAIL_IN_CI("ffmpeg is missing");
    const COutputProfile* profile = Profile(GetParam());
    ASSERT_TRUE(profile);

    // A project of the three pictures, slides 1 s shown with 1 s transitions; the transition
    // into the second slide is a plain cross-fade, the third keeps the one drawn at random.
    std::string pictures;
    for (const Picture& picture : kPictures) {
        const std::string path = m_dir.File(picture.file);
        const Rgb& c = picture.colour;
        ASSERT_TRUE(WritePixPicture(path, 800, 600, picture.format, [&](DWORD, DWORD) {
            return RGB(static_cast<BYTE>(c[0]), static_cast<BYTE>(c[1]), static_cast<BYTE>(c[2]));
        })) << path;
        pictures += " " + ShellQuote(path);
    }
    const std::string project = m_dir.File("show.prg");
    ASSERT_NO_FATAL_FAILURE(NewProject(project, pictures));
    std::string text = ReadFileBytes(project);
    const std::string lastTransition = SetTransition(text, 1,
                                                     "<TRANSITION_EFFECT_SETTING NAME=\"TRANSITION_EFFECT_ALPHA\">\r\n"
                                                     "<TRANSITION_EFFECT_ALPHA_PARAM>0</TRANSITION_EFFECT_ALPHA_PARAM>\r\n"
                                                     "</TRANSITION_EFFECT_SETTING>",
                                                     2);
    ASSERT_FALSE(lastTransition.empty()) << "the project has no transitions for slides 1 and 2";
    WriteFileBytes(project, text);

    // The first profile is the one used without --profile.
    const bool first = GetParam() == ProgramFolderProfiles().front();
    const Outcome made = Picreel("make " + ShellQuote(project) + " --output " + ShellQuote(m_dir.File("videos")) +
                                 (first ? "" : " --profile " + GetParam()));
    ASSERT_EQ(made.status, 0) << made.err;
    for (const char* said : {"Making 1 video file (", "Make video files successful!"})
        EXPECT_NE(made.err.find(said), std::string::npos) << made.err;
    const std::string video = m_dir.File("videos/Slideshow_0." + profile->m_strExt);
    EXPECT_EQ(made.out, video + "\n");
    ASSERT_TRUE(fs::exists(video));
    const std::string log = ReadFileBytes(m_data + "/log.txt");
    for (const char* line :
         {"Begin make Video files process", "begin join all mp2 file", "Begin make Slideshow video index:0"})
        EXPECT_NE(log.find(line), std::string::npos) << line;

    // The stream layout the profile asks for.
    const auto stream = ProbeStream(video, "v:0", "codec_name,width,height,r_frame_rate,nb_read_frames");
    const std::string& codec = profile->m_VideoCodec.m_Current.value;
    EXPECT_EQ(stream.at("codec_name"), codec == "xvid" ? "mpeg4" : codec);
    EXPECT_EQ(stream.at("width") + "x" + stream.at("height"), profile->m_VideoSize.m_Current.value);
    const std::string& rate = profile->m_FrameRate.m_Current.value;
    EXPECT_EQ(stream.at("r_frame_rate"), rate == "29.97" ? "30000/1001" : rate + "/1");
    // One second of fade-in, then each further slide fps x (display + transition) frames, fps
    // being the whole-number part of the frame rate.
    const int fps = std::atoi(rate.c_str());
    const int frameCount = fps + 2 * fps * (1 + 1);
    ASSERT_EQ(stream.at("nb_read_frames"), std::to_string(frameCount));

    const std::string& audioCodec = profile->m_AudioCodec.m_Current.value;
    const bool amr = audioCodec == "amr_nb";
    const auto audio = ProbeStream(video, "a:0", "codec_name,sample_rate,channels");
    ASSERT_FALSE(audio.empty()) << "no audio stream";
    EXPECT_EQ(audio.at("codec_name"), audioCodec);
    EXPECT_EQ(audio.at("sample_rate"), amr ? "8000" : profile->m_AudioSampleRate.m_Current.value);
    EXPECT_EQ(audio.at("channels"), amr ? "1" : profile->m_AudioChannels.m_Current.value.substr(0, 1));

    // The music is heard all through the show: ffmpeg's mean level (-40.8 dB is an RMS of 300
    // in 16 bits) over at least the video's length.
    const std::string sound = RunCommand("ffmpeg -nostats -i " + ShellQuote(video) + " -map 0:a:0 -af " +
                                         "aformat=channel_layouts=mono:sample_rates=8000,volumedetect -f null - 2>&1")
                                  .out;
    auto detected = [&sound](const std::string& key) {
        const size_t at = sound.find(key);
        return at == std::string::npos ? -1000.0 : std::atof(sound.c_str() + at + key.size());
    };
    EXPECT_GE(detected("n_samples: ") / 8000, frameCount / FramesPerSecond(rate) - 0.3) << sound;
    EXPECT_GT(detected("mean_volume: "), -40.8) << "the sound is silent";

    // The pictures, read back from the decoded frames. Every second goes from one colour to
    // the next, frame k of it at the share (k + 1) / fps: the fade-in from white, the cross-fade,
    // the second slide, the third slide's own transition (not checked) and the third slide.
    const std::vector<Rgb> mean = MiddleColours(video, m_dir.File("frames.rgb"));
    ASSERT_EQ(mean.size(), static_cast<size_t>(frameCount));
    const Rgb& p0 = kPictures[0].colour, &p1 = kPictures[1].colour, &p2 = kPictures[2].colour;
    const Rgb from[] = {{255, 255, 255}, p0, p1, p1, p2}, to[] = {p0, p1, p1, p2, p2};
    for (size_t i = 0; i < mean.size(); ++i) {
        const size_t second = i / static_cast<size_t>(fps), k = i % static_cast<size_t>(fps);
        if (second == 3) continue;
        EXPECT_TRUE(NearMix(mean[i], from[second], to[second], (k + 1.0) / fps))
            << "frame " << i << (second == 4 ? " after " + lastTransition : "");
    }
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

// Every shipped profile's video and audio bit rates are met within a tenth over a 31 s
// slideshow, both for slides standing still and for slides panning and zooming.
// Seven slides at the default 3 s shown and 2 s transition: 1 + 6 x 5 = 31 s.
constexpr int kSlides = 7;

class PicreelBitRate : public PicreelRunTest,
                       public ::testing::WithParamInterface<std::tuple<std::string, bool>> {};

// Bits per second of a stream: its packets over the video's length.
double StreamRate(const std::string& video, const char* stream, double seconds) {
    std::istringstream lines(RunCommand("ffprobe -v error -select_streams " + std::string(stream) +
                                        " -show_entries packet=size -of default=nw=1:nk=1 " + ShellQuote(video))
                                 .out);
    double bytes = 0;
    for (std::string line; std::getline(lines, line);) bytes += std::atof(line.c_str());
    return bytes * 8 / seconds;
}

TEST_P(PicreelBitRate, MeetsTheProfilesRates) {
    const auto& [name, moving] = GetParam();
    const COutputProfile* profile = Profile(name);
    ASSERT_TRUE(profile);

    // Small textured pictures, each of its own pattern, so that every slide costs bits: smooth
    // shading with a fine grain, as photos have.
    std::string pictures;
    for (int i = 0; i < kSlides; ++i) {
        const std::string path = m_dir.File("p" + std::to_string(i) + ".png");
        uint32_t seed = 2654435761u * static_cast<uint32_t>(i + 1);
        const bool written = WritePixPicture(path, 320, 240, PIXFORMAT_PNG, [&](DWORD x, DWORD y) {
            seed = seed * 1664525u + 1013904223u;
            const int grain = static_cast<int>(seed >> 28);
            return RGB((x * (i + 3) / 4 + grain) & 0xFF, (y * 2 / 3 + x / (i + 2) + grain) & 0xFF,
                       ((x + y) * (i + 1) / 6 + grain) & 0xFF);
        });
        if (!written) SKIP_OR_FAIL_IN_CI("pictures cannot be written in this build");
        pictures += " " + ShellQuote(path);
    }
    const std::string project = m_dir.File("show.prg");
    ASSERT_NO_FATAL_FAILURE(NewProject(project, pictures, false));
    if (moving) {
        // Pans and zooms in turn.
        std::string text = ReadFileBytes(project);
        int slide = 0;
        for (size_t at = text.find("<SINGLE_EFFECT_ID>20<"); at != std::string::npos;
             at = text.find("<SINGLE_EFFECT_ID>20<", at + 1))
            text.replace(at, 21, "<SINGLE_EFFECT_ID>" + std::to_string((slide++ * 3) % 20) + "<");
        WriteFileBytes(project, text);
    }
    const Outcome made = Picreel("make " + ShellQuote(project) + " --output " + ShellQuote(m_dir.File("v")) +
                                 " --profile " + name);
    ASSERT_EQ(made.status, 0) << made.err;
    const std::string video = m_dir.File("v/Slideshow_0." + profile->m_strExt);

    const std::string& rate = profile->m_FrameRate.m_Current.value;
    const int fps = std::atoi(rate.c_str());
    const double seconds = (fps + (kSlides - 1) * fps * 5) / FramesPerSecond(rate);
    const double videoRate = std::atof(profile->m_VideoBitrate.m_Current.value.c_str()) * 1000;
    EXPECT_NEAR(StreamRate(video, "v:0", seconds), videoRate, videoRate * 0.1) << "video";
    const double audioRate = std::atof(profile->m_AudioBitrate.m_Current.value.c_str()) * 1000;
    EXPECT_NEAR(StreamRate(video, "a:0", seconds), audioRate, audioRate * 0.1) << "audio";
}

GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(PicreelBitRate);
INSTANTIATE_TEST_SUITE_P(ShippedProfiles, PicreelBitRate,
                         ::testing::Combine(::testing::ValuesIn(ProgramFolderProfiles()), ::testing::Bool()),
                         [](const auto& info) {
                             std::string name = std::get<0>(info.param);
                             name[name.find('/')] = '_';
                             return name + (std::get<1>(info.param) ? "_moving" : "_still");
                         });

} // namespace
