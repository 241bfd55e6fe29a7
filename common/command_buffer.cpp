#include "command_buffer.h"

#include <algorithm>
#include <cstring>

namespace pos {

void CommandBuffer::reserveFor(std::size_t added) {
    if (size_ + added <= capacity_) return;
    std::size_t grown = capacity_ + std::max(capacity_, added);
    grown = std::max(grown, size_ + added);
    auto fresh = std::make_unique<std::uint8_t[]>(grown);
    if (size_ > 0) std::memcpy(fresh.get(), data_.get(), size_);
    data_ = std::move(fresh);
    capacity_ = grown;
}

void CommandBuffer::append(std::span<const std::uint8_t> bytes) {
    if (bytes.empty()) return;
    reserveFor(bytes.size());
    std::memcpy(data_.get() + size_, bytes.data(), bytes.size());
    size_ += bytes.size();
}

void CommandBuffer::prepend(std::span<const std::uint8_t> bytes) {
    if (bytes.empty()) return;
    reserveFor(bytes.size());
    std::memmove(data_.get() + bytes.size(), data_.get(), size_);
    std::memcpy(data_.get(), bytes.data(), bytes.size());
    size_ += bytes.size();
}

}  // namespace pos
