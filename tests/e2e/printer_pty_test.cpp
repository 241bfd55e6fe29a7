// The whole chain on Linux: a device entry in the store, the control object, the component
// library loaded by its registration, and a real termios port on a pseudo-terminal whose other
// end the test reads.
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "installed_printer.h"
#include "opos_constants.h"
#include "platform/pseudo_terminal.h"
#include "platform/sqlite_registry.h"
#include "pos_printer_control.h"

namespace {

namespace fs = std::filesystem;
using namespace pos::opos;
using pos::platform::Hive;
using Bytes = std::vector<std::uint8_t>;

class PrinterOverPty : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("kvxso_e2e_" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        registry = (dir / "registry.db").string();
        ::setenv("OPOS_REGISTRY", registry.c_str(), 1);
        previousDir = fs::current_path();
        fs::current_path(dir);  // trace files land in the host's current folder
        ASSERT_EQ(pos::testing::callComponentExport("DllRegisterServer"), S_OK);
        pos::testing::writeSerialPrinterEntry(*store(), pty.slavePath(), 0x10);
    }
    void TearDown() override {
        fs::current_path(previousDir);
        fs::remove_all(dir);
        ::unsetenv("OPOS_REGISTRY");
    }

    std::unique_ptr<pos::platform::RegistryStore> store() {
        return pos::platform::openSqliteRegistry(registry, nullptr);
    }
    // Reads from the printer's end until count bytes came or a second passed.
    Bytes receive(std::size_t count) {
        Bytes out;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
        while (out.size() < count) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) break;
            pollfd p{pty.masterFd(), POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
            std::uint8_t chunk[256];
            const ssize_t n =
                ::read(pty.masterFd(), chunk, std::min(sizeof chunk, count - out.size()));
            if (n <= 0) break;
            out.insert(out.end(), chunk, chunk + n);
        }
        return out;
    }
    static std::size_t openDescriptors() {
        return static_cast<std::size_t>(
            std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator{}));
    }

    fs::path dir;
    fs::path previousDir;
    std::string registry;
    pos::platform::PseudoTerminal pty;
};

TEST_F(PrinterOverPty, LifecycleThroughTheControlObject) {
    pos::control::PosPrinterControl printer([] { return pos::platform::openSystemRegistry(); });
    ASSERT_EQ(printer.Open("ReceiptPrinter"), OPOS_SUCCESS) << printer.lastError();
    // A pseudo-terminal has no CTS line, so the printer is not asked who it is, and the
    // start commands follow at once.
    EXPECT_EQ(receive(6), (Bytes{0x1D, 0x21, 0x00, 0x1D, 0x61, 0x0F}));
    EXPECT_EQ(printer.ClaimDevice(0), OPOS_E_TIMEOUT);
    EXPECT_EQ(printer.GetPropertyNumber(PIDX_Claimed), 0);
    EXPECT_EQ(printer.SetDeviceEnabled(true), OPOS_SUCCESS);
    EXPECT_TRUE(printer.DeviceEnabled());
    EXPECT_EQ(printer.callForResult("MarkFeed", {pos::control::CallArg::number(1)}),
              OPOS_E_ILLEGAL);
    EXPECT_EQ(printer.ReleaseDevice(), OPOS_SUCCESS);
    EXPECT_EQ(printer.Close(), OPOS_SUCCESS);

    std::ifstream trace(dir / "OPOSDebug.txt");
    std::stringstream lines;
    lines << trace.rdbuf();
    EXPECT_NE(lines.str().find("======Recording======\nTime Record:"), std::string::npos);
    EXPECT_NE(
        lines.str().find("OpenService:Using COM Port!\n" + pty.slavePath() +
                         ", BaudRate:19200, Parity:0, DataLength:8, StopBit:0, FlowControl:0\n"),
        std::string::npos);
    EXPECT_NE(lines.str().find("MarkFeed:Aways return OPOS_E_ILLEGAL\n======ReleaseDevice======\n"
                               "======CloseService=====\n"),
              std::string::npos);
    std::ifstream raw(dir / "OPOSDebug.raw", std::ios::binary);
    std::stringstream rawBytes;
    rawBytes << raw.rdbuf();
    // Enabling asks for the status (nobody answers here) and switches automatic status on.
    EXPECT_EQ(rawBytes.str(), std::string("\x1D\x21\x00\x1D\x61\x0F"
                                          "\x10\x04\x01\x10\x04\x02\x10\x04\x03\x10\x04\x04"
                                          "\x1D\x61\x0F",
                                          21));
}

TEST_F(PrinterOverPty, UnknownDevicesAndRepeatedOpensLeaveNothingBehind) {
    pos::control::PosPrinterControl printer([] { return pos::platform::openSystemRegistry(); });
    EXPECT_EQ(printer.Open("NoSuchPrinter"), OPOS_E_NOEXIST);
    EXPECT_FALSE(printer.lastError().empty());

    ASSERT_EQ(printer.Open("KVXSO"), OPOS_SUCCESS)
        << printer.lastError();  // the device key's own name
    EXPECT_EQ(printer.Close(), OPOS_SUCCESS);
    const std::size_t descriptors = openDescriptors();
    for (int i = 0; i < 20; ++i) {
        ASSERT_EQ(printer.Open("ReceiptPrinter"), OPOS_SUCCESS);
        EXPECT_EQ(printer.ReleaseDevice(), OPOS_SUCCESS);
        EXPECT_EQ(printer.Close(), OPOS_SUCCESS);
    }
    EXPECT_EQ(openDescriptors(), descriptors);
}

TEST_F(PrinterOverPty, UnregistrationRemovesTheComponentKeys) {
    ASSERT_EQ(pos::testing::callComponentExport("DllUnregisterServer"), S_OK);
    auto s = store();
    EXPECT_FALSE(s->keyExists(Hive::ClassesRoot, "OPOS.KVXSO"));
    EXPECT_FALSE(s->keyExists(Hive::ClassesRoot, "OPOS.KVXSO.1"));
    EXPECT_FALSE(s->keyExists(Hive::ClassesRoot, "CLSID\\{7A41C2D0-5E93-4B18-9F26-31D8E0B7A4C5}"));
    EXPECT_TRUE(s->keyExists(Hive::ClassesRoot, "CLSID"));  // NoRemove
    pos::control::PosPrinterControl printer([] { return pos::platform::openSystemRegistry(); });
    EXPECT_EQ(printer.Open("ReceiptPrinter"), OPOS_E_NOSERVICE);
}

TEST_F(PrinterOverPty, RegistrationWritesTheDocumentedKeys) {
    auto s = store();
    auto text = [&](const std::string& key, const char* name = "") {
        auto v = s->readValue(Hive::ClassesRoot, key, name);
        return v ? v->text : std::string("<missing>");
    };
    const std::string clsid = "CLSID\\{7A41C2D0-5E93-4B18-9F26-31D8E0B7A4C5}";
    EXPECT_EQ(text("OPOS.KVXSO.1"), "OPOS Library for POS Printer");
    EXPECT_EQ(text("OPOS.KVXSO.1\\CLSID"), "{7A41C2D0-5E93-4B18-9F26-31D8E0B7A4C5}");
    EXPECT_EQ(text("OPOS.KVXSO"), "OPOS Library for POS Printer");
    EXPECT_EQ(text("OPOS.KVXSO\\CLSID"), "{7A41C2D0-5E93-4B18-9F26-31D8E0B7A4C5}");
    EXPECT_EQ(text("OPOS.KVXSO\\CurVer"), "OPOS.KVXSO.1");
    EXPECT_EQ(text(clsid), "OPOS Library for POS Printer");
    EXPECT_EQ(text(clsid + "\\ProgID"), "OPOS.KVXSO.1");
    EXPECT_EQ(text(clsid + "\\VersionIndependentProgID"), "OPOS.KVXSO");
    EXPECT_TRUE(s->keyExists(Hive::ClassesRoot, clsid + "\\Programmable"));
    EXPECT_EQ(text(clsid + "\\InprocServer32"), fs::canonical(KVXSO_PATH).string());
    EXPECT_EQ(text(clsid + "\\InprocServer32", "ThreadingModel"), "Apartment");
    EXPECT_EQ(text(clsid + "\\TypeLib"), "{5C8E17B2-A0F4-4E6D-8B31-6F2A9D04C7E8}");

    // ForceRemove: a stale subkey under the class key does not survive registration.
    s->createKey(Hive::ClassesRoot, clsid + "\\Stale");
    ASSERT_EQ(pos::testing::callComponentExport("DllRegisterServer"), S_OK);
    EXPECT_FALSE(store()->keyExists(Hive::ClassesRoot, clsid + "\\Stale"));
}

}  // namespace
