#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/MissingDependency.h"
#include "app/CPicreelCommands.h"
#include "editor/DataDirectory.h"
#include "model/COutputProfileGroupList.h"
#include "model/GlobalUtils.h"
#include "platform/win/FileSystem.h"
#include "tests/app/PicreelRunTest.h"
#include "tests/support/PixPictureFile.h"
#include "tests/support/TempDir.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

const std::string kProgramDir = PICREEL_PROGRAM_DIR;

size_t LineCount(const std::string& text) {
    size_t lines = 0;
    for (char c : text) lines += c == '\n';
    return lines;
}

// A photo-like picture: a sky gradient over a darker ground with a sun, tinted per picture.
bool WritePhoto(const std::string& path, int tint) {
    const DWORD h = 240;
    return WritePixPicture(path, 320, h, PIXFORMAT_JPG, [&](DWORD x, DWORD y) {
        const bool sun = std::hypot(static_cast<double>(x) - 220, static_cast<double>(y) - 170) < 25;
        const BYTE r = sun ? 255 : static_cast<BYTE>(y < h / 3 ? 40 + tint : 90 + y / 3);
        const BYTE g = sun ? 230 : static_cast<BYTE>(y < h / 3 ? 120 : 120 + y / 4);
        const BYTE b = sun ? 90 : static_cast<BYTE>(y < h / 3 ? 30 : 200 - tint / 2);
        return RGB(r, g, b);
    });
}

const char* const kVideoEntries = "codec_name,width,height,r_frame_rate,nb_read_frames";

// The program-folder copy with three photos in "photos".
class PicreelRun : public PicreelRunTest {
protected:
    void SetUp() override {
        PicreelRunTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        fs::create_directories(m_dir.File("photos"));
        for (int i = 0; i < 3; ++i)
            ASSERT_TRUE(WritePhoto(m_dir.File("photos/" + std::to_string(i) + ".jpg"), 60 * i))
                << "cannot write JPEG pictures";
    }

    // A new project of the three photos, each slide shown for 1 s with a 1 s transition.
    void MakeShortProject(const std::string& project) {
        const Outcome made = Picreel("new " + ShellQuote(project) + " " + ShellQuote(m_dir.File("photos")));
        ASSERT_EQ(made.status, 0) << made.err;
        ShortenSlides(project);
    }
};

TEST_F(PicreelRun, NewAndMakeGiveTheFirstProfilesVideo) {
    const std::string project = m_dir.File("trip.prg");
    MakeShortProject(project);

    COutputProfileGroupList groups;
    groups.Load(m_program);
    ASSERT_GT(groups.GetCount(), 0);
    const COutputProfile& profile = *groups.GetAt(0)->GetAt(0);
    const std::string name = GetFileName(groups.GetAt(0)->m_strFolderPath) + "/0";

    const Outcome made = Picreel("make " + ShellQuote(project) + " --output " + ShellQuote(m_dir.File("videos")) +
                                 " --profile " + name);
    ASSERT_EQ(made.status, 0) << made.err;
    EXPECT_NE(made.err.find("Make video files successful!"), std::string::npos) << made.err;
    const std::string video = m_dir.File("videos/Slideshow_0." + profile.m_strExt);
    EXPECT_EQ(made.out, video + "\n");
    ASSERT_TRUE(fs::exists(video));

    const auto stream = Probe(video, "v", kVideoEntries);
    const std::map<std::string, std::string> codecs = {{"xvid", "mpeg4"}};
    const std::string& codec = profile.m_VideoCodec.m_Current.value;
    EXPECT_EQ(stream.at("codec_name"), codecs.count(codec) ? codecs.at(codec) : codec);
    EXPECT_EQ(stream.at("width") + "x" + stream.at("height"), profile.m_VideoSize.m_Current.value);
    const std::string& rate = profile.m_FrameRate.m_Current.value;
    EXPECT_EQ(stream.at("r_frame_rate"), rate == "29.97" ? "30000/1001" : rate + "/1");
    // One second of fade-in, then two slides of fps x (1 s + 1 s) each.
    const int fps = std::atoi(rate.c_str());
    EXPECT_EQ(stream.at("nb_read_frames"), std::to_string(fps + 2 * fps * 2));
    EXPECT_FALSE(Probe(video, "a", "codec_name")["codec_name"].empty()) << "no audio stream";

    // The log tells the run's road.
    const std::string log = ReadFileBytes(m_data + "/log.txt");
    for (const char* line : {"Begin make Video files process", "begin join all mp2 file",
                             "Begin make Slideshow video index:0"})
        EXPECT_NE(log.find(line), std::string::npos) << line;
}

TEST_F(PicreelRun, ErrorsAreOneLineWithAFailingStatus) {
    const std::string project = m_dir.File("trip.prg");
    const std::vector<std::string> bad = {
        "make " + ShellQuote(m_dir.File("missing.prg")),
        "make " + ShellQuote(m_dir.File("photos/0.jpg")),
        "new " + ShellQuote(m_dir.File("x.prg")) + " " + ShellQuote(m_dir.File("nothing-here")),
        "frobnicate",
    };
    for (const std::string& args : bad) {
        const Outcome run = Picreel(args);
        EXPECT_NE(run.status, 0) << args;
        EXPECT_EQ(LineCount(run.err), 1u) << args << ": " << run.err;
    }
    MakeShortProject(project);
    const Outcome unknown = Picreel("make " + ShellQuote(project) + " --profile nosuch/0");
    EXPECT_NE(unknown.status, 0);
    EXPECT_EQ(unknown.err, "picreel: unknown profile 'nosuch/0' (see picreel profiles)\n");
    // A data folder that cannot be made is named, with the way out.
    const Outcome nowhere = RunCommand(std::string(DATA_DIRECTORY_VARIABLE) + "=" + ShellQuote(project + "/data") + " " +
                                       ShellQuote(m_program + "/picreel") + " make " + ShellQuote(project));
    EXPECT_EQ(nowhere.status, 1);
    EXPECT_EQ(nowhere.err, "picreel: cannot create the data folder '" + project + "/data' (set " +
                               DATA_DIRECTORY_VARIABLE + " to a folder you can write)\n");
    // An existing project is never overwritten.
    const std::string before = ReadFileBytes(project);
    EXPECT_NE(Picreel("new " + ShellQuote(project) + " " + ShellQuote(m_dir.File("photos"))).status, 0);
    EXPECT_EQ(ReadFileBytes(project), before);
    // Failed runs leave no work folders of their own behind: only the project's.
    size_t workFolders = 0;
    for (const auto& entry : fs::directory_iterator(m_data))
        workFolders += entry.path().filename().string().rfind("Project_", 0) == 0;
    EXPECT_EQ(workFolders, 1u);

    for (const char* command : {"--help", "new --help", "make --help", "profiles --help"}) {
        const Outcome help = Picreel(command);
        EXPECT_EQ(help.status, 0) << command;
        EXPECT_NE(help.out.find("usage: picreel"), std::string::npos) << command;
    }
    EXPECT_NE(Picreel("--help").out.find(DATA_DIRECTORY_VARIABLE), std::string::npos);
    const Outcome list = Picreel("profiles");
    EXPECT_EQ(list.status, 0);
    EXPECT_NE(list.out.find("avi/0"), std::string::npos) << list.out;
}

TEST_F(PicreelRun, InterruptStopsCleanlyWithoutAHalfVideo) {
    // Enough slides at the default times that the run is still going when interrupted.
    fs::create_directories(m_dir.File("many"));
    for (int i = 0; i < 12; ++i)
        fs::copy_file(m_dir.File("photos/" + std::to_string(i % 3) + ".jpg"), m_dir.File("many/" + std::to_string(i) + ".jpg"));
    const std::string project = m_dir.File("long.prg");
    ASSERT_EQ(Picreel("new " + ShellQuote(project) + " " + ShellQuote(m_dir.File("many"))).status, 0);

    const std::string exe = m_program + "/picreel";
    const std::string output = m_dir.File("videos");
    std::vector<std::string> args = {exe, "make", project, "--output", output};
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, m_dir.File("make-err.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, exe.c_str(), &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);

    // Interrupt once the video is being written.
    const std::string video = output + "/Slideshow_0.avi";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!fs::exists(video) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    kill(pid, SIGINT);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    const std::string err = ReadFileBytes(m_dir.File("make-err.txt"));
    ASSERT_TRUE(WIFEXITED(status)) << "ended by the signal: " << err;
    EXPECT_EQ(WEXITSTATUS(status), CPicreelCommands::kStopped) << err;
    EXPECT_FALSE(fs::exists(video));
    EXPECT_EQ(err.find("Make video files successful!"), std::string::npos);
}

TEST(PicreelCommands, PicturesAndProfilesByName) {
    TempDir dir;
    WriteFileBytes(dir.File("b.JPG"), "x");
    WriteFileBytes(dir.File("a.png"), "x");
    WriteFileBytes(dir.File("notes.txt"), "x");
    WriteFileBytes(dir.File("c.jpg"), "x");
    fs::create_directories(dir.File("sub.jpg"));
    std::vector<std::string> pictures;
    std::string error;
    ASSERT_TRUE(CPicreelCommands::CollectPictures({dir.File("c.jpg"), dir.Path().string()}, pictures, error)) << error;
    EXPECT_EQ(pictures, (std::vector<std::string>{dir.File("c.jpg"), dir.File("a.png"), dir.File("b.JPG"), dir.File("c.jpg")}));
    EXPECT_FALSE(CPicreelCommands::CollectPictures({dir.File("none")}, pictures, error));
    EXPECT_NE(error.find("none"), std::string::npos);
    fs::create_directories(dir.File("empty"));
    EXPECT_FALSE(CPicreelCommands::CollectPictures({dir.File("empty")}, pictures, error));

    COutputProfileGroupList groups;
    if (!groups.Load(kProgramDir)) SKIP_OR_FAIL_IN_CI("no profiles in the program folder");
    const std::string first = GetFileName(groups.GetAt(0)->m_strFolderPath);
    int32_t g = -1, p = -1;
    ASSERT_TRUE(CPicreelCommands::FindProfile(groups, first + "/0", g, p, error)) << error;
    EXPECT_EQ(g, 0);
    EXPECT_EQ(p, 0);
    ASSERT_TRUE(CPicreelCommands::FindProfile(groups, "0/" + groups.GetAt(0)->GetAt(0)->m_strDescS, g, p, error));
    EXPECT_EQ(p, 0);
    EXPECT_FALSE(CPicreelCommands::FindProfile(groups, first, g, p, error));
    EXPECT_FALSE(CPicreelCommands::FindProfile(groups, first + "/99", g, p, error));
    EXPECT_FALSE(CPicreelCommands::FindProfile(groups, "nosuch/0", g, p, error));
}

} // namespace
