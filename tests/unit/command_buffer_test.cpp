#include "command_buffer.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
Bytes bytesOf(const pos::CommandBuffer& b) {
    return Bytes(b.bytes().begin(), b.bytes().end());
}

TEST(CommandBuffer, AppendPrependAndClearKeepOrder) {
    pos::CommandBuffer b;
    b.append({0x41, 0x42});
    b.appendByte(0x43);
    const std::uint8_t front[] = {0x1B, 0x54, 0x00};
    b.prepend(front);
    EXPECT_EQ(bytesOf(b), (Bytes{0x1B, 0x54, 0x00, 0x41, 0x42, 0x43}));
    const auto capacity = b.capacity();
    b.clear();
    EXPECT_TRUE(b.empty());
    EXPECT_EQ(b.capacity(), capacity);
}

TEST(CommandBuffer, GrowsByTheLargerOfOldCapacityAndAddition) {
    pos::CommandBuffer b;
    b.append({1, 2, 3});
    EXPECT_EQ(b.capacity(), 3u);  // 0 + max(0, 3)
    b.appendByte(4);
    EXPECT_EQ(b.capacity(), 6u);  // 3 + max(3, 1)
    const std::vector<std::uint8_t> big(10, 0xAA);
    b.append(big);
    EXPECT_EQ(b.capacity(), 16u);  // 6 + max(6, 10)
    EXPECT_EQ(b.size(), 14u);
    b.prepend(big);
    EXPECT_EQ(b.capacity(), 32u);  // 16 + max(16, 10)
    EXPECT_EQ(b.bytes()[0], 0xAA);
    EXPECT_EQ(b.bytes()[10], 1);
}

}  // namespace
