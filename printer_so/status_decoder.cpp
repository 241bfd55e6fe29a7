#include "status_decoder.h"

#include "opos_constants.h"

namespace pos::printer {

using namespace pos::opos;

namespace {
std::uint8_t bit(std::uint8_t byte, int n) {
    return static_cast<std::uint8_t>((byte >> n) & 1u);
}
std::uint8_t bothBits(std::uint8_t byte, int low) {
    return static_cast<std::uint8_t>(bit(byte, low) & bit(byte, low + 1));
}
std::uint8_t clear(std::uint8_t byte, int n) {
    return static_cast<std::uint8_t>(bit(byte, n) ^ 1u);
}
}  // namespace

StatusFlags decodeDleStatus(StatusGroup g) {
    return {
        .Cashdrawer = bit(g[0], 2),
        .Online = clear(g[0], 3),
        .CoverOpen = bit(g[1], 2),
        .FeedButton = bit(g[1], 3),
        .AutoCutter = bit(g[2], 3),
        .Unrecoverable = bit(g[2], 5),
        .Autorecoverable = bit(g[2], 6),
        .PaperNearEnd = bothBits(g[3], 2),
        .PaperEnd = bothBits(g[3], 5),
    };
}

StatusFlags decodeAsbStatus(StatusGroup g) {
    return {
        .Cashdrawer = bit(g[0], 2),
        .Online = clear(g[0], 3),
        .CoverOpen = bit(g[0], 5),
        .FeedButton = bit(g[0], 6),
        .AutoCutter = bit(g[1], 3),
        .Unrecoverable = bit(g[1], 5),
        .Autorecoverable = bit(g[1], 6),
        .PaperNearEnd = bothBits(g[2], 0),
        .PaperEnd = bothBits(g[2], 2),
    };
}

std::vector<std::int32_t> statusChangeEvents(const StatusFlags& current,
                                             const StatusFlags& reported) {
    std::vector<std::int32_t> events;
    if (reported.CoverOpen != current.CoverOpen) {
        events.push_back(reported.CoverOpen != 0 ? PTR_SUE_COVER_OPEN : PTR_SUE_COVER_OK);
    }
    if (reported.PaperNearEnd != current.PaperNearEnd) {
        events.push_back(reported.PaperNearEnd != 0 ? PTR_SUE_REC_NEAREMPTY : PTR_SUE_REC_PAPEROK);
    }
    if (reported.PaperEnd != current.PaperEnd) {
        events.push_back(reported.PaperEnd != 0 ? PTR_SUE_REC_EMPTY : PTR_SUE_REC_PAPEROK);
    }
    return events;
}

}  // namespace pos::printer
