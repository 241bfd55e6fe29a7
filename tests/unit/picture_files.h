#pragma once
// Picture files in the formats the converter reads, made by the tests themselves.
#include <cstdint>
#include <vector>

namespace pos::test {

using Bytes = std::vector<std::uint8_t>;

// Lightness per dot, 0 black to 255 white, top row first.
struct GreyPicture {
    int width = 0;
    int height = 0;
    Bytes levels;
};

Bytes pngFile(const GreyPicture& picture);
// RGBA: level as grey, alpha as given per dot.
Bytes pngFileWithAlpha(const GreyPicture& picture, const Bytes& alpha);
Bytes jpegFile(const GreyPicture& picture);
Bytes bmp24File(const GreyPicture& picture);
// Only levels 0 and 255; the data uncompressed in the way the LZW scheme allows.
Bytes gifFile(const GreyPicture& picture);

}  // namespace pos::test
