// What picreel make and new say on standard error, and what their log keeps: one line per error
// in the program's own words, the cause of a failed make before the message that it failed, and
// FFmpeg's own lines only in the log. And every slideshow gets a video of its own.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "tests/app/PicreelRunTest.h"
#include "tests/support/PixPictureFile.h"
#include "tests/support/WavFile.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// No line that FFmpeg wrote itself ("[mp3 @ 0x...] ...") reaches the user.
::testing::AssertionResult NoFfmpegLines(const std::string& err) {
    for (const std::string& line : Lines(err))
        if (line.find(" @ 0x") != std::string::npos) return ::testing::AssertionFailure() << line;
    return ::testing::AssertionSuccess();
}

class PicreelMakeReports : public PicreelRunTest {
protected:
    void SetUp() override {
        PicreelRunTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        fs::create_directories(m_dir.File("photos"));
        for (int shade = 0; shade < 2; ++shade)
            ASSERT_TRUE(WritePixPicture(m_dir.File("photos/" + std::to_string(shade) + ".jpg"), 160, 120,
                                        PIXFORMAT_JPG, [&](DWORD x, DWORD) { return RGB(x, 90 + shade * 100, 40); }))
                << "cannot write JPEG pictures";
        setenv("PICREEL_SILENT_AUDIO", "1", 1);
        const std::vector<std::string> profiles = ProgramFolderProfiles();
        ASSERT_FALSE(profiles.empty());
        m_profile = profiles.front();
        const COutputProfile* profile = Profile(m_profile);
        ASSERT_NE(profile, nullptr);
        m_ext = profile->m_strExt;
    }

    Outcome Make(const std::string& project, const std::string& output) const {
        return Picreel("make " + ShellQuote(project) + " --profile " + m_profile + " --output " + ShellQuote(output));
    }
    std::string Log() const { return ReadFileBytes(m_data + "/log.txt"); }

    std::string m_profile;
    std::string m_ext;
};

TEST_F(PicreelMakeReports, SlideshowsWhoseNamesGiveOneFileNameMakeVideosOfTheirOwn) {
    const std::string project = m_dir.File("three.prg");
    ASSERT_NO_FATAL_FAILURE(NewProject(project, ShellQuote(m_dir.File("photos"))));
    // The same slideshow three times: two names that clash, and one that is a suffixed form.
    std::string text = ReadFileBytes(project);
    const size_t begin = text.find("<slideshow>"), end = text.find("</slideshow>") + std::string("</slideshow>\n").size();
    ASSERT_NE(begin, std::string::npos);
    const std::string show = text.substr(begin, end - begin);
    const std::string name = "<name>Slideshow_0</name>";
    ASSERT_NE(show.find(name), std::string::npos);
    std::string shows;
    for (const char* renamed : {"x/y", "x_y", "x_y_1"}) {
        std::string copy = show;
        shows += copy.replace(copy.find(name), name.size(), std::string("<name>") + renamed + "</name>");
    }
    text.replace(begin, end - begin, shows);
    WriteFileBytes(project, text);

    // The name that clashes with nothing keeps its own file name.
    const std::string videos = m_dir.File("videos");
    const Outcome made = Make(project, videos);
    ASSERT_EQ(made.status, 0) << made.err;
    std::string listed;
    for (const char* stem : {"x_y", "x_y_2", "x_y_1"}) {
        const std::string video = videos + "/" + stem + "." + m_ext;
        listed += video + "\n";
        EXPECT_GT(fs::file_size(video), 0u);
    }
    EXPECT_EQ(made.out, listed);
    EXPECT_TRUE(NoFfmpegLines(made.err));
}

TEST_F(PicreelMakeReports, AFailedMakeNamesItsCauseBeforeItsMessageAndInTheLog) {
    const std::string project = m_dir.File("trip.prg");
    ASSERT_NO_FATAL_FAILURE(NewProject(project, ShellQuote(m_dir.File("photos"))));
    // A folder where the video should go: the file cannot be created, also by root.
    const std::string videos = m_dir.File("videos"), video = videos + "/Slideshow_0." + m_ext;
    fs::create_directories(video);
    const Outcome made = Make(project, videos);
    EXPECT_EQ(made.status, 1);
    const std::string reason = "cannot create '" + video + "': Is a directory";
    const std::vector<std::string> lines = Lines(made.err);
    ASSERT_GE(lines.size(), 2u) << made.err;
    EXPECT_EQ(lines[lines.size() - 2], "picreel: " + reason) << made.err;
    EXPECT_EQ(lines.back(), "Make video files failed!");
    EXPECT_TRUE(NoFfmpegLines(made.err));
    const std::string log = Log();
    EXPECT_NE(log.find(": initEncoder failed with 6: " + reason + "\n"), std::string::npos) << log;
    EXPECT_NE(log.find(": Make video failed: " + reason + "\n"), std::string::npos) << log;
    EXPECT_TRUE(fs::is_directory(video));
}

TEST_F(PicreelMakeReports, MusicThatCannotBeConvertedIsNamedAsTheCause) {
    const std::string project = m_dir.File("tuned.prg"), music = m_dir.File("tone.wav");
    WriteToneWav(music, 22050, 2, 1.0, 440);
    const Outcome made =
        Picreel("new " + ShellQuote(project) + " " + ShellQuote(m_dir.File("photos")) + " --music " + ShellQuote(music));
    ASSERT_EQ(made.status, 0) << made.err;
    // A folder stands where the converted music should go, in the project's temp folder.
    const std::string text = ReadFileBytes(project);
    const size_t from = text.find("<Temp Path>") + std::string("<Temp Path>").size();
    const std::string temp = text.substr(from, text.find("</Temp Path>") - from);
    const std::string converted = temp + "/tone.mp2";
    fs::create_directories(converted);
    const Outcome run = Make(project, m_dir.File("videos"));
    EXPECT_EQ(run.status, 1);
    const std::vector<std::string> lines = Lines(run.err);
    ASSERT_GE(lines.size(), 2u) << run.err;
    const std::string& cause = lines[lines.size() - 2];
    EXPECT_EQ(cause.rfind("picreel: cannot rename '" + converted + ".part", 0), 0u) << run.err;
    EXPECT_NE(cause.find("' to '" + converted + "': Is a directory"), std::string::npos) << run.err;
    EXPECT_EQ(lines.back(), "Make video files failed!");
    EXPECT_TRUE(NoFfmpegLines(run.err));
    const std::string log = Log();
    EXPECT_NE(log.find(": converted mp3 file resault: 3\n"), std::string::npos) << log;
    EXPECT_NE(log.find(": Convert music failed with 3: " + cause.substr(std::string("picreel: ").size()) + "\n"),
              std::string::npos) << log;
}

TEST_F(PicreelMakeReports, FfmpegsOwnLinesGoToTheLogNotToTheUser) {
    // 3,000 random bytes named like MP3 music.
    std::mt19937 random(1);
    std::string noise;
    for (int i = 0; i < 3000; ++i) noise += static_cast<char>(random() & 0xFF);
    const std::string broken = m_dir.File("broken.mp3");
    WriteFileBytes(broken, noise);
    const Outcome made = Picreel("new " + ShellQuote(m_dir.File("p.prg")) + " " + ShellQuote(m_dir.File("photos")) +
                                 " --music " + ShellQuote(broken));
    EXPECT_EQ(made.status, 1);
    EXPECT_EQ(made.err, "picreel: '" + broken + "' is not a music file that can be read\n");
    const std::string log = Log();
    EXPECT_NE(log.find(": FFmpeg: [mp3 @ 0x"), std::string::npos) << log;
}

} // namespace
