#pragma once
// What the end-to-end tests install before they open the printer: the component library's
// registration and the "ReceiptPrinter" device entry in the device store.
#include <cstdint>
#include <string>

#include "platform/com.h"
#include "platform/registry_store.h"

namespace pos::testing {

inline constexpr const char* kPrinterClassKey = "SOFTWARE\\OLEforRetail\\ServiceOPOS\\POSPrinter";
inline constexpr const char* kPrinterDeviceKey =
    "SOFTWARE\\OLEforRetail\\ServiceOPOS\\POSPrinter\\KVXSO";

// Calls one of the KVXSO library's registration exports; E_FAIL when it cannot be reached.
HRESULT callComponentExport(const char* name);

// A serial printer on port at 19200 baud, 8 data bits, no parity, no flow control, with the
// given Option bits (0x10 switches tracing on), under the logical name "ReceiptPrinter".
void writeSerialPrinterEntry(platform::RegistryStore& store, const std::string& port,
                             std::uint32_t option);

}  // namespace pos::testing
