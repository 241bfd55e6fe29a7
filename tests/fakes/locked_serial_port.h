#pragma once
// A serial port in memory that a second thread may use: every access goes through one lock,
// received bytes wake a waiting receive event, and scripted answers follow matching writes.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/serial_port.h"

namespace pos::testing {

using Bytes = std::vector<std::uint8_t>;

// The far end of the line, shared between the test and the port.
class SerialLine {
  public:
    // Bytes from the printer.
    void feed(const Bytes& bytes) {
        {
            std::lock_guard lock(mutex_);
            incoming_.insert(incoming_.end(), bytes.begin(), bytes.end());
        }
        changed_.notify_all();
    }
    // A later write of exactly request queues reply.
    void answer(const Bytes& request, const Bytes& reply) {
        std::lock_guard lock(mutex_);
        answers_[request] = reply;
    }
    std::vector<Bytes> writes() {
        std::lock_guard lock(mutex_);
        return writes_;
    }
    std::size_t queued() {
        std::lock_guard lock(mutex_);
        return incoming_.size();
    }
    std::size_t reads() {
        std::lock_guard lock(mutex_);
        return reads_;
    }
    // The driver's answer to setting up a receive event.
    void refuseReceiveEvents(bool refuse) {
        std::lock_guard lock(mutex_);
        refuseReceiveEvents_ = refuse;
    }
    // Receive events initialised and not yet closed.
    int receiveEventsOpen() {
        std::lock_guard lock(mutex_);
        return receiveEventsOpen_;
    }
    // Blocks until the port has read whatever was queued, or the timeout passes.
    bool waitUntilDrained(std::chrono::milliseconds timeout) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, timeout, [this] { return incoming_.empty(); });
    }

  private:
    friend class LockedSerialPort;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool open_ = false;
    std::deque<std::uint8_t> incoming_;
    std::vector<Bytes> writes_;
    std::map<Bytes, Bytes> answers_;
    std::size_t reads_ = 0;
    int receiveEventsOpen_ = 0;
    bool refuseReceiveEvents_ = false;
};

class LockedSerialPort : public platform::SerialPort {
  public:
    explicit LockedSerialPort(SerialLine& line) : l_(line) {}

    bool open(std::string_view) override { return set(true); }
    void close() override { set(false); }
    bool isOpen() const override {
        std::lock_guard lock(l_.mutex_);
        return l_.open_;
    }
    bool readSettings(platform::SerialLineSettings&) override { return isOpen(); }
    bool writeSettings(const platform::SerialLineSettings&) override { return isOpen(); }
    bool setRts(bool) override { return isOpen(); }
    bool setDtr(bool) override { return isOpen(); }
    bool purgeReceive() override {
        std::lock_guard lock(l_.mutex_);
        l_.incoming_.clear();
        return l_.open_;
    }
    bool readCts(bool& on) override {
        on = false;  // no power line: the device check does not ask who the printer is
        return isOpen();
    }
    bool clearError(platform::SerialLineStatus& status) override {
        std::lock_guard lock(l_.mutex_);
        status.inQueue = static_cast<std::uint32_t>(l_.incoming_.size());
        return l_.open_;
    }
    bool write(std::span<const std::uint8_t> bytes) override {
        {
            std::lock_guard lock(l_.mutex_);
            if (!l_.open_) return false;
            l_.writes_.emplace_back(bytes.begin(), bytes.end());
            const auto reply = l_.answers_.find(l_.writes_.back());
            if (reply != l_.answers_.end()) {
                l_.incoming_.insert(l_.incoming_.end(), reply->second.begin(), reply->second.end());
            }
        }
        l_.changed_.notify_all();
        return true;
    }
    std::size_t read(std::span<std::uint8_t> dest, std::chrono::milliseconds timeout) override {
        std::unique_lock lock(l_.mutex_);
        l_.changed_.wait_for(lock, timeout,
                             [&] { return !l_.open_ || l_.incoming_.size() >= dest.size(); });
        std::size_t n = 0;
        while (l_.open_ && n < dest.size() && !l_.incoming_.empty()) {
            dest[n++] = l_.incoming_.front();
            l_.incoming_.pop_front();
        }
        ++l_.reads_;
        lock.unlock();
        l_.changed_.notify_all();
        return n;
    }
    bool initReceiveEvent() override {
        std::lock_guard lock(l_.mutex_);
        if (l_.refuseReceiveEvents_) return false;
        ++l_.receiveEventsOpen_;
        return l_.open_;
    }
    bool waitReceiveEvent(std::chrono::milliseconds maxBlock) override {
        std::unique_lock lock(l_.mutex_);
        return l_.changed_.wait_for(lock, maxBlock,
                                    [this] { return l_.open_ && !l_.incoming_.empty(); });
    }
    bool closeReceiveEvent() override {
        std::lock_guard lock(l_.mutex_);
        if (l_.receiveEventsOpen_ == 0) return false;
        --l_.receiveEventsOpen_;
        return true;
    }

  private:
    bool set(bool open) {
        {
            std::lock_guard lock(l_.mutex_);
            l_.open_ = open;
        }
        l_.changed_.notify_all();
        return true;
    }
    SerialLine& l_;
};

}  // namespace pos::testing
