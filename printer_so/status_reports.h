#pragma once
// What a status read means: each group of four bytes traced bit by bit, decoded, and for
// automatic status reports compared with the current status to find the events to fire.
#include <cstdint>
#include <functional>
#include <span>

#include "printer_state.h"
#include "status_flags.h"
#include "trace_log.h"

namespace pos::printer {

// Decodes the answer to the four DLE EOT requests into query, group by group; the last group
// counts.
void decodeDleAnswer(std::span<const std::uint8_t> bytes, StatusFlags& query, TraceLog& trace);

// Decodes automatic status reports into asb and current, group by group. Each group's flags
// are stored in current before its events go to fire, so a handler that reads the status
// properties sees the state it is told about.
void decodeAsbReport(std::span<const std::uint8_t> bytes, StatusFlags& asb, PrinterStatus& current,
                     TraceLog& trace, const std::function<void(std::int32_t)>& fire);

}  // namespace pos::printer
