#pragma once
// The operating system's serial port, reduced to what the device link needs.
#include <chrono>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

namespace pos::platform {

enum class DtrControl : std::uint8_t { Disable, Enable, Handshake };
enum class RtsControl : std::uint8_t { Disable, Enable, Handshake, Toggle };

// The fields of the Win32 device control block that the service objects touch. Parity and
// stop bits use the Win32 encoding (parity 0 none, 1 odd, 2 even, 3 mark, 4 space; stop bits
// 0 one, 1 one and a half, 2 two).
struct SerialLineSettings {
    std::uint32_t baudRate = 9600;
    std::uint8_t byteSize = 8;
    std::uint8_t parity = 0;
    std::uint8_t stopBits = 0;
    bool outxCtsFlow = false;
    bool outxDsrFlow = false;
    DtrControl dtrControl = DtrControl::Enable;
    RtsControl rtsControl = RtsControl::Enable;
    bool outX = false;
    bool inX = false;

    friend bool operator==(const SerialLineSettings&, const SerialLineSettings&) = default;
};

struct SerialLineStatus {
    std::uint32_t errors = 0;    // CE_* bits, 0 where the system reports none
    std::uint32_t inQueue = 0;   // received bytes waiting to be read
    std::uint32_t outQueue = 0;  // bytes not yet transmitted
};

class SerialPort {
  public:
    virtual ~SerialPort() = default;

    // Opens the port for exclusive read/write, closing any previous one. Win32 opens the name
    // exactly as given; POSIX takes a device path, or COM1..COM9 as /dev/ttyS0../dev/ttyS8.
    virtual bool open(std::string_view name) = 0;
    // Drains what was written (bounded), then closes. Harmless when closed.
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    virtual bool readSettings(SerialLineSettings& settings) = 0;
    // False when the driver refuses the settings; the port then keeps its previous ones.
    virtual bool writeSettings(const SerialLineSettings& settings) = 0;

    virtual bool setRts(bool raised) = 0;
    virtual bool setDtr(bool raised) = 0;
    // Discards whatever the receive buffer holds.
    virtual bool purgeReceive() = 0;
    // False when the modem status cannot be read (a pseudo-terminal has none).
    virtual bool readCts(bool& ctsOn) = 0;
    // Reads and clears the error state.
    virtual bool clearError(SerialLineStatus& status) = 0;

    // Copies the bytes and returns at once; bytes reach the line in the order written and none
    // are dropped while the port stays open. False when the port is not open.
    virtual bool write(std::span<const std::uint8_t> bytes) = 0;
    // Waits up to timeout for dest.size() bytes; returns how many arrived. Nothing is left
    // pending on return, so dest may go out of scope.
    virtual std::size_t read(std::span<std::uint8_t> dest, std::chrono::milliseconds timeout) = 0;

    // Receive notification: init once, then wait repeatedly, then close.
    virtual bool initReceiveEvent() = 0;
    // Blocks at most maxBlock; true when received bytes are waiting.
    virtual bool waitReceiveEvent(std::chrono::milliseconds maxBlock) = 0;
    virtual bool closeReceiveEvent() = 0;
};

std::unique_ptr<SerialPort> createSerialPort();

}  // namespace pos::platform
