// Every shipped profile's video and audio bit rates are met within a tenth over a 31 s
// slideshow, both for slides standing still and for slides panning and zooming.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <tuple>

#include "app/CPicreelCommands.h"
#include "model/GlobalUtils.h"
#include "model/COutputProfileGroupList.h"
#include "tests/app/PicreelRunTest.h"
#include "tests/support/MissingDependency.h"
#include "tests/support/PixPictureFile.h"

namespace {

// Seven slides at the default 3 s shown and 2 s transition: 1 + 6 x 5 = 31 s.
constexpr int kSlides = 7;

class PicreelBitRate : public PicreelRunTest,
                       public ::testing::WithParamInterface<std::tuple<std::string, bool>> {};

// Bits per second of a stream: its packets over the video's length.
double StreamRate(const std::string& video, const char* stream, double seconds) {
    const CommandResult sizes = RunCommand("ffprobe -v error -select_streams " + std::string(stream) +
                                           " -show_entries packet=size -of default=nw=1:nk=1 " + ShellQuote(video));
    std::istringstream lines(sizes.out);
    double bytes = 0;
    for (std::string line; std::getline(lines, line);) bytes += std::atof(line.c_str());
    return bytes * 8 / seconds;
}

TEST_P(PicreelBitRate, MeetsTheProfilesRates) {
    const auto& [name, moving] = GetParam();
    COutputProfileGroupList groups;
    ASSERT_TRUE(groups.Load(m_program));
    int32_t g = -1, p = -1;
    std::string error;
    ASSERT_TRUE(CPicreelCommands::FindProfile(groups, name, g, p, error)) << error;
    const COutputProfile& profile = *groups.GetAt(g)->GetAt(p);

    // Small textured pictures, each of its own pattern, so that every slide costs bits.
    std::string pictures;
    for (int i = 0; i < kSlides; ++i) {
        const std::string path = m_dir.File("p" + std::to_string(i) + ".png");
        uint32_t seed = 2654435761u * static_cast<uint32_t>(i + 1);
        const bool written = WritePixPicture(path, 320, 240, PIXFORMAT_PNG, [&](DWORD x, DWORD y) {
            // Smooth shading with a fine grain, as photos have.
            seed = seed * 1664525u + 1013904223u;
            const int grain = static_cast<int>(seed >> 28);
            return RGB((x * (i + 3) / 4 + grain) & 0xFF, (y * 2 / 3 + x / (i + 2) + grain) & 0xFF,
                       ((x + y) * (i + 1) / 6 + grain) & 0xFF);
        });
        if (!written) SKIP_OR_FAIL_IN_CI("pictures cannot be written in this build");
        pictures += " " + ShellQuote(path);
    }
    const std::string project = m_dir.File("show.prg");
    const Outcome created = Picreel("new " + ShellQuote(project) + pictures);
    ASSERT_EQ(created.status, 0) << created.err;
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
    const std::string video = m_dir.File("v/Slideshow_0." + profile.m_strExt);

    const std::string& rate = profile.m_FrameRate.m_Current.value;
    const int fps = std::atoi(rate.c_str());
    const double seconds = (fps + (kSlides - 1) * fps * 5) / (rate == "29.97" ? 30000.0 / 1001 : fps);
    const double videoRate = std::atof(profile.m_VideoBitrate.m_Current.value.c_str()) * 1000;
    EXPECT_NEAR(StreamRate(video, "v:0", seconds), videoRate, videoRate * 0.1) << "video";
    const double audioRate = std::atof(profile.m_AudioBitrate.m_Current.value.c_str()) * 1000;
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

}  // namespace
