// The translation itself, on a plain termios struct: every frame bit, including the ones a
// pseudo-terminal would hide from the port tests.
#include "termios_line_settings.h"

#include <gtest/gtest.h>

#include "serial_line_cases.h"

namespace pos::platform {
namespace {

using testing::LineCase;
using testing::RefusedCase;

termios rawAttributes() {
    termios attrs{};
    ::cfmakeraw(&attrs);
    ::cfsetspeed(&attrs, B9600);
    return attrs;
}

class TermiosTranslation : public ::testing::TestWithParam<LineCase> {};

TEST_P(TermiosTranslation, WritesEveryFieldAndReadsItBack) {
    const LineCase& line = GetParam();
    termios attrs = rawAttributes();
    // Leftovers from earlier settings must not survive.
    attrs.c_cflag |= CS5 | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS;
    attrs.c_iflag |= IXON | IXOFF;
    ASSERT_TRUE(posix::applyLineSettings(line.settings, attrs));

    EXPECT_EQ(::cfgetospeed(&attrs), line.speed);
    EXPECT_EQ(::cfgetispeed(&attrs), line.speed);
    EXPECT_EQ(attrs.c_cflag & testing::kFrameBits, line.frameBits);
    EXPECT_EQ(attrs.c_iflag & testing::kSoftFlowBits, line.softFlowBits);

    // Fields termios cannot hold come from whatever the caller passes in.
    SerialLineSettings back = line.settings;
    back.baudRate = 0;
    back.byteSize = 0;
    back.parity = 9;
    back.stopBits = 9;
    back.outxCtsFlow = !line.settings.outxCtsFlow;
    back.outX = !line.settings.outX;
    back.inX = !line.settings.inX;
    posix::readLineSettings(attrs, back);
    EXPECT_EQ(back, line.settings);
}

INSTANTIATE_TEST_SUITE_P(Lines, TermiosTranslation, ::testing::ValuesIn(testing::kLineCases),
                         testing::lineCaseName);

class TermiosRefusal : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(TermiosRefusal, LeavesTheAttributesUntouched) {
    const termios before = rawAttributes();
    termios attrs = before;
    EXPECT_FALSE(posix::lineSettingsValid(GetParam().settings));
    EXPECT_FALSE(posix::applyLineSettings(GetParam().settings, attrs));
    EXPECT_EQ(attrs.c_cflag, before.c_cflag);
    EXPECT_EQ(attrs.c_iflag, before.c_iflag);
    EXPECT_EQ(::cfgetospeed(&attrs), ::cfgetospeed(&before));
}

INSTANTIATE_TEST_SUITE_P(Values, TermiosRefusal, ::testing::ValuesIn(testing::kRefusedCases),
                         testing::refusedCaseName);

TEST(TermiosTranslation, NonStandardRateKeepsTheLastKnownBaud) {
    termios attrs = rawAttributes();
    ::cfsetspeed(&attrs, B0);
    SerialLineSettings settings;
    settings.baudRate = 4800;
    posix::readLineSettings(attrs, settings);
    EXPECT_EQ(settings.baudRate, 4800u);
}

}  // namespace
}  // namespace pos::platform
