// The four property methods: what every known index answers, which writes stick, the trace
// lines, and which values survive an OpenService.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

#include "fakes/printer_fixture.h"
#include "opos_constants.h"

namespace {

using namespace pos::opos;
using pos::printer::PrinterState;

class Properties : public pos::testing::PrinterFixture {
  protected:
    // A serial printer with CTS off (no identification exchange), tracing on, 80 mm paper.
    void open() { ASSERT_EQ(service->OpenService(u"POSPrinter", u"P", nullptr), OPOS_SUCCESS); }

    // The status thread and the health check own these fields; tests stand in for them.
    PrinterState& writableState() { return const_cast<PrinterState&>(service->state()); }

    // Trace lines written by `call`.
    template <typename Call>
    std::string traceOf(Call call) {
        const std::string before = traceLines();
        call();
        return traceLines().substr(before.size());
    }

    std::int32_t read(std::int32_t index) { return service->GetPropertyNumber(index); }
};

std::string hex(std::int32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%x", static_cast<unsigned>(value));
    return text;
}

struct NumberCase {
    std::int32_t index;
    const char* name;  // nullptr: an index the printer does not know
    std::int32_t value;
};

// Right after OpenService of a serial printer whose CTS is off, 3" paper, printer on line.
const NumberCase kReadsAfterOpen[] = {
    {1, "PIDX_Claimed", 0},
    {3, "PIDX_DeviceEnabled", 0},
    {4, "PIDX_FreezeEvents", 0},
    {5, "PIDX_OutputID", 0},
    {7, "PIDX_ResultCodeExtended", 0},
    {8, "PIDX_ServiceObjectVersion", 1013001},
    {11, "PIDX_BinaryConversion", 0},
    {13, "PIDX_PowerNotify", 0},
    {14, "PIDX_PowerState", 2003},
    {501, "PIDX_CapPowerReporting", 1},
    {502, "PIDX_CapStatisticsReporting", 0},
    {503, "PIDX_CapUpdateStatistics", 0},
    {504, "PIDX_CapCompareFirmwareVersion", 0},
    {505, "PIDX_CapUpdateFirmware", 0},
    {8001, "PIDXPtr_AsyncMode", 0},
    {8002, "PIDXPtr_CharacterSet", 437},
    {8003, "PIDXPtr_CoverOpen", 0},
    {8004, "PIDXPtr_ErrorStation", 0},
    {8005, "PIDXPtr_FlagWhenIdle", 0},
    {8013, "PIDXPtr_MapMode", 1},
    {8014, "PIDXPtr_RecEmpty", 0},
    {8015, "PIDXPtr_RecLetterQuality", 0},
    {8016, "PIDXPtr_RecLineChars", 48},
    {8017, "PIDXPtr_RecLineHeight", 24},
    {8018, "PIDXPtr_RecLineSpacing", 30},
    {8019, "PIDXPtr_RecLinesToPaperCut", 4},
    {8020, "PIDXPtr_RecLineWidth", 576},
    {8021, "PIDXPtr_RecNearEnd", 0},
    {8022, "PIDXPtr_RecSidewaysMaxChars", 82},
    {8023, "PIDXPtr_RecSidewaysMaxLines", 19},
    {8035, "PIDXPtr_ErrorLevel", 1},
    {8036, "PIDXPtr_RotateSpecial", 1},
    {8037, "PIDXPtr_CartridgeNotify", 0},
    {8040, "PIDXPtr_RecCartridgeState", 0x10000000},
    {8041, "PIDXPtr_RecCurrentCartridge", 1},
    {8504, "PIDXPtr_CapCoverSensor", 1},
    {8515, "PIDXPtr_CapRec2Color", 0},
    {8516, "PIDXPtr_CapRecBarCode", 1},
    {8517, "PIDXPtr_CapRecBitmap", 1},
    {8518, "PIDXPtr_CapRecBold", 1},
    {8519, "PIDXPtr_CapRecDhigh", 1},
    {8520, "PIDXPtr_CapRecDwide", 1},
    {8521, "PIDXPtr_CapRecDwideDhigh", 1},
    {8522, "PIDXPtr_CapRecEmptySensor", 1},
    {8523, "PIDXPtr_CapRecItalic", 0},
    {8524, "PIDXPtr_CapRecLeft90", 1},
    {8525, "PIDXPtr_CapRecNearEndSensor", 1},
    {8526, "PIDXPtr_CapRecPapercut", 1},
    {8527, "PIDXPtr_CapRecPresent", 1},
    {8528, "PIDXPtr_CapRecRight90", 1},
    {8529, "PIDXPtr_CapRecRotate180", 1},
    {8530, "PIDXPtr_CapRecStamp", 0},
    {8531, "PIDXPtr_CapRecUnderline", 1},
    {8548, "PIDXPtr_CapCharacterSet", 998},
    {8549, "PIDXPtr_CapTransaction", 1},
    {8552, "PIDXPtr_CapRecCartridgeSensor", 0},
    {8553, "PIDXPtr_CapRecColor", 1},
    {8554, "PIDXPtr_CapRecMarkFeed", 0},
    {8558, "PIDXPtr_CapMapCharacterSet", 0},
    {8559, "PIDXPtr_CapConcurrentPageMode", 0},
    {8560, "PIDXPtr_CapRecPageMode", 0},
    // Journal, slip, data-event and made-up indices.
    {0, nullptr, 0},
    {2, nullptr, 0},
    {6, nullptr, 0},
    {9, nullptr, 0},
    {8006, nullptr, 0},
    {8501, nullptr, 0},
    {1000001, nullptr, 0},
    {-1, nullptr, 0},
};

TEST_F(Properties, EveryReadIndexAnswersItsValueAndNamesItselfInTheTrace) {
    writeSerialEntry();
    open();
    for (const NumberCase& c : kReadsAfterOpen) {
        SCOPED_TRACE(c.index);
        std::int32_t value = -12345;
        const std::string trace = traceOf([&] { value = read(c.index); });
        EXPECT_EQ(value, c.value);
        std::string expected = "GetPropertyNumber:PropIndex:0x" + hex(c.index) + "\n";
        if (c.name != nullptr) expected += ":" + std::string(c.name) + "\n";
        if (c.index == 8041) expected += ":PIDXPtr_RecCurrentCartridge\n";
        expected += "return pNumber:0x" + hex(c.value) + "\n";
        EXPECT_EQ(trace, expected);
    }
    EXPECT_EQ(port.writes.size(), 1u) << "reads send nothing after the start commands";
}

TEST_F(Properties, ReadTraceLinesAsWritten) {
    writeSerialEntry();
    open();
    EXPECT_EQ(traceOf([&] { read(1); }),
              "GetPropertyNumber:PropIndex:0x1\n:PIDX_Claimed\nreturn pNumber:0x0\n");
    EXPECT_EQ(traceOf([&] { read(8041); }),
              "GetPropertyNumber:PropIndex:0x1f69\n"
              ":PIDXPtr_RecCurrentCartridge\n:PIDXPtr_RecCurrentCartridge\n"
              "return pNumber:0x1\n");
    EXPECT_EQ(traceOf([&] { read(8040); }),
              "GetPropertyNumber:PropIndex:0x1f68\n:PIDXPtr_RecCartridgeState\n"
              "return pNumber:0x10000000\n");
    EXPECT_EQ(traceOf([&] { read(8006); }),
              "GetPropertyNumber:PropIndex:0x1f46\nreturn pNumber:0x0\n");
    EXPECT_EQ(traceOf([&] { read(-2); }),
              "GetPropertyNumber:PropIndex:0xfffffffe\nreturn pNumber:0x0\n");
}

struct WriteCase {
    std::int32_t index;
    std::int32_t number;
    std::int32_t readBack;  // GetPropertyNumber(index) afterwards
    const char* trace;
};

TEST_F(Properties, WritesStoreWhatTheyMayAndTraceTheirName) {
    const WriteCase cases[] = {
        {4, 7, 1, "SetPropertyNumber:0x4\n:PIDX_FreezeEvents:0x7\n"},
        {4, 0, 0, "SetPropertyNumber:0x4\n:PIDX_FreezeEvents:0x0\n"},
        {13, 5, 5, "SetPropertyNumber:0xd\n:PIDX_PowerNotify:0x5\n"},
        {8001, -1, 1, "SetPropertyNumber:0x1f41\n:PIDXPtr_AsyncMode:0xffffffff\n"},
        {8002, 1252, 1252, "SetPropertyNumber:0x1f42\n:PIDXPtr_CharacterSet:1252\n"},
        {8002, 3846, 3846, "SetPropertyNumber:0x1f42\n:PIDXPtr_CharacterSet:3846\n"},
        {8002, 932, 437, "SetPropertyNumber:0x1f42\n:PIDXPtr_CharacterSet:932\n"},
        {8002, -437, 437, "SetPropertyNumber:0x1f42\n:PIDXPtr_CharacterSet:-437\n"},
        {8013, 2, 1, "SetPropertyNumber:0x1f4d\n:PIDXPtr_MapMode:0x2\n"},
        {8013, 4, 1, "SetPropertyNumber:0x1f4d\n:PIDXPtr_MapMode:0x4\n"},
        {8015, 2, 1, "SetPropertyNumber:0x1f4f\n:PIDXPtr_RecLetterQuality:0x2\n"},
        {8016, 0, 0, "SetPropertyNumber:0x1f50\n:PIDXPtr_RecLineChars:0x0\n"},
        {8016, 100000, 100000, "SetPropertyNumber:0x1f50\n:PIDXPtr_RecLineChars:0x186a0\n"},
        {8017, -3, -3, "SetPropertyNumber:0x1f51\n"},
        {8018, 99, 99, "SetPropertyNumber:0x1f52\n:PIDXPtr_RecLineSpacing:0x63\n"},
        {8036, 2, 2, "SetPropertyNumber:0x1f64\n:PIDXPtr_RotateSpecial:0x2\n"},
        // Traced, but nothing changes.
        {11, 1, 0, "SetPropertyNumber:0xb\n:PIDX_BinaryConversion:0x1\n"},
        {8041, 2, 1, "SetPropertyNumber:0x1f69\n:PIDXPtr_RecCurrentCartridge:0x2\n"},
        // Not writable at all.
        {8020, 100, 576, "SetPropertyNumber:0x1f54\n"},
        {8019, 9, 4, "SetPropertyNumber:0x1f53\n"},
        {501, 0, 1, "SetPropertyNumber:0x1f5\n"},
        {1, 1, 0, "SetPropertyNumber:0x1\n"},
        {8, 1, 1013001, "SetPropertyNumber:0x8\n"},
    };
    writeSerialEntry();
    for (const WriteCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.index) + " := " + std::to_string(c.number));
        open();  // each case starts from the defaults
        const std::size_t writesBefore = port.writes.size();
        EXPECT_EQ(traceOf([&] { service->SetPropertyNumber(c.index, c.number); }), c.trace);
        EXPECT_EQ(read(c.index), c.readBack);
        EXPECT_EQ(port.writes.size(), writesBefore) << "a property write sent bytes";
    }
}

TEST_F(Properties, DeviceEnabledReadsBack103AndAnyNonZeroEnables) {
    writeSerialEntry();
    open();
    // Enabling goes on to start status monitoring, whose lines follow.
    EXPECT_EQ(traceOf([&] {
                  service->SetPropertyNumber(PIDX_DeviceEnabled, 1);
              }).rfind("SetPropertyNumber:0x3\n:PIDXDisp_DeviceEnabled:0x1\nASBStart:", 0),
              0u);
    EXPECT_EQ(read(PIDX_DeviceEnabled), 103);
    service->SetPropertyNumber(PIDX_DeviceEnabled, 0);
    EXPECT_EQ(read(PIDX_DeviceEnabled), 0);
    EXPECT_EQ(traceOf([&] {
                  service->SetPropertyNumber(PIDX_DeviceEnabled, 5);
              }).rfind("SetPropertyNumber:0x3\n:PIDXDisp_DeviceEnabled:0x5\nASBStart:", 0),
              0u);
    EXPECT_EQ(read(PIDX_DeviceEnabled), 103);
    service->SetPropertyNumber(PIDX_DeviceEnabled, -1);
    EXPECT_EQ(read(PIDX_DeviceEnabled), 103);
    service->SetPropertyNumber(PIDX_DeviceEnabled, 0);
    EXPECT_EQ(read(PIDX_DeviceEnabled), 0);
}

TEST_F(Properties, CharacterSetAcceptsExactlyTheListedCodePages) {
    writeSerialEntry();
    open();
    const std::u16string list = service->GetPropertyString(1008001);
    std::stringstream entries(std::string(list.begin(), list.end()));
    std::string entry;
    int count = 0;
    while (std::getline(entries, entry, ',')) {
        const std::int32_t page = std::stoi(entry);
        service->SetPropertyNumber(8002, page);
        EXPECT_EQ(read(8002), page) << "listed but refused";
        ++count;
    }
    EXPECT_EQ(count, 26);
    service->SetPropertyNumber(8002, 850);
    for (std::int32_t refused : {0, 1, 436, 438, 932, 1254, 3842, 3847, 65001, -850}) {
        service->SetPropertyNumber(8002, refused);
        EXPECT_EQ(read(8002), 850) << refused << " was accepted";
    }
}

struct StringCase {
    std::int32_t index;
    const char* name;  // nullptr: no name line
    const char* text;
};

TEST_F(Properties, StringReadsAnswerTheirTextAndTraceIt) {
    const StringCase cases[] = {
        {1000002, "PIDX_DeviceDescription", "KVX POS Printer"},
        {1000003, "PIDX_DeviceName", "KVX"},
        {1000004, "PIDX_ServiceObjectDescription", "POS Printer OPOS Service Object."},
        {1008001, "PIDXPtr_CharacterSetList",
         "437,737,850,851,852,855,857,858,860,861,862,863,864,865,866,869,928,1250,1251,1252,"
         "1253,1257,3843,3844,3845,3846"},
        {1008003, nullptr, "32,42,16"},
        {1008005, "PIDXPtr_ErrorString", ""},
        {1008006, "PIDXPtr_FontTypefaceList", ""},
        {1008007, "PIDXPtr_RecBarCodeRotationList", "0,R90,L90,180"},
        {1008009, "PIDXPtr_RecBitmapRotationList", ""},
        {1008011, "PIDXPtr_PageModeArea", ""},
        {1008012, "PIDXPtr_PageModePrintArea", ""},
        // Journal and slip lists, a number index and made-up ones.
        {1008002, nullptr, "EMPTY"},
        {1008004, nullptr, "EMPTY"},
        {1000005, nullptr, "EMPTY"},
        {8002, nullptr, "EMPTY"},
        {-1, nullptr, "EMPTY"},
    };
    writeSerialEntry();
    open();
    for (const StringCase& c : cases) {
        SCOPED_TRACE(c.index);
        std::u16string value = u"unset";
        const std::string trace = traceOf([&] { value = service->GetPropertyString(c.index); });
        const std::string text = c.text;
        EXPECT_EQ(value, std::u16string(text.begin(), text.end()));
        std::string expected = "GetPropertyString:PropIndex:0x" + hex(c.index) + "\n";
        if (c.name != nullptr) expected += ":" + std::string(c.name) + "\n";
        expected += "return pString:" + text + "\n";
        EXPECT_EQ(trace, expected);
    }
    EXPECT_EQ(traceOf([&] { service->GetPropertyString(1008005); }),
              "GetPropertyString:PropIndex:0xf6185\n:PIDXPtr_ErrorString\nreturn pString:\n");
    EXPECT_EQ(traceOf([&] { service->GetPropertyString(1008002); }),
              "GetPropertyString:PropIndex:0xf6182\nreturn pString:EMPTY\n");
}

TEST_F(Properties, ReadingCheckHealthTextRunsTheInteractiveCheckFirst) {
    writeSerialEntry();
    open();
    writableState().CheckHealthText = "Earlier text\n";
    std::u16string value;
    const std::string trace = traceOf([&] { value = service->GetPropertyString(1000001); });
    const std::string& text = service->state().CheckHealthText;
    EXPECT_EQ(value, std::u16string(text.begin(), text.end()));
    const std::string head = "GetPropertyString:PropIndex:0xf4241\n:PIDX_CheckHealthText\n";
    const std::string tail = "return pString:" + text + "\n";
    ASSERT_GE(trace.size(), head.size() + tail.size());
    EXPECT_EQ(trace.substr(0, head.size()), head);
    EXPECT_EQ(trace.substr(trace.size() - tail.size()), tail);
    const std::string between = trace.substr(head.size(), trace.size() - head.size() - tail.size());
    EXPECT_EQ(between.rfind("CheckHealth:", 0), 0u) << "the health check did not run: " << trace;
}

TEST_F(Properties, SetPropertyStringOnlyTraces) {
    writeSerialEntry();
    open();
    EXPECT_EQ(traceOf([&] { service->SetPropertyString(1000003, u"Other"); }),
              "SetPropertyString:0xf4243,Other\n");
    EXPECT_EQ(service->GetPropertyString(1000003), u"KVX");
    EXPECT_EQ(traceOf([&] { service->SetPropertyString(-1, std::u16string(u"a\0b", 3)); }),
              "SetPropertyString:0xffffffff,a\n");
}

TEST_F(Properties, PowerStateFollowsCtsOnASerialPrinterOnly) {
    EXPECT_EQ(read(14), 2001);  // no device type before OpenService
    writeSerialEntry();
    open();
    EXPECT_EQ(read(14), 2003);
    port.cts = true;
    EXPECT_EQ(read(14), 2001);
    port.cts = false;
    EXPECT_EQ(read(14), 2003);

    writeText("DeviceType", "USB");
    service->OpenService(u"POSPrinter", u"P", nullptr);  // no USB transport here: the open fails
    EXPECT_EQ(read(14), 2001);
}

TEST_F(Properties, StatusPropertiesComeFromTheCurrentStatus) {
    writeSerialEntry();
    open();
    pos::printer::PrinterStatus& status = writableState().CurrentStatus;
    status.Online = 0;
    EXPECT_EQ(read(8004), 1);
    status.Online = 1;
    EXPECT_EQ(read(8004), 0);
    status.CoverOpen = 1;
    status.PaperEnd = 1;
    status.PaperNearEnd = 1;
    EXPECT_EQ(read(8003), 1);
    EXPECT_EQ(read(8014), 1);
    EXPECT_EQ(read(8021), 1);
    status.PaperEnd = 0;
    EXPECT_EQ(read(8003), 1);
    EXPECT_EQ(read(8014), 0);
    EXPECT_EQ(read(8021), 1);
}

TEST_F(Properties, BeforeTheFirstOpenServiceEverythingIsZeroAndNoCodePageIsAccepted) {
    for (std::int32_t index :
         {3, 501, 8002, 8013, 8016, 8017, 8018, 8019, 8020, 8022, 8023, 8036}) {
        EXPECT_EQ(read(index), 0) << index;
    }
    service->SetPropertyNumber(8002, 437);
    EXPECT_EQ(read(8002), 0);
    service->SetPropertyNumber(8016, 40);  // plain stores work from the start
    EXPECT_EQ(read(8016), 40);
    EXPECT_EQ(service->GetPropertyString(1000003), u"KVX");
    EXPECT_FALSE(std::filesystem::exists(dir / "OPOSDebug.txt"));

    writeSerialEntry();
    open();
    EXPECT_EQ(read(8002), 437);
    EXPECT_EQ(read(8016), 48);
    service->SetPropertyNumber(8002, 850);
    EXPECT_EQ(read(8002), 850);
}

TEST_F(Properties, OpenServiceResetsStoredValuesButKeepsEnabledHealthTextAndStatus) {
    writeSerialEntry();
    open();
    const std::pair<std::int32_t, std::int32_t> writes[] = {
        {4, 1},    {13, 1},   {8001, 1}, {8002, 1252}, {8015, 1},
        {8016, 7}, {8017, 7}, {8018, 7}, {8036, 7},    {PIDX_DeviceEnabled, 1}};
    for (const auto& [index, number] : writes) service->SetPropertyNumber(index, number);
    writableState().CheckHealthText = "External is health\n";
    writableState().CurrentStatus.CoverOpen = 1;
    writableState().CurrentStatus.Online = 0;

    open();
    const std::pair<std::int32_t, std::int32_t> expected[] = {
        {4, 0},     {13, 0},    {8001, 0}, {8002, 437}, {8015, 0}, {8016, 48},
        {8017, 24}, {8018, 30}, {8036, 1}, {3, 103},    {8003, 1}, {8004, 1}};
    for (const auto& [index, value] : expected) EXPECT_EQ(read(index), value) << index;
    EXPECT_EQ(service->state().CheckHealthText, "External is health\n");
    service->SetPropertyNumber(PIDX_DeviceEnabled, 0);
}

TEST_F(Properties, NarrowPaperSetsLineCharsAndWidthButLineCharsStaysWritable) {
    writeSerialEntry();
    writeText("PaperWidth", " 2\" / 58mm");
    open();
    EXPECT_EQ(read(8016), 32);
    EXPECT_EQ(read(8020), 384);
    service->SetPropertyNumber(8016, 48);
    EXPECT_EQ(read(8016), 48);
    EXPECT_EQ(read(8020), 384);
}

}  // namespace
