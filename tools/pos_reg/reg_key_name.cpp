// Key names as people and files write them: a hive name, long or short, then the path.
#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "reg_names.h"
#include "reg_text.h"

namespace pos::tools {
namespace {

using platform::Hive;

struct HiveName {
    std::string_view full;
    std::string_view brief;
    Hive hive;
};

constexpr std::array<HiveName, 3> kHives{{
    {"HKEY_CLASSES_ROOT", "HKCR", Hive::ClassesRoot},
    {"HKEY_LOCAL_MACHINE", "HKLM", Hive::LocalMachine},
    {"HKEY_CURRENT_USER", "HKCU", Hive::CurrentUser},
}};

// The registry's own limits, so a bad name is reported where it was written rather than
// refused by the store half-way through an import.
constexpr std::size_t kMaxKeyNameUnits = 255;
constexpr std::size_t kMaxKeyDepth = 512;

}  // namespace

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

std::size_t utf16Units(std::string_view utf8) {
    std::size_t units = 0;
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte & 0xC0) != 0x80) {
            ++units;
        }
        if (byte >= 0xF0) {
            ++units;  // a surrogate pair
        }
    }
    return units;
}

bool parseRegKeyName(std::string_view text, Hive& hive, std::string& path, std::string* error) {
    auto fail = [&](std::string what) {
        if (error != nullptr) {
            *error = std::move(what);
        }
        return false;
    };
    const std::size_t slash = text.find('\\');
    const std::string_view hiveText = text.substr(0, slash);
    const HiveName* found = nullptr;
    for (const HiveName& name : kHives) {
        if (equalsIgnoringCase(hiveText, name.full) || equalsIgnoringCase(hiveText, name.brief)) {
            found = &name;
        }
    }
    if (found == nullptr) {
        return fail("unknown hive '" + std::string(hiveText) +
                    "' (expected HKEY_LOCAL_MACHINE, HKEY_CLASSES_ROOT or HKEY_CURRENT_USER)");
    }
    const std::string_view rest =
        slash == std::string_view::npos ? std::string_view{} : text.substr(slash + 1);
    if (slash != std::string_view::npos) {
        std::size_t depth = 0;
        std::string_view remaining = rest;
        while (true) {
            const std::size_t end = remaining.find('\\');
            const std::string_view name = remaining.substr(0, end);
            if (name.empty()) {
                return fail("empty key name in '" + std::string(text) + "'");
            }
            if (utf16Units(name) > kMaxKeyNameUnits) {
                return fail("key name longer than 255 characters in '" + std::string(text) + "'");
            }
            if (++depth > kMaxKeyDepth) {
                return fail("key path deeper than 512 levels");
            }
            if (end == std::string_view::npos) {
                break;
            }
            remaining = remaining.substr(end + 1);
        }
    }
    hive = found->hive;
    path = std::string(rest);
    return true;
}

std::string regKeyName(Hive hive, std::string_view path) {
    std::string name;
    for (const HiveName& known : kHives) {
        if (known.hive == hive) {
            name = known.full;
        }
    }
    if (!path.empty()) {
        name += '\\';
        name += path;
    }
    return name;
}

}  // namespace pos::tools
