// The message label's measure without Windows: fits, wrapping and visible lines.
#include <gtest/gtest.h>

#include "ssMsgLblWrap.h"

namespace {

TEST(MsgLblWrap, VisibleLineCountCountsALastLineWhoseSpacingIsCut) {
    struct Case { int height, font, spacing, expected; };
    for (Case c : {Case{40, 12, 2, 2}, Case{41, 12, 2, 3}, Case{42, 12, 2, 3}, Case{13, 12, 2, 1}, Case{12, 12, 2, 0},
                   Case{12, 12, 0, 1}, Case{0, 12, 2, 0}, Case{-5, 12, 2, 0}})
        EXPECT_EQ(VisibleLineCount(c.height, c.font, c.spacing), c.expected)
            << c.height << " " << c.font << " " << c.spacing;
}

TEST(MsgLblWrap, FitWithoutPitchTakesAtMostTheWidthAndWithPitchStaysBelowIt) {
    std::vector<int> w(10, 12);
    struct Case { int width, pitch, expected; };
    for (Case c : {Case{90, 0, 7}, Case{84, 0, 7}, Case{83, 0, 6}, Case{11, 0, 0},
                   // Pitch 2: totals 0, 14, 28, ...; the 6th starts at 70 and 70 + 12 < 90.
                   Case{90, 2, 6}, Case{82, 2, 5}, Case{83, 2, 6}, Case{12, 2, 0}, Case{13, 2, 1}})
        EXPECT_EQ(FitChars(w.data(), int(w.size()), c.width, c.pitch), c.expected) << c.width << " " << c.pitch;
    std::vector<int> mixed{8, 0, 16, 8};  // a zero-width character does not end the fit
    EXPECT_EQ(FitChars(mixed.data(), 4, 8, 0), 2);
    EXPECT_EQ(CharsWidth(mixed.data(), 4, 2), 40);
}

TEST(MsgLblWrap, WrapTakesTheLongestFittingPrefixEveryTime) {
    // 100 full-width characters of 12 pixels in 90 pixels: 14 lines of 7 and one of 2.
    auto counts = WrapChars(std::vector<int>(100, 12), 90, 0);
    ASSERT_EQ(counts.size(), 15u);
    EXPECT_EQ(counts.front(), 7);
    EXPECT_EQ(counts.back(), 2);
    auto pitched = WrapChars(std::vector<int>(100, 12), 90, 2);
    ASSERT_EQ(pitched.size(), 17u);  // 16 of 6 and one of 4
    EXPECT_EQ(pitched.back(), 4);
    EXPECT_TRUE(WrapChars({}, 90, 0).empty());
}

TEST(MsgLblWrap, ANarrowClipStillAdvancesOneCharacterPerLine) {
    EXPECT_EQ(WrapChars(std::vector<int>(5, 12), 4, 0), std::vector<int>(5, 1));
    EXPECT_EQ(WrapChars(std::vector<int>(3, 12), 0, 3), std::vector<int>(3, 1));
}

TEST(MsgLblWrap, ASurrogatePairIsOneCharacter) {
    // あ, then 𠮷 as a pair, then い; a lone half counts as a character of its own.
    const String s{L'あ', wchar_t(0xD842), wchar_t(0xDFB7), L'い', wchar_t(0xDC00), wchar_t(0xD842)};
    struct Case { int at, units, start, prev; };
    for (Case c : {Case{0, 1, 0, 0}, Case{1, 2, 1, 0}, Case{2, 1, 1, 1}, Case{3, 1, 3, 1}, Case{4, 1, 4, 3},
                   Case{5, 1, 5, 4}})
        EXPECT_TRUE(CharUnits(s, c.at) == c.units && CharStart(s, c.at) == c.start &&
                    PrevCharStart(s, c.at) == c.prev)
            << c.at;
}

}  // namespace
