#pragma once
// A growable run of device bytes. Growth follows a fixed rule (old capacity plus the larger of
// the old capacity and what is being added) so memory use is predictable for large pages.
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <span>

namespace pos {

class CommandBuffer {
  public:
    CommandBuffer() = default;
    CommandBuffer(std::initializer_list<std::uint8_t> bytes) { append(bytes); }

    void clear() { size_ = 0; }
    void append(std::span<const std::uint8_t> bytes);
    void append(std::initializer_list<std::uint8_t> bytes) {
        append(std::span<const std::uint8_t>(bytes.begin(), bytes.size()));
    }
    void prepend(std::span<const std::uint8_t> bytes);
    void appendByte(std::uint8_t byte) { append({byte}); }

    std::span<const std::uint8_t> bytes() const { return {data_.get(), size_}; }
    std::size_t size() const { return size_; }
    std::size_t capacity() const { return capacity_; }
    bool empty() const { return size_ == 0; }

  private:
    void reserveFor(std::size_t added);

    std::unique_ptr<std::uint8_t[]> data_;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

}  // namespace pos
