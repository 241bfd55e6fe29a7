#include "com_port.h"

#include <chrono>
#include <limits>

#include "serial_settings.h"

namespace pos {

ComPort::ComPort(std::unique_ptr<platform::SerialPort> port, TraceLog& trace, Options options)
    : port_(std::move(port)), trace_(trace), options_(options) {}

bool ComPort::Open(std::string_view name) {
    port_->close();
    if (!port_->open(name)) return false;
    port_->setRts(true);
    port_->setDtr(true);
    if (options_.purgeOnOpen) port_->purgeReceive();
    return true;
}

void ComPort::Close() {
    port_->close();
}

void ComPort::Write(std::span<const std::uint8_t> bytes) {
    port_->write(bytes);
    transferCount_ = bytes.size();
    if (options_.recordRaw) trace_.WriteRaw(bytes.data(), bytes.size());
}

bool ComPort::Read(std::uint8_t* destination, std::size_t count) {
    const std::size_t got = port_->read(std::span<std::uint8_t>(destination, count),
                                        std::chrono::milliseconds(kReadTimeoutMs));
    transferCount_ = got;
    return got == count;
}

template <typename Change>
bool ComPort::changeSettings(Change change) {
    platform::SerialLineSettings line;
    if (!port_->readSettings(line)) return false;
    if (!change(line)) return false;
    return port_->writeSettings(line);
}

namespace {
// The line settings hold bytes; a stored number that does not fit is refused like any other
// value the driver does not take.
bool fitsByte(std::int32_t value) {
    return value >= 0 && value <= 255;
}
}  // namespace

bool ComPort::SetBaudRate(std::int32_t baud) {
    return changeSettings([&](platform::SerialLineSettings& line) {
        if (baud <= 0) return false;
        line.baudRate = static_cast<std::uint32_t>(baud);
        return true;
    });
}

bool ComPort::SetParity(std::int32_t parity) {
    return changeSettings([&](platform::SerialLineSettings& line) {
        if (!fitsByte(parity)) return false;
        line.parity = static_cast<std::uint8_t>(parity);
        return true;
    });
}

bool ComPort::SetByteSize(std::int32_t size) {
    return changeSettings([&](platform::SerialLineSettings& line) {
        if (!fitsByte(size)) return false;
        line.byteSize = static_cast<std::uint8_t>(size);
        return true;
    });
}

bool ComPort::SetStopBits(std::int32_t stopBits) {
    return changeSettings([&](platform::SerialLineSettings& line) {
        if (!fitsByte(stopBits)) return false;
        line.stopBits = static_cast<std::uint8_t>(stopBits);
        return true;
    });
}

bool ComPort::SetFlowControl(std::int32_t kind) {
    return changeSettings([&](platform::SerialLineSettings& line) {
        applyFlowControl(line, kind);
        return true;
    });
}

bool ComPort::SetNoFlowControl() {
    return changeSettings([](platform::SerialLineSettings& line) {
        applyNoFlowControl(line);
        return true;
    });
}

bool ComPort::ClearError() {
    return port_->clearError(lineStatus_);
}

bool ComPort::IsCtsOn() {
    bool cts = false;
    return port_->readCts(cts) && cts;
}

bool ComPort::ComInitRXEvent() {
    trace_.Write("ComPort:ComInitRXEvent\n");
    // With no port open there is nothing to watch: the wait then simply never reports data.
    if (port_->isOpen() && !port_->initReceiveEvent()) {
        trace_.Write("ComInitRXEvent:Create event fail!\n");
        return false;
    }
    trace_.Write("ComInitRXEvent:Create event success!\n");
    return true;
}

bool ComPort::ComWaitRXEvent() {
    if (!port_->waitReceiveEvent(std::chrono::milliseconds(kReceiveWaitMs))) return false;
    trace_.Write("ComWaitRXEvent:EV_RXCHAR is trigger!\n");
    return true;
}

bool ComPort::ComCloseRXEvent() {
    trace_.Write("ComPort:RX event close success!\n");
    port_->closeReceiveEvent();
    return true;
}

}  // namespace pos
