#pragma once
// The bars of the barcodes a receipt commonly carries, worked out from the data the printer
// receives, so that the text view can show them.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pos::receipt {

// The symbology named by the barcode command's m byte (0..6 and 65..73); nullptr otherwise.
const char* symbologyName(std::uint8_t m);

struct BarPattern {
    std::vector<bool> modules;  // true for a bar, one entry per narrowest bar width
    std::string text;           // what the printer writes beside the bars
};

// The pattern for UPC-A, EAN-13 and EAN-8 (check digit added when left out) and Code 128 (data
// starting with a code set, {A, {B or {C, later switched by the same pairs, with {1 and {{ for
// FNC1 and a brace); nullopt for data the printer would refuse, for the other functions and
// for the other symbologies.
std::optional<BarPattern> barPattern(std::uint8_t m, std::string_view data);

// Two modules per character cell with half blocks.
std::string drawModules(const std::vector<bool>& modules);

}  // namespace pos::receipt
