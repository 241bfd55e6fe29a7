#pragma once
// What a receipt printer makes of the bytes it receives, as text for a terminal. Text lines
// are justified in the paper's columns; wide characters are spaced out ("T I T L E"), tall
// ones marked ^^...^^, bold **...**, underlined __...__ and reversed [[...]] (or terminal
// attributes on request); barcodes, images, cuts and page mode become labelled blocks; other
// commands become bracketed notes; bytes the printer would not understand are shown as <hex>.
// A line's justification is the one in effect when its first character arrived. Notes from
// commands that print nothing appear where they arrive, before a line still being filled.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace pos::receipt {

struct RenderOptions {
    // Characters across the paper in the normal font: 48 on 80 mm paper, 32 on 58 mm. Values
    // outside kMinColumns..kMaxColumns are held at the nearer end.
    int columns = 48;
    // Bold, underline and reverse as ANSI terminal attributes instead of markers.
    bool ansi = false;
    // A stored image can be printed again and again by three bytes each time, so the text is
    // not bounded by the input: rendering stops with a note once it has grown past this.
    std::size_t maxTextBytes = std::size_t{64} << 20;
};

inline constexpr int kMinColumns = 8;
inline constexpr int kMaxColumns = 255;

// The whole rendering; every line ends in '\n'. Any bytes give a result.
std::string renderReceipt(std::span<const std::uint8_t> bytes, const RenderOptions& options = {});

}  // namespace pos::receipt
