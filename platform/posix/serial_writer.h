#pragma once
// The thread that hands written bytes to a non-blocking descriptor, so a caller's write never
// waits for the line.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <span>
#include <thread>
#include <vector>

#include "deadline_poll.h"

namespace pos::platform::posix {

class SerialWriter {
  public:
    // Starts the thread; throws std::system_error when the system has no thread or fd to spare.
    // fd must stay open until stop() returns.
    explicit SerialWriter(int fd);
    SerialWriter(const SerialWriter&) = delete;
    SerialWriter& operator=(const SerialWriter&) = delete;
    ~SerialWriter();

    // Queues a copy. False once stopping, or after the line failed and the queue was dropped.
    bool enqueue(std::span<const std::uint8_t> bytes);
    // Bytes queued but not yet accepted by the kernel.
    std::size_t pendingBytes() const { return pending_.load(); }
    // Hands over everything queued, giving up once the line has accepted nothing for
    // stallLimit, then joins the thread. True when every byte reached the kernel.
    bool stop(std::chrono::milliseconds stallLimit);

  private:
    void run();
    bool send(const std::vector<std::uint8_t>& chunk);
    bool waitWritable(Clock::time_point& lastProgress);

    const int fd_;
    int wakeFd_ = -1;  // readable once stop() begins
    std::mutex mutex_;
    std::condition_variable queued_;
    std::deque<std::vector<std::uint8_t>> queue_;
    bool stopping_ = false;
    bool failed_ = false;
    std::chrono::milliseconds stallLimit_{0};
    Clock::time_point stopRequested_;
    std::atomic<std::size_t> pending_{0};
    std::thread thread_;
};

}  // namespace pos::platform::posix
