#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "app/CTabBurn.h"
#include "app/CTerminalProgress.h"

namespace {

// The bar runs 0..65535 over the whole project: a slideshow starts at the share of the frames
// before it (truncated) and moves by its own share of the frames; the bar never leaves its range.
// Expected values worked by hand.
TEST(EncodeProgress, OverallPositionIsStartPlusShareAndClamped) {
    struct Case {
        int64_t before, frames, total;
        int32_t start;
        std::vector<std::pair<int32_t, int32_t>> positions; // encoder's -> bar's
    } const cases[] = {
        // 100 / 400 x 65535 = 16383.75; then 32768 x 0.75 = 24576 on; 65535 x 0.75 = 49151.25 on.
        {100, 300, 400, 16383, {{0, 16383}, {32768, 40959}, {65535, 65534}, {90000, 65534}, {-5, 16383}}},
        // 30 / 120 x 65535 = 16383.75; 10000 x 5 / 12 = 4166.67 on.
        {30, 50, 120, 16383, {{10000, 20549}, {65535, 43689}}},
        {0, 10, 10, 0, {{1000, 1000}, {65535, 65535}}},
        // A count below the encoded frames doubles the share; the bar stops at its end.
        {0, 20, 10, 0, {{20000, 40000}, {40000, 65535}}},
        // A project without frames: start and share stay 0 rather than dividing by zero.
        {0, 0, 0, 0, {{30000, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.before) + " + " + std::to_string(c.frames) + " of " + std::to_string(c.total));
        CTabBurn page;
        EncodeProgress record = CTabBurn::MakeProgressRecord(&page, 1, c.before, c.frames, c.total);
        EXPECT_EQ(record.m_nStart, c.start);
        EXPECT_EQ(record.m_nKind, ENCODE_PROGRESS_KIND_VIDEO);
        EXPECT_EQ(record.m_nSlideshow, 1);
        for (const auto& [position, bar] : c.positions) {
            CTabBurn::OnEncodeProgress(position, &record);
            EXPECT_EQ(page.GetProgressPos(), bar) << position;
        }
        // Other kinds of progress, and none at all, leave the bar alone.
        record.m_nKind = 4;
        CTabBurn::OnEncodeProgress(5, &record);
        CTabBurn::OnEncodeProgress(5, nullptr);
        EXPECT_EQ(page.GetProgressPos(), c.positions.back().second);
    }
    EncodeProgress orphan = CTabBurn::MakeProgressRecord(nullptr, 0, 0, 1, 1);
    CTabBurn::OnEncodeProgress(5, &orphan);
}

TEST(TerminalProgress, TimesAndLine) {
    for (const auto& [seconds, text] : {std::pair{0u, "00:00"}, {125u, "02:05"}, {3540u, "59:00"}, {3600u, "1:00:00"},
                                        {3725u, "1:02:05"}, {7200u, "2:00:00"}})
        EXPECT_EQ(CTerminalProgress::FormatDuration(seconds), text);
    EXPECT_EQ(CTerminalProgress::RemainingSeconds(5000, 0), -1);
    // A quarter done after 10 s: 30 s to go (29.9994 s, rounded up).
    EXPECT_EQ(CTerminalProgress::RemainingSeconds(10000, 65535 / 4 + 1), 30);
    EXPECT_EQ(CTerminalProgress::RemainingSeconds(10000, 65535), 0);

    CTerminalProgress bar(stderr, true);
    const std::string line = bar.BuildLine(65535 / 2 + 1, 4000);
    EXPECT_NE(line.find("[###############---------------]"), std::string::npos) << line;
    EXPECT_NE(line.find(" 50%"), std::string::npos) << line;
    EXPECT_NE(line.find("elapsed 00:04"), std::string::npos) << line;
    EXPECT_NE(line.find("remaining 00:04"), std::string::npos) << line;
}

// What a counter writes while it is fed by a page over `steps` calls of 10 ms each.
std::string Written(bool terminal, int steps, int32_t step) {
    char* buffer = nullptr;
    size_t size = 0;
    FILE* out = open_memstream(&buffer, &size);
    uint32_t now = 0;
    {
        CTerminalProgress counter(out, terminal, [&] { return now; });
        CTabBurn page;
        page.SetRemainingTimeCounter(&counter);
        EncodeProgress record = CTabBurn::MakeProgressRecord(&page, 0, 0, 1, 1);
        counter.Start("");
        for (int i = 0; i <= steps; ++i, now += 10) CTabBurn::OnEncodeProgress(i * step, &record);
        counter.Finish();
        // A finished counter draws no more.
        now += 1000;
        CTabBurn::OnEncodeProgress(0, &record);
    }
    std::fclose(out);
    std::string text(buffer, size);
    std::free(buffer);
    return text;
}

// Off a terminal the counter prints one plain line per tenth of the work; on a terminal it
// redraws in place no more than ten times a second.
TEST(TerminalProgress, RedrawPolicy) {
    const std::string plain = Written(false, 132, 500);
    EXPECT_EQ(std::count(plain.begin(), plain.end(), '\n'), 11) << plain; // 0%, 10%, ..., 100%
    EXPECT_EQ(plain.find('\r'), std::string::npos);
    EXPECT_EQ(plain.find("  0%  elapsed 00:00  remaining --:--\n"), 0u) << plain;
    EXPECT_NE(plain.find("100%  elapsed 00:01  remaining 00:00\n"), std::string::npos) << plain;

    // One second in steps of 10 ms: start, a redraw every 100 ms, finish.
    const std::string tty = Written(true, 100, 655);
    EXPECT_EQ(std::count(tty.begin(), tty.end(), '\r'), 12) << tty;
    EXPECT_EQ(tty.back(), '\n');
}

// The counter for standard error draws in place only on a terminal.
TEST(TerminalProgress, StandardErrorOffATerminalGetsPlainLines) {
    std::FILE* file = std::tmpfile();
    const int saved = dup(STDERR_FILENO);
    std::fflush(stderr);
    dup2(fileno(file), STDERR_FILENO);
    {
        CTerminalProgress counter = CTerminalProgress::ForStderr();
        counter.Start("");
        counter.Finish();
    }
    std::fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
    std::rewind(file);
    char line[128] = {};
    EXPECT_TRUE(std::fgets(line, sizeof line, file));
    EXPECT_EQ(std::string(line), "  0%  elapsed 00:00  remaining --:--\n");
    std::fclose(file);
}

} // namespace
