// The nibble text that memory bitmaps arrive in.
#include "bitmap_raster.h"

#include <gtest/gtest.h>

#include <string_view>

namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(NibbleText, TwoCharactersMakeOneByteWhateverTheCharacters) {
    const std::pair<std::string_view, Bytes> table[] = {
        {"", {}},
        {"424=", {0x42, 0x4D}},
        {"423", {0x42, 0x30}},
        {"4D", {0x54}},
        {"??", {0xFF}},
        {"00", {0x00}},
        {" !", {0xF1}},        // below 0x30: (0x20 - 0x30) * 16 + (0x21 - 0x30), modulo 256
        {"\xFF\xFF", {0xBF}},  // (0xCF * 16 + 0xCF) modulo 256
        {"?", {0xF0}},
    };
    for (const auto& [text, bytes] : table) {
        EXPECT_EQ(pos::printer::decodeNibbleText(text), bytes) << text;
    }
}

}  // namespace
