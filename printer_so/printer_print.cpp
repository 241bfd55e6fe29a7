// Text printing with escape sequences.
#include <algorithm>
#include <climits>
#include <cstdio>
#include <string>

#include "escape_actions.h"
#include "escape_parser.h"
#include "opos_constants.h"
#include "platform/ansi_text.h"
#include "print_line_measure.h"
#include "printer_service.h"

namespace pos::printer {

using namespace pos::opos;

namespace {
// The dump is written a few lines at a time so a long text never needs one huge trace string.
constexpr std::size_t kDumpUnitsPerWrite = 640;
constexpr std::size_t kUnitsPerDumpLine = 10;

void appendUnit(std::string& out, char16_t unit) {
    const auto value = static_cast<unsigned>(unit);
    char text[8];
    if (value < 0x10) {
        std::snprintf(text, sizeof text, "000%x ", value);
    } else if (value < 0x100) {
        std::snprintf(text, sizeof text, "00%x ", value);
    } else {
        std::snprintf(text, sizeof text, "%x ", value);
    }
    out += text;
}

void traceUnits(TraceLog& trace, const std::u16string& data) {
    std::string chunk;
    for (std::size_t i = 0; i < data.size(); ++i) {
        if (i % kUnitsPerDumpLine == 0) chunk += '\n';
        appendUnit(chunk, data[i]);
        if ((i + 1) % kDumpUnitsPerWrite == 0) {
            trace.Write("%s", chunk.c_str());
            chunk.clear();
        }
    }
    chunk += '\n';
    trace.Write("%s", chunk.c_str());
}
}  // namespace

std::int32_t PrinterService::PrintNormal(std::int32_t station, const String& data) {
    trace_.Write("PrintNormal:Station:0x%x\n", static_cast<unsigned>(station));
    trace_.Write("PrintNormal:Data Length:%d words\n",
                 static_cast<int>(std::min<std::size_t>(data.size(), INT_MAX)));
    if (trace_.enabled()) traceUnits(trace_, data);

    if (station != PTR_S_RECEIPT) {
        trace_.Write("PrintNormal:Station fail!:OPOS_E_ILLEGAL\n");
        return OPOS_E_ILLEGAL;
    }

    const std::string text = platform::toAnsi(data);
    std::string_view rest = text;
    LineMeasure measure(state_.Settings.PageAreaUnits);
    // Every run and every sequence is a write of its own.
    while (!rest.empty()) {
        const EscapeStep step = parseNextEscape(rest);
        CommandBuffer run;
        run.append(
            std::span(reinterpret_cast<const std::uint8_t*>(step.text.data()), step.text.size()));
        link_.PutCommand(run, DeviceLink::kSend, DeviceLink::kAtEnd);
        if (step.sequence) {
            measure.add(*step.sequence);
            CommandBuffer commands;
            for (const std::int32_t command : applyEscape(state_.Settings, *step.sequence)) {
                link_.PutCommand(commands, command, DeviceLink::kAtEnd);
            }
            link_.PutCommand(commands, DeviceLink::kSend, DeviceLink::kAtEnd);
        }
        rest.remove_prefix(step.length());
    }
    state_.Settings.PageAreaUnits = measure.pageAreaUnits();
    return OPOS_SUCCESS;
}

}  // namespace pos::printer
