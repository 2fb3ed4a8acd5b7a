#include <gtest/gtest.h>

#include "TestSupport.h"
#include "WinApi.h"
#include "ssStrUty.h"

namespace {

TEST(SafeSubstrings, ToleratePositionsOutOfRange) {
    struct Case { const wchar_t* s; int index, count; const wchar_t* copy; const wchar_t* afterDelete; };
    const Case cases[] = {
        {L"abc", 0, 2, L"ab", L"c"},
        {L"abc", 3, 10, L"c", L"ab"},
        {L"abc", 2, 0, L"", L"abc"},
        {L"abc", -5, 1, L"a", L"bc"},
        {L"abc", 4, 1, L"", L"abc"},
        {L"", 1, 3, L"", L""},
        {L"abc", 1, -1, L"", L"abc"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing_support::Utf8(c.s) + " " + std::to_string(c.index) + " " + std::to_string(c.count));
        EXPECT_EQ(SafeCopy(c.s, c.index, c.count), c.copy);
        String s = c.s;
        SafeDelete(s, c.index, c.count);
        EXPECT_EQ(s, c.afterDelete);
    }
}

TEST(SafeSubstrings, InsertClampsItsPosition) {
    struct Case { int index; const wchar_t* result; };
    for (Case c : {Case{0, L"XYabc"}, Case{2, L"aXYbc"}, Case{4, L"abcXY"}, Case{99, L"abcXY"}}) {
        String s = L"abc";
        SafeInsert(L"XY", s, c.index);
        EXPECT_EQ(s, c.result) << c.index;
    }
}

TEST(Search, PosStrIsOneBasedAndZeroWhenAbsent) {
    EXPECT_EQ(PosStr(L":", L"C:\\temp"), 2);
    EXPECT_EQ(PosStr(L"b", L"abcb"), 2);
    EXPECT_EQ(PosStr(L"x", L"abc"), 0);
    EXPECT_EQ(PosStr(L"", L"abc"), 0);
}

TEST(Search, ReplaceAllNeverRescansWhatItInserted) {
    struct Case { const wchar_t *s, *oldS, *newS, *result; };
    const Case cases[] = {
        {L"aaa", L"a", L"aa", L"aaaaaa"},
        {L"a.b.c", L".", L"", L"abc"},
        {L"abab", L"ab", L"b", L"bb"},
        {L"abc", L"", L"x", L"abc"},
        {L"xyz", L"q", L"r", L"xyz"},
    };
    for (const Case& c : cases) {
        String s = c.s;
        String r = ReplaceAllStr(s, c.oldS, c.newS);
        EXPECT_EQ(r, c.result);
        EXPECT_EQ(s, c.result);
    }
}

TEST(Numbers, IntToStrZeroPadsOrKeepsTheLastDigits) {
    struct Case { long long v; int width; const wchar_t* result; };
    const Case cases[] = {
        {7, 2, L"07"}, {2016, 2, L"16"}, {-5, 3, L"-005"}, {123, 3, L"123"}, {0, 4, L"0000"}, {-2016, 2, L"-16"},
    };
    for (const Case& c : cases) EXPECT_EQ(IntToStrZero(c.v, c.width), c.result) << c.v << " " << c.width;
}

TEST(Numbers, IsNumericAcceptsAsciiDigitsOnly) {
    struct Case { const wchar_t* s; bool result; };
    const Case cases[] = {
        {L"20161014", true}, {L"2016101A", false}, {L"", true}, {L"12\n", true}, {L"12\n\n", false},
        {L"\n", false}, {L"１２", false}, {L"-1", false}, {L" 1", false}, {L"1 ", false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsNumeric(c.s), c.result) << testing_support::Utf8(c.s);
}

class DoubleByteText : public ::testing::Test {
protected:
    void SetUp() override {
        if (GetACP() != 932) GTEST_SKIP() << "the ANSI code page is not 932";
    }
    // "a", the two bytes of あ in Shift-JIS, "b".
    const AnsiString text = "a\x82\xa0" "b";
};

TEST_F(DoubleByteText, ByteTypesFollowLeadAndTrailBytes) {
    EXPECT_EQ(ByteTypeAt(text, 1), 0);
    EXPECT_EQ(ByteTypeAt(text, 2), 1);
    EXPECT_EQ(ByteTypeAt(text, 3), 2);
    EXPECT_EQ(ByteTypeAt(text, 4), 0);
    EXPECT_EQ(ByteTypeAt(text, 9), 0);  // past the end reads the terminator
    EXPECT_TRUE(IsLeadByteAt(text, 2));
    EXPECT_TRUE(IsTrailByteAt(text, 3));
    // A trail-byte value after a single byte is a lead byte or single byte by itself.
    EXPECT_EQ(ByteTypeAt("\x82\x82\x82", 3), 1);
}

TEST_F(DoubleByteText, AnsiCopyNeverSplitsACharacter) {
    struct Case { int index, count; AnsiString result; };
    const Case cases[] = {
        {3, 2, "b"},               // the start fell on a trail byte
        {1, 2, "a"},               // the end fell on a lead byte
        {1, 3, "a\x82\xa0"},
        {2, 2, "\x82\xa0"},
        {0, 1, "a"},
        {2, 1, ""},
        {1, 0, ""},
        {1, 99, text},
    };
    for (const Case& c : cases) EXPECT_EQ(AnsiCopyMB(text, c.index, c.count), c.result) << c.index << "," << c.count;
}

TEST_F(DoubleByteText, AnsiCopyFromATrailByteDropsTheHalfCharacter) {
    // "a", あ, い, "b": the trail bytes sit at 3 and 5.
    const AnsiString two = "a\x82\xa0\x82\xa2" "b";
    struct Case { int index, count; AnsiString result; };
    const Case cases[] = {
        {3, 1, ""},              // nothing but the trail byte was asked for
        {3, 3, "\x82\xa2"},      // the count shrinks with the start
        {5, 2, "b"},
        {3, 2, ""},              // both halves dropped: the end is the next lead byte
    };
    for (const Case& c : cases) EXPECT_EQ(AnsiCopyMB(two, c.index, c.count), c.result) << c.index << "," << c.count;
}

}  // namespace
