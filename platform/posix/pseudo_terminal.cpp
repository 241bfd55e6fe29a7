#include "platform/pseudo_terminal.h"

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>

#include <array>
#include <cerrno>
#include <system_error>

namespace pos::platform {

namespace {

[[noreturn]] void fail(const char* what, int error = errno) {
    throw std::system_error(error, std::generic_category(), what);
}

}  // namespace

PseudoTerminal::PseudoTerminal() : master_(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC)) {
    if (!master_.valid()) fail("posix_openpt failed");
    if (::grantpt(master_.get()) != 0) fail("grantpt failed");
    if (::unlockpt(master_.get()) != 0) fail("unlockpt failed");

    std::array<char, 128> name{};
    if (const int error = ::ptsname_r(master_.get(), name.data(), name.size()); error != 0) {
        fail("ptsname_r failed", error);
    }
    slavePath_ = name.data();

    slave_.reset(::open(slavePath_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (!slave_.valid()) fail("cannot open the pseudo-terminal's slave side");
    termios settings{};
    if (::tcgetattr(slave_.get(), &settings) != 0) fail("tcgetattr failed");
    ::cfmakeraw(&settings);
    if (::tcsetattr(slave_.get(), TCSANOW, &settings) != 0) fail("tcsetattr failed");
}

}  // namespace pos::platform
