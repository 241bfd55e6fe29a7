#pragma once
// The connection of a service object to its device: the serial port or the USB pipes, chosen
// by the device type at each call. Types other than serial and USB mean "no device": every
// operation then does nothing and reports success.
#include <cstdint>
#include <functional>

#include "com_port.h"
#include "command_buffer.h"
#include "serial_settings.h"
#include "usb_link.h"

namespace pos {

enum DeviceType : std::int32_t {
    kDeviceNone = 0,
    kDeviceSerial = 10,
    kDeviceUsb = 11,
    kDeviceOther = 12,
};

// Output collected instead of sent while a rotated page is being built.
struct PageCollector {
    bool active = false;
    CommandBuffer buffer;
};

class DeviceLink {
  public:
    static constexpr std::int32_t kSend = 29;
    static constexpr std::int32_t kAtFront = 30;
    static constexpr std::int32_t kAtEnd = 31;
    static constexpr std::int32_t kNothing = 32;
    static constexpr std::int32_t kLastDeviceCommand = 28;

    // Appends the bytes of device command number (0..28) to buffer, honouring placement where
    // the command allows it; false for numbers it does not know.
    using CommandTable =
        std::function<bool(CommandBuffer&, std::int32_t number, std::int32_t placement)>;

    DeviceLink(ComPort& serial, UsbLink& usb, const std::int32_t& deviceType, PageCollector* pages,
               CommandTable commands);

    bool PutCommand(CommandBuffer& buffer, std::int32_t number, std::int32_t placement = kAtEnd);
    bool OpenSerial(const SerialSettings& settings);
    bool OpenUsb(std::uint16_t productId);
    bool Read(std::uint8_t* destination, std::int32_t count);
    bool Close();
    bool WaitRXEvent();
    bool InitRXEvent();
    bool CloseRXEvent();

  private:
    void send(const CommandBuffer& buffer);

    ComPort& serial_;
    UsbLink& usb_;
    const std::int32_t& deviceType_;
    PageCollector* pages_;
    CommandTable commands_;
};

}  // namespace pos
