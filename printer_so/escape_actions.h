#pragma once
// What a recognised escape sequence does: the print settings it changes and the printer
// commands, in sending order, that carry the change to the printer.
#include <cstdint>
#include <span>

#include "escape_parser.h"
#include "print_settings.h"

namespace pos::printer {

// A feed escape asks for at most this many lines. Each line is one byte on the wire, so a
// runaway number would otherwise build a buffer of gigabytes; the printer's own feed commands
// stop at 255 too.
inline constexpr std::uint32_t kMaxFeedLines = 255;

// Changes settings as the sequence asks and gives the commands to send; none for sequences
// that are only dropped.
std::span<const std::int32_t> applyEscape(PrintSettings& settings, const EscapeSequence& sequence);

}  // namespace pos::printer
