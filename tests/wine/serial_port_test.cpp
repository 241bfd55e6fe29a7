// The Win32 serial port against a pseudo-terminal. serial_pty_driver.py maps the pty to the
// COM port named by POS_TEST_COM, maps a second one to COM10, and answers these requests:
//   BULK <bytes> <pauseMs>   pause, take <bytes> of the pattern, answer "BULK OK <bytes>"
//   SEND <delayMs> <hex>     after the delay, send those bytes
//   NOTE <text>              nothing to answer
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

#include "platform/serial_port.h"

namespace pos::platform {
void PrintTo(const SerialLineSettings& s, std::ostream* out) {
    *out << "{baud " << s.baudRate << ", bits " << int{s.byteSize} << ", parity " << int{s.parity}
         << ", stop " << int{s.stopBits} << ", cts " << s.outxCtsFlow << ", dsr " << s.outxDsrFlow
         << ", dtr " << static_cast<int>(s.dtrControl) << ", rts " << static_cast<int>(s.rtsControl)
         << ", outX " << s.outX << ", inX " << s.inX << "}";
}
}  // namespace pos::platform

namespace {

using Clock = std::chrono::steady_clock;
using pos::platform::DtrControl;
using pos::platform::RtsControl;
using pos::platform::SerialLineSettings;
using pos::platform::SerialLineStatus;
using pos::platform::SerialPort;
using std::chrono::milliseconds;
using ::testing::ElementsAre;

// The far end checks the bulk stream against the same formula: a multiplicative hash of the
// offset, so that any run of bytes tells where in the stream it belongs.
std::uint8_t patternByte(std::size_t offset) {
    return static_cast<std::uint8_t>((static_cast<std::uint32_t>(offset) * 2654435761u) >> 24);
}

std::span<const std::uint8_t> bytesOf(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

std::string portName() {
    const char* name = std::getenv("POS_TEST_COM");
    return name != nullptr ? name : "";
}

class SerialPortTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(portName().empty())
            << "POS_TEST_COM is not set: run this program through serial_pty_driver.py";
        ASSERT_TRUE(port_->open(portName())) << "cannot open " << portName();
        ASSERT_TRUE(port_->readSettings(original_));
        ASSERT_TRUE(port_->purgeReceive());
    }

    void TearDown() override {
        if (port_->isOpen()) {
            EXPECT_TRUE(port_->writeSettings(original_));
        }
        port_->close();
    }

    void request(const std::string& line) { ASSERT_TRUE(port_->write(bytesOf(line + "\n"))); }

    std::string readLine(milliseconds timeout) {
        const auto deadline = Clock::now() + timeout;
        std::string line;
        std::array<std::uint8_t, 1> byte{};
        while (Clock::now() < deadline) {
            const auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now());
            if (port_->read(byte, left) != 1) break;
            if (byte[0] == '\n') return line;
            line.push_back(static_cast<char>(byte[0]));
        }
        return line + " (no end of line)";
    }

    static milliseconds since(Clock::time_point start) {
        return std::chrono::duration_cast<milliseconds>(Clock::now() - start);
    }

    std::unique_ptr<SerialPort> port_ = pos::platform::createSerialPort();
    SerialLineSettings original_;
};

TEST_F(SerialPortTest, ManyWritesArriveCompleteAndInOrder) {
    std::vector<std::size_t> sizes;
    std::size_t total = 0;
    for (std::size_t i = 0; i < 500; ++i) {
        sizes.push_back(i % 50 == 49 ? 4096 : 1 + (i * 97) % 383);
        total += sizes.back();
    }
    // The far end takes nothing for 2 s; the pty holds about 20 KB of the ~135 KB.
    request("BULK " + std::to_string(total) + " 2000");
    const auto start = Clock::now();
    std::vector<std::uint8_t> piece;
    std::size_t offset = 0;
    for (const std::size_t size : sizes) {
        piece.resize(size);
        for (std::size_t i = 0; i < size; ++i) piece[i] = patternByte(offset + i);
        ASSERT_TRUE(port_->write(piece));
        std::fill(piece.begin(), piece.end(), 0xEE);  // write() must have taken its own copy
        offset += size;
    }
    const milliseconds writing = since(start);
    EXPECT_LT(writing, milliseconds(1000)) << "write() waited for the line";

    port_->close();  // drains what is still pending
    EXPECT_GE(since(start), milliseconds(1800)) << "close() returned before the bytes were taken";
    ASSERT_TRUE(port_->open(portName()));
    EXPECT_EQ(readLine(milliseconds(20000)), "BULK OK " + std::to_string(total));
    std::printf("%zu writes, %zu bytes: queued in %lld ms, all delivered in order\n", sizes.size(),
                total, static_cast<long long>(writing.count()));
}

TEST_F(SerialPortTest, ReadsEveryByteValueThePeerSends) {
    request("SEND 0 00010A0D111380FF");
    std::array<std::uint8_t, 8> got{};
    EXPECT_EQ(port_->read(got, milliseconds(5000)), 8u);
    EXPECT_THAT(got, ElementsAre(0x00, 0x01, 0x0A, 0x0D, 0x11, 0x13, 0x80, 0xFF));
}

TEST_F(SerialPortTest, ReadReturnsAsSoonAsItsBufferIsFull) {
    request("SEND 300 31323334");
    std::array<std::uint8_t, 4> got{};
    const auto start = Clock::now();
    EXPECT_EQ(port_->read(got, milliseconds(20000)), 4u);
    EXPECT_LT(since(start), milliseconds(10000));
    EXPECT_THAT(got, ElementsAre('1', '2', '3', '4'));
}

TEST_F(SerialPortTest, ReadReturnsWhatArrivedWhenItsTimeoutPasses) {
    request("SEND 0 414243");
    std::array<std::uint8_t, 10> got{};
    const auto start = Clock::now();
    EXPECT_EQ(port_->read(got, milliseconds(800)), 3u);
    EXPECT_GE(since(start), milliseconds(700));  // kept waiting for the rest
    EXPECT_THAT(std::span(got).first(3), ElementsAre('A', 'B', 'C'));
}

TEST_F(SerialPortTest, ReadWithNothingToReceiveGivesUpAfterItsTimeout) {
    std::array<std::uint8_t, 16> got{};
    const auto start = Clock::now();
    EXPECT_EQ(port_->read(got, milliseconds(500)), 0u);
    EXPECT_GE(since(start), milliseconds(450));
    EXPECT_LT(since(start), milliseconds(5000));

    // The abandoned read is gone: the next byte goes to the next read.
    request("SEND 0 5A");
    std::array<std::uint8_t, 1> next{};
    EXPECT_EQ(port_->read(next, milliseconds(5000)), 1u);
    EXPECT_EQ(next[0], 'Z');
}

TEST_F(SerialPortTest, ReceiveEventIsQuietWhileIdleAndFiresWhenBytesArrive) {
    ASSERT_TRUE(port_->initReceiveEvent());
    auto start = Clock::now();
    EXPECT_FALSE(port_->waitReceiveEvent(milliseconds(400)));
    EXPECT_GE(since(start), milliseconds(350)) << "returned at once instead of blocking";

    request("SEND 300 C0FFEE");
    start = Clock::now();
    EXPECT_TRUE(port_->waitReceiveEvent(milliseconds(20000)));
    EXPECT_LT(since(start), milliseconds(10000));
    EXPECT_TRUE(port_->waitReceiveEvent(milliseconds(0)));  // still waiting to be read

    SerialLineStatus status;
    ASSERT_TRUE(port_->clearError(status));
    EXPECT_EQ(status.inQueue, 3u);
    std::array<std::uint8_t, 3> got{};
    EXPECT_EQ(port_->read(got, milliseconds(5000)), 3u);
    EXPECT_THAT(got, ElementsAre(0xC0, 0xFF, 0xEE));

    start = Clock::now();
    EXPECT_FALSE(port_->waitReceiveEvent(milliseconds(300)));
    EXPECT_GE(since(start), milliseconds(250));
    EXPECT_TRUE(port_->closeReceiveEvent());
}

TEST_F(SerialPortTest, CloseEndsAWaitLeftPending) {
    ASSERT_TRUE(port_->initReceiveEvent());
    EXPECT_FALSE(port_->waitReceiveEvent(milliseconds(200)));  // leaves its wait pending
    const auto start = Clock::now();
    port_->close();
    EXPECT_LT(since(start), milliseconds(3000));

    ASSERT_TRUE(port_->open(portName()));
    ASSERT_TRUE(port_->initReceiveEvent());
    request("SEND 100 77");
    EXPECT_TRUE(port_->waitReceiveEvent(milliseconds(20000)));
    std::array<std::uint8_t, 1> got{};
    EXPECT_EQ(port_->read(got, milliseconds(5000)), 1u);
    EXPECT_EQ(got[0], 0x77);
    EXPECT_TRUE(port_->closeReceiveEvent());
}

TEST_F(SerialPortTest, PurgeDropsWhatWasReceived) {
    ASSERT_TRUE(port_->initReceiveEvent());
    request("SEND 200 0102030405");  // arrives while the wait blocks
    ASSERT_TRUE(port_->waitReceiveEvent(milliseconds(20000)));
    EXPECT_TRUE(port_->purgeReceive());
    EXPECT_FALSE(port_->waitReceiveEvent(milliseconds(300)));
    std::array<std::uint8_t, 5> got{};
    EXPECT_EQ(port_->read(got, milliseconds(300)), 0u);
    EXPECT_TRUE(port_->closeReceiveEvent());
}

// A pseudo-terminal keeps 8 data bits and no parity, and Wine gives it no DSR flow and no
// DTR or RTS control, so the round trips use the fields it can carry.
TEST_F(SerialPortTest, SettingsReadBackAsWritten) {
    const SerialLineSettings cases[] = {
        {.baudRate = 19200,
         .byteSize = 8,
         .parity = 0,
         .stopBits = 2,
         .outxCtsFlow = true,
         .outxDsrFlow = false,
         .dtrControl = DtrControl::Enable,
         .rtsControl = RtsControl::Enable,
         .outX = true,
         .inX = true},
        {.baudRate = 115200,
         .byteSize = 8,
         .parity = 0,
         .stopBits = 0,
         .outxCtsFlow = false,
         .outxDsrFlow = false,
         .dtrControl = DtrControl::Enable,
         .rtsControl = RtsControl::Enable,
         .outX = false,
         .inX = false},
        {.baudRate = 1200,
         .byteSize = 8,
         .parity = 0,
         .stopBits = 0,
         .outxCtsFlow = false,
         .outxDsrFlow = false,
         .dtrControl = DtrControl::Enable,
         .rtsControl = RtsControl::Enable,
         .outX = true,
         .inX = false},
    };
    for (const SerialLineSettings& wanted : cases) {
        ASSERT_TRUE(port_->writeSettings(wanted)) << wanted.baudRate;
        SerialLineSettings back;
        ASSERT_TRUE(port_->readSettings(back));
        EXPECT_EQ(back, wanted) << wanted.baudRate;
    }
}

TEST_F(SerialPortTest, RefusedSettingsLeaveThePortAsItWas) {
    const SerialLineSettings before{.baudRate = 19200, .stopBits = 2};
    ASSERT_TRUE(port_->writeSettings(before));
    struct Case {
        const char* what;
        SerialLineSettings settings;
    };
    // Each also asks for another baud rate, which a driver may apply before it refuses.
    const Case cases[] = {
        {"3 data bits", {.baudRate = 57600, .byteSize = 3}},
        {"parity 7", {.baudRate = 57600, .parity = 7}},
        {"stop bits 5", {.baudRate = 57600, .stopBits = 5}},
        {"no such DTR control", {.baudRate = 57600, .dtrControl = static_cast<DtrControl>(9)}},
        {"no such RTS control", {.baudRate = 57600, .rtsControl = static_cast<RtsControl>(9)}},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(port_->writeSettings(c.settings)) << c.what;
        SerialLineSettings back;
        ASSERT_TRUE(port_->readSettings(back));
        EXPECT_EQ(back, before) << c.what;
    }
}

TEST_F(SerialPortTest, OnlyComOneToNineOpenWithoutTheDevicePrefix) {
    auto other = pos::platform::createSerialPort();
    EXPECT_FALSE(other->open("COM10"));
    EXPECT_FALSE(other->isOpen());
    EXPECT_FALSE(other->write(bytesOf("x")));
    // The driver links COM10 too, so it is only the name that keeps the first open from working.
    EXPECT_TRUE(other->open("\\\\.\\COM10"));
    EXPECT_TRUE(other->isOpen());
    other->close();
    EXPECT_FALSE(other->isOpen());

    EXPECT_FALSE(other->open(""));
    EXPECT_FALSE(other->open(std::string("COM5\0", 5)));
    EXPECT_FALSE(other->open("C:\\windows\\win.ini")) << "a file is not a serial port";
    EXPECT_FALSE(other->isOpen());
}

TEST_F(SerialPortTest, OpensAndClosesHundredTimesWithoutLeaking) {
    // Wine hands out the lowest free handle first, so handles leaked below push the highest of
    // the 256 lowest free handles up. The runtime may keep a few for itself (thread records);
    // a leak in every cycle shows as a hundred or more.
    const auto highestOfLowestFree = [] {
        std::vector<HANDLE> probes(256);
        for (HANDLE& probe : probes) probe = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        const HANDLE highest = *std::max_element(probes.begin(), probes.end());
        for (HANDLE probe : probes) CloseHandle(probe);
        return reinterpret_cast<std::uintptr_t>(highest);
    };
    port_->close();
    const auto cycle = [&](int round) {
        ASSERT_TRUE(port_->open(portName())) << round;
        ASSERT_TRUE(port_->write(bytesOf("NOTE cycle " + std::to_string(round) + "\n")));
        ASSERT_TRUE(port_->initReceiveEvent());
        EXPECT_FALSE(port_->waitReceiveEvent(milliseconds(0)));
        port_->close();
    };
    cycle(0);  // anything made once per process is made now
    const std::uintptr_t before = highestOfLowestFree();
    for (int round = 1; round <= 100; ++round) cycle(round);
    constexpr std::uintptr_t kHandleStep = 4;
    EXPECT_LT(highestOfLowestFree(), before + 16 * kHandleStep);
}

}  // namespace
