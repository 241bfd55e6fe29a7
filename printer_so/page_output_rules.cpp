#include "page_output_rules.h"

#include <cstdio>
#include <limits>

namespace pos::printer {

std::optional<std::uint8_t> printDirectionFor(std::int32_t rotation) {
    switch (rotation) {
        case PTR_RP_NORMAL:
            return 0;
        case PTR_RP_RIGHT90:
            return 1;
        case PTR_RP_LEFT90:
            return 3;
        case PTR_RP_ROTATE180:
            return 2;
        default:
            return std::nullopt;
    }
}

std::int32_t countRotateCall(std::int32_t count) {
    return count < std::numeric_limits<std::int32_t>::max() ? count + 1 : count;
}

std::uint8_t cutFunctionFor(std::int32_t percentage) {
    switch (percentage) {
        case 100:
            return 0x00;  // full cut
        case 61:
            return 0x61;
        case 62:
            return 0x62;
        default:
            return 0x01;  // partial cut
    }
}

std::string immediateDataDump(std::string_view bytes) {
    std::string dump;
    dump.reserve(bytes.size() * 3 + bytes.size() / 10 + 2);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i % 10 == 0) dump += '\n';
        char hex[4];
        std::snprintf(hex, sizeof hex, "%02x ", static_cast<unsigned char>(bytes[i]));
        dump += hex;
    }
    dump += '\n';
    return dump;
}

}  // namespace pos::printer
