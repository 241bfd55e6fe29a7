// Finding escape sequences in print data: which entry, which number, how many bytes.
#include "escape_parser.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using namespace pos::printer;

struct Sequence {
    std::int32_t entry;
    std::int32_t parameter;
    std::size_t consumed;
    bool lineEnd;
};

struct Step {
    std::string text;
    std::optional<Sequence> sequence;
};

struct Case {
    const char* what;
    std::string data;
    std::vector<Step> steps;
};

constexpr std::int32_t kMax = kMaxEscapeParameter;

void expectSteps(const Case& c) {
    SCOPED_TRACE(c.what);
    const std::vector<EscapeStep> steps = parseEscapes(c.data);
    ASSERT_EQ(steps.size(), c.steps.size());
    std::size_t covered = 0;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        SCOPED_TRACE("step " + std::to_string(i));
        const EscapeStep& got = steps[i];
        const Step& want = c.steps[i];
        EXPECT_EQ(got.text, want.text);
        ASSERT_EQ(got.sequence.has_value(), want.sequence.has_value());
        if (want.sequence) {
            EXPECT_EQ(got.sequence->entry, want.sequence->entry);
            EXPECT_EQ(got.sequence->parameter, want.sequence->parameter);
            EXPECT_EQ(got.sequence->consumed, want.sequence->consumed);
            EXPECT_EQ(got.sequence->lineEnd, want.sequence->lineEnd);
            EXPECT_EQ(got.sequence->position, want.text.size());
        }
        covered += got.length();
    }
    EXPECT_EQ(covered, c.data.size());
}

TEST(EscapeParser, EveryEntryAlone) {
    const Case cases[] = {
        {"paper cut", "\x1B|P", {{"", Sequence{0, 0, 3, false}}}},
        {"feed and cut", "\x1B|12fP", {{"", Sequence{1, 12, 6, false}}}},
        {"feed, cut and stamp", "\x1B|2sP", {{"", Sequence{2, 2, 5, false}}}},
        {"fire stamp", "\x1B|sL", {{"", Sequence{3, 0, 4, false}}}},
        {"stored bitmap", "\x1B|1B", {{"", Sequence{4, 0, 4, false}}}},
        {"top logo", "\x1B|tL", {{"", Sequence{5, 0, 4, false}}}},
        {"bottom logo", "\x1B|bL", {{"", Sequence{6, 0, 4, false}}}},
        {"feed lines", "\x1B|3lF", {{"", Sequence{7, 3, 5, false}}}},
        {"feed units", "\x1B|400uF", {{"", Sequence{8, 400, 7, false}}}},
        {"reverse feed", "\x1B|2rF", {{"", Sequence{9, 2, 5, false}}}},
        {"typeface", "\x1B|1fT", {{"", Sequence{10, 1, 5, false}}}},
        {"bold", "\x1B|bC", {{"", Sequence{11, 0, 4, false}}}},
        {"underline", "\x1B|2uC", {{"", Sequence{12, 2, 5, false}}}},
        {"italic", "\x1B|iC", {{"", Sequence{13, 0, 4, false}}}},
        {"alternate colour", "\x1B|rC", {{"", Sequence{14, 0, 4, false}}}},
        {"reverse video", "\x1B|rvC", {{"", Sequence{15, 0, 5, false}}}},
        {"shading", "\x1B|50sC", {{"", Sequence{16, 50, 6, false}}}},
        {"single size", "\x1B|1C", {{"", Sequence{17, 0, 4, false}}}},
        {"double wide", "\x1B|2C", {{"", Sequence{18, 0, 4, false}}}},
        {"double high", "\x1B|3C", {{"", Sequence{19, 0, 4, false}}}},
        {"double size", "\x1B|4C", {{"", Sequence{20, 0, 4, false}}}},
        {"scale wide", "\x1B|2hC", {{"", Sequence{21, 2, 5, false}}}},
        {"scale high", "\x1B|3vC", {{"", Sequence{22, 3, 5, false}}}},
        {"rgb colour",
         "\x1B|00255000128fC",
         {{"", Sequence{23, 255000128, 13, false}}, {"fC", {}}}},
        {"centre", "\x1B|cA", {{"", Sequence{24, 0, 4, false}}}},
        {"right", "\x1B|rA", {{"", Sequence{25, 0, 4, false}}}},
        {"normal", "\x1B|N", {{"", Sequence{26, 0, 3, false}}}},
        {"subscript", "\x1B|tbC", {{"", Sequence{27, 0, 5, false}}}},
        {"superscript", "\x1B|tpC", {{"", Sequence{28, 0, 5, false}}}},
    };
    for (const Case& c : cases) expectSteps(c);
}

TEST(EscapeParser, TheEarliestEntryWinsWhateverItsNumber) {
    const Case cases[] = {
        {"scale before a later feed suffix",
         "\x1B|2hCfP",
         {{"", Sequence{21, 2, 5, false}}, {"fP", {}}}},
        {"reverse video before its own vC", "\x1B|rvC", {{"", Sequence{15, 0, 5, false}}}},
        // The |P found further on is a paper cut with its fixed length of three.
        {"a bar and P later in the text",
         "\x1B|ab|P",
         {{"", Sequence{0, 0, 3, false}}, {"b|P", {}}}},
        // Anything up to the suffix is the number's text, digits or not.
        {"a suffix after plain words", "\x1B|lA Total fP", {{"", Sequence{1, 0, 13, false}}}},
    };
    for (const Case& c : cases) expectSteps(c);
}

TEST(EscapeParser, NoEntryIsAPrefixOfAnotherSoMatchesNeverTie) {
    for (std::int32_t a = 0; a < kEscapeEntryCount; ++a) {
        for (std::int32_t b = 0; b < kEscapeEntryCount; ++b) {
            if (a == b) continue;
            EXPECT_FALSE(escapeEntryText(b).starts_with(escapeEntryText(a))) << a << " " << b;
        }
    }
    EXPECT_TRUE(escapeEntryText(-1).empty());
    EXPECT_TRUE(escapeEntryText(kEscapeEntryCount).empty());
}

TEST(EscapeParser, NumbersAreTheLeadingDigitsHeldAtTheMaximum) {
    const Case cases[] = {
        {"leading zeros", "\x1B|007lF", {{"", Sequence{7, 7, 7, false}}}},
        {"digits then letters", "\x1B|12x3lF", {{"", Sequence{7, 12, 8, false}}}},
        {"no digits", "\x1B|xlF", {{"", Sequence{7, 0, 5, false}}}},
        {"the largest exact value", "\x1B|2147483647hC", {{"", Sequence{21, kMax, 14, false}}}},
        {"one more", "\x1B|2147483648hC", {{"", Sequence{21, kMax, 14, false}}}},
        {"twenty digits", "\x1B|99999999999999999999lF", {{"", Sequence{7, kMax, 24, false}}}},
        {"a number before a whole sequence is no number",
         "\x1B|2bC",
         {{"", Sequence{kEscapeNone, 0, 4, false}}, {"C", {}}}},
    };
    for (const Case& c : cases) expectSteps(c);
}

TEST(EscapeParser, ColourNeedsElevenBytesBeforeItsSuffix) {
    const Case cases[] = {
        {"no number", "\x1B|fC", {{"", Sequence{kEscapeNone, 0, 2, false}}, {"fC", {}}}},
        {"nine digits",
         "\x1B|255000128fC",
         {{"", Sequence{kEscapeNone, 0, 2, false}}, {"255000128fC", {}}}},
        {"eleven bytes",
         "\x1B|00255000128fC",
         {{"", Sequence{23, 255000128, 13, false}}, {"fC", {}}}},
        {"more than eleven",
         "\x1B|0000255000128fC",
         {{"", Sequence{23, 255000128, 13, false}}, {"28fC", {}}}},
    };
    for (const Case& c : cases) expectSteps(c);
}

TEST(EscapeParser, LineEndsCountBeforeTheSequenceAndUpToTheNextOne) {
    const Case cases[] = {
        {"LF in the text before", "A\nB\x1B|bC", {{"A\nB", Sequence{11, 0, 4, true}}}},
        {"LF after, before the next sequence",
         "\x1B|bCX\n",
         {{"", Sequence{11, 0, 4, true}}, {"X\n", {}}}},
        {"LF between two sequences marks both",
         "\x1B|bCX\n\x1B|1C",
         {{"", Sequence{11, 0, 4, true}}, {"X\n", Sequence{17, 0, 4, true}}}},
        {"LF after the second only",
         "\x1B|bCX\x1B|1C\n",
         {{"", Sequence{11, 0, 4, false}}, {"X", Sequence{17, 0, 4, true}}, {"\n", {}}}},
        {"text alone", "AB\nC", {{"AB\nC", {}}}},
    };
    for (const Case& c : cases) expectSteps(c);
}

TEST(EscapeParser, MalformedAndTruncatedSequencesNeverReadPastTheEnd) {
    const Case cases[] = {
        {"empty", "", {}},
        {"unknown suffix",
         "\x1B|lATotal",
         {{"", Sequence{kEscapeNone, 0, 4, false}}, {"Total", {}}}},
        {"number with no suffix",
         "\x1B|75P",
         {{"", Sequence{kEscapeNone, 0, 4, false}}, {"P", {}}}},
        {"a lone ESC", "AB\x1B", {{"AB\x1B", {}}}},
        {"a lone bar", "A|P", {{"A|P", {}}}},
        {"introducer at the very end", "AB\x1B|", {{"AB", Sequence{kEscapeNone, 0, 2, false}}}},
        {"introducer and one byte", "AB\x1B|7", {{"AB", Sequence{kEscapeNone, 0, 3, false}}}},
        {"introducer and two bytes", "AB\x1B|75", {{"AB", Sequence{kEscapeNone, 0, 4, false}}}},
        {"short whole sequence at the end", "AB\x1B|N", {{"AB", Sequence{26, 0, 3, false}}}},
        {"an unknown sequence swallows the next introducer",
         "\x1B|\x1B|bC",
         {{"", Sequence{kEscapeNone, 0, 4, false}}, {"bC", {}}}},
        {"text, two sequences, text",
         "AB\x1B|bCXYZ\x1B|1Cend",
         {{"AB", Sequence{11, 0, 4, false}}, {"XYZ", Sequence{17, 0, 4, false}}, {"end", {}}}},
    };
    for (const Case& c : cases) expectSteps(c);
}

}  // namespace
