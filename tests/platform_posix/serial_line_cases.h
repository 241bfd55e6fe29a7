#pragma once
// Line settings and the termios each must become, shared by the translation and port tests.
#include <termios.h>

#include <string>

#include "platform/serial_port.h"

namespace pos::platform::testing {

constexpr tcflag_t kFrameBits = CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS;
constexpr tcflag_t kSoftFlowBits = IXON | IXOFF;

struct LineCase {
    const char* name;
    SerialLineSettings settings;
    speed_t speed;
    tcflag_t frameBits;
    tcflag_t softFlowBits;
};

// Fields: baud, byteSize, parity, stopBits, outxCtsFlow, outxDsrFlow, dtr, rts, outX, inX.
inline const LineCase kLineCases[] = {
    {"Plain9600_8N1",
     {9600, 8, 0, 0, false, false, DtrControl::Enable, RtsControl::Enable, false, false},
     B9600,
     CS8,
     0},
    {"CtsFlow19200_7E1",
     {19200, 7, 2, 0, true, false, DtrControl::Disable, RtsControl::Handshake, false, false},
     B19200,
     CS7 | PARENB | CRTSCTS,
     0},
    {"Fast115200_8O2",
     {115200, 8, 1, 2, false, true, DtrControl::Handshake, RtsControl::Disable, false, false},
     B115200,
     CS8 | PARENB | PARODD | CSTOPB,
     0},
    {"XonXoff2400_5M1",
     {2400, 5, 3, 0, false, true, DtrControl::Enable, RtsControl::Toggle, true, true},
     B2400,
     CS5 | PARENB | PARODD | CMSPAR,
     IXON | IXOFF},
    {"InXOnly38400_6S2",
     {38400, 6, 4, 2, false, false, DtrControl::Disable, RtsControl::Disable, false, true},
     B38400,
     CS6 | PARENB | CMSPAR | CSTOPB,
     IXOFF},
    {"Slow110_7O1",
     {110, 7, 1, 0, false, false, DtrControl::Enable, RtsControl::Enable, true, false},
     B110,
     CS7 | PARENB | PARODD,
     IXON},
};

inline std::string lineCaseName(const ::testing::TestParamInfo<LineCase>& test) {
    return test.param.name;
}

struct RefusedCase {
    const char* name;
    SerialLineSettings settings;
};

inline SerialLineSettings plain115200With(void (*change)(SerialLineSettings&)) {
    SerialLineSettings settings{
        115200, 8, 0, 0, false, false, DtrControl::Enable, RtsControl::Enable, false, false};
    change(settings);
    return settings;
}

inline const RefusedCase kRefusedCases[] = {
    {"UnsupportedBaud", plain115200With([](SerialLineSettings& s) { s.baudRate = 12345; })},
    {"Win32OnlyBaud", plain115200With([](SerialLineSettings& s) { s.baudRate = 14400; })},
    {"ZeroBaud", plain115200With([](SerialLineSettings& s) { s.baudRate = 0; })},
    {"NineDataBits", plain115200With([](SerialLineSettings& s) { s.byteSize = 9; })},
    {"FourDataBits", plain115200With([](SerialLineSettings& s) { s.byteSize = 4; })},
    {"OneAndAHalfStopBits", plain115200With([](SerialLineSettings& s) { s.stopBits = 1; })},
    {"ThreeStopBitsCode", plain115200With([](SerialLineSettings& s) { s.stopBits = 3; })},
    {"ParityCodeFive", plain115200With([](SerialLineSettings& s) { s.parity = 5; })},
    {"UnknownDtrMode",
     plain115200With([](SerialLineSettings& s) { s.dtrControl = static_cast<DtrControl>(3); })},
    {"UnknownRtsMode",
     plain115200With([](SerialLineSettings& s) { s.rtsControl = static_cast<RtsControl>(4); })},
};

inline std::string refusedCaseName(const ::testing::TestParamInfo<RefusedCase>& test) {
    return test.param.name;
}

}  // namespace pos::platform::testing
