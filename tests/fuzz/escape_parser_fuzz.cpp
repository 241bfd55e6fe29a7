// libFuzzer entry for print data. The escape parser's steps must cover the data exactly, in
// order and in bounds; PrintNormal on a serial printer made of fakes must succeed and send a
// bounded number of bytes for each byte it was given, however the sequences are formed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <string_view>

#include "escape_parser.h"
#include "fakes/fake_message_pump.h"
#include "fakes/fake_serial_port.h"
#include "fakes/fake_usb_devices.h"
#include "platform/sqlite_registry.h"
#include "printer_configuration.h"
#include "printer_service.h"

namespace {

using namespace pos::printer;
namespace fs = std::filesystem;

// The most one sequence sends (ESC 2, 255 LF, the cut) for the two bytes it takes at least.
constexpr std::size_t kMaxBytesSentPerByte = 132;

void require(bool condition) {
    if (!condition) std::abort();
}

void checkParser(std::string_view data) {
    const auto steps = parseEscapes(data);
    std::size_t covered = 0;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const EscapeStep& step = steps[i];
        require(step.text.data() == data.data() + covered);
        require(step.text.find("\x1B|") == std::string_view::npos);
        covered += step.text.size();
        if (!step.sequence) {
            require(i + 1 == steps.size() && !step.text.empty());
            continue;
        }
        const EscapeSequence& s = *step.sequence;
        require(data.substr(covered, 2) == "\x1B|");
        require(s.position == step.text.size());
        require(s.consumed >= 2 && s.consumed <= data.size() - covered);
        require(s.entry >= kEscapeNone && s.entry < kEscapeEntryCount);
        require(s.parameter >= 0 && (s.entry != kEscapeNone || s.parameter == 0));
        require(s.entry != kEscapeRgbColour || s.consumed == 13);
        covered += s.consumed;
    }
    require(covered == data.size());
}

// A serial printer on fakes, opened once; settings carry over between inputs as they would
// between an application's calls.
struct PrinterOnFakes {
    PrinterOnFakes() {
        dir = fs::temp_directory_path() /
              ("escape_parser_fuzz_" + std::to_string(std::random_device{}()));
        fs::create_directories(dir);
        const std::string registry = (dir / "registry.db").string();
        {
            auto store = pos::platform::openSqliteRegistry(registry, nullptr);
            require(store != nullptr);
            const auto text = [&](const char* name, const char* value) {
                store->writeValue(pos::platform::Hive::LocalMachine, kDeviceKey,
                                  {name, pos::platform::ValueType::String, value, 0});
            };
            text("DeviceType", "COM");
            text("PaperWidth", " 3\" / 80mm");
            text("COMPORT", "COM1");
            text("Baud", "9600");
            text("Parity", "0");
            text("DataLength", "8");
            text("StopBit", "1");
        }
        service = std::make_unique<PrinterService>(PrinterPlatform{
            .serial = std::make_unique<pos::testing::FakeSerialPort>(port),
            .usb = std::make_unique<pos::testing::FakeUsbDevices>(usb),
            .pump = std::make_unique<pos::testing::FakeMessagePump>(),
            .openRegistry =
                [registry] { return pos::platform::openSqliteRegistry(registry, nullptr); },
            .traceDirectory = dir.string(),
        });
        require(service->OpenService(u"POSPrinter", u"P", nullptr) == 0);
    }
    ~PrinterOnFakes() {
        service.reset();
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }

    fs::path dir;
    pos::testing::FakeSerialPort::Shared port;
    pos::testing::FakeUsbDevices::Shared usb;
    std::unique_ptr<PrinterService> service;
};

// Each byte is a unit of its own, except that FF takes the next two bytes as any unit at all
// (surrogates and characters the code page lacks included).
std::u16string unitsOf(const std::uint8_t* data, std::size_t size) {
    std::u16string units;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0xFF && size - i > 2) {
            units.push_back(static_cast<char16_t>(data[i + 1] | data[i + 2] << 8));
            i += 2;
        } else {
            units.push_back(data[i]);
        }
    }
    return units;
}

void checkPrintNormal(const std::uint8_t* data, std::size_t size) {
    static PrinterOnFakes printer;
    printer.port.writes.clear();
    printer.port.written.clear();
    const std::u16string text = unitsOf(data, size);
    // Odd sizes also exercise the trace; the files are dropped so a long run stays small.
    const bool traced = size % 2 == 1;
    printer.service->trace().setEnabled(traced);
    require(printer.service->PrintNormal(2, text) == 0);
    require(printer.port.written.size() <= kMaxBytesSentPerByte * size);
    require(printer.service->state().Settings.PageAreaUnits >= 0);
    if (traced) {
        std::error_code ignored;
        fs::remove(printer.service->trace().textPath(), ignored);
        fs::remove(printer.service->trace().rawPath(), ignored);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    checkParser(std::string_view(reinterpret_cast<const char*>(data), size));
    checkPrintNormal(data, size);
    return 0;
}
