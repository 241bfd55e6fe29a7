#pragma once
// Writes to an overlapped port in the order they were asked for, without making the caller
// wait for the line.
//
// Only one WriteFile is outstanding at a time. With several outstanding, Windows' serial
// drivers keep them in order, but Wine does not: a WriteFile first tries to write directly and
// pending writes are resumed as the line drains, so later bytes can overtake earlier ones. A
// writer thread therefore issues each piece as soon as the one before it completes.
#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <span>
#include <thread>
#include <vector>

#include "unique_handle.h"

namespace pos::platform::win32 {

class OrderedWriter {
  public:
    OrderedWriter() = default;
    OrderedWriter(const OrderedWriter&) = delete;
    OrderedWriter& operator=(const OrderedWriter&) = delete;
    ~OrderedWriter() { finish(std::chrono::milliseconds(0)); }

    // Starts the writer thread for port, which must stay open until finish() returns.
    bool start(HANDLE port);
    // Takes a copy of bytes and returns at once. False when not started.
    bool enqueue(std::span<const std::uint8_t> bytes);
    // Bytes taken but not yet handed to the driver, which counts the rest in its own queue.
    std::size_t waitingBytes() const;
    // Lets the queued bytes go out for up to limit, then cancels the rest and ends the thread.
    void finish(std::chrono::milliseconds limit);

  private:
    void run();
    // Hands one piece to the driver and waits for it, or until stop_ asks to give up.
    void writeOne(const std::vector<std::uint8_t>& piece);

    HANDLE port_ = nullptr;
    UniqueHandle wake_;   // auto-reset: something was queued
    UniqueHandle stop_;   // manual-reset: give up on what is left
    UniqueHandle wrote_;  // manual-reset: the outstanding write completed
    std::thread thread_;

    mutable std::mutex mutex_;
    std::condition_variable drained_;
    std::deque<std::vector<std::uint8_t>> queue_;  // the front is the piece being written
    std::size_t waitingBytes_ = 0;
    bool stopping_ = false;
};

}  // namespace pos::platform::win32
