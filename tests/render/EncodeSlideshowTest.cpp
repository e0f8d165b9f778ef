// The encoder driver against a stand-in library that logs every call, and once end to end.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "editor/AppDirectory.h"
#include "model/CProject.h"
#include "model/Log.h"
#include "render/COutputProfile.h"
#include "render/EncodeSlideshow.h"
#include "render/EncoderParameters.h"
#include "render/FrameSize.h"
#include "tests/render/RenderTestUtil.h"

using namespace rendertest;

namespace {

std::vector<int32_t> g_positions;
CEvent* g_stopAfter = nullptr;
size_t g_stopAt = 0;

// The page's record is opaque here: any address stands for it.
alignas(16) unsigned char g_record[64];
EncodeProgress* const g_progressRecord = reinterpret_cast<EncodeProgress*>(g_record);

void RecordProgress(int32_t position, void* progress) {
    EXPECT_EQ(progress, g_progressRecord);
    g_positions.push_back(position);
    if (g_stopAfter && g_positions.size() == g_stopAt) g_stopAfter->Set();
}

COutputProfile MakeProfile(const std::string& size, const std::string& rate, const std::string& vcodec = "xvid",
                           const std::string& acodec = "mp3") {
    COutputProfile p;
    p.m_VideoCodec.m_Current.value = vcodec;
    p.m_VideoSize.m_Current.value = size;
    p.m_VideoBitrate.m_Current.value = "512";
    p.m_FrameRate.m_Current.value = rate;
    p.m_AudioCodec.m_Current.value = acodec;
    p.m_AudioBitrate.m_Current.value = "128";
    p.m_AudioSampleRate.m_Current.value = "44100";
    p.m_AudioChannels.m_Current.value = "2";
    p.m_strExt = "avi";
    return p;
}

class EncodeSlideshowTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_log = m_dir.File("encoder.log");
        setenv("FAKE_ENCODER_LOG", m_log.c_str(), 1);
        unsetenv("FAKE_ENCODER_FAIL_AT");
        unsetenv("FAKE_ENCODER_FAIL_VALUE");
        SetLogFilePath(m_dir.File("log.txt"));
        g_positions.clear();
        g_stopAfter = nullptr;
        m_red = m_dir.File("red.bmp");
        m_blue = m_dir.File("blue.bmp");
        WriteSolidPicture(m_red, 40, 30, 0xFFFF0000);
        WriteSolidPicture(m_blue, 40, 30, 0xFF0000FF);
        m_job.m_pfnProgress = RecordProgress;
        m_job.m_pProgress = g_progressRecord;
        m_job.m_pStopEvent = &m_stop;
    }
    void TearDown() override {
        unsetenv("FAKE_ENCODER_LOG");
        SetLogFilePath("");
    }

    std::vector<std::string> Calls() const {
        std::vector<std::string> lines;
        std::istringstream in(ReadFileBytes(m_log));
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
    size_t Count(const std::string& prefix) const {
        size_t n = 0;
        for (const std::string& l : Calls()) n += l.rfind(prefix, 0) == 0;
        return n;
    }
    // Loaded and released as often, the encoder closed `closes` times.
    void ExpectReleased(size_t closes) const {
        EXPECT_EQ(Count("load"), 1u);
        EXPECT_EQ(Count("unload"), 1u);
        EXPECT_EQ(Calls().back(), "unload");
        EXPECT_EQ(Count("close"), closes);
    }

    int32_t Encode(const std::vector<SlideSpec>& slides, const COutputProfile& profile,
                   const std::string& folder = PICREEL_FAKE_ENCODER_DIR) {
        m_show = MakeSlideshow(m_dir, slides);
        m_show->m_strOutputFile = m_dir.File("out.avi");
        m_show->m_strMp2File = m_dir.File("music.mp2");
        m_job.m_pSlideshow = m_show.get();
        return EncodeSlideshow(&m_job, &profile, folder);
    }

    TempDir m_dir;
    std::string m_log, m_red, m_blue;
    EncodeJob m_job;
    CEvent m_stop;
    std::unique_ptr<CSlideShow> m_show;
};

} // namespace

TEST(FrameSizeTable, LookupByNameTakesTheFirstRow) {
    EXPECT_EQ(FindFrameSize("720x480")->m_nId, 0);
    EXPECT_EQ(FindFrameSize("320x240")->m_nId, 8);
    EXPECT_EQ(FindFrameSize("160x112")->m_nHeight, 112);
    EXPECT_EQ(FindFrameSize("320X240"), nullptr);
    EXPECT_EQ(FindFrameSize(""), nullptr);
    EXPECT_EQ(EncoderParameters::ParseWholeFps("29.97"), 29);
    EXPECT_EQ(EncoderParameters::ParseWholeFps("25"), 25);
    EXPECT_EQ(EncoderParameters::ParseWholeFps("fast"), 0);
    EXPECT_EQ(EncoderParameters::ParseWholeFps("99999999999"), 0);
}

TEST_F(EncodeSlideshowTest, FrameCountsFollowTheEncoderRule) {
    // The first slide's own times are not used: fps + 25 x (3 + 2) + 25 x (1 + 0).
    std::vector<SlideSpec> slides = {{m_red, 8, 5, 3}, {m_blue, 0, 3, 2, 0, 0}, {m_red, 13, 1, 0, 9, 0}};
    ASSERT_EQ(Encode(slides, MakeProfile("160x120", "25")), 0);
    EXPECT_EQ(Count("frame"), 25u + 125u + 25u);
    EXPECT_EQ(Count("init 160 120 "), 1u);
    ExpectReleased(1);
    EXPECT_EQ(g_positions.size(), 175u);
    for (size_t i = 1; i < g_positions.size(); ++i) EXPECT_GE(g_positions[i], g_positions[i - 1]);

    // At "29.97" the renderer counts 29 frames a second and the encoder is told "29.97".
    std::filesystem::remove(m_log);
    ASSERT_EQ(Encode(slides, MakeProfile("160x120", "29.97")), 0);
    EXPECT_EQ(Count("frame"), 29u + 29u * 5 + 29u);
    EXPECT_NE(Calls()[1].find("|160x120|29.97"), std::string::npos);
}

TEST_F(EncodeSlideshowTest, EncoderIsToldTheProfilesTexts) {
    ASSERT_EQ(Encode({{m_red}}, MakeProfile("320x240", "25")), 0);
    const std::string expected = "init 320 240 " + m_dir.File("out.avi") + "|" + PICREEL_FAKE_ENCODER_DIR +
                                 "menu_pic/in.yuv|" + m_dir.File("music.mp2") +
                                 "|libmp3lame|128kb|44100|2|libxvid|512kb|320x240|25";
    EXPECT_EQ(Calls()[1], expected);
    EXPECT_EQ(Count("frame"), 25u);

    std::filesystem::remove(m_log);
    ASSERT_EQ(Encode({{m_red}}, MakeProfile("176x144", "25", "h263", "amr_nb")), 0);
    EXPECT_NE(Calls()[1].find("|libamr_nb|12.2k|8000|1|h263p|512kb|176x144|25"), std::string::npos);
}

TEST_F(EncodeSlideshowTest, StopReturnsTwoAndClosesOnce) {
    g_stopAfter = &m_stop;
    g_stopAt = 40;
    EXPECT_EQ(Encode({{m_red}, {m_blue, 4, 3, 1}, {m_red}}, MakeProfile("160x120", "25")), 2);
    EXPECT_EQ(Count("frame"), 40u);
    ExpectReleased(1);
}

TEST_F(EncodeSlideshowTest, EncoderFailureIsReturnedAndClosesOnce) {
    setenv("FAKE_ENCODER_FAIL_AT", "30", 1);
    setenv("FAKE_ENCODER_FAIL_VALUE", "7", 1);
    EXPECT_EQ(Encode({{m_red}, {m_blue, 4, 3, 1}, {m_red}}, MakeProfile("160x120", "25")), 7);
    EXPECT_EQ(Count("frame"), 30u);
    EXPECT_EQ(Count("fail"), 1u); // nothing rendered after the failed frame
    EXPECT_EQ(g_positions.size(), 30u);
    ExpectReleased(1);

    // Failing at once: the progress callback is never called.
    std::filesystem::remove(m_log);
    g_positions.clear();
    setenv("FAKE_ENCODER_FAIL_AT", "0", 1);
    EXPECT_EQ(Encode({{m_red}}, MakeProfile("160x120", "25")), 7);
    EXPECT_TRUE(g_positions.empty());
    ExpectReleased(1);
}

TEST_F(EncodeSlideshowTest, TheLastFrameStillReportsFailureAndStop) {
    // Frames are encoded while the next one is composed: the very last frame's result and a stop
    // requested after it must still come back.
    setenv("FAKE_ENCODER_FAIL_AT", "24", 1);
    EXPECT_EQ(Encode({{m_red}}, MakeProfile("160x120", "25")), 7);
    EXPECT_EQ(g_positions.size(), 24u);
    ExpectReleased(1);

    unsetenv("FAKE_ENCODER_FAIL_AT");
    std::filesystem::remove(m_log);
    g_positions.clear();
    g_stopAfter = &m_stop;
    g_stopAt = 25;
    EXPECT_EQ(Encode({{m_red}}, MakeProfile("160x120", "25")), 2);
    EXPECT_EQ(Count("frame"), 25u);
    ExpectReleased(1);
}

TEST_F(EncodeSlideshowTest, RefusedJobsReturnOneBeforeTheEncoderIsCalled) {
    const COutputProfile good = MakeProfile("160x120", "25");
    struct Case {
        const char* what;
        COutputProfile profile;
        std::vector<SlideSpec> slides;
    };
    const std::vector<Case> cases = {
        {"frame rate without digits", MakeProfile("160x120", "fast"), {{m_red}}},
        {"frame rate zero", MakeProfile("160x120", "0"), {{m_red}}},
        {"size not in the table", MakeProfile("161x120", "25"), {{m_red}}},
        {"empty slideshow", good, {}},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(m_log);
        EXPECT_EQ(Encode(c.slides, c.profile), 1) << c.what;
        EXPECT_EQ(Count("init"), 0u) << c.what;
        ExpectReleased(0);
    }
    std::filesystem::remove(m_log);
    m_job.m_pSlideshow = m_show.get();
    EXPECT_EQ(EncodeSlideshow(&m_job, nullptr, PICREEL_FAKE_ENCODER_DIR), 1);
    ExpectReleased(0);

    // A library that lacks one of the entries is not used at all.
    std::filesystem::remove(m_log);
    EXPECT_EQ(Encode({{m_red}}, good, PICREEL_FAKE_ENCODER_NOCLOSE_DIR), 1);
    EXPECT_EQ(Count("init"), 0u);
    EXPECT_EQ(Count("load"), Count("unload"));
    EXPECT_EQ(Encode({{m_red}}, good, m_dir.File("no-library-here")), 1);
}

TEST_F(EncodeSlideshowTest, ProgressStepIsZeroWhenTheModelCountsNoFrames) {
    // One slide with no display and no transition time: the model counts 0 frames, the encoder
    // still writes the one-second fade-in.
    ASSERT_EQ(Encode({{m_red, 20, 0, 0}}, MakeProfile("160x120", "25")), 0);
    ASSERT_EQ(m_show->GetTotalFrames(), 0);
    EXPECT_EQ(g_positions.size(), 25u);
    for (int32_t p : g_positions) EXPECT_EQ(p, 0);
}

TEST_F(EncodeSlideshowTest, EndToEndVideoFile) {
    const std::string program = PICREEL_PROGRAM_DIR;
    if (!std::filesystem::exists(program + "VelmorEncoder.so") || std::system("ffprobe -version >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "encoder library or ffprobe missing";
    COutputProfile profile = MakeProfile("320x240", "25");
    m_show = MakeSlideshow(m_dir, {{m_red, 8}, {m_blue, 0, 1, 1, 0, 0}, {m_red, 13, 1, 0, 5, 0}});
    m_show->m_strOutputFile = m_dir.File("show.avi");
    m_show->m_strMp2File = program + "menu_pic/silent.mp2";
    m_job.m_pSlideshow = m_show.get();
    ASSERT_EQ(EncodeSlideshow(&m_job, &profile, program), 0);
    const std::string report = m_dir.File("probe.txt");
    const std::string command = "ffprobe -v error -select_streams v:0 -count_frames -show_entries "
                                "stream=codec_name,width,height,nb_read_frames -of csv=p=0 '" +
                                m_show->m_strOutputFile + "' > '" + report + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::string probe = ReadFileBytes(report);
    while (!probe.empty() && (probe.back() == '\n' || probe.back() == '\r')) probe.pop_back();
    EXPECT_EQ(probe, "mpeg4,320,240,100");
}

TEST_F(EncodeSlideshowTest, ProjectEntryUsesTheCurrentProfileAndProgramFolder) {
    auto group = std::make_unique<COutputProfileGroup>();
    group->m_arrProfiles.push_back(std::make_unique<COutputProfile>(MakeProfile("176x144", "25")));
    g_Project.m_ProfileGroups.m_arrGroups.clear();
    g_Project.m_ProfileGroups.m_arrGroups.push_back(std::move(group));
    g_Project.m_ProfileGroups.m_nCurrent = 0;
    SetAppDirectoryOverride(PICREEL_FAKE_ENCODER_DIR);
    m_show = MakeSlideshow(m_dir, {{m_red}, {m_blue, 3, 1, 1}});
    m_job.m_pSlideshow = m_show.get();
    EXPECT_EQ(EncodeSlideshow(&m_job), 0);
    EXPECT_EQ(Count("init 176 144 "), 1u);
    EXPECT_EQ(Count("frame"), 25u + 50u);

    // No current group: refused before the encoder is opened.
    g_Project.m_ProfileGroups.m_nCurrent = 3;
    std::filesystem::remove(m_log);
    EXPECT_EQ(EncodeSlideshow(&m_job), 1);
    EXPECT_EQ(Count("init"), 0u);
    g_Project.m_ProfileGroups.m_arrGroups.clear();
    g_Project.m_ProfileGroups.m_nCurrent = 0;
    SetAppDirectoryOverride("");
}
