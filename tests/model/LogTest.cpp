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
// The messages of a log file, each line checked for its time stamp in English and the final
// line feed.
std::vector<std::string> Messages(const std::string& path) {
    static const std::regex line(
        R"(\d\d:\d\d:\d\d, (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) \d\d, \d{4}: (.*))");
    const std::string text = ReadFileBytes(path);
    EXPECT_TRUE(text.empty() || text.back() == '\n');
    std::vector<std::string> messages;
    std::istringstream in(text);
    for (std::string each; std::getline(in, each);) {
        std::smatch m;
        EXPECT_TRUE(std::regex_match(each, m, line)) << each;
        messages.push_back(m.size() > 2 ? m[2].str() : "");
    }
    return messages;
}
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
    EXPECT_EQ(Messages(dir.File("log.txt")), std::vector<std::string>(2, "Software start!"));
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
    const auto messages = Messages(dir.File("log.txt"));
    ASSERT_EQ(messages.size(), static_cast<size_t>(kThreads * kLinesEach));
    for (const auto& msg : messages) {
        ASSERT_FALSE(msg.empty());
        EXPECT_EQ(msg, std::string(100 + (msg[0] - 'a') * 37, msg[0]));
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
    EXPECT_EQ(Messages(dir.File("good.txt")), std::vector<std::string>{"kept"});
}
