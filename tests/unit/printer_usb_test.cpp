// OpenService over USB: the interface failure when the pipes are not there, the start commands
// on pipe 2, and no pipes piling up across OpenService calls.
#include <gtest/gtest.h>

#include "fakes/printer_fixture.h"
#include "opos_constants.h"

namespace {

using namespace pos::opos;
using pos::platform::UsbInterfaceClass;
using Bytes = std::vector<std::uint8_t>;
using Writes = std::vector<std::pair<std::string, Bytes>>;

const std::string kPath =
    R"(\\?\usb#vid_03eb&pid_1101#6&1f2e3d&0&1#{28d78fad-5a12-11d1-ae5b-0000f803a8c2})";
const std::string kReadPipe = kPath + R"(\PIPE01)";
const std::string kWritePipe = kPath + R"(\PIPE02)";

struct PrinterOverUsb : pos::testing::PrinterFixture {
    void writeUsbEntry(std::uint32_t deviceId = 4353) {
        writeSerialEntry();
        writeText("DeviceType", "USB");
        writeNumber("DeviceID", deviceId);
    }
    std::int32_t open() { return service->OpenService(u"POSPrinter", u"P", nullptr); }
};

TEST_F(PrinterOverUsb, OpenServiceSendsTheStartCommandsToPipe2Only) {
    writeUsbEntry();
    usb.present[UsbInterfaceClass::Printer] = {kPath};
    EXPECT_EQ(open(), OPOS_SUCCESS);
    EXPECT_EQ(traceLines(),
              "OpenService:\nDeviceClass:POSPrinter,DeviceName:P\nOpenService:Using USB Port!\n");
    EXPECT_EQ(usb.writes, (Writes{{kWritePipe, {0x1D, 0x21, 0x00, 0x1D, 0x61, 0x0F}}}));
    EXPECT_TRUE(usb.readsFrom.empty());  // no identification exchange over USB
    EXPECT_TRUE(port.openAttempts.empty());
    EXPECT_EQ(usb.debuggerOutput, (std::vector<std::string>{kReadPipe + "\n", kWritePipe + "\n"}));
    // USB output is not copied to the raw trace.
    EXPECT_FALSE(std::filesystem::exists(dir / "OPOSDebug.raw"));
}

TEST_F(PrinterOverUsb, OpenServiceReportsTheInterfaceFailureWhenThePipesAreNotThere) {
    struct Case {
        const char* what;
        std::uint32_t deviceId;
        std::function<void(PrinterOverUsb&)> arrange;
    };
    const Case cases[] = {
        {"no device present", 4353, [](auto&) {}},
        {"a device of another vendor", 4353,
         [](auto& f) {
             f.usb.present[UsbInterfaceClass::Printer] = {R"(\\?\usb#vid_0000&pid_0202#1)"};
         }},
        {"a product id without an interface class", 4355,
         [](auto& f) { f.usb.present[UsbInterfaceClass::Printer] = {kPath}; }},
        {"the write pipe does not open", 4353,
         [](auto& f) {
             f.usb.present[UsbInterfaceClass::Printer] = {kPath};
             f.usb.refusedPipes = {kWritePipe};
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(registryPath);
        std::filesystem::remove(dir / "OPOSDebug.txt");
        usb = {};
        writeUsbEntry(c.deviceId);
        c.arrange(*this);
        EXPECT_EQ(open(), OPOS_E_ILLEGAL);
        EXPECT_NE(
            traceLines().find("OpenService:Using USB Port!\nOpenService:Initial interface fail!\n"),
            std::string::npos);
        EXPECT_TRUE(usb.openPipes.empty());
        EXPECT_TRUE(usb.writes.empty());
    }
}

TEST_F(PrinterOverUsb, UnpluggedPrinterFailsTheNextOpenServiceDespiteTheRememberedPath) {
    writeUsbEntry();
    usb.present[UsbInterfaceClass::Printer] = {kPath};
    ASSERT_EQ(open(), OPOS_SUCCESS);
    usb.present.clear();
    usb.openAttempts.clear();
    EXPECT_EQ(open(), OPOS_E_ILLEGAL);
    EXPECT_EQ(usb.openAttempts, (std::vector<std::string>{kReadPipe, kWritePipe}));
    EXPECT_TRUE(usb.openPipes.empty());
}

TEST_F(PrinterOverUsb, RepeatedOpenServiceKeepsOnePairAndReleaseClosesIt) {
    writeUsbEntry();
    usb.present[UsbInterfaceClass::Printer] = {kPath};
    for (int i = 0; i < 3; ++i) ASSERT_EQ(open(), OPOS_SUCCESS);
    EXPECT_EQ(usb.openPipes, (std::multiset<std::string>{kReadPipe, kWritePipe}));
    EXPECT_EQ(service->ReleaseDevice(), OPOS_SUCCESS);
    EXPECT_TRUE(usb.openPipes.empty());
    ASSERT_EQ(open(), OPOS_SUCCESS);
    EXPECT_EQ(service->CloseService(), OPOS_SUCCESS);
    EXPECT_TRUE(usb.openPipes.empty());
}

}  // namespace
