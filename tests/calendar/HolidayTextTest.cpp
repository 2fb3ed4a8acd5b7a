// The holiday file's rules, names and sections, read from its text.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>

#include "HolidayFileCases.h"

namespace {

using namespace calendar_test;

String Text(const std::vector<String>& lines) {
    String text;
    for (const String& line : lines) text += line + L"\r\n";
    return text;
}

TEST(HolidayText, ReadsAsTheFileIsRead) {
    for (const HolidayFileCase& c : HolidayFileCases()) {
        THolidaySectionReader sections = HolidayTextReader(Text(c.lines));
        EXPECT_EQ(RuleSummary(sections), c.rules) << c.what;
        EXPECT_EQ(NameSummary(sections), c.names) << c.what;
    }
}

TEST(HolidayText, SplitsSectionsAsTheProfileReader) {
    for (const IniCase& c : IniCases()) EXPECT_EQ(HolidayTextReader(c.text)(c.section), c.lines) << c.what;
}

// The year list of a table as a plain date builds it, without weekday rules: the fixed-date
// entries and the two equinox days.
struct YearList {
    YearList(const TssHoliday& table, int year) : Equinox{table.EquinoxHoliday(year, 3), table.EquinoxHoliday(year, 9)} {
        for (const TssHolidayRec* r : table.items())
            if (r->DD != 0 && r->MMDD != SyunbunMarkerMMDD) List.push_back(r);
        List.push_back(&Equinox[0]);
        List.push_back(&Equinox[1]);
        std::stable_sort(List.begin(), List.end(), [](auto a, auto b) { return a->MMDD < b->MMDD; });
    }
    std::array<TssHolidayRec, 2> Equinox;
    TssHolidayList List;
};

// "fixed MMDD", "substitute MMDD" (of the Sunday holiday), "between" or "none".
std::string Show(const TssHolidayHit& hit) {
    if (hit.Between) return "between";
    if (!hit.Rec) return "none";
    return (hit.Substitute ? "substitute " : "fixed ") + std::to_string(hit.Rec->MMDD);
}

// Days the law's rules decide, with added entries that are and are not what the rules give.
TEST(HolidayText, LawRulesFromTheYearsHolidays) {
    const TssHoliday table(HolidayTextReader(Text({
        L"[HOLIDAYADD]", L"a=4/30:2019-2019", L"b=5/1:2019-2019", L"c=5/2:2019-2019", L"d=5/6:2019-2019",
        L"e=9/20:2032-2032", L"f=12/31:2023-2023",
        L"[HOLIDAYLAW]", L"FURIKAE=1973/4/12", L"FURIKAENEXT=2007", L"KOKUMIN=1988", L"SYUNBUNCALC=1",
    })));
    struct Case { int y, m, d; const char* expected; };
    const Case cases[] = {
        {1973, 2, 12, "none"},            // 11 February a Sunday before the substitute's first day
        {1973, 4, 30, "substitute 429"},
        {1987, 5, 4, "substitute 503"},   // the day after, before moving past holidays
        {1998, 5, 4, "fixed 504"},
        {1998, 5, 6, "none"},             // 3 May a Sunday, 4 and 5 May holidays: no move yet
        {2009, 5, 6, "substitute 503"},   // moved past 4 and 5 May
        {2009, 5, 7, "none"},
        {1971, 9, 24, "fixed 924"},       // the astronomical equinox
        {1971, 9, 23, "none"},
        {2019, 4, 30, "between"},         // added, and what the rule gives between 29 April and 1 May
        {2019, 5, 1, "fixed 501"},        // added, between two added days that give way: stays
        {2019, 5, 2, "between"},
        {2019, 5, 6, "substitute 505"},   // added, and the substitute of 5 May
        {2032, 9, 20, "fixed 920"},
        {2032, 9, 21, "between"},         // between an added day and the equinox
        {2032, 9, 19, "none"},            // a Sunday before a holiday
        {2023, 1, 2, "substitute 101"},   // the first day of the year a Sunday
        {2023, 12, 31, "fixed 1231"},     // the last, a Sunday: no substitute in the next year
        {2024, 1, 1, "fixed 101"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.y) + "-" + std::to_string(c.m) + "-" + std::to_string(c.d));
        YearList year(table, c.y);
        EXPECT_EQ(Show(table.YearHits(year.List, c.y)[std::size_t(c.m * 32 + c.d)]), c.expected);
        EXPECT_EQ(Show(table.FindHoliday(year.List, c.y, c.m, c.d)), c.expected);
    }
}

TEST(HolidayText, EquinoxFormulas) {
    struct Case { int year, month, plain, astronomical; };
    const Case cases[] = {
        {1955, 9, 23, 24}, {1971, 9, 23, 24}, {1978, 9, 22, 23}, {1979, 9, 23, 24}, {1960, 3, 20, 20}, {1961, 3, 20, 21},
        {1900, 3, 21, 21}, {1980, 3, 20, 20}, {2099, 9, 23, 23}, {2100, 3, 19, 20}, {2100, 9, 22, 23}, {2150, 3, 20, 21},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.year) + "/" + std::to_string(c.month));
        EXPECT_EQ(EquinoxDay(c.year, c.month), c.plain);
        int day = 0;
        EXPECT_TRUE(AstronomicalEquinoxDay(c.year, c.month, day));
        EXPECT_EQ(day, c.astronomical);
    }
    int day = 0;
    EXPECT_FALSE(AstronomicalEquinoxDay(1899, 3, day));
    EXPECT_FALSE(AstronomicalEquinoxDay(2151, 9, day));
}

// The native build reads the file as its text; a missing file has no sections.
TEST(HolidayText, FileIsReadAsItsText) {
    const std::string name = testing::TempDir() + "holiday-text-test.ini";
    {
        std::ofstream file(name, std::ios::binary);
        file << StringToAnsi(Text(RuleFileLines));
    }
    const String fileName = AnsiToString(name);
    EXPECT_EQ(RuleSummary(HolidayFileReader(fileName)), RuleSummary(HolidayTextReader(Text(RuleFileLines))));
    std::remove(name.c_str());
    EXPECT_EQ(RuleSummary(HolidayFileReader(fileName)), DefaultRules);
}

}  // namespace
