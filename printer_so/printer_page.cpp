// Immediate printing, rotated pages, transactions, cuts and clearing held output.
#include "opos_constants.h"
#include "page_output_rules.h"
#include "platform/ansi_text.h"
#include "printer_commands.h"
#include "printer_service.h"

namespace pos::printer {

using namespace pos::opos;

namespace {

// The page area a rotated page is printed in once it is sent.
constexpr std::int32_t kPageAreaUnitsAfterPage = 20;

// Wraps the held output in page-mode commands and sends it as one write. The page buffer keeps
// its bytes until the next page starts or ClearOutput empties it.
void sendPage(DeviceLink& link, PrinterState& state) {
    CommandBuffer& page = state.Pages.buffer;
    // Each goes in front of the last, so the page begins with page mode, then area, then
    // direction.
    link.PutCommand(page, kPageDirection, DeviceLink::kAtFront);
    link.PutCommand(page, kPageArea, DeviceLink::kAtFront);
    link.PutCommand(page, kPageModeStart, DeviceLink::kAtFront);
    page.append({0x0C, 0x0A});
    // Off before the send, or the page would be appended to itself.
    state.Pages.active = false;
    link.PutCommand(page, DeviceLink::kSend, DeviceLink::kAtEnd);
    state.Settings.PageAreaUnits = kPageAreaUnitsAfterPage;
}

}  // namespace

std::int32_t PrinterService::PrintImmediate(std::int32_t station, const String& data) {
    const std::string bytes = platform::toAnsi(data);
    trace_.Write("PrintImmediate:\t\tStation:0x%x\n", static_cast<unsigned>(station));
    if (trace_.enabled()) {
        trace_.Write("PrintImmediate:Data Length:%lu bytes%s",
                     static_cast<unsigned long>(bytes.size()), immediateDataDump(bytes).c_str());
    }
    if (station != PTR_S_RECEIPT) {
        trace_.Write("PrintImmediate:Station fail!:OPOS_E_ILLEGAL\n");
        return OPOS_E_ILLEGAL;
    }
    // Escape sequences are not interpreted: the bytes go out as given.
    CommandBuffer out;
    out.append(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
    link_.PutCommand(out, DeviceLink::kSend, DeviceLink::kAtEnd);
    return OPOS_SUCCESS;
}

std::int32_t PrinterService::RotatePrint(std::int32_t station, std::int32_t rotation) {
    trace_.Write("RotatePrint:\t\tStation:0x%x,\t\tRotation:0x%x\n", static_cast<unsigned>(station),
                 static_cast<unsigned>(rotation));
    if (station != PTR_S_RECEIPT) {
        trace_.Write("RotatePrint:Station fail!:OPOS_E_ILLEGAL\n");
        return OPOS_E_ILLEGAL;
    }
    // The first call opens the page and fixes its direction; later calls only count until one
    // asks for normal printing again.
    if (state_.RotateCallCount == 0) {
        state_.Pages.active = true;
        state_.Pages.buffer.clear();
        if (const auto direction = printDirectionFor(rotation)) {
            state_.Settings.PrintDirection = *direction;
        }
    }
    state_.RotateCallCount = countRotateCall(state_.RotateCallCount);
    if (state_.RotateCallCount >= 2 && rotation == PTR_RP_NORMAL) {
        state_.RotateCallCount = 0;
        sendPage(link_, state_);
    }
    return OPOS_SUCCESS;
}

std::int32_t PrinterService::TransactionPrint(std::int32_t station, std::int32_t control) {
    // Output is never held for a transaction; every print call goes out as it comes.
    trace_.Write("TransactionPrint:\t\tStation:0x%x,\t\tControl:0x%x\n",
                 static_cast<unsigned>(station), static_cast<unsigned>(control));
    return OPOS_SUCCESS;
}

std::int32_t PrinterService::CutPaper(std::int32_t percentage) {
    trace_.Write("CutPaper:0x%x\n", static_cast<unsigned>(percentage));
    state_.Settings.CutFunction = cutFunctionFor(percentage);
    CommandBuffer out;
    link_.PutCommand(out, kCut, DeviceLink::kAtEnd);
    link_.PutCommand(out, DeviceLink::kSend, DeviceLink::kAtEnd);
    return OPOS_SUCCESS;
}

std::int32_t PrinterService::ClearOutput() {
    // An open page stays open and keeps collecting; only what it held so far is dropped.
    if (!state_.Pages.buffer.empty()) state_.Pages.buffer.clear();
    trace_.Write("ClearOutput:OPOS_SUCCESS\n");
    return OPOS_SUCCESS;
}

}  // namespace pos::printer
