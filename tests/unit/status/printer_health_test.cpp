// The health check (a test printout, the health text, and status monitoring started in every
// case) and DirectIO (a string followed by any numbered command).
#include <gtest/gtest.h>

#include "fakes/printer_fixture.h"
#include "opos_constants.h"
#include "status/status_fixture.h"

namespace {

using namespace pos::opos;
using pos::testing::Bytes;
using pos::testing::kAsbOn;
using pos::testing::kStatusRequest;
using Health = pos::testing::StatusFixture;

Bytes printout(const std::string& heading, const std::string& test) {
    Bytes bytes{0x1B, 0x40, 0x1B, 0x32};
    bytes.insert(bytes.end(), heading.begin(), heading.end());
    bytes.insert(bytes.end(), test.begin(), test.end());
    return bytes;
}

const std::string kComTest = "OPOS is ready.\nInterface:COM\n\n\n\n\n\n\n\n\n";
const std::string kUsbTest = "OPOS is ready.\nInterface:USB\n\n\n\n\n\n\n\n\n";

TEST_F(Health, EachLevelPrintsItsHeadingAndSetsItsTextOnASerialPrinter) {
    struct Level {
        std::int32_t level;
        const char* heading;
        const char* text;
    };
    const Level levels[] = {
        {OPOS_CH_INTERNAL, "Internal HCheck !!\n", "Internal is health\n"},
        {OPOS_CH_EXTERNAL, "External HCheck !!\n", "External is health\n"},
        {OPOS_CH_INTERACTIVE, "Interactive HCheck !!\n", "Interactive is health\n"},
    };
    line.answer(kStatusRequest, {0x12, 0x12, 0x12, 0x12});
    openSerial(&target);
    for (const auto& l : levels) {
        SCOPED_TRACE(l.level);
        const std::size_t before = line.writes().size();
        EXPECT_EQ(service->CheckHealth(l.level), OPOS_SUCCESS);
        const auto writes = line.writes();
        EXPECT_EQ(
            std::vector<Bytes>(writes.begin() + static_cast<std::ptrdiff_t>(before), writes.end()),
            (std::vector<Bytes>{printout(l.heading, kComTest), kStatusRequest, kAsbOn}));
        EXPECT_EQ(service->state().CheckHealthText, l.text);
    }
    EXPECT_FALSE(service->state().DeviceEnabled);
    enable(false);
}

TEST_F(Health, ExternalCheckOnAUsbPrinterNamesTheInterface) {
    openUsb(&target);
    EXPECT_EQ(service->CheckHealth(OPOS_CH_EXTERNAL), OPOS_SUCCESS);
    const auto writes = usbWrites();
    ASSERT_EQ(writes.size(), 4u);  // after the start commands of OpenService
    EXPECT_EQ(writes[1], printout("External HCheck !!\n", kUsbTest));
    EXPECT_EQ(writes[2], kStatusRequest);
    EXPECT_EQ(writes[3], kAsbOn);
    EXPECT_EQ(service->state().CheckHealthText, "External is health\n");
    enable(false);
}

TEST_F(Health, ALevelOutsideOneToThreePrintsNothingButStillStartsMonitoring) {
    line.answer(kStatusRequest, {0x12, 0x12, 0x12, 0x12});
    openSerial(&target);
    ASSERT_EQ(service->CheckHealth(OPOS_CH_INTERNAL), OPOS_SUCCESS);
    for (const std::int32_t level : {4, 0, -1}) {
        SCOPED_TRACE(level);
        const std::size_t before = line.writes().size();
        const std::size_t mark = traceLines().size();
        EXPECT_EQ(service->CheckHealth(level), OPOS_E_ILLEGAL);
        const auto writes = line.writes();
        EXPECT_EQ(
            std::vector<Bytes>(writes.begin() + static_cast<std::ptrdiff_t>(before), writes.end()),
            (std::vector<Bytes>{kStatusRequest, kAsbOn}));
        EXPECT_EQ(service->state().CheckHealthText, "Internal is health\n");
        char heading[64];
        std::snprintf(heading, sizeof heading, "CheckHealth:0x%x\n", static_cast<unsigned>(level));
        EXPECT_EQ(
            traceFrom(mark).rfind(std::string(heading) + "CheckHealth:Level error OPOS_E_ILLEGAL\n"
                                                         "ASBStart:Start Auto status Back\n",
                                  0),
            0u);
    }
    enable(false);
}

TEST_F(Health, CheckWhileDisabledLeavesMonitoringOn) {
    line.answer(kStatusRequest, {0x12, 0x12, 0x12, 0x12});
    openSerial(&target);
    const std::size_t mark = traceLines().size();
    EXPECT_EQ(service->CheckHealth(OPOS_CH_INTERNAL), OPOS_SUCCESS);
    EXPECT_EQ(traceFrom(mark).rfind("CheckHealth:0x1\nASBStart:Start Auto status Back\n", 0), 0u);
    EXPECT_NE(traceFrom(mark).find("CreateASBThread:Thread create success!\n"), std::string::npos);
    line.feed({0x20, 0x00, 0x00, 0x00});
    EXPECT_EQ(target.waitForStatuses(1), (std::vector<std::int32_t>{PTR_SUE_COVER_OPEN}));
    enable(false);
}

using DirectIO = pos::testing::PrinterFixture;

TEST_F(DirectIO, SendsTheStringThenTheNumberedCommand) {
    struct Case {
        const char* name;
        std::int32_t number;
        std::u16string text;
        std::vector<Bytes> writes;
    };
    const Case cases[] = {
        {"initialise alone", 15, u"", {{0x1B, 0x40}}},
        {"text then cut", 19, u"AB", {{0x41, 0x42, 0x0A, 0x1D, 0x56, 0x01}}},
        {"send: the text twice", 29, u"AB", {{0x41, 0x42}, {0x41, 0x42}}},
        {"unknown number 31", 31, u"AB", {{0x41, 0x42}}},
        {"unknown number 33", 33, u"AB", {{0x41, 0x42}}},
        {"placement number 30", 30, u"AB", {{0x41, 0x42}}},
        {"negative number", -1, u"AB", {{0x41, 0x42}}},
        {"nothing command, nothing to send", 32, u"", {}},
        {"code page text up to the first NUL",
         32,
         std::u16string(u"\u00e9\u4e2d\0B", 4),
         {{0xE9, 0x3F}}},
    };
    writeSerialEntry();
    ASSERT_EQ(service->OpenService(u"POSPrinter", u"P", nullptr), OPOS_SUCCESS);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        port.writes.clear();
        std::int32_t number = c.number;
        std::u16string text = c.text;
        EXPECT_EQ(service->DirectIO(29111954, number, text), OPOS_SUCCESS);
        EXPECT_EQ(port.writes, c.writes);
        EXPECT_EQ(number, c.number);  // read, never written back
        EXPECT_EQ(text, c.text);
    }
}

TEST_F(DirectIO, ACommandChangesThePrintSettingsItStores) {
    writeSerialEntry();
    ASSERT_EQ(service->OpenService(u"POSPrinter", u"P", nullptr), OPOS_SUCCESS);
    ASSERT_EQ(service->state().Settings.PageAreaLength, 0x067E);
    std::int32_t pageArea = 10;
    std::u16string text;
    port.writes.clear();
    EXPECT_EQ(service->DirectIO(29111954, pageArea, text), OPOS_SUCCESS);
    EXPECT_EQ(port.writes,
              (std::vector<Bytes>{{0x1B, 0x57, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00}}));
    EXPECT_EQ(service->state().Settings.PageAreaLength, 0);
}

TEST_F(DirectIO, OtherCodesSendNothingAndAreRefused) {
    writeSerialEntry();
    ASSERT_EQ(service->OpenService(u"POSPrinter", u"P", nullptr), OPOS_SUCCESS);
    const std::size_t mark = traceLines().size();
    port.writes.clear();
    std::int32_t number = 15;
    std::u16string text = u"AB";
    EXPECT_EQ(service->DirectIO(1, number, text), OPOS_E_ILLEGAL);
    EXPECT_TRUE(port.writes.empty());
    std::int32_t send = 29;
    EXPECT_EQ(service->DirectIO(29111953, send, text), OPOS_E_ILLEGAL);
    EXPECT_TRUE(port.writes.empty());
    EXPECT_EQ(traceLines().substr(mark),
              "DirectIO:0x1\nDirectIO:Command fail!:OPOS_E_ILLEGAL\n"
              "DirectIO:0x1bc3691\nDirectIO:Command fail!:OPOS_E_ILLEGAL\n");
}

TEST_F(DirectIO, TracesTheCommandCode) {
    writeSerialEntry();
    ASSERT_EQ(service->OpenService(u"POSPrinter", u"P", nullptr), OPOS_SUCCESS);
    const std::size_t mark = traceLines().size();
    std::int32_t number = 32;
    std::u16string text;
    service->DirectIO(29111954, number, text);
    EXPECT_EQ(traceLines().substr(mark), "DirectIO:0x1bc3692\n");
}

}  // namespace
