// Edit masks without a window: parsing, fitting characters, formatting and extracting values,
// typing over a text, caret positions and the check of required positions.
#include <gtest/gtest.h>

#include "MaskUtils.h"

namespace {

TEST(MaskUtils, ParsesFormatAndSections) {
    struct Case {
        String Mask, Blanks;
        bool Keep;
        wchar_t Blank;
    } cases[] = {
        {L"", L"", true, L'_'},
        {L"0000/00/00;1;_", L"____/__/__", true, L'_'},
        {L"000-0000;0;*", L"***-****", false, L'*'},
        {L"99;1; ", L"  ", true, L' '},
        {L"\\0\\;\\\\99", L"0;\\__", true, L'_'},       // escaped mask characters are literals
        {L"00\\", L"__", true, L'_'},                   // a "\" at the end is ignored
        {L">LL<ll<>ll", L"______", true, L'_'},          // case switches take no position
        {L"00;", L"__", true, L'_'},                    // an empty keep section keeps
        {L"00;x;#;zzz", L"##", true, L'#'},             // unknown sections are ignored
        {L"00;0;\x01", L"__", false, L'_'},             // a control character is no blank
        {String(L"0\t0\0" L"0", 5), L"___", true, L'_'},  // nor a literal
    };
    for (const Case& c : cases) {
        TEditMask mask(c.Mask);
        EXPECT_EQ(mask.Blanks(), c.Blanks) << c.Mask;
        EXPECT_EQ(mask.KeepLiterals(), c.Keep) << c.Mask;
        EXPECT_EQ(mask.Blank(), c.Blank) << c.Mask;
        EXPECT_EQ(mask.Empty(), c.Blanks.empty()) << c.Mask;
    }
    // An absurd mask is cut at the position cap; its sections still count.
    TEditMask huge(String(100000, L'0') + L";0;*");
    EXPECT_EQ(huge.Length(), MaxMaskPositions);
    EXPECT_FALSE(huge.KeepLiterals());
    EXPECT_EQ(huge.Blank(), L'*');
}

TEST(MaskUtils, FitsCharactersToPositions) {
    struct Case {
        String Mask;
        wchar_t Ch, Expected;
    } cases[] = {
        {L"0", L'5', L'5'},       {L"0", L'a', 0},          {L"9", L'-', 0},
        {L"#", L'-', L'-'},       {L"#", L'+', L'+'},       {L"#", L'7', L'7'},
        {L"L", L'q', L'q'},       {L"L", L'1', 0},          {L"L", L'あ', L'あ'},
        {L"L", L'ｱ', L'ｱ'},       {L"L", L'、', 0},         {L"L", L'￥', 0},
        {L"L", L'-', 0},          {L"A", L'7', L'7'},       {L"a", L'%', 0},
        {L">L", L'a', L'A'},      {L"<L", L'Q', L'q'},      {L">L", L'é', L'É'},
        {L"<>L", L'Q', L'Q'},     {L"0", L'３', L'3'},      {L"A", L'Ｂ', L'B'},
        {L">a", L'ｂ', L'B'},     {L"#", L'－', L'-'},      {L"C", L'３', L'３'},  // any character stays as typed
        {L"C", L'%', L'%'},       {L"C", L' ', 0},          {L"C", L'_', 0},      // space and blank empty
        {L"c;1;*", L'_', L'_'},   {L"C", L'\t', 0},         {L"-", L'-', 0},      // a literal takes nothing
    };
    for (const Case& c : cases)
        EXPECT_EQ(TEditMask(c.Mask).Fit(0, c.Ch), c.Expected)  // case switches take no position
            << c.Mask << L" " << int(c.Ch);
}

TEST(MaskUtils, FormatsValuesAndExtractsThem) {
    struct Case {
        String Mask, Value;
        bool WithLiterals;
        String EditText, WithLit, WithoutLit;
    } cases[] = {
        {L"0000/00/00;1;_", L"2024/01/05", true, L"2024/01/05", L"2024/01/05", L"20240105"},
        {L"0000/00/00;1;_", L"20240105", false, L"2024/01/05", L"2024/01/05", L"20240105"},
        {L"000-0000;0;_", L"1234567", false, L"123-4567", L"123-4567", L"1234567"},
        {L"000-0000;0;_", L"12", true, L"12_-____", L"12 -    ", L"12     "},
        // Pasted text: characters that fit nowhere are skipped, with or without literals.
        {L"000-0000", L"〒123-4567", true, L"123-4567", L"123-4567", L"1234567"},
        {L"000-0000", L"123-4567", false, L"123-4567", L"123-4567", L"1234567"},
        // A literal typed early ends its field; the field's other positions stay blank.
        {L"0000/00/00", L"2024/1/5", true, L"2024/1_/5_", L"2024/1 /5 ", L"20241 5 "},
        {L"(999)", L"12", true, L"(12_)", L"(12 )", L"12 "},
        {L">LLL", L"abc", false, L"ABC", L"ABC", L"ABC"},
        {L"0 0", L"1 2", true, L"1 2", L"1 2", L"12"},
        // Nothing filled reads as empty, whatever literals the mask has.
        {L"0000/00/00", L"", true, L"____/__/__", L"", L""},
        {L"0000/00/00", L"xyz", true, L"____/__/__", L"", L""},
        {L"", L"anything", true, L"", L"", L""},
    };
    for (const Case& c : cases) {
        TEditMask mask(c.Mask);
        String text = mask.Format(c.Value, c.WithLiterals);
        EXPECT_EQ(text, c.EditText) << c.Mask << L" " << c.Value;
        EXPECT_EQ(mask.Extract(text, true), c.WithLit) << c.Mask << L" " << c.Value;
        EXPECT_EQ(mask.Extract(text, false), c.WithoutLit) << c.Mask << L" " << c.Value;
        // Each extracted value formats back to the same text.
        EXPECT_EQ(mask.Format(c.WithLit, true), text) << c.Mask;
        EXPECT_EQ(mask.Format(c.WithoutLit, false), text) << c.Mask;
    }
}

TEST(MaskUtils, PutsTypedCharactersAndClearsRanges) {
    TEditMask mask(L"000-0000");
    struct Case {
        String Before;
        int Pos;
        String Chars, After;
        int Result;
    } cases[] = {
        {L"12_-____", 2, L"3", L"123-____", 3},
        {L"123-____", 3, L"4", L"123-4___", 5},   // steps over the literal
        {L"123-____", 3, L"-", L"123-____", 4},   // typing the literal moves past it
        {L"12_-____", 2, L"-", L"12_-____", 4},   // and leaves the field's rest as it is
        {L"123-____", 4, L"x", L"123-____", -1},  // refused
        {L"123-4567", 8, L"1", L"123-4567", -1},  // no room
        {L"123-4567", 1, L" ", L"1_3-4567", 2},   // a space empties
        {L"123-4567", 5, L"_", L"123-4_67", 6},   // so does the blank
        {L"123-4567", 1, L"98-76", L"198-7667", 6},
        {L"1x3", 0, L"", L"1_3-____", -1},        // a foreign text is brought to the mask's shape
    };
    for (const Case& c : cases) {
        String text = c.Before;
        EXPECT_EQ(mask.Put(text, c.Pos, c.Chars), c.Result) << c.Before << L" " << c.Chars;
        EXPECT_EQ(text, c.After) << c.Before << L" " << c.Chars;
    }
    String text = L"123-4567";
    mask.Clear(text, 2, 6);
    EXPECT_EQ(text, L"12_-__67");
    mask.Clear(text, -5, 100);
    EXPECT_EQ(text, L"___-____");
}

TEST(MaskUtils, CaretLandsOnEditablePositions) {
    struct Case {
        String Mask;
        int Pos, Next, Prev, Forward, Backward;
    } cases[] = {
        {L"000-0000", 3, 4, 2, 4, 2},
        {L"000-0000", 0, 0, -1, 0, 0},
        {L"000-0000", 8, 8, 7, 8, 8},
        {L"000-0000", 99, 8, 7, 8, 8},
        {L"(000)", 0, 1, -1, 1, 1},  // nothing editable before: forward
        {L"(000)", 5, 5, 3, 4, 4},   // after the last editable position
        {L"--", 1, 2, -1, 0, 0},     // no editable position at all
        {L"", 0, 0, -1, 0, 0},
    };
    for (const Case& c : cases) {
        TEditMask mask(c.Mask);
        EXPECT_EQ(mask.NextEditable(c.Pos), c.Next) << c.Mask << L" " << c.Pos;
        EXPECT_EQ(mask.PrevEditable(c.Pos), c.Prev) << c.Mask << L" " << c.Pos;
        EXPECT_EQ(mask.CaretPos(c.Pos, true), c.Forward) << c.Mask << L" " << c.Pos;
        EXPECT_EQ(mask.CaretPos(c.Pos, false), c.Backward) << c.Mask << L" " << c.Pos;
    }
}

TEST(MaskUtils, FindsTheFirstEmptyRequiredPosition) {
    struct Case {
        String Mask, EditText;
        int Missing;
    } cases[] = {
        {L"000-9999", L"12_-____", 2}, {L"000-9999", L"123-____", -1}, {L"LL", L"a_", 1},
        {L"CC", L"ab", -1},            {L"0000/00/00", L"2024/1", 6},  // a short text lacks the rest
        {L"", L"", -1},                {L"00", L"1x", 1},              // a character that does not fit is empty
    };
    for (const Case& c : cases) EXPECT_EQ(TEditMask(c.Mask).FirstMissing(c.EditText), c.Missing) << c.Mask;
}

}  // namespace
