#include "print_line_measure.h"

#include <algorithm>
#include <limits>

namespace pos::printer {

namespace {
constexpr std::int64_t kMaxUnits = std::numeric_limits<std::int32_t>::max();

std::int64_t weighted(const EscapeSequence& sequence) {
    const auto position = static_cast<std::int64_t>(
        std::min<std::size_t>(sequence.position, static_cast<std::size_t>(kMaxUnits)));
    return std::min(position * escapeWidthFactor(sequence.entry), kMaxUnits);
}
}  // namespace

std::int32_t escapeWidthFactor(std::int32_t entry) {
    switch (entry) {
        case kEscapeNone:
            return 0;
        case kEscapeDoubleWide:
        case kEscapeDoubleSize:
            return 2;
        case kEscapeScaleWide:
            return 4;
        default:
            return 1;
    }
}

void LineMeasure::add(const EscapeSequence& sequence) {
    // Held at the maximum rather than wrapping: a longer line can never read as a shorter one.
    run_ = std::min(run_ + weighted(sequence), kMaxUnits);
    if (!sequence.lineEnd) return;
    if (units_ < run_) units_ = static_cast<std::int32_t>(run_);
    run_ = weighted(sequence);
}

}  // namespace pos::printer
