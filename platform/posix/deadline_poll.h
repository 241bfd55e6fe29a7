#pragma once
// poll() against an absolute deadline, so a wait split by signals or spurious wake-ups still
// ends when the caller's time is up.
#include <poll.h>

#include <chrono>

namespace pos::platform::posix {

using Clock = std::chrono::steady_clock;

// Like poll(), but restarts after EINTR and never waits past deadline. Returns the number of
// ready descriptors, 0 once the deadline has passed, -1 on failure.
int pollUntil(pollfd* fds, nfds_t count, Clock::time_point deadline);

// A deadline that lies so far ahead it never arrives.
constexpr Clock::time_point kNoDeadline = Clock::time_point::max();

// Wakes whoever polls an eventfd for reading; it stays readable until drained.
void signalEventFd(int fd);

}  // namespace pos::platform::posix
