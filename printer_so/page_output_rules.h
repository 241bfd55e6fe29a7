#pragma once
// Tables of the smaller output methods (rotated pages, paper cut, immediate data), kept apart
// from the service so each can be tested on its own.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pos::printer {

// OPOS rotation values of RotatePrint.
inline constexpr std::int32_t PTR_RP_NORMAL = 0x0001;
inline constexpr std::int32_t PTR_RP_RIGHT90 = 0x0101;
inline constexpr std::int32_t PTR_RP_LEFT90 = 0x0102;
inline constexpr std::int32_t PTR_RP_ROTATE180 = 0x0103;

// The page-mode print direction for a rotation; nothing for any other value.
std::optional<std::uint8_t> printDirectionFor(std::int32_t rotation);

// RotatePrint calls counted since the last page. Only 0, 1 and "2 or more" matter, so the count
// stops short of overflowing however long a page stays open.
std::int32_t countRotateCall(std::int32_t count);

// The printer's cut function for a CutPaper percentage.
std::uint8_t cutFunctionFor(std::int32_t percentage);

// The trace body of immediate data: the bytes in lower-case hex, ten to a line, each line
// begun with a line end, the whole ended with one.
std::string immediateDataDump(std::string_view bytes);

}  // namespace pos::printer
