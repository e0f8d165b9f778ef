#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <utility>
#include <filesystem>
#include <string>
#include <vector>

#include "app/CPicreelCommands.h"
#include "app/CPreviewCommand.h"
#include "editor/DataDirectory.h"
#include "model/COutputProfileGroupList.h"
#include "model/GlobalUtils.h"
#include "tests/app/PicreelRunTest.h"
#include "tests/support/MissingDependency.h"
#include "tests/support/PixPictureFile.h"
#include "tests/support/TempDir.h"
#include "tests/support/WavFile.h"

namespace fs = std::filesystem;

namespace {

// The program-folder copy with three photo-like pictures in "photos": a sky gradient over a
// darker ground with a sun, tinted per picture.
class PicreelRun : public PicreelRunTest {
protected:
    void SetUp() override {
        PicreelRunTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        fs::create_directories(m_dir.File("photos"));
        for (int tint = 0; tint < 180; tint += 60)
            ASSERT_TRUE(WritePixPicture(m_dir.File("photos/" + std::to_string(tint) + ".jpg"), 320, 240, PIXFORMAT_JPG,
                                        [&](DWORD x, DWORD y) {
                                            if (std::hypot(x - 220.0, y - 170.0) < 25) return RGB(255, 230, 90);
                                            if (y < 80) return RGB(40 + tint, 120, 30);
                                            return RGB(90 + y / 3, 120 + y / 4, 200 - tint / 2);
                                        }))
                << "cannot write JPEG pictures";
        setenv("PICREEL_SILENT_AUDIO", "1", 1);
    }
    // Runs picreel with the arguments and no display; with a time limit, Ctrl-C comes then.
    Outcome Timed(const std::string& args, double& seconds, const char* interruptAfter = nullptr) {
        const auto start = std::chrono::steady_clock::now();
        std::string prefix = "env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER ";
        if (interruptAfter) prefix += std::string("timeout --preserve-status -s INT ") + interruptAfter + " ";
        const Outcome outcome = RunCommand(prefix + ShellQuote(m_program + "/picreel") + " " + args);
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        return outcome;
    }
};

// How much longer than its length a preview may take: start-up, and frames that take longer
// than their interval in a sanitizer build (a late frame is never made up for).
#ifdef __SANITIZE_ADDRESS__
constexpr double kLate = 0.6;
#else
constexpr double kLate = 0.15;
#endif

::testing::AssertionResult TookAbout(double seconds, double length) {
    if (seconds >= length * 0.85 && seconds <= length * (1 + kLate)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "took " << seconds << " s for " << length << " s";
}

TEST_F(PicreelRun, ErrorsAreOneLineWithAFailingStatus) {
    const std::string project = m_dir.File("trip.prg"), missing = ShellQuote(m_dir.File("gone.prg"));
    ASSERT_NO_FATAL_FAILURE(NewProject(project, ShellQuote(m_dir.File("photos"))));
    const std::pair<std::string, int> runs[] = {
        {"make " + missing, 1},
        {"make " + ShellQuote(m_dir.File("photos/0.jpg")), 1},
        {"new " + ShellQuote(m_dir.File("x.prg")) + " " + ShellQuote(m_dir.File("nothing-here")), 1},
        {"frobnicate", 2},
        {"preview " + missing, 1},
        {"preview --transition nothing", 1},
        {"preview " + ShellQuote(project) + " --size 10x10", 1},
        {"preview " + ShellQuote(project) + " --slideshow 3", 1},
        {"preview --transition 0 " + missing + " " + missing, 1},
        {"preview " + ShellQuote(project) + " --size", 1},
        {"preview --bogus", 1},
    };
    for (const auto& [args, status] : runs) {
        const Outcome run = Picreel(args);
        EXPECT_EQ(run.status, status) << args;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << args << ": " << run.err;
    }
    // A project whose pictures are all gone, and bad music for a new one.
    fs::copy(m_dir.File("photos"), m_dir.File("lost"));
    ASSERT_NO_FATAL_FAILURE(NewProject(m_dir.File("lost.prg"), ShellQuote(m_dir.File("lost"))));
    fs::remove_all(m_dir.File("lost"));
    EXPECT_NE(Picreel("make " + ShellQuote(m_dir.File("lost.prg"))).err.find("it holds no slideshow with a readable picture"),
              std::string::npos);
    // Music given replaces the default; an unknown option is named.
    WriteToneWav(m_dir.File("tone.wav"), 22050, 2, 1.0, 440);
    const Outcome tuned = Picreel("new " + ShellQuote(m_dir.File("tuned.prg")) + " " + ShellQuote(m_dir.File("photos")) +
                                  " --music " + ShellQuote(m_dir.File("tone.wav")));
    EXPECT_NE(tuned.out.find(" with 3 pictures and 1 music file, "), std::string::npos) << tuned.out << tuned.err;
    EXPECT_NE(Picreel("new " + ShellQuote(m_dir.File("x.prg")) + " -q").err.find("unknown option '-q'"), std::string::npos);
    WriteFileBytes(m_dir.File("notes.mp3"), "not music");
    const Outcome noise = Picreel("new " + ShellQuote(m_dir.File("noise.prg")) + " " + ShellQuote(m_dir.File("photos")) +
                                  " --music " + ShellQuote(m_dir.File("notes.mp3")));
    EXPECT_NE(noise.err.find("picreel: '" + m_dir.File("notes.mp3") + "' is not a music file that can be read\n"),
              std::string::npos) << noise.err;
    // With a single profile group, an unknown profile is still only that.
    WriteFileBytes(m_program + "/profile/avoutput/profile_group.xml",
                   "<av_output_profile_group count=\"1\">\n<group id=\"0\" desc=\"AVI\" folder=\"avi\"/>\n"
                   "</av_output_profile_group>\n");
    const Outcome unknown = Picreel("make " + ShellQuote(project) + " --profile nosuch/0");
    EXPECT_EQ(unknown.status, 1);
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
    // Failed runs leave no work folders of their own behind: only the three projects'.
    size_t workFolders = 0;
    for (const auto& entry : fs::directory_iterator(m_data))
        workFolders += entry.path().filename().string().rfind("Project_", 0) == 0;
    EXPECT_EQ(workFolders, 3u);

    for (const char* command : {"--help", "new --help", "make --help", "profiles --help", "preview --help"}) {
        const Outcome help = Picreel(command);
        EXPECT_EQ(help.status, 0) << command;
        EXPECT_NE(help.out.find("usage: picreel"), std::string::npos) << command;
    }
    EXPECT_NE(Picreel("preview --help").out.find("--transition KIND"), std::string::npos);
    EXPECT_NE(Picreel("--help").out.find(DATA_DIRECTORY_VARIABLE), std::string::npos);
    const Outcome list = Picreel("profiles");
    EXPECT_EQ(list.status, 0);
    EXPECT_NE(list.out.find("avi/0"), std::string::npos) << list.out;
}

// Folders given with a trailing slash join with the names in them with one separator.
TEST_F(PicreelRun, FoldersWithATrailingSlash) {
    const std::string project = m_dir.File("trip.prg");
    ASSERT_NO_FATAL_FAILURE(NewProject(project, ShellQuote(m_dir.File("photos") + "/")));
    const std::string text = ReadFileBytes(project);
    EXPECT_NE(text.find(">" + m_dir.File("photos/0.jpg") + "<"), std::string::npos) << text;
    const Outcome made =
        Picreel("make " + ShellQuote(project) + " --output " + ShellQuote(m_dir.File("videos") + "/"));
    ASSERT_EQ(made.status, 0) << made.err;
    EXPECT_EQ(made.out.rfind(m_dir.File("videos/Slideshow_0."), 0), 0u) << made.out;
    EXPECT_NE(made.err.find(") in " + m_dir.File("videos") + "\n"), std::string::npos) << made.err;
    EXPECT_EQ(text.find("//"), std::string::npos);
    EXPECT_EQ(made.out.find("//"), std::string::npos) << made.out;
}

TEST_F(PicreelRun, PreviewHeadlessPlaysForTheSlideshowsLengthOrUntilInterrupted) {
    const std::string project = m_dir.File("trip.prg");
    ASSERT_NO_FATAL_FAILURE(NewProject(project, ShellQuote(m_dir.File("photos"))));
    double seconds = 0;
    // The opening second, the fade-in second and two more slides' 1 s transition and 1 s display.
    const std::string show = "preview " + ShellQuote(project) + " --headless --size 160x120";
    Outcome played = Timed(show, seconds);
    // A busy machine wakes every paced frame late; a second run tells that from a wrong pace.
    if (played.status == 0 && !TookAbout(seconds, 6.0)) played = Timed(show, seconds);
    EXPECT_EQ(played.status, 0) << played.err;
    EXPECT_TRUE(TookAbout(seconds, 6.0));
    // Without a sound card the music plays silently, and the sound library says nothing either.
    EXPECT_EQ(played.err, "");

    // With no display it plays unseen, as --headless does.
    const Outcome stopped = Timed("preview " + ShellQuote(project), seconds, "1.5");
    EXPECT_EQ(stopped.status, 130) << stopped.err;
    EXPECT_LT(seconds, 2.2);

    // The default 3 s shown and 2 s transition, never shorter.
    const Outcome transition = Timed("preview --transition door --param1 1 --pal --wide --headless", seconds);
    EXPECT_EQ(transition.status, 0) << transition.err;
    EXPECT_GE(seconds, 5.0 * 0.85);
}

TEST_F(PicreelRun, InterruptStopsCleanlyWithoutAHalfVideo) {
    // Enough slides at the default times that the run is still going when interrupted.
    fs::create_directories(m_dir.File("many"));
    for (int i = 0; i < 12; ++i)
        fs::copy_file(m_dir.File("photos/" + std::to_string(i % 3 * 60) + ".jpg"), m_dir.File("many/" + std::to_string(i) + ".jpg"));
    const std::string project = m_dir.File("long.prg");
    ASSERT_NO_FATAL_FAILURE(NewProject(project, ShellQuote(m_dir.File("many")), false));

    // Ctrl-C once the video is being written (within a minute); a run ended by the signal itself
    // would not say it stopped.
    const std::string video = ShellQuote(m_dir.File("videos/Slideshow_0.avi"));
    const Outcome run = RunCommand(ShellQuote(m_program + "/picreel") + " make " + ShellQuote(project) + " --output " +
                                   ShellQuote(m_dir.File("videos")) + " & for i in $(seq 6000); do [ -e " + video +
                                   " ] && break; sleep 0.01; done; kill -INT $!; wait $!");
    EXPECT_EQ(run.status, CPicreelCommands::kStopped) << run.err;
    EXPECT_NE(run.err.find("picreel: stopped; the video being made was removed"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(m_dir.File("videos/Slideshow_0.avi")));
    EXPECT_EQ(run.err.find("Make video files successful!"), std::string::npos);
}

TEST(PicreelCommands, PicturesAndProfilesByName) {
    TempDir dir;
    for (const char* name : {"b.JPG", "a.png", "notes.txt", "c.jpg"}) WriteFileBytes(dir.File(name), "x");
    fs::create_directories(dir.File("sub.jpg"));
    std::vector<std::string> pictures;
    std::string error;
    ASSERT_TRUE(CPicreelCommands::CollectPictures({dir.File("c.jpg"), dir.Path().string()}, pictures, error)) << error;
    EXPECT_EQ(pictures, (std::vector<std::string>{dir.File("c.jpg"), dir.File("a.png"), dir.File("b.JPG"), dir.File("c.jpg")}));
    EXPECT_FALSE(CPicreelCommands::CollectPictures({dir.File("none")}, pictures, error));
    EXPECT_NE(error.find("none"), std::string::npos);
    fs::create_directories(dir.File("empty"));
    EXPECT_FALSE(CPicreelCommands::CollectPictures({dir.File("empty")}, pictures, error));
    EXPECT_NE(error.find("no picture files in folder"), std::string::npos) << error;
    WriteFileBytes(dir.File("one/only.png"), "x");
    for (const char* folder : {"one", "one/", "one//", "one/."}) {
        EXPECT_TRUE(CPicreelCommands::CollectPictures({dir.File(folder)}, pictures, error)) << error;
        EXPECT_EQ(pictures, std::vector<std::string>{dir.File("one/only.png")}) << folder;
    }

    COutputProfileGroupList groups;
    if (!groups.Load(PICREEL_PROGRAM_DIR)) SKIP_OR_FAIL_IN_CI("no profiles in the program folder");
    const std::string first = GetFileName(groups.GetAt(0)->m_strFolderPath);
    const struct {
        std::string name;
        bool found;
    } names[] = {{first + "/0", true}, {"0/" + groups.GetAt(0)->GetAt(0)->m_strDescS, true}, {first, false},
                 {"0", false}, {first + "/99", false}, {"nosuch/0", false}};
    for (const auto& [name, found] : names) {
        int32_t g = -1, p = -1;
        EXPECT_EQ(CPicreelCommands::FindProfile(groups, name, g, p, error), found) << name;
        EXPECT_TRUE(!found || (g == 0 && p == 0)) << name << ": " << g << "/" << p;
    }
}

TEST(PreviewCommand, KindsAndSizes) {
    const std::pair<const char*, int32_t> kinds[] = {
        {"0", 0},       {"18", 18}, {"alpha", 0}, {"Cube fly", 5}, {"cube-fly", 5}, {"ROTATEIN", 11},
        {"random", 18}, {"19", -1}, {"", -1},     {"fade", -1},    {"-1", -1}};
    for (const auto& [text, kind] : kinds)
        EXPECT_EQ(CPreviewCommand::FindKind(text), kind) << text;
    int32_t w = 0, h = 0;
    EXPECT_TRUE(CPreviewCommand::ParseSize("16x16", w, h));
    EXPECT_TRUE(CPreviewCommand::ParseSize("720x480", w, h));
    EXPECT_EQ(w * 1000 + h, 720480);
    for (const char* bad : {"720", "0x480", "15x100", "4097x100", "x480", "720x", "7e2x480", "720x480x3"})
        EXPECT_FALSE(CPreviewCommand::ParseSize(bad, w, h)) << bad;
}

} // namespace
