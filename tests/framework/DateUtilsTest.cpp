#include <gtest/gtest.h>

#include <cmath>

#include "DateUtils.h"

namespace {

TEST(DateValues, EncodeAndDecodeCountDaysFrom1899_12_30) {
    struct Case { int y, m, d; TDateTime value; int dayOfWeek; };
    const Case cases[] = {
        {1899, 12, 30, 0, 7},         {1900, 1, 1, 2, 2},        {2016, 10, 14, 42657, 6},
        {2016, 2, 29, 42429, 2},      {1868, 9, 8, -11435, 3},   {1989, 1, 8, 32516, 1},
        {1, 1, 1, -693593, 2},        {9999, 12, 31, 2958465, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.y) + "-" + std::to_string(c.m) + "-" + std::to_string(c.d));
        EXPECT_EQ(EncodeDate(c.y, c.m, c.d), c.value);
        EXPECT_EQ(DayOfWeek(c.value), c.dayOfWeek);
        int y, m, d;
        // Evening of the same day; before day 0 the fraction is subtracted.
        ASSERT_TRUE(TryDecodeDate(c.value < 0 ? c.value - 0.75 : c.value + 0.75, y, m, d));
        EXPECT_EQ(y * 10000 + m * 100 + d, c.y * 10000 + c.m * 100 + c.d);
    }
}

TEST(DateValues, BeforeDayZeroTheFractionStillCountsForward) {
    // 1868-09-08 06:00 is the day number minus a quarter.
    TDateTime v = EncodeDate(1868, 9, 8) - 0.25;
    int y, m, d, h, n, s, ms;
    DecodeDate(v, y, m, d);
    DecodeTime(v, h, n, s, ms);
    EXPECT_EQ(y * 10000 + m * 100 + d, 18680908);
    EXPECT_EQ(h, 6);
    EXPECT_EQ(DateOf(v), EncodeDate(1868, 9, 8));
    EXPECT_EQ(DayOfWeek(v), 3);
}

TEST(DateValues, InvalidDatesAndValuesAreRefused) {
    struct Case { int y, m, d; bool valid; };
    const Case cases[] = {
        {2016, 2, 29, true}, {2015, 2, 29, false}, {1900, 2, 29, false}, {2000, 2, 29, true}, {2016, 4, 31, false},
        {2016, 13, 1, false}, {2016, 0, 1, false}, {2016, 1, 0, false}, {0, 1, 1, false}, {10000, 1, 1, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsValidDate(c.y, c.m, c.d), c.valid) << c.y << "-" << c.m << "-" << c.d;
        if (!c.valid) {
            EXPECT_THROW(EncodeDate(c.y, c.m, c.d), EConvertError);
        }
    }
    EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
    for (TDateTime v : {std::nan(""), 1e12, -1e12, MinDateTime - 1, MaxDateTime + 1}) {
        int y = 1, m = 1, d = 1;
        EXPECT_FALSE(TryDecodeDate(v, y, m, d)) << v;
        EXPECT_EQ(y + m + d, 0) << v;
        EXPECT_EQ(DayOfWeek(v), 0) << v;
    }
    EXPECT_EQ(DaysInAMonth(2016, 2), 29);
    EXPECT_EQ(DaysInAMonth(2016, 13), 0);
}

TEST(DateFormatting, SpecifiersAndQuotedText) {
    const TDateTime v = EncodeDate(2016, 1, 5) + EncodeTime(9, 5, 7, 42);
    struct Case { const wchar_t *format, *result; };
    const Case cases[] = {
        {L"yyyy/mm/dd hh:nn:ss", L"2016/01/05 09:05:07"},
        {L"yy/m/d h:n:s", L"16/1/5 9:5:7"},
        {L"YYYYMMDDHHNN", L"201601050905"},
        {L"hh:mm", L"09:05"},        // m right after h is the minute
        {L"hh時mm分 mm月", L"09時05分 01月"},
        {L"z zzz", L"42 042"},
        {L"ddd dddd mmm", L"火 火曜日 1月"},
        {L"'yyyy'\"mm\"dd", L"yyyymm05"},
        {L"yyyy'年", L"2016年"},   // an unclosed quote runs to the end
        {L"e ee g gg", L"2016 2016  "},
        {L"年x", L"年x"},
        {L"", L""},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatDateTime(c.format, v), c.result) << c.format;
    EXPECT_EQ(FormatDateTime(L"yyyy-mm-dd hh:nn", EncodeDate(1868, 9, 8) - 0.5), L"1868-09-08 12:00");
}

}  // namespace
