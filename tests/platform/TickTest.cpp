#include <gtest/gtest.h>

#include "platform/win/Tick.h"

TEST(Tick, AdvancesAcrossASleepAndNeverGoesBack) {
    const DWORD start = GetTickCount();
    DWORD last = start;
    for (int i = 0; i < 1000; ++i) {
        const DWORD now = GetTickCount();
        ASSERT_LE(now - start, 60000u); // unsigned difference: a step back would show as a huge value
        ASSERT_GE(now - start, last - start);
        last = now;
    }
    Sleep(30);
    EXPECT_GE(GetTickCount() - start, 29u);
}
