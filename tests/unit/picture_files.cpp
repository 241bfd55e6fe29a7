#include "picture_files.h"

#include <algorithm>
#include <cstddef>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include "stb_image_write.h"

namespace pos::test {

namespace {

void collect(void* context, void* data, int size) {
    auto* out = static_cast<Bytes*>(context);
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    out->insert(out->end(), bytes, bytes + size);
}

Bytes rgb(const GreyPicture& picture) {
    Bytes out;
    for (const std::uint8_t level : picture.levels) out.insert(out.end(), {level, level, level});
    return out;
}

void putLE16(Bytes& out, int value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

}  // namespace

Bytes pngFile(const GreyPicture& picture) {
    Bytes out;
    stbi_write_png_to_func(collect, &out, picture.width, picture.height, 1, picture.levels.data(),
                           picture.width);
    return out;
}

Bytes pngFileWithAlpha(const GreyPicture& picture, const Bytes& alpha) {
    Bytes rgba;
    for (std::size_t i = 0; i < picture.levels.size(); ++i) {
        const std::uint8_t level = picture.levels[i];
        rgba.insert(rgba.end(), {level, level, level, alpha[i]});
    }
    Bytes out;
    stbi_write_png_to_func(collect, &out, picture.width, picture.height, 4, rgba.data(),
                           picture.width * 4);
    return out;
}

Bytes jpegFile(const GreyPicture& picture) {
    const Bytes pixels = rgb(picture);
    Bytes out;
    stbi_write_jpg_to_func(collect, &out, picture.width, picture.height, 3, pixels.data(), 100);
    return out;
}

Bytes bmp24File(const GreyPicture& picture) {
    const Bytes pixels = rgb(picture);
    Bytes out;
    stbi_write_bmp_to_func(collect, &out, picture.width, picture.height, 3, pixels.data());
    return out;
}

Bytes gifFile(const GreyPicture& picture) {
    Bytes out{'G', 'I', 'F', '8', '9', 'a'};
    putLE16(out, picture.width);
    putLE16(out, picture.height);
    out.insert(out.end(), {0x80, 0x00, 0x00});  // a global table of two colours
    out.insert(out.end(), {0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF});
    out.push_back(0x2C);
    putLE16(out, 0);
    putLE16(out, 0);
    putLE16(out, picture.width);
    putLE16(out, picture.height);
    out.push_back(0x00);
    out.push_back(0x02);  // smallest code size: codes 0-3 colours, 4 clear, 5 end, 3 bits each

    // A clear code before every two colours keeps the table from growing to four-bit codes.
    Bytes packed;
    std::uint32_t bits = 0;
    int bitCount = 0;
    const auto put = [&](std::uint32_t code) {
        bits |= code << bitCount;
        bitCount += 3;
        while (bitCount >= 8) {
            packed.push_back(static_cast<std::uint8_t>(bits));
            bits >>= 8;
            bitCount -= 8;
        }
    };
    for (std::size_t i = 0; i < picture.levels.size(); ++i) {
        if (i % 2 == 0) put(4);
        put(picture.levels[i] == 0 ? 0 : 1);
    }
    put(5);
    if (bitCount > 0) packed.push_back(static_cast<std::uint8_t>(bits));
    for (std::size_t at = 0; at < packed.size(); at += 255) {
        const std::size_t length = std::min<std::size_t>(255, packed.size() - at);
        out.push_back(static_cast<std::uint8_t>(length));
        out.insert(out.end(), packed.begin() + static_cast<std::ptrdiff_t>(at),
                   packed.begin() + static_cast<std::ptrdiff_t>(at + length));
    }
    out.push_back(0x00);
    out.push_back(0x3B);
    return out;
}

}  // namespace pos::test
