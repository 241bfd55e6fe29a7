#pragma once
// A service object's serial port: the open sequence, the read-modify-write settings, the
// 1000 ms read, the CTS power test and the receive-event trio, over the platform's port.
#include <atomic>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

#include "platform/serial_port.h"
#include "trace_log.h"

namespace pos {

class ComPort {
  public:
    struct Options {
        bool purgeOnOpen = true;  // the printer drops stale bytes; the display does not
        bool recordRaw = true;    // the printer copies every write to the raw trace
    };
    static constexpr std::uint32_t kReadTimeoutMs = 1000;
    // How long one receive-event wait may block; short so a stopping status thread ends soon.
    static constexpr std::uint32_t kReceiveWaitMs = 50;

    ComPort(std::unique_ptr<platform::SerialPort> port, TraceLog& trace, Options options);

    bool Open(std::string_view name);
    void Close();
    bool isOpen() const { return port_->isOpen(); }

    void Write(std::span<const std::uint8_t> bytes);
    // True when count bytes arrived within the read timeout.
    bool Read(std::uint8_t* destination, std::size_t count);
    std::size_t transferCount() const { return transferCount_; }

    bool SetBaudRate(std::int32_t baud);
    bool SetParity(std::int32_t parity);
    bool SetByteSize(std::int32_t size);
    bool SetStopBits(std::int32_t stopBits);
    bool SetFlowControl(std::int32_t kind);
    bool SetNoFlowControl();

    bool ClearError();
    std::uint32_t InQueue() const { return lineStatus_.inQueue; }
    bool IsCtsOn();

    bool ComInitRXEvent();
    bool ComWaitRXEvent();
    bool ComCloseRXEvent();

  private:
    template <typename Change>
    bool changeSettings(Change change);

    std::unique_ptr<platform::SerialPort> port_;
    TraceLog& trace_;
    Options options_;
    platform::SerialLineStatus lineStatus_;
    // Written by writes on the application thread and reads on the status thread.
    std::atomic<std::size_t> transferCount_{0};
};

}  // namespace pos
