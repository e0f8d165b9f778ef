#include "model/Log.h"

#include "editor/DataDirectory.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <clocale>
#include <filesystem>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

const std::regex kLine(R"((\d\d):(\d\d):(\d\d), (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) \d\d, \d{4}: (.*))");
} // namespace

TEST(LogTest, LinesGoToTheDataFolderWithEnglishMonthsWhateverTheLocale) {
    TempDir dir;
    ScopedEnv data(DATA_DIRECTORY_VARIABLE, dir.Path().string());
    SetLogFilePath("");
    EXPECT_EQ(GetLogFilePath(), dir.File("log.txt"));
    // Any installed non-English locale; the C locale still proves the global one is untouched.
    const char* before = std::setlocale(LC_TIME, nullptr);
    const std::string saved = before ? before : "C";
    std::setlocale(LC_TIME, "de_DE.UTF-8");
    WriteLog("Software start!");
    WriteLog("Software start!"); // same second, still two lines
    std::setlocale(LC_TIME, saved.c_str());
    const std::string text = ReadFileBytes(dir.File("log.txt"));
    ASSERT_TRUE(!text.empty() && text.back() == '\n');
    const auto lines = Lines(text);
    ASSERT_EQ(lines.size(), 2u);
    for (const auto& line : lines) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(line, m, kLine)) << line;
        EXPECT_EQ(m[5].str(), "Software start!");
    }
}

TEST(LogTest, ConcurrentWritersNeverInterleave) {
    TempDir dir;
    SetLogFilePath(dir.File("log.txt"));
    constexpr int kThreads = 8;
    constexpr int kLinesEach = 200;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t] {
            const std::string payload(100 + t * 37, static_cast<char>('a' + t));
            for (int i = 0; i < kLinesEach; ++i) WriteLog(payload);
        });
    }
    for (auto& th : threads) th.join();
    SetLogFilePath("");
    const auto lines = Lines(ReadFileBytes(dir.File("log.txt")));
    ASSERT_EQ(lines.size(), static_cast<size_t>(kThreads * kLinesEach));
    for (const auto& line : lines) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(line, m, kLine)) << line;
        const std::string msg = m[5].str();
        ASSERT_FALSE(msg.empty());
        const int t = msg[0] - 'a';
        EXPECT_EQ(msg, std::string(100 + t * 37, msg[0]));
    }
}

TEST(LogTest, UnopenableFileLosesTheLineSilentlyAndCreatesNothing) {
    TempDir dir;
    ScopedEnv data(DATA_DIRECTORY_VARIABLE, dir.File("data"));
    // A folder in the place of the file, and a file in a folder that is not there.
    std::filesystem::create_directory(dir.File("taken"));
    for (const std::string& path : {dir.File("taken"), dir.File("missing/log.txt")}) {
        SetLogFilePath(path);
        WriteLog("lost");
        EXPECT_EQ(GetLogFilePath(), path); // no fallback to another file
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.File("taken")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("missing")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("data")));
    // The next good file gets its own line only: the lost one is not kept for later.
    SetLogFilePath(dir.File("good.txt"));
    WriteLog("kept");
    SetLogFilePath("");
    const auto lines = Lines(ReadFileBytes(dir.File("good.txt")));
    ASSERT_EQ(lines.size(), 1u);
    std::smatch m;
    ASSERT_TRUE(std::regex_match(lines[0], m, kLine)) << lines[0];
    EXPECT_EQ(m[5].str(), "kept");
}
