#include "serial_writer.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>

namespace pos::platform::posix {

SerialWriter::SerialWriter(int fd) : fd_(fd) {
    wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wakeFd_ < 0) {
        throw std::system_error(errno, std::generic_category(), "eventfd");
    }
    try {
        thread_ = std::thread([this] { run(); });
    } catch (...) {
        ::close(wakeFd_);
        throw;
    }
}

SerialWriter::~SerialWriter() {
    stop(std::chrono::milliseconds(0));
}

bool SerialWriter::enqueue(std::span<const std::uint8_t> bytes) {
    {
        std::lock_guard lock(mutex_);
        if (stopping_ || failed_) {
            return false;
        }
        if (bytes.empty()) {
            return true;
        }
        queue_.emplace_back(bytes.begin(), bytes.end());
        pending_ += bytes.size();
    }
    queued_.notify_one();
    return true;
}

bool SerialWriter::stop(std::chrono::milliseconds stallLimit) {
    {
        std::lock_guard lock(mutex_);
        if (!thread_.joinable()) {
            return !failed_;
        }
        stopping_ = true;
        stallLimit_ = stallLimit;
        stopRequested_ = Clock::now();
    }
    queued_.notify_one();
    signalEventFd(wakeFd_);
    thread_.join();
    ::close(wakeFd_);
    wakeFd_ = -1;
    std::lock_guard lock(mutex_);
    return !failed_;
}

void SerialWriter::run() {
    std::deque<std::vector<std::uint8_t>> batch;
    for (;;) {
        {
            std::unique_lock lock(mutex_);
            queued_.wait(lock, [this] { return !queue_.empty() || stopping_; });
            if (queue_.empty()) {
                return;
            }
            batch.swap(queue_);
        }
        for (const auto& chunk : batch) {
            if (!send(chunk)) {
                // The line is gone or stalled past the limit at close: what is left can never
                // be delivered in order, so none of it is.
                std::lock_guard lock(mutex_);
                failed_ = true;
                queue_.clear();
                pending_ = 0;
                return;
            }
        }
        batch.clear();
    }
}

bool SerialWriter::send(const std::vector<std::uint8_t>& chunk) {
    auto lastProgress = Clock::now();
    std::size_t offset = 0;
    while (offset < chunk.size()) {
        const ssize_t written = ::write(fd_, chunk.data() + offset, chunk.size() - offset);
        if (written > 0) {
            offset += static_cast<std::size_t>(written);
            pending_ -= static_cast<std::size_t>(written);
            lastProgress = Clock::now();
        } else if (written < 0 && errno == EINTR) {
            continue;
        } else if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (!waitWritable(lastProgress)) {
                return false;
            }
        } else {
            return false;
        }
    }
    return true;
}

// Until stop() the line may take as long as it likes; from then on, the stall limit runs from
// the later of the last accepted byte and the stop request.
bool SerialWriter::waitWritable(Clock::time_point& lastProgress) {
    for (;;) {
        auto deadline = kNoDeadline;
        {
            std::lock_guard lock(mutex_);
            if (stopping_) {
                deadline = std::max(lastProgress, stopRequested_) + stallLimit_;
            }
        }
        pollfd fds[2] = {{fd_, POLLOUT, 0}, {wakeFd_, POLLIN, 0}};
        // Once stopping, the wake fd stays readable; leave it out so the wait does not spin.
        const nfds_t count = deadline == kNoDeadline ? 2 : 1;
        const int ready = pollUntil(fds, count, deadline);
        if (ready <= 0) {
            return false;
        }
        if ((fds[0].revents & POLLOUT) != 0) {
            return true;
        }
        if ((fds[0].revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) {
            return false;
        }
    }
}

}  // namespace pos::platform::posix
