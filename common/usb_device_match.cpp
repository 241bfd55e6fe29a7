#include "usb_device_match.h"

#include <algorithm>
#include <array>

namespace pos {

namespace {

using namespace std::string_view_literals;

// Vendor 0x03EB in every letter case that turns up in paths, and the family's product ids.
// Vendor and product texts share one list: a slice is accepted whichever it stands for.
constexpr std::array kDisplayIds = {
    "03eb"sv, "03EB"sv, "03Eb"sv, "03eB"sv, "1001"sv, "1002"sv, "1003"sv, "1101"sv,
    "1102"sv, "2001"sv, "2002"sv, "2003"sv, "2004"sv, "2005"sv, "2006"sv, "6127"sv,
};
// The printer takes the display's ids and these.
constexpr std::array kPrinterOnlyIds = {
    "2007"sv, "2008"sv, "2009"sv, "200a"sv, "200b"sv, "200c"sv, "200d"sv, "200e"sv,
    "200f"sv, "200A"sv, "200B"sv, "200C"sv, "200D"sv, "200E"sv, "200F"sv, "2010"sv,
    "2011"sv, "2200"sv, "2201"sv, "2400"sv, "2401"sv, "6101"sv,
};

// Shorter paths cannot carry both ids.
constexpr std::size_t kShortestDevicePath = 10;

template <typename List>
bool listed(const List& list, std::string_view text) {
    return std::find(list.begin(), list.end(), text) != list.end();
}

}  // namespace

std::optional<platform::UsbInterfaceClass> usbInterfaceClassFor(std::uint16_t productId) {
    switch (productId) {
        case 0x1101:
            return platform::UsbInterfaceClass::Printer;
        case 0x1102:
        case 0x2001:
            return platform::UsbInterfaceClass::Device;
        default:
            return std::nullopt;
    }
}

bool isAcceptedUsbId(std::string_view text, UsbIdSet ids) {
    if (listed(kDisplayIds, text)) return true;
    return ids == UsbIdSet::Printer && listed(kPrinterOnlyIds, text);
}

std::string_view usbIdSlice(std::string_view path, std::string_view marker) {
    constexpr std::size_t kIdLength = 4;
    constexpr std::size_t kWithoutMarker = 3;
    const std::size_t at = path.find(marker);
    const std::size_t start = at == std::string_view::npos ? kWithoutMarker : at + marker.size();
    if (start >= path.size()) return {};
    return path.substr(start, kIdLength);
}

bool isAcceptedUsbPath(std::string_view path, UsbIdSet ids) {
    if (path.size() < kShortestDevicePath) return false;
    return isAcceptedUsbId(usbIdSlice(path, "vid_"), ids) &&
           isAcceptedUsbId(usbIdSlice(path, "pid_"), ids);
}

std::string chooseUsbDevicePath(const std::vector<std::string>& listed, UsbIdSet ids,
                                std::string remembered) {
    for (const std::string& path : listed) {
        if (isAcceptedUsbPath(path, ids)) remembered = path;
    }
    return remembered;
}

std::string usbPipeName(std::string_view devicePath, int pipeNumber) {
    return std::string(devicePath) + "\\PIPE0" + std::to_string(pipeNumber);
}

}  // namespace pos
