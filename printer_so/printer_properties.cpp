// The four property methods; what each index means lives in printer_property_tables.cpp.
#include "platform/ansi_text.h"
#include "printer_property_tables.h"
#include "printer_service.h"

namespace pos::printer {

namespace {
constexpr std::int32_t kInteractiveHealthCheck = 3;  // OPOS_CH_INTERACTIVE
}  // namespace

std::int32_t PrinterService::GetPropertyNumber(std::int32_t index) {
    trace_.Write("GetPropertyNumber:PropIndex:0x%x\n", static_cast<unsigned>(index));
    std::int32_t answer = 0;
    if (const NumberRead* row = findNumberRead(index)) {
        for (int line = 0; line < row->nameLines; ++line) trace_.Write(":%s\n", row->name);
        PropertyHost host(state_);
        host.powerTestPasses = [this] { return powerTestPasses(); };
        answer = row->answer(host);
    }
    trace_.Write("return pNumber:0x%x\n", static_cast<unsigned>(answer));
    return answer;
}

void PrinterService::SetPropertyNumber(std::int32_t index, std::int32_t number) {
    trace_.Write("SetPropertyNumber:0x%x\n", static_cast<unsigned>(index));
    const NumberWrite* row = findNumberWrite(index);
    if (row == nullptr) return;
    switch (row->trace) {
        case WriteTrace::Hex:
            trace_.Write(":%s:0x%x\n", row->name, static_cast<unsigned>(number));
            break;
        case WriteTrace::Decimal:
            trace_.Write(":%s:%d\n", row->name, number);
            break;
        case WriteTrace::None:
            break;
    }
    if (row->store == nullptr) return;
    PropertyHost host(state_);
    host.switchStatusMonitoring = [this](bool on) {
        if (on) {
            ASBStart();
        } else {
            ASBStop();
        }
    };
    row->store(host, number);
}

PrinterService::String PrinterService::GetPropertyString(std::int32_t index) {
    trace_.Write("GetPropertyString:PropIndex:0x%x\n", static_cast<unsigned>(index));
    std::string answer = "EMPTY";
    if (const StringRead* row = findStringRead(index)) {
        if (row->tracesName) trace_.Write(":%s\n", row->name);
        if (row->answer != nullptr) {
            PropertyHost host(state_);
            // The property read has nowhere to report the check's result.
            host.runInteractiveHealthCheck = [this] { CheckHealth(kInteractiveHealthCheck); };
            answer = row->answer(host);
        } else {
            answer = row->text;
        }
    }
    trace_.Write("return pString:%s\n", answer.c_str());
    return platform::fromAnsi(answer);
}

void PrinterService::SetPropertyString(std::int32_t index, const String& text) {
    trace_.Write("SetPropertyString:0x%x,%s\n", static_cast<unsigned>(index),
                 platform::toAnsi(text).c_str());
}

}  // namespace pos::printer
