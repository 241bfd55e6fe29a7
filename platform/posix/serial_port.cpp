#include "platform/serial_port.h"

#include <fcntl.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <utility>

#include "deadline_poll.h"
#include "serial_writer.h"
#include "termios_line_settings.h"

namespace pos::platform {

namespace {

using posix::Clock;
using posix::pollUntil;
using posix::signalEventFd;

// How long close() keeps offering queued bytes to a line that accepts none.
constexpr std::chrono::seconds kDrainStallLimit{3};

// Win32 opens only COM1..COM9 without the \\.\ prefix; the same names map to ttyS0..ttyS8.
std::optional<std::string> devicePathFor(std::string_view name) {
    if (name.empty() || name.find('\0') != std::string_view::npos) {
        return std::nullopt;
    }
    if (name.find('/') != std::string_view::npos) {
        return std::string(name);
    }
    const auto upper = [](char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; };
    if (name.size() == 4 && upper(name[0]) == 'C' && upper(name[1]) == 'O' &&
        upper(name[2]) == 'M' && name[3] >= '1' && name[3] <= '9') {
        return "/dev/ttyS" + std::string(1, char(name[3] - 1));
    }
    return std::nullopt;
}

class FdCloser {
  public:
    explicit FdCloser(int fd) : fd_(fd) {}
    FdCloser(const FdCloser&) = delete;
    FdCloser& operator=(const FdCloser&) = delete;
    ~FdCloser() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }

  private:
    int fd_;
};

// Settings a pseudo-terminal refuses here (it has no modem lines) are not worth failing for.
void applyModemLines(int fd, const SerialLineSettings& settings) {
    int dtr = TIOCM_DTR;
    (void)::ioctl(fd, settings.dtrControl == DtrControl::Disable ? TIOCMBIC : TIOCMBIS, &dtr);
    // Toggle raises RTS only while sending, which termios cannot do; its idle state is low.
    const bool rtsLow =
        settings.rtsControl == RtsControl::Disable || settings.rtsControl == RtsControl::Toggle;
    int rts = TIOCM_RTS;
    (void)::ioctl(fd, rtsLow ? TIOCMBIC : TIOCMBIS, &rts);
}

std::size_t bytesWaiting(int fd) {
    int count = 0;
    return ::ioctl(fd, FIONREAD, &count) == 0 && count > 0 ? static_cast<std::size_t>(count) : 0;
}

// For a line that hung up: poll would report it at once forever, so block on the wake-ups only
// and let callers that loop on read or waitReceiveEvent keep their pace.
void waitOutDeadline(int wakeA, int wakeB, Clock::time_point deadline) {
    pollfd fds[2] = {{wakeA, POLLIN, 0}, {wakeB, POLLIN, 0}};
    (void)pollUntil(fds, wakeB >= 0 ? 2 : 1, deadline);
}

class PosixSerialPort final : public SerialPort {
  public:
    PosixSerialPort() = default;
    PosixSerialPort(const PosixSerialPort&) = delete;
    PosixSerialPort& operator=(const PosixSerialPort&) = delete;
    ~PosixSerialPort() override {
        closeReceiveEvent();
        close();
    }

    bool open(std::string_view name) override;
    void close() override;
    bool isOpen() const override {
        std::lock_guard lock(mutex_);
        return usable();
    }

    bool readSettings(SerialLineSettings& settings) override;
    bool writeSettings(const SerialLineSettings& settings) override;
    bool setRts(bool raised) override { return setModemLine(TIOCM_RTS, raised); }
    bool setDtr(bool raised) override { return setModemLine(TIOCM_DTR, raised); }
    bool purgeReceive() override;
    bool readCts(bool& ctsOn) override;
    bool clearError(SerialLineStatus& status) override;

    bool write(std::span<const std::uint8_t> bytes) override;
    std::size_t read(std::span<std::uint8_t> dest, std::chrono::milliseconds timeout) override;

    bool initReceiveEvent() override;
    bool waitReceiveEvent(std::chrono::milliseconds maxBlock) override;
    bool closeReceiveEvent() override;

  private:
    // A thread blocked on fd_ outside the lock; close() waits for it to leave before the
    // descriptor number can be reused.
    struct PortUse {
        int fd = -1;
        int cancelFd = -1;
    };

    bool usable() const { return fd_ >= 0 && !closing_; }
    std::optional<PortUse> enterPort();
    void leavePort();
    bool setModemLine(int line, bool raised);
    void closeLocked();

    std::mutex lifecycle_;  // serialises open and close
    mutable std::mutex mutex_;
    std::condition_variable left_;
    int fd_ = -1;
    int cancelFd_ = -1;  // readable once close() begins
    bool closing_ = false;
    int portUsers_ = 0;
    // The settings last accepted, and the termios the driver made of them: a pseudo-terminal,
    // for one, keeps CS8 and no parity whatever it is given.
    SerialLineSettings shadow_;
    termios lineAsSet_{};
    std::unique_ptr<posix::SerialWriter> writer_;

    int receiveWakeFd_ = -1;
    bool receiveClosing_ = false;
    int receiveWaiters_ = 0;
};

bool PosixSerialPort::open(std::string_view name) {
    std::lock_guard life(lifecycle_);
    closeLocked();
    const auto path = devicePathFor(name);
    if (!path) {
        return false;
    }
    FdCloser owner(::open(path->c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    const int raw = owner.get();
    if (raw < 0) {
        return false;
    }

    if (::ioctl(raw, TIOCEXCL) != 0) {
        return false;
    }
    // Whoever else holds the device must not stay locked out by a failed open.
    const auto fail = [raw] {
        (void)::ioctl(raw, TIOCNXCL);
        return false;
    };
    termios attrs{};
    if (::tcgetattr(raw, &attrs) != 0) {
        return fail();
    }
    ::cfmakeraw(&attrs);
    attrs.c_cflag |= CLOCAL | CREAD;
    // With VMIN 0 an empty read returns 0 even on a non-blocking fd, which is also how a hung-up
    // line reads; VMIN 1 makes "nothing yet" EAGAIN.
    attrs.c_cc[VMIN] = 1;
    attrs.c_cc[VTIME] = 0;
    if (::tcsetattr(raw, TCSANOW, &attrs) != 0 || ::tcgetattr(raw, &attrs) != 0) {
        return fail();
    }

    FdCloser cancel(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    if (cancel.get() < 0) {
        return fail();
    }

    std::unique_ptr<posix::SerialWriter> writer;
    try {
        writer = std::make_unique<posix::SerialWriter>(raw);
    } catch (const std::system_error&) {
        return fail();
    }

    SerialLineSettings initial;
    posix::readLineSettings(attrs, initial);
    std::lock_guard lock(mutex_);
    fd_ = owner.release();
    cancelFd_ = cancel.release();
    writer_ = std::move(writer);
    shadow_ = initial;
    lineAsSet_ = attrs;
    return true;
}

void PosixSerialPort::close() {
    std::lock_guard life(lifecycle_);
    closeLocked();
}

void PosixSerialPort::closeLocked() {
    std::unique_lock lock(mutex_);
    if (fd_ < 0) {
        return;
    }
    closing_ = true;
    signalEventFd(cancelFd_);
    left_.wait(lock, [this] { return portUsers_ == 0; });
    // Nobody else touches fd_ now that closing_ is set; the drain may take seconds, so let
    // other callers see the port as closed meanwhile instead of queueing on the lock.
    lock.unlock();
    const bool drained = writer_->stop(kDrainStallLimit);
    // Otherwise the kernel would hold close() until its own buffer drains.
    if (!drained) {
        (void)::tcflush(fd_, TCOFLUSH);
    }
    (void)::ioctl(fd_, TIOCNXCL);
    lock.lock();
    writer_.reset();
    ::close(fd_);
    ::close(cancelFd_);
    fd_ = -1;
    cancelFd_ = -1;
    closing_ = false;
}

std::optional<PosixSerialPort::PortUse> PosixSerialPort::enterPort() {
    if (!usable()) {
        return std::nullopt;
    }
    ++portUsers_;
    return PortUse{fd_, cancelFd_};
}

void PosixSerialPort::leavePort() {
    --portUsers_;
    left_.notify_all();
}

bool PosixSerialPort::readSettings(SerialLineSettings& settings) {
    std::lock_guard lock(mutex_);
    termios attrs{};
    if (!usable() || ::tcgetattr(fd_, &attrs) != 0) {
        return false;
    }
    settings = shadow_;
    // Only a change made behind our back (another holder of the tty) overrides what we set.
    if (!posix::sameLineSettings(attrs, lineAsSet_)) {
        posix::readLineSettings(attrs, settings);
    }
    return true;
}

bool PosixSerialPort::writeSettings(const SerialLineSettings& settings) {
    if (!posix::lineSettingsValid(settings)) {
        return false;
    }
    std::lock_guard lock(mutex_);
    termios attrs{};
    if (!usable() || ::tcgetattr(fd_, &attrs) != 0) {
        return false;
    }
    const termios previous = attrs;
    if (!posix::applyLineSettings(settings, attrs)) {
        return false;
    }
    if (::tcsetattr(fd_, TCSANOW, &attrs) != 0) {
        // tcsetattr may have taken part of it before failing.
        (void)::tcsetattr(fd_, TCSANOW, &previous);
        return false;
    }
    if (::tcgetattr(fd_, &lineAsSet_) != 0) {
        lineAsSet_ = attrs;
    }
    applyModemLines(fd_, settings);
    shadow_ = settings;
    return true;
}

bool PosixSerialPort::setModemLine(int line, bool raised) {
    std::lock_guard lock(mutex_);
    return usable() && ::ioctl(fd_, raised ? TIOCMBIS : TIOCMBIC, &line) == 0;
}

bool PosixSerialPort::purgeReceive() {
    std::lock_guard lock(mutex_);
    return usable() && ::tcflush(fd_, TCIFLUSH) == 0;
}

bool PosixSerialPort::readCts(bool& ctsOn) {
    std::lock_guard lock(mutex_);
    int lines = 0;
    if (!usable() || ::ioctl(fd_, TIOCMGET, &lines) != 0) {
        return false;
    }
    ctsOn = (lines & TIOCM_CTS) != 0;
    return true;
}

bool PosixSerialPort::clearError(SerialLineStatus& status) {
    std::lock_guard lock(mutex_);
    int received = 0;
    if (!usable() || ::ioctl(fd_, FIONREAD, &received) != 0) {
        return false;
    }
    int unsent = 0;
    if (::ioctl(fd_, TIOCOUTQ, &unsent) != 0) {
        unsent = 0;
    }
    status.errors = 0;
    status.inQueue = static_cast<std::uint32_t>(received);
    // Bytes still queued for the writer thread have not been transmitted either.
    status.outQueue =
        static_cast<std::uint32_t>(static_cast<std::size_t>(unsent) + writer_->pendingBytes());
    return true;
}

bool PosixSerialPort::write(std::span<const std::uint8_t> bytes) {
    std::lock_guard lock(mutex_);
    return usable() && writer_->enqueue(bytes);
}

std::size_t PosixSerialPort::read(std::span<std::uint8_t> dest, std::chrono::milliseconds timeout) {
    if (dest.empty()) {
        return 0;
    }
    const auto deadline = Clock::now() + std::max(timeout, std::chrono::milliseconds(0));
    std::optional<PortUse> use;
    {
        std::lock_guard lock(mutex_);
        use = enterPort();
    }
    if (!use) {
        return 0;
    }

    std::size_t got = 0;
    while (got < dest.size()) {
        const ssize_t n = ::read(use->fd, dest.data() + got, dest.size() - got);
        if (n > 0) {
            got += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd fds[2] = {{use->fd, POLLIN, 0}, {use->cancelFd, POLLIN, 0}};
            if (pollUntil(fds, 2, deadline) <= 0 || fds[1].revents != 0) {
                break;
            }
            if ((fds[0].revents & POLLIN) != 0) {
                continue;
            }
        }
        waitOutDeadline(use->cancelFd, -1, deadline);
        break;
    }

    std::lock_guard lock(mutex_);
    leavePort();
    return got;
}

bool PosixSerialPort::initReceiveEvent() {
    std::lock_guard lock(mutex_);
    if (receiveWakeFd_ >= 0) {
        return !receiveClosing_;
    }
    receiveWakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    return receiveWakeFd_ >= 0;
}

bool PosixSerialPort::waitReceiveEvent(std::chrono::milliseconds maxBlock) {
    const auto deadline = Clock::now() + std::max(maxBlock, std::chrono::milliseconds(0));
    std::unique_lock lock(mutex_);
    if (receiveWakeFd_ < 0 || receiveClosing_) {
        return false;
    }
    const int wakeFd = receiveWakeFd_;
    ++receiveWaiters_;
    const auto use = enterPort();
    lock.unlock();

    bool ready = false;
    if (!use) {
        // Closed port: still block, so a receive loop started before open does not spin.
        waitOutDeadline(wakeFd, -1, deadline);
    } else {
        for (;;) {
            pollfd fds[3] = {{wakeFd, POLLIN, 0}, {use->cancelFd, POLLIN, 0}, {use->fd, POLLIN, 0}};
            if (pollUntil(fds, 3, deadline) <= 0 || fds[0].revents != 0 || fds[1].revents != 0) {
                break;
            }
            ready = bytesWaiting(use->fd) > 0;
            if (ready) {
                break;
            }
            if ((fds[2].revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) {
                waitOutDeadline(wakeFd, use->cancelFd, deadline);
                break;
            }
            // Readable but already drained by a concurrent read: wait for the next bytes.
        }
    }

    lock.lock();
    if (use) {
        leavePort();
    }
    --receiveWaiters_;
    left_.notify_all();
    return ready;
}

bool PosixSerialPort::closeReceiveEvent() {
    std::unique_lock lock(mutex_);
    if (receiveWakeFd_ < 0 || receiveClosing_) {
        return false;
    }
    receiveClosing_ = true;
    signalEventFd(receiveWakeFd_);
    left_.wait(lock, [this] { return receiveWaiters_ == 0; });
    ::close(receiveWakeFd_);
    receiveWakeFd_ = -1;
    receiveClosing_ = false;
    return true;
}

}  // namespace

std::unique_ptr<SerialPort> createSerialPort() {
    return std::make_unique<PosixSerialPort>();
}

}  // namespace pos::platform
