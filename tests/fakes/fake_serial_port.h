#pragma once
// A serial port in memory: records what is written, replays scripted replies, and lets a test
// choose the modem lines and which settings the "driver" refuses.
#include <deque>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "platform/serial_port.h"

namespace pos::testing {

class FakeSerialPort : public platform::SerialPort {
  public:
    struct Shared {
        bool open = false;
        std::string openedName;
        std::vector<std::string> openAttempts;
        std::vector<std::string> calls;  // "setRts", "setDtr", "purge", ...
        std::vector<std::uint8_t> written;
        std::vector<std::vector<std::uint8_t>> writes;
        std::deque<std::uint8_t> incoming;
        platform::SerialLineSettings settings;
        std::function<bool(const platform::SerialLineSettings&)> accept = [](const auto&) {
            return true;
        };
        bool ctsReadable = true;
        bool cts = false;
        bool failOpen = false;
        int receiveWaits = 0;
        // A device behind the line: given every write, returns what it answers.
        std::function<std::vector<std::uint8_t>(std::span<const std::uint8_t>)> device;
    };

    explicit FakeSerialPort(Shared& shared) : s_(shared) {}

    bool open(std::string_view name) override {
        s_.openAttempts.emplace_back(name);
        if (s_.failOpen) return false;
        s_.open = true;
        s_.openedName = std::string(name);
        return true;
    }
    void close() override {
        if (s_.open) s_.calls.emplace_back("close");
        s_.open = false;
    }
    bool isOpen() const override { return s_.open; }
    bool readSettings(platform::SerialLineSettings& out) override {
        if (!s_.open) return false;
        out = s_.settings;
        return true;
    }
    bool writeSettings(const platform::SerialLineSettings& in) override {
        if (!s_.open || !s_.accept(in)) return false;
        s_.settings = in;
        return true;
    }
    bool setRts(bool raised) override { return note(raised ? "setRts" : "clearRts"); }
    bool setDtr(bool raised) override { return note(raised ? "setDtr" : "clearDtr"); }
    bool purgeReceive() override {
        s_.incoming.clear();
        return note("purge");
    }
    bool readCts(bool& on) override {
        if (!s_.open || !s_.ctsReadable) return false;
        on = s_.cts;
        return true;
    }
    bool clearError(platform::SerialLineStatus& status) override {
        status.inQueue = static_cast<std::uint32_t>(s_.incoming.size());
        return s_.open;
    }
    bool write(std::span<const std::uint8_t> bytes) override {
        if (!s_.open) return false;
        s_.writes.emplace_back(bytes.begin(), bytes.end());
        s_.written.insert(s_.written.end(), bytes.begin(), bytes.end());
        if (s_.device) {
            const auto reply = s_.device(bytes);
            s_.incoming.insert(s_.incoming.end(), reply.begin(), reply.end());
        }
        return true;
    }
    std::size_t read(std::span<std::uint8_t> dest, std::chrono::milliseconds) override {
        std::size_t n = 0;
        while (s_.open && n < dest.size() && !s_.incoming.empty()) {
            dest[n++] = s_.incoming.front();
            s_.incoming.pop_front();
        }
        return n;
    }
    bool initReceiveEvent() override { return note("initRx"); }
    bool waitReceiveEvent(std::chrono::milliseconds) override {
        ++s_.receiveWaits;
        return s_.open && !s_.incoming.empty();
    }
    bool closeReceiveEvent() override { return note("closeRx"); }

  private:
    bool note(const char* what) {
        s_.calls.emplace_back(what);
        return s_.open;
    }
    Shared& s_;
};

}  // namespace pos::testing
