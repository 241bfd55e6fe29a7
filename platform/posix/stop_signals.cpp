#include "platform/stop_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <stdexcept>
#include <system_error>

namespace pos::platform {

namespace {

constexpr std::array kHandled{SIGINT, SIGTERM, SIGPIPE};

// The handler can only reach globals. Written before the handlers are installed and cleared
// after they are gone.
std::atomic<int> signalPipe{-1};
std::array<struct sigaction, kHandled.size()> previous{};

extern "C" void onStopSignal(int number) {
    const int savedErrno = errno;
    const auto byte = static_cast<unsigned char>(number);
    [[maybe_unused]] const ssize_t ignored = ::write(signalPipe.load(), &byte, 1);
    errno = savedErrno;
}

}  // namespace

StopSignals::StopSignals() {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) {
        throw std::system_error(errno, std::generic_category(), "cannot create the signal pipe");
    }
    readEnd_.reset(ends[0]);
    writeEnd_.reset(ends[1]);
    int expected = -1;
    if (!signalPipe.compare_exchange_strong(expected, writeEnd_.get())) {
        throw std::logic_error("only one StopSignals may exist at a time");
    }
    for (std::size_t i = 0; i < kHandled.size(); ++i) {
        struct sigaction action {};
        action.sa_handler = kHandled[i] == SIGPIPE ? SIG_IGN : onStopSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        ::sigaction(kHandled[i], &action, &previous[i]);
    }
}

StopSignals::~StopSignals() {
    for (std::size_t i = 0; i < kHandled.size(); ++i)
        ::sigaction(kHandled[i], &previous[i], nullptr);
    signalPipe.store(-1);
}

int StopSignals::takeSignal() {
    unsigned char number = 0;
    const IoResult got = readSome(readEnd_.get(), {&number, 1});
    return got.status == IoStatus::Done ? number : 0;
}

}  // namespace pos::platform
