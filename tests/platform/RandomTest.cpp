#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/win/Random.h"

TEST(Random, SeedOneGivesTheRuntimeSequenceAndReseedRepeats) {
    for (int round = 0; round < 2; ++round) {
        SRand(1);
        for (int v : {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464}) EXPECT_EQ(Rand(), v);
    }
}

TEST(Random, ConcurrentDrawsNeverLeaveFifteenBits) {
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
