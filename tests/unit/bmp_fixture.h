#pragma once
// Bitmap files put together byte by byte, good and damaged, for the decoder and printer tests.
#include <cstdint>
#include <optional>
#include <vector>

namespace pos::test {

using Bytes = std::vector<std::uint8_t>;

struct BmpHeader {
    std::int32_t width = 8;
    std::int32_t height = 1;  // negative: the top row comes first in the file
    std::uint16_t bitsPerDot = 1;
    std::uint32_t compression = 0;
    std::uint32_t headerSize = 40;  // 12: the old core header with 16-bit sizes
    std::uint16_t planes = 1;
    std::vector<std::uint32_t> palette{0x000000, 0xFFFFFF};  // 0xRRGGBB: black, then white
    std::uint32_t coloursUsed = 0;
    std::optional<std::uint32_t> dataOffset;  // default: right after the palette
};

inline void putLE(Bytes& out, std::uint32_t value, int count) {
    for (int i = 0; i < count; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// rowsTopFirst holds each row's leading bytes; they are padded with pad to the file's row
// length of a multiple of four bytes and stored in the order that the height's sign asks for.
inline Bytes bmpFile(const BmpHeader& h, const std::vector<Bytes>& rowsTopFirst,
                     std::uint8_t pad = 0) {
    const bool core = h.headerSize == 12;
    const std::uint32_t entrySize = core ? 3 : 4;
    const std::uint32_t paletteEnd =
        14 + h.headerSize + entrySize * static_cast<std::uint32_t>(h.palette.size());
    const std::uint32_t offset = h.dataOffset.value_or(paletteEnd);
    const std::uint32_t stride =
        (static_cast<std::uint32_t>(h.width < 0 ? -h.width : h.width) * h.bitsPerDot + 31) / 32 * 4;

    Bytes file{'B', 'M'};
    putLE(file, 0, 4);  // the file size, which readers ignore; filled in below
    putLE(file, 0, 4);
    putLE(file, offset, 4);
    putLE(file, h.headerSize, 4);
    if (core) {
        putLE(file, static_cast<std::uint32_t>(h.width), 2);
        putLE(file, static_cast<std::uint32_t>(h.height), 2);
        putLE(file, h.planes, 2);
        putLE(file, h.bitsPerDot, 2);
    } else {
        putLE(file, static_cast<std::uint32_t>(h.width), 4);
        putLE(file, static_cast<std::uint32_t>(h.height), 4);
        putLE(file, h.planes, 2);
        putLE(file, h.bitsPerDot, 2);
        putLE(file, h.compression, 4);
        putLE(file, 0, 4);  // image size
        putLE(file, 2835, 4);
        putLE(file, 2835, 4);
        putLE(file, h.coloursUsed, 4);
        putLE(file, 0, 4);
        file.resize(14 + h.headerSize, 0);  // later header versions: masks and colour space
    }
    for (const std::uint32_t rgb : h.palette) putLE(file, rgb, static_cast<int>(entrySize));
    // A gap before the dots; an offset pointing far away is left pointing there.
    if (offset > file.size() && offset - file.size() <= 4096) file.resize(offset, 0);

    std::vector<Bytes> fileRows = rowsTopFirst;
    if (h.height > 0) fileRows.assign(rowsTopFirst.rbegin(), rowsTopFirst.rend());
    for (Bytes row : fileRows) {
        row.resize(stride, pad);
        file.insert(file.end(), row.begin(), row.end());
    }
    const auto size = static_cast<std::uint32_t>(file.size());
    for (int i = 0; i < 4; ++i) file[2 + i] = static_cast<std::uint8_t>(size >> (8 * i));
    return file;
}

}  // namespace pos::test
