#include <gtest/gtest.h>

#include "EraFiles.h"
#include "ssDate.h"
#include "ssDateUty.h"

namespace {

using namespace calendar_test;
using testing_support::Utf8;

using EraFormat = EraTableTest;

TEST_F(EraFormat, FormatEraDateRendersEraTokensAndLeavesTheRestToTheDateFormatter) {
    struct Case { int y, m, d; TDateTime time; const wchar_t *format, *result; };
    const TDateTime t0905 = EncodeTime(9, 5, 0, 0);
    const Case cases[] = {
        {2016, 10, 14, 0, L"GGGEE年MM月DD日", L"平成28年10月14日"},
        {2016, 1, 5, 0, L"GGFSTE.ZM.ZD", L"平28. 1. 5"},
        {2016, 10, 14, 0, L"GE.MM.DD", L"H28.10.14"},
        {1989, 1, 8, 0, L"GGGFSTE年", L"平成元年"},
        {1989, 1, 7, 0, L"GGGFSTE年", L"昭和64年"},
        {1989, 1, 8, 0, L"FSTEE|FSTZE|FSTE", L"元|元|元"},
        {1990, 1, 8, 0, L"FSTEE|FSTZE|FSTE|EE|ZE|E", L"02| 2|2|02| 2|2"},
        {2016, 2, 29, 0, L"MM月LSTDD日", L"02月末日"},
        {2016, 2, 28, 0, L"MM月LSTDD日", L"02月28日"},
        {2016, 10, 5, 0, L"LSTDD|LSTZD|LSTD", L"05| 5|5"},
        {2016, 10, 31, 0, L"LSTDD|LSTZD|LSTD", L"末|末|末"},
        {2016, 10, 14, 0, L"ggg ee年 g", L"平成 28年 H"},
        {2016, 1, 5, 0, L"zm/zd fstze", L" 1/ 5 28"},
        {2016, 10, 14, 0, L"'GGG'", L"GGG"},
        {2016, 10, 14, 0, L"\"GGG\"E", L"GGG28"},
        {2016, 10, 14, 0, L"'it''s' \"E's\"", L"its E's"},
        {2016, 10, 14, 0, L"GG'GGG'", L"平GGG"},  // the quoted GGG stays although GG comes right before it
        {2016, 10, 14, t0905, L"yyyymmddhhnn", L"201610140905"},
        {2016, 10, 14, t0905, L"yy/m/d hh:mm:ss", L"16/10/14 09:05:00"},
        {1868, 9, 7, 0, L"yyyy/mm/dd ZM.ZD", L"1868/09/07  9. 7"},  // before the first era
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Utf8(c.format));
        EXPECT_EQ(FormatEraDate(c.format, EncodeDate(c.y, c.m, c.d) + c.time), c.result);
    }
}

TEST_F(EraFormat, ANewEraFromTheEraFileFormatsToo) {
    UseEraFile(Lines(DefaultLines, {ReiwaLine}));
    EXPECT_EQ(FormatEraDate(L"GGGFSTE年M月D日 (GGE)", EncodeDate(2019, 5, 1)), L"令和元年5月1日 (令1)");
    EXPECT_EQ(FormatEraDate(L"GGGFSTE年", EncodeDate(2019, 4, 30)), L"平成31年");
    EXPECT_EQ(TssDate(2019, 5, 0).DateString(L"GEE.MM"), L"R01.05");
}

TEST_F(EraFormat, DateStringFormatsPartialValuesItself) {
    struct Case { int y, m, d; const wchar_t *format, *result; };
    const Case cases[] = {
        {2016, 10, 0, L"GGGEE年MM月DD日", L"平成28年10月  日"},
        {0, 0, 0, L"YYYY/MM/DD", L"    /  /  "},
        {2016, 10, 14, L"GGGEE年MM月DD日", L"平成28年10月14日"},  // a full date: FormatEraDate
        {2016, 10, 14, L"yyyy/mm/dd hh:nn", L"2016/10/14 00:00"},
        {0, 2, 29, L"MM/LSTDD", L"02/29"},  // no year: February of a common year
        {0, 2, 28, L"M月LSTD日", L"2月末日"},
        {1989, 1, 0, L"GGGFSTE年M月", L"平成元年1月"},
        {1912, 6, 0, L"GGGEE年|GGFSTZE", L"明治45年|明45"},
        {1990, 1, 0, L"FSTEE|FSTZE|FSTE|EE|ZE|E", L"02| 2|2|02| 2|2"},
        {2016, 0, 0, L"YY|YYYY|MM|M|DD|D|LSTDD|LSTD", L"16|2016|  | |  | |  | "},
        {0, 10, 14, L"GGG|GG|G|FSTEE|FSTE|EE|ZE|E", L"\u3000\u3000|\u3000| |  | |  |  | "},
        {5, 1, 0, L"YYYY/YY", L"0005/05"},
        {12345, 1, 0, L"YYYY", L"2345"},
        {2016, 10, 0, L"'YYYY'年\"MM\"", L"YYYY年MM"},
        {2016, 10, 0, L"yyyy/mm/dd", L"2016/10/  "},
        {0, 1, 5, L"ZM/ZD|LSTZD", L" 1/ 5| 5"},
        {2016, 10, 0, L"", L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Utf8(c.format) + " " + std::to_string(c.y) + "-" + std::to_string(c.m) + "-" + std::to_string(c.d));
        EXPECT_EQ(TssDate(c.y, c.m, c.d).DateString(c.format), c.result);
    }
}

TEST(QuotedText, QuotedPosSkipsQuotedSections) {
    struct Case { const wchar_t *token, *text; int result; };
    const Case cases[] = {
        {L"GGG", L"GGGEE", 1},
        {L"EE", L"GGGEE", 4},
        {L"GGG", L"'GGG'", 0},
        {L"GGG", L"\"GGG\"GGG", 6},
        {L"E", L"\"'\"E", 4},         // the other quote character inside a section is text
        {L"GGG", L"'GGG", 0},         // an unclosed section ends the search
        {L"GGG", L"GG'GGG'", 0},      // a failed attempt does not step over the quote
        {L"LSTDD", L"LSTDLSTDD", 5},  // nor over the start of the match
        {L"X", L"", 0},
        {L"", L"ABC", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(QuotedPos(c.token, c.text), c.result) << Utf8(c.token) << " in " << Utf8(c.text);
}

TEST(QuotedText, StripQuotesKeepsWhatIsBetweenThem) {
    struct Case { const wchar_t *text, *result; };
    const Case cases[] = {
        {L"'a'b\"c\"", L"abc"}, {L"\"it's\"", L"it's"}, {L"'ab", L"ab"}, {L"a''b", L"ab"}, {L"", L""},
        {L"\"\"元\"\"", L"元"},
    };
    for (const Case& c : cases) EXPECT_EQ(StripQuotes(c.text), c.result) << Utf8(c.text);
}

}  // namespace
