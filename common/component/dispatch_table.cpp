#include "dispatch_table.h"

namespace pos::component {

bool namesEqual(std::string_view ascii, const OLECHAR* wide) {
    auto lower = [](char32_t c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; };
    std::size_t i = 0;
    for (; i < ascii.size(); ++i) {
        const auto w = static_cast<char32_t>(static_cast<std::uint16_t>(wide[i]));
        if (w == 0 || lower(w) != lower(static_cast<unsigned char>(ascii[i]))) return false;
    }
    return wide[i] == 0;
}

}  // namespace pos::component
