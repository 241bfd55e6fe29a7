#pragma once
// A service object's USB connection: finds the device by its vendor and product ids among the
// present interfaces of a class, and keeps its read pipe (1) and write pipe (2) open.
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "platform/usb_devices.h"
#include "usb_device_match.h"

namespace pos {

class UsbLink {
  public:
    struct Options {
        UsbIdSet ids = UsbIdSet::Printer;
        bool announcePipeNames = true;  // the printer names each pipe on the debugger output
        // Called when the product id has no interface class, before Open fails (the display
        // shows a message box there).
        std::function<void()> unknownProduct;
    };
    static constexpr std::uint32_t kTransferTimeoutMs = 1000;

    UsbLink(std::unique_ptr<platform::UsbDevices> devices, Options options);
    UsbLink(const UsbLink&) = delete;
    UsbLink& operator=(const UsbLink&) = delete;
    ~UsbLink();

    // Closes any open pipes, finds the device and opens both pipes. False when the product id
    // is unknown, no device is known, or either pipe does not open (nothing is left open then).
    // A device found once is remembered and tried again when a later search finds none.
    bool Open(std::uint16_t productId);
    void Close();
    bool isOpen() const { return readPipe_ != nullptr; }
    const std::string& devicePath() const { return devicePath_; }

    // True when the device took every byte within the transfer timeout.
    bool Write(std::span<const std::uint8_t> bytes);
    // True when count bytes arrived within the transfer timeout. Bytes that did arrive are
    // placed at the front of destination; the rest of it is left as it was.
    bool Read(std::uint8_t* destination, std::size_t count);

  private:
    std::unique_ptr<platform::UsbPipe> openPipe(int number);

    std::unique_ptr<platform::UsbDevices> devices_;
    Options options_;
    std::string devicePath_;
    std::unique_ptr<platform::UsbPipe> readPipe_;
    std::unique_ptr<platform::UsbPipe> writePipe_;
};

}  // namespace pos
