#pragma once
// The simulator's text commands ("cover open", "paper end", "status", ...), one per line.
#include <string>
#include <string_view>

#include "printer_protocol.h"

namespace pos::tools {

struct CommandOutcome {
    // Lines for the channel the command came from, each ending in '\n'; the last one is "ok"
    // or starts with "error:". Empty for a blank line.
    std::string reply;
    // Automatic status report to send to the printer's peer now.
    PrinterProtocol::Bytes report;
    bool quit = false;
};

CommandOutcome runControlCommand(PrinterProtocol& printer, std::string_view line);

// One line without the newline: state, settings and counters.
std::string describeState(const PrinterProtocol& printer);

}  // namespace pos::tools
