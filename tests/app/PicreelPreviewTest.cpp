// "picreel preview" as a user runs it: headless, for the slideshow's length, stopped by Ctrl-C,
// and its argument errors.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <vector>

#include "app/CPreviewCommand.h"
#include "tests/app/PicreelRunTest.h"
#include "tests/support/PixPictureFile.h"

namespace fs = std::filesystem;

namespace {

// How much longer than its length a run may take: start-up, and frames that take longer than
// their interval in a sanitizer build (a late frame is never made up for).
#ifdef __SANITIZE_ADDRESS__
constexpr double kLate = 0.6;
#else
constexpr double kLate = 0.15;
#endif

::testing::AssertionResult TookAbout(double seconds, double length) {
    if (seconds >= length * 0.85 && seconds <= length * (1 + kLate)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "took " << seconds << " s for " << length << " s";
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

class PicreelPreview : public PicreelRunTest {
protected:
    void SetUp() override {
        PicreelRunTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        setenv("PICREEL_SILENT_AUDIO", "1", 1);
        fs::create_directories(m_dir.File("photos"));
        for (int i = 0; i < 2; ++i)
            ASSERT_TRUE(WritePixPicture(m_dir.File("photos/" + std::to_string(i) + ".jpg"), 160, 120,
                                        PIXFORMAT_JPG, [i](DWORD, DWORD) { return RGB(200 * i, 80, 40); }));
        m_project = m_dir.File("trip.prg");
        const Outcome made = Picreel("new " + ShellQuote(m_project) + " " + ShellQuote(m_dir.File("photos")));
        ASSERT_EQ(made.status, 0) << made.err;
        ShortenSlides(m_project);
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
    std::string m_project;
};

TEST_F(PicreelPreview, HeadlessPlaysForTheSlideshowsLengthOrUntilInterrupted) {
    double seconds = 0;
    // The opening second, the fade-in second and the second slide's 1 s transition and 1 s display.
    const std::string show = "preview " + ShellQuote(m_project) + " --headless --size 160x120";
    Outcome played = Timed(show, seconds);
    // A busy machine wakes every paced frame late; a second run tells that from a wrong pace.
    if (played.status == 0 && !TookAbout(seconds, 4.0)) played = Timed(show, seconds);
    EXPECT_EQ(played.status, 0) << played.err;
    EXPECT_TRUE(TookAbout(seconds, 4.0));

    // With no display it plays unseen, as --headless does.
    const Outcome stopped = Timed("preview " + ShellQuote(m_project), seconds, "1.5");
    EXPECT_EQ(stopped.status, 130) << stopped.err;
    EXPECT_LT(seconds, 2.2);

    // The default 3 s shown and 2 s transition, never shorter.
    const Outcome transition = Timed("preview --transition door --param1 1 --pal --wide --headless", seconds);
    EXPECT_EQ(transition.status, 0) << transition.err;
    EXPECT_GE(seconds, 5.0 * 0.85);
}

TEST_F(PicreelPreview, ErrorsAreOneLineAndHelpIsThere) {
    const Outcome help = Picreel("preview --help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--transition KIND"), std::string::npos);
    const std::string missing = ShellQuote(m_dir.File("gone.prg"));
    for (const std::string& args : std::vector<std::string>{
             "preview " + missing, "preview --transition nothing",
             "preview " + ShellQuote(m_project) + " --size 10x10",
             "preview " + ShellQuote(m_project) + " --slideshow 3",
             "preview --transition 0 " + missing + " " + missing,
             "preview " + ShellQuote(m_project) + " --size", std::string("preview --bogus")}) {
        const Outcome failed = Picreel(args);
        EXPECT_EQ(failed.status, 1) << args;
        EXPECT_EQ(std::count(failed.err.begin(), failed.err.end(), '\n'), 1) << args << ": " << failed.err;
    }
}

} // namespace
