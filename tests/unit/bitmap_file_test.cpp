// The bitmap decoder against files written byte by byte.
#include "bitmap_file.h"

#include <gtest/gtest.h>

#include "bmp_fixture.h"

namespace {

using pos::printer::BitmapFault;
using pos::printer::decodeMonoBitmap;
using pos::test::bmpFile;
using pos::test::BmpHeader;
using pos::test::Bytes;

std::vector<std::uint32_t> whiteFirst() {
    return {0xFFFFFF, 0x000000};
}

TEST(BitmapFile, RowsComeOutTopFirstEvenPaddedWithLightBitsSet) {
    struct Case {
        const char* what;
        Bytes file;
        std::uint32_t width;
        std::uint32_t height;
        Bytes rows;  // as delivered: rowBytes per row, top row first
    };
    const Case cases[] = {
        {"width 1, bottom-up",
         bmpFile({.width = 1, .height = 2}, {{0x80}, {0x00}}),
         1,
         2,
         {0xFF, 0xFF, 0x7F, 0xFF}},
        {"width 1, top-down",
         bmpFile({.width = 1, .height = -2}, {{0x80}, {0x00}}),
         1,
         2,
         {0xFF, 0xFF, 0x7F, 0xFF}},
        {"width 8 gets a light padding byte",
         bmpFile({.width = 8, .height = 1}, {{0x3C}}),
         8,
         1,
         {0x3C, 0xFF}},
        {"width 9",
         bmpFile({.width = 9, .height = 2}, {{0xAA, 0x80}, {0x55, 0x00}}),
         9,
         2,
         {0xAA, 0xFF, 0x55, 0x7F}},
        {"width 17 rounds three bytes up to four",
         bmpFile({.width = 17, .height = -1}, {{0x12, 0x34, 0x00}}),
         17,
         1,
         {0x12, 0x34, 0x7F, 0xFF}},
        {"width 16 needs no padding byte",
         bmpFile({.width = 16, .height = 1}, {{0x0F, 0xF0}}),
         16,
         1,
         {0x0F, 0xF0}},
        {"a palette with white first is read inverted",
         bmpFile({.width = 8, .height = 1, .palette = whiteFirst()}, {{0x0F}}),
         8,
         1,
         {0xF0, 0xFF}},
        {"white first, width 9: padding stays light",
         bmpFile({.width = 9, .height = 1, .palette = whiteFirst()}, {{0x0F, 0x00}}),
         9,
         1,
         {0xF0, 0xFF}},
        {"garbage in the file's padding bits does not show",
         bmpFile({.width = 12, .height = 1}, {{0x00, 0x05}}, 0xAA),
         12,
         1,
         {0x00, 0x0F}},
        {"the old core header with colour triples",
         bmpFile({.width = 8, .height = 2, .headerSize = 12}, {{0x81}, {0x7E}}),
         8,
         2,
         {0x81, 0xFF, 0x7E, 0xFF}},
        {"a version 5 header",
         bmpFile({.width = 8, .height = 1, .headerSize = 124}, {{0x42}}),
         8,
         1,
         {0x42, 0xFF}},
        {"a palette of two light colours is all light",
         bmpFile({.width = 8, .height = 1, .palette = {0xFFFFFF, 0xC0C0C0}}, {{0x42}}),
         8,
         1,
         {0xFF, 0xFF}},
        {"a dark grey and a light grey count as black and white",
         bmpFile({.width = 8, .height = 1, .palette = {0xE0E0E0, 0x202020}}, {{0x42}}),
         8,
         1,
         {0xBD, 0xFF}},
        {"one palette colour: index 1 is black",
         bmpFile({.width = 8, .height = 1, .palette = {0xFFFFFF}, .coloursUsed = 1}, {{0x42}}),
         8,
         1,
         {0xBD, 0xFF}},
        {"the dots may start after a gap",
         bmpFile({.width = 8, .height = 1, .dataOffset = 100}, {{0x42}}),
         8,
         1,
         {0x42, 0xFF}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto decoded = decodeMonoBitmap(c.file);
        ASSERT_TRUE(decoded.ok()) << pos::printer::describe(decoded.fault);
        EXPECT_EQ(decoded.bitmap.width, c.width);
        EXPECT_EQ(decoded.bitmap.height, c.height);
        EXPECT_EQ(decoded.bitmap.rowBytes * c.height, c.rows.size());
        EXPECT_EQ(decoded.bitmap.rows, c.rows);
    }
}

Bytes withByte(Bytes file, std::size_t at, std::uint8_t value) {
    file.at(at) = value;
    return file;
}

Bytes cut(Bytes file, std::size_t length) {
    file.resize(length);
    return file;
}

TEST(BitmapFile, AnythingButAnUncompressedOneBitBitmapIsRefusedWithItsReason) {
    const Bytes good = bmpFile({.width = 8, .height = 2}, {{0x00}, {0xFF}});  // 62 + 8 bytes
    struct Case {
        const char* what;
        Bytes file;
        BitmapFault fault;
    };
    const Case cases[] = {
        {"nothing", {}, BitmapFault::NotABitmap},
        {"no signature", withByte(good, 0, 'X'), BitmapFault::NotABitmap},
        {"only the file header", cut(good, 14), BitmapFault::NotABitmap},
        {"the information header cut short", cut(good, 40), BitmapFault::NotABitmap},
        {"4 bits per dot", bmpFile({.bitsPerDot = 4}, {{0x00}}), BitmapFault::NotOneBitPerDot},
        {"8 bits per dot", bmpFile({.bitsPerDot = 8}, {{0x00}}), BitmapFault::NotOneBitPerDot},
        {"24 bits per dot", bmpFile({.bitsPerDot = 24, .palette = {}}, {{0x00}}),
         BitmapFault::NotOneBitPerDot},
        {"8-bit run lengths", bmpFile({.bitsPerDot = 8, .compression = 1}, {{0x00}}),
         BitmapFault::NotOneBitPerDot},
        {"one bit with run lengths", bmpFile({.compression = 1}, {{0x00}}),
         BitmapFault::Compressed},
        {"one bit with colour masks", bmpFile({.compression = 3}, {{0x00}}),
         BitmapFault::Compressed},
        {"two planes", bmpFile({.planes = 2}, {{0x00}}), BitmapFault::UnsupportedHeader},
        {"an OS/2 2.x header", bmpFile({.headerSize = 64}, {{0x00}}),
         BitmapFault::UnsupportedHeader},
        {"three colours for one bit", bmpFile({.palette = {0, 0, 0}, .coloursUsed = 3}, {{0x00}}),
         BitmapFault::BadPalette},
        {"the palette past the end", cut(good, 58), BitmapFault::BadPalette},
        {"width 0", bmpFile({.width = 0}, {}), BitmapFault::BadSize},
        {"negative width", bmpFile({.width = -8}, {{0x00}}), BitmapFault::BadSize},
        {"height 0", bmpFile({.height = 0}, {}), BitmapFault::BadSize},
        {"huge width", bmpFile({.width = 0x7FFFFFFF}, {}), BitmapFault::TooLarge},
        {"huge height", bmpFile({.height = 0x7FFFFFFF}, {}), BitmapFault::TooLarge},
        {"the most negative height", bmpFile({.height = INT32_MIN}, {}), BitmapFault::TooLarge},
        {"width 65536", bmpFile({.width = 65536}, {}), BitmapFault::TooLarge},
        {"sides that fit but too many dots", bmpFile({.width = 60000, .height = 60000}, {}),
         BitmapFault::TooLarge},
        {"dots said to start inside the header", bmpFile({.dataOffset = 20}, {{0x00}}),
         BitmapFault::BadOffset},
        {"dots said to start past the end", bmpFile({.dataOffset = 0xFFFFFFF0}, {}),
         BitmapFault::BadOffset},
        {"one byte short of the last row", cut(good, good.size() - 1), BitmapFault::Truncated},
        {"rows promised but missing", bmpFile({.width = 1000, .height = 1000}, {}),
         BitmapFault::Truncated},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto decoded = decodeMonoBitmap(c.file);
        EXPECT_EQ(decoded.fault, c.fault) << pos::printer::describe(decoded.fault);
        EXPECT_TRUE(decoded.bitmap.rows.empty());
    }
}

}  // namespace
