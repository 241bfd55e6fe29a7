// The two bit layouts of the printer's status bytes, the events a change calls for, and the
// traced group-by-group reading of one status read.
#include "status_decoder.h"

#include <gtest/gtest.h>

#include "opos_constants.h"
#include "printer_state.h"
#include "status/status_flags_print.h"
#include "status_reports.h"
#include "temp_folder.h"

namespace {

using namespace pos::opos;
using pos::printer::StatusFlags;
using Bytes = std::vector<std::uint8_t>;

struct DecodeCase {
    const char* name;
    std::array<std::uint8_t, 4> group;
    StatusFlags expected;  // Cashdrawer, Online, CoverOpen, FeedButton, AutoCutter, Unrecoverable,
                           // Autorecoverable, PaperNearEnd, PaperEnd
};

TEST(StatusDecoder, DleAnswerBits) {
    const DecodeCase cases[] = {
        {"nothing set", {0x00, 0x00, 0x00, 0x00}, {0, 1, 0, 0, 0, 0, 0, 0, 0}},
        {"drawer", {0x04, 0x00, 0x00, 0x00}, {1, 1, 0, 0, 0, 0, 0, 0, 0}},
        {"off line", {0x08, 0x00, 0x00, 0x00}, {0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"cover", {0x00, 0x04, 0x00, 0x00}, {0, 1, 1, 0, 0, 0, 0, 0, 0}},
        {"feed button", {0x00, 0x08, 0x00, 0x00}, {0, 1, 0, 1, 0, 0, 0, 0, 0}},
        {"auto cutter", {0x00, 0x00, 0x08, 0x00}, {0, 1, 0, 0, 1, 0, 0, 0, 0}},
        {"unrecoverable", {0x00, 0x00, 0x20, 0x00}, {0, 1, 0, 0, 0, 1, 0, 0, 0}},
        {"autorecoverable", {0x00, 0x00, 0x40, 0x00}, {0, 1, 0, 0, 0, 0, 1, 0, 0}},
        {"near end needs both bits", {0x00, 0x00, 0x00, 0x0C}, {0, 1, 0, 0, 0, 0, 0, 1, 0}},
        {"one near-end bit", {0x00, 0x00, 0x00, 0x04}, {0, 1, 0, 0, 0, 0, 0, 0, 0}},
        {"other near-end bit", {0x00, 0x00, 0x00, 0x08}, {0, 1, 0, 0, 0, 0, 0, 0, 0}},
        {"paper end needs both bits", {0x00, 0x00, 0x00, 0x60}, {0, 1, 0, 0, 0, 0, 0, 0, 1}},
        {"one paper-end bit", {0x00, 0x00, 0x00, 0x40}, {0, 1, 0, 0, 0, 0, 0, 0, 0}},
        {"unused bits", {0xF3, 0xF3, 0x97, 0x93}, {0, 1, 0, 0, 0, 0, 0, 0, 0}},
        {"the answer 08 0C 48 6C", {0x08, 0x0C, 0x48, 0x6C}, {0, 0, 1, 1, 1, 0, 1, 1, 1}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(pos::printer::decodeDleStatus(c.group), c.expected) << c.name;
    }
}

TEST(StatusDecoder, AsbReportBits) {
    const DecodeCase cases[] = {
        {"nothing set", {0x00, 0x00, 0x00, 0x00}, {0, 1, 0, 0, 0, 0, 0, 0, 0}},
        {"drawer", {0x04, 0x00, 0x00, 0x00}, {1, 1, 0, 0, 0, 0, 0, 0, 0}},
        {"off line", {0x08, 0x00, 0x00, 0x00}, {0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"cover", {0x20, 0x00, 0x00, 0x00}, {0, 1, 1, 0, 0, 0, 0, 0, 0}},
        {"feed button", {0x40, 0x00, 0x00, 0x00}, {0, 1, 0, 1, 0, 0, 0, 0, 0}},
        {"auto cutter", {0x00, 0x08, 0x00, 0x00}, {0, 1, 0, 0, 1, 0, 0, 0, 0}},
        {"unrecoverable", {0x00, 0x20, 0x00, 0x00}, {0, 1, 0, 0, 0, 1, 0, 0, 0}},
        {"autorecoverable", {0x00, 0x40, 0x00, 0x00}, {0, 1, 0, 0, 0, 0, 1, 0, 0}},
        {"near end needs both bits", {0x00, 0x00, 0x03, 0x00}, {0, 1, 0, 0, 0, 0, 0, 1, 0}},
        {"one near-end bit", {0x00, 0x00, 0x01, 0x00}, {0, 1, 0, 0, 0, 0, 0, 0, 0}},
        {"paper end needs both bits", {0x00, 0x00, 0x0C, 0x00}, {0, 1, 0, 0, 0, 0, 0, 0, 1}},
        {"one paper-end bit", {0x00, 0x00, 0x08, 0x00}, {0, 1, 0, 0, 0, 0, 0, 0, 0}},
        {"unused bits, fourth byte too", {0x93, 0x97, 0xF0, 0xFF}, {0, 1, 0, 0, 0, 0, 0, 0, 0}},
        {"the simulator's cover-open report",
         {0x38, 0x00, 0x00, 0x00},
         {0, 0, 1, 0, 0, 0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(pos::printer::decodeAsbStatus(c.group), c.expected) << c.name;
    }
}

TEST(StatusDecoder, EventsComeInTheOrderCoverNearEndPaperEnd) {
    const StatusFlags clear;
    const StatusFlags coverAndNearEnd =
        pos::printer::decodeAsbStatus(std::array<std::uint8_t, 4>{0x20, 0x00, 0x03, 0x00});
    const StatusFlags nearAndPaperEnd =
        pos::printer::decodeAsbStatus(std::array<std::uint8_t, 4>{0x00, 0x00, 0x0F, 0x00});
    const StatusFlags drawerOffLineFeed =
        pos::printer::decodeAsbStatus(std::array<std::uint8_t, 4>{0x4C, 0x68, 0x00, 0x00});
    struct Case {
        const char* name;
        StatusFlags from;
        StatusFlags to;
        std::vector<std::int32_t> events;
    };
    const Case cases[] = {
        {"cover opens and paper runs low",
         clear,
         coverAndNearEnd,
         {PTR_SUE_COVER_OPEN, PTR_SUE_REC_NEAREMPTY}},
        {"both clear again", coverAndNearEnd, clear, {PTR_SUE_COVER_OK, PTR_SUE_REC_PAPEROK}},
        {"near end and paper end at once",
         clear,
         nearAndPaperEnd,
         {PTR_SUE_REC_NEAREMPTY, PTR_SUE_REC_EMPTY}},
        {"both paper flags clear: paper ok twice",
         nearAndPaperEnd,
         clear,
         {PTR_SUE_REC_PAPEROK, PTR_SUE_REC_PAPEROK}},
        {"no change", coverAndNearEnd, coverAndNearEnd, {}},
        {"drawer, line, feed and cutter are not events", clear, drawerOffLineFeed, {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(pos::printer::statusChangeEvents(c.from, c.to), c.events) << c.name;
    }
}

class StatusReading : public ::testing::Test {
  protected:
    StatusReading() : trace({.recordingHeader = false, .rawFile = false}, folder.path().string()) {
        trace.setEnabled(true);
    }
    std::string traced() { return pos::test::readFile(trace.textPath()); }

    pos::test::TempFolder folder;
    pos::TraceLog trace;
    pos::printer::PrinterStatus current;
    StatusFlags asb;
};

TEST_F(StatusReading, DleAnswerIsTracedBitByBitAndTheLastGroupCounts) {
    StatusFlags query;
    const Bytes answer{0x08, 0x0C, 0x48, 0x6C, 0x04, 0x00, 0x00, 0x00};
    pos::printer::decodeDleAnswer(answer, query, trace);
    EXPECT_EQ(query, (StatusFlags{1, 1, 0, 0, 0, 0, 0, 0, 0}));
    const std::string firstGroupFlags =
        "DLE Cashdrawer     :0\nDLE Online         :0\nDLE Cover Open     :1\nDLE Feed Button    "
        ":1\n"
        "DLE Auto cutter    :1\nDLE Unrecoverable  :0\nDLE Autorecoverable:1\nDLE Paper Near End "
        ":1\n"
        "DLE Paper End      :1\n";
    EXPECT_EQ(traced(),
              "DLE Buffer[0]:0x8\nDLE Buffer[1]:0xc\nDLE Buffer[2]:0x48\nDLE Buffer[3]:0x6c\n"
              "DLE Set ID:0\nDLE Byte[0]:00001000\nDLE Byte[1]:00001100\nDLE Byte[2]:01001000\n"
              "DLE Byte[4]:01101100\n" +
                  firstGroupFlags +
                  "DLE Set ID:1\nDLE Byte[0]:00000100\nDLE Byte[1]:00000000\nDLE Byte[2]:00000000\n"
                  "DLE Byte[4]:00000000\n"
                  "DLE Cashdrawer     :1\nDLE Online         :1\nDLE Cover Open     :0\nDLE Feed "
                  "Button    :0\n"
                  "DLE Auto cutter    :0\nDLE Unrecoverable  :0\nDLE Autorecoverable:0\nDLE Paper "
                  "Near End :0\n"
                  "DLE Paper End      :0\n");
}

TEST_F(StatusReading, AsbReportFiresBetweenItsBitsAndItsFlags) {
    std::vector<std::uint8_t> coverSeenByHandler;
    pos::printer::decodeAsbReport(Bytes{0x20, 0x00, 0x03, 0x00}, asb, current, trace,
                                  [&](std::int32_t status) {
                                      coverSeenByHandler.push_back(current.CoverOpen);
                                      trace.Write("fired %d\n", status);
                                  });
    // A handler reading the status properties already sees what it is told about.
    EXPECT_EQ(coverSeenByHandler, (std::vector<std::uint8_t>{1, 1}));
    EXPECT_EQ(traced(),
              "ASB Buffer[0]:0x20\nASB Buffer[1]:0x0\nASB Buffer[2]:0x3\nASB Buffer[3]:0x0\n"
              "ASB Set ID:0\nASB Byte[0]:00100000\nASB Byte[1]:00000000\nASB Byte[2]:00000011\n"
              "ASB Byte[4]:00000000\n"
              "fired 11\nfired 25\n"
              "ASB Cashdrawer     :0\nASB Online         :1\nASB Cover Open     :1\nASB Feed "
              "Button    :0\n"
              "ASB Auto cutter    :0\nASB Unrecoverable  :0\nASB Autorecoverable:0\nASB Paper Near "
              "End :1\n"
              "ASB Paper End      :0\n");
}

TEST_F(StatusReading, TwoAsbGroupsInOneReadAreComparedInTurn) {
    std::vector<std::int32_t> fired;
    const auto fire = [&](std::int32_t status) { fired.push_back(status); };
    pos::printer::decodeAsbReport(Bytes{0x20, 0x00, 0x03, 0x00, 0x00, 0x00, 0x0C, 0x00}, asb,
                                  current, trace, fire);
    EXPECT_EQ(fired, (std::vector<std::int32_t>{PTR_SUE_COVER_OPEN, PTR_SUE_REC_NEAREMPTY,
                                                PTR_SUE_COVER_OK, PTR_SUE_REC_PAPEROK,
                                                PTR_SUE_REC_EMPTY}));
    EXPECT_EQ(current.flags(), (StatusFlags{0, 1, 0, 0, 0, 0, 0, 0, 1}));
    EXPECT_EQ(asb, current.flags());
    EXPECT_NE(
        traced().find(
            "ASB Set ID:1\nASB Byte[0]:00000000\nASB Byte[1]:00000000\nASB Byte[2]:00001100\n"),
        std::string::npos);

    fired.clear();
    pos::printer::decodeAsbReport(Bytes{0x00, 0x00, 0x00, 0x00}, asb, current, trace, fire);
    EXPECT_EQ(fired, (std::vector<std::int32_t>{PTR_SUE_REC_PAPEROK}));
}

}  // namespace
