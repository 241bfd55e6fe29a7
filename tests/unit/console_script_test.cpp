#include "console_script.h"

#include <gtest/gtest.h>

namespace {

using pos::control::CallArg;
using pos::tools::parseScriptLine;

std::int32_t number(const CallArg& a) {
    return std::get<std::int32_t>(a.value);
}
std::u16string text(const CallArg& a) {
    return std::get<std::u16string>(a.value);
}

TEST(ConsoleScript, MethodWithNumbersStringsAndReferences) {
    std::string error;
    auto line = parseScriptLine(R"(  DirectIO 29111954 &0x1D &"\e|bCTotal\n" # note)", &error);
    ASSERT_TRUE(line) << error;
    EXPECT_EQ(line->method, "DirectIO");
    ASSERT_EQ(line->args.size(), 3u);
    EXPECT_EQ(number(line->args[0]), 29111954);
    EXPECT_FALSE(line->args[0].byRef);
    EXPECT_EQ(number(line->args[1]), 0x1D);
    EXPECT_TRUE(line->args[1].byRef);
    EXPECT_EQ(text(line->args[2]), u"\x1b|bCTotal\n");
    EXPECT_TRUE(line->args[2].byRef);
}

TEST(ConsoleScript, NumbersAndEscapes) {
    const std::pair<const char*, std::int32_t> numbers[] = {
        {"-1", -1}, {"0xFFFFFFFF", -1}, {"2147483647", 2147483647}};
    for (const auto& [token, value] : numbers) {
        auto line = parseScriptLine(std::string("ClaimDevice ") + token, nullptr);
        ASSERT_TRUE(line) << token;
        EXPECT_EQ(number(line->args[0]), value) << token;
    }
    auto line = parseScriptLine(R"(PrintNormal 2 "a\tb\\c\"d\x41\u00C4\0")", nullptr);
    ASSERT_TRUE(line);
    EXPECT_EQ(text(line->args[1]), std::u16string(u"a\tb\\c\"dA\u00C4\0", 10));
}

TEST(ConsoleScript, BlankAndCommentLinesAreSkippedWithoutError) {
    std::string error = "stale";
    EXPECT_FALSE(parseScriptLine("", &error));
    EXPECT_TRUE(error.empty());
    EXPECT_FALSE(parseScriptLine("   # comment", &error));
    EXPECT_TRUE(error.empty());
}

TEST(ConsoleScript, MalformedLinesSayWhatIsWrong) {
    const std::pair<const char*, const char*> cases[] = {
        {R"(PrintNormal 2 "open)", "unterminated string"},
        {R"(PrintNormal 2 "\q")", "unknown escape \\q"},
        {R"(PrintNormal 2 "\x4")", "bad \\x escape"},
        {R"(PrintNormal 2 "\x4)", "short \\x escape"},
        {"ClaimDevice 12abc", "'12abc' is neither a number nor a quoted string"},
        {"ClaimDevice 99999999999", "'99999999999' is neither a number nor a quoted string"},
        {"\"x\"", "a line starts with a method name"},
    };
    for (const auto& [input, message] : cases) {
        std::string error;
        EXPECT_FALSE(parseScriptLine(input, &error)) << input;
        EXPECT_EQ(error, message) << input;
    }
}

TEST(ConsoleScript, EscapedTextPrintsBack) {
    EXPECT_EQ(pos::tools::escapeText(u"\x1b|cA\u00C4\u4E2D\"\n"), "\\e|cA\\xC4\\u4E2D\\\"\\n");
    EXPECT_STREQ(pos::tools::resultCodeName(112), "OPOS_E_TIMEOUT");
    EXPECT_STREQ(pos::tools::resultCodeName(7), "");
}

}  // namespace
