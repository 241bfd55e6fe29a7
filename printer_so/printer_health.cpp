// The health check and direct commands.
#include "opos_constants.h"
#include "printer_service.h"

namespace pos::printer {

using namespace pos::opos;

std::int32_t PrinterService::CheckHealth(std::int32_t) { return notYetAvailable("CheckHealth"); }
std::int32_t PrinterService::DirectIO(std::int32_t, std::int32_t&, String&) {
    return notYetAvailable("DirectIO");
}

}  // namespace pos::printer
