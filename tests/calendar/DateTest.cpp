#include <gtest/gtest.h>

#include <sstream>

#include "EraFiles.h"
#include "ssDate.h"

namespace {

using namespace calendar_test;

std::string Show(const TssDate& d) {
    std::ostringstream s;
    s << d.YYYY() << '-' << d.MM() << '-' << d.DD();
    return s.str();
}

std::string Show(const TssYMD& r) {
    std::ostringstream s;
    s << r.Y << ' ' << r.M << ' ' << r.D;
    return s.str();
}

struct Ymd {
    int y, m, d;
    TssDate Date() const { return TssDate(y, m, d); }
};

using DateEras = EraTableTest;

TEST_F(DateEras, SeirekiIntAndEraViews) {
    struct Case { int seireki; const wchar_t* nengo; int yy, index; const wchar_t *gg, *g; };
    const Case cases[] = {
        {20161014, L"平成", 28, 4, L"平", L"H"},
        {19890107, L"昭和", 64, 3, L"昭", L"S"},
        {19890108, L"平成", 1, 4, L"平", L"H"},
        {18680907, L"", 0, 0, L"", L""},
        {19120600, L"明治", 45, 1, L"明", L"M"},  // no day: by year and month
        {19120700, L"大正", 1, 2, L"大", L"T"},
        {19890100, L"平成", 1, 4, L"平", L"H"},
        {19261100, L"大正", 15, 2, L"大", L"T"},
        {18680500, L"", 0, 0, L"", L""},          // before the first era's month
        {20160000, L"平成", 28, 4, L"平", L"H"},  // a year alone
        {18660000, L"", 0, 0, L"", L""},
        {1014, L"", 0, 0, L"", L""},              // month and day only
    };
    for (const Case& c : cases) {
        TssDate d;
        d.SetSeirekiINT(c.seireki);
        SCOPED_TRACE(Show(d));
        EXPECT_EQ(d.SeirekiINT(), c.seireki);
        EXPECT_EQ(d.NengoString(), c.nengo);
        EXPECT_EQ(d.YY(), c.yy);
        EXPECT_EQ(d.NengoIndex(), c.index);
        EXPECT_EQ(d.NengoGG(), c.gg);
        EXPECT_EQ(d.NengoG(), c.g);
    }
    TssDate d;
    d.SetSeirekiINT(-5);
    EXPECT_TRUE(d.IsEmpty());
    for (Ymd v : {Ymd{10000, 1, 1}, Ymd{2016, 100, 1}, Ymd{2016, 1, 100}}) EXPECT_EQ(v.Date().SeirekiINT(), 0);
}

TEST_F(DateEras, WarekiBuildsTheWesternDate) {
    struct Case { int era, yy, mm, dd; const char* result; };
    const Case cases[] = {
        {4, 1, 1, 8, "1989-1-8"}, {3, 64, 1, 7, "1989-1-7"}, {4, 28, 10, 14, "2016-10-14"},
        {1, 45, 6, 1, "1912-6-1"}, {2, 15, 12, 24, "1926-12-24"},
    };
    for (const Case& c : cases) {
        TssDate d;
        d.CreateFromWareki(c.era, c.yy, c.mm, c.dd);
        EXPECT_EQ(Show(d), c.result);
        // The same on a value that already holds another date.
        TssDate e(2016, 2, 29);
        e.SetWareki(c.era, c.yy, c.mm, c.dd);
        EXPECT_EQ(Show(e), c.result);
    }
}

TEST_F(DateEras, ChangingEraOrEraYearKeepsTheOther) {
    struct Case { Ymd from; char what; int value; const char* result; };
    const Case cases[] = {
        {{2016, 2, 29}, 'Y', 27, "2015-2-28"},
        {{2016, 2, 29}, 'Y', 24, "2012-2-29"},
        {{2016, 10, 14}, 'Y', 28, "2016-10-14"},
        // Early in an era's first calendar year the value is still in the previous era.
        {{1989, 1, 7}, 'Y', 64, "1989-1-7"},
        {{1989, 1, 7}, 'Y', 63, "1988-1-7"},
        {{1912, 6, 0}, 'Y', 44, "1911-6-0"},
        {{0, 5, 3}, 'Y', 7, "7-5-3"},          // no year: the number waits for an era
        {{2016, 10, 14}, 'N', 3, "1953-10-14"},
        {{2016, 10, 14}, 'N', 4, "2016-10-14"},
        {{2016, 10, 14}, 'N', 0, "0-10-14"},
        {{2016, 10, 14}, 'N', 6, "0-10-14"},
        {{7, 5, 3}, 'N', 4, "1995-5-3"},       // a small year is an era year
        {{0, 5, 3}, 'N', 2, "1912-5-3"},
    };
    for (const Case& c : cases) {
        TssDate d = c.from.Date();
        SCOPED_TRACE(Show(d) + " " + c.what + std::to_string(c.value));
        if (c.what == 'Y') d.SetYY(c.value);
        else d.SetNengoIndex(c.value);
        EXPECT_EQ(Show(d), c.result);
    }
}

TEST(DateValue, ValidityAndDayViews) {
    struct Case { Ymd v; bool ymd, ym, md, matubi, leap, empty; TDateTime dt; int youbi; const wchar_t* name; int week; };
    const Case cases[] = {
        {{1899, 12, 30}, true, true, true, false, false, false, 0, 7, L"土", 5},
        {{2016, 10, 7}, true, true, true, false, true, false, 42650, 6, L"金", 1},
        {{2016, 10, 8}, true, true, true, false, true, false, 42651, 7, L"土", 2},
        {{2016, 2, 29}, true, true, true, true, true, false, 42429, 2, L"月", 5},
        {{2015, 2, 29}, false, true, false, false, false, false, 0, 0, L"", 0},
        {{0, 2, 29}, false, false, false, false, false, false, 0, 0, L"", 0},  // yearless: 1998
        {{0, 2, 28}, false, false, true, true, false, false, 0, 0, L"", 0},
        {{1866, 5, 0}, false, false, false, false, false, false, 0, 0, L"", 0},
        {{1867, 5, 0}, false, true, false, false, false, false, 0, 0, L"", 0},
        {{10000, 1, 1}, false, true, true, false, true, false, 0, 0, L"", 0},
        {{0, 0, 0}, false, false, false, false, false, true, 0, 0, L"", 0},
        {{-1, -1, -1}, false, false, false, false, false, true, 0, 0, L"", 0},
    };
    for (const Case& c : cases) {
        TssDate d = c.v.Date();
        SCOPED_TRACE(Show(d));
        EXPECT_EQ(d.IsGoodYMD(), c.ymd);
        EXPECT_EQ(d.IsGoodYM(), c.ym);
        EXPECT_EQ(d.IsGoodMD(), c.md);
        EXPECT_EQ(d.IsMatubi(), c.matubi);
        EXPECT_EQ(d.IsLeapYear(), c.leap);
        EXPECT_EQ(d.IsEmpty(), c.empty);
        EXPECT_EQ(d.DateTime(), c.dt);
        EXPECT_EQ(d.YoubiIndex(), c.youbi);
        EXPECT_EQ(d.Youbi(), c.name);
        EXPECT_EQ(d.WeekIndex(), c.week);
        EXPECT_FALSE(d.IsHoliday());
    }
}

TEST(DateValue, ConstructionCopiesAndComparison) {
    TssDate d;
    d.CreateFromDateTime(EncodeDate(2016, 10, 14) + 0.75);
    EXPECT_EQ(Show(d), "2016-10-14");
    d.SetDateTime(1e12);  // no date: the value empties
    EXPECT_TRUE(d.IsEmpty());
    d.CreateFromSeirekiINT(20161014);
    TssDate copy;
    copy.CreateFromDate(d);
    EXPECT_EQ(Show(copy), "2016-10-14");
    copy.SetGetumatu();
    EXPECT_EQ(Show(copy), "2016-10-31");
    TssDate monthless(2016, 0, 5);
    monthless.SetGetumatu();
    EXPECT_EQ(Show(monthless), "2016-0-0");

    TssDate today;
    today.CreateToday();
    TssDate now;
    now.SetDateTime(Now());
    EXPECT_EQ(today.Compare(now), 0);
    EXPECT_TRUE(today.IsGoodYMD());

    struct Case { Ymd a, b; int result; };
    const Case cases[] = {
        {{2016, 10, 14}, {2015, 12, 31}, 1}, {{2016, 10, 14}, {2016, 12, 1}, -2},
        {{2016, 10, 14}, {2016, 10, 14}, 0}, {{2016, 10, 14}, {2016, 10, 0}, 14}, {{0, 5, 3}, {2016, 5, 3}, -2016},
    };
    for (const Case& c : cases) EXPECT_EQ(c.a.Date().Compare(c.b.Date()), c.result) << Show(c.a.Date());
}

TEST(DateArithmetic, AddYearsMonthsAndDays) {
    struct Case { Ymd from; char unit; int n; bool startDay; const char* result; };
    const Case cases[] = {
        {{2016, 2, 29}, 'Y', 1, false, "2017-2-28"},
        {{2016, 10, 14}, 'Y', 1, true, "2017-10-13"},
        {{2016, 10, 14}, 'Y', -1, true, "2015-10-15"},
        {{2016, 10, 14}, 'Y', 0, true, "2016-10-14"},
        {{2016, 1, 31}, 'M', 1, false, "2016-2-29"},
        {{2015, 1, 31}, 'M', 1, false, "2015-2-28"},
        {{2016, 3, 31}, 'M', -1, false, "2016-2-29"},
        {{2016, 12, 15}, 'M', 1, false, "2017-1-15"},
        {{2016, 1, 15}, 'M', -13, false, "2014-12-15"},
        {{2016, 1, 15}, 'M', 25, false, "2018-2-15"},
        {{2016, 10, 14}, 'M', 1, true, "2016-11-13"},
        {{2016, 10, 1}, 'M', -1, true, "2016-9-2"},
        {{0, 12, 15}, 'M', 1, false, "0-1-15"},      // no year: it stays absent
        {{2016, 0, 5}, 'Y', 1, false, "2017-0-5"},   // no month to clamp to: the day stays
        {{2016, 3, 5}, 'D', -5, false, "2016-2-29"},
        {{2016, 3, 5}, 'D', -5, true, "2016-3-1"},
        {{2015, 1, 30}, 'D', 5, false, "2015-2-4"},
        {{2015, 1, 30}, 'D', 1, true, "2015-1-30"},
        {{2015, 12, 31}, 'D', 1, false, "2016-1-1"},
        {{2016, 1, 1}, 'D', -1, false, "2015-12-31"},
        {{2016, 10, 14}, 'D', -10, true, "2016-10-5"},
        {{2016, 10, 14}, 'D', 365, false, "2017-10-14"},
        {{2016, 10, 14}, 'D', -366, false, "2015-10-14"},
        {{0, 2, 28}, 'D', 1, false, "0-3-1"},       // month lengths of 1998
        {{0, 12, 31}, 'D', 1, false, "0-1-1"},
        {{0, 0, 30}, 'D', 5, false, "0-0-31"},      // a day alone stays within 1..31
        {{0, 0, 10}, 'D', -40, false, "0-0-0"},
        {{0, 0, 10}, 'D', 0, true, "0-0-9"},
        {{0, 0, 10}, 'D', -3, true, "0-0-8"},
    };
    for (const Case& c : cases) {
        TssDate d = c.from.Date();
        SCOPED_TRACE(Show(d) + " " + c.unit + std::to_string(c.n) + (c.startDay ? " start day" : ""));
        if (c.unit == 'Y') d.AddY(c.n, c.startDay);
        else if (c.unit == 'M') d.AddM(c.n, c.startDay);
        else d.AddD(c.n, c.startDay);
        EXPECT_EQ(Show(d), c.result);
    }
}

TEST(DateDifference, EveryFormat) {
    using enum TssDiffFormat;
    struct Case { Ymd self, start; TssDiffFormat f; bool startDay; const char* result; };
    const Case cases[] = {
        {{2017, 3, 31}, {2016, 4, 1}, dfYMD, false, "0 11 30"},
        {{2017, 3, 31}, {2016, 4, 1}, dfYMD, true, "1 0 0"},
        {{2015, 2, 28}, {2015, 1, 31}, dfYMD, false, "0 1 0"},
        {{2015, 3, 15}, {2015, 1, 31}, dfYMD, false, "0 1 15"},
        {{2016, 1, 1}, {2016, 12, 31}, dfYMD, false, "0 -11 -30"},
        {{2016, 10, 14}, {2016, 10, 14}, dfYMD, false, "0 0 0"},
        {{2016, 10, 14}, {2016, 10, 14}, dfYMD, true, "0 0 1"},
        {{2016, 3, 15}, {2016, 3, 1}, dfYMD, true, "0 0 15"},
        {{2016, 4, 30}, {2016, 3, 1}, dfYMD, true, "0 2 0"},
        {{2020, 10, 14}, {2016, 2, 29}, dfYMD, false, "4 7 15"},
        {{2016, 10, 14}, {0, 10, 1}, dfYMD, false, "0 0 0"},
        {{0, 3, 15}, {0, 1, 31}, dfMD, false, "0 1 15"},
        {{2017, 3, 31}, {2016, 4, 1}, dfMD, false, "0 11 30"},
        {{2016, 3, 15}, {0, 1, 31}, dfMD, false, "0 0 0"},       // year presence differs
        {{0, 2, 29}, {0, 1, 31}, dfMD, false, "0 0 0"},          // no 29 February without a year
        {{2016, 3, 1}, {2016, 2, 1}, dfD, false, "0 0 29"},
        {{2016, 3, 1}, {2016, 2, 1}, dfD, true, "0 0 30"},
        {{2016, 2, 1}, {2016, 3, 1}, dfD, false, "0 0 -29"},
        {{0, 0, 20}, {0, 0, 5}, dfD, false, "0 0 15"},
        {{0, 0, 20}, {0, 0, 5}, dfD, true, "0 0 16"},
        {{0, 3, 15}, {0, 1, 10}, dfD, false, "0 0 64"},
        {{2016, 3, 1}, {0, 0, 5}, dfD, false, "0 0 0"},
        {{2015, 2, 30}, {2015, 2, 1}, dfD, false, "0 0 0"},      // not a date
        {{2017, 3, 15}, {2016, 4, 1}, dfYMplus, false, "0 12 0"},
        {{2017, 3, 15}, {2016, 4, 1}, dfYMminus, false, "0 11 0"},
        {{2018, 5, 2}, {2016, 4, 1}, dfYMplus, false, "2 2 0"},
        {{2017, 3, 0}, {2016, 4, 0}, dfYMplus, false, "0 11 0"},
        {{2017, 3, 0}, {2016, 4, 1}, dfYMplus, false, "0 0 0"},
        {{2017, 3, 15}, {2016, 4, 1}, dfYplus, false, "1 0 0"},
        {{2017, 3, 15}, {2016, 4, 1}, dfYminus, false, "0 0 0"},
        {{2016, 4, 1}, {2017, 3, 15}, dfYplus, false, "-1 0 0"},
        {{2017, 0, 0}, {2016, 0, 0}, dfYminus, false, "1 0 0"},
        {{2017, 3, 0}, {2016, 0, 0}, dfYplus, false, "0 0 0"},
        {{0, 3, 15}, {0, 1, 31}, dfMplus, false, "0 2 0"},
        {{0, 3, 15}, {0, 1, 31}, dfMminus, false, "0 1 0"},
        {{0, 3, 0}, {0, 1, 0}, dfMplus, false, "0 2 0"},
        {{2016, 3, 0}, {0, 1, 0}, dfMplus, false, "0 0 0"},
        {{2017, 3, 31}, {2016, 4, 1}, TssDiffFormat(99), false, "0 0 0"},
    };
    for (const Case& c : cases) {
        TssDate self = c.self.Date(), start = c.start.Date();
        SCOPED_TRACE(Show(self) + " from " + Show(start) + " format " + std::to_string(int(c.f)) +
                     (c.startDay ? " start day" : ""));
        EXPECT_EQ(Show(self.DiffDate(start, c.f, c.startDay)), c.result);
        EXPECT_EQ(Show(self), Show(c.self.Date()));
        EXPECT_EQ(Show(start), Show(c.start.Date()));
    }
}

// Every month has 30 days: each operation that asks for a month's length must see it.
class TThirtyDayDate : public TssDate {
protected:
    int DaysInMonth(int Year, int Month) const override { return Month >= 1 && Month <= 12 ? 30 : 0; }
};

TEST(DateOverrides, OperationsCallTheOverridableMembers) {
    TThirtyDayDate d;
    d.SetSeireki(2015, 2, 1);
    d.SetGetumatu();
    EXPECT_EQ(Show(d), "2015-2-30");
    EXPECT_TRUE(d.IsGoodYMD());
    EXPECT_TRUE(d.IsMatubi());
    EXPECT_EQ(d.DateTime(), 0);  // no such day in the real calendar
    d.AddD(1, false);
    EXPECT_EQ(Show(d), "2015-3-1");
    d.SetSeireki(2015, 1, 31);
    d.AddM(1, false);
    EXPECT_EQ(Show(d), "2015-2-30");
    d.SetSeireki(2015, 3, 1);
    d.AddD(-1, false);
    EXPECT_EQ(Show(d), "2015-2-30");
}

}  // namespace
