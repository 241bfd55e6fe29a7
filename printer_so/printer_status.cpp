// Status monitoring: the status query, automatic status back and the status thread.
#include "opos_constants.h"
#include "printer_commands.h"
#include "printer_service.h"
#include "status_event.h"
#include "status_reports.h"
#include "wait_pumping.h"

namespace pos::printer {

void PrinterService::ASBStart() {
    trace_.Write("ASBStart:Start Auto status Back\n");
    trace_.Write("ASBStart:Initial ASB from DEL EOT\n");
    StatusReport();
    // Whatever the printer answered, or what was known before when it did not.
    state_.CurrentStatus = queryStatus_;
    state_.Settings.AsbEnabled = 1;
    asbThread_.setReportsWanted(true);
    asbThread_.CreateASBThread([this] { ASBStatusReport(); });
    CommandBuffer request;
    link_.PutCommand(request, kAutoStatusBack, DeviceLink::kAtEnd);
    link_.PutCommand(request, DeviceLink::kSend, DeviceLink::kAtEnd);
}

void PrinterService::ASBStop() {
    trace_.Write("ASBStop:Stop Auto status Back\n");
    state_.Settings.AsbEnabled = 0;
    asbThread_.setReportsWanted(false);
    CommandBuffer request;
    link_.PutCommand(request, kAutoStatusBack, DeviceLink::kAtEnd);
    link_.PutCommand(request, DeviceLink::kSend, DeviceLink::kAtEnd);
    asbThread_.CloseASBThread();
}

void PrinterService::endStatusThread() {
    if (asbThread_.threadHeld()) asbThread_.CloseASBThread();
}

bool PrinterService::StatusReport() {
    trace_.Write("StatusReport:Into StatusReport\n");
    // From the request on, so the status thread cannot take the answer for a report.
    const auto portUse = asbThread_.claimPortForApplication();
    CommandBuffer request;
    for (std::uint8_t n = 1; n <= 4; ++n) {
        state_.Settings.StatusRequest = n;
        link_.PutCommand(request, kStatusQuery, DeviceLink::kAtEnd);
    }
    link_.PutCommand(request, DeviceLink::kSend, DeviceLink::kAtEnd);
    const bool received = receiveStatusAnswer(comPort_, statusBuffer_, [this](std::uint32_t ms) {
        WaitPumping(*platform_.pump, ms);
        return true;
    });
    if (!received) return false;
    decodeDleAnswer(statusBuffer_.lastRead(), queryStatus_, trace_);
    return true;
}

bool PrinterService::ASBStatusReport() {
    trace_.Write("ASBStatusReport:Parsing ASB Status Report\n");
    {
        // Only the reading needs the port; events are fired without holding it, so a handler
        // may call back into the service.
        const auto portUse = asbThread_.claimPortForThread();
        if (!portUse) return false;
        // No window messages to keep flowing here: the thread owns no windows, and a pause
        // that ends on request lets the thread stop or give way at once.
        const bool received = receiveStatusAnswer(
            comPort_, asbBuffer_, [this](std::uint32_t ms) { return asbThread_.pause(ms); });
        if (!received) return false;
    }
    decodeAsbReport(asbBuffer_.lastRead(), asbStatus_, state_.CurrentStatus, trace_,
                    [this](std::int32_t status) { Fire_StatusUpdateEvent(status); });
    return true;
}

bool PrinterService::Fire_StatusUpdateEvent(std::int32_t status) {
    return fireStatusUpdateEvent(eventTarget_, status, statusUpdateId_, trace_);
}

}  // namespace pos::printer
