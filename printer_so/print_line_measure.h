#pragma once
// The longest printed line of a PrintNormal call, in text bytes weighted by the character
// width each sequence sets; rotated printing sizes its page from it.
#include <cstdint>

#include "escape_parser.h"

namespace pos::printer {

// How many columns a character takes after the sequence; 0 for sequences that match nothing.
std::int32_t escapeWidthFactor(std::int32_t entry);

class LineMeasure {
  public:
    explicit LineMeasure(std::int32_t pageAreaUnits) : units_(pageAreaUnits) {}

    // Sequences in the order found; text after the last one is not counted.
    void add(const EscapeSequence& sequence);
    // Never below the starting value; held at the 32-bit maximum for absurdly long lines.
    std::int32_t pageAreaUnits() const { return units_; }

  private:
    std::int64_t run_ = 0;
    std::int32_t units_;
};

}  // namespace pos::printer
