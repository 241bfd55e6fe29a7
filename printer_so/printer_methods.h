#pragma once
// The IRPrinter dispatch table: DISPIDs and names are fixed by the type library.
#include <span>

#include "component/dispatch_table.h"
#include "printer_service.h"

namespace pos::printer {

std::span<const component::Method<PrinterService>> printerMethods();

}  // namespace pos::printer
