#include <gtest/gtest.h>

#include <vector>

#include "ssCmdLine.h"

namespace {

TEST(CommandLine, TokensAsAProgramSplitsItsOwn) {
    struct Case { const wchar_t* line; std::vector<String> tokens; };
    const Case cases[] = {
        {L"", {}},
        {L"  \t ", {}},
        {L"a b\tc", {L"a", L"b", L"c"}},
        {L"\"C:\\Program Files\\x.exe\" /p", {L"C:\\Program Files\\x.exe", L"/p"}},
        {L"a\"b c\"d", {L"ab cd"}},
        {L"\"\" a", {L"a"}},            // an empty quoted token between blanks is no token
        {L"\"\"\"\" a", {L"a"}},
        {L"x \"\"", {L"x"}},
        {L"\"open", {L"open"}},          // an unclosed quote runs to the end
        {L"a\x01" L"b", {L"a", L"b"}},  // control characters separate
        {L"資料 \"表 計算\"", {L"資料", L"表 計算"}},
    };
    for (const Case& c : cases) EXPECT_EQ(CommandLineTokens(c.line), c.tokens) << c.line;
}

TEST(CommandLine, ATokenHoldsAtMost8192Characters) {
    String longArg(9000, L'x');
    std::vector<String> tokens = CommandLineTokens(longArg + L" y");
    ASSERT_EQ(tokens.size(), 2u);
    EXPECT_EQ(tokens[0], String(8192, L'x'));
    EXPECT_EQ(tokens[1], L"y");
}

}  // namespace
