#include "wait_pumping.h"

#include <gtest/gtest.h>

#include "fakes/fake_message_pump.h"

namespace {

using pos::testing::FakeMessagePump;

TEST(WaitPumping, ZeroWaitsUntilTheTickMovesPastTheStart) {
    FakeMessagePump pump;
    pos::WaitPumping(pump, 0);
    EXPECT_EQ(pump.waits, (std::vector<std::uint32_t>{1}));
    EXPECT_EQ(pump.dispatchPasses, 2);
}

TEST(WaitPumping, BlocksForTheWholeIntervalWithoutSpinning) {
    FakeMessagePump pump;
    pos::WaitPumping(pump, 1000);
    EXPECT_EQ(pump.waits, (std::vector<std::uint32_t>{1001}));
    EXPECT_EQ(pump.now, 2001u);
}

TEST(WaitPumping, ForeverAndOtherNegativeTimeoutsEndAfterOneDispatchPass) {
    for (std::uint32_t timeout : {0xFFFFFFFFu, 0x80000000u, 0xFFFFFF00u}) {
        FakeMessagePump pump;
        pos::WaitPumping(pump, timeout);
        EXPECT_EQ(pump.dispatchPasses, 1);
        EXPECT_TRUE(pump.waits.empty());
    }
}

TEST(WaitPumping, WaitsInFullAcrossTheTickCounterWrap) {
    FakeMessagePump pump(0xFFFFFF00u);
    pos::WaitPumping(pump, 1000);
    EXPECT_EQ(pump.now - 0xFFFFFF00u, 1001u);
}

// A message that arrives early wakes the wait, gets dispatched, and the wait goes on.
TEST(WaitPumping, KeepsWaitingAfterAMessageWakesIt) {
    struct EarlyMessagePump : FakeMessagePump {
        void waitForMessage(std::uint32_t timeoutMs) override {
            waits.push_back(timeoutMs);
            now += waits.size() == 1 ? 300 : timeoutMs;
        }
    } pump;
    pos::WaitPumping(pump, 1000);
    EXPECT_EQ(pump.waits, (std::vector<std::uint32_t>{1001, 701}));
    EXPECT_EQ(pump.dispatchPasses, 3);
}

}  // namespace
