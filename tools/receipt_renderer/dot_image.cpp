#include "dot_image.h"

#include <algorithm>

namespace pos::receipt {

namespace {

constexpr const char* kUpperHalf = "\u2580";
constexpr const char* kLowerHalf = "\u2584";
constexpr const char* kFullBlock = "\u2588";
// Keeps a side in dots within 32 bits; the printer's commands give at most 16 bits of bytes.
constexpr std::uint32_t kMaxBytesAcross = 0xFFFFFFFFu / 8;

// Whether the square block of side scale at (x, y) counts as dark; dots outside the picture
// are light.
bool blockDark(const DotImage& image, std::uint64_t x0, std::uint64_t y0, std::uint32_t scale) {
    if (x0 >= image.width || y0 >= image.height) return false;
    const auto x1 = static_cast<std::uint32_t>(std::min<std::uint64_t>(x0 + scale, image.width));
    const auto y1 = static_cast<std::uint32_t>(std::min<std::uint64_t>(y0 + scale, image.height));
    std::uint64_t darkDots = 0;
    for (auto y = static_cast<std::uint32_t>(y0); y < y1; ++y) {
        for (auto x = static_cast<std::uint32_t>(x0); x < x1; ++x) darkDots += image.at(x, y);
    }
    return darkDots > 0 && darkDots * 4 >= std::uint64_t{x1 - x0} * (y1 - y0);
}

}  // namespace

DotImage imageFromRows(std::span<const std::uint8_t> data, std::uint32_t bytesPerRow,
                       std::uint32_t rows) {
    if (bytesPerRow == 0 || bytesPerRow > kMaxBytesAcross) return {};
    // Rows the data does not reach are left out rather than made up.
    rows = static_cast<std::uint32_t>(
        std::min<std::uint64_t>(rows, (data.size() + bytesPerRow - 1) / bytesPerRow));
    DotImage image{bytesPerRow * 8, rows, {}};
    image.dark.resize(std::size_t{image.width} * rows, 0);
    for (std::uint32_t y = 0; y < rows; ++y) {
        for (std::uint32_t x = 0; x < image.width; ++x) {
            const std::size_t at = std::size_t{y} * bytesPerRow + x / 8;
            if (at < data.size())
                image.dark[std::size_t{y} * image.width + x] = (data[at] >> (7 - x % 8)) & 1;
        }
    }
    return image;
}

DotImage imageFromColumns(std::span<const std::uint8_t> data, std::uint32_t columns,
                          std::uint32_t bytesPerColumn) {
    if (bytesPerColumn == 0 || bytesPerColumn > kMaxBytesAcross) return {};
    columns = static_cast<std::uint32_t>(
        std::min<std::uint64_t>(columns, (data.size() + bytesPerColumn - 1) / bytesPerColumn));
    DotImage image{columns, bytesPerColumn * 8, {}};
    image.dark.resize(std::size_t{columns} * image.height, 0);
    for (std::uint32_t x = 0; x < columns; ++x) {
        for (std::uint32_t y = 0; y < image.height; ++y) {
            const std::size_t at = std::size_t{x} * bytesPerColumn + y / 8;
            if (at < data.size())
                image.dark[std::size_t{y} * columns + x] = (data[at] >> (7 - y % 8)) & 1;
        }
    }
    return image;
}

DotImage enlarged(const DotImage& image, std::uint32_t across, std::uint32_t down) {
    if (across == 0 || down == 0) return {};
    if (across == 1 && down == 1) return image;
    DotImage out{image.width * across, image.height * down, {}};
    out.dark.resize(std::size_t{out.width} * out.height, 0);
    for (std::uint32_t y = 0; y < out.height; ++y) {
        for (std::uint32_t x = 0; x < out.width; ++x) {
            out.dark[std::size_t{y} * out.width + x] = image.at(x / across, y / down);
        }
    }
    return out;
}

std::string drawImage(const DotImage& image, int paperColumns, Justification justification) {
    if (image.width == 0 || image.height == 0 || paperColumns <= 0) return {};
    const auto paper = static_cast<std::uint32_t>(paperColumns);
    const std::uint32_t scale = (image.width + paper - 1) / paper;
    const std::uint32_t cellsAcross = (image.width + scale - 1) / scale;
    const std::uint64_t cellHeight = std::uint64_t{scale} * 2;
    const std::uint64_t cellRows = (image.height + cellHeight - 1) / cellHeight;
    const std::string indent(static_cast<std::size_t>(leadingSpaces(
                                 justification, static_cast<int>(cellsAcross), paperColumns)),
                             ' ');

    std::string out;
    for (std::uint64_t row = 0; row < cellRows; ++row) {
        std::string line = indent;
        for (std::uint32_t cell = 0; cell < cellsAcross; ++cell) {
            const std::uint64_t x = std::uint64_t{cell} * scale;
            const bool top = blockDark(image, x, row * cellHeight, scale);
            const bool bottom = blockDark(image, x, row * cellHeight + scale, scale);
            line += top && bottom ? kFullBlock : top ? kUpperHalf : bottom ? kLowerHalf : " ";
        }
        while (!line.empty() && line.back() == ' ') line.pop_back();
        out += line + '\n';
    }
    return out;
}

}  // namespace pos::receipt
