// Text printing with escape sequences.
#include "opos_constants.h"
#include "printer_service.h"

namespace pos::printer {

using namespace pos::opos;

std::int32_t PrinterService::PrintNormal(std::int32_t, const String&) {
    return notYetAvailable("PrintNormal");
}

}  // namespace pos::printer
