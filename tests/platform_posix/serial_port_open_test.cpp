// Opening and closing: which names open, exclusivity, raw mode, and that repeated use leaves no
// descriptors or threads behind.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/serial_port.h"
#include "pseudo_terminal.h"

namespace pos::platform {
namespace {

using testing::PseudoTerminal;
using namespace std::chrono_literals;

std::size_t entriesIn(const char* directory) {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(directory)) {
        ++count;
    }
    return count;
}

// The master reports a hang-up once nobody holds the slave any more.
bool slaveReleased(const PseudoTerminal& pty) {
    pollfd fd{pty.master(), POLLIN, 0};
    return ::poll(&fd, 1, 0) == 1 && (fd.revents & POLLHUP) != 0;
}

class RefusedPortName : public ::testing::TestWithParam<std::string> {};

TEST_P(RefusedPortName, DoesNotOpen) {
    auto port = createSerialPort();
    EXPECT_FALSE(port->open(GetParam()));
    EXPECT_FALSE(port->isOpen());
}

INSTANTIATE_TEST_SUITE_P(Names, RefusedPortName,
                         ::testing::Values("COM10", "COM0", "COM", "LPT1", "ttyS0", "",
                                           std::string("/dev/null\0x", 11), "/nonexistent/ttyPOS",
                                           "/dev/null"));

TEST(SerialPortOpen, FailedOpenLeavesPreviousPortClosed) {
    PseudoTerminal pty(false);
    auto port = createSerialPort();
    ASSERT_TRUE(port->open(pty.slavePath()));
    EXPECT_FALSE(slaveReleased(pty));

    EXPECT_FALSE(port->open("COM10"));
    EXPECT_FALSE(port->isOpen());
    EXPECT_TRUE(slaveReleased(pty));
    EXPECT_FALSE(port->write(std::vector<std::uint8_t>{0x01}));
}

TEST(SerialPortOpen, SecondOpenClosesTheFirst) {
    PseudoTerminal first(false);
    PseudoTerminal second(false);
    auto port = createSerialPort();
    ASSERT_TRUE(port->open(first.slavePath()));
    ASSERT_TRUE(port->open(second.slavePath()));

    EXPECT_TRUE(slaveReleased(first));
    EXPECT_TRUE(port->write(std::vector<std::uint8_t>{0x1B, 0x40}));
    EXPECT_EQ(second.receive(2, 2s), (std::vector<std::uint8_t>{0x1B, 0x40}));
}

TEST(SerialPortOpen, HoldsTheLineExclusivelyAndRawUntilClosed) {
    PseudoTerminal pty;
    auto port = createSerialPort();
    ASSERT_TRUE(port->open(pty.slavePath()));

    int exclusive = 0;
    ASSERT_EQ(::ioctl(pty.slave(), TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 1);
    termios attrs{};
    ASSERT_EQ(::tcgetattr(pty.slave(), &attrs), 0);
    EXPECT_EQ(attrs.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(attrs.c_oflag & OPOST, 0u);
    EXPECT_EQ(attrs.c_cflag & (CLOCAL | CREAD), tcflag_t{CLOCAL | CREAD});

    // Cooked output would turn the line feed into CR LF.
    ASSERT_TRUE(port->write(std::vector<std::uint8_t>{0x0A, 0x03, 0x0D}));
    EXPECT_EQ(pty.receive(3, 2s), (std::vector<std::uint8_t>{0x0A, 0x03, 0x0D}));

    port->close();
    EXPECT_FALSE(port->isOpen());
    ASSERT_EQ(::ioctl(pty.slave(), TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 0);
}

TEST(SerialPortOpen, ClosedPortRefusesEverything) {
    auto port = createSerialPort();
    SerialLineSettings settings;
    SerialLineStatus status;
    bool cts = false;
    std::vector<std::uint8_t> buffer(4);
    EXPECT_FALSE(port->readSettings(settings));
    EXPECT_FALSE(port->writeSettings(settings));
    EXPECT_FALSE(port->setRts(true));
    EXPECT_FALSE(port->setDtr(true));
    EXPECT_FALSE(port->purgeReceive());
    EXPECT_FALSE(port->readCts(cts));
    EXPECT_FALSE(port->clearError(status));
    EXPECT_FALSE(port->write(buffer));
    EXPECT_EQ(port->read(buffer, 0ms), 0u);
    port->close();
}

TEST(SerialPortOpen, CloseWaitsUntilTheQueueIsHandedOver) {
    PseudoTerminal pty;
    // More than the pseudo-terminal buffers, so close() has to wait for the device to read.
    std::vector<std::uint8_t> sent(std::size_t{64} * 1024);
    for (std::size_t i = 0; i < sent.size(); ++i) {
        sent[i] = static_cast<std::uint8_t>(i * 7 + i / 256);
    }
    auto port = createSerialPort();
    ASSERT_TRUE(port->open(pty.slavePath()));
    ASSERT_TRUE(port->write(sent));

    std::vector<std::uint8_t> received;
    std::thread device([&] {
        std::this_thread::sleep_for(500ms);
        received = pty.receive(sent.size(), 2s);
    });
    port->close();
    device.join();

    ASSERT_EQ(received.size(), sent.size());
    EXPECT_TRUE(received == sent);
}

TEST(SerialPortOpen, CloseGivesUpOnALineThatTakesNothing) {
    PseudoTerminal pty;
    auto port = createSerialPort();
    ASSERT_TRUE(port->open(pty.slavePath()));
    // Far more than the pseudo-terminal buffers; nobody reads the master.
    ASSERT_TRUE(port->write(std::vector<std::uint8_t>(1 << 20, 0x55)));

    const auto start = std::chrono::steady_clock::now();
    port->close();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 20s);
    EXPECT_FALSE(port->isOpen());
}

TEST(SerialPortOpen, RepeatedUseLeavesNoDescriptorsOrThreads) {
    PseudoTerminal pty;
    auto port = createSerialPort();
    // Warm up once so lazily created runtime state is not counted as a leak.
    ASSERT_TRUE(port->open(pty.slavePath()));
    port->close();
    const std::size_t fds = entriesIn("/proc/self/fd");
    const std::size_t threads = entriesIn("/proc/self/task");

    for (int i = 0; i < 100; ++i) {
        ASSERT_TRUE(port->open(pty.slavePath()));
        ASSERT_TRUE(port->initReceiveEvent());
        ASSERT_TRUE(port->write(std::vector<std::uint8_t>{0x10, 0x04, 0x01}));
        EXPECT_FALSE(port->waitReceiveEvent(0ms));
        ASSERT_TRUE(port->closeReceiveEvent());
        port->close();
    }

    EXPECT_EQ(entriesIn("/proc/self/fd"), fds);
    EXPECT_EQ(entriesIn("/proc/self/task"), threads);
    EXPECT_EQ(pty.receive(300, 2s).size(), 300u);
}

}  // namespace
}  // namespace pos::platform
