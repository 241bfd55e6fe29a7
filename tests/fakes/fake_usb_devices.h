#pragma once
// USB devices in memory: the interface paths each class lists, pipes that open while their
// device is listed, and a record of every search, open, transfer and debugger line.
#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/usb_devices.h"

namespace pos::testing {

class FakeUsbDevices : public platform::UsbDevices {
  public:
    using Bytes = std::vector<std::uint8_t>;
    struct Shared {
        std::map<platform::UsbInterfaceClass, std::vector<std::string>> present;
        std::vector<platform::UsbInterfaceClass> searches;
        std::set<std::string> refusedPipes;  // full pipe names that fail although listed
        std::vector<std::string> openAttempts;
        std::vector<std::string> debuggerOutput;
        std::multiset<std::string> openPipes;               // names of the pipes open now
        std::vector<std::pair<std::string, Bytes>> writes;  // pipe name, bytes
        std::size_t acceptPerWrite = SIZE_MAX;              // bytes the device takes per write
        std::deque<std::uint8_t> incoming;                  // what the read pipe delivers
        std::vector<std::string> readsFrom;
        std::vector<std::chrono::milliseconds> timeouts;  // of every transfer
    };

    explicit FakeUsbDevices(Shared& shared) : s_(shared) {}

    std::vector<std::string> presentInterfacePaths(platform::UsbInterfaceClass c) override {
        s_.searches.push_back(c);
        return s_.present[c];
    }

    std::unique_ptr<platform::UsbPipe> openPipe(const std::string& name) override {
        s_.openAttempts.push_back(name);
        const std::string path = name.substr(0, name.rfind('\\'));
        bool listed = false;
        for (const auto& [c, paths] : s_.present) {
            for (const auto& p : paths) listed = listed || p == path;
        }
        if (!listed || s_.refusedPipes.count(name) != 0) return nullptr;
        return std::make_unique<Pipe>(s_, name);
    }

    void writeDebuggerOutput(std::string_view text) override {
        s_.debuggerOutput.emplace_back(text);
    }

  private:
    class Pipe : public platform::UsbPipe {
      public:
        Pipe(Shared& s, std::string name) : s_(s), name_(std::move(name)) {
            s_.openPipes.insert(name_);
        }
        ~Pipe() override { s_.openPipes.erase(s_.openPipes.find(name_)); }
        std::size_t write(std::span<const std::uint8_t> bytes,
                          std::chrono::milliseconds timeout) override {
            s_.timeouts.push_back(timeout);
            const std::size_t taken = std::min(bytes.size(), s_.acceptPerWrite);
            s_.writes.emplace_back(
                name_, Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(taken)));
            return taken;
        }
        std::size_t read(std::span<std::uint8_t> dest, std::chrono::milliseconds timeout) override {
            s_.timeouts.push_back(timeout);
            s_.readsFrom.push_back(name_);
            std::size_t n = 0;
            while (n < dest.size() && !s_.incoming.empty()) {
                dest[n++] = s_.incoming.front();
                s_.incoming.pop_front();
            }
            return n;
        }

      private:
        Shared& s_;
        std::string name_;
    };

    Shared& s_;
};

}  // namespace pos::testing
