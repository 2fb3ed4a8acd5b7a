#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <set>
#include <sstream>

#include "EraFiles.h"
#include "HolidayFileCases.h"
#include "ssComFolder.h"
#include "ssDate.h"
#include "ssRegistry.h"

namespace {

using namespace calendar_test;
using testing_support::BinDir;
using testing_support::TempDir;
using testing_support::Utf8;

struct Ymd {
    int y, m, d;
    TssDate Date() const { return TssDate(y, m, d); }
};

std::string Show(const Ymd& v) {
    std::ostringstream s;
    s << v.y << '-' << v.m << '-' << v.d;
    return s.str();
}

int ThisYear() {
    int y, m, d;
    DecodeDate(Date(), y, m, d);
    return y;
}

// The folder the fixture offers where the data folder would be.
String TestDataFolder;

// The folder scheme with the test's data folder.
class TTestFolders : public TssCommonFolder {
    SS_CLASS(TTestFolders, TssCommonFolder)
public:
    String GetDataFolder() override { return TestDataFolder; }
};

// Writes a holiday file in code page 932 with a last-write time of its own, a minute after the
// previous file's: rewrites a few milliseconds apart would otherwise share one timestamp tick.
void WriteHolidayFileAt(const String& fileName, const std::vector<String>& lines) {
    static unsigned long long minute = 0;
    WriteEraFile(fileName, lines);
    SYSTEMTIME base{2020, 1, 0, 1, 0, 0, 0, 0};
    FILETIME ft;
    SystemTimeToFileTime(&base, &ft);
    unsigned long long t = ((unsigned long long)ft.dwHighDateTime << 32 | ft.dwLowDateTime) + ++minute * 600000000ULL;
    ft = {DWORD(t), DWORD(t >> 32)};
    HANDLE h = CreateFileW(fileName.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    SetFileTime(h, nullptr, nullptr, &ft);
    CloseHandle(h);
}

// Each test starts with no registry value, an empty data folder and no process-wide table.
class HolidayTest : public ::testing::Test {
protected:
    void SetUp() override {
        TssRegistry reg(KEY_READ);
        FHadKvrKey = reg.KeyExists(L"\\Software\\KVR");
        ClearRegistryValue();
        TestDataFolder = FDir.Path();
        TssCommonFolder::SetObject(std::make_unique<TTestFolders>());
        FreeHoliday();
    }
    void TearDown() override {
        TssCommonFolder::SetObject(nullptr);
        SetHolidayCacheEnabled(true);
        FreeHoliday();
        ClearRegistryValue();
        if (!FHadKvrKey) TssRegistry().DeleteKey(L"\\Software\\KVR");
    }

    static void SetRegistryValue(const String& value) {
        TssRegistry reg;
        ASSERT_TRUE(reg.OpenKey(HolidayRegistryKey, true));
        reg.WriteString(HolidayRegistryValue, value);
    }
    static void ClearRegistryValue() {
        TssRegistry reg;
        if (reg.OpenKey(HolidayRegistryKey, false)) RegDeleteValueW(reg.CurrentKey(), HolidayRegistryValue);
    }

    // Writes a holiday file in code page 932 and lets the next query load it afresh.
    void WriteHolidayFile(const std::vector<String>& lines, const String& name = L"Holiday.ini") {
        WriteHolidayFileAt(FDir / name, lines);
        FreeHoliday();
    }
    static String ShippedFolder() { return BinDir() + L"..\\testdata\\calendar"; }
    void UseShippedFile() {
        TestDataFolder = ShippedFolder();
        FreeHoliday();
    }
    // The shipped file with its law section renamed, as a reader that knows no such section sees it.
    void UseShippedFileWithoutLaw() {
        std::string bytes = testing_support::ReadBytes(ShippedFolder() + L"\\Holiday.ini");
        const std::size_t at = bytes.find("\n[HOLIDAYLAW]");  // not the comment that names it
        ASSERT_NE(at, std::string::npos);
        bytes.replace(at, 13, "\n[UNREAD]");
        testing_support::WriteBytes(FDir / L"Holiday.ini", bytes);
        FreeHoliday();
    }

    TempDir FDir;

private:
    bool FHadKvrKey = false;
};

struct HolidayCase {
    Ymd v;
    bool holiday;
    const wchar_t* name;
};

void ExpectHolidays(const std::vector<HolidayCase>& cases) {
    for (const HolidayCase& c : cases) {
        SCOPED_TRACE(Show(c.v));
        TssDate d = c.v.Date();
        EXPECT_EQ(d.IsHoliday(), c.holiday);
        EXPECT_EQ(Utf8(d.HolidayName()), Utf8(c.name));
    }
}

TEST_F(HolidayTest, EquinoxDaysByFormula) {
    // The quarter-years are divided exactly and truncated toward zero, also before 1980.
    struct Case { int year, spring, autumn; };
    const Case cases[] = {
        {2015, 21, 23}, {2016, 20, 22}, {2012, 20, 22}, {2019, 21, 23},
        {1960, 20, 23}, {1949, 20, 22}, {2100, 19, 22},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.year);
        for (auto [month, day] : {std::pair{3, c.spring}, std::pair{9, c.autumn}}) {
            // Fixed holidays only: no Sunday or substitute gets in the way.
            EXPECT_TRUE(TssDate(c.year, month, day).IsHolidayEx(false, true, false)) << month;
            EXPECT_FALSE(TssDate(c.year, month, day - 1).IsHolidayEx(false, true, false)) << month;
            EXPECT_FALSE(TssDate(c.year, month, day + 1).IsHolidayEx(false, true, false)) << month;
        }
        TssDate builder;
        std::unique_ptr<TssHolidayList> list = builder.BuildYearHolidays(c.year);
        int syunbun = 0;
        for (const TssHolidayRec* r : *list)
            if (r->HolidayKind == TssHolidayKind::hkSyunbun) {
                EXPECT_EQ(r->MMDD, r->MM == 3 ? 300 + c.spring : 900 + c.autumn);
                EXPECT_EQ(r->StartYear, c.year);
                ++syunbun;
            }
        EXPECT_EQ(syunbun, 2);
    }
}

TEST_F(HolidayTest, BuiltInTableSundaysAndSubstitutes) {
    ExpectHolidays({
        {{2016, 7, 18}, false, L""},        // no weekday rules without a file
        {{2016, 7, 20}, true, L""},         // names come only from the file
        {{1989, 7, 20}, false, L""},        // before the rule's years
        {{2013, 5, 6}, true, L"振替休日"},  // 5 May 2013 was a Sunday
        {{2015, 5, 6}, false, L""},         // 3 May a Sunday: only the next day, itself a holiday
        {{2013, 5, 7}, false, L""},
        {{2016, 3, 21}, true, L"振替休日"}, // the vernal equinox fell on Sunday 20 March
        {{2017, 1, 2}, true, L"振替休日"},
        {{2016, 5, 8}, true, L""},          // a plain Sunday
        {{2016, 5, 9}, false, L""},
        {{2016, 2, 30}, false, L""},
    });
    struct Flags { Ymd v; bool sunday, fixed, substitute, expected; };
    const Flags flags[] = {
        {{2013, 5, 6}, true, true, false, false},
        {{2016, 5, 8}, false, true, true, false},
        {{2016, 5, 3}, false, false, false, false},
        {{2016, 5, 3}, false, true, false, true},
        {{2013, 5, 6}, false, false, true, true},
    };
    for (const Flags& f : flags) {
        SCOPED_TRACE(Show(f.v));
        EXPECT_EQ(f.v.Date().IsHolidayEx(f.sunday, f.fixed, f.substitute), f.expected);
    }
}

TEST(NthWeekdayTest, ResultsAndEmptyValues) {
    struct Case { int year, month, n, weekday; Ymd expected; };
    const Case cases[] = {
        {2016, 7, 3, 2, {2016, 7, 18}},
        {2016, 2, 5, 2, {2016, 2, 29}},  // a leap day is still in the month
        {2016, 5, 1, 1, {2016, 5, 1}},   // the first day itself
        {2015, 2, 5, 2, {0, 0, 0}},      // past the month's end
        {2016, 7, 0, 2, {0, 0, 0}},
        {2016, 7, 6, 2, {0, 0, 0}},
        {2016, 7, 1, 0, {0, 0, 0}},
        {2016, 7, 1, 8, {0, 0, 0}},
        {2016, 13, 1, 2, {0, 0, 0}},
    };
    for (const Case& c : cases) {
        std::unique_ptr<TssDate> d = NthWeekday(c.year, c.month, c.n, c.weekday);
        EXPECT_EQ(Show({d->YYYY(), d->MM(), d->DD()}), Show(c.expected)) << c.year << "/" << c.month << " " << c.n << "*" << c.weekday;
    }
}

TEST_F(HolidayTest, FileRulesAmendTheBuiltInTable) {
    WriteHolidayFile(RuleFileLines);
    ExpectHolidays({
        {{2016, 7, 18}, true, L""},
        {{2016, 7, 20}, false, L""},
        {{2002, 7, 20}, true, L""},
        {{1995, 7, 20}, false, L""},
        {{2016, 8, 11}, true, L""},
        {{2015, 8, 11}, false, L""},
        {{2016, 12, 24}, false, L""},  // a key beginning with "!" is ignored
        {{2000, 3, 21}, true, L""},    // fixed for that year only
        {{2000, 3, 20}, false, L""},
        {{2001, 3, 20}, true, L""},
        {{2001, 9, 24}, true, L""},
        {{2002, 9, 24}, false, L""},   // the later entry wins
        {{2002, 9, 25}, true, L""},
    });
    // 13 built-in entries and 5 additions; the deletion appends nothing.
    EXPECT_EQ(GetHoliday()->Count(), 18);
    const TssHolidayList& items = GetHolidayItems();
    EXPECT_TRUE(std::is_sorted(items.begin(), items.end(), [](auto a, auto b) { return a->MMDD < b->MMDD; }));
    EXPECT_EQ(items.front()->MMDD, SyunbunMarkerMMDD);
}

TEST_F(HolidayTest, AdditionsBeyondTheTableAreIgnored) {
    std::vector<String> lines = {L"[HOLIDAYADD]"};
    for (int day = 1; day <= 40; ++day) lines.push_back(Format(L"k%d=6/%d:2000-2999", {(long long)day, (long long)(day % 30 + 1)}));
    lines.push_back(L"[WEEKHOLIDAYADD]");
    lines.push_back(L"w=7,3*2:2003-9999");
    WriteHolidayFile(lines);
    EXPECT_EQ(GetHoliday()->Count(), TssHoliday::TableSize);
    EXPECT_TRUE(TssDate(2016, 6, 30).IsHoliday());   // the 29th addition
    EXPECT_FALSE(TssDate(2016, 7, 18).IsHoliday());  // no room left for the weekday rule
}

TEST_F(HolidayTest, NamesFromBothSections) {
    WriteHolidayFile(NameFileLines);
    ExpectHolidays({
        {{2016, 1, 1}, true, L"元日"},
        {{2015, 3, 21}, true, L"春分の日"},
        {{1960, 3, 20}, true, L"春分の日"},
        {{2016, 9, 22}, true, L"秋分の日"},
        {{2016, 7, 18}, true, L"海の日"},
        {{2006, 4, 29}, true, L"みどりの日"},
        {{2007, 4, 29}, true, L"昭和の日"},
        {{1988, 4, 29}, true, L"天皇誕生日"},
        {{2015, 5, 3}, true, L"憲法"},          // a Sunday holiday keeps its name
        {{2016, 5, 3}, true, L"憲法記念日"},    // HOLIDAYNAMEEX comes last and wins
        {{2016, 5, 5}, true, L""},
        {{2013, 5, 6}, true, L"振替休日"},
        {{2016, 5, 9}, false, L""},
    });
}

TEST_F(HolidayTest, YearlessValues) {
    WriteHolidayFile({L"[HOLIDAYNAME]", L"5/3=憲法記念日"});
    // The first Sunday of June this year: no holiday falls in June.
    int year = ThisYear(), sunday = 1;
    while (TssDate(year, 6, sunday).YoubiIndex() != 1) ++sunday;
    ExpectHolidays({
        {{0, 5, 3}, true, L"憲法記念日"},
        {{0, 1, 1}, true, L""},
        {{0, 6, sunday}, false, L""},  // a value without a year is never a Sunday
        {{year, 6, sunday}, true, L""},
        {{0, 2, 30}, false, L""},
        {{0, 0, 3}, false, L""},
        {{0, 5, 0}, false, L""},
    });
}

TEST_F(HolidayTest, FileFoundThroughTheRegistryValue) {
    CreateDirectoryW((FDir / L"祝日").c_str(), nullptr);
    WriteHolidayFileAt(FDir / L"祝日\\Holiday.ini", {L"[HOLIDAYNAME]", L"1/1=フォルダ指定"});
    WriteHolidayFileAt(FDir / L"別名.ini", {L"[HOLIDAYNAME]", L"1/1=ファイル指定"});
    WriteHolidayFileAt(FDir / L"Holiday.ini", {L"[HOLIDAYNAME]", L"1/1=データフォルダ"});
    struct Case { String value, file; const wchar_t* name; };
    const Case cases[] = {
        {FDir / L"祝日\\", FDir / L"祝日\\Holiday.ini", L"フォルダ指定"},
        {FDir / L"別名.ini", FDir / L"別名.ini", L"ファイル指定"},
        {L"", FDir / L"Holiday.ini", L"データフォルダ"},
        {FDir / L"ない.ini", FDir / L"ない.ini", L""},  // named but missing: nothing from the file
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Utf8(c.value));
        if (c.value.empty()) ClearRegistryValue();
        else SetRegistryValue(c.value);
        EXPECT_EQ(Utf8(HolidayFileName()), Utf8(c.file));
        EXPECT_EQ(Utf8(TssDate(2016, 1, 1).HolidayName()), Utf8(c.name));
    }
}

TEST_F(HolidayTest, MalformedRuleRaisesAndTheNextQueryTriesAgain) {
    for (const MalformedRule& c : MalformedRules) {
        SCOPED_TRACE(Utf8(c.line));
        WriteHolidayFile({String(L"[") + c.section + L"]", c.line});
        EXPECT_THROW(TssDate(2016, 8, 11).IsHoliday(), EConvertError);
        EXPECT_THROW(TssDate(2016, 8, 11).IsHoliday(), EConvertError);  // nothing half-loaded stays
        // Repaired in place: the next query reads it without being told.
        WriteHolidayFileAt(FDir / L"Holiday.ini", {L"[HOLIDAYADD]", L"k=8/11:2016-2999"});
        EXPECT_TRUE(TssDate(2016, 8, 11).IsHoliday());
    }
}

TEST_F(HolidayTest, MalformedNameLineRaisesFromTheNameQuery) {
    WriteHolidayFile({L"[HOLIDAYNAMEEX]", L"1/x=元日"});
    EXPECT_TRUE(TssDate(2016, 1, 1).IsHoliday());
    EXPECT_THROW(TssDate(2016, 1, 1).HolidayName(), EConvertError);
    WriteHolidayFileAt(FDir / L"Holiday.ini", {L"[HOLIDAYNAMEEX]", L"1/1:2016-=元日"});
    EXPECT_THROW(TssDate(2016, 1, 1).HolidayName(), EConvertError);
}

TEST_F(HolidayTest, CachedNamesFollowEditsOfTheFile) {
    const String file = FDir / L"Holiday.ini";
    WriteHolidayFile({L"[HOLIDAYNAME]", L"1/1=元日"});
    EXPECT_EQ(Utf8(TssDate(2016, 1, 1).HolidayName()), Utf8(L"元日"));
    // Nothing changed: the names are not read again.
    EXPECT_EQ(CachedHolidayNames().get(), CachedHolidayNames().get());
    struct Edit {
        const char* what;
        std::function<void()> apply;
        const wchar_t* name;
    };
    const Edit edits[] = {
        {"rewritten, same size", [&] { WriteHolidayFileAt(file, {L"[HOLIDAYNAME]", L"1/1=ついたち"}); }, L"ついたち"},
        {"replaced by a renamed file", [&] {
             WriteHolidayFileAt(FDir / L"new.tmp", {L"[HOLIDAYNAME]", L"1/1=がんじつ"});
             ASSERT_TRUE(MoveFileExW((FDir / L"new.tmp").c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING));
         }, L"がんじつ"},
        {"deleted", [&] { ASSERT_TRUE(DeleteFileW(file.c_str())); }, L""},
        {"made again", [&] { WriteHolidayFileAt(file, {L"[HOLIDAYNAME]", L"1/1=正月"}); }, L"正月"},
    };
    for (const Edit& e : edits) {
        SCOPED_TRACE(e.what);
        // Windows reports a folder change within the call that makes it; Wine only once its
        // server has read the change from the host, a moment after the call returned. So the
        // test waits for a notice of its own before the query that must see the change.
        HANDLE seen = FindFirstChangeNotificationW(FDir.Path().c_str(), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE);
        ASSERT_NE(seen, INVALID_HANDLE_VALUE);
        e.apply();
        EXPECT_EQ(WaitForSingleObject(seen, 10000), WAIT_OBJECT_0);
        FindCloseChangeNotification(seen);
        EXPECT_EQ(Utf8(TssDate(2016, 1, 1).HolidayName()), Utf8(e.name));
    }
}

TEST_F(HolidayTest, CachedNamesFollowTheRegistryKeyBeingMadeAndDeleted) {
    WriteHolidayFileAt(FDir / L"Holiday.ini", {L"[HOLIDAYNAME]", L"1/1=データフォルダ"});
    WriteHolidayFileAt(FDir / L"別名.ini", {L"[HOLIDAYNAME]", L"1/1=ファイル指定"});
    TssRegistry().DeleteKey(HolidayRegistryKey);
    EXPECT_EQ(Utf8(TssDate(2016, 1, 1).HolidayName()), Utf8(L"データフォルダ"));
    SetRegistryValue(FDir / L"別名.ini");  // makes the key
    EXPECT_EQ(Utf8(TssDate(2016, 1, 1).HolidayName()), Utf8(L"ファイル指定"));
    ASSERT_TRUE(TssRegistry().DeleteKey(HolidayRegistryKey));
    EXPECT_EQ(Utf8(TssDate(2016, 1, 1).HolidayName()), Utf8(L"データフォルダ"));
}

// A company calendar: its own holiday on top of the public ones.
class TFoundingDayDate : public TssDate {
    SS_CLASS(TFoundingDayDate, TssDate)
public:
    using TssDate::TssDate;
    std::unique_ptr<TssHolidayList> BuildYearHolidays(int Year) override {
        std::unique_ptr<TssHolidayList> list = TssDate::BuildYearHolidays(Year);
        list->push_back(&FFoundingDay);
        std::stable_sort(list->begin(), list->end(), [](auto a, auto b) { return a->MMDD < b->MMDD; });
        return list;
    }

private:
    TssHolidayRec FFoundingDay{1900, 9999, 6, 1, 601};
};

TEST_F(HolidayTest, DerivedYearListsAnswerTheDerivedDatesQueries) {
    WriteHolidayFile({L"[HOLIDAYNAME]", L"6/1=創立記念日"});
    for (bool cache : {true, false}) {
        SCOPED_TRACE(cache);
        SetHolidayCacheEnabled(cache);
        // The plain date first, so a cached table of the year is there when the derived one asks.
        EXPECT_FALSE(TssDate(2016, 6, 1).IsHoliday());
        EXPECT_TRUE(TFoundingDayDate(2016, 6, 1).IsHoliday());
        EXPECT_EQ(Utf8(TFoundingDayDate(2016, 6, 1).HolidayName()), Utf8(L"創立記念日"));
        EXPECT_EQ(Utf8(TFoundingDayDate(2014, 6, 2).HolidayName()), Utf8(L"振替休日"));  // 1 June 2014 a Sunday
        EXPECT_FALSE(TssDate(2014, 6, 2).IsHoliday());
        EXPECT_TRUE(TFoundingDayDate(2016, 5, 3).IsHoliday());  // the public holidays stay
    }
}

TEST_F(HolidayTest, NumbersWhoseKeyWouldOverflowMatchNoDate) {
    WriteHolidayFile(OverflowFileLines);
    ExpectHolidays({
        {{2016, 6, 1}, false, L""},
        {{2016, 7, 7}, true, L"七夕"},
        {{2015, 3, 21}, false, L""},  // the file fixes the equinox of 2015 to a day that does not exist
        {{2017, 3, 20}, true, L""},
    });
}

TEST_F(HolidayTest, ShippedFileModelsTheRealHolidays) {
    UseShippedFile();
    EXPECT_EQ(GetHoliday()->Count(), TssHoliday::TableSize);  // every addition fits
    ExpectHolidays({
        {{1948, 1, 1}, false, L""},  // the holiday law came into force in July 1948
        {{1948, 11, 3}, true, L"文化の日"},
        {{1948, 9, 23}, true, L"秋分の日"},
        {{1949, 1, 15}, true, L"成人の日"},
        {{1954, 3, 21}, true, L"春分の日"},  // fixed: the formula says 20 before 1980
        {{1954, 3, 20}, false, L""},
        {{1960, 3, 20}, true, L"春分の日"},
        {{1977, 9, 23}, true, L"秋分の日"},
        {{1979, 9, 24}, true, L"秋分の日"},
        {{1959, 4, 10}, true, L"皇太子明仁親王の結婚の儀"},
        {{1966, 2, 11}, false, L""},
        {{1967, 2, 11}, true, L"建国記念の日"},
        {{1988, 4, 29}, true, L"天皇誕生日"},
        {{1988, 5, 4}, true, L"国民の休日"},
        {{1989, 2, 24}, true, L"昭和天皇の大喪の礼"},
        {{1990, 11, 12}, true, L"即位礼正殿の儀"},
        {{1993, 6, 9}, true, L"皇太子徳仁親王の結婚の儀"},
        {{1995, 7, 20}, false, L""},
        {{1996, 7, 20}, true, L"海の日"},
        {{1999, 10, 10}, true, L"体育の日"},  // a Sunday keeps its holiday's name
        {{1999, 10, 11}, true, L"振替休日"},
        {{2000, 1, 10}, true, L"成人の日"},
        {{2000, 1, 15}, false, L""},
        {{2003, 7, 21}, true, L"海の日"},
        {{2003, 9, 15}, true, L"敬老の日"},
        {{2007, 4, 29}, true, L"昭和の日"},
        {{2007, 5, 4}, true, L"みどりの日"},
        {{2009, 9, 22}, true, L"国民の休日"},
        {{2015, 5, 6}, true, L"振替休日"},
        {{2016, 8, 11}, true, L"山の日"},
        {{2018, 12, 24}, true, L"振替休日"},
        {{2019, 4, 30}, true, L"国民の休日"},
        {{2019, 5, 1}, true, L"天皇の即位の日"},
        {{2019, 5, 2}, true, L"国民の休日"},
        {{2019, 10, 22}, true, L"即位礼正殿の儀"},
        {{2019, 12, 23}, false, L""},
        {{2020, 2, 24}, true, L"振替休日"},
        {{2020, 7, 20}, false, L""},
        {{2020, 7, 23}, true, L"海の日"},
        {{2020, 7, 24}, true, L"スポーツの日"},
        {{2020, 8, 10}, true, L"山の日"},
        {{2020, 8, 11}, false, L""},
        {{2020, 10, 12}, false, L""},
        {{2021, 7, 22}, true, L"海の日"},
        {{2021, 7, 23}, true, L"スポーツの日"},
        {{2021, 8, 9}, true, L"振替休日"},
        {{2022, 7, 18}, true, L"海の日"},
        {{2022, 10, 10}, true, L"スポーツの日"},
        {{2023, 2, 23}, true, L"天皇誕生日"},
        {{2026, 9, 22}, true, L"国民の休日"},
        {{2030, 3, 20}, true, L"春分の日"},
    });
}

// The days the law's rules decide and their neighbours, in the shipped file with its law
// section and without it (as before the section was there).
TEST_F(HolidayTest, ShippedFileWithAndWithoutTheLawsRules) {
    struct Case {
        Ymd v;
        bool offHoliday, offFixed;  // IsHoliday, IsHolidayEx(false, true, false) without the section
        bool onHoliday, onFixed;    // the same with it
        const wchar_t* onName;
    };
    const Case cases[] = {
        {{1970, 5, 4}, true, false, false, false, L""},  // substitutes before 12 April 1973
        {{1971, 3, 22}, true, false, false, false, L""},
        {{1971, 10, 11}, true, false, false, false, L""},
        {{1973, 2, 12}, true, false, false, false, L""},
        {{1973, 4, 30}, true, false, true, false, L"振替休日"},
        {{1955, 9, 23}, true, true, false, false, L""},  // the autumnal equinox on the 24th
        {{1955, 9, 24}, false, false, true, true, L"秋分の日"},
        {{1971, 9, 23}, true, true, false, false, L""},
        {{1971, 9, 24}, false, false, true, true, L"秋分の日"},
        {{1975, 9, 24}, false, false, true, true, L"秋分の日"},
        {{1978, 9, 23}, true, true, true, true, L"秋分の日"},
        {{1988, 5, 4}, true, true, true, true, L"国民の休日"},
        {{2008, 5, 6}, true, true, true, false, L"振替休日"},  // listed, now the rule's substitute
        {{2031, 5, 6}, false, false, true, false, L"振替休日"},  // 4 May a Sunday
        {{2031, 5, 7}, false, false, false, false, L""},
        {{2036, 5, 6}, false, false, true, false, L"振替休日"},
        {{2048, 5, 6}, false, false, true, false, L"振替休日"},
        {{2019, 4, 30}, true, true, true, true, L"国民の休日"},
        {{2019, 5, 1}, true, true, true, true, L"天皇の即位の日"},
        {{2019, 5, 6}, true, true, true, false, L"振替休日"},
        {{2009, 9, 22}, true, true, true, true, L"国民の休日"},
        {{2032, 9, 20}, true, true, true, true, L"敬老の日"},
        {{2032, 9, 21}, false, false, true, true, L"国民の休日"},
        {{2032, 9, 22}, true, true, true, true, L"秋分の日"},
        {{2032, 9, 23}, false, false, false, false, L""},
        {{2037, 9, 22}, false, false, true, true, L"国民の休日"},
        {{2043, 9, 22}, false, false, true, true, L"国民の休日"},
        {{2049, 9, 21}, false, false, true, true, L"国民の休日"},
    };
    UseShippedFileWithoutLaw();
    for (const Case& c : cases) {
        SCOPED_TRACE(Show(c.v));
        EXPECT_EQ(c.v.Date().IsHoliday(), c.offHoliday);
        EXPECT_EQ(c.v.Date().IsHolidayEx(false, true, false), c.offFixed);
    }
    UseShippedFile();
    for (const Case& c : cases) {
        SCOPED_TRACE(Show(c.v));
        EXPECT_EQ(c.v.Date().IsHoliday(), c.onHoliday);
        EXPECT_EQ(c.v.Date().IsHolidayEx(false, true, false), c.onFixed);
        EXPECT_EQ(c.v.Date().IsHolidayEx(false, false, true), c.onHoliday);
        EXPECT_EQ(Utf8(c.v.Date().HolidayName()), Utf8(c.onName));
    }
}

// Every day of 1955-2050 against the list written from the law's history: a day off is a
// listed day or a Sunday, and a listed day has a name. IsHoliday counts every Sunday, so a
// Sunday is not compared: the file's 4 May is a holiday on the Sundays of 1997 and 2003, when
// the law of the time made none.
TEST_F(HolidayTest, ShippedFileGivesTheListedHolidays) {
    std::set<std::string> listed;
    std::istringstream list(testing_support::ReadBytes(ShippedFolder() + L"\\PublicHolidays1955-2050.txt"));
    for (std::string line; std::getline(list, line);)
        if (!line.empty() && line[0] != '#') listed.insert(line.substr(0, 10));
    ASSERT_GT(listed.size(), 1400u);
    UseShippedFile();
    std::vector<std::string> differ;
    for (TDateTime day = EncodeDate(1955, 1, 1); day <= EncodeDate(2050, 12, 31); day += 1) {
        TssDate d;
        d.SetDateTime(day);
        const std::string text = Utf8(FormatDateTime(L"yyyy-mm-dd", day));
        const bool isListed = listed.count(text) > 0;
        if (d.IsHoliday() != (isListed || d.YoubiIndex() == 1))
            differ.push_back(text + (isListed ? " missing" : " not a holiday"));
        else if (isListed && d.HolidayName().empty())
            differ.push_back(text + " without a name");
    }
    for (const std::string& line : differ) std::printf("differs: %s\n", line.c_str());
    std::printf("%u days of 1955-2050 differ from the list\n", unsigned(differ.size()));
    EXPECT_TRUE(differ.empty());
}

TEST_F(HolidayTest, CacheChangesNoAnswer) {
    UseShippedFile();
    auto answers = [] {
        std::string all;
        for (TDateTime day = EncodeDate(1946, 1, 1); day <= EncodeDate(2032, 12, 31); day += 1) {
            TssDate d;
            d.SetDateTime(day);
            all += d.IsHolidayEx(false, true, false) ? "f" : "";
            all += d.IsHolidayEx(false, false, true) ? "s" : "";
            all += d.IsHoliday() ? Utf8(d.HolidayName() + L"|") : ".";
        }
        return all;
    };
    std::string cached = answers();
    SetHolidayCacheEnabled(false);
    EXPECT_EQ(answers(), cached);
}

}  // namespace
