#pragma once
// OPOS escape sequences in print data (ESC | [number] suffix): where each one starts, which
// one it is, the number it carries and how many bytes it takes. Pure: bytes in, pieces out.
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>
#include <vector>

namespace pos::printer {

// Numbers of the escape table; the order decides between matches at the same place.
enum EscapeEntry : std::int32_t {
    kEscapeNone = -1,
    kEscapePaperCut = 0,          // ESC|P
    kEscapeFeedCut = 1,           // ESC|#fP
    kEscapeFeedCutStamp = 2,      // ESC|#sP
    kEscapeFireStamp = 3,         // ESC|sL
    kEscapeBitmapOne = 4,         // ESC|1B
    kEscapeTopLogo = 5,           // ESC|tL
    kEscapeBottomLogo = 6,        // ESC|bL
    kEscapeFeedLines = 7,         // ESC|#lF
    kEscapeFeedUnits = 8,         // ESC|#uF
    kEscapeFeedReverse = 9,       // ESC|#rF
    kEscapeTypeface = 10,         // ESC|#fT
    kEscapeBold = 11,             // ESC|bC
    kEscapeUnderline = 12,        // ESC|#uC
    kEscapeItalic = 13,           // ESC|iC
    kEscapeAlternateColour = 14,  // ESC|#rC
    kEscapeReverseVideo = 15,     // ESC|rvC
    kEscapeShading = 16,          // ESC|#sC
    kEscapeSingleSize = 17,       // ESC|1C
    kEscapeDoubleWide = 18,       // ESC|2C
    kEscapeDoubleHigh = 19,       // ESC|3C
    kEscapeDoubleSize = 20,       // ESC|4C
    kEscapeScaleWide = 21,        // ESC|#hC
    kEscapeScaleHigh = 22,        // ESC|#vC
    kEscapeRgbColour = 23,        // ESC|#fC
    kEscapeCentre = 24,           // ESC|cA
    kEscapeRight = 25,            // ESC|rA
    kEscapeNormal = 26,           // ESC|N
    kEscapeSubscript = 27,        // ESC|tbC
    kEscapeSuperscript = 28,      // ESC|tpC
};

inline constexpr std::int32_t kEscapeEntryCount = 29;

// Numbers longer than this are held at it, so any digit string gives a usable value.
inline constexpr std::int32_t kMaxEscapeParameter = std::numeric_limits<std::int32_t>::max();

// The table text of an entry (ESC written as the byte 1B); empty for numbers outside the table.
std::string_view escapeEntryText(std::int32_t entry);

struct EscapeSequence {
    std::int32_t entry = kEscapeNone;
    std::int32_t parameter = 0;  // value of the leading digits after ESC|, 0 when none
    // Bytes taken from the data, ESC and | included. A sequence that would run past the end of
    // the data takes only what is left, so the pieces always cover the data exactly.
    std::size_t consumed = 0;
    bool lineEnd = false;      // a LF before the next sequence (the text before this one too)
    std::size_t position = 0;  // text bytes since the previous sequence or the start
};

// What comes next in the data: the plain text up to the first sequence (possibly empty), then
// that sequence, or no sequence when the rest is plain text.
struct EscapeStep {
    std::string_view text;
    std::optional<EscapeSequence> sequence;

    std::size_t length() const { return text.size() + (sequence ? sequence->consumed : 0); }
};

EscapeStep parseNextEscape(std::string_view rest);

// The whole data as steps, in order; empty data gives no steps.
std::vector<EscapeStep> parseEscapes(std::string_view data);

}  // namespace pos::printer
