// The Win32 message pump: waits that wake for messages from other threads, and dispatch.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "platform/message_pump.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
using ::testing::ElementsAre;

milliseconds since(Clock::time_point start) {
    return std::chrono::duration_cast<milliseconds>(Clock::now() - start);
}

constexpr UINT kProbe = WM_APP + 7;

std::vector<WPARAM> g_windowMessages;

LRESULT CALLBACK recordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kProbe) {
        g_windowMessages.push_back(wParam);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

class MessagePumpTest : public ::testing::Test {
  protected:
    void SetUp() override {
        g_windowMessages.clear();
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);  // gives this thread a queue
        pump_->dispatchPending();
    }

    static bool queueEmpty() {
        MSG message;
        return PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE) == FALSE;
    }

    // Posts from another thread once the test thread is already waiting.
    void postLater(HWND window, WPARAM value) {
        const DWORD target = GetCurrentThreadId();
        poster_ = std::thread([=] {
            std::this_thread::sleep_for(milliseconds(200));
            if (window != nullptr) {
                PostMessageW(window, kProbe, value, 0);
            } else {
                PostThreadMessageW(target, kProbe, value, 0);
            }
        });
    }

    void TearDown() override {
        if (poster_.joinable()) poster_.join();
    }

    std::unique_ptr<pos::platform::MessagePump> pump_ = pos::platform::createMessagePump();
    std::thread poster_;
};

TEST_F(MessagePumpTest, ThreadMessageFromAnotherThreadEndsTheWait) {
    postLater(nullptr, 42);
    const auto start = Clock::now();
    pump_->waitForMessage(20000);
    EXPECT_LT(since(start), milliseconds(10000));  // woke well before its timeout

    MSG message;
    ASSERT_TRUE(PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(message.message, kProbe);
    EXPECT_EQ(message.wParam, 42u);
    pump_->dispatchPending();
    EXPECT_TRUE(queueEmpty());
}

TEST_F(MessagePumpTest, WindowMessageFromAnotherThreadIsDispatchedToItsWindow) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = recordingProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"PosPumpProbe";
    ASSERT_NE(RegisterClassW(&windowClass), 0);
    HWND window = CreateWindowExW(0, L"PosPumpProbe", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  windowClass.hInstance, nullptr);
    ASSERT_NE(window, nullptr);

    postLater(window, 7);
    const auto start = Clock::now();
    pump_->waitForMessage(20000);
    EXPECT_LT(since(start), milliseconds(10000));
    EXPECT_TRUE(g_windowMessages.empty());  // waiting does not dispatch

    pump_->dispatchPending();
    EXPECT_THAT(g_windowMessages, ElementsAre(7u));
    EXPECT_TRUE(queueEmpty());

    DestroyWindow(window);
    UnregisterClassW(L"PosPumpProbe", windowClass.hInstance);
}

TEST_F(MessagePumpTest, DispatchEmptiesTheQueueInOrder) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = recordingProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"PosPumpOrder";
    ASSERT_NE(RegisterClassW(&windowClass), 0);
    HWND window = CreateWindowExW(0, L"PosPumpOrder", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  windowClass.hInstance, nullptr);
    ASSERT_NE(window, nullptr);

    PostMessageW(window, kProbe, 1, 0);
    PostThreadMessageW(GetCurrentThreadId(), kProbe, 2, 0);
    PostMessageW(window, kProbe, 3, 0);
    PostMessageW(window, kProbe, 4, 0);
    pump_->dispatchPending();
    EXPECT_THAT(g_windowMessages, ElementsAre(1u, 3u, 4u));
    EXPECT_TRUE(queueEmpty());

    DestroyWindow(window);
    UnregisterClassW(L"PosPumpOrder", windowClass.hInstance);
}

TEST_F(MessagePumpTest, MessageAlreadySeenByAPeekStillEndsTheWait) {
    PostThreadMessageW(GetCurrentThreadId(), kProbe, 1, 0);
    MSG message;
    ASSERT_TRUE(PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE));  // seen, left queued
    const auto start = Clock::now();
    pump_->waitForMessage(5000);
    EXPECT_LT(since(start), milliseconds(2500));
    pump_->dispatchPending();
}

TEST_F(MessagePumpTest, WaitWithoutMessagesBlocksForItsTimeout) {
    ASSERT_TRUE(queueEmpty());
    const auto start = Clock::now();
    const std::uint32_t startTick = pump_->tickCount();
    pump_->waitForMessage(500);
    const milliseconds elapsed = since(start);
    const std::uint32_t ticks = pump_->tickCount() - startTick;
    EXPECT_GE(elapsed, milliseconds(450));
    EXPECT_LT(elapsed, milliseconds(5000));
    EXPECT_GE(ticks, 450u);  // the tick count runs in milliseconds too
    EXPECT_LT(ticks, 5000u);
}

}  // namespace
