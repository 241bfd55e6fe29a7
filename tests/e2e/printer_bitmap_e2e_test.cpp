// A picture printed from memory through the control object and the real component library,
// which finds the picture converter library beside itself, over a pseudo-terminal.
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "installed_printer.h"
#include "opos_constants.h"
#include "picture_files.h"
#include "platform/pseudo_terminal.h"
#include "platform/sqlite_registry.h"
#include "pos_printer_control.h"

namespace {

namespace fs = std::filesystem;
using namespace pos::opos;
using pos::control::CallArg;
using Bytes = std::vector<std::uint8_t>;

class BitmapOverPty : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("kvxso_bitmap_e2e_" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(scratch());
        registry = (dir / "registry.db").string();
        ::setenv("OPOS_REGISTRY", registry.c_str(), 1);
        ::setenv("TMPDIR", scratch().c_str(), 1);  // where the service makes its private folders
        ASSERT_EQ(pos::testing::callComponentExport("DllRegisterServer"), S_OK);
        pos::testing::writeSerialPrinterEntry(*pos::platform::openSqliteRegistry(registry, nullptr),
                                              pty.slavePath(), 0);
    }
    void TearDown() override {
        fs::remove_all(dir);
        ::unsetenv("OPOS_REGISTRY");
        ::unsetenv("TMPDIR");
    }
    fs::path scratch() const { return dir / "scratch"; }
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

    fs::path dir;
    std::string registry;
    pos::platform::PseudoTerminal pty;
};

TEST_F(BitmapOverPty, PrintMemoryBitmapConvertsPrintsAndLeavesNoFolder) {
    pos::control::PosPrinterControl printer([] { return pos::platform::openSystemRegistry(); });
    ASSERT_EQ(printer.Open("ReceiptPrinter"), OPOS_SUCCESS) << printer.lastError();
    ASSERT_EQ(receive(6), (Bytes{0x1D, 0x21, 0x00, 0x1D, 0x61, 0x0F}));

    // 16 x 2 in 24 bits: the top row black, the bottom row white.
    Bytes levels(16, 0);
    levels.resize(32, 255);
    std::u16string data;
    for (const std::uint8_t b : pos::test::bmp24File({16, 2, levels})) {
        data.push_back(static_cast<char16_t>(0x30 + (b >> 4)));
        data.push_back(static_cast<char16_t>(0x30 + (b & 0x0F)));
    }
    EXPECT_EQ(
        printer.callForResult("PrintMemoryBitmap",
                              {CallArg::number(PTR_S_RECEIPT), CallArg::text(data),
                               CallArg::number(1), CallArg::number(-11), CallArg::number(-2)}),
        OPOS_SUCCESS);
    EXPECT_EQ(receive(15), (Bytes{0x1B, 0x61, 0x01, 0x1D, 0x28, 0x76, 0x30, 0x02, 0x00, 0x02, 0x00,
                                  0xFF, 0xFF, 0x00, 0x00}));
    EXPECT_TRUE(fs::is_empty(scratch()));
    EXPECT_EQ(printer.Close(), OPOS_SUCCESS);
}

}  // namespace
