#pragma once
// What the printer's barcode command accepts: symbologies, data rules, alignment and
// human-readable-text placement. Pure functions, so every rule can be tested on its own.
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace pos::printer::barcode {

// OPOS symbology values.
inline constexpr std::int32_t PTR_BCS_UPCA = 101;
inline constexpr std::int32_t PTR_BCS_UPCE = 102;
inline constexpr std::int32_t PTR_BCS_JAN8 = 103;
inline constexpr std::int32_t PTR_BCS_JAN13 = 104;
inline constexpr std::int32_t PTR_BCS_TF = 105;
inline constexpr std::int32_t PTR_BCS_ITF = 106;
inline constexpr std::int32_t PTR_BCS_Codabar = 107;
inline constexpr std::int32_t PTR_BCS_Code39 = 108;
inline constexpr std::int32_t PTR_BCS_Code93 = 109;
inline constexpr std::int32_t PTR_BCS_Code128 = 110;

// OPOS alignment and text-position values.
inline constexpr std::int32_t PTR_BC_LEFT = -1;
inline constexpr std::int32_t PTR_BC_CENTER = -2;
inline constexpr std::int32_t PTR_BC_RIGHT = -3;
inline constexpr std::int32_t PTR_BC_TEXT_NONE = -11;
inline constexpr std::int32_t PTR_BC_TEXT_ABOVE = -12;
inline constexpr std::int32_t PTR_BC_TEXT_BELOW = -13;

// Every barcode goes out with this module width, whatever the caller's Width says.
inline constexpr std::uint8_t kModuleWidth = 2;

// True when the symbology is supported and data meets its length and character rule.
bool dataAccepted(std::int32_t symbology, std::string_view data);

// The symbology byte, the length byte and the data that follow GS k; empty when
// dataAccepted would refuse.
std::vector<std::uint8_t> symbolBytes(std::int32_t symbology, std::string_view data);

// Justification for an alignment constant; nothing for any other value (dots included).
std::optional<std::uint8_t> justificationFor(std::int32_t alignment);

// HRI placement for a text-position constant; nothing for any other value.
std::optional<std::uint8_t> hriPlacementFor(std::int32_t textPosition);

bool heightAccepted(std::int32_t height);

// How long a page must be (in page-area units) to hold a barcode of this width; nothing for
// widths that do not ask for more room.
std::optional<std::int32_t> pageUnitsForWidth(std::int32_t width);

}  // namespace pos::printer::barcode
