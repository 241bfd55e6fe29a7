#include "printer_commands.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

using pos::printer::PrintSettings;
using Bytes = std::vector<std::uint8_t>;

Bytes put(PrintSettings& s, std::int32_t number, std::int32_t placement = 31, Bytes start = {}) {
    pos::CommandBuffer b;
    b.append(start);
    EXPECT_TRUE(pos::printer::putPrinterCommand(s, b, number, placement)) << number;
    return Bytes(b.bytes().begin(), b.bytes().end());
}

TEST(PrinterCommands, DefaultSettingsGiveTheseBytes) {
    const std::pair<std::int32_t, Bytes> table[] = {
        {0, {0x0A, 0x0A, 0x0A}},
        {1, {0x0C}},
        {2, {0x10, 0x04, 0x00}},
        {3, {0x1B, 0x0C}},
        {4, {0x1B, 0x21, 0x00, 0x1C, 0x21, 0x00}},
        {5, {0x1B, 0x4A, 0x0B}},
        {6, {0x0A, 0x1B, 0x4C}},
        {7, {0x1B, 0x54, 0x00}},
        {8, {0x1B, 0x53}},
        {9, {0x1B, 0x56, 0x00}},
        {10, {0x1B, 0x57, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00}},
        {11, {0x1B, 0x61, 0x00}},
        {12, {0x1B, 0x2D, 0x00}},
        {13, {0x1B, 0x32}},
        {14, {0x1B, 0x33, 0x07}},
        {15, {0x1B, 0x40}},
        {16, {0x1D, 0x42, 0x00}},
        {17, {0x1D, 0x48, 0x00}},
        {18, {0x1D, 0x4C, 0x00, 0x00}},
        {19, {0x0A, 0x1D, 0x56, 0x01}},
        {20, {0x1D, 0x61, 0x0F}},
        {21, {0x1D, 0x68, 0xA2}},
        {22, {0x1D, 0x6B}},
        {23, {0x1D, 0x28, 0x76, 0x30, 0x00, 0x00, 0x00, 0x00}},
        {24, {0x1D, 0x77, 0x03}},
        {25, {0x1D, 0x21, 0x00}},
        {26, {0x1D, 0x2A, 0x00, 0x00}},
        {27, {0x1D, 0x2F, 0x00}},
        {28, {0x1D, 0x28, 0x51}},
    };
    for (const auto& [number, bytes] : table) {
        PrintSettings s;
        EXPECT_EQ(put(s, number), bytes) << "command " << number;
    }
}

TEST(PrinterCommands, BytesFollowTheSettings) {
    struct Case {
        const char* what;
        std::function<void(PrintSettings&)> set;
        std::int32_t number;
        Bytes bytes;
    };
    const Case cases[] = {
        {"no feed lines", [](auto& s) { s.FeedLineCount = 0; }, 0, {}},
        {"cut with feed",
         [](auto& s) { s.CutFunction = 0x42; },
         19,
         {0x0A, 0x1D, 0x56, 0x42, 0x01}},
        {"ASB off", [](auto& s) { s.AsbEnabled = 0; }, 20, {0x1D, 0x61, 0x00}},
        {"ASB any non-zero", [](auto& s) { s.AsbEnabled = 1; }, 20, {0x1D, 0x61, 0x0F}},
        {"double width",
         [](auto& s) { s.DoubleWidth = 1; },
         4,
         {0x1B, 0x21, 0x20, 0x1C, 0x21, 0x08}},
        {"underline", [](auto& s) { s.UnderlineOn = 1; }, 4, {0x1B, 0x21, 0x80, 0x1C, 0x21, 0x80}},
        {"double height, bold, font B",
         [](auto& s) { s.DoubleHeight = s.Emphasized = s.FontB = 1; },
         4,
         {0x1B, 0x21, 0x19, 0x1C, 0x21, 0x04}},
        {"vertical scale", [](auto& s) { s.VerticalScale = 2; }, 25, {0x1D, 0x21, 0x20}},
        {"horizontal scale masked",
         [](auto& s) { s.HorizontalScale = 0x13; },
         25,
         {0x1D, 0x21, 0x03}},
        {"status request", [](auto& s) { s.StatusRequest = 4; }, 2, {0x10, 0x04, 0x04}},
        {"raster size",
         [](auto& s) {
             s.RasterWidthLow = 0x48;
             s.RasterHeightLow = 0x10;
         },
         23,
         {0x1D, 0x28, 0x76, 0x30, 0x48, 0x00, 0x10, 0x00}},
    };
    for (const Case& c : cases) {
        PrintSettings s;
        c.set(s);
        EXPECT_EQ(put(s, c.number), c.bytes) << c.what;
    }
}

TEST(PrinterCommands, PageAreaLengthFromUnits) {
    PrintSettings s;
    s.PageAreaUnits = 20;
    EXPECT_EQ(put(s, 10), (Bytes{0x1B, 0x57, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02, 0x30, 0x02}));
    EXPECT_EQ(s.PageAreaLength, 560);
    s.PageAreaUnits = 3000;  // 84000 wraps to 18464 = 0x4820
    EXPECT_EQ(put(s, 10), (Bytes{0x1B, 0x57, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02, 0x20, 0x48}));
    EXPECT_EQ(s.PageAreaLength, 0x4820);
}

TEST(PrinterCommands, OnlyPageCommandsHonourPlacement) {
    PrintSettings s;
    s.PrintDirection = 3;
    EXPECT_EQ(put(s, 7, 30, {0x41, 0x42}), (Bytes{0x1B, 0x54, 0x03, 0x41, 0x42}));
    EXPECT_EQ(put(s, 7, 31, {0x41, 0x42}), (Bytes{0x41, 0x42, 0x1B, 0x54, 0x03}));
    EXPECT_EQ(put(s, 6, 30, {0x41}), (Bytes{0x0A, 0x1B, 0x4C, 0x41}));
    EXPECT_EQ(put(s, 11, 30, {0x41}), (Bytes{0x41, 0x1B, 0x61, 0x00}));
}

TEST(PrinterCommands, NumbersOutsideTheTableAddNothing) {
    PrintSettings s;
    for (std::int32_t number : {-1, 29, 30, 31, 32, 33}) {
        pos::CommandBuffer b{0x41};
        EXPECT_FALSE(pos::printer::putPrinterCommand(s, b, number, 31)) << number;
        EXPECT_EQ(b.size(), 1u);
    }
}

}  // namespace
