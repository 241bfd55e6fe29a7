#pragma once
// How USB devices found through libusb are named: an interface path in the Windows manner
// ("usb#vid_03eb&pid_1101#3-1.4:1.0", ids in lower-case hex, then the sysfs name of the
// interface: bus, port chain, configuration and interface number), the pipe names built on
// it, and which interface of a device carries the bulk pipes.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/usb_devices.h"

namespace pos::platform::posix {

inline constexpr std::uint8_t kUsbPrinterClass = 7;

struct UsbEndpointInfo {
    std::uint8_t address = 0;     // bit 7 set: IN
    std::uint8_t attributes = 0;  // bits 0-1: transfer type, 2 = bulk
    std::uint16_t maxPacketSize = 0;
};

struct UsbAltSettingInfo {
    std::uint8_t interfaceNumber = 0;
    std::uint8_t alternateSetting = 0;
    std::uint8_t interfaceClass = 0;
    std::vector<UsbEndpointInfo> endpoints;
};

// An interface setting with a bulk IN endpoint (pipe 1) and a bulk OUT endpoint (pipe 2).
struct UsbBulkInterface {
    std::uint8_t interfaceNumber = 0;
    std::uint8_t alternateSetting = 0;
    std::uint8_t inAddress = 0;
    std::uint8_t outAddress = 0;
    std::uint16_t inMaxPacketSize = 0;

    friend bool operator==(const UsbBulkInterface&, const UsbBulkInterface&) = default;
};

// Each interface's first setting that has both bulk endpoints, in descriptor order.
std::vector<UsbBulkInterface> bulkInterfaces(std::span<const UsbAltSettingInfo> settings);

// The interfaces a search of the class lists for one device. Printer: every printing-class
// interface with bulk pipes. Device (every device, as on Windows): the device's first interface
// with bulk pipes, whatever its class, so a device without one is not listed.
std::vector<UsbBulkInterface> listedInterfaces(std::span<const UsbAltSettingInfo> settings,
                                               UsbInterfaceClass interfaceClass);

struct UsbLocation {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::uint8_t bus = 0;
    std::vector<std::uint8_t> ports;  // from the root hub down, 1 to 7 of them
    std::uint8_t configuration = 0;
    std::uint8_t interfaceNumber = 0;

    friend bool operator==(const UsbLocation&, const UsbLocation&) = default;
};

std::string usbInterfacePath(const UsbLocation& location);
// nullopt for anything usbInterfacePath does not make.
std::optional<UsbLocation> parseUsbInterfacePath(std::string_view path);

enum class UsbPipeDirection : std::uint8_t { In, Out };
struct UsbPipeAddress {
    UsbLocation location;
    UsbPipeDirection direction = UsbPipeDirection::In;
};
// "<path>\PIPE01" is the bulk IN pipe, "<path>\PIPE02" the bulk OUT pipe; nothing else opens.
std::optional<UsbPipeAddress> parseUsbPipeName(std::string_view name);

}  // namespace pos::platform::posix
