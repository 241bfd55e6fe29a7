#pragma once
// The printer's device entry as OpenService reads it.
#include <cstdint>
#include <string>

#include "platform/registry_store.h"
#include "serial_settings.h"

namespace pos::printer {

inline constexpr const char* kEnvironmentKey =
    "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
inline constexpr const char* kDeviceKey = "SOFTWARE\\OLEforRetail\\ServiceOPOS\\POSPrinter\\KVXSO";
inline constexpr const char* kWow64DeviceKey =
    "SOFTWARE\\Wow6432Node\\OLEforRetail\\ServiceOPOS\\POSPrinter\\KVXSO";

struct PrinterConfiguration {
    bool keyFound = false;
    std::int32_t deviceType = 0;  // 10 COM, 11 USB, 12 Other, 0 anything else
    std::int32_t paperWidth = 3;
    std::uint16_t deviceId = 0;
    std::uint32_t option = 0;
    SerialSettings serial;
};

// "COM" 10, "USB" 11, "Other" 12, compared exactly; anything else 0.
std::int32_t deviceTypeFromText(const std::string& text);
// The digit after the leading blank of " 3\" / 80mm"; 0 when there is none.
std::int32_t paperWidthFromText(const std::string& text);
// The device key for the processor architecture the system reports.
const char* deviceKeyFor(const std::string& architecture);

// Missing values read as empty text and 0; a missing store or key reads as all missing.
PrinterConfiguration readPrinterConfiguration(platform::RegistryStore* store);

}  // namespace pos::printer
