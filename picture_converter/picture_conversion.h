#pragma once
// Pictures to black-and-white bitmap files, in memory.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "bitmap_file.h"

namespace pos::pixeo {

// Lightness of each dot, 0 black to 255 white, row after row from the top.
struct GreyImage {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint8_t> levels;
};

inline constexpr std::size_t kMaxPictureFileBytes = 64u << 20;
inline constexpr std::uint64_t kMaxPictureDots = 1u << 24;

// A BMP of any uncompressed depth, JPEG, GIF or PNG; transparency is laid over white.
std::optional<GreyImage> decodePicture(std::span<const std::uint8_t> file);

// Floyd-Steinberg error diffusion, running left to right and right to left on alternate rows
// so that the diffused error leaves no diagonal drift. Levels of 128 and above count as light.
printer::MonoBitmap ditherToMono(const GreyImage& image);

// A bottom-up file with the palette black, white: what every program reads as intended.
std::vector<std::uint8_t> encodeMonoBmp(const printer::MonoBitmap& bitmap);

// The whole conversion: a black-and-white bitmap is taken as it is, anything else dithered.
std::optional<std::vector<std::uint8_t>> convertToMonoBmp(std::span<const std::uint8_t> file);

}  // namespace pos::pixeo
