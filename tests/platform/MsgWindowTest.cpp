#include <gtest/gtest.h>

#include <mutex>
#include <thread>
#include <vector>

#include "platform/win/MsgWindow.h"
#include "platform/win/Tick.h"

namespace {
constexpr UINT WM_TEST = WM_USER + 1;
constexpr UINT WM_TEST_DONE = WM_USER + 2;

// Messages a handler saw, with the thread it ran on.
struct Recorder {
    std::mutex mutex;
    std::vector<Msg> msgs;
    std::vector<std::thread::id> threads;

    CMsgWindow::Handler Handler() {
        return [this](UINT msg, WPARAM w, LPARAM l) -> LRESULT {
            std::lock_guard<std::mutex> lock(mutex);
            msgs.push_back({msg, w, l});
            threads.push_back(std::this_thread::get_id());
            return 0;
        };
    }
    size_t Count(UINT msg) {
        std::lock_guard<std::mutex> lock(mutex);
        size_t n = 0;
        for (const auto& m : msgs) n += m.msg == msg;
        return n;
    }
};
} // namespace

TEST(MsgWindow, PumpOnAnotherThreadServesPostsAndTimersThereUntilKilled) {
    Recorder rec;
    CMsgWindow window(rec.Handler());
    std::thread::id pumpThread;
    bool quietAfterKill = false;
    std::thread pump([&] {
        pumpThread = std::this_thread::get_id();
        window.SetTimer(7, 5);
        const DWORD start = GetTickCount();
        while ((rec.Count(WM_TEST_DONE) == 0 || rec.Count(WM_TIMER) < 3) && GetTickCount() - start < 10000)
            window.PumpOne(100);
        window.KillTimer(7);
        quietAfterKill = !window.PumpOne(100);
    });
    for (int i = 0; i < 100; ++i) PostMessage(&window, WM_TEST, 0, i);
    PostMessage(&window, WM_TEST_DONE, 0, 0);
    pump.join();
    EXPECT_TRUE(quietAfterKill);
    EXPECT_GE(rec.Count(WM_TIMER), 3u);
    LPARAM next = 0;
    for (size_t i = 0; i < rec.msgs.size(); ++i) {
        EXPECT_EQ(rec.threads[i], pumpThread);
        if (rec.msgs[i].msg == WM_TIMER) {
            EXPECT_EQ(rec.msgs[i].wParam, 7u);
        } else if (rec.msgs[i].msg == WM_TEST) {
            EXPECT_EQ(rec.msgs[i].lParam, next++);
        }
    }
    EXPECT_EQ(next, 100);
}

TEST(MsgWindow, PumpPendingLeavesWhatHandlersPostForLater) {
    EXPECT_EQ(PostMessage(nullptr, WM_TEST, 1, 2), FALSE);
    CMsgWindow window;
    int served = 0;
    window.SetHandler([&](UINT, WPARAM, LPARAM) -> LRESULT {
        ++served;
        PostMessage(&window, WM_TEST, 0, 0); // re-posts itself for ever
        return 0;
    });
    PostMessage(&window, WM_TEST, 0, 0);
    PostMessage(&window, WM_TEST, 0, 0);
    window.PumpPending();
    EXPECT_EQ(served, 2);
    EXPECT_TRUE(window.PumpOne(0));
    EXPECT_EQ(served, 3);
}

TEST(MsgWindow, WaitWhilePumpingServesAWorkersMessagesDuringTheWait) {
    // The worker only finishes once its report was served, as a worker that sends to the
    // user-interface thread's controls does: without pumping this hangs.
    CEvent served, done;
    std::thread::id servedOn;
    CMsgWindow window([&](UINT msg, WPARAM, LPARAM) -> LRESULT {
        servedOn = std::this_thread::get_id();
        if (msg == WM_TEST) served.Set();
        return 0;
    });
    bool workerSawServe = false;
    std::thread worker([&] {
        PostMessage(&window, WM_TEST, 1, 2);
        workerSawServe = served.Wait(10000);
        done.Set();
    });
    EXPECT_TRUE(WaitWhilePumping(done, &window, 20000));
    worker.join();
    EXPECT_TRUE(workerSawServe);
    EXPECT_FALSE(done.TryConsume()); // the wait consumed it
    EXPECT_EQ(servedOn, std::this_thread::get_id());
}

TEST(MsgWindow, WakeEndsAnEndlessPumpAndWaitWhilePumpingLeavesNoWakeBehind) {
    CEvent event;
    CMsgWindow window;
    bool served = true;
    std::thread pump([&] { served = window.PumpOne(INFINITE); });
    window.Wake();
    pump.join();
    EXPECT_FALSE(served);

    EXPECT_FALSE(WaitWhilePumping(event, &window, 30));
    // Set from another thread while the waiter sleeps in the pump.
    std::thread setter([&] {
        Sleep(20);
        event.Set();
    });
    EXPECT_TRUE(WaitWhilePumping(event, &window, INFINITE));
    setter.join();
    // The wake that ended the wait is gone: a later pump waits its full time for a message.
    std::thread poster([&] {
        Sleep(20);
        PostMessage(&window, WM_TEST, 0, 0);
    });
    EXPECT_TRUE(window.PumpOne(20000));
    poster.join();
}
