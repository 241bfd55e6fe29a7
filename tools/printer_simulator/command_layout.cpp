#include "command_layout.h"

#include <algorithm>
#include <array>

namespace pos::tools {

namespace {

struct FixedCommand {
    std::uint8_t code;
    std::uint8_t parameters;
};

// Commands whose parameter count never varies. An unlisted ESC, GS or FS command is taken to
// have none.
constexpr std::array kEscCommands = std::to_array<FixedCommand>({
    {0x0C, 0}, {0x20, 1}, {0x21, 1}, {0x24, 2}, {0x25, 1}, {0x2D, 1}, {0x32, 0},
    {0x33, 1}, {0x3C, 0}, {0x3D, 1}, {0x3F, 1}, {0x40, 0}, {0x45, 1}, {0x47, 1},
    {0x4A, 1}, {0x4C, 0}, {0x4D, 1}, {0x52, 1}, {0x53, 0}, {0x54, 1}, {0x56, 1},
    {0x57, 8}, {0x5C, 2}, {0x61, 1}, {0x63, 2}, {0x64, 1}, {0x69, 0}, {0x6D, 0},
    {0x70, 3}, {0x74, 1}, {0x75, 1}, {0x76, 0}, {0x7B, 1},
});
constexpr std::array kGsCommands = std::to_array<FixedCommand>({
    {0x21, 1}, {0x23, 1}, {0x24, 2}, {0x2F, 1}, {0x3A, 0}, {0x42, 1}, {0x48, 1},
    {0x49, 1}, {0x4C, 2}, {0x50, 2}, {0x57, 2}, {0x5C, 2}, {0x5E, 3}, {0x61, 1},
    {0x62, 1}, {0x66, 1}, {0x68, 1}, {0x72, 1}, {0x77, 1},
});
constexpr std::array kFsCommands = std::to_array<FixedCommand>({
    {0x21, 1},
    {0x26, 0},
    {0x2D, 1},
    {0x2E, 0},
    {0x43, 1},
    {0x53, 2},
    {0x57, 1},
    {0x70, 2},
});

template <std::size_t N>
std::size_t fixedLength(const std::array<FixedCommand, N>& table, std::uint8_t code) {
    const auto* found = std::find_if(table.begin(), table.end(),
                                     [code](const FixedCommand& c) { return c.code == code; });
    return 2 + (found != table.end() ? found->parameters : 0);
}

std::uint64_t word(std::span<const std::uint8_t> h, std::size_t at) {
    return h[at] + 256u * h[at + 1];
}

CommandLayout fixed(std::size_t length) {
    return CommandLayout{length};
}

// ESC * m nL nH: n columns of one byte (8-dot modes) or three bytes (24-dot modes).
CommandLayout escBitImage(std::span<const std::uint8_t> h) {
    if (h.size() < 5) return fixed(5);
    const std::uint64_t bytesPerColumn = (h[2] == 32 || h[2] == 33) ? 3 : 1;
    return {5, word(h, 3) * bytesPerColumn};
}

CommandLayout escCommand(std::span<const std::uint8_t> h) {
    switch (h[1]) {
        case 0x2A:
            return escBitImage(h);
        case 0x44:
            return {2, 0, true};  // tab positions up to NUL
        default:
            return fixed(fixedLength(kEscCommands, h[1]));
    }
}

// GS ( fn: the identification request has no parameters; the raster image sent by the driver
// is GS ( v mode xL xH yL yH and x * y bytes; every other function carries pL pH and that
// many bytes.
CommandLayout gsParenthesis(std::span<const std::uint8_t> h) {
    if (h.size() < 3) return fixed(3);
    if (h[2] == 0x51) return fixed(3);
    if (h[2] == 0x76) {
        if (h.size() < 8) return fixed(8);
        return {8, word(h, 4) * word(h, 6)};
    }
    if (h.size() < 5) return fixed(5);
    return {5, word(h, 3)};
}

// GS v 0 m xL xH yL yH and x * y bytes.
CommandLayout gsRaster(std::span<const std::uint8_t> h) {
    if (h.size() < 3) return fixed(3);
    if (h[2] != 0x30) return fixed(2);
    if (h.size() < 8) return fixed(8);
    return {8, word(h, 4) * word(h, 6)};
}

// GS k m: m 0..6 takes data up to NUL; m 65..73 takes a length byte and that many bytes.
CommandLayout gsBarcode(std::span<const std::uint8_t> h) {
    if (h.size() < 3) return fixed(3);
    const std::uint8_t m = h[2];
    if (m <= 6) return {3, 0, true};
    if (m < 65 || m > 73) return fixed(3);
    if (h.size() < 4) return fixed(4);
    return {4, h[3]};
}

// GS V m, and a feed amount after the cut-with-feed functions.
CommandLayout gsCut(std::span<const std::uint8_t> h) {
    if (h.size() < 3) return fixed(3);
    constexpr std::array kWithFeed{0x41, 0x42, 0x61, 0x62, 0x67, 0x68};
    return fixed(std::find(kWithFeed.begin(), kWithFeed.end(), h[2]) != kWithFeed.end() ? 4 : 3);
}

CommandLayout gsCommand(std::span<const std::uint8_t> h) {
    switch (h[1]) {
        case 0x28:
            return gsParenthesis(h);
        case 0x2A:  // GS * x y and x * y * 8 bytes
            if (h.size() < 4) return fixed(4);
            return {4, std::uint64_t{h[2]} * h[3] * 8};
        case 0x56:
            return gsCut(h);
        case 0x6B:
            return gsBarcode(h);
        case 0x76:
            return gsRaster(h);
        default:
            return fixed(fixedLength(kGsCommands, h[1]));
    }
}

// DLE only starts the real-time commands; before any other byte it is plain data, and that
// byte is read afresh.
CommandLayout dleCommand(std::span<const std::uint8_t> h) {
    switch (h[1]) {
        case 0x04:  // DLE EOT n
        case 0x05:  // DLE ENQ n
            return fixed(3);
        case 0x14: {  // DLE DC4 fn ...
            if (h.size() < 3) return fixed(3);
            switch (h[2]) {
                case 1:
                case 2:
                    return fixed(5);
                case 7:
                    return fixed(4);
                case 8:
                    return fixed(10);
                default:
                    return fixed(3);
            }
        }
        default:
            return fixed(1);
    }
}

}  // namespace

bool startsCommand(std::uint8_t byte) {
    return byte == kEsc || byte == kGs || byte == kFs || byte == kDle;
}

CommandLayout layoutOf(std::span<const std::uint8_t> header) {
    if (header.empty() || !startsCommand(header[0])) return fixed(0);
    if (header.size() < 2) return fixed(2);
    switch (header[0]) {
        case kEsc:
            return escCommand(header);
        case kGs:
            return gsCommand(header);
        case kFs:
            return fixed(fixedLength(kFsCommands, header[1]));
        default:
            return dleCommand(header);
    }
}

}  // namespace pos::tools
