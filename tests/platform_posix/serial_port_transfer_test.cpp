// Moving bytes: writes queue and return at once yet arrive whole and in order; reads honour one
// deadline for the whole call.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/serial_port.h"
#include "pseudo_terminal.h"

namespace pos::platform {
namespace {

using testing::PseudoTerminal;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Bytes that differ along the stream, so a lost, doubled or swapped chunk shows.
std::vector<std::uint8_t> streamBytes(std::size_t count, std::uint32_t seed) {
    std::vector<std::uint8_t> bytes(count);
    for (auto& byte : bytes) {
        seed = seed * 1103515245u + 12345u;
        byte = static_cast<std::uint8_t>(seed >> 16);
    }
    return bytes;
}

class SerialPortTransfer : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(port->open(pty.slavePath())); }

    PseudoTerminal pty;
    std::unique_ptr<SerialPort> port = createSerialPort();
};

TEST_F(SerialPortTransfer, ManyWritesArriveCompleteAndInOrder) {
    std::vector<std::size_t> sizes;
    std::size_t total = 0;
    for (std::size_t i = 0; i < 2000; ++i) {
        sizes.push_back(1 + (i * 37) % 199);
        total += sizes.back();
    }
    const auto sent = streamBytes(total, 7);

    std::vector<std::uint8_t> received;
    std::thread device([&] { received = pty.receive(total, 5s); });
    std::size_t offset = 0;
    for (const std::size_t size : sizes) {
        ASSERT_TRUE(port->write(std::span(sent).subspan(offset, size)));
        offset += size;
    }
    device.join();

    ASSERT_EQ(received.size(), total);
    EXPECT_TRUE(received == sent);
}

TEST_F(SerialPortTransfer, WriteReturnsBeforeTheLineTakesTheBytes) {
    const auto sent = streamBytes(std::size_t{256} * 1024, 3);
    ASSERT_TRUE(port->write(sent));

    // Nobody has read the master yet, and it cannot buffer all of this.
    SerialLineStatus status;
    ASSERT_TRUE(port->clearError(status));
    EXPECT_GT(status.outQueue, 0u);
    EXPECT_EQ(status.errors, 0u);

    const auto received = pty.receive(sent.size(), 5s);
    ASSERT_EQ(received.size(), sent.size());
    EXPECT_TRUE(received == sent);
}

TEST_F(SerialPortTransfer, ReadReturnsOnceTheBufferIsFull) {
    std::thread device([&] {
        std::this_thread::sleep_for(100ms);
        pty.send({0x10, 0x20, 0x30});
        std::this_thread::sleep_for(100ms);
        pty.send({0x40, 0x50, 0x60});
    });
    std::vector<std::uint8_t> buffer(5);
    const auto start = Clock::now();
    const std::size_t got = port->read(buffer, 10s);
    const auto elapsed = Clock::now() - start;
    device.join();

    EXPECT_EQ(got, 5u);
    EXPECT_EQ(buffer, (std::vector<std::uint8_t>{0x10, 0x20, 0x30, 0x40, 0x50}));
    EXPECT_LT(elapsed, 5s);
    EXPECT_EQ(port->read(std::span(buffer).first(1), 1s), 1u);
    EXPECT_EQ(buffer[0], 0x60);
}

TEST_F(SerialPortTransfer, ReadGivesUpAfterItsTimeout) {
    std::vector<std::uint8_t> buffer(4);
    const auto start = Clock::now();
    EXPECT_EQ(port->read(buffer, 1000ms), 0u);
    EXPECT_GE(Clock::now() - start, 900ms);
}

TEST_F(SerialPortTransfer, ReadReturnsAPartialBufferAtTheTimeout) {
    pty.send({0x01, 0x02, 0x03});
    std::vector<std::uint8_t> buffer(8, 0xEE);
    const auto start = Clock::now();
    EXPECT_EQ(port->read(buffer, 500ms), 3u);
    EXPECT_GE(Clock::now() - start, 450ms);
    EXPECT_EQ(buffer, (std::vector<std::uint8_t>{0x01, 0x02, 0x03, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE}));
}

TEST_F(SerialPortTransfer, ReadDeadlineCoversTheWholeCall) {
    // A byte every 200 ms keeps a per-chunk timeout from ever expiring.
    std::mutex mutex;
    std::condition_variable stop;
    bool stopping = false;
    std::thread device([&] {
        std::unique_lock lock(mutex);
        for (int i = 0; i < 40 && !stop.wait_for(lock, 200ms, [&] { return stopping; }); ++i) {
            pty.send({0x7E});
        }
    });

    std::vector<std::uint8_t> buffer(40);
    const auto start = Clock::now();
    const std::size_t got = port->read(buffer, 1000ms);
    const auto elapsed = Clock::now() - start;
    {
        std::lock_guard lock(mutex);
        stopping = true;
    }
    stop.notify_one();
    device.join();

    EXPECT_GE(got, 1u);
    EXPECT_LT(got, 40u);
    EXPECT_GE(elapsed, 900ms);
    EXPECT_LT(elapsed, 4s);
}

TEST_F(SerialPortTransfer, PurgeDiscardsReceivedBytes) {
    ASSERT_TRUE(port->initReceiveEvent());
    pty.send({0xA1, 0xA2, 0xA3, 0xA4});
    ASSERT_TRUE(port->waitReceiveEvent(5s));

    SerialLineStatus status;
    ASSERT_TRUE(port->clearError(status));
    EXPECT_EQ(status.inQueue, 4u);
    ASSERT_TRUE(port->purgeReceive());
    ASSERT_TRUE(port->clearError(status));
    EXPECT_EQ(status.inQueue, 0u);
    std::vector<std::uint8_t> buffer(4);
    EXPECT_EQ(port->read(buffer, 200ms), 0u);
}

}  // namespace
}  // namespace pos::platform
