// The encoder driver against a stand-in library that logs every call, and once end to end.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "tests/support/MissingDependency.h"
#include "editor/AppDirectory.h"
#include "model/CProject.h"
#include "model/Log.h"
#include "model/COutputProfile.h"
#include "render/EncodeSlideshow.h"
#include "tests/render/RenderTestUtil.h"
#include "tests/support/ShellCommand.h"

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
    const std::pair<CProfileParam*, std::string> values[] = {
        {&p.m_VideoCodec, vcodec}, {&p.m_VideoSize, size},        {&p.m_VideoBitrate, "512"},    {&p.m_FrameRate, rate},
        {&p.m_AudioCodec, acodec}, {&p.m_AudioBitrate, "128"}, {&p.m_AudioSampleRate, "44100"}, {&p.m_AudioChannels, "2"}};
    for (const auto& [param, value] : values) param->m_Current.value = value;
    p.m_strExt = "avi";
    return p;
}

class EncodeSlideshowTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_log = m_dir.File("encoder.log");
        setenv("FAKE_ENCODER_LOG", m_log.c_str(), 1);
        unsetenv("FAKE_ENCODER_FAIL_AT");
        setenv("FAKE_ENCODER_FAIL_VALUE", "5", 1);
        SetLogFilePath(m_dir.File("log.txt"));
        g_positions.clear();
        g_stopAfter = nullptr;
        WriteSolidPicture(m_red, 40, 30, 0xFFFF0000);
        WriteSolidPicture(m_blue, 40, 30, 0xFF0000FF);
        m_job.m_pfnProgress = RecordProgress;
        m_job.m_pProgress = g_progressRecord;
        m_job.m_pStopEvent = &m_stop;
    }
    void TearDown() override {
        unsetenv("FAKE_ENCODER_LOG");
        unsetenv("FAKE_ENCODER_FAIL_AT");
        SetLogFilePath("");
    }

    // The stand-in's log from the start, or since the last call of Fresh().
    std::vector<std::string> Calls() const {
        std::vector<std::string> lines;
        std::istringstream in(ReadFileBytes(m_log));
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
    void Fresh() {
        std::filesystem::remove(m_log);
        g_positions.clear();
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

    int32_t Encode(const std::vector<SlidePlan>& slides, const COutputProfile& profile,
                   const std::string& folder = PICREEL_FAKE_ENCODER_DIR) {
        m_show = MakeSlideshow(m_dir, slides);
        m_show->m_strOutputFile = m_dir.File("out.avi");
        m_show->m_strMp2File = m_dir.File("music.mp2");
        m_job.m_pSlideshow = m_show.get();
        return EncodeSlideshow(&m_job, &profile, folder);
    }

    TempDir m_dir;
    std::string m_log, m_red = m_dir.File("red.bmp"), m_blue = m_dir.File("blue.bmp");
    EncodeJob m_job;
    CEvent m_stop;
    std::unique_ptr<CSlideShow> m_show;
};

} // namespace

TEST_F(EncodeSlideshowTest, FrameCountsAndTextsFollowTheEncoderRules) {
    // The first slide's own times are not used: fps + 25 x (3 + 2) + 25 x (1 + 0).
    std::vector<SlidePlan> slides = {{m_red, 8, 5, 3}, {m_blue, 0, 3, 2, 0, 0}, {m_red, 13, 1, 0, 9, 0}};
    ASSERT_EQ(Encode(slides, MakeProfile("320x240", "25")), 0);
    EXPECT_EQ(Count("frame"), 25u + 125u + 25u);
    EXPECT_EQ(Calls()[1], "init 320 240 " + m_dir.File("out.avi") + "|" + PICREEL_FAKE_ENCODER_DIR +
                              "menu_pic/in.yuv|" + m_dir.File("music.mp2") +
                              "|libmp3lame|128kb|44100|2|libxvid|512kb|320x240|25");
    ExpectReleased(1);
    for (size_t i = 1; i < g_positions.size(); ++i) EXPECT_GE(g_positions[i], g_positions[i - 1]);

    // At "29.97" the renderer counts 29 frames a second and the encoder is told "29.97"; codec
    // names become the encoder's.
    Fresh();
    ASSERT_EQ(Encode(slides, MakeProfile("176x144", "29.97", "h263", "amr_nb")), 0);
    EXPECT_EQ(Count("frame"), 29u + 29u * 5 + 29u);
    EXPECT_NE(Calls()[1].find("|libamr_nb|12.2k|8000|1|h263p|512kb|176x144|29.97"), std::string::npos);

    // One slide with no display and no transition time: the model counts 0 frames and the
    // progress step is 0, the encoder still writes the one-second fade-in.
    Fresh();
    ASSERT_EQ(Encode({{m_red, 20, 0, 0}}, MakeProfile("160x120", "25")), 0);
    ASSERT_EQ(m_show->GetTotalFrames(), 0);
    EXPECT_EQ(g_positions, std::vector<int32_t>(25, 0));
}

TEST_F(EncodeSlideshowTest, RefusalsStopsAndEncoderFailuresEndTheRunAndReleaseTheLibrary) {
    // Frames are encoded while the next one is composed: the very last frame's result and a stop
    // requested during it must still come back. Nothing is rendered after a failed frame. Refused
    // jobs return 1 before the encoder is opened.
    const COutputProfile good = MakeProfile("160x120", "25");
    const std::vector<SlidePlan> one = {{m_red}}, three = {{m_red}, {m_blue, 4, 3, 1}, {m_red}};
    struct Case {
        const char* what;
        COutputProfile profile;
        std::vector<SlidePlan> slides;
        int failAt;
        size_t stopAt;
        int32_t result;
        size_t frames;
    };
    const std::vector<Case> cases = {
        {"stop mid-run", good, three, -1, 40, 2, 40},
        {"failure mid-run", good, three, 30, 0, 5, 30},
        {"failure at once", good, one, 0, 0, 5, 0},
        {"failure on the last frame", good, one, 24, 0, 5, 24},
        {"stop during the last frame", good, one, -1, 25, 2, 25},
        {"frame rate without digits", MakeProfile("160x120", "fast"), one, -1, 0, 1, 0},
        {"frame rate zero", MakeProfile("160x120", "0"), one, -1, 0, 1, 0},
        {"frame rate beyond range", MakeProfile("160x120", "99999999999"), one, -1, 0, 1, 0},
        {"size not in the table", MakeProfile("161x120", "25"), one, -1, 0, 1, 0},
        {"size in capitals", MakeProfile("320X240", "25"), one, -1, 0, 1, 0},
        {"empty slideshow", good, {}, -1, 0, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Fresh();
        m_stop.Reset();
        g_stopAfter = c.stopAt ? &m_stop : nullptr;
        g_stopAt = c.stopAt;
        if (c.failAt >= 0) setenv("FAKE_ENCODER_FAIL_AT", std::to_string(c.failAt).c_str(), 1);
        EXPECT_EQ(Encode(c.slides, c.profile), c.result);
        unsetenv("FAKE_ENCODER_FAIL_AT");
        EXPECT_EQ(Count("init"), c.result == 1 ? 0u : 1u);
        EXPECT_EQ(Count("frame"), c.frames);
        EXPECT_EQ(Count("fail"), c.failAt >= 0 ? 1u : 0u);
        EXPECT_EQ(g_positions.size(), c.frames); // progress only for frames the encoder took
        ExpectReleased(c.result == 1 ? 0 : 1);
    }
    Fresh();
    EXPECT_EQ(EncodeSlideshow(&m_job, nullptr, PICREEL_FAKE_ENCODER_DIR), 1);
    ExpectReleased(0);

    // A library that lacks one of the entries is not used at all.
    Fresh();
    EXPECT_EQ(Encode({{m_red}}, good, PICREEL_FAKE_ENCODER_NOCLOSE_DIR), 1);
    EXPECT_EQ(Count("init"), 0u);
    EXPECT_EQ(Count("load"), Count("unload"));
    EXPECT_EQ(Encode({{m_red}}, good, m_dir.File("no-library-here")), 1);
}

TEST_F(EncodeSlideshowTest, EndToEndVideoFile) {
    const std::string program = PICREEL_PROGRAM_DIR;
    if (!std::filesystem::exists(program + "VelmorEncoder.so") || !ToolAvailable("ffprobe"))
        SKIP_OR_FAIL_IN_CI("encoder library or ffprobe missing");
    COutputProfile profile = MakeProfile("320x240", "25");
    m_show = MakeSlideshow(m_dir, {{m_red, 8}, {m_blue, 0, 1, 1, 0, 0}, {m_red, 13, 1, 0, 5, 0}});
    m_show->m_strOutputFile = m_dir.File("show.avi");
    m_show->m_strMp2File = program + "menu_pic/silent.mp2";
    m_job.m_pSlideshow = m_show.get();
    ASSERT_EQ(EncodeSlideshow(&m_job, &profile, program), 0);
    auto probe = ProbeStream(m_show->m_strOutputFile, "v:0", "codec_name,width,height,nb_read_frames");
    EXPECT_EQ(probe["codec_name"], "mpeg4");
    EXPECT_EQ(probe["width"], "320");
    EXPECT_EQ(probe["height"], "240");
    EXPECT_EQ(probe["nb_read_frames"], "100");
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
    Fresh();
    EXPECT_EQ(EncodeSlideshow(&m_job), 1);
    EXPECT_EQ(Count("init"), 0u);
    g_Project.m_ProfileGroups.m_arrGroups.clear();
    g_Project.m_ProfileGroups.m_nCurrent = 0;
    SetAppDirectoryOverride("");
}

TEST_F(EncodeSlideshowTest, AFailureSaysWhyInTheJobAndInTheLogWithTheResultCode) {
    const COutputProfile good = MakeProfile("160x120", "25");
    const std::string created = "cannot create '/out/x.avi': Permission denied";
    struct Case {
        const char* what;
        const char* initResult;
        int failAt;
        const char* frameResult;
        const char* closeResult;
        const char* reason;    // the library's, or null
        int32_t result;
        std::string failure;   // in the job
        std::string logged;    // a line of the log ends with this
    };
    const std::vector<Case> cases = {
        {"start fails, then the first frame", "6", 0, "3", "0", created.c_str(), 3, created,
         "initEncoder failed with 6: " + created},
        {"a frame fails", "0", 5, "6", "0", nullptr, 6, "no encoder is open", "EncOneFrame failed with 6: no encoder is open"},
        {"the file cannot be finished", "0", -1, "0", "6", "cannot write '/out/x.avi': Disk quota exceeded", 6,
         "cannot write '/out/x.avi': Disk quota exceeded",
         "closeEncoder failed with 6: cannot write '/out/x.avi': Disk quota exceeded"},
        {"a library without a reason", "0", -1, "0", "4", nullptr, 4, "the encoder library's closeEncoder failed with 4",
         "closeEncoder failed with 4"},
        {"a start failure the frames do not share", "6", -1, "0", "0", created.c_str(), 0, "",
         "initEncoder failed with 6: " + created},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Fresh();
        std::filesystem::remove(m_dir.File("log.txt"));
        setenv("FAKE_ENCODER_INIT_RESULT", c.initResult, 1);
        setenv("FAKE_ENCODER_CLOSE_RESULT", c.closeResult, 1);
        setenv("FAKE_ENCODER_FAIL_VALUE", c.frameResult, 1);
        if (c.failAt >= 0) setenv("FAKE_ENCODER_FAIL_AT", std::to_string(c.failAt).c_str(), 1);
        if (c.reason) setenv("FAKE_ENCODER_ERROR", c.reason, 1);
        // What the frames that follow a failed start say is not the cause.
        setenv("FAKE_ENCODER_FRAME_ERROR", "no encoder is open", 1);
        m_job.m_strFailure = "left from before";
        EXPECT_EQ(Encode({{m_red}}, good), c.result);
        for (const char* name : {"FAKE_ENCODER_INIT_RESULT", "FAKE_ENCODER_CLOSE_RESULT", "FAKE_ENCODER_FAIL_AT",
                                 "FAKE_ENCODER_ERROR", "FAKE_ENCODER_FRAME_ERROR"})
            unsetenv(name);
        EXPECT_EQ(m_job.m_strFailure, c.failure);
        const std::string log = ReadFileBytes(m_dir.File("log.txt"));
        EXPECT_NE(log.find(": " + c.logged + "\n"), std::string::npos) << log;
        ExpectReleased(1);
    }

    // Refusals before the encoder is opened name their cause too; a stop is no failure.
    Fresh();
    EXPECT_EQ(Encode({{m_red}}, good, m_dir.File("no-library-here")), 1);
    EXPECT_EQ(m_job.m_strFailure.rfind("cannot load the encoder library: ", 0), 0u) << m_job.m_strFailure;
    EXPECT_NE(m_job.m_strFailure.find("no-library-here"), std::string::npos) << m_job.m_strFailure;
    EXPECT_EQ(Encode({{m_red}}, MakeProfile("161x120", "25")), 1);
    EXPECT_EQ(m_job.m_strFailure, "the output profile's frame size '161x120' or frame rate '25' is not usable");
    EXPECT_EQ(Encode({}, good), 1);
    EXPECT_NE(m_job.m_strFailure.find("has no slide"), std::string::npos) << m_job.m_strFailure;
    EXPECT_EQ(EncodeSlideshow(&m_job, nullptr, PICREEL_FAKE_ENCODER_DIR), 1);
    EXPECT_EQ(m_job.m_strFailure, "there is no output profile");
    m_stop.Set();
    EXPECT_EQ(Encode({{m_red}}, good), 2);
    EXPECT_EQ(m_job.m_strFailure, "");
}
