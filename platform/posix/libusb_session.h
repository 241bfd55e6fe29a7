#pragma once
// One USB device opened through libusb with the interface of its bulk pipes claimed. The read
// and write pipes of a device share it; the last one to close releases the interface, gives
// the device back to the kernel driver it was taken from, and closes the device.
#include <libusb.h>

#include <memory>
#include <optional>
#include <vector>

#include "usb_location.h"

namespace pos::platform::posix {

// Where a device sits and its interface settings; the interface number is left 0.
struct LibusbDeviceFacts {
    UsbLocation location;
    std::vector<UsbAltSettingInfo> settings;
};
std::optional<LibusbDeviceFacts> describeDevice(libusb_device* device);

class LibusbSession {
  public:
    // nullptr when no device with the location's ids sits there now, or it cannot be claimed.
    static std::shared_ptr<LibusbSession> open(const UsbLocation& location);

    LibusbSession(const LibusbSession&) = delete;
    LibusbSession& operator=(const LibusbSession&) = delete;
    ~LibusbSession();

    libusb_device_handle* handle() const { return handle_; }
    const UsbBulkInterface& pipes() const { return pipes_; }

  private:
    LibusbSession(std::shared_ptr<libusb_context> context, libusb_device_handle* handle,
                  UsbBulkInterface pipes);
    bool claim();

    std::shared_ptr<libusb_context> context_;  // outlives the handle
    libusb_device_handle* handle_;
    UsbBulkInterface pipes_;
    bool claimed_ = false;
    bool reattachDriver_ = false;
};

}  // namespace pos::platform::posix
