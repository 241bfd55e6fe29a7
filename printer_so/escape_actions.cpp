#include "escape_actions.h"

#include <algorithm>

#include "printer_commands.h"

namespace pos::printer {

namespace {
using Commands = std::span<const std::int32_t>;

constexpr std::int32_t kCutOnly[] = {kCut};
constexpr std::int32_t kFeedAndCut[] = {kDefaultLineSpacing, kFeedLines, kCut};
constexpr std::int32_t kStoredImage[] = {kPrintImage};
constexpr std::int32_t kFeed[] = {kDefaultLineSpacing, kFeedLines};
constexpr std::int32_t kDotFeed[] = {kFeedDots};
constexpr std::int32_t kMode[] = {kPrintMode};
constexpr std::int32_t kUnderlineOnly[] = {kUnderline};
constexpr std::int32_t kReverse[] = {kReverseVideo};
constexpr std::int32_t kSize[] = {kCharacterSize};
constexpr std::int32_t kAlign[] = {kJustify};
constexpr std::int32_t kBackToNormal[] = {kJustify, kUnderline, kReverseVideo, kPrintMode,
                                          kDefaultLineSpacing};

std::uint32_t feedLines(std::int32_t parameter, std::uint32_t whenZero) {
    if (parameter <= 0) return whenZero;
    return std::min(static_cast<std::uint32_t>(parameter), kMaxFeedLines);
}

// Dots come in units of four; the printer takes at most 255 units per feed.
std::uint8_t feedUnits(std::int32_t parameter) {
    const std::int32_t whole = parameter & ~3;
    if (whole > 1020) return 255;
    if (whole <= 0) return 0;
    return static_cast<std::uint8_t>(parameter / 4);
}

void setSize(PrintSettings& s, std::uint8_t doubleHeight, std::uint8_t doubleWidth) {
    s.DoubleHeight = doubleHeight;
    s.DoubleWidth = doubleWidth;
}
}  // namespace

Commands applyEscape(PrintSettings& s, const EscapeSequence& sequence) {
    const std::int32_t v = sequence.parameter;
    switch (sequence.entry) {
        case kEscapePaperCut:
            s.CutFeed = 1;
            return kCutOnly;
        case kEscapeFeedCut:
            s.FeedLineCount = feedLines(v, 3);
            s.CutFeed = 1;
            return kFeedAndCut;
        case kEscapeBitmapOne:
            return kStoredImage;
        case kEscapeFeedLines:
            s.FeedLineCount = feedLines(v, 1);
            return kFeed;
        case kEscapeFeedUnits:
            s.FeedDotCount = feedUnits(v);
            return kDotFeed;
        case kEscapeBold:
            s.Emphasized = 1;
            return kMode;
        case kEscapeUnderline:
            s.UnderlineOn = 1;
            s.UnderlineThickness = v == 0 ? 1 : 2;
            return kUnderlineOnly;
        case kEscapeReverseVideo:
            s.ReverseOn = 1;
            return kReverse;
        case kEscapeSingleSize:
            s.Emphasized = 0;
            setSize(s, 0, 0);
            return kMode;
        case kEscapeDoubleWide:
            setSize(s, 0, 1);
            return kMode;
        case kEscapeDoubleHigh:
            setSize(s, 1, 0);
            return kMode;
        case kEscapeDoubleSize:
            setSize(s, 1, 1);
            return kMode;
        case kEscapeScaleWide:
            s.HorizontalScale = static_cast<std::uint8_t>(v % 256);
            s.VerticalScale = 0;
            return kSize;
        case kEscapeScaleHigh:
            s.VerticalScale = static_cast<std::uint8_t>(v % 256);
            s.HorizontalScale = 0;
            return kSize;
        case kEscapeCentre:
            s.Justification = 1;
            return kAlign;
        case kEscapeRight:
            s.Justification = 2;
            return kAlign;
        case kEscapeNormal:
            s.FontB = s.Emphasized = s.UnderlineOn = s.ReverseOn = 0;
            s.UnderlineThickness = s.Justification = 0;
            setSize(s, 0, 0);
            return kBackToNormal;
        default:
            return {};
    }
}

}  // namespace pos::printer
