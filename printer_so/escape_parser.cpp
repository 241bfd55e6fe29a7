#include "escape_parser.h"

#include <algorithm>
#include <array>

namespace pos::printer {

namespace {
using namespace std::string_view_literals;

constexpr std::string_view kIntroducer = "\x1B|"sv;

// Whole sequences begin with ESC |; the rest are suffixes after ESC | and an optional number.
// Nothing changes the table, so one constant serves every open of the service.
// clang-format off
constexpr std::array<std::string_view, kEscapeEntryCount> kEscapeTable = {
    /*  0 */ "|P"sv,       "fP"sv,       "sP"sv,       "\x1B|sL"sv,  "|1B"sv,
    /*  5 */ "\x1B|tL"sv,  "\x1B|bL"sv,  "lF"sv,       "uF"sv,       "rF"sv,
    /* 10 */ "fT"sv,       "\x1B|bC"sv,  "uC"sv,       "\x1B|iC"sv,  "rC"sv,
    /* 15 */ "\x1B|rvC"sv, "sC"sv,       "\x1B|1C"sv,  "\x1B|2C"sv,  "\x1B|3C"sv,
    /* 20 */ "\x1B|4C"sv,  "hC"sv,       "vC"sv,       "fC"sv,       "\x1B|cA"sv,
    /* 25 */ "\x1B|rA"sv,  "\x1B|N"sv,   "\x1B|tbC"sv, "\x1B|tpC"sv,
};
// clang-format on

constexpr std::size_t kPlainLength = 4;
// The colour sequence carries a fixed-width number; shorter ones are not taken as colour.
constexpr std::size_t kRgbColourLength = 13;

std::int32_t leadingNumber(std::string_view text) {
    std::int32_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') break;
        const std::int32_t digit = c - '0';
        if (value > (kMaxEscapeParameter - digit) / 10) return kMaxEscapeParameter;
        value = value * 10 + digit;
    }
    return value;
}

struct EntryMatch {
    std::int32_t entry = kEscapeNone;
    std::size_t offset = std::string_view::npos;  // from the start of the region
};

// The entry found earliest in region; on equal places the lower number, as the loop keeps
// the first it saw.
EntryMatch earliestEntry(std::string_view region) {
    EntryMatch best;
    for (std::int32_t entry = 0; entry < kEscapeEntryCount; ++entry) {
        const std::size_t at = region.find(kEscapeTable[static_cast<std::size_t>(entry)]);
        if (at < best.offset) best = {entry, at};
    }
    return best;
}

std::size_t fixedLength(std::int32_t entry, std::size_t measured) {
    switch (entry) {
        case kEscapePaperCut:
        case kEscapeNormal:
            return 3;
        case kEscapeReverseVideo:
        case kEscapeSubscript:
        case kEscapeSuperscript:
            return 5;
        default:
            return measured;
    }
}

// The sequence whose introducer starts rest[at]; everything is measured from there.
EscapeSequence parseSequenceAt(std::string_view rest, std::size_t at) {
    const std::size_t next = rest.find(kIntroducer, at + kIntroducer.size());
    const std::size_t regionEnd = next == std::string_view::npos ? rest.size() : next;
    const std::string_view region = rest.substr(at, regionEnd - at);

    EscapeSequence sequence;
    sequence.position = at;
    sequence.lineEnd = rest.substr(0, regionEnd).find('\n') != std::string_view::npos;

    const EntryMatch match = earliestEntry(region);
    std::size_t length = kPlainLength;
    if (match.entry != kEscapeNone) {
        sequence.entry = match.entry;
        if (match.offset > kIntroducer.size()) {
            const std::string_view number =
                region.substr(kIntroducer.size(), match.offset - kIntroducer.size());
            sequence.parameter = leadingNumber(number);
            length = number.size() + kPlainLength;
        }
        length = fixedLength(match.entry, length);
        if (match.entry == kEscapeRgbColour) {
            if (match.offset < kRgbColourLength) {
                sequence.entry = kEscapeNone;
                sequence.parameter = 0;
                length = kIntroducer.size();
            } else {
                length = kRgbColourLength;
            }
        }
    }
    // An introducer near the end asks for more than is there: the data simply ends there.
    sequence.consumed = std::min(length, rest.size() - at);
    return sequence;
}
}  // namespace

std::string_view escapeEntryText(std::int32_t entry) {
    if (entry < 0 || entry >= kEscapeEntryCount) return {};
    return kEscapeTable[static_cast<std::size_t>(entry)];
}

EscapeStep parseNextEscape(std::string_view rest) {
    const std::size_t at = rest.find(kIntroducer);
    if (at == std::string_view::npos) return {rest, std::nullopt};
    return {rest.substr(0, at), parseSequenceAt(rest, at)};
}

std::vector<EscapeStep> parseEscapes(std::string_view data) {
    std::vector<EscapeStep> steps;
    while (!data.empty()) {
        steps.push_back(parseNextEscape(data));
        data.remove_prefix(steps.back().length());
    }
    return steps;
}

}  // namespace pos::printer
