// Status monitoring: the status query, automatic status back and the status thread.
#include "printer_service.h"

namespace pos::printer {

void PrinterService::ASBStart() {}
void PrinterService::ASBStop() {}

}  // namespace pos::printer
