// Receive notification: blocks while the line is quiet, reports waiting bytes without taking
// them, and lets go promptly when released.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "platform/serial_port.h"
#include "pseudo_terminal.h"

namespace pos::platform {
namespace {

using testing::PseudoTerminal;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

class SerialPortReceiveEvent : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(port->open(pty.slavePath()));
        ASSERT_TRUE(port->initReceiveEvent());
    }

    // Runs a long wait on another thread while release() runs here; returns how the wait went.
    template <typename Release>
    std::pair<bool, Clock::duration> waitWhile(Release release) {
        bool result = true;
        Clock::duration elapsed{};
        std::thread waiter([&] {
            const auto start = Clock::now();
            result = port->waitReceiveEvent(10s);
            elapsed = Clock::now() - start;
        });
        std::this_thread::sleep_for(200ms);
        release();
        waiter.join();
        return {result, elapsed};
    }

    PseudoTerminal pty;
    std::unique_ptr<SerialPort> port = createSerialPort();
};

TEST_F(SerialPortReceiveEvent, BlocksAboutMaxBlockWhileTheLineIsQuiet) {
    const auto start = Clock::now();
    EXPECT_FALSE(port->waitReceiveEvent(300ms));
    EXPECT_GE(Clock::now() - start, 270ms);
}

TEST_F(SerialPortReceiveEvent, ReportsWaitingBytesAndLeavesThemToRead) {
    pty.send({0x41, 0x42, 0x43});
    EXPECT_TRUE(port->waitReceiveEvent(5s));
    EXPECT_TRUE(port->waitReceiveEvent(5s));

    std::vector<std::uint8_t> buffer(3);
    ASSERT_EQ(port->read(buffer, 1s), 3u);
    EXPECT_EQ(buffer, (std::vector<std::uint8_t>{0x41, 0x42, 0x43}));
    EXPECT_FALSE(port->waitReceiveEvent(100ms));
}

TEST_F(SerialPortReceiveEvent, WakesWhenBytesArriveDuringTheWait) {
    const auto [result, elapsed] = waitWhile([&] { pty.send({0x06}); });
    EXPECT_TRUE(result);
    EXPECT_LT(elapsed, 5s);
}

TEST_F(SerialPortReceiveEvent, CloseReceiveEventReleasesAWaiter) {
    const auto [result, elapsed] = waitWhile([&] { EXPECT_TRUE(port->closeReceiveEvent()); });
    EXPECT_FALSE(result);
    EXPECT_LT(elapsed, 5s);
}

TEST_F(SerialPortReceiveEvent, ClosingThePortReleasesAWaiter) {
    const auto [result, elapsed] = waitWhile([&] { port->close(); });
    EXPECT_FALSE(result);
    EXPECT_LT(elapsed, 5s);
}

TEST_F(SerialPortReceiveEvent, ClosedPortStillBlocksInsteadOfSpinning) {
    port->close();
    const auto start = Clock::now();
    EXPECT_FALSE(port->waitReceiveEvent(300ms));
    EXPECT_GE(Clock::now() - start, 270ms);
}

TEST_F(SerialPortReceiveEvent, WithoutInitReturnsFalseAtOnce) {
    ASSERT_TRUE(port->closeReceiveEvent());
    const auto start = Clock::now();
    EXPECT_FALSE(port->waitReceiveEvent(10s));
    EXPECT_LT(Clock::now() - start, 5s);
}

TEST(SerialPortHungUpLine, WaitsAndReadsStillBlockForTheirTime) {
    auto pty = std::make_unique<PseudoTerminal>(false);
    auto port = createSerialPort();
    ASSERT_TRUE(port->open(pty->slavePath()));
    ASSERT_TRUE(port->initReceiveEvent());
    pty.reset();  // the device side goes away: the slave now reports a hang-up forever

    auto start = Clock::now();
    EXPECT_FALSE(port->waitReceiveEvent(300ms));
    EXPECT_GE(Clock::now() - start, 270ms);

    std::vector<std::uint8_t> buffer(4);
    start = Clock::now();
    EXPECT_EQ(port->read(buffer, 300ms), 0u);
    EXPECT_GE(Clock::now() - start, 270ms);
    port->close();
}

}  // namespace
}  // namespace pos::platform
