// FFmpeg's own log goes to the program's sink, whole lines, never to standard error.
#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/av/FfmpegLog.h"
#include "platform/av/FfmpegPtr.h"
#include "tests/support/TempDir.h"

extern "C" {
#include <libavutil/log.h>
}

namespace {

std::mutex g_linesMutex;
std::vector<std::string> g_lines;

void Collect(const std::string& line) {
    std::lock_guard<std::mutex> lock(g_linesMutex);
    g_lines.push_back(line);
}

class FfmpegLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_lines.clear();
        RouteFfmpegLog(&Collect);
    }
    void TearDown() override { RouteFfmpegLog(nullptr); }
};

TEST_F(FfmpegLogTest, ErrorsArriveAsWholeLinesAndStandardErrorStaysEmpty) {
    ::testing::internal::CaptureStderr();
    av_log(nullptr, AV_LOG_ERROR, "a line in ");
    av_log(nullptr, AV_LOG_ERROR, "two pieces\n");
    av_log(nullptr, AV_LOG_WARNING, "a note below the level\n");
    av_log(nullptr, AV_LOG_FATAL, "first\nsecond\n");
    for (int i = 0; i < 3; ++i) av_log(nullptr, AV_LOG_ERROR, "again\n");
    av_log(nullptr, AV_LOG_ERROR, "other\n");
    av_log(nullptr, AV_LOG_ERROR, "other\n");
    av_log(nullptr, AV_LOG_ERROR, "\n");
    av_log(nullptr, AV_LOG_ERROR, "last\n");
    // A file FFmpeg reads as MP3 by its name but cannot make sense of.
    TempDir dir;
    std::string noise;
    for (int i = 0; i < 3000; ++i) noise += static_cast<char>(i * 7919 % 251);
    WriteFileBytes(dir.File("noise.mp3"), noise);
    AvInputPtr input = OpenAvInput(dir.File("noise.mp3"));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");

    const std::vector<std::string> expected = {"a line in two pieces", "first", "second", "again",
                                               "last message repeated 2 times", "other",
                                               "last message repeated once", "last"};
    ASSERT_GE(g_lines.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(g_lines.begin(), g_lines.begin() + 8), expected);
    // A line from a library object names it.
    bool named = false;
    for (size_t i = 8; i < g_lines.size(); ++i) named = named || g_lines[i].rfind("[mp3 @ ", 0) == 0;
    EXPECT_TRUE(named) << (g_lines.size() > 8 ? g_lines.back() : "no line from the demuxer");
}

TEST_F(FfmpegLogTest, LinesFromSeveralThreadsStayWhole) {
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < 50; ++i) {
                av_log(nullptr, AV_LOG_ERROR, "thread %d ", t);
                av_log(nullptr, AV_LOG_ERROR, "line %d\n", i);
            }
        });
    for (std::thread& thread : threads) thread.join();
    ASSERT_EQ(g_lines.size(), 200u);
    for (const std::string& line : g_lines) EXPECT_EQ(line.rfind("thread ", 0), 0u) << line;
}

TEST(FfmpegLogRoute, WithoutASinkFfmpegWritesToStandardErrorAgain) {
    RouteFfmpegLog(&Collect);
    RouteFfmpegLog(nullptr);
    ::testing::internal::CaptureStderr();
    av_log(nullptr, AV_LOG_ERROR, "plain\n");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "plain\n");
}

} // namespace
