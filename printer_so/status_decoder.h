#pragma once
// The printer's status bytes, four to a group: the answer to the four DLE EOT requests and the
// automatic status back (ASB) report use different bit layouts for the same nine flags.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "status_flags.h"

namespace pos::printer {

inline constexpr std::size_t kStatusGroupSize = 4;
using StatusGroup = std::span<const std::uint8_t, kStatusGroupSize>;

StatusFlags decodeDleStatus(StatusGroup group);
StatusFlags decodeAsbStatus(StatusGroup group);

// The status-update events that a change from current to reported calls for, in the order
// they are fired: cover, near end, paper end. Clearing near end and paper end together gives
// the paper-ok value twice.
std::vector<std::int32_t> statusChangeEvents(const StatusFlags& current,
                                             const StatusFlags& reported);

}  // namespace pos::printer
