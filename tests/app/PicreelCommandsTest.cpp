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

#include "app/CPicreelCommands.h"
#include "imagelib/PixImage.h"
#include "platform/win/FileSystem.h"
#include "render/COutputProfileGroupList.h"
#include "tests/support/TempDir.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

const std::string kProgramDir = PICREEL_PROGRAM_DIR;

std::string Quote(const std::string& text) { return "'" + text + "'"; }

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs a shell command line; its exit status and what it wrote.
Outcome RunShell(const std::string& command, const TempDir& dir) {
    const std::string out = dir.File("stdout.txt");
    const std::string err = dir.File("stderr.txt");
    Outcome outcome;
    const int raw = std::system((command + " >" + Quote(out) + " 2>" + Quote(err)).c_str());
    outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    outcome.out = ReadFileBytes(out);
    outcome.err = ReadFileBytes(err);
    return outcome;
}

size_t LineCount(const std::string& text) {
    size_t lines = 0;
    for (char c : text) lines += c == '\n';
    return lines;
}

// A photo-like picture: a sky gradient over a darker ground with a sun, tinted per picture.
bool WritePhoto(const std::string& path, int tint) {
    const DWORD w = 320, h = 240;
    CPixImage picture(w, h, 24);
    if (!picture.IsValid()) return false;
    for (DWORD y = 0; y < h; ++y)
        for (DWORD x = 0; x < w; ++x) {
            const bool sun = std::hypot(static_cast<double>(x) - 220, static_cast<double>(y) - 170) < 25;
            const BYTE r = sun ? 255 : static_cast<BYTE>(y < h / 3 ? 40 + tint : 90 + y / 3);
            const BYTE g = sun ? 230 : static_cast<BYTE>(y < h / 3 ? 120 : 120 + y / 4);
            const BYTE b = sun ? 90 : static_cast<BYTE>(y < h / 3 ? 30 : 200 - tint / 2);
            picture.SetPixelColor(static_cast<long>(x), static_cast<long>(y), RGB(r, g, b));
        }
    return picture.Save(path.c_str(), PIXFORMAT_JPG);
}

// ffprobe's "key=value" lines for the first stream of a kind.
std::map<std::string, std::string> Probe(const std::string& file, const std::string& stream, const TempDir& dir) {
    const Outcome probe = RunShell("ffprobe -v error -count_frames -select_streams " + stream +
                                       ":0 -show_entries stream=codec_name,width,height,r_frame_rate,nb_read_frames "
                                       "-of default=noprint_wrappers=1 " + Quote(file),
                                   dir);
    std::map<std::string, std::string> values;
    size_t start = 0;
    while (start < probe.out.size()) {
        const size_t end = probe.out.find('\n', start);
        const std::string line = probe.out.substr(start, end - start);
        const size_t eq = line.find('=');
        if (eq != std::string::npos) values[line.substr(0, eq)] = line.substr(eq + 1);
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return values;
}

void Replace(std::string& text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

// A copy of the program folder, so the runs' work folders, log and preferences stay here.
class PicreelRun : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* needed : {"picreel", "VelmorEncoder.so", "libxToMp2.so", "menu_pic/silent.mp2"})
            if (!fs::exists(kProgramDir + needed)) GTEST_SKIP() << needed << " is not built";
        if (std::system("ffprobe -version >/dev/null 2>&1") != 0) GTEST_SKIP() << "ffprobe is missing";
        m_program = m_dir.File("program");
        fs::create_directories(m_program);
        for (const char* item : {"picreel", "VelmorEncoder.so", "libxToMp2.so", "profile", "menu_pic"})
            fs::copy(kProgramDir + item, m_program + "/" + item, fs::copy_options::recursive);
        for (int i = 0; i < 3; ++i) {
            const std::string picture = m_dir.File("photos/" + std::to_string(i) + ".jpg");
            fs::create_directories(m_dir.File("photos"));
            ASSERT_TRUE(WritePhoto(picture, 60 * i)) << "cannot write JPEG pictures";
        }
    }

    Outcome Picreel(const std::string& args) { return RunShell(Quote(m_program + "/picreel") + " " + args, m_dir); }

    // A new project of the three photos, each slide shown for 1 s with a 1 s transition.
    void MakeShortProject(const std::string& project) {
        const Outcome made = Picreel("new " + Quote(project) + " " + Quote(m_dir.File("photos")));
        ASSERT_EQ(made.status, 0) << made.err;
        std::string text = ReadFileBytes(project);
        Replace(text, "<SINGLE_EFFECT_TIME>3</SINGLE_EFFECT_TIME>", "<SINGLE_EFFECT_TIME>1</SINGLE_EFFECT_TIME>");
        Replace(text, "<TRANSITIO_EFFECT_TIME>2</TRANSITIO_EFFECT_TIME>", "<TRANSITIO_EFFECT_TIME>1</TRANSITIO_EFFECT_TIME>");
        WriteFileBytes(project, text);
    }

    TempDir m_dir;
    std::string m_program;
};

TEST_F(PicreelRun, NewAndMakeGiveTheFirstProfilesVideo) {
    const std::string project = m_dir.File("trip.prg");
    MakeShortProject(project);

    COutputProfileGroupList groups;
    groups.Load(m_program);
    ASSERT_GT(groups.GetCount(), 0);
    const COutputProfile& profile = *groups.GetAt(0)->GetAt(0);
    const std::string name = CPicreelCommands::GroupName(groups.GetAt(0)->m_strFolderPath) + "/0";

    const Outcome made = Picreel("make " + Quote(project) + " --output " + Quote(m_dir.File("videos")) +
                                 " --profile " + name);
    ASSERT_EQ(made.status, 0) << made.err;
    EXPECT_NE(made.err.find("Make video files successful!"), std::string::npos) << made.err;
    const std::string video = m_dir.File("videos/Slideshow_0." + profile.m_strExt);
    EXPECT_EQ(made.out, video + "\n");
    ASSERT_TRUE(fs::exists(video));

    const auto stream = Probe(video, "v", m_dir);
    const std::map<std::string, std::string> codecs = {{"xvid", "mpeg4"}, {"h263", "h263p"}};
    const std::string& codec = profile.m_VideoCodec.m_Current.value;
    EXPECT_EQ(stream.at("codec_name"), codecs.count(codec) ? codecs.at(codec) : codec);
    EXPECT_EQ(stream.at("width") + "x" + stream.at("height"), profile.m_VideoSize.m_Current.value);
    const std::string& rate = profile.m_FrameRate.m_Current.value;
    EXPECT_EQ(stream.at("r_frame_rate"), rate == "29.97" ? "30000/1001" : rate + "/1");
    // One second of fade-in, then two slides of fps x (1 s + 1 s) each.
    const int fps = std::atoi(rate.c_str());
    EXPECT_EQ(stream.at("nb_read_frames"), std::to_string(fps + 2 * fps * 2));
    EXPECT_FALSE(Probe(video, "a", m_dir)["codec_name"].empty()) << "no audio stream";

    // The log tells the run's road.
    const std::string log = ReadFileBytes(m_program + "/log.txt");
    for (const char* line : {"Begin make Video files process", "begin join all mp2 file",
                             "Begin make Slideshow video index:0"})
        EXPECT_NE(log.find(line), std::string::npos) << line;
}

TEST_F(PicreelRun, ErrorsAreOneLineWithAFailingStatus) {
    const std::string project = m_dir.File("trip.prg");
    const std::vector<std::string> bad = {
        "make " + Quote(m_dir.File("missing.prg")),
        "make " + Quote(m_dir.File("photos/0.jpg")),
        "new " + Quote(m_dir.File("x.prg")) + " " + Quote(m_dir.File("nothing-here")),
        "frobnicate",
    };
    for (const std::string& args : bad) {
        const Outcome run = Picreel(args);
        EXPECT_NE(run.status, 0) << args;
        EXPECT_EQ(LineCount(run.err), 1u) << args << ": " << run.err;
    }
    MakeShortProject(project);
    const Outcome unknown = Picreel("make " + Quote(project) + " --profile nosuch/0");
    EXPECT_NE(unknown.status, 0);
    EXPECT_EQ(unknown.err, "picreel: unknown profile 'nosuch/0' (see picreel profiles)\n");
    // An existing project is never overwritten.
    const std::string before = ReadFileBytes(project);
    EXPECT_NE(Picreel("new " + Quote(project) + " " + Quote(m_dir.File("photos"))).status, 0);
    EXPECT_EQ(ReadFileBytes(project), before);
    // Failed runs leave no work folders of their own behind: only the project's.
    size_t workFolders = 0;
    for (const auto& entry : fs::directory_iterator(m_program))
        workFolders += entry.path().filename().string().rfind("Project_", 0) == 0;
    EXPECT_EQ(workFolders, 1u);

    for (const char* command : {"--help", "new --help", "make --help", "profiles --help"}) {
        const Outcome help = Picreel(command);
        EXPECT_EQ(help.status, 0) << command;
        EXPECT_NE(help.out.find("usage: picreel"), std::string::npos) << command;
    }
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
    ASSERT_EQ(Picreel("new " + Quote(project) + " " + Quote(m_dir.File("many"))).status, 0);

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
    if (!groups.Load(kProgramDir)) GTEST_SKIP() << "no profiles in the program folder";
    const std::string first = CPicreelCommands::GroupName(groups.GetAt(0)->m_strFolderPath);
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
