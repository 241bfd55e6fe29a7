#pragma once
// A printer service whose status thread can really run: a port that two threads may share,
// USB devices in memory, and a control object that records its events.
#include <gtest/gtest.h>

#include <mutex>

#include "fakes/fake_event_target.h"
#include "fakes/locked_serial_port.h"
#include "fakes/printer_fixture.h"
#include "status/status_flags_print.h"

namespace pos::testing {

inline const std::string kUsbPrinterPath =
    R"(\\?\usb#vid_03eb&pid_1101#6&1f2e3d&0&1#{28d78fad-5a12-11d1-ae5b-0000f803a8c2})";
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
            .usb = std::make_unique<FakeUsbDevices>(usb),
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
        writeNumber("DeviceID", 4353);
        usb.present[platform::UsbInterfaceClass::Printer] = {kUsbPrinterPath};
        ASSERT_EQ(service->OpenService(u"POSPrinter", u"P", eventTarget), 0);
    }
    void enable(bool on) { service->SetPropertyNumber(3, on ? 1 : 0); }  // PIDX_DeviceEnabled
    // The trace written since the given length of traceLines().
    std::string traceFrom(std::size_t mark) { return traceLines().substr(mark); }
    // Only the application thread writes, so the record needs no lock.
    std::vector<Bytes> usbWrites() {
        std::vector<Bytes> writes;
        for (const auto& [pipe, bytes] : usb.writes) writes.push_back(bytes);
        return writes;
    }
    printer::StatusFlags current() { return service->state().CurrentStatus.flags(); }

    SerialLine line;
    FakeEventTarget target;
};

}  // namespace pos::testing
