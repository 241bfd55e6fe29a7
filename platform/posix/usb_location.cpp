#include "usb_location.h"

#include <charconv>
#include <cstdio>

namespace pos::platform::posix {

namespace {

constexpr std::uint8_t kTransferTypeMask = 0x03;
constexpr std::uint8_t kTransferTypeBulk = 0x02;
constexpr std::uint8_t kDirectionIn = 0x80;
constexpr std::size_t kMostPorts = 7;  // the deepest hub chain USB allows

std::optional<UsbBulkInterface> bulkPairOf(const UsbAltSettingInfo& setting) {
    std::optional<std::uint8_t> in;
    std::optional<std::uint8_t> out;
    std::uint16_t inPacket = 0;
    for (const UsbEndpointInfo& e : setting.endpoints) {
        if ((e.attributes & kTransferTypeMask) != kTransferTypeBulk) continue;
        if ((e.address & kDirectionIn) != 0) {
            if (!in) {
                in = e.address;
                inPacket = e.maxPacketSize;
            }
        } else if (!out) {
            out = e.address;
        }
    }
    if (!in || !out || inPacket == 0) return std::nullopt;
    return UsbBulkInterface{setting.interfaceNumber, setting.alternateSetting, *in, *out, inPacket};
}

// Reads the text in front of the cursor as it was written by usbInterfacePath.
class PathReader {
  public:
    explicit PathReader(std::string_view text) : rest_(text) {}

    bool literal(std::string_view expected) {
        if (!rest_.starts_with(expected)) return false;
        rest_.remove_prefix(expected.size());
        return true;
    }
    template <typename Number>
    bool number(Number& value, int base) {
        auto [next, error] =
            std::from_chars(rest_.data(), rest_.data() + rest_.size(), value, base);
        if (error != std::errc{}) return false;
        rest_.remove_prefix(static_cast<std::size_t>(next - rest_.data()));
        return true;
    }
    bool hexId(std::uint16_t& value) {
        if (rest_.size() < 4) return false;
        PathReader four(rest_.substr(0, 4));
        if (!four.number(value, 16) || !four.done()) return false;
        rest_.remove_prefix(4);
        return true;
    }
    bool done() const { return rest_.empty(); }

  private:
    std::string_view rest_;
};

}  // namespace

std::vector<UsbBulkInterface> bulkInterfaces(std::span<const UsbAltSettingInfo> settings) {
    std::vector<UsbBulkInterface> found;
    for (const UsbAltSettingInfo& setting : settings) {
        bool seen = false;
        for (const UsbBulkInterface& f : found)
            seen = seen || f.interfaceNumber == setting.interfaceNumber;
        if (seen) continue;
        if (auto pair = bulkPairOf(setting)) found.push_back(*pair);
    }
    return found;
}

std::vector<UsbBulkInterface> listedInterfaces(std::span<const UsbAltSettingInfo> settings,
                                               UsbInterfaceClass interfaceClass) {
    if (interfaceClass == UsbInterfaceClass::Device) {
        auto all = bulkInterfaces(settings);
        if (all.size() > 1) all.resize(1);
        return all;
    }
    std::vector<UsbAltSettingInfo> printing;
    for (const UsbAltSettingInfo& setting : settings) {
        if (setting.interfaceClass == kUsbPrinterClass) printing.push_back(setting);
    }
    return bulkInterfaces(printing);
}

std::string usbInterfacePath(const UsbLocation& location) {
    char ids[32];
    std::snprintf(ids, sizeof ids, "usb#vid_%04x&pid_%04x#%u-", location.vendorId,
                  location.productId, static_cast<unsigned>(location.bus));
    std::string path = ids;
    for (std::size_t i = 0; i < location.ports.size(); ++i) {
        if (i > 0) path += '.';
        path += std::to_string(location.ports[i]);
    }
    path += ':' + std::to_string(location.configuration) + '.' +
            std::to_string(location.interfaceNumber);
    return path;
}

std::optional<UsbLocation> parseUsbInterfacePath(std::string_view path) {
    UsbLocation l;
    PathReader r(path);
    if (!r.literal("usb#vid_") || !r.hexId(l.vendorId) || !r.literal("&pid_") ||
        !r.hexId(l.productId) || !r.literal("#") || !r.number(l.bus, 10) || !r.literal("-")) {
        return std::nullopt;
    }
    do {
        std::uint8_t port = 0;
        if (l.ports.size() == kMostPorts || !r.number(port, 10)) return std::nullopt;
        l.ports.push_back(port);
    } while (r.literal("."));
    if (!r.literal(":") || !r.number(l.configuration, 10) || !r.literal(".") ||
        !r.number(l.interfaceNumber, 10) || !r.done()) {
        return std::nullopt;
    }
    return l;
}

std::optional<UsbPipeAddress> parseUsbPipeName(std::string_view name) {
    constexpr std::string_view kReadSuffix = "\\PIPE01";
    constexpr std::string_view kWriteSuffix = "\\PIPE02";
    UsbPipeDirection direction;
    if (name.ends_with(kReadSuffix)) {
        direction = UsbPipeDirection::In;
    } else if (name.ends_with(kWriteSuffix)) {
        direction = UsbPipeDirection::Out;
    } else {
        return std::nullopt;
    }
    auto location = parseUsbInterfacePath(name.substr(0, name.size() - kReadSuffix.size()));
    if (!location) return std::nullopt;
    return UsbPipeAddress{*location, direction};
}

}  // namespace pos::platform::posix
