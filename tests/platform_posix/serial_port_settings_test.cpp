// Line settings over a pseudo-terminal: what is accepted reaches the line and reads back
// unchanged; what termios cannot express is refused without touching the line.
#include <gtest/gtest.h>
#include <termios.h>

#include "platform/serial_port.h"
#include "pseudo_terminal.h"
#include "serial_line_cases.h"

namespace pos::platform {
namespace {

using testing::LineCase;
using testing::PseudoTerminal;
using testing::RefusedCase;

// A pseudo-terminal forces CS8 and clears PARENB whatever it is given; the rest it keeps.
constexpr tcflag_t kBitsAPtyKeeps = testing::kFrameBits & ~(CSIZE | PARENB);

class SerialPortSettings : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(port->open(pty.slavePath())); }

    termios lineAttributes() const {
        termios attrs{};
        EXPECT_EQ(::tcgetattr(pty.slave(), &attrs), 0);
        return attrs;
    }

    PseudoTerminal pty;
    std::unique_ptr<SerialPort> port = createSerialPort();
};

class AcceptedSettings : public SerialPortSettings,
                         public ::testing::WithParamInterface<LineCase> {};

TEST_P(AcceptedSettings, ReadBackExactlyAndReachTheLine) {
    const LineCase& line = GetParam();
    ASSERT_TRUE(port->writeSettings(line.settings));

    SerialLineSettings back;
    ASSERT_TRUE(port->readSettings(back));
    EXPECT_EQ(back, line.settings);

    const termios attrs = lineAttributes();
    EXPECT_EQ(::cfgetospeed(&attrs), line.speed);
    EXPECT_EQ(attrs.c_cflag & kBitsAPtyKeeps, line.frameBits & kBitsAPtyKeeps);
    EXPECT_EQ(attrs.c_iflag & testing::kSoftFlowBits, line.softFlowBits);
}

INSTANTIATE_TEST_SUITE_P(Lines, AcceptedSettings, ::testing::ValuesIn(testing::kLineCases),
                         testing::lineCaseName);

class RefusedSettings : public SerialPortSettings,
                        public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(RefusedSettings, LeaveThePreviousSettings) {
    const SerialLineSettings accepted{
        4800, 7, 1, 2, true, true, DtrControl::Disable, RtsControl::Handshake, true, false};
    ASSERT_TRUE(port->writeSettings(accepted));
    const termios before = lineAttributes();

    EXPECT_FALSE(port->writeSettings(GetParam().settings));

    SerialLineSettings back;
    ASSERT_TRUE(port->readSettings(back));
    EXPECT_EQ(back, accepted);
    const termios after = lineAttributes();
    EXPECT_EQ(::cfgetospeed(&after), B4800);
    EXPECT_EQ(after.c_cflag & testing::kFrameBits, before.c_cflag & testing::kFrameBits);
    EXPECT_EQ(after.c_iflag & testing::kSoftFlowBits, before.c_iflag & testing::kSoftFlowBits);
}

INSTANTIATE_TEST_SUITE_P(Values, RefusedSettings, ::testing::ValuesIn(testing::kRefusedCases),
                         testing::refusedCaseName);

TEST_F(SerialPortSettings, ReadModifyWriteRoundTripsFromAFreshOpen) {
    SerialLineSettings settings;
    ASSERT_TRUE(port->readSettings(settings));
    EXPECT_EQ(settings.byteSize, 8);
    EXPECT_EQ(settings.parity, 0);
    EXPECT_EQ(settings.stopBits, 0);

    settings.baudRate = 57600;
    settings.outxDsrFlow = true;
    settings.rtsControl = RtsControl::Handshake;
    ASSERT_TRUE(port->writeSettings(settings));
    SerialLineSettings back;
    ASSERT_TRUE(port->readSettings(back));
    EXPECT_EQ(back, settings);
}

TEST_F(SerialPortSettings, ChangeMadeByAnotherHolderOfTheLineShows) {
    const SerialLineSettings accepted{
        9600, 8, 0, 0, false, true, DtrControl::Disable, RtsControl::Enable, false, false};
    ASSERT_TRUE(port->writeSettings(accepted));
    termios attrs = lineAttributes();
    ::cfsetspeed(&attrs, B1200);
    attrs.c_cflag |= CSTOPB;
    ASSERT_EQ(::tcsetattr(pty.slave(), TCSANOW, &attrs), 0);

    SerialLineSettings back;
    ASSERT_TRUE(port->readSettings(back));
    EXPECT_EQ(back.baudRate, 1200u);
    EXPECT_EQ(back.stopBits, 2);
    EXPECT_TRUE(back.outxDsrFlow);
    EXPECT_EQ(back.dtrControl, DtrControl::Disable);
}

TEST_F(SerialPortSettings, PseudoTerminalHasNoModemStatus) {
    bool cts = true;
    EXPECT_FALSE(port->readCts(cts));
}

}  // namespace
}  // namespace pos::platform
