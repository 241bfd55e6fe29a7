#include "device_link.h"

namespace pos {

DeviceLink::DeviceLink(ComPort& serial, UsbLink& usb, const std::int32_t& deviceType,
                       PageCollector* pages, CommandTable commands)
    : serial_(serial),
      usb_(usb),
      deviceType_(deviceType),
      pages_(pages),
      commands_(std::move(commands)) {}

bool DeviceLink::PutCommand(CommandBuffer& buffer, std::int32_t number, std::int32_t placement) {
    if (number == kSend) {
        send(buffer);
        return true;  // the write's outcome is not the caller's business
    }
    if (number == kNothing) return true;
    if (number < 0 || number > kLastDeviceCommand || !commands_) return false;
    return commands_(buffer, number, placement);
}

void DeviceLink::send(const CommandBuffer& buffer) {
    if (pages_ != nullptr && pages_->active) {
        pages_->buffer.append(buffer.bytes());
        return;
    }
    if (buffer.empty()) return;
    switch (deviceType_) {
        case kDeviceSerial:
            serial_.Write(buffer.bytes());
            break;
        case kDeviceUsb:
            usb_.Write(buffer.bytes());
            break;
        default:
            break;
    }
}

bool DeviceLink::OpenSerial(const SerialSettings& settings) {
    if (!serial_.Open(settings.PortName)) return false;
    // A setting the driver refuses keeps the port's previous value; the open still counts.
    serial_.SetBaudRate(settings.BaudRate);
    serial_.SetParity(settings.Parity);
    serial_.SetByteSize(settings.DataLength);
    serial_.SetStopBits(settings.StopBits);
    serial_.SetFlowControl(settings.FlowControl);
    return true;
}

bool DeviceLink::OpenUsb(std::uint16_t productId) {
    return usb_.Open(productId);
}

bool DeviceLink::Read(std::uint8_t* destination, std::int32_t count) {
    if (count <= 0) return true;
    const auto size = static_cast<std::size_t>(count);
    switch (deviceType_) {
        case kDeviceSerial:
            serial_.Read(destination, size);
            break;
        case kDeviceUsb:
            usb_.Read(destination, size);
            break;
        default:
            break;
    }
    return true;
}

bool DeviceLink::Close() {
    switch (deviceType_) {
        case kDeviceSerial:
            serial_.Close();
            break;
        case kDeviceUsb:
            usb_.Close();
            break;
        default:
            break;
    }
    return true;
}

// Status reports only ever arrive on the serial port, whatever the device type.
bool DeviceLink::WaitRXEvent() {
    return serial_.ComWaitRXEvent();
}
bool DeviceLink::InitRXEvent() {
    return serial_.ComInitRXEvent();
}
bool DeviceLink::CloseRXEvent() {
    return serial_.ComCloseRXEvent();
}

}  // namespace pos
