#include "registry_names.h"

#include <cstddef>

namespace pos::platform {
namespace {

// Windows counts name lengths in UTF-16 units; the names here are UTF-8.
constexpr std::size_t kMaxKeyNameUnits = 255;
constexpr std::size_t kMaxValueNameUnits = 16383;
constexpr std::size_t kMaxKeyDepth = 512;

std::size_t utf16Units(std::string_view utf8) {
    std::size_t units = 0;
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte & 0xC0) != 0x80) {
            ++units;  // a lead byte starts a character
        }
        if (byte >= 0xF0) {
            ++units;  // beyond the BMP: a surrogate pair
        }
    }
    return units;
}

bool hasNul(std::string_view text) {
    return text.find('\0') != std::string_view::npos;
}

}  // namespace

std::optional<std::vector<std::string_view>> splitKeyPath(std::string_view path) {
    std::vector<std::string_view> names;
    while (!path.empty()) {
        const std::size_t end = path.find('\\');
        const std::string_view name = path.substr(0, end);
        path = end == std::string_view::npos ? std::string_view{} : path.substr(end + 1);
        if (name.empty()) {
            continue;
        }
        if (hasNul(name) || utf16Units(name) > kMaxKeyNameUnits) {
            return std::nullopt;
        }
        if (names.size() == kMaxKeyDepth) {
            return std::nullopt;
        }
        names.push_back(name);
    }
    return names;
}

bool isValidValueName(std::string_view name) {
    return !hasNul(name) && utf16Units(name) <= kMaxValueNameUnits;
}

}  // namespace pos::platform
