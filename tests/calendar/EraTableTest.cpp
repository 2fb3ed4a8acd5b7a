#include <gtest/gtest.h>

#include <cstdlib>

#include "EraFiles.h"
#include "ssDateUty.h"

namespace {

using namespace calendar_test;
using testing_support::ReadBytes;
using testing_support::TempDir;
using testing_support::Utf8;

struct Ymd { int y, m, d; };

TDateTime At(Ymd d) { return EncodeDate(d.y, d.m, d.d); }

// Every era of the process-wide table as "long/short/initial/yyyy-mm-dd", space separated.
String Summary() {
    String s;
    for (int i = 1; i <= GetEraCount(); ++i) {
        if (i > 1) s += L' ';
        s += GetEraLongName(i) + L'/' + GetEraShortName(i) + L'/' + GetEraInitial(i) + L'/' +
             FormatDateTime(L"yyyy-mm-dd", GetEraStartDate(i));
    }
    return s;
}

TEST(EraEnvironment, AnsiCodePageIsJapanese) {
    // The era file and the table's names are in the ANSI code page; the tests write code page 932.
    EXPECT_EQ(GetACP(), 932u);
}

using EraLookups = EraTableTest;

TEST_F(EraLookups, DateToEraAtTheBoundariesOfTheBuiltInEras) {
    struct Case { TDateTime date; bool found; int era, year, month, day; };
    const Case cases[] = {
        {At({1868, 9, 7}), false, 0, 0, 0, 0},
        {At({1868, 9, 7}) - 0.5, false, 0, 0, 0, 0},  // noon, before 1899 the fraction counts forward
        {At({1868, 9, 8}), true, 1, 1, 9, 8},
        {At({1868, 9, 8}) - 0.5, true, 1, 1, 9, 8},
        {At({1912, 7, 29}), true, 1, 45, 7, 29},
        {At({1912, 7, 30}), true, 2, 1, 7, 30},
        {At({1926, 12, 24}), true, 2, 15, 12, 24},
        {At({1926, 12, 25}), true, 3, 1, 12, 25},
        {At({1989, 1, 7}) + 0.99, true, 3, 64, 1, 7},
        {At({1989, 1, 8}), true, 4, 1, 1, 8},
        {At({2019, 5, 1}), true, 4, 31, 5, 1},
        {1e12, false, 0, 0, 0, 0},  // no date at all
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.date);
        int era = -1, year = -1, month = -1, day = -1;
        EXPECT_EQ(DateToEra(c.date, era, year, month, day), c.found);
        EXPECT_EQ(era, c.era);
        EXPECT_EQ(year, c.year);
        EXPECT_EQ(month, c.month);
        EXPECT_EQ(day, c.day);
    }
}

TEST_F(EraLookups, YearToEraGivesAYearInWhichAnEraBeginsToTheNewEra) {
    struct Case { int year, result; const wchar_t* name; };
    const Case cases[] = {
        {1867, 0, L""}, {1868, 1, L"明治"}, {1911, 44, L"明治"}, {1912, 1, L"大正"}, {1926, 1, L"昭和"},
        {1988, 63, L"昭和"}, {1989, 1, L"平成"}, {2019, 31, L"平成"}, {0, 0, L""},
    };
    for (const Case& c : cases) {
        int era = -1, eraYear = -1;
        String name = L"x";
        EXPECT_EQ(YearToEra(c.year, era, eraYear, name), c.result) << c.year;
        EXPECT_EQ(eraYear, c.result) << c.year;
        EXPECT_EQ(name, c.name) << c.year;
        EXPECT_EQ(era == 0, c.result == 0) << c.year;
    }
}

TEST_F(EraLookups, NamesAndStartsAreEmptyOutsideTheTable) {
    EXPECT_EQ(GetEraCount(), 4);
    EXPECT_EQ(Summary(), DefaultSummary);
    for (int index : {0, -1, 5, 11}) {
        EXPECT_EQ(GetEraLongName(index), L"") << index;
        EXPECT_EQ(GetEraShortName(index), L"") << index;
        EXPECT_EQ(GetEraInitial(index), L"") << index;
        EXPECT_EQ(GetEraStartDate(index), 0) << index;
    }
    // A count beyond the table's ten entries reads no further than the table.
    GetEraTable()->SetCount(25);
    EXPECT_EQ(GetEraLongName(25), L"");
    int era, year, month, day;
    EXPECT_TRUE(DateToEra(At({2016, 10, 14}), era, year, month, day));
}

using EraFile = EraTableTest;

TEST_F(EraFile, AFifthEraExtendsTheTable) {
    UseEraFile(Lines(DefaultLines, {ReiwaLine}));
    EXPECT_EQ(GetEraCount(), 5);
    int era, year, month, day;
    ASSERT_TRUE(DateToEra(At({2019, 5, 1}), era, year, month, day));
    EXPECT_EQ(era, 5);
    EXPECT_EQ(year, 1);
    ASSERT_TRUE(DateToEra(At({2019, 4, 30}), era, year, month, day));
    EXPECT_EQ(era, 4);
    EXPECT_EQ(year, 31);
    String name;
    EXPECT_EQ(YearToEra(2019, era, year, name), 1);
    EXPECT_EQ(name, L"令和");
    EXPECT_EQ(GetEraShortName(5), L"令");
    EXPECT_EQ(GetEraInitial(5), L"R");
}

TEST_F(EraFile, ReadingStopsAtCommentsPlaceholdersAndShortLines) {
    for (const EraFileCase& c : EraFileCases()) {
        SCOPED_TRACE(c.what);
        ResetToDefaults();
        UseEraFile(c.lines);
        EXPECT_EQ(Summary(), c.summary);
    }
}

TEST_F(EraFile, InvalidDatesKeepTheEntrysPreviousFirstDay) {
    // Line 2 takes its name but keeps the built-in start, initial and short name.
    UseEraFile({DefaultLines[0], L"2,大正,1912.13.30,X,Y", DefaultLines[2], DefaultLines[3], L"5,令和,2019.02.29,R,令",
                L"6,未来,2030.01.01,F,未"});
    // An entry with no first day to keep (5) is skipped: an era starting at day 0 would take
    // every date after 1899.
    EXPECT_EQ(Summary(), DefaultSummary + String(L" 未来/未/F/2030-01-01"));
    int era, year, month, day;
    ASSERT_TRUE(DateToEra(At({2016, 10, 14}), era, year, month, day));
    EXPECT_EQ(era, 4);

    ResetToDefaults();
    UseEraFile(Lines(DefaultLines, {L"5,令和,20１9.05.01,R,令"}));  // a full-width digit
    EXPECT_EQ(GetEraCount(), 4);
}

TEST_F(EraFile, OnlyTenErasFit) {
    std::vector<String> lines = DefaultLines;
    for (int i = 5; i <= 12; ++i)
        lines.push_back(Format(L"%d,X%s,%d.01.01,%s,元", {(long long)i % 10, String(1, wchar_t(L'A' + i)),
                                                            2000LL + i, String(1, wchar_t(L'A' + i))}));
    UseEraFile(lines);
    EXPECT_EQ(GetEraCount(), 10);
    EXPECT_EQ(FormatDateTime(L"yyyy", GetEraStartDate(10)), L"2010");
    int era, year, month, day;
    ASSERT_TRUE(DateToEra(At({2030, 1, 1}), era, year, month, day));
    EXPECT_EQ(era, 10);
    EXPECT_EQ(year, 21);
}

TEST_F(EraFile, TheShippedFileAddsReiwa) {
    String shipped = testing_support::BinDir() + L"..\\testdata\\calendar\\ctrlDate2.KVR";
    ASSERT_TRUE(FileExists(shipped));
    EXPECT_EQ(ReadBytes(shipped).find("\xef\xbb\xbf"), std::string::npos);  // no UTF-8 mark
    GetEraTable()->LoadFromFile(shipped);
    EXPECT_EQ(Summary(), DefaultSummary + String(L" 令和/令/R/2019-05-01"));
}

TEST_F(EraFile, AFileThatCannotBeReadRaisesInOutError) {
    String file = FDir / L"locked.KVR";
    WriteEraFile(file, DefaultLines);
    HANDLE lock = CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    EXPECT_THROW(GetEraTable()->LoadFromFile(file), EInOutError);
    CloseHandle(lock);
    EXPECT_THROW(GetEraTable()->LoadFromFile(FDir / L"missing.KVR"), EInOutError);
    EXPECT_EQ(Summary(), DefaultSummary);
}

TEST(EraTable, CopyFromTakesCountAndEveryEntry) {
    TssEraTable a, b;
    a.SetCount(0);
    a.LoadDefaults();
    a.ParseEraLine(5, ReiwaLine);
    a.SetCount(5);
    EXPECT_EQ(b.CopyFrom(&a), &b);
    EXPECT_EQ(b.Count(), 5);
    EXPECT_EQ(b.Table()[5].LongName, a.Table()[5].LongName);
    EXPECT_EQ(b.Table()[5].start, EncodeDate(2019, 5, 1));
    EXPECT_EQ(b.CopyFrom(nullptr), nullptr);
    EXPECT_EQ(b.Count(), 5);

    TssEraInfoArray longNames = a.Table();
    longNames[1].LongName = Cp932(L"一二三四五六七八九");  // 18 bytes
    b.SetTable(longNames);
    EXPECT_EQ(b.Table()[1].LongName, Cp932(L"一二三四五六七八"));  // cut at 16, between characters
}

// ---- Where the era file is found: a copy of this program runs in a folder of its own ----

// Run by the test below in a copy of this program: builds the process-wide table the way a
// program does and reports what it holds.
TEST(EraFileLookup, DISABLED_ReportProcessTable) {
    String report;
    try {
        report = IntToStr(GetEraCount()) + L" " + GetEraLongName(GetEraCount());
    } catch (const EInOutError&) {
        report = L"EInOutError";
    }
    testing_support::WriteBytes(_wgetenv(L"SS_TEST_ERA_REPORT"), Utf8(report));
}

TEST(EraFileLookup, BesideTheProgramFirstThenTheDataFolder) {
    struct Case { const char* what; bool beside, inData, besideLocked; const char* report; };
    const Case cases[] = {
        {"no era file", false, false, false, "4 平成"},
        {"beside the program", true, false, false, "5 令和"},
        {"in the data folder", false, true, false, "6 未来"},
        {"both: the program's folder wins", true, true, false, "5 令和"},
        {"unreadable beside the program", true, true, true, "EInOutError"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        // The folder library beside the copy answers dir\Data as the data folder.
        String bin = dir / L"bin", data = dir / L"Data";
        CreateDirectoryW(bin.c_str(), nullptr);
        CreateDirectoryW(data.c_str(), nullptr);
        String exe = bin + L"\\" + ExtractFileName(ModuleFileName());
        ASSERT_TRUE(CopyFileW(ModuleFileName().c_str(), exe.c_str(), FALSE));
        ASSERT_TRUE(CopyFileW((testing_support::BinDir() + L"KVR3FLDR.dll").c_str(), (bin + L"\\KVR3FLDR.dll").c_str(),
                              FALSE));
        if (c.beside) WriteEraFile(bin + L"\\ctrlDate2.KVR", Lines(DefaultLines, {ReiwaLine}));
        if (c.inData)
            WriteEraFile(data + L"\\ctrlDate2.KVR", Lines(DefaultLines, {ReiwaLine, L"6,未来,2030.01.01,F,未"}));
        HANDLE lock = INVALID_HANDLE_VALUE;
        if (c.besideLocked)
            lock = CreateFileW((bin + L"\\ctrlDate2.KVR").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);

        String report = dir / L"report.txt";
        testing_support::ScopedEnv root(L"KVR3FLDR_ROOT", dir.Path());
        testing_support::ScopedEnv reportEnv(L"SS_TEST_ERA_REPORT", report);
        {
            testing_support::ChildProcess child(
                exe, L"--gtest_also_run_disabled_tests --gtest_filter=EraFileLookup.DISABLED_ReportProcessTable", bin);
            EXPECT_EQ(child.WaitExit(60000), 0u);
        }
        if (lock != INVALID_HANDLE_VALUE) CloseHandle(lock);
        EXPECT_EQ(ReadBytes(report), c.report);
    }
}

}  // namespace
