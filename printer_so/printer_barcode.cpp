// Barcodes.
#include "opos_constants.h"
#include "printer_service.h"

namespace pos::printer {

using namespace pos::opos;

std::int32_t PrinterService::PrintBarCode(std::int32_t, const String&, std::int32_t, std::int32_t,
                                          std::int32_t, std::int32_t, std::int32_t) {
    return notYetAvailable("PrintBarCode");
}

}  // namespace pos::printer
