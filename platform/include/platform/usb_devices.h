#pragma once
// The operating system's USB devices, reduced to what the USB link needs: the paths of the
// present device interfaces of a class, and a device's pipes opened by name.
#include <chrono>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pos::platform {

enum class UsbInterfaceClass : std::uint8_t {
    Printer,  // the USB printing class interface
    Device,   // the generic USB device interface, which every device exposes
};

// One open pipe of a device. Destroying it closes it; no transfer outlives a call.
class UsbPipe {
  public:
    virtual ~UsbPipe() = default;
    // Waits up to timeout for the device to take the bytes; returns how many it took.
    virtual std::size_t write(std::span<const std::uint8_t> bytes,
                              std::chrono::milliseconds timeout) = 0;
    // Waits up to timeout for dest to fill; a short packet from the device ends the read
    // early. Returns how many bytes were placed at the front of dest; the rest is untouched.
    virtual std::size_t read(std::span<std::uint8_t> dest, std::chrono::milliseconds timeout) = 0;
};

class UsbDevices {
  public:
    virtual ~UsbDevices() = default;
    // Interface paths of the devices present now, in the system's order. A path names its
    // device's ids as "vid_xxxx" and "pid_xxxx". Empty when none, or when nothing can be listed.
    virtual std::vector<std::string> presentInterfacePaths(UsbInterfaceClass interfaceClass) = 0;
    // Opens a pipe by its full name: an interface path followed by "\PIPE01" (the bulk IN
    // endpoint) or "\PIPE02" (the bulk OUT endpoint). nullptr when it cannot be opened.
    virtual std::unique_ptr<UsbPipe> openPipe(const std::string& name) = 0;
    // The system's debugger output (Windows); elsewhere the system log at debug level.
    virtual void writeDebuggerOutput(std::string_view text) = 0;
};

std::unique_ptr<UsbDevices> createUsbDevices();

}  // namespace pos::platform
