#pragma once
// Black-and-white bitmap files (.bmp, one bit per dot), decoded by our own code so that every
// platform reads a file the same way. The rows come out as the Windows GetBitmapBits call
// delivers a black-and-white bitmap: top row first, each row padded to an even number of
// bytes, the leftmost dot in the most significant bit, and a set bit for a light dot, whatever
// the order of the colours in the file's palette. Bits beyond the width read as light.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace pos::printer {

struct MonoBitmap {
    std::uint32_t width = 0;     // dots
    std::uint32_t height = 0;    // rows
    std::uint32_t rowBytes = 0;  // width / 8 rounded up, then up to an even number
    std::vector<std::uint8_t> rows;
};

enum class BitmapFault {
    None,
    NotABitmap,         // no "BM" signature, or too short for the headers
    UnsupportedHeader,  // an information header we do not know, or more than one plane
    NotOneBitPerDot,
    Compressed,
    BadPalette,  // more colours than one bit can choose, or the palette past the end
    BadSize,     // no dots, or a negative width
    TooLarge,    // beyond kMaxBitmapSide dots or kMaxBitmapRowData bytes
    BadOffset,   // the dots said to start inside the headers or past the end
    Truncated,   // the file ends before the last row
};

// Big enough for any receipt image, small enough that a damaged header cannot make us
// allocate without bound.
inline constexpr std::uint32_t kMaxBitmapSide = 0xFFFF;
inline constexpr std::size_t kMaxBitmapRowData = 16u << 20;

struct BitmapDecoding {
    BitmapFault fault = BitmapFault::None;
    MonoBitmap bitmap;  // filled only without a fault
    bool ok() const { return fault == BitmapFault::None; }
};

BitmapDecoding decodeMonoBitmap(std::span<const std::uint8_t> file);

const char* describe(BitmapFault fault);

}  // namespace pos::printer
