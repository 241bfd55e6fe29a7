#include "barcode_rules.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace pos::printer::barcode {

namespace {

// Bytes are compared as signed: anything from 0x80 up is below zero and fails every range
// test, the seven-bit one included.
bool isDigit(std::int8_t c) {
    return c >= '0' && c <= '9';
}
bool isSevenBit(std::int8_t c) {
    return c >= 0;
}
bool isCodabar(std::int8_t c) {
    return isDigit(c) || (c >= 'A' && c <= 'D') ||
           std::string_view("$-./:").find(c) != std::string_view::npos;
}
bool isCode39(std::int8_t c) {
    return isDigit(c) || (c >= 'A' && c <= 'Z') ||
           std::string_view(" $%+-./").find(c) != std::string_view::npos;
}

// Code 128 data is preceded by the two bytes "{A" inside the one-byte length.
constexpr std::uint8_t kCode128SetA[] = {0x7B, 0x41};

struct Symbology {
    std::int32_t opos;
    std::uint8_t code;
    std::size_t minLength;
    std::size_t maxLength;
    bool (*allowed)(std::int8_t);
};

constexpr std::array<Symbology, 9> kSymbologies{{
    {PTR_BCS_UPCA, 0x41, 11, 12, isDigit},
    {PTR_BCS_UPCE, 0x42, 11, 12, isDigit},
    {PTR_BCS_JAN8, 0x44, 7, 8, isDigit},
    {PTR_BCS_JAN13, 0x43, 12, 13, isDigit},
    {PTR_BCS_ITF, 0x46, 1, 255, isDigit},
    {PTR_BCS_Codabar, 0x47, 1, 255, isCodabar},
    {PTR_BCS_Code39, 0x45, 1, 255, isCode39},
    {PTR_BCS_Code93, 0x48, 1, 255, isSevenBit},
    // The length byte also counts the "{A" prefix, so more than 253 data bytes would wrap it.
    {PTR_BCS_Code128, 0x49, 2, 255 - sizeof kCode128SetA, isSevenBit},
}};

const Symbology* find(std::int32_t symbology) {
    const auto it = std::find_if(kSymbologies.begin(), kSymbologies.end(),
                                 [&](const Symbology& s) { return s.opos == symbology; });
    return it == kSymbologies.end() ? nullptr : &*it;
}

}  // namespace

bool dataAccepted(std::int32_t symbology, std::string_view data) {
    const Symbology* s = find(symbology);
    if (s == nullptr || data.size() < s->minLength || data.size() > s->maxLength) return false;
    return std::all_of(data.begin(), data.end(),
                       [&](char c) { return s->allowed(static_cast<std::int8_t>(c)); });
}

std::vector<std::uint8_t> symbolBytes(std::int32_t symbology, std::string_view data) {
    if (!dataAccepted(symbology, data)) return {};
    const Symbology& s = *find(symbology);
    std::vector<std::uint8_t> bytes{s.code};
    if (symbology == PTR_BCS_Code128) {
        bytes.push_back(static_cast<std::uint8_t>(data.size() + sizeof kCode128SetA));
        bytes.insert(bytes.end(), std::begin(kCode128SetA), std::end(kCode128SetA));
    } else {
        bytes.push_back(static_cast<std::uint8_t>(data.size()));
    }
    bytes.insert(bytes.end(), data.begin(), data.end());
    return bytes;
}

std::optional<std::uint8_t> justificationFor(std::int32_t alignment) {
    switch (alignment) {
        case PTR_BC_LEFT:
            return 0;
        case PTR_BC_CENTER:
            return 1;
        case PTR_BC_RIGHT:
            return 2;
        default:
            return std::nullopt;
    }
}

std::optional<std::uint8_t> hriPlacementFor(std::int32_t textPosition) {
    switch (textPosition) {
        case PTR_BC_TEXT_NONE:
            return 0;
        case PTR_BC_TEXT_ABOVE:
            return 1;
        case PTR_BC_TEXT_BELOW:
            return 2;
        default:
            return std::nullopt;
    }
}

bool heightAccepted(std::int32_t height) {
    return height >= 1 && height <= 255;
}

std::optional<std::int32_t> pageUnitsForWidth(std::int32_t width) {
    if (width < 2 || width > 6) return std::nullopt;
    return 20 + 8 * (width - 2);
}

}  // namespace pos::printer::barcode
