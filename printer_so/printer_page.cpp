// Immediate printing, rotated pages, transactions, cuts and clearing held output.
#include "opos_constants.h"
#include "printer_service.h"

namespace pos::printer {

using namespace pos::opos;

std::int32_t PrinterService::PrintImmediate(std::int32_t, const String&) {
    return notYetAvailable("PrintImmediate");
}
std::int32_t PrinterService::RotatePrint(std::int32_t, std::int32_t) {
    return notYetAvailable("RotatePrint");
}
std::int32_t PrinterService::TransactionPrint(std::int32_t, std::int32_t) {
    return notYetAvailable("TransactionPrint");
}
std::int32_t PrinterService::CutPaper(std::int32_t) { return notYetAvailable("CutPaper"); }
std::int32_t PrinterService::ClearOutput() { return notYetAvailable("ClearOutput"); }

}  // namespace pos::printer
