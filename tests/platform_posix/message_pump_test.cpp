// The POSIX stand-in for a message loop: a posted message ends a wait early and runs the host's
// hook on the next dispatch.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/message_pump.h"

namespace pos::platform {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

class PosixMessagePump : public ::testing::Test {
  protected:
    // The posted state is process-wide; start every test with nothing pending.
    void SetUp() override {
        setPosixPumpHook(nullptr);
        pump->dispatchPending();
    }
    void TearDown() override { setPosixPumpHook(nullptr); }

    std::unique_ptr<MessagePump> pump = createMessagePump();
};

TEST_F(PosixMessagePump, WaitBlocksForItsTimeoutWithoutMessages) {
    const auto start = Clock::now();
    pump->waitForMessage(300);
    EXPECT_GE(Clock::now() - start, 270ms);
}

TEST_F(PosixMessagePump, PostedMessageEndsTheWaitAndRunsTheHookOnce) {
    int runs = 0;
    setPosixPumpHook([&runs] { ++runs; });
    std::thread poster([] {
        std::this_thread::sleep_for(100ms);
        postPosixPumpMessage();
    });
    const auto start = Clock::now();
    pump->waitForMessage(10000);
    const auto elapsed = Clock::now() - start;
    poster.join();
    EXPECT_LT(elapsed, 5s);

    EXPECT_EQ(runs, 0);
    pump->dispatchPending();
    EXPECT_EQ(runs, 1);
    pump->dispatchPending();
    EXPECT_EQ(runs, 1);
}

TEST_F(PosixMessagePump, MessagePostedBeforeTheWaitIsNotMissed) {
    postPosixPumpMessage();
    const auto start = Clock::now();
    pump->waitForMessage(10000);
    EXPECT_LT(Clock::now() - start, 5s);
}

TEST_F(PosixMessagePump, DispatchWithoutHookStillConsumesTheMessage) {
    postPosixPumpMessage();
    pump->dispatchPending();
    const auto start = Clock::now();
    pump->waitForMessage(300);
    EXPECT_GE(Clock::now() - start, 270ms);
}

TEST_F(PosixMessagePump, HookMayPostAgainWithoutDeadlock) {
    int runs = 0;
    setPosixPumpHook([&runs] {
        if (++runs == 1) {
            postPosixPumpMessage();
        }
    });
    postPosixPumpMessage();
    pump->dispatchPending();
    pump->dispatchPending();
    EXPECT_EQ(runs, 2);
}

TEST_F(PosixMessagePump, TickCountAdvancesInMilliseconds) {
    const std::uint32_t before = pump->tickCount();
    std::this_thread::sleep_for(200ms);
    // Unsigned difference stays right across the 2^32 wrap.
    const std::uint32_t passed = pump->tickCount() - before;
    EXPECT_GE(passed, 195u);
    EXPECT_LT(passed, 5000u);
}

}  // namespace
}  // namespace pos::platform
