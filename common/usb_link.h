#pragma once
// A device's pair of USB bulk pipes, found by vendor and product identifiers.
#include <cstdint>
#include <span>

namespace pos {

class UsbLink {
public:
    virtual ~UsbLink() = default;
    // Finds the device with the given product id and opens its pipes; false when none answers.
    virtual bool Open(std::uint16_t productId) = 0;
    virtual void Close() = 0;
    virtual bool Write(std::span<const std::uint8_t> bytes) = 0;
    // True when count bytes arrived within the pipe timeout.
    virtual bool Read(std::uint8_t* destination, std::size_t count) = 0;
};

// Until the USB transport lands, a USB device entry cannot be opened.
class NoUsbLink final : public UsbLink {
public:
    bool Open(std::uint16_t) override { return false; }
    void Close() override {}
    bool Write(std::span<const std::uint8_t>) override { return false; }
    bool Read(std::uint8_t*, std::size_t) override { return false; }
};

}  // namespace pos
