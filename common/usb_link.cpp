#include "usb_link.h"

#include <chrono>

namespace pos {

namespace {
constexpr int kReadPipe = 1;
constexpr int kWritePipe = 2;
constexpr std::chrono::milliseconds kTransferTimeout{UsbLink::kTransferTimeoutMs};
}  // namespace

UsbLink::UsbLink(std::unique_ptr<platform::UsbDevices> devices, Options options)
    : devices_(std::move(devices)), options_(std::move(options)) {}

UsbLink::~UsbLink() {
    Close();
}

bool UsbLink::Open(std::uint16_t productId) {
    // Each OpenService opens afresh; pipes of an earlier open must not pile up.
    Close();
    const auto interfaceClass = usbInterfaceClassFor(productId);
    if (!interfaceClass) {
        if (options_.unknownProduct) options_.unknownProduct();
        return false;
    }
    devicePath_ = chooseUsbDevicePath(devices_->presentInterfacePaths(*interfaceClass),
                                      options_.ids, std::move(devicePath_));
    if (devicePath_.empty()) return false;
    auto readPipe = openPipe(kReadPipe);
    auto writePipe = openPipe(kWritePipe);
    // Half a connection is no connection: a device without both pipes is not there.
    if (!readPipe || !writePipe) return false;
    readPipe_ = std::move(readPipe);
    writePipe_ = std::move(writePipe);
    return true;
}

std::unique_ptr<platform::UsbPipe> UsbLink::openPipe(int number) {
    const std::string name = usbPipeName(devicePath_, number);
    if (options_.announcePipeNames) devices_->writeDebuggerOutput(name + "\n");
    return devices_->openPipe(name);
}

void UsbLink::Close() {
    writePipe_.reset();
    readPipe_.reset();
}

bool UsbLink::Write(std::span<const std::uint8_t> bytes) {
    if (!writePipe_) return false;
    if (bytes.empty()) return true;
    return writePipe_->write(bytes, kTransferTimeout) == bytes.size();
}

bool UsbLink::Read(std::uint8_t* destination, std::size_t count) {
    if (!readPipe_ || destination == nullptr) return false;
    if (count == 0) return true;
    return readPipe_->read(std::span<std::uint8_t>(destination, count), kTransferTimeout) == count;
}

}  // namespace pos
