#pragma once
// The printer service object's module-wide record.
#include <cstdint>

#include "device_link.h"
#include "print_settings.h"

namespace pos::printer {

struct PrinterState {
    // Lifecycle flags: stored and reported, never checked before work.
    bool Claimed = false;
    bool DeviceEnabled = false;

    // Configuration from the device entry.
    std::int32_t DeviceType = kDeviceNone;
    std::uint16_t DeviceID = 0;
    std::int32_t PaperWidth = 3;
    std::int32_t RecLineChars = 48;
    std::int32_t RecLineWidth = 576;

    PrintSettings Settings;
    PageCollector Pages;
};

// The printers of the family; a reply that begins with the brand word identifies one.
inline constexpr const char* kModelList[] = {"TALVORIN KVX-9100", "TALVORIN QM700", "TALVORIN QM710",
                                             "TALVORIN QM720"};

}  // namespace pos::printer
