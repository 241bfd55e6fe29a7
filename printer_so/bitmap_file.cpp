#include "bitmap_file.h"

namespace pos::printer {

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kCoreHeaderSize = 12;
constexpr std::uint32_t kNoCompression = 0;

std::uint16_t u16(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}
std::uint32_t u32(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8) |
           (static_cast<std::uint32_t>(b[at + 2]) << 16) |
           (static_cast<std::uint32_t>(b[at + 3]) << 24);
}
std::int32_t i32(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::int32_t>(u32(b, at));
}

// The information header sizes that Windows loads: the original, the two with colour masks,
// and versions 4 and 5.
bool isKnownInfoHeader(std::uint32_t size) {
    return size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

struct Layout {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    bool topDown = false;
    std::size_t paletteAt = 0;
    std::size_t paletteEntrySize = 0;
    std::size_t paletteEntries = 0;
};

BitmapFault readLayout(std::span<const std::uint8_t> file, Layout& out) {
    if (file.size() < kFileHeaderSize + 4 || file[0] != 'B' || file[1] != 'M') {
        return BitmapFault::NotABitmap;
    }
    const std::uint32_t headerSize = u32(file, kFileHeaderSize);
    if (headerSize != kCoreHeaderSize && !isKnownInfoHeader(headerSize)) {
        return BitmapFault::UnsupportedHeader;
    }
    if (file.size() - kFileHeaderSize < headerSize) {
        return BitmapFault::NotABitmap;
    }
    std::uint16_t planes = 0;
    std::uint16_t bitsPerDot = 0;
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::uint32_t compression = kNoCompression;
    std::uint32_t coloursUsed = 0;
    if (headerSize == kCoreHeaderSize) {
        width = u16(file, 18);
        height = u16(file, 20);
        planes = u16(file, 22);
        bitsPerDot = u16(file, 24);
        out.paletteEntrySize = 3;
    } else {
        width = i32(file, 18);
        height = i32(file, 22);
        planes = u16(file, 26);
        bitsPerDot = u16(file, 28);
        compression = u32(file, 30);
        coloursUsed = u32(file, 46);
        out.paletteEntrySize = 4;
    }
    if (planes != 1) return BitmapFault::UnsupportedHeader;
    if (bitsPerDot != 1) return BitmapFault::NotOneBitPerDot;
    if (compression != kNoCompression) return BitmapFault::Compressed;
    if (coloursUsed > 2) return BitmapFault::BadPalette;
    out.paletteEntries = coloursUsed == 0 ? 2 : coloursUsed;

    out.topDown = height < 0;
    if (height < 0) height = -height;  // int64: the most negative int32 negates safely
    if (width <= 0 || height == 0) return BitmapFault::BadSize;
    if (width > kMaxBitmapSide || height > kMaxBitmapSide) return BitmapFault::TooLarge;
    out.width = static_cast<std::uint32_t>(width);
    out.height = static_cast<std::uint32_t>(height);

    out.paletteAt = kFileHeaderSize + headerSize;
    if (file.size() - out.paletteAt < out.paletteEntries * out.paletteEntrySize) {
        return BitmapFault::BadPalette;
    }
    return BitmapFault::None;
}

// Whether palette colour index reads as light: the printer leaves light dots white.
bool isLight(std::span<const std::uint8_t> file, const Layout& layout, std::size_t index) {
    if (index >= layout.paletteEntries) return false;  // a missing colour is black
    const std::size_t at = layout.paletteAt + index * layout.paletteEntrySize;
    const unsigned blue = file[at];
    const unsigned green = file[at + 1];
    const unsigned red = file[at + 2];
    return 299 * red + 587 * green + 114 * blue >= 128 * 1000;
}

}  // namespace

BitmapDecoding decodeMonoBitmap(std::span<const std::uint8_t> file) {
    BitmapDecoding result;
    Layout layout;
    result.fault = readLayout(file, layout);
    if (!result.ok()) return result;

    const std::uint64_t rowBytes = ((std::uint64_t{layout.width} + 7) / 8 + 1) / 2 * 2;
    const std::uint64_t fileStride = (std::uint64_t{layout.width} + 31) / 32 * 4;
    if (rowBytes * layout.height > kMaxBitmapRowData) {
        result.fault = BitmapFault::TooLarge;
        return result;
    }
    const std::uint64_t offset = u32(file, 10);
    const std::uint64_t paletteEnd =
        layout.paletteAt + layout.paletteEntries * layout.paletteEntrySize;
    if (offset < paletteEnd || offset > file.size()) {
        result.fault = BitmapFault::BadOffset;
        return result;
    }
    if (file.size() - offset < fileStride * layout.height) {
        result.fault = BitmapFault::Truncated;
        return result;
    }

    // Each file bit is a palette index; map both indices to light (1) or dark (0).
    const bool zeroLight = isLight(file, layout, 0);
    const bool oneLight = isLight(file, layout, 1);
    const auto mapped = [&](std::uint8_t bits) -> std::uint8_t {
        if (zeroLight == oneLight) return zeroLight ? 0xFF : 0x00;
        return oneLight ? bits : static_cast<std::uint8_t>(~bits);
    };

    MonoBitmap& out = result.bitmap;
    out.width = layout.width;
    out.height = layout.height;
    out.rowBytes = static_cast<std::uint32_t>(rowBytes);
    out.rows.assign(static_cast<std::size_t>(rowBytes * layout.height), 0xFF);
    const std::uint32_t usedBytes = (layout.width + 7) / 8;
    const unsigned spareBits = usedBytes * 8 - layout.width;
    const auto lastByteSpare = static_cast<std::uint8_t>((1u << spareBits) - 1);
    for (std::uint32_t y = 0; y < layout.height; ++y) {
        const std::uint32_t fileRow = layout.topDown ? y : layout.height - 1 - y;
        const std::uint8_t* source = file.data() + offset + fileRow * fileStride;
        std::uint8_t* target = out.rows.data() + y * rowBytes;
        for (std::uint32_t x = 0; x < usedBytes; ++x) {
            target[x] = mapped(source[x]);
        }
        target[usedBytes - 1] |= lastByteSpare;
    }
    return result;
}

const char* describe(BitmapFault fault) {
    switch (fault) {
        case BitmapFault::None:
            return "a black-and-white bitmap";
        case BitmapFault::NotABitmap:
            return "not a bitmap file";
        case BitmapFault::UnsupportedHeader:
            return "an unsupported bitmap header";
        case BitmapFault::NotOneBitPerDot:
            return "more than one bit per dot";
        case BitmapFault::Compressed:
            return "compressed dots";
        case BitmapFault::BadPalette:
            return "a damaged palette";
        case BitmapFault::BadSize:
            return "no dots";
        case BitmapFault::TooLarge:
            return "too large";
        case BitmapFault::BadOffset:
            return "the dots outside the file";
        case BitmapFault::Truncated:
            return "the file ends before the last row";
    }
    return "unknown";
}

}  // namespace pos::printer
