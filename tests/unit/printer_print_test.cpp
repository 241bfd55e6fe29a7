// PrintNormal: the bytes each text run and escape sequence sends, its trace, and the line
// measure that rotated printing sizes its page from.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/printer_fixture.h"
#include "opos_constants.h"
#include "print_line_measure.h"

namespace {

using namespace pos::opos;
using Bytes = std::vector<std::uint8_t>;
using Writes = std::vector<Bytes>;

// Print data as the application writes it: one UTF-16 unit per byte of the literal.
std::u16string units(const std::string& text) {
    std::u16string out;
    for (const char c : text) out.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
    return out;
}

Bytes lineFeeds(std::size_t count) {
    return Bytes(count, 0x0A);
}

Bytes joined(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

struct PrintCase {
    const char* what;
    std::string data;
    Writes writes;
};

class PrintNormal : public pos::testing::PrinterFixture {
  protected:
    void SetUp() override {
        writeSerialEntry();
        ASSERT_EQ(service->OpenService(u"POSPrinter", u"P", nullptr), OPOS_SUCCESS);
        port.writes.clear();
        traceMark = traceText().size();
    }

    Writes print(const std::string& text) {
        port.writes.clear();
        EXPECT_EQ(service->PrintNormal(PTR_S_RECEIPT, units(text)), OPOS_SUCCESS);
        return port.writes;
    }
    // Each case starts from the settings OpenService gives.
    void expectPrints(const PrintCase& c) {
        SCOPED_TRACE(c.what);
        mutableState().Settings = {};
        EXPECT_EQ(print(c.data), c.writes);
    }
    std::string newTrace() { return traceText().substr(traceMark); }
    const pos::printer::PrintSettings& settings() { return service->state().Settings; }
    // Settings and held pages are set through other methods; these tests set them directly.
    pos::printer::PrinterState& mutableState() {
        return const_cast<pos::printer::PrinterState&>(service->state());
    }

    std::size_t traceMark = 0;
};

TEST_F(PrintNormal, TextAndCharacterStyles) {
    const PrintCase cases[] = {
        {"plain text", "ABC", {{0x41, 0x42, 0x43}}},
        {"bold, text, single size, LF",
         "\x1B|bCX\x1B|1C\n",
         {{0x1B, 0x21, 0x08, 0x1C, 0x21, 0x00},
          {0x58},
          {0x1B, 0x21, 0x00, 0x1C, 0x21, 0x00},
          {0x0A}}},
        {"double wide", "\x1B|2C", {{0x1B, 0x21, 0x20, 0x1C, 0x21, 0x08}}},
        {"double high", "\x1B|3C", {{0x1B, 0x21, 0x10, 0x1C, 0x21, 0x04}}},
        {"double size", "\x1B|4C", {{0x1B, 0x21, 0x30, 0x1C, 0x21, 0x0C}}},
        {"single size clears bold too",
         "\x1B|bC\x1B|4C\x1B|1C",
         {{0x1B, 0x21, 0x08, 0x1C, 0x21, 0x00},
          {0x1B, 0x21, 0x38, 0x1C, 0x21, 0x0C},
          {0x1B, 0x21, 0x00, 0x1C, 0x21, 0x00}}},
        {"underline then bold",
         "\x1B|2uC\x1B|bC",
         {{0x1B, 0x2D, 0x02}, {0x1B, 0x21, 0x88, 0x1C, 0x21, 0x80}}},
        {"thin underline", "\x1B|uC", {{0x1B, 0x2D, 0x01}}},
        {"reverse", "\x1B|rvC", {{0x1D, 0x42, 0x01}}},
        {"scale wide", "\x1B|2hC", {{0x1D, 0x21, 0x02}}},
        {"scale high", "\x1B|3vC", {{0x1D, 0x21, 0x30}}},
        {"scale wide modulo 256", "\x1B|258hC", {{0x1D, 0x21, 0x02}}},
        {"scale wide keeps four bits", "\x1B|17hC", {{0x1D, 0x21, 0x01}}},
        {"scale high 16 wraps out of the byte", "\x1B|16vC", {{0x1D, 0x21, 0x00}}},
        {"centre", "\x1B|cA", {{0x1B, 0x61, 0x01}}},
        {"right", "\x1B|rA", {{0x1B, 0x61, 0x02}}},
        {"normal after styles",
         "\x1B|bC\x1B|2uC\x1B|rvC\x1B|rA\x1B|N",
         {{0x1B, 0x21, 0x08, 0x1C, 0x21, 0x00},
          {0x1B, 0x2D, 0x02},
          {0x1D, 0x42, 0x01},
          {0x1B, 0x61, 0x02},
          {0x1B, 0x61, 0x00, 0x1B, 0x2D, 0x00, 0x1D, 0x42, 0x00, 0x1B, 0x21, 0x00, 0x1C, 0x21, 0x00,
           0x1B, 0x32}}},
        {"suffix letters in text are text",
         "fP\x1B|bC",
         {{0x66, 0x50}, {0x1B, 0x21, 0x08, 0x1C, 0x21, 0x00}}},
    };
    for (const PrintCase& c : cases) expectPrints(c);
}

TEST_F(PrintNormal, FeedsCutsAndTheStoredImage) {
    const PrintCase cases[] = {
        {"three lines", "\x1B|3lF", {{0x1B, 0x32, 0x0A, 0x0A, 0x0A}}},
        {"one line without a number", "\x1B|lF", {{0x1B, 0x32, 0x0A}}},
        {"feed and cut", "\x1B|fP", {{0x1B, 0x32, 0x0A, 0x0A, 0x0A, 0x0A, 0x1D, 0x56, 0x01}}},
        {"five lines and cut",
         "\x1B|5fP",
         {{0x1B, 0x32, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x0A, 0x1D, 0x56, 0x01}}},
        {"cut", "\x1B|P", {{0x0A, 0x1D, 0x56, 0x01}}},
        {"400 dots", "\x1B|400uF", {{0x1B, 0x4A, 0x64}}},
        {"3 dots", "\x1B|3uF", {{0x1B, 0x4A, 0x00}}},
        {"7 dots", "\x1B|7uF", {{0x1B, 0x4A, 0x01}}},
        {"1023 dots", "\x1B|1023uF", {{0x1B, 0x4A, 0xFF}}},
        {"5000 dots", "\x1B|5000uF", {{0x1B, 0x4A, 0xFF}}},
        {"stored image", "\x1B|1B", {{0x1D, 0x2F, 0x00}}},
        // A runaway count feeds the most a feed escape allows instead of gigabytes of LF.
        {"huge line feed", "\x1B|4000000000lF", {joined({{0x1B, 0x32}, lineFeeds(255)})}},
        {"huge feed and cut",
         "\x1B|99999999999999999999fP",
         {joined({{0x1B, 0x32}, lineFeeds(255), {0x0A, 0x1D, 0x56, 0x01}})}},
        {"the largest feed", "\x1B|255lF", {joined({{0x1B, 0x32}, lineFeeds(255)})}},
    };
    for (const PrintCase& c : cases) expectPrints(c);
}

TEST_F(PrintNormal, DroppedAndMalformedSequencesSendNothing) {
    const PrintCase cases[] = {
        {"number and no suffix", "\x1B|75P", {{0x50}}},
        {"unknown sequence before text", "\x1B|lATotal", {{0x54, 0x6F, 0x74, 0x61, 0x6C}}},
        {"known but unsupported",
         "A\x1B|iCB\x1B|tbC\x1B|tpC\x1B|sL\x1B|tL\x1B|bL\x1B|2rF\x1B|2fT\x1B|rC\x1B|5sC\x1B|2sP",
         {{0x41}, {0x42}}},
        {"colour with eleven bytes", "\x1B|00255000128fC", {{0x66, 0x43}}},
        {"colour with nine digits",
         "\x1B|255000128fC",
         {{0x32, 0x35, 0x35, 0x30, 0x30, 0x30, 0x31, 0x32, 0x38, 0x66, 0x43}}},
        {"introducer at the end", "AB\x1B|", {{0x41, 0x42}}},
        {"introducer and a digit at the end", "AB\x1B|7", {{0x41, 0x42}}},
        {"empty", "", {}},
    };
    for (const PrintCase& c : cases) expectPrints(c);
}

TEST_F(PrintNormal, TextEndsAtTheFirstNulAndGoesOutInTheCodePage) {
    EXPECT_EQ(service->PrintNormal(PTR_S_RECEIPT, std::u16string(u"AB\0CD", 5)), OPOS_SUCCESS);
    EXPECT_EQ(port.writes, (Writes{{0x41, 0x42}}));
    port.writes.clear();
    EXPECT_EQ(service->PrintNormal(PTR_S_RECEIPT, u"\u00C4\u20AC\u4E00"), OPOS_SUCCESS);
    EXPECT_EQ(port.writes, (Writes{{0xC4, 0x80, 0x3F}}));
}

TEST_F(PrintNormal, SettingsCarryOverToLaterCalls) {
    print("\x1B|bC\x1B|3lF");
    EXPECT_EQ(settings().Emphasized, 1);
    EXPECT_EQ(settings().FeedLineCount, 3u);
    EXPECT_EQ(print("\x1B|2C"), (Writes{{0x1B, 0x21, 0x28, 0x1C, 0x21, 0x08}}));
    print("\x1B|4000000000fP");
    EXPECT_EQ(settings().FeedLineCount, 255u);
    EXPECT_EQ(settings().CutFeed, 1);
}

TEST_F(PrintNormal, OtherStationsAreRefusedWithTheirTrace) {
    const std::pair<std::int32_t, const char*> stations[] = {
        {1, "0x1"}, {4, "0x4"}, {-1, "0xffffffff"}};
    for (const auto& [station, shown] : stations) {
        SCOPED_TRACE(station);
        traceMark = traceText().size();
        port.writes.clear();
        EXPECT_EQ(service->PrintNormal(station, units("\x1B|bCA")), OPOS_E_ILLEGAL);
        EXPECT_TRUE(port.writes.empty());
        EXPECT_EQ(settings().Emphasized, 0);
        EXPECT_EQ(newTrace(), std::string("PrintNormal:Station:") + shown +
                                  "\nPrintNormal:Data Length:5 words\n"
                                  "\n001b 007c 0062 0043 0041 \n"
                                  "PrintNormal:Station fail!:OPOS_E_ILLEGAL\n");
    }
}

TEST_F(PrintNormal, TraceDumpsEveryUnitTenToALine) {
    const std::u16string data{0x0001, 0x000A, 0x0041, 0x00FF, 0x0100, 0x0FFF, 0x1000,
                              0xFFFF, 0x20AC, 0x0010, 0x000F, 0x0000, 0x0042};
    EXPECT_EQ(service->PrintNormal(PTR_S_RECEIPT, data), OPOS_SUCCESS);
    EXPECT_EQ(newTrace(),
              "PrintNormal:Station:0x2\n"
              "PrintNormal:Data Length:13 words\n"
              "\n0001 000a 0041 00ff 100 fff 1000 ffff 20ac 0010 "
              "\n000f 0000 0042 \n");
}

TEST_F(PrintNormal, TraceOfEmptyAndLongData) {
    EXPECT_EQ(service->PrintNormal(PTR_S_RECEIPT, u""), OPOS_SUCCESS);
    EXPECT_EQ(newTrace(), "PrintNormal:Station:0x2\nPrintNormal:Data Length:0 words\n\n");
    EXPECT_TRUE(port.writes.empty());

    traceMark = traceText().size();
    const std::size_t count = 1305;
    EXPECT_EQ(service->PrintNormal(PTR_S_RECEIPT, std::u16string(count, u'A')), OPOS_SUCCESS);
    std::string dump;
    for (std::size_t i = 0; i < count; ++i) dump += i % 10 == 0 ? "\n0041 " : "0041 ";
    EXPECT_EQ(newTrace(),
              "PrintNormal:Station:0x2\nPrintNormal:Data Length:1305 words\n" + dump + "\n");
}

TEST_F(PrintNormal, LongestLineRaisesPageAreaUnits) {
    struct Case {
        const char* what;
        std::string data;
        std::int32_t units;
    };
    const Case cases[] = {
        {"text alone", "ABC\n", 0},
        {"no line end", "ABCDEF\x1B|bC", 0},
        {"twelve bytes at double width", "ABCDEFGHIJKL\x1B|2C\n", 24},
        {"four times wide", "ABC\x1B|2hC\n", 12},
        {"an unknown sequence weighs nothing", "ABCDE\x1B|lA\n", 0},
        // 4 at the first line end; the second adds 3 to the 4 it started again from.
        {"the run restarts from the last sequence", "ABCD\x1B|bCXY\n\x1B|bC", 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        mutableState().Settings.PageAreaUnits = 0;
        print(c.data);
        EXPECT_EQ(settings().PageAreaUnits, c.units);
    }
}

TEST_F(PrintNormal, PageAreaUnitsOnlyGrow) {
    print("ABCDEFGHIJKL\x1B|2C\n");
    print("AB\x1B|2C\n");
    EXPECT_EQ(settings().PageAreaUnits, 24);
    print("ABCDEFGHIJKLM\x1B|2C\n");
    EXPECT_EQ(settings().PageAreaUnits, 26);
}

TEST_F(PrintNormal, OutputIsHeldInThePageBufferWhileAPageIsOpen) {
    mutableState().Pages.active = true;
    EXPECT_EQ(service->PrintNormal(PTR_S_RECEIPT, units("AB\x1B|bC\x1B|iCD")), OPOS_SUCCESS);
    EXPECT_TRUE(port.writes.empty());
    const auto held = mutableState().Pages.buffer.bytes();
    EXPECT_EQ(Bytes(held.begin(), held.end()),
              (Bytes{0x41, 0x42, 0x1B, 0x21, 0x08, 0x1C, 0x21, 0x00, 0x44}));
}

TEST(LineMeasure, AbsurdlyLongLinesHoldAtTheLargestValue) {
    using pos::printer::EscapeSequence;
    pos::printer::LineMeasure measure(5);
    const EscapeSequence wide{
        .entry = pos::printer::kEscapeScaleWide, .lineEnd = true, .position = 1'000'000'000};
    measure.add(wide);
    EXPECT_EQ(measure.pageAreaUnits(), 2147483647);
    measure.add(wide);
    EXPECT_EQ(measure.pageAreaUnits(), 2147483647);
}

}  // namespace
