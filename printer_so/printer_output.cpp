// Methods whose work is still being built refuse rather than pretend to print.
#include "opos_constants.h"
#include "printer_service.h"

namespace pos::printer {

using namespace pos::opos;

std::int32_t PrinterService::notYetAvailable(const char* method) {
    trace_.Write("%s:not available yet\n", method);
    return OPOS_E_ILLEGAL;
}

}  // namespace pos::printer
