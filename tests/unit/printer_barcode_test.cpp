// PrintBarCode: the bytes of each symbology, every refusal in its order, and the rules table.
#include <gtest/gtest.h>

#include <climits>

#include "barcode_rules.h"
#include "fakes/printer_fixture.h"
#include "opos_constants.h"

namespace {

using namespace pos::opos;
using namespace pos::printer::barcode;
using Bytes = std::vector<std::uint8_t>;

Bytes concat(Bytes head, const Bytes& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

class BarCode : public pos::testing::PrinterFixture {
  protected:
    void SetUp() override {
        writeSerialEntry();
        reopen();
    }
    // A fresh OpenService: initial settings, no writes and no trace seen yet.
    void reopen() {
        ASSERT_EQ(service->OpenService(u"POSPrinter", u"P", nullptr), OPOS_SUCCESS);
        port.writes.clear();
        traceMark = traceLines().size();
    }
    std::string newTrace() { return traceLines().substr(traceMark); }
    const pos::printer::PrintSettings& settings() { return service->state().Settings; }

    std::size_t traceMark = 0;
};

TEST_F(BarCode, UpcAIsSentInOneWriteWithItsSettingsAndTraced) {
    EXPECT_EQ(service->PrintBarCode(2, u"01234567890", PTR_BCS_UPCA, 162, 2, PTR_BC_CENTER,
                                    PTR_BC_TEXT_BELOW),
              OPOS_SUCCESS);
    EXPECT_EQ(port.writes,
              (std::vector<Bytes>{{0x1B, 0x61, 0x01, 0x1D, 0x48, 0x02, 0x1D, 0x68, 0xA2,
                                   0x1D, 0x77, 0x02, 0x1D, 0x6B, 0x41, 0x0B, 0x30, 0x31,
                                   0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x30}}));
    EXPECT_EQ(newTrace(),
              "PrintBarCode:\t\tStation:0x2,\t\tData:01234567890,\t\tSymbology:0x65,\t\t"
              "Height:0xa2,\t\tWidth:0x2,\t\tAlignment:0xfffffffe,\t\tTextPosition:0xfffffff3\n");
    EXPECT_EQ(settings().Justification, 1);
    EXPECT_EQ(settings().HriPlacement, 2);
    EXPECT_EQ(settings().BarCodeHeightDots, 162);
    EXPECT_EQ(settings().BarCodeModuleWidth, 2);
}

TEST_F(BarCode, EachSymbologySendsItsCodeLengthAndData) {
    // Alignment left, no text, height 0x50; what follows GS k differs per case.
    const Bytes header{0x1B, 0x61, 0x00, 0x1D, 0x48, 0x00, 0x1D,
                       0x68, 0x50, 0x1D, 0x77, 0x02, 0x1D, 0x6B};
    struct Case {
        std::int32_t symbology;
        std::u16string data;
        Bytes afterHeader;
    };
    const Case cases[] = {
        {PTR_BCS_UPCA,
         u"012345678905",
         {0x41, 0x0C, 0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x30, 0x35}},
        {PTR_BCS_UPCE,
         u"01234567890",
         {0x42, 0x0B, 0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x30}},
        {PTR_BCS_JAN8, u"1234567", {0x44, 0x07, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37}},
        {PTR_BCS_JAN8, u"12345670", {0x44, 0x08, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x30}},
        {PTR_BCS_JAN13,
         u"490123456789",
         {0x43, 0x0C, 0x34, 0x39, 0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39}},
        {PTR_BCS_JAN13,
         u"4901234567894",
         {0x43, 0x0D, 0x34, 0x39, 0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39,
          0x34}},
        {PTR_BCS_ITF, u"7", {0x46, 0x01, 0x37}},
        {PTR_BCS_ITF, u"1234", {0x46, 0x04, 0x31, 0x32, 0x33, 0x34}},
        {PTR_BCS_Codabar,
         u"A12$-./:D",
         {0x47, 0x09, 0x41, 0x31, 0x32, 0x24, 0x2D, 0x2E, 0x2F, 0x3A, 0x44}},
        {PTR_BCS_Code39,
         u"AZ 09$%+-./",
         {0x45, 0x0B, 0x41, 0x5A, 0x20, 0x30, 0x39, 0x24, 0x25, 0x2B, 0x2D, 0x2E, 0x2F}},
        {PTR_BCS_Code93, u"a~\x01\x7F", {0x48, 0x04, 0x61, 0x7E, 0x01, 0x7F}},
        // Code 128 starts in code set A: "{A" is counted in the length.
        {PTR_BCS_Code128, u"AB", {0x49, 0x04, 0x7B, 0x41, 0x41, 0x42}},
        {PTR_BCS_Code128, u"x%\x1F", {0x49, 0x05, 0x7B, 0x41, 0x78, 0x25, 0x1F}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.symbology);
        port.writes.clear();
        ASSERT_EQ(
            service->PrintBarCode(2, c.data, c.symbology, 0x50, 3, PTR_BC_LEFT, PTR_BC_TEXT_NONE),
            OPOS_SUCCESS);
        EXPECT_EQ(port.writes, (std::vector<Bytes>{concat(header, c.afterHeader)}));
    }
}

TEST_F(BarCode, DataTheSymbologyCannotCarryIsRefusedBeforeAnySettingChanges) {
    struct Case {
        const char* what;
        std::int32_t symbology;
        std::u16string data;
    };
    const Case cases[] = {
        {"JAN13 with 14 digits", PTR_BCS_JAN13, u"49012345678941"},
        {"JAN13 with 11 digits", PTR_BCS_JAN13, u"49012345678"},
        {"UPC-A with 10 digits", PTR_BCS_UPCA, u"0123456789"},
        {"UPC-A with 13 digits", PTR_BCS_UPCA, u"0123456789012"},
        {"UPC-A with a letter", PTR_BCS_UPCA, u"0123456789A"},
        {"UPC-E with 10 digits", PTR_BCS_UPCE, u"0123456789"},
        {"JAN8 with 6 digits", PTR_BCS_JAN8, u"123456"},
        {"JAN8 with 9 digits", PTR_BCS_JAN8, u"123456789"},
        {"ITF with a letter", PTR_BCS_ITF, u"12A4"},
        {"ITF empty", PTR_BCS_ITF, u""},
        {"ITF with 256 digits", PTR_BCS_ITF, std::u16string(256, u'1')},
        {"Code 39 in lower case", PTR_BCS_Code39, u"ABc"},
        {"Code 39 with an asterisk", PTR_BCS_Code39, u"A*B"},
        {"Codabar with a plus sign", PTR_BCS_Codabar, u"1+2"},
        {"Codabar with E", PTR_BCS_Codabar, u"A1E"},
        {"Code 93 with a byte above 0x7F", PTR_BCS_Code93, u"AB\u00C4"},
        {"Code 93 with 256 bytes", PTR_BCS_Code93, std::u16string(256, u'a')},
        {"Code 128 with one byte", PTR_BCS_Code128, u"A"},
        {"Code 128 with 0xFF", PTR_BCS_Code128, u"A\u00FF"},
        {"Code 128 whose length byte would wrap", PTR_BCS_Code128, std::u16string(254, u'a')},
        {"Code 128 empty after the NUL is cut", PTR_BCS_Code128, std::u16string(u"\0AB", 3)},
        {"TF", PTR_BCS_TF, u"1234"},
        {"below the table", 100, u"1234"},
        {"above the table", 111, u"1234"},
        {"negative", -1, u"1234"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        reopen();
        EXPECT_EQ(
            service->PrintBarCode(2, c.data, c.symbology, 50, 2, PTR_BC_RIGHT, PTR_BC_TEXT_ABOVE),
            OPOS_E_ILLEGAL);
        const std::string trace = newTrace();
        EXPECT_EQ(trace.substr(trace.find('\n') + 1),
                  "PrintBarCode:BarCodeParser fail!:OPOS_E_ILLEGAL\n");
        EXPECT_TRUE(port.writes.empty());
        EXPECT_EQ(settings().Justification, 0);
        EXPECT_EQ(settings().HriPlacement, 0);
    }
}

TEST_F(BarCode, LengthLimitsAreInclusive) {
    EXPECT_TRUE(dataAccepted(PTR_BCS_ITF, std::string(255, '9')));
    EXPECT_TRUE(dataAccepted(PTR_BCS_Code39, std::string(255, 'Z')));
    EXPECT_TRUE(dataAccepted(PTR_BCS_Codabar, std::string(255, 'D')));
    EXPECT_TRUE(dataAccepted(PTR_BCS_Code93, std::string(255, '\x7F')));
    // The longest Code 128 whose length byte (data plus "{A") still fits.
    port.writes.clear();
    ASSERT_EQ(service->PrintBarCode(2, std::u16string(253, u'a'), PTR_BCS_Code128, 10, 2,
                                    PTR_BC_LEFT, PTR_BC_TEXT_NONE),
              OPOS_SUCCESS);
    ASSERT_EQ(port.writes.size(), 1u);
    const Bytes& sent = port.writes.front();
    ASSERT_EQ(sent.size(), 14u + 2u + 2u + 253u);
    EXPECT_EQ(Bytes(sent.begin() + 12, sent.begin() + 18),
              (Bytes{0x1D, 0x6B, 0x49, 0xFF, 0x7B, 0x41}));
    EXPECT_EQ(sent.back(), 0x61);
}

TEST_F(BarCode, DataIsTheConvertedTextUpToItsFirstNul) {
    const std::u16string data(
        u"0123456\0"
        u"89",
        10);
    EXPECT_EQ(service->PrintBarCode(2, data, PTR_BCS_JAN8, 1, 2, PTR_BC_LEFT, PTR_BC_TEXT_NONE),
              OPOS_SUCCESS);
    EXPECT_EQ(port.writes, (std::vector<Bytes>{{0x1B, 0x61, 0x00, 0x1D, 0x48, 0x00, 0x1D, 0x68,
                                                0x01, 0x1D, 0x77, 0x02, 0x1D, 0x6B, 0x44, 0x07,
                                                0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36}}));
}

TEST_F(BarCode, RefusalsComeInOrderAndKeepTheSettingsMadeBeforeThem) {
    struct Case {
        const char* what;
        std::int32_t station;
        std::u16string data;
        std::int32_t alignment;
        std::int32_t textPosition;
        std::int32_t height;
        const char* failLine;
        std::uint8_t justification;
        std::uint8_t hri;
    };
    const Case cases[] = {
        {"station before everything", 1, u"1", 100, 0, 0,
         "PrintBarCode:Station fail!:OPOS_E_ILLEGAL\n", 0, 0},
        {"journal station", 4, u"1234", PTR_BC_CENTER, PTR_BC_TEXT_ABOVE, 50,
         "PrintBarCode:Station fail!:OPOS_E_ILLEGAL\n", 0, 0},
        {"data before alignment", 2, u"A", 100, 0, 0,
         "PrintBarCode:BarCodeParser fail!:OPOS_E_ILLEGAL\n", 0, 0},
        {"alignment in dots", 2, u"1234", 100, 0, 0,
         "PrintBarCode:Alignment fail!:OPOS_E_ILLEGAL\n", 0, 0},
        {"alignment zero", 2, u"1234", 0, PTR_BC_TEXT_BELOW, 50,
         "PrintBarCode:Alignment fail!:OPOS_E_ILLEGAL\n", 0, 0},
        {"alignment -4", 2, u"1234", -4, PTR_BC_TEXT_BELOW, 50,
         "PrintBarCode:Alignment fail!:OPOS_E_ILLEGAL\n", 0, 0},
        {"text position after a good alignment", 2, u"1234", PTR_BC_RIGHT, -14, 0,
         "PrintBarCode:TextPosition fail!:OPOS_E_ILLEGAL\n", 2, 0},
        {"text position -10", 2, u"1234", PTR_BC_CENTER, -10, 50,
         "PrintBarCode:TextPosition fail!:OPOS_E_ILLEGAL\n", 1, 0},
        {"height 0", 2, u"1234", PTR_BC_CENTER, PTR_BC_TEXT_ABOVE, 0,
         "PrintBarCode:Height fail!:OPOS_E_ILLEGAL\n", 1, 1},
        {"height 256", 2, u"1234", PTR_BC_RIGHT, PTR_BC_TEXT_BELOW, 256,
         "PrintBarCode:Height fail!:OPOS_E_ILLEGAL\n", 2, 2},
        {"height -1", 2, u"1234", PTR_BC_LEFT, PTR_BC_TEXT_ABOVE, -1,
         "PrintBarCode:Height fail!:OPOS_E_ILLEGAL\n", 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        reopen();
        EXPECT_EQ(service->PrintBarCode(c.station, c.data, PTR_BCS_ITF, c.height, 2, c.alignment,
                                        c.textPosition),
                  OPOS_E_ILLEGAL);
        const std::string trace = newTrace();
        EXPECT_EQ(trace.substr(trace.find('\n') + 1), c.failLine);
        EXPECT_TRUE(port.writes.empty());
        EXPECT_EQ(settings().Justification, c.justification);
        EXPECT_EQ(settings().HriPlacement, c.hri);
        EXPECT_EQ(settings().BarCodeHeightDots, 162);
        EXPECT_EQ(settings().BarCodeModuleWidth, 3);
    }
}

TEST_F(BarCode, RefusedStationIsTracedWithTheWholeCall) {
    EXPECT_EQ(service->PrintBarCode(1, u"AB%s", -5, 0x100, -7, 100, 0), OPOS_E_ILLEGAL);
    EXPECT_EQ(newTrace(),
              "PrintBarCode:\t\tStation:0x1,\t\tData:AB%s,\t\tSymbology:0xfffffffb,\t\t"
              "Height:0x100,\t\tWidth:0xfffffff9,\t\tAlignment:0x64,\t\tTextPosition:0x0\n"
              "PrintBarCode:Station fail!:OPOS_E_ILLEGAL\n");
}

TEST_F(BarCode, AlignmentAndTextPositionTables) {
    const std::pair<std::int32_t, std::optional<std::uint8_t>> alignments[] = {
        {PTR_BC_LEFT, 0},    {PTR_BC_CENTER, 1},      {PTR_BC_RIGHT, 2},
        {0, std::nullopt},   {-4, std::nullopt},      {1, std::nullopt},
        {100, std::nullopt}, {INT_MIN, std::nullopt}, {PTR_BC_TEXT_NONE, std::nullopt},
    };
    for (const auto& [alignment, justification] : alignments) {
        EXPECT_EQ(justificationFor(alignment), justification) << alignment;
    }
    const std::pair<std::int32_t, std::optional<std::uint8_t>> positions[] = {
        {PTR_BC_TEXT_NONE, 0},       {PTR_BC_TEXT_ABOVE, 1}, {PTR_BC_TEXT_BELOW, 2},
        {-10, std::nullopt},         {-14, std::nullopt},    {0, std::nullopt},
        {PTR_BC_LEFT, std::nullopt},
    };
    for (const auto& [position, placement] : positions) {
        EXPECT_EQ(hriPlacementFor(position), placement) << position;
    }
    // And on the wire: ESC a and GS H carry them.
    const std::tuple<std::int32_t, std::int32_t, Bytes> sent[] = {
        {PTR_BC_LEFT, PTR_BC_TEXT_ABOVE, {0x1B, 0x61, 0x00, 0x1D, 0x48, 0x01}},
        {PTR_BC_CENTER, PTR_BC_TEXT_NONE, {0x1B, 0x61, 0x01, 0x1D, 0x48, 0x00}},
        {PTR_BC_RIGHT, PTR_BC_TEXT_BELOW, {0x1B, 0x61, 0x02, 0x1D, 0x48, 0x02}},
    };
    for (const auto& [alignment, position, start] : sent) {
        port.writes.clear();
        ASSERT_EQ(service->PrintBarCode(2, u"1", PTR_BCS_ITF, 9, 2, alignment, position),
                  OPOS_SUCCESS);
        ASSERT_EQ(port.writes.size(), 1u);
        EXPECT_EQ(Bytes(port.writes[0].begin(), port.writes[0].begin() + 6), start);
    }
}

TEST_F(BarCode, HeightIsSentAsGivenAndTheModuleWidthIsAlwaysTwo) {
    const std::pair<std::int32_t, std::int32_t> cases[] = {{1, 2}, {255, 7}, {128, 0}, {64, -3}};
    for (const auto& [height, width] : cases) {
        port.writes.clear();
        ASSERT_EQ(service->PrintBarCode(2, u"5", PTR_BCS_ITF, height, width, PTR_BC_LEFT,
                                        PTR_BC_TEXT_NONE),
                  OPOS_SUCCESS);
        EXPECT_EQ(port.writes, (std::vector<Bytes>{{0x1B, 0x61, 0x00, 0x1D, 0x48, 0x00, 0x1D, 0x68,
                                                    static_cast<std::uint8_t>(height), 0x1D, 0x77,
                                                    0x02, 0x1D, 0x6B, 0x46, 0x01, 0x35}}));
    }
    EXPECT_TRUE(heightAccepted(1));
    EXPECT_TRUE(heightAccepted(255));
    EXPECT_FALSE(heightAccepted(0));
    EXPECT_FALSE(heightAccepted(256));
    EXPECT_FALSE(heightAccepted(INT_MIN));
}

TEST_F(BarCode, WidthRaisesThePageAreaOnlyWhileAPageIsCollected) {
    // No page: the page area is left alone whatever the width.
    ASSERT_EQ(service->PrintBarCode(2, u"1", PTR_BCS_ITF, 9, 6, PTR_BC_LEFT, PTR_BC_TEXT_NONE),
              OPOS_SUCCESS);
    EXPECT_EQ(settings().PageAreaUnits, 0);

    // Send one empty page so the area starts from 20, then collect barcodes of each width.
    service->RotatePrint(2, 0x0001);
    service->RotatePrint(2, 0x0001);
    ASSERT_EQ(settings().PageAreaUnits, 20);
    const std::pair<std::int32_t, std::int32_t> widthThenUnits[] = {
        {7, 20}, {1, 20}, {2, 20}, {4, 36}, {3, 36}, {-1, 36}, {5, 44}, {6, 52}, {5, 52},
    };
    service->RotatePrint(2, 0x0101);
    for (const auto& [width, units] : widthThenUnits) {
        ASSERT_EQ(
            service->PrintBarCode(2, u"1", PTR_BCS_ITF, 9, width, PTR_BC_LEFT, PTR_BC_TEXT_NONE),
            OPOS_SUCCESS);
        EXPECT_EQ(settings().PageAreaUnits, units) << width;
    }
    // A refused barcode raises nothing.
    service->RotatePrint(2, 0x0001);
    service->RotatePrint(2, 0x0101);
    EXPECT_EQ(service->PrintBarCode(2, u"1", PTR_BCS_ITF, 0, 6, PTR_BC_LEFT, PTR_BC_TEXT_NONE),
              OPOS_E_ILLEGAL);
    EXPECT_EQ(settings().PageAreaUnits, 20);
}

TEST_F(BarCode, RotatedBarcodePageIsSizedByItsWidth) {
    service->RotatePrint(2, 0x0103);
    ASSERT_EQ(
        service->PrintBarCode(2, u"AB", PTR_BCS_Code128, 0x32, 4, PTR_BC_LEFT, PTR_BC_TEXT_NONE),
        OPOS_SUCCESS);
    EXPECT_TRUE(port.writes.empty());
    service->RotatePrint(2, 0x0001);
    // 36 units of 28 dots: 1008 = 0x03F0.
    EXPECT_EQ(port.writes,
              (std::vector<Bytes>{{0x0A, 0x1B, 0x4C, 0x1B, 0x57, 0x00, 0x00, 0x00, 0x00, 0x00,
                                   0x02, 0xF0, 0x03, 0x1B, 0x54, 0x02, 0x1B, 0x61, 0x00, 0x1D,
                                   0x48, 0x00, 0x1D, 0x68, 0x32, 0x1D, 0x77, 0x02, 0x1D, 0x6B,
                                   0x49, 0x04, 0x7B, 0x41, 0x41, 0x42, 0x0C, 0x0A}}));
}

TEST(BarCodeRules, SymbolBytesAreEmptyExactlyWhenTheDataIsRefused) {
    EXPECT_TRUE(symbolBytes(PTR_BCS_UPCA, "123").empty());
    EXPECT_TRUE(symbolBytes(PTR_BCS_Code128, std::string(254, 'a')).empty());
    EXPECT_EQ(symbolBytes(PTR_BCS_Code93, std::string_view("\0", 1)), (Bytes{0x48, 0x01, 0x00}));
    EXPECT_EQ(symbolBytes(PTR_BCS_Code128, "\x7F\x01"),
              (Bytes{0x49, 0x04, 0x7B, 0x41, 0x7F, 0x01}));
    EXPECT_EQ(pageUnitsForWidth(2), 20);
    EXPECT_EQ(pageUnitsForWidth(6), 52);
    EXPECT_EQ(pageUnitsForWidth(7), std::nullopt);
    EXPECT_EQ(pageUnitsForWidth(INT_MIN), std::nullopt);
}

}  // namespace
