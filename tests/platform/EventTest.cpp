#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/win/Event.h"
#include "platform/win/Tick.h"

namespace {
// Polls a condition for up to ten seconds; the generous limit keeps loaded machines from failing.
template <class F> bool Eventually(F condition) {
    for (int i = 0; i < 2000 && !condition(); ++i) Sleep(5);
    return condition();
}

// Threads that each wait for the event without limit and count themselves once woken.
std::vector<std::thread> StartWaiters(CEvent& event, std::atomic<int>& woken, int count) {
    std::vector<std::thread> waiters;
    for (int i = 0; i < count; ++i)
        waiters.emplace_back([&event, &woken] {
            if (event.Wait(INFINITE)) ++woken;
        });
    return waiters;
}
} // namespace

TEST(Event, AutoResetIsConsumedByOneTestOrWaitAndTimesOut) {
    CEvent event;
    EXPECT_FALSE(event.TryConsume());
    event.Set();
    event.Set(); // two sets before anyone looks still make one signal
    EXPECT_TRUE(event.TryConsume());
    EXPECT_FALSE(event.TryConsume());
    event.Set();
    EXPECT_TRUE(event.Wait(0));
    EXPECT_FALSE(event.Wait(0));
    event.Set();
    event.Reset();
    EXPECT_FALSE(event.Wait(0));
    CEvent initiallySet(false, true);
    EXPECT_TRUE(initiallySet.Wait(INFINITE));
    EXPECT_FALSE(initiallySet.TryConsume());

    // A wait that is never answered lasts its time.
    const DWORD start = GetTickCount();
    EXPECT_FALSE(event.Wait(30));
    EXPECT_GE(GetTickCount() - start, 25u);
}

// An automatic event releases one waiter per set, a manual one all of them and stays set.
TEST(Event, SetReleasesOneWaiterOrAllOfThem) {
    for (bool manual : {false, true}) {
        CEvent event(manual);
        std::atomic<int> woken{0};
        std::vector<std::thread> waiters = StartWaiters(event, woken, 3);
        event.Set();
        ASSERT_TRUE(Eventually([&] { return woken == (manual ? 3 : 1); })) << manual;
        Sleep(50);
        EXPECT_EQ(woken, manual ? 3 : 1);
        while (woken < 3) { // the rest, one set at a time
            event.Set();
            Sleep(1);
        }
        for (auto& t : waiters) t.join();
        if (!manual) continue;
        EXPECT_TRUE(event.TryConsume() && event.Wait(0)); // still set
        event.Reset();
        EXPECT_FALSE(event.TryConsume());
    }
}

TEST(Event, StopEventViewConsumesLikeAZeroWaitAndListenersDoNot) {
    CEvent event;
    StopEventC view = event.AsStopEventC();
    EXPECT_EQ(StopEventIsSet(&view), 0);
    event.Set();
    EXPECT_NE(StopEventIsSet(&view), 0);
    EXPECT_EQ(StopEventIsSet(&view), 0);
    EXPECT_FALSE(event.TryConsume());
    EXPECT_EQ(StopEventIsSet(nullptr), 0);
    StopEventC empty{nullptr, nullptr};
    EXPECT_EQ(StopEventIsSet(&empty), 0);

    int calls = 0;
    const uint64_t key = event.AddListener([&] { ++calls; });
    event.Set();
    event.RemoveListener(key);
    event.Set();
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(event.TryConsume());
}
