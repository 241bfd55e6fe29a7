#pragma once
// The printer service object's module-wide record.
#include <cstdint>

#include "device_link.h"

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

    PageCollector Pages;
};

}  // namespace pos::printer
