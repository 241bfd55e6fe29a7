#include "deadline_poll.h"

#include <sys/eventfd.h>

#include <cerrno>
#include <climits>

namespace pos::platform::posix {

namespace {

// Rounded up: a timeout rounded down would wake just before the deadline and poll again.
int millisecondsUntil(Clock::time_point deadline) {
    if (deadline == kNoDeadline) {
        return -1;
    }
    const auto now = Clock::now();
    if (deadline <= now) {
        return 0;
    }
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count();
    return left > INT_MAX ? INT_MAX : static_cast<int>(left);
}

}  // namespace

int pollUntil(pollfd* fds, nfds_t count, Clock::time_point deadline) {
    for (;;) {
        const int timeout = millisecondsUntil(deadline);
        const int ready = ::poll(fds, count, timeout);
        if (ready >= 0) {
            // A clamped timeout can end early; keep waiting for the rest.
            if (ready == 0 && timeout != 0 && millisecondsUntil(deadline) != 0) {
                continue;
            }
            return ready;
        }
        if (errno != EINTR) {
            return -1;
        }
    }
}

void signalEventFd(int fd) {
    const eventfd_t one = 1;
    // Only fails when the counter is saturated, and then the fd is readable anyway.
    (void)::eventfd_write(fd, one);
}

}  // namespace pos::platform::posix
