#include "printer_configuration.h"

#include <cstdlib>

namespace pos::printer {

namespace {
using platform::Hive;
using platform::RegistryStore;
using platform::ValueType;

// Values are read as the ANSI query of a 256-byte buffer would give them.
std::string readText(RegistryStore& store, const char* key, const char* name) {
    auto value = store.readValue(Hive::LocalMachine, key, name);
    if (!value) return {};
    std::string text =
        value->type == ValueType::DWord ? std::to_string(value->number) : value->text;
    if (text.size() > 255) text.resize(255);
    return text;
}

std::uint32_t readNumber(RegistryStore& store, const char* key, const char* name) {
    auto value = store.readValue(Hive::LocalMachine, key, name);
    if (!value) return 0;
    if (value->type == ValueType::DWord) return value->number;
    return static_cast<std::uint32_t>(std::strtoul(value->text.c_str(), nullptr, 10));
}

std::int32_t decimal(const std::string& text) {
    return static_cast<std::int32_t>(std::atoi(text.c_str()));
}
}  // namespace

std::int32_t deviceTypeFromText(const std::string& text) {
    if (text == "COM") return 10;
    if (text == "USB") return 11;
    if (text == "Other") return 12;
    return 0;
}

std::int32_t paperWidthFromText(const std::string& text) {
    return text.size() < 2 ? 0 : decimal(text.substr(1));
}

const char* deviceKeyFor(const std::string& architecture) {
    return architecture == "AMD64" ? kWow64DeviceKey : kDeviceKey;
}

PrinterConfiguration readPrinterConfiguration(RegistryStore* store) {
    PrinterConfiguration config;
    config.paperWidth = 0;
    if (store == nullptr) return config;
    const char* key = deviceKeyFor(readText(*store, kEnvironmentKey, "PROCESSOR_ARCHITECTURE"));
    config.keyFound = store->keyExists(Hive::LocalMachine, key);
    if (!config.keyFound) return config;
    config.deviceType = deviceTypeFromText(readText(*store, key, "DeviceType"));
    if (store->readValue(Hive::LocalMachine, key, "PaperWidth")) {
        config.paperWidth = paperWidthFromText(readText(*store, key, "PaperWidth"));
    } else {
        config.paperWidth = 3;
    }
    config.deviceId = static_cast<std::uint16_t>(readNumber(*store, key, "DeviceID") & 0xFFFF);
    config.option = readNumber(*store, key, "Option");
    config.serial.BaudRate = decimal(readText(*store, key, "Baud"));
    config.serial.PortName = readText(*store, key, "COMPORT");
    config.serial.Parity = decimal(readText(*store, key, "Parity"));
    config.serial.DataLength = decimal(readText(*store, key, "DataLength"));
    config.serial.StopBits = decimal(readText(*store, key, "StopBit"));
    config.serial.FlowControl = static_cast<std::int32_t>(readNumber(*store, key, "FlowControl"));
    return config;
}

}  // namespace pos::printer
