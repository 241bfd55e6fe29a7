// The receipt view: printer bytes in, the receipt as text out.
#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <ostream>
#include <string>
#include <vector>

#include "receipt_renderer.h"

namespace {

using pos::receipt::RenderOptions;
using pos::receipt::renderReceipt;

// Command bytes; text is added with std::string's +.
std::string b(std::initializer_list<int> values) {
    std::string out;
    for (const int v : values) out += static_cast<char>(v);
    return out;
}

std::string view(const std::string& stream, RenderOptions options = {}) {
    const auto* data = reinterpret_cast<const std::uint8_t*>(stream.data());
    return renderReceipt({data, stream.size()}, options);
}

std::string spaces(std::size_t n) {
    return std::string(n, ' ');
}

struct TextCase {
    const char* name;
    std::string stream;
    std::string expected;
};

void PrintTo(const TextCase& c, std::ostream* os) {
    *os << c.name;
}

class TextLines : public ::testing::TestWithParam<TextCase> {};

TEST_P(TextLines, PrintAsThePrinterLaysThemOut) {
    EXPECT_EQ(view(GetParam().stream), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Receipt, TextLines,
    ::testing::Values(
        TextCase{"PlainLineAndEmptyLine", "Coffee 12.90\n\n", "Coffee 12.90\n\n"},
        TextCase{"CentredDoubleSize", b({0x1B, 0x61, 0x01, 0x1B, 0x21, 0x30}) + "AB\n",
                 spaces(22) + "^^A B^^\n"},
        TextCase{"RightJustified", b({0x1B, 0x61, 0x32}) + "abc\n", spaces(45) + "abc\n"},
        // The driver's bold: ESC ! then FS !, which only sizes two-byte characters.
        TextCase{"BoldThenNormal",
                 b({0x1B, 0x21, 0x08, 0x1C, 0x21, 0x00}) + "Total" +
                     b({0x1B, 0x21, 0x00, 0x1C, 0x21, 0x00}) + " 9.90\n",
                 "**Total** 9.90\n"},
        TextCase{"UnderlineAndReverse",
                 b({0x1B, 0x2D, 0x01}) + "u" + b({0x1B, 0x2D, 0x00, 0x1D, 0x42, 0x01}) + " r " +
                     b({0x1D, 0x42, 0x00}) + "n\n",
                 "__u__[[ r ]]n\n"},
        // A wide character's second column stays outside the markers.
        TextCase{"WideBoldThenNarrow", b({0x1B, 0x21, 0x28}) + "OK" + b({0x1B, 0x21, 0x00}) + "!\n",
                 "**O K** !\n"},
        TextCase{"CharacterSizeTripleHigh", b({0x1D, 0x21, 0x20}) + "x\n", "^^x^^\n"},
        // The printer ignores a size beyond eight; the view shows it was sent.
        TextCase{"CharacterSizeOutOfRangeShowsAsHex", b({0x1D, 0x21, 0x08}) + "x\n",
                 "<1d 21 08>x\n"},
        // Justification belongs to the line from its first character on.
        TextCase{"JustificationChangedMidLineWaitsForTheNextLine",
                 "ab" + b({0x1B, 0x61, 0x01}) + "cd\nef\n", "abcd\n" + spaces(23) + "ef\n"},
        TextCase{"TabStopsEveryEightColumns", "ab\tc\n", "ab      c\n"},
        // Five columns a character: the tab after 45 columns reaches the paper's end.
        TextCase{"TabPastTheLastStopGoesToTheLineEnd", b({0x1D, 0x21, 0x04}) + "abcdefghi\tx\n",
                 "a    b    c    d    e    f    g    h    i\nx\n"},
        TextCase{"CarriageReturnMovesNothing", "ab\r\n", "ab\n"},
        TextCase{"LongLinesWrapAtThePaperEdge", std::string(50, 'x') + "\n",
                 std::string(48, 'x') + "\nxx\n"},
        TextCase{"WideTextWrapsByColumns", b({0x1B, 0x21, 0x20}) + std::string(25, 'w') + "\n",
                 std::string("w") +
                     [] {
                         std::string s;
                         for (int i = 1; i < 24; ++i) s += " w";
                         return s;
                     }() +
                     "\nw\n"},
        TextCase{"InitializeResetsModesAndDropsTheUnprintedLine",
                 b({0x1B, 0x61, 0x01, 0x1B, 0x45, 0x01}) + "lost" + b({0x1B, 0x40}) + "kept\n",
                 "[initialize: the unprinted line is dropped]\nkept\n"},
        TextCase{"UnknownBytesAndCommandsAsHex",
                 b({0x01, 0x02}) + "a" + b({0x1B, 0x78}) + "b" + b({0xE9, 0x0C}) + "\n",
                 "<01 02>a<1b 78>b<e9 0c>\n"},
        TextCase{"LongRunsOfUnknownBytesWrapLikeText", std::string(20, '\x01') + "\n",
                 "<01 01 01 01 01 01 01 01 01 01 01 01 01 01 01>\n<01 01 01 01 01>\n"},
        TextCase{"UnknownCommandDataIsCountedNotListed",
                 b({0x1D, 0x28, 0x4C, 0x14, 0x00}) + std::string(20, 'z') + "\n",
                 "<1d 28 4c 14 00 7a 7a 7a 7a 7a 7a 7a 7a 7a 7a 7a 7a 7a 7a 7a 7a +4 bytes>\n"},
        TextCase{"StatusRequestsInARowShareANote",
                 b({0x10, 0x04, 0x01, 0x10, 0x04, 0x02}) + "x\n" + b({0x10, 0x04, 0x04}),
                 "[status requests 1 2]\nx\n[status request 4]\n"},
        TextCase{"NotesArriveBeforeTheLineBeingFilled",
                 "ab" + b({0x1D, 0x61, 0x0F}) + "cd\n" + b({0x1D, 0x61, 0x00, 0x1D, 0x28, 0x51}),
                 "[automatic status back: on]\nabcd\n[automatic status back: off]\n"
                 "[identification request]\n"},
        TextCase{"TextWithoutLineFeedIsSaidToWait", "pending",
                 "pending\n[no line feed yet: the printer has not printed the line above]\n"},
        TextCase{"DotFeedPrintsTheLineAndFeedsWholeLines",
                 "a" + b({0x1B, 0x4A, 0x0B}) + "b" + b({0x1B, 0x4A, 0x3C}), "a\nb\n\n\n"},
        TextCase{"LineFeedsCommand", "a" + b({0x1B, 0x64, 0x03}), "a\n\n\n"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(ReceiptView, AnsiAttributesReplaceTheMarkers) {
    RenderOptions ansi;
    ansi.ansi = true;
    EXPECT_EQ(view(b({0x1B, 0x21, 0x88}) + "bu" + b({0x1B, 0x21, 0x00, 0x1D, 0x42, 0x01}) + "r" +
                       b({0x1D, 0x21, 0x11}) + "T\n",
                   ansi),
              "\x1b[1;4mbu\x1b[0m\x1b[7mr\x1b[0m^^\x1b[7mT\x1b[0m^^\n");
}

TEST(ReceiptView, PaperWidthComesFromTheOptionsWithinItsRange) {
    RenderOptions narrow;
    narrow.columns = 32;
    EXPECT_EQ(view(b({0x1B, 0x61, 0x01}) + "abcd\n", narrow), spaces(14) + "abcd\n");
    RenderOptions tiny;
    tiny.columns = 0;  // held at 8
    EXPECT_EQ(view("abcdefghij\n", tiny), "abcdefgh\nij\n");
}

TEST(ReceiptView, CutsEndTheLineAndSayWhichCut) {
    EXPECT_EQ(view("a" + b({0x0A, 0x1D, 0x56, 0x00}) + "b" + b({0x1D, 0x56, 0x01}) +
                   b({0x1D, 0x56, 0x42, 0x05})),
              "a\n----- cut -----\nb\n----- partial cut -----\n----- partial cut -----\n");
}

// Bars are drawn two modules a character; the expected lines follow the published symbol
// tables, worked out by hand.
TEST(ReceiptView, Ean13GetsItsCheckDigitBarsAndTextBelow) {
    const std::string bars = "▌▌ ▌█▐ █▌█ █ ▌▐▌██▐ █▌▌▌▌█ █▐▌█ ▌ ▐▐▐█ ▌▐█▐ ▐ ▌▌";
    EXPECT_EQ(
        view(b({0x1D, 0x48, 0x02, 0x1D, 0x68, 0x3C, 0x1D, 0x6B, 0x43, 0x0C}) + "590123412345"),
        "[BARCODE EAN13 590123412345 h=60]\n" + bars + "\n" + bars + "\n" + spaces(17) +
            "5901234123457\n");
}

TEST(ReceiptView, BarcodeFormsAndTextPositions) {
    // The NUL-terminated form, text above, centred: 67 modules in 34 columns.
    const std::string ean8 = "▌▌ ▌█▐▐█▌██▐▐▌█▌▌▌▌▐█▐█ ▌▌ ▌▐▐█ ▌▌";
    EXPECT_EQ(view(b({0x1B, 0x61, 0x01, 0x1D, 0x48, 0x01, 0x1D, 0x6B, 0x03}) + "9638507" + b({0})),
              "[BARCODE EAN8 9638507 h=162]\n" + spaces(7) + spaces(13) + "96385074\n" + spaces(7) +
                  ean8 + "\n" + spaces(7) + ean8 + "\n");
    // Code 128, code set B: start B, 'A' (33), check (104 + 33) % 103 = 34, stop.
    const std::string code128 = "█▐ ▌ ▐▐ ▐▌ ▌ ▌█ ▐▌ █▌▌█";
    EXPECT_EQ(view(b({0x1D, 0x48, 0x03, 0x1D, 0x6B, 0x49, 0x03}) + "{BA"),
              "[BARCODE CODE128 {BA h=162]\n" + spaces(11) + "A\n" + code128 + "\n" + code128 +
                  "\n" + spaces(11) + "A\n");
    // Code set C takes one byte per digit pair.
    const std::string pairs = "█▐ █▌▐▐▌▐█ ▌ ▌█ ▐ ▌▐█▌█ ▐█▐▐▌";
    EXPECT_EQ(view(b({0x1D, 0x6B, 0x49, 0x04, '{', 'C', 12, 34})),
              "[BARCODE CODE128 {C<0c>\" h=162]\n" + pairs + "\n" + pairs + "\n");
}

TEST(ReceiptView, BarcodesWithoutDrawableBarsKeepTheirLabelAndText) {
    // Code 39 has no bars here; EAN-13 with a letter is refused by the printer too.
    EXPECT_EQ(view(b({0x1D, 0x48, 0x02, 0x1D, 0x6B, 0x45, 0x03}) + "AB1"),
              "[BARCODE CODE39 AB1 h=162]\nAB1\n");
    EXPECT_EQ(view(b({0x1D, 0x6B, 0x43, 0x0C}) + "59012341234X"),
              "[BARCODE EAN13 59012341234X h=162]\n");
    // 16 data symbols do not fit 48 columns.
    EXPECT_EQ(view(b({0x1D, 0x48, 0x02, 0x1D, 0x6B, 0x49, 0x12}) + "{A0123456789ABCDEF"),
              "[BARCODE CODE128 {A0123456789ABCDEF h=162]\n0123456789ABCDEF\n");
}

TEST(ReceiptView, RasterImageInHalfBlocksWhereTheJustificationPutsIt) {
    // The driver's form: GS ( v, mode 0x30, one byte across, four rows.
    EXPECT_EQ(view(b({0x1B, 0x61, 0x01, 0x1D, 0x28, 0x76, 0x30, 0x01, 0x00, 0x04, 0x00, 0xFF, 0x00,
                      0xF0, 0x0F})),
              "[RASTER IMAGE 8x4 dots]\n" + spaces(20) + "▀▀▀▀▀▀▀▀\n" + spaces(20) + "▀▀▀▀▄▄▄▄\n");
    // GS v 0 with double width.
    EXPECT_EQ(view(b({0x1D, 0x76, 0x30, 0x01, 0x01, 0x00, 0x02, 0x00, 0xC0, 0x40})),
              "[RASTER IMAGE 16x2 dots]\n▀▀██\n");
}

TEST(ReceiptView, WideImagesAreScaledDownToThePaper) {
    // 96 dots across: two dots a column; a half is dark from a quarter of its dots on.
    std::string rows = b({0x1D, 0x28, 0x76, 0x30, 0x0C, 0x00, 0x02, 0x00});
    rows += std::string(6, '\xFF') + std::string(6, '\0');
    rows += std::string(6, '\0') + std::string(6, '\x88');
    std::string expected = "[RASTER IMAGE 96x2 dots]\n";
    for (int i = 0; i < 24; ++i) expected += "▀";
    for (int i = 0; i < 11; ++i) expected += "▀ ";
    expected += "▀\n";
    EXPECT_EQ(view(rows), expected);
}

TEST(ReceiptView, StoredImageIsDefinedThenPrinted) {
    // GS * 1 1: eight columns of one byte each, the top dot in the high bit.
    const std::string define =
        b({0x1D, 0x2A, 0x01, 0x01, 0xFF, 0x81, 0x81, 0x81, 0x81, 0x81, 0x81, 0xFF});
    EXPECT_EQ(view(b({0x1D, 0x2F, 0x00}) + define + b({0x1D, 0x2F, 0x00})),
              "[STORED IMAGE: none defined]\n[stored image defined: 8x8 dots]\n"
              "[STORED IMAGE 8x8 dots]\n█▀▀▀▀▀▀█\n█      █\n█      █\n█▄▄▄▄▄▄█\n");
}

TEST(ReceiptView, RenderingStopsOnceTheTextPassesItsLimit) {
    // Three bytes print the stored picture again, a hundred bytes of text each time.
    std::string stream =
        b({0x1D, 0x2A, 0x01, 0x01, 0xFF, 0x81, 0x81, 0x81, 0x81, 0x81, 0x81, 0xFF});
    for (int i = 0; i < 100; ++i) stream += b({0x1D, 0x2F, 0x00});
    RenderOptions limited;
    limited.maxTextBytes = 200;
    const std::string text = view(stream, limited);
    EXPECT_TRUE(
        text.ends_with("\n█▄▄▄▄▄▄█\n[the rest is not shown: the text has grown past 200 "
                       "bytes at byte 18 of 312]\n"))
        << text;
}

TEST(ReceiptView, PageModeIsMarkedWithItsAreaAndDirection) {
    // As the driver sends a rotated page.
    EXPECT_EQ(view(b({0x0A, 0x1B, 0x4C, 0x1B, 0x57, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02, 0xBC, 0x02,
                      0x1B, 0x54, 0x01}) +
                   "HI\n" + b({0x0C, 0x0A})),
              "\n===== page mode =====\n[page area: 512x700 dots at 0,0]\n"
              "[page direction: bottom to top]\nHI\n===== page printed =====\n\n");
    EXPECT_EQ(view(b({0x1B, 0x4C}) + "a" + b({0x1B, 0x0C}) + "b" + b({0x1B, 0x53}) + "c" +
                   b({0x1B, 0x4C})),
              "===== page mode =====\na\n===== page printed, page mode goes on =====\n"
              "===== page dropped: back to standard mode =====\n"
              "c\n===== page mode =====\n"
              "[page mode still open: the page is not printed yet]\n");
}

TEST(ReceiptView, StreamEndingInsideACommandShowsWhatCame) {
    EXPECT_EQ(view("ab" + b({0x1B})), "ab<1b>\n[the data ends inside the command above]\n");
    // A header asking for far more data than there is.
    EXPECT_EQ(view(b({0x1D, 0x28, 0x76, 0x30, 0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0x02})),
              "<1d 28 76 30 ff ff ff ff 01 02>\n[the data ends inside the command above]\n");
    EXPECT_EQ(view(b({0x1D, 0x6B, 0x02}) + "123"),
              "<1d 6b 02 31 32 33>\n[the data ends inside the command above]\n");
}

// Every cut-off point of a stream with each kind of command gives a rendering (and, under the
// sanitizers, no fault).
TEST(ReceiptView, EveryPrefixOfAFullStreamRenders) {
    const std::string stream =
        b({0x1B, 0x40, 0x1D, 0x21, 0x00, 0x1D, 0x61, 0x0F, 0x10, 0x04, 0x01,
           0x1B, 0x61, 0x01, 0x1D, 0x28, 0x76, 0x30, 0x02, 0x00, 0x02, 0x00,
           0xFF, 0x00, 0x0F, 0xF0, 0x1B, 0x21, 0x30, 0x1C, 0x21, 0x0C}) +
        "SHOP\n" + b({0x1D, 0x48, 0x02, 0x1D, 0x6B, 0x49, 0x05}) + "{AR01" + b({0x1D, 0x6B, 0x02}) +
        "590123412345" + b({0x00, 0x1D, 0x2A, 0x01, 0x01}) + std::string(8, '\x81') +
        b({0x1D, 0x2F, 0x00, 0x0A, 0x1B, 0x4C, 0x1B, 0x57, 0, 0, 0, 0, 0, 2, 0x30, 2, 0x1B, 0x54,
           0x03}) +
        "p\n" + b({0x0C, 0x0A, 0x09, 0x1B, 0x4A, 0x40, 0x0A, 0x1D, 0x56, 0x42, 0x03, 0xFF});
    for (std::size_t length = 0; length <= stream.size(); ++length) {
        const std::string text = view(stream.substr(0, length));
        ASSERT_TRUE(text.empty() ? length == 0 : text.back() == '\n') << length;
    }
}

}  // namespace
