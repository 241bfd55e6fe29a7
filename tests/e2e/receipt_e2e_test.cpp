// A whole receipt on Linux: the component library through the control object, against the
// printer simulator on its pseudo-terminal; what the simulator captured is compared with the
// bytes of tests/data/receipt_expected.hex, then rendered as the receipt a person would see.
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "installed_printer.h"
#include "opos_constants.h"
#include "platform/sqlite_registry.h"
#include "pos_printer_control.h"
#include "receipt_files.h"
#include "receipt_renderer.h"
#include "simulated_printer.h"

namespace {

namespace fs = std::filesystem;
using pos::testing::SimulatedPrinter;
using namespace pos::opos;
using pos::test::Bytes;
using Clock = std::chrono::steady_clock;

const fs::path kData = POS_RECEIPT_DATA;

class ReceiptOverSimulator : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("kvxso_receipt_e2e_" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir / "scratch");
        registry = (dir / "registry.db").string();
        ::setenv("OPOS_REGISTRY", registry.c_str(), 1);
        ::setenv("TMPDIR", (dir / "scratch").c_str(), 1);  // PrintMemoryBitmap's private folder
        previousDir = fs::current_path();
        fs::current_path(dir);  // the script names its picture relative to here
        pos::test::writeFile("receipt_logo.bmp",
                             pos::test::readHexFile(kData / "receipt_logo.hex"));
        printer = std::make_unique<SimulatedPrinter>(dir);
        ASSERT_EQ(pos::testing::callComponentExport("DllRegisterServer"), S_OK);
        pos::testing::writeSerialPrinterEntry(*pos::platform::openSqliteRegistry(registry, nullptr),
                                              printer->slavePath(), 0);
    }
    void TearDown() override {
        printer.reset();
        fs::current_path(previousDir);
        fs::remove_all(dir);
        ::unsetenv("OPOS_REGISTRY");
        ::unsetenv("TMPDIR");
    }

    fs::path dir;
    fs::path previousDir;
    std::string registry;
    std::unique_ptr<SimulatedPrinter> printer;
};

TEST_F(ReceiptOverSimulator, EveryKindOfOutputReachesThePrinterAsWorkedOut) {
    pos::control::PosPrinterControl control([] { return pos::platform::openSystemRegistry(); });
    ASSERT_EQ(control.Open("ReceiptPrinter"), OPOS_SUCCESS) << control.lastError();
    const std::vector<std::string> failures =
        pos::test::runScript(control, kData / "receipt_script.txt");
    EXPECT_TRUE(failures.empty()) << ::testing::PrintToString(failures);
    ASSERT_EQ(control.Close(), OPOS_SUCCESS);

    Bytes expected{0x1D, 0x21, 0x00, 0x1D, 0x61, 0x0F};  // opening: character size, status back
    const Bytes receipt = pos::test::readHexFile(kData / "receipt_expected.hex");
    expected.insert(expected.end(), receipt.begin(), receipt.end());
    const Bytes received = printer->receivedAfterClose();
    EXPECT_EQ(received, expected);
    EXPECT_TRUE(fs::is_empty(dir / "scratch"));  // the memory bitmap's folder is gone again

    const std::string view = pos::receipt::renderReceipt(received);
    const std::string paid = " PAID BY CARD ";
    for (const std::string& line : {
             std::string(13, ' ') + "^^C O R N E R   S H O P^^",
             std::string(16, ' ') + "12 Market Street",
             "Coffee beans 1 kg" + std::string(26, ' ') + "12.90",
             "__Loyalty points__" + std::string(31, ' ') + "+14",
             "**T O T A L" + std::string(29, ' ') + "1 4 . 8 0**",
             std::string(34, ' ') + "[[" + paid + "]]",
             std::string("[BARCODE CODE128 {AR0042 h=80]"),
             std::string(21, ' ') + "R0042",
             std::string(17, ' ') + "5901234123457",
             std::string("[RASTER IMAGE 32x12 dots]"),
             std::string("[RASTER IMAGE 16x8 dots]"),
             std::string("[stored image defined: 32x16 dots]"),
             std::string("[STORED IMAGE 32x16 dots]"),
             std::string("===== page mode ====="),
             std::string("[page area: 512x700 dots at 0,0]"),
             std::string("[page direction: bottom to top]"),
             std::string("**THANK YOU**"),
             std::string("===== page printed ====="),
             std::string("Printed at once"),
             std::string("----- cut -----"),
         }) {
        EXPECT_NE(view.find("\n" + line + "\n"), std::string::npos) << line << "\nin\n" << view;
    }
    // The logo's cup ends with its saucer, 21 dots from the fifth dot on; it is printed twice,
    // from the file and from the printer's store, centred both times.
    std::string saucer = "\n" + std::string(12, ' ');
    for (int i = 0; i < 21; ++i) saucer += "▀";
    saucer += "\n";
    const std::size_t first = view.find(saucer);
    ASSERT_NE(first, std::string::npos) << view;
    EXPECT_NE(view.find(saucer, first + 1), std::string::npos) << view;
}

}  // namespace
