// Bitmaps: printed from files, stored in the printer, and printed from memory.
#include "opos_constants.h"
#include "printer_service.h"

namespace pos::printer {

using namespace pos::opos;

std::int32_t PrinterService::PrintBitmap(std::int32_t, const String&, std::int32_t, std::int32_t) {
    return notYetAvailable("PrintBitmap");
}
std::int32_t PrinterService::SetBitmap(std::int32_t, std::int32_t, const String&, std::int32_t,
                                       std::int32_t) {
    return notYetAvailable("SetBitmap");
}
std::int32_t PrinterService::PrintMemoryBitmap(std::int32_t, const String&, std::int32_t,
                                               std::int32_t, std::int32_t) {
    return notYetAvailable("PrintMemoryBitmap");
}

}  // namespace pos::printer
