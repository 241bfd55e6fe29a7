#include "bitmap_raster.h"

namespace pos::printer {

namespace {

// Dark dots set, everything outside the bitmap's width clear.
std::vector<std::uint8_t> darkRows(const MonoBitmap& bitmap, std::uint32_t rowCount) {
    const std::size_t a = bitmap.rowBytes;
    std::vector<std::uint8_t> rows(a * rowCount, 0);
    const std::uint32_t fullBytes = bitmap.width / 8;
    const unsigned lastBits = bitmap.width % 8;
    const auto lastMask = static_cast<std::uint8_t>(0xFF00u >> lastBits);
    for (std::uint32_t y = 0; y < bitmap.height; ++y) {
        const std::uint8_t* source = bitmap.rows.data() + y * a;
        std::uint8_t* target = rows.data() + y * a;
        for (std::uint32_t x = 0; x < fullBytes; ++x) {
            target[x] = static_cast<std::uint8_t>(~source[x]);
        }
        if (lastBits != 0) {
            target[fullBytes] = static_cast<std::uint8_t>(~source[fullBytes] & lastMask);
        }
    }
    return rows;
}

}  // namespace

std::vector<std::uint8_t> rasterImageBytes(const MonoBitmap& bitmap) {
    return darkRows(bitmap, bitmap.height);
}

std::uint32_t downloadRowCount(const MonoBitmap& bitmap) {
    return (bitmap.height + 7) / 8 * 8;
}

std::vector<std::uint8_t> downloadImageBytes(const MonoBitmap& bitmap) {
    const std::uint32_t rowCount = downloadRowCount(bitmap);
    const std::vector<std::uint8_t> rows = darkRows(bitmap, rowCount);
    const std::size_t a = bitmap.rowBytes;
    const std::size_t groups = rowCount / 8;
    std::vector<std::uint8_t> columns(rows.size(), 0);
    for (std::size_t x = 0; x < a; ++x) {
        for (unsigned b = 0; b < 8; ++b) {
            const std::size_t column = 8 * x + b;
            const auto bit = static_cast<std::uint8_t>(0x80u >> b);
            for (std::size_t g = 0; g < groups; ++g) {
                std::uint8_t out = 0;
                for (std::size_t r = 0; r < 8; ++r) {
                    if (rows[(8 * g + r) * a + x] & bit)
                        out |= static_cast<std::uint8_t>(0x80u >> r);
                }
                columns[column * groups + g] = out;
            }
        }
    }
    return columns;
}

std::vector<std::uint8_t> decodeNibbleText(std::string_view text) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve((text.size() + 1) / 2);
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const auto high = static_cast<unsigned>(static_cast<unsigned char>(text[i]) - 0x30u);
        const unsigned low =
            i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) - 0x30u : 0u;
        bytes.push_back(static_cast<std::uint8_t>(high * 16u + low));
    }
    return bytes;
}

}  // namespace pos::printer
