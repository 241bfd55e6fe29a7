#include <gtest/gtest.h>

#include "fakes/printer_fixture.h"
#include "opos_constants.h"

namespace {

using namespace pos::opos;
using Printer = pos::testing::PrinterFixture;

TEST_F(Printer, CallsBeforeOpenServiceReachNoDeviceAndWriteNoTrace) {
    EXPECT_EQ(service->ClaimDevice(0), OPOS_SUCCESS);  // no device type: the power test passes
    EXPECT_TRUE(service->state().Claimed);
    EXPECT_EQ(service->ReleaseDevice(), OPOS_SUCCESS);
    EXPECT_EQ(service->CloseService(), OPOS_SUCCESS);
    EXPECT_EQ(service->GetPropertyNumber(PIDX_Claimed), 0);
    EXPECT_TRUE(port.openAttempts.empty());
    EXPECT_FALSE(std::filesystem::exists(dir / "OPOSDebug.txt"));
}

TEST_F(Printer, SerialOpenTracesTheConfigurationAndOpensThePort) {
    writeSerialEntry();
    EXPECT_EQ(service->OpenService(u"POSPrinter", u"KVXPrinter", nullptr), OPOS_SUCCESS);
    EXPECT_EQ(port.openedName, "COM1");
    EXPECT_EQ(port.settings.baudRate, 9600u);
    EXPECT_EQ(traceLines(),
              "OpenService:\nDeviceClass:POSPrinter,DeviceName:KVXPrinter\n"
              "OpenService:Using COM Port!\n"
              "COM1, BaudRate:9600, Parity:0, DataLength:8, StopBit:1, FlowControl:0\n");
}

TEST_F(Printer, ClaimWaitsThenTestsCtsOnASerialPrinter) {
    writeSerialEntry();
    ASSERT_EQ(service->OpenService(u"POSPrinter", u"P", nullptr), OPOS_SUCCESS);
    const std::uint32_t start = pump->now;
    EXPECT_EQ(service->ClaimDevice(1000), OPOS_E_TIMEOUT);
    EXPECT_EQ(pump->now - start, 1001u);
    EXPECT_FALSE(service->state().Claimed);
    port.cts = true;
    EXPECT_EQ(service->ClaimDevice(-1), OPOS_SUCCESS);
    EXPECT_EQ(pump->now - start, 1001u);  // OPOS_FOREVER: one dispatch pass, no wait
    EXPECT_TRUE(service->state().Claimed);
    EXPECT_EQ(service->GetPropertyNumber(PIDX_Claimed), 1);
}

TEST_F(Printer, ReleaseClosesTheLinkSoALaterClaimFailsOnCts) {
    writeSerialEntry();
    port.cts = true;
    service->OpenService(u"POSPrinter", u"P", nullptr);
    ASSERT_EQ(service->ClaimDevice(0), OPOS_SUCCESS);
    EXPECT_EQ(service->ReleaseDevice(), OPOS_SUCCESS);
    EXPECT_FALSE(port.open);
    EXPECT_FALSE(service->state().Claimed);
    EXPECT_EQ(service->ClaimDevice(0), OPOS_E_TIMEOUT);
    EXPECT_EQ(service->ReleaseDevice(), OPOS_SUCCESS);  // already closed
    EXPECT_EQ(service->CloseService(), OPOS_SUCCESS);
}

TEST_F(Printer, LifecycleTraceLines) {
    writeSerialEntry();
    service->OpenService(u"POSPrinter", u"P", nullptr);
    const std::string before = traceLines();
    service->ClaimDevice(1000);
    service->COFreezeEvents(1);
    service->ReleaseDevice();
    service->CloseService();
    EXPECT_EQ(traceLines().substr(before.size()),
              "ClaimDevice:0x3e8\nClaimDevice:OPOS_E_TIMEOUT\n"
              "======ReleaseDevice======\n======CloseService=====\n");
}

TEST_F(Printer, RefusedMethodsTraceAndAnswerIllegalWhateverTheArguments) {
    writeSerialEntry();
    service->OpenService(u"POSPrinter", u"P", nullptr);
    const std::string before = traceLines();
    const std::size_t writesBefore = port.writes.size();
    std::u16string buffer = u"stats";
    pos::component::LongOut firmware;
    const std::pair<const char*, std::int32_t> calls[] = {
        {"BeginInsertion", service->BeginInsertion(-1)},
        {"BeginRemoval", service->BeginRemoval(0)},
        {"EndInsertion", service->EndInsertion()},
        {"EndRemoval", service->EndRemoval()},
        {"PrintTwoNormal", service->PrintTwoNormal(2, u"a", u"b")},
        {"SetLogo", service->SetLogo(1, u"")},
        {"ValidateData", service->ValidateData(2, u"x")},
        {"ChangePrintSide", service->ChangePrintSide(0)},
        {"MarkFeed", service->MarkFeed(1)},
        {"ResetStatistics", service->ResetStatistics(u"")},
        {"RetrieveStatistics", service->RetrieveStatistics(buffer)},
        {"UpdateStatistics", service->UpdateStatistics(u"")},
        {"CompareFirmwareVersion", service->CompareFirmwareVersion(u"fw", firmware)},
        {"UpdateFirmware", service->UpdateFirmware(u"fw")},
        {"ClearPrintArea", service->ClearPrintArea()},
        {"PageModePrint", service->PageModePrint(1)},
        {"DrawRuledLine", service->DrawRuledLine(2, u"0,10", 1, 1, 1, 1)},
    };
    std::string expected;
    for (const auto& [name, rc] : calls) {
        EXPECT_EQ(rc, OPOS_E_ILLEGAL) << name;
        expected += std::string(name) + ":Aways return OPOS_E_ILLEGAL\n";
    }
    EXPECT_EQ(traceLines().substr(before.size()), expected);
    EXPECT_FALSE(firmware.value.has_value());
    EXPECT_EQ(buffer, u"stats");
    EXPECT_EQ(port.writes.size(), writesBefore);
}

TEST_F(Printer, FreezeEventsAnswersSuccessAndChangesNothing) {
    EXPECT_EQ(service->COFreezeEvents(1), OPOS_SUCCESS);
    EXPECT_EQ(service->COFreezeEvents(0), OPOS_SUCCESS);
    EXPECT_EQ(service->GetPropertyNumber(PIDX_FreezeEvents), 0);
}

struct OpenFailure {
    const char* name;
    std::function<void(pos::testing::PrinterFixture&)> arrange;
};

TEST_F(Printer, OpenServiceFailsWithoutAnOpenableInterface) {
    // Each case gets a fresh store and port.
    const OpenFailure cases[] = {
        {"no device entry", [](auto&) {}},
        {"device type in lower case",
         [](auto& f) {
             f.writeSerialEntry();
             f.writeText("DeviceType", "com");
         }},
        {"device type Other",
         [](auto& f) {
             f.writeSerialEntry();
             f.writeText("DeviceType", "Other");
         }},
        {"port does not open",
         [](auto& f) {
             f.writeSerialEntry();
             f.port.failOpen = true;
         }},
        {"USB with no device present",
         [](auto& f) {
             f.writeSerialEntry();
             f.writeText("DeviceType", "USB");
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(registryPath);
        port = {};
        c.arrange(*this);
        EXPECT_EQ(service->OpenService(u"POSPrinter", u"P", nullptr), OPOS_E_ILLEGAL);
    }
    EXPECT_NE(traceText().find("OpenService:Initial interface fail!\n"), std::string::npos);
}

TEST_F(Printer, ConfigurationFollowsTheProcessorArchitecture) {
    writeSerialEntry(0x10, pos::printer::kWow64DeviceKey);
    writeText("COMPORT", "COM7", pos::printer::kWow64DeviceKey);
    writeText("PROCESSOR_ARCHITECTURE", "AMD64", pos::printer::kEnvironmentKey);
    EXPECT_EQ(service->OpenService(u"POSPrinter", u"P", nullptr), OPOS_SUCCESS);
    EXPECT_EQ(port.openedName, "COM7");
    writeText("PROCESSOR_ARCHITECTURE", "ARM64", pos::printer::kEnvironmentKey);
    EXPECT_EQ(service->OpenService(u"POSPrinter", u"P", nullptr),
              OPOS_E_ILLEGAL);  // plain key is empty
}

TEST_F(Printer, TracingOnceSwitchedOnStaysOn) {
    writeSerialEntry(0x11);
    service->OpenService(u"POSPrinter", u"P", nullptr);
    writeNumber("Option", 0);
    service->CloseService();
    service->OpenService(u"POSPrinter", u"Second", nullptr);
    EXPECT_NE(traceText().find("DeviceName:Second"), std::string::npos);
}

TEST_F(Printer, PaperWidthRule) {
    const std::pair<const char*, std::int32_t> cases[] = {
        {" 2\" / 58mm", 32}, {" 3\" / 80mm", 48}, {"x", 48}, {nullptr, 48}};
    for (const auto& [text, chars] : cases) {
        std::filesystem::remove(registryPath);
        writeSerialEntry();
        if (text != nullptr) {
            writeText("PaperWidth", text);
        } else {
            store()->deleteValue(pos::platform::Hive::LocalMachine, pos::printer::kDeviceKey,
                                 "PaperWidth");
        }
        service->OpenService(u"POSPrinter", u"P", nullptr);
        EXPECT_EQ(service->GetPropertyNumber(8016), chars) << (text ? text : "missing");
        EXPECT_EQ(service->GetPropertyNumber(8020), chars == 32 ? 384 : 576);
    }
}

}  // namespace
