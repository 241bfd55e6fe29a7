#include "platform/ansi_text.h"

#include <gtest/gtest.h>

namespace {

TEST(AnsiText, DefaultCodePageIsWindows1252) {
    EXPECT_EQ(pos::platform::toAnsi(u"A\u00C4\u20AC\u00FF"), std::string("A\xC4\x80\xFF"));
    EXPECT_EQ(pos::platform::fromAnsi(std::string("A\xC4\x80\xFF")), u"A\u00C4\u20AC\u00FF");
}

TEST(AnsiText, StopsAtTheFirstNulAndMarksWhatTheCodePageLacks) {
    EXPECT_EQ(pos::platform::toAnsi(std::u16string(u"ab\0cd", 5)), "ab");
    EXPECT_EQ(pos::platform::toAnsi(u"x\u4E2D\u0416y"), "x??y");
    EXPECT_EQ(pos::platform::fromAnsi("\x81"), u"?");  // a byte Windows-1252 leaves undefined
}

}  // namespace
