#include "termios_line_settings.h"

#include <array>
#include <optional>

namespace pos::platform::posix {

namespace {

struct BaudRate {
    std::uint32_t rate;
    speed_t constant;
};

constexpr BaudRate kBaudRates[] = {
    {50, B50},           {75, B75},           {110, B110},         {134, B134},
    {150, B150},         {200, B200},         {300, B300},         {600, B600},
    {1200, B1200},       {1800, B1800},       {2400, B2400},       {4800, B4800},
    {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
    {115200, B115200},   {230400, B230400},
#ifdef B460800
    {460800, B460800},
#endif
#ifdef B500000
    {500000, B500000},   {576000, B576000},   {921600, B921600},   {1000000, B1000000},
    {1152000, B1152000}, {1500000, B1500000}, {2000000, B2000000},
#endif
#ifdef B2500000
    {2500000, B2500000}, {3000000, B3000000}, {3500000, B3500000}, {4000000, B4000000},
#endif
};

constexpr std::array<tcflag_t, 4> kByteSizes = {CS5, CS6, CS7, CS8};
constexpr std::uint8_t kSmallestByteSize = 5;

// Indexed by the Win32 parity code: none, odd, even, mark, space. Mark and space are "stick"
// parity, where PARODD picks which level the parity bit sticks to.
constexpr std::array<tcflag_t, 5> kParityFlags = {0, PARENB | PARODD, PARENB,
                                                  PARENB | CMSPAR | PARODD, PARENB | CMSPAR};

constexpr std::uint8_t kOneStopBit = 0;
constexpr std::uint8_t kTwoStopBits = 2;

constexpr tcflag_t kControlMask = CBAUD | CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS;
constexpr tcflag_t kInputMask = IXON | IXOFF;

std::optional<speed_t> speedFor(std::uint32_t rate) {
    for (const auto& entry : kBaudRates) {
        if (entry.rate == rate) {
            return entry.constant;
        }
    }
    return std::nullopt;
}

std::optional<std::uint32_t> rateFor(speed_t speed) {
    for (const auto& entry : kBaudRates) {
        if (entry.constant == speed) {
            return entry.rate;
        }
    }
    return std::nullopt;
}

}  // namespace

bool lineSettingsValid(const SerialLineSettings& settings) {
    return speedFor(settings.baudRate).has_value() && settings.byteSize >= kSmallestByteSize &&
           settings.byteSize < kSmallestByteSize + kByteSizes.size() &&
           settings.parity < kParityFlags.size() &&
           (settings.stopBits == kOneStopBit || settings.stopBits == kTwoStopBits) &&
           settings.dtrControl <= DtrControl::Handshake &&
           settings.rtsControl <= RtsControl::Toggle;
}

bool applyLineSettings(const SerialLineSettings& settings, termios& attrs) {
    if (!lineSettingsValid(settings)) {
        return false;
    }
    termios next = attrs;
    if (::cfsetspeed(&next, *speedFor(settings.baudRate)) != 0) {
        return false;
    }
    next.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    next.c_cflag |= kByteSizes[settings.byteSize - kSmallestByteSize];
    next.c_cflag |= kParityFlags[settings.parity];
    if (settings.stopBits == kTwoStopBits) {
        next.c_cflag |= CSTOPB;
    }
    if (settings.outxCtsFlow) {
        next.c_cflag |= CRTSCTS;
    }
    next.c_iflag &= ~kInputMask;
    if (settings.outX) {
        next.c_iflag |= IXON;
    }
    if (settings.inX) {
        next.c_iflag |= IXOFF;
    }
    attrs = next;
    return true;
}

void readLineSettings(const termios& attrs, SerialLineSettings& settings) {
    if (const auto rate = rateFor(::cfgetospeed(&attrs))) {
        settings.baudRate = *rate;
    }
    for (std::size_t i = 0; i < kByteSizes.size(); ++i) {
        if ((attrs.c_cflag & CSIZE) == kByteSizes[i]) {
            settings.byteSize = static_cast<std::uint8_t>(kSmallestByteSize + i);
        }
    }
    const tcflag_t parity = attrs.c_cflag & (PARENB | PARODD | CMSPAR);
    settings.parity = 0;
    if ((parity & PARENB) != 0) {
        for (std::size_t code = 1; code < kParityFlags.size(); ++code) {
            if (parity == kParityFlags[code]) {
                settings.parity = static_cast<std::uint8_t>(code);
            }
        }
    }
    settings.stopBits = (attrs.c_cflag & CSTOPB) != 0 ? kTwoStopBits : kOneStopBit;
    settings.outxCtsFlow = (attrs.c_cflag & CRTSCTS) != 0;
    settings.outX = (attrs.c_iflag & IXON) != 0;
    settings.inX = (attrs.c_iflag & IXOFF) != 0;
}

bool sameLineSettings(const termios& a, const termios& b) {
    return (a.c_cflag & kControlMask) == (b.c_cflag & kControlMask) &&
           (a.c_iflag & kInputMask) == (b.c_iflag & kInputMask) &&
           ::cfgetospeed(&a) == ::cfgetospeed(&b);
}

}  // namespace pos::platform::posix
