#include "platform/descriptor_io.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <limits>
#include <system_error>
#include <vector>

namespace pos::platform {

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
}

int FileDescriptor::release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

void FileDescriptor::reset(int fd) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
}

namespace {

IoResult outcome(ssize_t n) {
    if (n > 0) return {IoStatus::Done, static_cast<std::size_t>(n), 0};
    if (n == 0) return {IoStatus::EndOfFile, 0, 0};
    if (errno == EAGAIN || errno == EWOULDBLOCK) return {IoStatus::WouldBlock, 0, 0};
    return {IoStatus::Failed, 0, errno};
}

}  // namespace

IoResult readSome(int fd, std::span<std::uint8_t> into) {
    ssize_t n;
    do {
        n = ::read(fd, into.data(), into.size());
    } while (n < 0 && errno == EINTR);
    return outcome(n);
}

IoResult writeSome(int fd, std::span<const std::uint8_t> bytes) {
    if (bytes.empty()) return {IoStatus::Done, 0, 0};
    ssize_t n;
    do {
        n = ::write(fd, bytes.data(), bytes.size());
    } while (n < 0 && errno == EINTR);
    // write() returns 0 only for an empty buffer, so this never reads as end of file.
    return outcome(n);
}

void setNonBlocking(int fd) {
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) < 0) {
        throw std::system_error(errno, std::generic_category(),
                                "cannot make descriptor non-blocking");
    }
}

int waitForDescriptors(std::span<PollItem> items,
                       std::optional<std::chrono::milliseconds> timeout) {
    std::vector<pollfd> polled;
    polled.reserve(items.size());
    for (PollItem& item : items) {
        item.readable = item.writable = false;
        const short events =
            static_cast<short>((item.wantRead ? POLLIN : 0) | (item.wantWrite ? POLLOUT : 0));
        polled.push_back(pollfd{item.fd, events, 0});
    }
    int limit = -1;
    if (timeout) {
        limit = static_cast<int>(std::clamp<std::chrono::milliseconds::rep>(
            timeout->count(), 0, std::numeric_limits<int>::max()));
    }
    const int ready = ::poll(polled.data(), static_cast<nfds_t>(polled.size()), limit);
    if (ready < 0) {
        if (errno == EINTR) return 0;
        throw std::system_error(errno, std::generic_category(), "poll failed");
    }
    for (std::size_t i = 0; i < items.size(); ++i) {
        const short got = polled[i].revents;
        const bool trouble = (got & (POLLHUP | POLLERR | POLLNVAL)) != 0;
        items[i].readable = items[i].wantRead && ((got & POLLIN) != 0 || trouble);
        items[i].writable = items[i].wantWrite && ((got & POLLOUT) != 0 || trouble);
    }
    return ready;
}

}  // namespace pos::platform
