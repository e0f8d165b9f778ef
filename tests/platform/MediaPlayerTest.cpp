#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "platform/media/MediaPlayer.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"
#include "tests/support/WavFile.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr int64_t kSecond = kMediaTimeUnitsPerSecond;
constexpr int64_t kMs = kMediaTimeUnitsPerMs;

class MediaPlayerTest : public ::testing::Test {
protected:
    std::string Wav(const std::string& name, uint32_t rate, uint16_t channels, uint32_t frames, double amplitude = 8000) {
        const std::string path = m_dir.File(name);
        WriteFileBytes(path, ToneWav(rate, channels, frames, amplitude));
        return path;
    }
    TempDir m_dir;
};

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Plays from the current place to the end; the seconds it took.
double PlayOut(CMediaPlayer& player) {
    const Clock::time_point start = Clock::now();
    EXPECT_TRUE(player.Run());
    EXPECT_TRUE(player.WaitForCompletion(5000));
    return SecondsSince(start);
}

}  // namespace

TEST_F(MediaPlayerTest, PlaysToTheEndInAboutItsLength) {
    CMediaPlayer player(CMediaPlayer::Output::Silent);
    ASSERT_TRUE(player.Open(Wav("one.wav", 22050, 1, 22050)));
    EXPECT_EQ(player.GetDuration(), kSecond);
    // Out-of-range positions are clamped.
    ASSERT_TRUE(player.SetPosition(10 * kSecond));
    EXPECT_EQ(player.GetPosition(), kSecond);
    ASSERT_TRUE(player.SetPosition(-5));
    EXPECT_EQ(player.GetPosition(), 0);

    const Clock::time_point start = Clock::now();
    ASSERT_TRUE(player.Run());
    std::this_thread::sleep_for(milliseconds(300));
    const int64_t midway = player.GetPosition();
    EXPECT_GT(midway, 50 * kMs);
    EXPECT_LT(midway, kSecond);
    ASSERT_TRUE(player.WaitForCompletion(5000));
    const double took = SecondsSince(start);
    EXPECT_GT(took, 0.8);
    EXPECT_LT(took, 4.0);
    EXPECT_EQ(player.GetPosition(), player.GetDuration());
}

TEST_F(MediaPlayerTest, UnplayableFilesFailCleanly) {
    const std::string garbage = m_dir.File("garbage.mp3");
    WriteFileBytes(garbage, std::string(4096, '\x5a'));
    const std::string empty = m_dir.File("empty.wav");
    WriteFileBytes(empty, "");
    const std::string cut = m_dir.File("cut.wav");
    WriteFileBytes(cut, ToneWav(22050, 1, 100).substr(0, 20));

    CMediaPlayer player(CMediaPlayer::Output::Silent);
    for (const std::string& path : {m_dir.File("missing.wav"), garbage, empty, cut}) {
        SCOPED_TRACE(path);
        EXPECT_FALSE(player.Open(path));
        EXPECT_FALSE(player.Run());
        EXPECT_FALSE(player.SetPosition(0));
        EXPECT_EQ(player.GetDuration(), 0);
    }
    // The player stays usable after the failures; a file without samples completes at once.
    ASSERT_TRUE(player.Open(Wav("nothing.wav", 22050, 1, 0)));
    EXPECT_EQ(player.GetDuration(), 0);
    PlayOut(player);
    EXPECT_EQ(player.GetPosition(), 0);
}

TEST_F(MediaPlayerTest, DestroyingWhilePlayingAndSeekingIsQuick) {
    const std::string path = Wav("two.wav", 22050, 2, 44100);
    Clock::time_point start;
    {
        CMediaPlayer player(CMediaPlayer::Output::Silent);
        ASSERT_TRUE(player.Open(path));
        ASSERT_TRUE(player.Run());
        std::this_thread::sleep_for(milliseconds(50));
        // Busy seeking from the caller's side while the worker decodes.
        for (int i = 0; i < 50; ++i) ASSERT_TRUE(player.SetPosition((i % 10) * 100 * kMs));
        start = Clock::now();
    }
    EXPECT_LT(SecondsSince(start), 1.0);
}

TEST_F(MediaPlayerTest, DeviceOutputThroughSdlDiskDriverAndTheEnvironmentForcesSilence) {
    {
        ScopedEnv silent("PICREEL_SILENT_AUDIO", "1");
        CMediaPlayer player;
        ASSERT_TRUE(player.Open(Wav("tone.wav", 22050, 1, 2205)));
        EXPECT_TRUE(player.IsSilent());
    }
    // SDL's disk driver stands in for a sound card: it takes the sound in real time into a file.
    const std::string raw = m_dir.File("out.raw");
    {
        CMediaPlayer player;
        {
            ScopedEnv driver("SDL_AUDIODRIVER", "disk"), file("SDL_DISKAUDIOFILE", raw);
            ASSERT_TRUE(player.Open(Wav("dev.wav", 22050, 1, 11025)));
        }
        if (player.IsSilent()) GTEST_SKIP() << "SDL has no disk audio driver here";
        ASSERT_TRUE(player.SetPosition(200 * kMs));
        const double took = PlayOut(player);
        EXPECT_GT(took, 0.2);
        EXPECT_LT(took, 3.0);
        EXPECT_EQ(player.GetPosition(), player.GetDuration());
    }
    EXPECT_GT(ReadFileBytes(raw).size(), 44100u);  // at least a quarter second of 16-bit stereo
}

// Without a sound card the sound libraries fail quietly: the player goes on silent, and standard
// error stays as it was (the ALSA library would print its failures there).
TEST_F(MediaPlayerTest, TheDefaultDeviceWritesNothingOnStandardError) {
    const std::string wav = Wav("quiet.wav", 22050, 1, 2205);
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    std::fflush(stderr);
    const int saved = dup(STDERR_FILENO);
    dup2(fileno(file), STDERR_FILENO);
    for (int i = 0; i < 2; ++i) {
        ScopedEnv loud("PICREEL_SILENT_AUDIO", "0");
        CMediaPlayer player;
        EXPECT_TRUE(player.Open(wav));
    }
    std::fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
    std::rewind(file);
    std::string written;
    for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file))
        written += static_cast<char>(c);
    std::fclose(file);
    EXPECT_EQ(written, "");
}
