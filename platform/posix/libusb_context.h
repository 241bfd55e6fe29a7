#pragma once
// One libusb context for everything that uses USB at a time: made when the first user asks,
// ended when the last one lets go, so repeated opens leave nothing behind.
#include <libusb.h>

#include <memory>

namespace pos::platform::posix {

// nullptr when libusb cannot start (no USB support on this system).
std::shared_ptr<libusb_context> sharedLibusbContext();

// The device list of a context, freed with its references when this goes.
class LibusbDeviceList {
  public:
    explicit LibusbDeviceList(libusb_context* context);
    LibusbDeviceList(const LibusbDeviceList&) = delete;
    LibusbDeviceList& operator=(const LibusbDeviceList&) = delete;
    ~LibusbDeviceList();

    libusb_device* const* begin() const { return devices_; }
    libusb_device* const* end() const { return devices_ + count_; }

  private:
    libusb_device** devices_ = nullptr;
    std::ptrdiff_t count_ = 0;
};

}  // namespace pos::platform::posix
