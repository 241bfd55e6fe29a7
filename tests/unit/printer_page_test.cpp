// PrintImmediate, CutPaper, rotated pages, TransactionPrint and ClearOutput.
#include <gtest/gtest.h>

#include <climits>
#include <functional>

#include "fakes/printer_fixture.h"
#include "opos_constants.h"
#include "page_output_rules.h"

namespace {

using namespace pos::opos;
using namespace pos::printer;
using Bytes = std::vector<std::uint8_t>;
using Writes = std::vector<Bytes>;

class PageOutput : public pos::testing::PrinterFixture {
  protected:
    void SetUp() override {
        writeSerialEntry();
        reopen();
    }
    void reopen() {
        ASSERT_EQ(service->OpenService(u"POSPrinter", u"P", nullptr), OPOS_SUCCESS);
        port.writes.clear();
        traceMark = traceLines().size();
    }
    std::string newTrace() { return traceLines().substr(traceMark); }
    const PrinterState& state() { return service->state(); }
    Bytes held() {
        const auto bytes = state().Pages.buffer.bytes();
        return Bytes(bytes.begin(), bytes.end());
    }

    std::size_t traceMark = 0;
};

TEST_F(PageOutput, PrintImmediateSendsEscapesUnchangedAndTracesTheBytes) {
    EXPECT_EQ(service->PrintImmediate(2, u"\x1B|bC"), OPOS_SUCCESS);
    EXPECT_EQ(port.writes, (Writes{{0x1B, 0x7C, 0x62, 0x43}}));
    EXPECT_EQ(newTrace(),
              "PrintImmediate:\t\tStation:0x2\n"
              "PrintImmediate:Data Length:4 bytes\n1b 7c 62 43 \n");
}

TEST_F(PageOutput, PrintImmediateTraceBreaksEveryTenBytes) {
    const std::u16string data(
        u"\x01\x0F\x10"
        u"0123456\u00FF\u00C4Z\0ignored",
        20);
    EXPECT_EQ(service->PrintImmediate(2, data), OPOS_SUCCESS);
    EXPECT_EQ(
        port.writes,
        (Writes{{0x01, 0x0F, 0x10, 0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0xFF, 0xC4, 0x5A}}));
    EXPECT_EQ(newTrace(),
              "PrintImmediate:\t\tStation:0x2\n"
              "PrintImmediate:Data Length:13 bytes\n"
              "01 0f 10 30 31 32 33 34 35 36 \nff c4 5a \n");
}

TEST_F(PageOutput, PrintImmediateWithNothingWritesNothing) {
    EXPECT_EQ(service->PrintImmediate(2, u""), OPOS_SUCCESS);
    EXPECT_TRUE(port.writes.empty());
    EXPECT_EQ(newTrace(), "PrintImmediate:\t\tStation:0x2\nPrintImmediate:Data Length:0 bytes\n");
}

TEST_F(PageOutput, PrintImmediateOnAnotherStationIsRefusedAfterTheTrace) {
    EXPECT_EQ(service->PrintImmediate(1, u"AB"), OPOS_E_ILLEGAL);
    EXPECT_TRUE(port.writes.empty());
    EXPECT_EQ(newTrace(),
              "PrintImmediate:\t\tStation:0x1\n"
              "PrintImmediate:Data Length:2 bytes\n41 42 \n"
              "PrintImmediate:Station fail!:OPOS_E_ILLEGAL\n");
}

TEST_F(PageOutput, CutPaperChoosesTheCutFromThePercentage) {
    const std::pair<std::int32_t, Bytes> cases[] = {
        {100, {0x0A, 0x1D, 0x56, 0x00}},
        {61, {0x0A, 0x1D, 0x56, 0x61}},
        {62, {0x0A, 0x1D, 0x56, 0x62}},
        {50, {0x0A, 0x1D, 0x56, 0x01}},
        {0, {0x0A, 0x1D, 0x56, 0x01}},
        {-1, {0x0A, 0x1D, 0x56, 0x01}},
        {101, {0x0A, 0x1D, 0x56, 0x01}},
        // 0x42 is the cut-with-feed function, which a percentage never selects.
        {0x42, {0x0A, 0x1D, 0x56, 0x01}},
    };
    for (const auto& [percentage, bytes] : cases) {
        port.writes.clear();
        EXPECT_EQ(service->CutPaper(percentage), OPOS_SUCCESS);
        EXPECT_EQ(port.writes, (Writes{bytes})) << percentage;
    }
    EXPECT_EQ(newTrace(),
              "CutPaper:0x64\nCutPaper:0x3d\nCutPaper:0x3e\nCutPaper:0x32\nCutPaper:0x0\n"
              "CutPaper:0xffffffff\nCutPaper:0x65\nCutPaper:0x42\n");
    EXPECT_EQ(state().Settings.CutFunction, 1);
}

TEST_F(PageOutput, RotatedPageIsWrappedInPageModeAndSentInOneWrite) {
    EXPECT_EQ(service->RotatePrint(2, PTR_RP_RIGHT90), OPOS_SUCCESS);
    EXPECT_EQ(service->PrintImmediate(2, u"AB"), OPOS_SUCCESS);
    EXPECT_TRUE(port.writes.empty());
    EXPECT_EQ(held(), (Bytes{0x41, 0x42}));
    EXPECT_EQ(service->RotatePrint(2, PTR_RP_NORMAL), OPOS_SUCCESS);
    // Nothing raised the page area since OpenService: length 0.
    EXPECT_EQ(port.writes, (Writes{{0x0A, 0x1B, 0x4C, 0x1B, 0x57, 0x00, 0x00, 0x00, 0x00, 0x00,
                                    0x02, 0x00, 0x00, 0x1B, 0x54, 0x01, 0x41, 0x42, 0x0C, 0x0A}}));
    EXPECT_EQ(state().Settings.PageAreaUnits, 20);
    EXPECT_FALSE(state().Pages.active);
    EXPECT_EQ(state().RotateCallCount, 0);

    // The next page uses the 20 units left by the first: 560 = 0x0230.
    port.writes.clear();
    traceMark = traceLines().size();
    service->RotatePrint(2, PTR_RP_RIGHT90);
    service->PrintImmediate(2, u"AB");
    service->RotatePrint(2, PTR_RP_NORMAL);
    EXPECT_EQ(port.writes, (Writes{{0x0A, 0x1B, 0x4C, 0x1B, 0x57, 0x00, 0x00, 0x00, 0x00, 0x00,
                                    0x02, 0x30, 0x02, 0x1B, 0x54, 0x01, 0x41, 0x42, 0x0C, 0x0A}}));
    EXPECT_EQ(state().Settings.PageAreaUnits, 20);
    EXPECT_EQ(state().Settings.PageAreaLength, 560);
    EXPECT_EQ(newTrace(),
              "RotatePrint:\t\tStation:0x2,\t\tRotation:0x101\n"
              "PrintImmediate:\t\tStation:0x2\nPrintImmediate:Data Length:2 bytes\n41 42 \n"
              "RotatePrint:\t\tStation:0x2,\t\tRotation:0x1\n");
}

TEST_F(PageOutput, RotationSequences) {
    using Step = std::function<void(PrinterService&)>;
    const auto rotate = [](std::int32_t rotation) {
        return Step([rotation](PrinterService& s) { EXPECT_EQ(s.RotatePrint(2, rotation), 0); });
    };
    const auto print = [](std::u16string text) {
        return Step([text](PrinterService& s) { EXPECT_EQ(s.PrintImmediate(2, text), 0); });
    };
    const Bytes pageStart{0x0A, 0x1B, 0x4C, 0x1B, 0x57, 0x00, 0x00, 0x00,
                          0x00, 0x00, 0x02, 0x00, 0x00, 0x1B, 0x54};
    const auto page = [&](std::uint8_t direction, Bytes body) {
        Bytes bytes = pageStart;
        bytes.push_back(direction);
        bytes.insert(bytes.end(), body.begin(), body.end());
        bytes.insert(bytes.end(), {0x0C, 0x0A});
        return bytes;
    };
    struct Case {
        const char* what;
        std::vector<Step> steps;
        Writes writes;
        bool open;
        std::int32_t count;
    };
    const Case cases[] = {
        {"left twice, then normal: sent at the third call",
         {rotate(PTR_RP_LEFT90), print(u"A"), rotate(PTR_RP_LEFT90), print(u"B"),
          rotate(PTR_RP_NORMAL)},
         {page(3, {0x41, 0x42})},
         false,
         0},
        {"180 degrees",
         {rotate(PTR_RP_ROTATE180), print(u"C"), rotate(PTR_RP_NORMAL)},
         {page(2, {0x43})},
         false,
         0},
        {"normal first opens a page the next normal sends",
         {rotate(PTR_RP_NORMAL), print(u"D"), rotate(PTR_RP_NORMAL)},
         {page(0, {0x44})},
         false,
         0},
        {"a second rotation only counts; the first direction stays",
         {rotate(PTR_RP_RIGHT90), rotate(PTR_RP_LEFT90), print(u"E"), rotate(PTR_RP_ROTATE180),
          rotate(PTR_RP_NORMAL)},
         {page(1, {0x45})},
         false,
         0},
        {"an unknown rotation opens a page with the direction unchanged",
         {rotate(0x1101), print(u"F"), rotate(PTR_RP_NORMAL)},
         {page(0, {0x46})},
         false,
         0},
        {"one call alone leaves the page open", {rotate(PTR_RP_NORMAL), print(u"G")}, {}, true, 1},
        {"rotations without normal never send",
         {rotate(PTR_RP_RIGHT90), print(u"H"), rotate(PTR_RP_RIGHT90), rotate(PTR_RP_LEFT90)},
         {},
         true,
         3},
        {"two pages in a row",
         {rotate(PTR_RP_LEFT90), print(u"I"), rotate(PTR_RP_NORMAL), print(u"J"),
          rotate(PTR_RP_RIGHT90), print(u"K"), rotate(PTR_RP_NORMAL)},
         {page(3, {0x49}),
          {0x4A},
          {0x0A, 0x1B, 0x4C, 0x1B, 0x57, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02, 0x30, 0x02, 0x1B, 0x54,
           0x01, 0x4B, 0x0C, 0x0A}},
         false,
         0},
        {"held output keeps its order",
         {rotate(PTR_RP_RIGHT90), print(u"AB"), print(u"CD"), print(u"EF"), rotate(PTR_RP_NORMAL)},
         {page(1, {0x41, 0x42, 0x43, 0x44, 0x45, 0x46})},
         false,
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        reopen();
        for (const Step& step : c.steps) step(*service);
        EXPECT_EQ(port.writes, c.writes);
        EXPECT_EQ(state().Pages.active, c.open);
        EXPECT_EQ(state().RotateCallCount, c.count);
    }
}

TEST_F(PageOutput, EveryOutputIsHeldWhileAPageIsOpen) {
    service->RotatePrint(2, PTR_RP_RIGHT90);
    service->CutPaper(100);
    service->PrintBarCode(2, u"1", 106, 9, 2, -1, -11);
    service->PrintImmediate(2, u"Z");
    EXPECT_TRUE(port.writes.empty());
    EXPECT_EQ(held(), (Bytes{0x0A, 0x1D, 0x56, 0x00, 0x1B, 0x61, 0x00, 0x1D, 0x48, 0x00, 0x1D,
                             0x68, 0x09, 0x1D, 0x77, 0x02, 0x1D, 0x6B, 0x46, 0x01, 0x31, 0x5A}));
    service->RotatePrint(2, PTR_RP_NORMAL);
    ASSERT_EQ(port.writes.size(), 1u);
    EXPECT_EQ(port.writes[0].size(), 16u + 22u + 2u);
    // Sent pages stay in the buffer until the next page or ClearOutput; output goes out again.
    EXPECT_EQ(held().size(), 40u);
    port.writes.clear();
    service->PrintImmediate(2, u"Y");
    EXPECT_EQ(port.writes, (Writes{{0x59}}));
}

TEST_F(PageOutput, RefusedRotationChangesNothing) {
    EXPECT_EQ(service->RotatePrint(1, PTR_RP_RIGHT90), OPOS_E_ILLEGAL);
    EXPECT_FALSE(state().Pages.active);
    EXPECT_EQ(state().RotateCallCount, 0);
    EXPECT_EQ(state().Settings.PrintDirection, 0);

    service->RotatePrint(2, PTR_RP_LEFT90);
    service->PrintImmediate(2, u"A");
    // Neither counts as the closing call nor changes what is held.
    EXPECT_EQ(service->RotatePrint(4, PTR_RP_NORMAL), OPOS_E_ILLEGAL);
    EXPECT_EQ(service->RotatePrint(0, PTR_RP_NORMAL), OPOS_E_ILLEGAL);
    EXPECT_EQ(state().RotateCallCount, 1);
    EXPECT_EQ(held(), (Bytes{0x41}));
    EXPECT_TRUE(port.writes.empty());
    EXPECT_EQ(newTrace(),
              "RotatePrint:\t\tStation:0x1,\t\tRotation:0x101\n"
              "RotatePrint:Station fail!:OPOS_E_ILLEGAL\n"
              "RotatePrint:\t\tStation:0x2,\t\tRotation:0x102\n"
              "PrintImmediate:\t\tStation:0x2\nPrintImmediate:Data Length:1 bytes\n41 \n"
              "RotatePrint:\t\tStation:0x4,\t\tRotation:0x1\n"
              "RotatePrint:Station fail!:OPOS_E_ILLEGAL\n"
              "RotatePrint:\t\tStation:0x0,\t\tRotation:0x1\n"
              "RotatePrint:Station fail!:OPOS_E_ILLEGAL\n");
}

TEST_F(PageOutput, OpenServiceDropsAnOpenPageUnsent) {
    service->RotatePrint(2, PTR_RP_RIGHT90);
    service->PrintImmediate(2, u"lost");
    reopen();
    EXPECT_FALSE(state().Pages.active);
    EXPECT_EQ(state().RotateCallCount, 0);
    EXPECT_TRUE(state().Pages.buffer.empty());
    service->PrintImmediate(2, u"A");
    EXPECT_EQ(port.writes, (Writes{{0x41}}));
}

TEST_F(PageOutput, TransactionPrintIsAcceptedAndHoldsNothing) {
    service->RotatePrint(2, PTR_RP_RIGHT90);
    EXPECT_EQ(service->TransactionPrint(2, 11), OPOS_SUCCESS);
    EXPECT_EQ(service->TransactionPrint(2, 12), OPOS_SUCCESS);
    EXPECT_EQ(service->TransactionPrint(1, -1), OPOS_SUCCESS);
    EXPECT_TRUE(state().Pages.active);
    EXPECT_EQ(state().RotateCallCount, 1);
    EXPECT_TRUE(state().Pages.buffer.empty());
    reopen();
    service->TransactionPrint(2, 11);
    service->PrintImmediate(2, u"A");
    EXPECT_EQ(port.writes, (Writes{{0x41}}));
    service->TransactionPrint(2, 12);
    EXPECT_EQ(port.writes.size(), 1u);
    EXPECT_EQ(newTrace(),
              "TransactionPrint:\t\tStation:0x2,\t\tControl:0xb\n"
              "PrintImmediate:\t\tStation:0x2\nPrintImmediate:Data Length:1 bytes\n41 \n"
              "TransactionPrint:\t\tStation:0x2,\t\tControl:0xc\n");
}

TEST_F(PageOutput, ClearOutputDropsWhatAnOpenPageHeldAndTheRestIsStillSent) {
    EXPECT_EQ(service->ClearOutput(), OPOS_SUCCESS);
    EXPECT_EQ(newTrace(), "ClearOutput:OPOS_SUCCESS\n");
    EXPECT_FALSE(state().Pages.active);

    service->RotatePrint(2, PTR_RP_RIGHT90);
    service->PrintImmediate(2, u"old");
    EXPECT_EQ(service->ClearOutput(), OPOS_SUCCESS);
    EXPECT_TRUE(state().Pages.buffer.empty());
    EXPECT_TRUE(state().Pages.active);
    EXPECT_EQ(state().RotateCallCount, 1);
    service->PrintImmediate(2, u"N");
    service->RotatePrint(2, PTR_RP_NORMAL);
    EXPECT_EQ(port.writes, (Writes{{0x0A, 0x1B, 0x4C, 0x1B, 0x57, 0x00, 0x00, 0x00, 0x00, 0x00,
                                    0x02, 0x00, 0x00, 0x1B, 0x54, 0x01, 0x4E, 0x0C, 0x0A}}));
    // After a page went out, ClearOutput only lets go of the copy kept.
    EXPECT_FALSE(state().Pages.buffer.empty());
    service->ClearOutput();
    EXPECT_TRUE(state().Pages.buffer.empty());
    EXPECT_EQ(port.writes.size(), 1u);
}

TEST(PageOutputRules, RotateCountStopsBeforeItOverflows) {
    EXPECT_EQ(countRotateCall(0), 1);
    EXPECT_EQ(countRotateCall(1), 2);
    EXPECT_EQ(countRotateCall(INT_MAX - 1), INT_MAX);
    EXPECT_EQ(countRotateCall(INT_MAX), INT_MAX);
}

TEST(PageOutputRules, RotationDirections) {
    const std::pair<std::int32_t, std::optional<std::uint8_t>> cases[] = {
        {PTR_RP_NORMAL, 0}, {PTR_RP_RIGHT90, 1},    {PTR_RP_LEFT90, 3},     {PTR_RP_ROTATE180, 2},
        {0, std::nullopt},  {0x0100, std::nullopt}, {0x1101, std::nullopt}, {-1, std::nullopt},
    };
    for (const auto& [rotation, direction] : cases) {
        EXPECT_EQ(printDirectionFor(rotation), direction) << rotation;
    }
}

}  // namespace
