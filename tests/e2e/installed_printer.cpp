#include "installed_printer.h"

#include "platform/dynamic_library.h"

namespace pos::testing {

HRESULT callComponentExport(const char* name) {
    auto library = platform::DynamicLibrary::open(KVXSO_PATH);
    if (!library.loaded()) return E_FAIL;
    auto entry = reinterpret_cast<HRESULT (*)()>(library.symbol(name));
    return entry != nullptr ? entry() : E_FAIL;
}

void writeSerialPrinterEntry(platform::RegistryStore& store, const std::string& port,
                             std::uint32_t option) {
    using platform::Hive;
    using platform::RegistryValue;
    using platform::ValueType;
    auto text = [&](const char* key, const char* name, const std::string& value) {
        store.writeValue(Hive::LocalMachine, key, RegistryValue{name, ValueType::String, value, 0});
    };
    auto number = [&](const char* name, std::uint32_t value) {
        store.writeValue(Hive::LocalMachine, kPrinterDeviceKey,
                         RegistryValue{name, ValueType::DWord, {}, value});
    };
    text(kPrinterClassKey, "ReceiptPrinter", "KVXSO");
    text(kPrinterDeviceKey, "", "OPOS.KVXSO");
    text(kPrinterDeviceKey, "DeviceType", "COM");
    text(kPrinterDeviceKey, "PaperWidth", " 3\" / 80mm");
    number("DeviceID", 0);
    number("Option", option);
    text(kPrinterDeviceKey, "Baud", "19200");
    text(kPrinterDeviceKey, "COMPORT", port);
    text(kPrinterDeviceKey, "Parity", "0");
    text(kPrinterDeviceKey, "DataLength", "8");
    text(kPrinterDeviceKey, "StopBit", "0");
    number("FlowControl", 0);
}

}  // namespace pos::testing
