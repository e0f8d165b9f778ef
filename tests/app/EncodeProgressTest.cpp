#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "app/CTabBurn.h"
#include "app/CTerminalProgress.h"

namespace {

TEST(EncodeProgress, OverallPositionIsStartPlusShareAndClamped) {
    CTabBurn page;
    // Second of two slideshows of 100 and 300 frames.
    EncodeProgress record = CTabBurn::MakeProgressRecord(&page, 1, 100, 300, 400);
    EXPECT_EQ(record.m_nStart, 16383); // 100 / 400 * 65535, truncated
    EXPECT_FLOAT_EQ(record.m_fShare, 0.75f);
    EXPECT_EQ(record.m_nKind, ENCODE_PROGRESS_KIND_VIDEO);

    CTabBurn::OnEncodeProgress(0, &record);
    EXPECT_EQ(page.GetProgressPos(), 16383);
    CTabBurn::OnEncodeProgress(32768, &record);
    EXPECT_EQ(page.GetProgressPos(), static_cast<int32_t>(32768 * 0.75f + 16383));
    // Beyond the slideshow's range (the model's count may be below the encoded frames).
    CTabBurn::OnEncodeProgress(90000, &record);
    EXPECT_EQ(page.GetProgressPos(), 65534); // 65535 * 0.75 + 16383, truncated
    CTabBurn::OnEncodeProgress(-5, &record);
    EXPECT_EQ(page.GetProgressPos(), 16383);
}

TEST(EncodeProgress, OtherKindsAndEmptyProjectsAreHarmless) {
    CTabBurn page;
    EncodeProgress record = CTabBurn::MakeProgressRecord(&page, 0, 0, 10, 10);
    CTabBurn::OnEncodeProgress(1000, &record);
    EXPECT_EQ(page.GetProgressPos(), 1000);
    record.m_nKind = 4;
    CTabBurn::OnEncodeProgress(5000, &record);
    EXPECT_EQ(page.GetProgressPos(), 1000);
    CTabBurn::OnEncodeProgress(5000, nullptr);
    EXPECT_EQ(page.GetProgressPos(), 1000);

    // A project without frames: start and share stay 0 rather than dividing by zero.
    EncodeProgress none = CTabBurn::MakeProgressRecord(&page, 0, 0, 0, 0);
    EXPECT_EQ(none.m_nStart, 0);
    EXPECT_EQ(none.m_fShare, 0.0f);
}

TEST(TerminalProgress, TimesAndLine) {
    EXPECT_EQ(CTerminalProgress::FormatDuration(0), "00:00");
    EXPECT_EQ(CTerminalProgress::FormatDuration(125), "02:05");
    EXPECT_EQ(CTerminalProgress::FormatDuration(3725), "1:02:05");
    EXPECT_EQ(CTerminalProgress::RemainingSeconds(5000, 0), -1);
    // A quarter done after 10 s: 30 s to go.
    EXPECT_EQ(CTerminalProgress::RemainingSeconds(10000, 65535 / 4 + 1), 30);
    EXPECT_EQ(CTerminalProgress::RemainingSeconds(10000, 65535), 0);

    CTerminalProgress bar(stderr, true);
    const std::string line = bar.BuildLine(65535 / 2 + 1, 4000);
    EXPECT_NE(line.find("[###############---------------]"), std::string::npos) << line;
    EXPECT_NE(line.find(" 50%"), std::string::npos) << line;
    EXPECT_NE(line.find("elapsed 00:04"), std::string::npos) << line;
    EXPECT_NE(line.find("remaining 00:04"), std::string::npos) << line;
}

// Off a terminal the counter prints one plain line per tenth of the work; on a terminal it
// redraws in place no more than ten times a second, and the pages wired to it feed it.
TEST(TerminalProgress, RedrawPolicy) {
    uint32_t now = 0;
    char* buffer = nullptr;
    size_t size = 0;
    FILE* out = open_memstream(&buffer, &size);
    ASSERT_NE(out, nullptr);
    {
        CTerminalProgress plain(out, false, [&] { return now; });
        CTabBurn page;
        page.SetRemainingTimeCounter(&plain);
        EncodeProgress record = CTabBurn::MakeProgressRecord(&page, 0, 0, 1, 1);
        plain.Start("");
        for (int32_t p = 0; p <= 65535; p += 500) {
            now += 10;
            CTabBurn::OnEncodeProgress(p, &record);
        }
        CTabBurn::OnEncodeProgress(65535, &record);
        plain.Finish();
    }
    std::fflush(out);
    std::string text(buffer, size);
    size_t lines = 0;
    for (char c : text)
        lines += c == '\n';
    EXPECT_EQ(lines, 11u) << text; // 0%, 10%, ..., 100%
    EXPECT_EQ(text.find('\r'), std::string::npos);
    EXPECT_NE(text.find("100%"), std::string::npos);
    std::fclose(out);
    std::free(buffer);

    buffer = nullptr;
    out = open_memstream(&buffer, &size);
    ASSERT_NE(out, nullptr);
    {
        CTerminalProgress tty(out, true, [&] { return now; });
        now = 0;
        tty.Start("");
        for (int i = 1; i <= 100; ++i) { // one second in steps of 10 ms
            now += 10;
            tty.SetPos(i * 655);
        }
        tty.Finish();
    }
    std::fflush(out);
    text.assign(buffer, size);
    size_t draws = 0;
    for (char c : text)
        draws += c == '\r';
    EXPECT_GE(draws, 10u);
    EXPECT_LE(draws, 12u) << text; // start, ten redraws, finish
    EXPECT_EQ(text.back(), '\n');
    std::fclose(out);
    std::free(buffer);
}

} // namespace
