#pragma once
// The nine flags of one printer status, each 0 or 1, as a status answer or report decodes them.
#include <cstdint>

namespace pos::printer {

struct StatusFlags {
    std::uint8_t Cashdrawer = 1;
    std::uint8_t Online = 1;
    std::uint8_t CoverOpen = 0;
    std::uint8_t FeedButton = 0;
    std::uint8_t AutoCutter = 0;
    std::uint8_t Unrecoverable = 0;
    std::uint8_t Autorecoverable = 0;
    std::uint8_t PaperNearEnd = 0;
    std::uint8_t PaperEnd = 0;

    friend bool operator==(const StatusFlags&, const StatusFlags&) = default;
};

}  // namespace pos::printer
