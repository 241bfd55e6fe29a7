#pragma once
// The code pages the printer can print in: the only values CharacterSet accepts, in the order
// CharacterSetList names them.
#include <array>
#include <cstdint>

namespace pos::printer {

inline constexpr std::array<std::int32_t, 26> kSupportedCodePages = {
    437, 737, 850, 851, 852,  855,  857,  858,  860,  861,  862,  863,  864,
    865, 866, 869, 928, 1250, 1251, 1252, 1253, 1257, 3843, 3844, 3845, 3846};

}  // namespace pos::printer
