// USB through libusb: devices listed by class with Windows-style interface paths, and their
// bulk endpoints opened as pipes 1 (IN) and 2 (OUT).
#include "platform/usb_devices.h"

#include <libusb.h>
#include <syslog.h>

#include <algorithm>
#include <map>
#include <optional>
#include <vector>

#include "deadline_poll.h"
#include "libusb_context.h"
#include "libusb_session.h"
#include "usb_location.h"

namespace pos::platform {

namespace {

using posix::Clock;
using posix::LibusbSession;

// libusb reads a timeout of 0 as "wait for ever"; a deadline reached means stop instead.
std::optional<unsigned> millisecondsUntil(Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) return std::nullopt;
    return static_cast<unsigned>(
        std::min<std::chrono::milliseconds::rep>(left.count(), 0x7FFFFFFF));
}

class LibusbPipe final : public UsbPipe {
  public:
    LibusbPipe(std::shared_ptr<LibusbSession> session, posix::UsbPipeDirection direction)
        : session_(std::move(session)), direction_(direction) {}

    std::size_t write(std::span<const std::uint8_t> bytes,
                      std::chrono::milliseconds timeout) override {
        if (direction_ != posix::UsbPipeDirection::Out) return 0;
        // libusb takes a mutable buffer even for OUT transfers.
        outgoing_.assign(bytes.begin(), bytes.end());
        const auto deadline = Clock::now() + timeout;
        std::size_t sent = 0;
        while (sent < outgoing_.size()) {
            const auto wait = millisecondsUntil(deadline);
            if (!wait) break;
            int moved = 0;
            const int rc = libusb_bulk_transfer(session_->handle(), session_->pipes().outAddress,
                                                outgoing_.data() + sent,
                                                chunk(outgoing_.size() - sent), &moved, *wait);
            sent += static_cast<std::size_t>(std::max(moved, 0));
            if (rc != LIBUSB_SUCCESS) break;  // timed out, stalled or gone
        }
        return sent;
    }

    std::size_t read(std::span<std::uint8_t> dest, std::chrono::milliseconds timeout) override {
        if (direction_ != posix::UsbPipeDirection::In) return 0;
        std::size_t got = takeLeftover(dest);
        const auto deadline = Clock::now() + timeout;
        const std::size_t packet = session_->pipes().inMaxPacketSize;
        while (got < dest.size()) {
            const auto wait = millisecondsUntil(deadline);
            if (!wait) break;
            // Whole packets, so a device that sends more than asked for does not overflow us;
            // the surplus waits for the next read.
            const std::size_t want = std::min(dest.size() - got, kLargestTransfer);
            incoming_.resize((want + packet - 1) / packet * packet);
            int moved = 0;
            const int rc =
                libusb_bulk_transfer(session_->handle(), session_->pipes().inAddress,
                                     incoming_.data(), chunk(incoming_.size()), &moved, *wait);
            const auto arrived = static_cast<std::size_t>(std::max(moved, 0));
            const std::size_t used = std::min(arrived, want);
            std::copy_n(incoming_.begin(), used, dest.begin() + static_cast<std::ptrdiff_t>(got));
            leftover_.insert(leftover_.end(), incoming_.begin() + static_cast<std::ptrdiff_t>(used),
                             incoming_.begin() + static_cast<std::ptrdiff_t>(arrived));
            got += used;
            // A short packet ends the device's transfer, as a Windows pipe read completes then.
            if (rc != LIBUSB_SUCCESS || arrived < incoming_.size()) break;
        }
        return got;
    }

  private:
    static constexpr std::size_t kLargestTransfer = std::size_t{1} << 20;
    static int chunk(std::size_t size) {
        return static_cast<int>(std::min(size, kLargestTransfer));
    }

    std::size_t takeLeftover(std::span<std::uint8_t> dest) {
        const std::size_t n = std::min(dest.size(), leftover_.size());
        std::copy_n(leftover_.begin(), n, dest.begin());
        leftover_.erase(leftover_.begin(), leftover_.begin() + static_cast<std::ptrdiff_t>(n));
        return n;
    }

    std::shared_ptr<LibusbSession> session_;
    posix::UsbPipeDirection direction_;
    std::vector<std::uint8_t> outgoing_;
    std::vector<std::uint8_t> incoming_;
    std::vector<std::uint8_t> leftover_;
};

class LibusbDevices final : public UsbDevices {
  public:
    std::vector<std::string> presentInterfacePaths(UsbInterfaceClass interfaceClass) override {
        std::vector<std::string> paths;
        const auto context = posix::sharedLibusbContext();
        if (!context) return paths;
        const posix::LibusbDeviceList devices(context.get());
        for (libusb_device* device : devices) {
            auto facts = posix::describeDevice(device);
            if (!facts) continue;
            for (const auto& pipes : posix::listedInterfaces(facts->settings, interfaceClass)) {
                facts->location.interfaceNumber = pipes.interfaceNumber;
                paths.push_back(posix::usbInterfacePath(facts->location));
            }
        }
        return paths;
    }

    std::unique_ptr<UsbPipe> openPipe(const std::string& name) override {
        const auto address = posix::parseUsbPipeName(name);
        if (!address) return nullptr;
        const std::string path = posix::usbInterfacePath(address->location);
        std::erase_if(sessions_, [](const auto& entry) { return entry.second.expired(); });
        // Pipes 1 and 2 of one device share its claimed interface.
        std::shared_ptr<LibusbSession> session = sessions_[path].lock();
        if (!session) {
            session = LibusbSession::open(address->location);
            if (!session) {
                sessions_.erase(path);
                return nullptr;
            }
            sessions_[path] = session;
        }
        return std::make_unique<LibusbPipe>(std::move(session), address->direction);
    }

    void writeDebuggerOutput(std::string_view text) override {
        if (text.ends_with('\n')) text.remove_suffix(1);
        syslog(LOG_USER | LOG_DEBUG, "%.*s", static_cast<int>(text.size()), text.data());
    }

  private:
    std::map<std::string, std::weak_ptr<LibusbSession>> sessions_;
};

}  // namespace

std::unique_ptr<UsbDevices> createUsbDevices() {
    return std::make_unique<LibusbDevices>();
}

}  // namespace pos::platform
