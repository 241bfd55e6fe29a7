#pragma once
// A printer service on fake platform services, with a registry store in a temporary file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "fakes/fake_message_pump.h"
#include "fakes/fake_serial_port.h"
#include "fakes/fake_usb_devices.h"
#include "platform/sqlite_registry.h"
#include "printer_configuration.h"
#include "printer_service.h"

namespace pos::testing {

class PrinterFixture : public ::testing::Test {
  public:
    PrinterFixture() {
        // The address alone repeats in test programs that ctest runs side by side.
        dir = std::filesystem::temp_directory_path() /
              ("printer_" + std::to_string(std::random_device{}()) + "_" +
               std::to_string(reinterpret_cast<std::uintptr_t>(this)));
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        registryPath = (dir / "registry.db").string();
        auto p = std::make_unique<FakeMessagePump>();
        pump = p.get();
        service = std::make_unique<printer::PrinterService>(printer::PrinterPlatform{
            .serial = std::make_unique<FakeSerialPort>(port),
            .usb = std::make_unique<FakeUsbDevices>(usb),
            .pump = std::move(p),
            .openRegistry = [this] { return platform::openSqliteRegistry(registryPath, nullptr); },
            .traceDirectory = dir.string(),
        });
    }
    ~PrinterFixture() override {
        service.reset();
        std::filesystem::remove_all(dir);
    }

    std::unique_ptr<platform::RegistryStore> store() {
        return platform::openSqliteRegistry(registryPath, nullptr);
    }

    void writeText(const char* name, const std::string& text,
                   const char* key = printer::kDeviceKey) {
        store()->writeValue(platform::Hive::LocalMachine, key,
                            {name, platform::ValueType::String, text, 0});
    }
    void writeNumber(const char* name, std::uint32_t number,
                     const char* key = printer::kDeviceKey) {
        store()->writeValue(platform::Hive::LocalMachine, key,
                            {name, platform::ValueType::DWord, {}, number});
    }
    // A serial entry as the setup utility writes it.
    void writeSerialEntry(std::uint32_t option = 0x10, const char* key = printer::kDeviceKey) {
        writeText("DeviceType", "COM", key);
        writeText("PaperWidth", " 3\" / 80mm", key);
        writeNumber("DeviceID", 0, key);
        writeNumber("Option", option, key);
        writeText("Baud", "9600", key);
        writeText("COMPORT", "COM1", key);
        writeText("Parity", "0", key);
        writeText("DataLength", "8", key);
        writeText("StopBit", "1", key);
        writeNumber("FlowControl", 0, key);
    }
    std::string traceText() {
        std::ifstream in(dir / "OPOSDebug.txt", std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    // The trace without its recording header.
    std::string traceLines() {
        const std::string all = traceText();
        const auto end = all.find("\n\n");
        return end == std::string::npos ? all : all.substr(end + 2);
    }

    std::filesystem::path dir;
    std::string registryPath;
    FakeSerialPort::Shared port;
    FakeUsbDevices::Shared usb;
    FakeMessagePump* pump = nullptr;
    std::unique_ptr<printer::PrinterService> service;
};

}  // namespace pos::testing
