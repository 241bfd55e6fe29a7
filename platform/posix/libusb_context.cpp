#include "libusb_context.h"

#include <mutex>

namespace pos::platform::posix {

std::shared_ptr<libusb_context> sharedLibusbContext() {
    static std::mutex mutex;
    static std::weak_ptr<libusb_context> current;
    std::lock_guard lock(mutex);
    if (auto context = current.lock()) return context;
    libusb_context* raw = nullptr;
    if (libusb_init(&raw) != LIBUSB_SUCCESS) return nullptr;
    std::shared_ptr<libusb_context> context(raw, [](libusb_context* c) { libusb_exit(c); });
    current = context;
    return context;
}

LibusbDeviceList::LibusbDeviceList(libusb_context* context) {
    const ssize_t count = libusb_get_device_list(context, &devices_);
    if (count < 0) {
        devices_ = nullptr;
        return;
    }
    count_ = count;
}

LibusbDeviceList::~LibusbDeviceList() {
    if (devices_ != nullptr) libusb_free_device_list(devices_, 1);
}

}  // namespace pos::platform::posix
