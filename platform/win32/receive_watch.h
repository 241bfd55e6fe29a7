#pragma once
// Tells the reading thread when received bytes are waiting.
//
// It waits for EV_RXCHAR where the driver can. A driver that ends every event wait at once with
// nothing to report (Wine on a pseudo-terminal, which has no modem status) would turn each wait
// into a spin; there the watch waits with a one-byte read instead and keeps that byte for the
// next read(). A port whose modem status cannot be read starts that way.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <optional>

#include "line_errors.h"
#include "unique_handle.h"

namespace pos::platform::win32 {

class ReceiveWatch {
  public:
    explicit ReceiveWatch(LineErrors& lineErrors) : lineErrors_(lineErrors) {}
    ReceiveWatch(const ReceiveWatch&) = delete;
    ReceiveWatch& operator=(const ReceiveWatch&) = delete;

    bool active() const { return static_cast<bool>(event_); }
    bool start(HANDLE port);
    // Blocks at most maxBlockMs; true when bytes are waiting. Never issues a second wait over a
    // pending one: a wait that outlives this call is picked up by the next.
    bool wait(HANDLE port, DWORD maxBlockMs);
    // Ends any pending wait and clears the event mask. A byte already taken stays for read().
    bool stop(HANDLE port);

    // The byte a one-byte read took off the line, if any; ends such a read first.
    std::optional<std::uint8_t> takeByte(HANDLE port);
    bool holdsByte() const { return holding_.load(); }
    void dropByte() { holding_.store(false); }

  private:
    enum class Pending : std::uint8_t { None, CommEvent, ByteRead };
    enum class Outcome : std::uint8_t { Arrived, Nothing, EndedByDriver };

    bool issue(HANDLE port);
    Outcome collect(HANDLE port);
    void endByteRead(HANDLE port);

    LineErrors& lineErrors_;
    UniqueHandle event_;
    OVERLAPPED overlapped_{};
    DWORD eventMask_ = 0;  // the driver writes it when the wait completes
    Pending pending_ = Pending::None;
    bool byteReads_ = false;
    std::uint8_t readBuffer_ = 0;
    std::uint8_t heldByte_ = 0;
    std::atomic<bool> holding_{false};
};

}  // namespace pos::platform::win32
