#pragma once
// Whole files in and out, by names in the system's 8-bit code page (the C library's own file
// calls take those on every platform).
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace pos::printer {

struct FileBytes {
    enum class Status { Read, CannotOpen, TooLarge, ReadError };
    Status status = Status::CannotOpen;
    std::vector<std::uint8_t> bytes;
};

// Refuses files longer than maxBytes without reading them.
FileBytes readFileBytes(const std::string& path, std::size_t maxBytes);

// Creates or replaces the file; false when it cannot be written in full.
bool writeFileBytes(const std::string& path, std::span<const std::uint8_t> bytes);

}  // namespace pos::printer
