#include "picture_conversion.h"

#include <algorithm>
#include <climits>
#include <memory>

#include "stb_image.h"

namespace pos::pixeo {

namespace {

struct StbFree {
    void operator()(stbi_uc* pixels) const { stbi_image_free(pixels); }
};

std::uint8_t lightness(const stbi_uc* rgba) {
    const unsigned grey = (299u * rgba[0] + 587u * rgba[1] + 114u * rgba[2] + 500u) / 1000u;
    const unsigned alpha = rgba[3];
    return static_cast<std::uint8_t>((grey * alpha + 255u * (255u - alpha) + 127u) / 255u);
}

void putLE(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

}  // namespace

std::optional<GreyImage> decodePicture(std::span<const std::uint8_t> file) {
    if (file.empty() || file.size() > kMaxPictureFileBytes || file.size() > INT_MAX)
        return std::nullopt;
    const auto* bytes = reinterpret_cast<const stbi_uc*>(file.data());
    const int length = static_cast<int>(file.size());
    int width = 0;
    int height = 0;
    int channels = 0;
    // Ask the size first so a damaged header cannot make the decoder allocate without bound.
    if (!stbi_info_from_memory(bytes, length, &width, &height, &channels) || width <= 0 ||
        height <= 0 ||
        static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) > kMaxPictureDots) {
        return std::nullopt;
    }
    std::unique_ptr<stbi_uc, StbFree> pixels(
        stbi_load_from_memory(bytes, length, &width, &height, &channels, 4));
    if (!pixels || width <= 0 || height <= 0 ||
        static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) > kMaxPictureDots) {
        return std::nullopt;
    }
    GreyImage image;
    image.width = static_cast<std::uint32_t>(width);
    image.height = static_cast<std::uint32_t>(height);
    const std::size_t dots = std::size_t{image.width} * image.height;
    image.levels.resize(dots);
    for (std::size_t i = 0; i < dots; ++i) image.levels[i] = lightness(pixels.get() + 4 * i);
    return image;
}

printer::MonoBitmap ditherToMono(const GreyImage& image) {
    printer::MonoBitmap out;
    out.width = image.width;
    out.height = image.height;
    out.rowBytes = ((image.width + 7) / 8 + 1) / 2 * 2;
    out.rows.assign(std::size_t{out.rowBytes} * image.height, 0xFF);
    // Errors in sixteenths of a level; index x + 1 so both neighbours always exist.
    std::vector<int> current(image.width + 2, 0);
    std::vector<int> next(image.width + 2, 0);
    for (std::uint32_t y = 0; y < image.height; ++y) {
        const bool leftward = y % 2 == 1;
        const int step = leftward ? -1 : 1;
        std::fill(next.begin(), next.end(), 0);
        for (std::uint32_t i = 0; i < image.width; ++i) {
            const std::uint32_t x = leftward ? image.width - 1 - i : i;
            const std::size_t at = x + 1;
            const int value = image.levels[std::size_t{y} * image.width + x] * 16 + current[at];
            const bool light = value >= 128 * 16;
            const int error = value - (light ? 255 * 16 : 0);
            if (!light) {
                out.rows[std::size_t{y} * out.rowBytes + x / 8] &=
                    static_cast<std::uint8_t>(~(0x80u >> (x % 8)));
            }
            current[at + step] += error * 7 / 16;
            next[at - step] += error * 3 / 16;
            next[at] += error * 5 / 16;
            next[at + step] += error / 16;
        }
        std::swap(current, next);
    }
    return out;
}

std::vector<std::uint8_t> encodeMonoBmp(const printer::MonoBitmap& bitmap) {
    constexpr std::uint32_t kDataOffset = 14 + 40 + 8;
    const std::uint32_t usedBytes = (bitmap.width + 7) / 8;
    const std::uint32_t stride = (bitmap.width + 31) / 32 * 4;
    const std::uint32_t dataSize = stride * bitmap.height;
    std::vector<std::uint8_t> file;
    file.reserve(kDataOffset + dataSize);
    file.push_back('B');
    file.push_back('M');
    putLE(file, kDataOffset + dataSize, 4);
    putLE(file, 0, 4);
    putLE(file, kDataOffset, 4);
    putLE(file, 40, 4);
    putLE(file, bitmap.width, 4);
    putLE(file, bitmap.height, 4);  // positive: bottom row first
    putLE(file, 1, 2);              // planes
    putLE(file, 1, 2);              // bits per dot
    putLE(file, 0, 4);              // no compression
    putLE(file, dataSize, 4);
    putLE(file, 0, 4);
    putLE(file, 0, 4);
    putLE(file, 2, 4);           // colours used
    putLE(file, 2, 4);           // colours important
    putLE(file, 0x00000000, 4);  // index 0: black
    putLE(file, 0x00FFFFFF, 4);  // index 1: white
    const unsigned spareBits = usedBytes * 8 - bitmap.width;
    const auto usedMask = static_cast<std::uint8_t>(0xFFu << spareBits);
    for (std::uint32_t row = bitmap.height; row-- > 0;) {
        const std::uint8_t* source = bitmap.rows.data() + std::size_t{row} * bitmap.rowBytes;
        const std::size_t start = file.size();
        file.insert(file.end(), source, source + usedBytes);
        file[start + usedBytes - 1] &= usedMask;
        file.resize(start + stride, 0);
    }
    return file;
}

std::optional<std::vector<std::uint8_t>> convertToMonoBmp(std::span<const std::uint8_t> file) {
    const printer::BitmapDecoding mono = printer::decodeMonoBitmap(file);
    if (mono.ok()) return encodeMonoBmp(mono.bitmap);
    const std::optional<GreyImage> picture = decodePicture(file);
    if (!picture) return std::nullopt;
    return encodeMonoBmp(ditherToMono(*picture));
}

}  // namespace pos::pixeo
