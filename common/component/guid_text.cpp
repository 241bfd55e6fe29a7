#include "guid_text.h"

#include <cstdio>

namespace pos::component {

std::string guidText(const GUID& g) {
    char text[40];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned>(g.Data1), g.Data2, g.Data3, g.Data4[0], g.Data4[1],
                  g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
    return text;
}

std::optional<GUID> parseGuid(std::string_view text) {
    if (text.size() != 38 || text.front() != '{' || text.back() != '}') return std::nullopt;
    auto hex = [&](std::size_t at, std::size_t digits) -> std::optional<unsigned long> {
        unsigned long value = 0;
        for (std::size_t i = at; i < at + digits; ++i) {
            const char c = text[i];
            int d = (c >= '0' && c <= '9')   ? c - '0'
                    : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                    : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                             : -1;
            if (d < 0) return std::nullopt;
            value = value * 16 + static_cast<unsigned long>(d);
        }
        return value;
    };
    if (text[9] != '-' || text[14] != '-' || text[19] != '-' || text[24] != '-')
        return std::nullopt;
    GUID g{};
    auto d1 = hex(1, 8), d2 = hex(10, 4), d3 = hex(15, 4);
    if (!d1 || !d2 || !d3) return std::nullopt;
    g.Data1 = static_cast<decltype(g.Data1)>(*d1);
    g.Data2 = static_cast<decltype(g.Data2)>(*d2);
    g.Data3 = static_cast<decltype(g.Data3)>(*d3);
    const std::size_t starts[8] = {20, 22, 25, 27, 29, 31, 33, 35};
    for (int i = 0; i < 8; ++i) {
        auto b = hex(starts[i], 2);
        if (!b) return std::nullopt;
        g.Data4[i] = static_cast<unsigned char>(*b);
    }
    return g;
}

}  // namespace pos::component
