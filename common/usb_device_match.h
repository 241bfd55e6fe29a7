#pragma once
// Which USB device a service object takes: the interface class searched for a product id, the
// vendor and product texts it accepts, and the choice among the paths the system lists.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/usb_devices.h"

namespace pos {

// The printer accepts more of the family's product ids than the display does.
enum class UsbIdSet : std::uint8_t { Printer, Display };

// 4353 the printing-class interface; 4354 and 8193 the generic device interface; nothing else.
std::optional<platform::UsbInterfaceClass> usbInterfaceClassFor(std::uint16_t productId);

// True when text is one of the accepted 4-character ids; letter case counts.
bool isAcceptedUsbId(std::string_view text, UsbIdSet ids);

// The 4 characters after the first marker ("vid_" or "pid_"); with no marker, the 4 from the
// fourth character on. Shorter near the end of the path.
std::string_view usbIdSlice(std::string_view path, std::string_view marker);

// True when the path is long enough to name a device and both of its id slices are accepted.
bool isAcceptedUsbPath(std::string_view path, UsbIdSet ids);

// The device path after a search: the last accepted path listed, or else the one remembered
// from an earlier search (empty when there is none).
std::string chooseUsbDevicePath(const std::vector<std::string>& listed, UsbIdSet ids,
                                std::string remembered);

// Pipe 1 reads, pipe 2 writes: the device path followed by "\PIPE01" or "\PIPE02".
std::string usbPipeName(std::string_view devicePath, int pipeNumber);

}  // namespace pos
