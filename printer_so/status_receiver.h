#pragma once
// Reading a status answer or report from the serial port: whole groups of four bytes only,
// looked for at most eleven times, 100 ms apart.
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

#include "com_port.h"

namespace pos::printer {

struct StatusBuffer {
    static constexpr std::size_t kCapacity = 512;
    std::array<std::uint8_t, kCapacity> bytes{};
    std::size_t count = 0;  // bytes last read

    std::span<const std::uint8_t> lastRead() const { return {bytes.data(), count}; }
};

inline constexpr std::uint32_t kStatusPauseMs = 100;
inline constexpr int kStatusLooks = 11;

// Waits the given milliseconds before each look at the port; answers false when the waiting
// should end early (the status thread is stopping or must leave the port to someone else).
using StatusPause = std::function<bool(std::uint32_t milliseconds)>;

// True when a non-zero multiple of four bytes was waiting and was read into buffer (at most
// its capacity; the rest stays queued). Bytes that do not make up whole groups are never read.
bool receiveStatusAnswer(ComPort& port, StatusBuffer& buffer, const StatusPause& pause);

}  // namespace pos::printer
