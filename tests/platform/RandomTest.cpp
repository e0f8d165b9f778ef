#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "platform/win/Random.h"

TEST(Random, SeedOneGivesTheRuntimeSequence) {
    SRand(1);
    const int expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464};
    for (int v : expected) EXPECT_EQ(Rand(), v);
}

TEST(Random, ResultsStayInFifteenBitsAndReseedRepeats) {
    SRand(12345);
    std::vector<int> first;
    for (int i = 0; i < 10000; ++i) {
        const int v = Rand();
        ASSERT_GE(v, 0);
        ASSERT_LE(v, RAND15_MAX);
        if (i < 5) first.push_back(v);
    }
    SRand(12345);
    for (int v : first) EXPECT_EQ(Rand(), v);
}

TEST(Random, ConcurrentDrawsNeverLeaveTheRange) {
    SRand(7);
    std::vector<std::thread> threads;
    std::atomic<bool> bad{false};
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 20000; ++i) {
                const int v = Rand();
                if (v < 0 || v > RAND15_MAX) bad = true;
            }
        });
    for (auto& th : threads) th.join();
    EXPECT_FALSE(bad);
}
