// The receipt of tests/data printed on Windows: the control object creates the registered
// service object through COM and runs the receipt's calls; the printer is on a COM port that
// receipt_driver.py has mapped to a pseudo-terminal, and the driver checks what arrived there.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>

#include "opos_constants.h"
#include "platform/registry_store.h"
#include "pos_printer_control.h"
#include "receipt_files.h"

namespace {

namespace fs = std::filesystem;
using namespace pos::opos;

TEST(ReceiptOnComPort, EveryCallOfTheReceiptSucceeds) {
    const fs::path data = POS_RECEIPT_DATA;
    const fs::path folder = fs::temp_directory_path() / "kvxso_receipt_test";
    fs::remove_all(folder);
    fs::create_directories(folder);
    const fs::path previous = fs::current_path();
    fs::current_path(folder);  // the script names its picture relative to here
    pos::test::writeFile("receipt_logo.bmp", pos::test::readHexFile(data / "receipt_logo.hex"));

    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    {
        pos::control::PosPrinterControl printer([] { return pos::platform::openSystemRegistry(); });
        ASSERT_EQ(printer.Open("ReceiptPrinter"), OPOS_SUCCESS) << printer.lastError();
        const std::vector<std::string> failures =
            pos::test::runScript(printer, data / "receipt_script.txt");
        EXPECT_TRUE(failures.empty()) << ::testing::PrintToString(failures);
        EXPECT_EQ(printer.Close(), OPOS_SUCCESS);
    }
    CoUninitialize();
    fs::current_path(previous);
    fs::remove_all(folder);
}

}  // namespace
