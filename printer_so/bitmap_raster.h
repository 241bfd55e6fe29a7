#pragma once
// The printer's two image forms, built from a decoded black-and-white bitmap, and the OPOS
// nibble text that memory bitmaps arrive in.
#include <cstdint>
#include <string_view>
#include <vector>

#include "bitmap_file.h"

namespace pos::printer {

// Raster rows as the raster-image command takes them: rowBytes per row, top row first, a set
// bit for a printed (dark) dot. Only the bitmap's own dots can print: the unused bits of each
// row's last byte and its padding byte are sent clear.
std::vector<std::uint8_t> rasterImageBytes(const MonoBitmap& bitmap);

// Rows needed for the downloaded image: the height rounded up to whole groups of eight.
std::uint32_t downloadRowCount(const MonoBitmap& bitmap);

// The downloaded-image data: dot columns from left to right, each as downloadRowCount / 8
// bytes from top to bottom, the top dot of each byte in its most significant bit. Rows added
// to reach a group of eight, and bits beyond the width, print white.
std::vector<std::uint8_t> downloadImageBytes(const MonoBitmap& bitmap);

// Two characters per byte: (first - 0x30) * 16 + (second - 0x30), modulo 256, for any
// characters; a lone last character gives its value in the high four bits.
std::vector<std::uint8_t> decodeNibbleText(std::string_view text);

}  // namespace pos::printer
