// Output, health check and direct I/O build on the printer command set, which is not part of
// this build yet: until it is, they refuse rather than pretend to print.
#include "opos_constants.h"
#include "printer_service.h"

namespace pos::printer {

using namespace pos::opos;

std::int32_t PrinterService::notYetAvailable(const char* method) {
    trace_.Write("%s:not available yet\n", method);
    return OPOS_E_ILLEGAL;
}

std::int32_t PrinterService::CheckHealth(std::int32_t) { return notYetAvailable("CheckHealth"); }
std::int32_t PrinterService::ClearOutput() { return notYetAvailable("ClearOutput"); }
std::int32_t PrinterService::DirectIO(std::int32_t, std::int32_t&, String&) {
    return notYetAvailable("DirectIO");
}
std::int32_t PrinterService::CutPaper(std::int32_t) { return notYetAvailable("CutPaper"); }
std::int32_t PrinterService::PrintBarCode(std::int32_t, const String&, std::int32_t, std::int32_t,
                                          std::int32_t, std::int32_t, std::int32_t) {
    return notYetAvailable("PrintBarCode");
}
std::int32_t PrinterService::PrintBitmap(std::int32_t, const String&, std::int32_t, std::int32_t) {
    return notYetAvailable("PrintBitmap");
}
std::int32_t PrinterService::PrintImmediate(std::int32_t, const String&) {
    return notYetAvailable("PrintImmediate");
}
std::int32_t PrinterService::PrintNormal(std::int32_t, const String&) {
    return notYetAvailable("PrintNormal");
}
std::int32_t PrinterService::RotatePrint(std::int32_t, std::int32_t) {
    return notYetAvailable("RotatePrint");
}
std::int32_t PrinterService::SetBitmap(std::int32_t, std::int32_t, const String&, std::int32_t,
                                       std::int32_t) {
    return notYetAvailable("SetBitmap");
}
std::int32_t PrinterService::TransactionPrint(std::int32_t, std::int32_t) {
    return notYetAvailable("TransactionPrint");
}
std::int32_t PrinterService::PrintMemoryBitmap(std::int32_t, const String&, std::int32_t,
                                               std::int32_t, std::int32_t) {
    return notYetAvailable("PrintMemoryBitmap");
}

}  // namespace pos::printer
