#pragma once
// Status flags in test failure messages, as their nine digits in declaration order.
#include <ostream>

#include "status_flags.h"

namespace pos::printer {

inline void PrintTo(const StatusFlags& f, std::ostream* os) {
    *os << int(f.Cashdrawer) << int(f.Online) << int(f.CoverOpen) << int(f.FeedButton)
        << int(f.AutoCutter) << int(f.Unrecoverable) << int(f.Autorecoverable)
        << int(f.PaperNearEnd) << int(f.PaperEnd);
}

}  // namespace pos::printer
