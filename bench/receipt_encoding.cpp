// How fast the printer service turns a typical receipt into printer bytes: a full-width logo,
// about twenty lines of styled text with prices in columns, a Code 128 barcode and a cut, on
// in-memory platform fakes with tracing off. A measurement, printed for people; it asserts
// nothing. scripts/bench-receipt.sh sets it beside bench/escpos_buffer/receipt.js, which builds
// the same receipt: keep the lines, the logo and the barcode of the two in step.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "barcode_rules.h"
#include "fakes/fake_message_pump.h"
#include "fakes/fake_serial_port.h"
#include "fakes/fake_usb_devices.h"
#include "opos_constants.h"
#include "platform/sqlite_registry.h"
#include "printer_configuration.h"
#include "printer_service.h"

namespace {

namespace fs = std::filesystem;
using pos::opos::OPOS_SUCCESS;
using pos::opos::PTR_S_RECEIPT;

constexpr std::int32_t kLogoWidth = 576;  // the 80 mm paper's full line
constexpr std::int32_t kLogoHeight = 120;
constexpr std::int32_t kBitmapAsIs = -11;
constexpr std::int32_t kBitmapCenter = -2;
constexpr std::int32_t kFullCut = 100;
constexpr char16_t kBarcodeData[] = u"R2024-000123";
constexpr std::int32_t kBarcodeHeight = 80;
constexpr std::int32_t kBarcodeWidth = 2;

enum class Look { Plain, Centre, Bold, CentreDouble, BoldDouble };

struct Line {
    Look look;
    std::string_view text;
};

// 48 columns in the normal font, 24 at double size.
constexpr Line kReceiptLines[] = {
    {Look::CentreDouble, "KV CORNER MARKET"},
    {Look::Centre, "12 Harbour Road, Springfield"},
    {Look::Centre, "Tel 0123 456 789  VAT GB123456789"},
    {Look::Plain, ""},
    {Look::Plain, "Receipt R2024-000123            2024-05-14 10:42"},
    {Look::Plain, "------------------------------------------------"},
    {Look::Plain, "Whole milk 1l               2 x  1.19       2.38"},
    {Look::Plain, "Sourdough loaf              1 x  3.45       3.45"},
    {Look::Plain, "Free range eggs x6          1 x  2.60       2.60"},
    {Look::Plain, "Cheddar 400g                1 x  4.10       4.10"},
    {Look::Plain, "Bananas loose               6 x  0.21       1.26"},
    {Look::Plain, "Coffee beans 250g           1 x  5.95       5.95"},
    {Look::Plain, "Orange juice 1l             2 x  1.85       3.70"},
    {Look::Plain, "Tomatoes 500g               1 x  1.49       1.49"},
    {Look::Plain, "Pasta 500g                  3 x  0.89       2.67"},
    {Look::Plain, "Dark chocolate              2 x  1.75       3.50"},
    {Look::Plain, "------------------------------------------------"},
    {Look::Bold, "SUBTOTAL                                   31.10"},
    {Look::Plain, "VAT 20% included                            5.18"},
    {Look::BoldDouble, "TOTAL              31.10"},
    {Look::Plain, "CASH                                       50.00"},
    {Look::Plain, "CHANGE                                     18.90"},
    {Look::Centre, "Thank you for shopping with us!"},
};

// The print data as an application writes it. Styles stay on until ESC|N, so a styled line
// ends with it.
std::u16string receiptText() {
    std::string text;
    for (const Line& line : kReceiptLines) {
        switch (line.look) {
            case Look::Plain:
                break;
            case Look::Centre:
                text += "\x1B|cA";
                break;
            case Look::Bold:
                text += "\x1B|bC";
                break;
            case Look::CentreDouble:
                text += "\x1B|cA\x1B|4C";
                break;
            case Look::BoldDouble:
                text += "\x1B|bC\x1B|4C";
                break;
        }
        text += line.text;
        if (line.look != Look::Plain) text += "\x1B|N";
        text += '\n';
    }
    return {text.begin(), text.end()};
}

// A frame with diagonal bands inside: dark dots spread over every row, as a logo has them.
bool logoDotIsDark(std::int32_t x, std::int32_t y) {
    const bool frame = x < 4 || x >= kLogoWidth - 4 || y < 4 || y >= kLogoHeight - 4;
    const bool inner = x >= 48 && x < kLogoWidth - 48 && y >= 24 && y < kLogoHeight - 24;
    return frame || (inner && (x + y) / 12 % 3 == 0);
}

void putLittleEndian(std::vector<std::uint8_t>& out, std::uint32_t value, int count) {
    for (int i = 0; i < count; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// A 1-bit BMP, bottom row first; palette entry 0 is black, so a dark dot is a 0 bit.
std::vector<std::uint8_t> logoBmp() {
    constexpr std::uint32_t kRowBytes = (kLogoWidth + 31) / 32 * 4;
    constexpr std::uint32_t kDataOffset = 14 + 40 + 8;
    std::vector<std::uint8_t> file{'B', 'M'};
    putLittleEndian(file, kDataOffset + kRowBytes * kLogoHeight, 4);
    putLittleEndian(file, 0, 4);
    putLittleEndian(file, kDataOffset, 4);
    putLittleEndian(file, 40, 4);
    putLittleEndian(file, kLogoWidth, 4);
    putLittleEndian(file, kLogoHeight, 4);
    putLittleEndian(file, 1, 2);  // planes
    putLittleEndian(file, 1, 2);  // bits per dot
    for (int i = 0; i < 6; ++i) putLittleEndian(file, 0, 4);
    putLittleEndian(file, 0x000000, 4);
    putLittleEndian(file, 0xFFFFFF, 4);
    for (std::int32_t y = kLogoHeight - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(kRowBytes, 0xFF);
        for (std::int32_t x = 0; x < kLogoWidth; ++x) {
            if (logoDotIsDark(x, y)) row[x / 8] &= static_cast<std::uint8_t>(~(0x80 >> (x % 8)));
        }
        file.insert(file.end(), row.begin(), row.end());
    }
    return file;
}

// A printer service opened on a serial entry, with its port, registry and logo in memory or
// in a folder of its own.
class ReceiptPrinter {
  public:
    ReceiptPrinter()
        : dir_(fs::temp_directory_path() /
               ("receipt_bench_" + std::to_string(std::random_device{}()))) {
        fs::create_directories(dir_);
        registryPath_ = (dir_ / "registry.db").string();
        logoPath_ = (dir_ / "logo.bmp").string();
        logoName_.assign(logoPath_.begin(), logoPath_.end());
        const std::vector<std::uint8_t> logo = logoBmp();
        std::ofstream(logoPath_, std::ios::binary)
            .write(reinterpret_cast<const char*>(logo.data()),
                   static_cast<std::streamsize>(logo.size()));
        writeSerialEntry();
        service_ = std::make_unique<pos::printer::PrinterService>(pos::printer::PrinterPlatform{
            .serial = std::make_unique<pos::testing::FakeSerialPort>(port_),
            .usb = std::make_unique<pos::testing::FakeUsbDevices>(usb_),
            .pump = std::make_unique<pos::testing::FakeMessagePump>(),
            .openRegistry =
                [this] { return pos::platform::openSqliteRegistry(registryPath_, nullptr); },
            .traceDirectory = dir_.string(),
        });
        opened_ = service_->OpenService(u"POSPrinter", u"P", nullptr) == OPOS_SUCCESS;
    }
    ReceiptPrinter(const ReceiptPrinter&) = delete;
    ReceiptPrinter& operator=(const ReceiptPrinter&) = delete;
    ~ReceiptPrinter() {
        service_.reset();
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }

    bool opened() const { return opened_; }

    // Prints one receipt; the bytes the port received for it, or 0 when a call failed.
    std::size_t printReceipt(const std::u16string& text) {
        port_.written.clear();
        port_.writes.clear();
        namespace bc = pos::printer::barcode;
        const bool printed =
            service_->PrintBitmap(PTR_S_RECEIPT, logoName_, kBitmapAsIs, kBitmapCenter) ==
                OPOS_SUCCESS &&
            service_->PrintNormal(PTR_S_RECEIPT, text) == OPOS_SUCCESS &&
            service_->PrintBarCode(PTR_S_RECEIPT, kBarcodeData, bc::PTR_BCS_Code128, kBarcodeHeight,
                                   kBarcodeWidth, bc::PTR_BC_CENTER,
                                   bc::PTR_BC_TEXT_BELOW) == OPOS_SUCCESS &&
            service_->CutPaper(kFullCut) == OPOS_SUCCESS;
        return printed ? port_.written.size() : 0;
    }

    const std::vector<std::uint8_t>& lastReceipt() const { return port_.written; }

  private:
    void writeSerialEntry() {
        auto store = pos::platform::openSqliteRegistry(registryPath_, nullptr);
        if (!store) return;
        const auto text = [&](const char* name, const char* value) {
            store->writeValue(pos::platform::Hive::LocalMachine, pos::printer::kDeviceKey,
                              {name, pos::platform::ValueType::String, value, 0});
        };
        const auto number = [&](const char* name, std::uint32_t value) {
            store->writeValue(pos::platform::Hive::LocalMachine, pos::printer::kDeviceKey,
                              {name, pos::platform::ValueType::DWord, {}, value});
        };
        text("DeviceType", "COM");
        text("PaperWidth", " 3\" / 80mm");
        number("DeviceID", 0);
        number("Option", 0);  // bit 0x10 would turn tracing on
        text("Baud", "9600");
        text("COMPORT", "COM1");
        text("Parity", "0");
        text("DataLength", "8");
        text("StopBit", "1");
        number("FlowControl", 0);
    }

    fs::path dir_;
    std::string registryPath_;
    std::string logoPath_;
    std::u16string logoName_;  // as the application passes it
    pos::testing::FakeSerialPort::Shared port_;
    pos::testing::FakeUsbDevices::Shared usb_;
    std::unique_ptr<pos::printer::PrinterService> service_;
    bool opened_ = false;
};

void BM_Receipt(benchmark::State& state) {
    ReceiptPrinter printer;
    if (!printer.opened()) {
        state.SkipWithError("OpenService failed");
        return;
    }
    const std::u16string text = receiptText();
    std::int64_t bytes = 0;
    std::size_t receiptBytes = 0;
    for (auto _ : state) {
        receiptBytes = printer.printReceipt(text);
        if (receiptBytes == 0) {
            state.SkipWithError("a print call failed");
            break;
        }
        bytes += static_cast<std::int64_t>(receiptBytes);
        benchmark::DoNotOptimize(printer.lastReceipt().data());
    }
    state.SetBytesProcessed(bytes);
    state.counters["receipts_per_second"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["bytes_per_receipt"] = static_cast<double>(receiptBytes);
}
// Rates per second of process CPU time, as receipt.js counts them: on a shared machine the
// clock also counts other programs' turns.
BENCHMARK(BM_Receipt)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();

// --receipt_out=FILE keeps one receipt's bytes, to set beside the other encoder's.
bool writeOneReceipt(const std::string& path) {
    ReceiptPrinter printer;
    if (!printer.opened() || printer.printReceipt(receiptText()) == 0) return false;
    const std::vector<std::uint8_t>& bytes = printer.lastReceipt();
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    constexpr std::string_view kReceiptOut = "--receipt_out=";
    std::vector<char*> rest;
    for (int i = 0; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (!arg.starts_with(kReceiptOut)) {
            rest.push_back(argv[i]);
        } else if (!writeOneReceipt(std::string(arg.substr(kReceiptOut.size())))) {
            std::fprintf(stderr, "could not print a receipt to %s\n", argv[i] + kReceiptOut.size());
            return 1;
        }
    }
    int restCount = static_cast<int>(rest.size());
    rest.push_back(nullptr);
    benchmark::Initialize(&restCount, rest.data());
    if (benchmark::ReportUnrecognizedArguments(restCount, rest.data())) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
