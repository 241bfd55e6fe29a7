#pragma once
// A printer service whose status thread can really run: a port that two threads may share,
// a USB link that records what it is sent, and a control object that records its events.
#include <gtest/gtest.h>

#include <mutex>

#include "fakes/fake_event_target.h"
#include "fakes/locked_serial_port.h"
#include "fakes/printer_fixture.h"
#include "status/status_flags_print.h"

namespace pos::testing {

class RecordingUsbLink final : public UsbLink {
  public:
    struct Shared {
        std::mutex mutex;
        std::vector<Bytes> writes;
    };
    explicit RecordingUsbLink(Shared& shared) : s_(shared) {}
    bool Open(std::uint16_t) override { return true; }
    void Close() override {}
    bool Write(std::span<const std::uint8_t> bytes) override {
        std::lock_guard lock(s_.mutex);
        s_.writes.emplace_back(bytes.begin(), bytes.end());
        return true;
    }
    bool Read(std::uint8_t*, std::size_t) override { return false; }

  private:
    Shared& s_;
};

inline const Bytes kStatusRequest{0x10, 0x04, 0x01, 0x10, 0x04, 0x02,
                                  0x10, 0x04, 0x03, 0x10, 0x04, 0x04};
inline const Bytes kAsbOn{0x1D, 0x61, 0x0F};
inline const Bytes kAsbOff{0x1D, 0x61, 0x00};

class StatusFixture : public PrinterFixture {
  public:
    StatusFixture() {
        auto p = std::make_unique<FakeMessagePump>();
        FakeMessagePump* fake = p.get();
        rebuild(std::move(p));
        pump = fake;
    }
    // A new service on the same line and link, waiting through the given pump.
    void rebuild(std::unique_ptr<platform::MessagePump> messagePump) {
        service.reset();
        pump = nullptr;
        service = std::make_unique<printer::PrinterService>(printer::PrinterPlatform{
            .serial = std::make_unique<LockedSerialPort>(line),
            .usb = std::make_unique<RecordingUsbLink>(usb),
            .pump = std::move(messagePump),
            .openRegistry = [this] { return platform::openSqliteRegistry(registryPath, nullptr); },
            .traceDirectory = dir.string(),
        });
    }
    // The service and its thread go before the line and link they use.
    ~StatusFixture() override { service.reset(); }

    void openSerial(IDispatch* eventTarget) {
        writeSerialEntry();
        ASSERT_EQ(service->OpenService(u"POSPrinter", u"P", eventTarget), 0);
    }
    void openUsb(IDispatch* eventTarget) {
        writeSerialEntry();
        writeText("DeviceType", "USB");
        ASSERT_EQ(service->OpenService(u"POSPrinter", u"P", eventTarget), 0);
    }
    void enable(bool on) { service->SetPropertyNumber(3, on ? 1 : 0); }  // PIDX_DeviceEnabled
    // The trace written since the given length of traceLines().
    std::string traceFrom(std::size_t mark) { return traceLines().substr(mark); }
    std::vector<Bytes> usbWrites() {
        std::lock_guard lock(usb.mutex);
        return usb.writes;
    }
    printer::StatusFlags current() { return service->state().CurrentStatus.flags(); }

    SerialLine line;
    RecordingUsbLink::Shared usb;
    FakeEventTarget target;
};

}  // namespace pos::testing
