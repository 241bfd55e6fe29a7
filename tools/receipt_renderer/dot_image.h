#pragma once
// Black-and-white dot pictures as the printer receives them, drawn with half-block characters:
// one dot across and two down per character cell, scaled down to fit the paper's columns.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "print_line.h"

namespace pos::receipt {

struct DotImage {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint8_t> dark;  // one entry per dot, row after row from the top

    bool at(std::uint32_t x, std::uint32_t y) const {
        return dark[std::size_t{y} * width + x] != 0;
    }
};

// Raster rows: bytesPerRow bytes a row, top row first, the leftmost dot in the high bit.
DotImage imageFromRows(std::span<const std::uint8_t> data, std::uint32_t bytesPerRow,
                       std::uint32_t rows);

// Downloaded-image data: columns from left to right, each bytesPerColumn bytes from the top,
// the top dot of each byte in its high bit.
DotImage imageFromColumns(std::span<const std::uint8_t> data, std::uint32_t columns,
                          std::uint32_t bytesPerColumn);

// Each dot repeated across and down times (the printer's modes use 1 and 2).
DotImage enlarged(const DotImage& image, std::uint32_t across, std::uint32_t down);

// Text lines, each ending in '\n'. A picture wider than the paper is scaled down by a whole
// factor; a shrunken cell half is dark when at least a quarter of its dots are.
std::string drawImage(const DotImage& image, int paperColumns, Justification justification);

}  // namespace pos::receipt
