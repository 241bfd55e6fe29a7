#pragma once
// How many bytes each printer command occupies, so that parameter bytes and image or barcode
// data are skipped instead of being read as requests.
#include <cstddef>
#include <cstdint>
#include <span>

namespace pos::tools {

inline constexpr std::uint8_t kDle = 0x10;
inline constexpr std::uint8_t kFs = 0x1C;
inline constexpr std::uint8_t kEsc = 0x1B;
inline constexpr std::uint8_t kGs = 0x1D;

// No command needs a longer fixed part than this.
inline constexpr std::size_t kMaxCommandHeader = 10;

struct CommandLayout {
    // Length of the command's fixed part, prefix included. Larger than the header asked about:
    // read more bytes and ask again. Smaller: the bytes beyond it are not part of the command.
    std::size_t headerLength = 1;
    // Bytes that follow the fixed part and are not interpreted.
    std::uint64_t dataLength = 0;
    // The data runs up to and including a NUL byte.
    bool dataEndsWithNul = false;
};

bool startsCommand(std::uint8_t byte);

// The layout as far as header (the prefix byte first) reveals it.
CommandLayout layoutOf(std::span<const std::uint8_t> header);

}  // namespace pos::tools
