// The holiday file's rules and names as data: the rule table and the name list built from the
// file's sections, whoever reads them, and the answers of a year built from the table's rules. Finding the file (the registry value that names it) and
// the caches are ssHoliday's; here the sections come from a reader: the file's (HolidayFileReader)
// or its text's (HolidayTextReader).
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "System.h"

// hkKokumin: a day that is a holiday because it lies between two holidays (named by "KOKUMIN").
enum class TssHolidayKind : std::uint8_t { hkNormal, hkWeekHoliday, hkSyunbun, hkKokumin };

// One rule of the table or one computed holiday of a year.
struct TssHolidayRec {
    std::int32_t StartYear = 0;  // inclusive range of years it applies in
    std::int32_t EndYear = 0;
    std::int32_t MM = 0;
    std::int32_t DD = 0;          // 0 for a weekday rule
    std::int32_t MMDD = 0;        // MM * 100 + DD; 0 for a weekday rule, -39 for a fixed equinox day
    std::int32_t WeekIndex = 0;   // n of the n-th weekday, 1..5
    std::int32_t YoubiIndex = 0;  // 1 = Sunday .. 7 = Saturday
    TssHolidayKind HolidayKind = TssHolidayKind::hkNormal;
};

// Records are handed out read-only: the year lists of every date share them.
using TssHolidayList = std::vector<const TssHolidayRec*>;

// MMDD of an equinox day fixed by the file: sorts before every real key and matches no date.
constexpr std::int32_t SyunbunMarkerMMDD = -39;

// MM * 100 + DD, the match key; a key beyond 32 bits saturates, so such a value matches no date.
std::int32_t HolidayKey(std::int64_t MM, std::int64_t DD);

// The usable lines of one section of the holiday file, in file order, trimmed; empty lines,
// comments (";") and lines whose key begins with "!" are left out. None when the file or the
// section is missing.
using THolidaySectionReader = std::function<std::vector<String>(const String& Section)>;

// The lines of Section in the text of an initialisation file, as the platform's profile reader
// answers them: CR and LF each end a line; blanks (space, tab, VT, FF, CR, Ctrl-Z) around a line,
// before the first "=" and after it are dropped, and so are empty lines and ";" comments; a line
// "[name]" (up to its last "]") starts a section, whose name is trimmed and compared without
// regard to ASCII case; only the first section of a name counts, and lines before the first
// section belong to the unnamed one. Duplicate keys all stay. A NUL ends a key, value or name.
std::vector<String> IniSectionLines(const String& Text, const String& Section);
// Lines as the profile reader answers them, reduced to the usable ones (see THolidaySectionReader).
std::vector<String> HolidaySectionLines(const std::vector<String>& Lines);
// The sections of the holiday file's text, as the file would be read.
THolidaySectionReader HolidayTextReader(const String& Text);
// The sections of the holiday file FileName: under Windows through the platform's profile reader
// (ssHoliday.cpp), in the native build as its code page 932 text (ssHolidayRulesNative.cpp).
THolidaySectionReader HolidayFileReader(const String& FileName);

// The day of Month's equinox (3 or 9) in Year by the plain formula of the rule table, used in
// every year: Trunc(0.242194 (Year - 1980) + C) - Trunc((Year - 1980) / 4), C 20.8431 in March
// and 23.2488 in September, the division exact.
int EquinoxDay(int Year, int Month);
// The day by the astronomical approximation, false outside the years it covers:
//   1900-1979  Trunc(C + 0.242194 (Year - 1980)) - Trunc((Year - 1983) / 4), C 20.8357 / 23.2588
//   1980-2099  the plain formula above
//   2100-2150  as 1980-2099 with C 21.8510 / 24.2488 (2100 is no leap year)
// It gives the published days of 1900-2099; the plain formula is a day early in some years
// before 1980 and after 2099.
bool AstronomicalEquinoxDay(int Year, int Month, int& Day);

// The holiday law's rules beyond the plain table, from the file's "HOLIDAYLAW" section; every
// setting is off unless the section sets it, and then the table answers as without the section.
struct TssHolidayLaw {
    // FURIKAE=Y/M/D: a holiday on a Sunday gives a substitute only from this day (yyyymmdd) on;
    // 0: in every year.
    std::int32_t SubstituteFrom = 0;
    // FURIKAENEXT=year: from this year the substitute is the next day that is not a holiday,
    // rather than only the day after; 0: never.
    std::int32_t NextFreeDayFrom = 0;
    // KOKUMIN=year: from this year a day other than a Sunday, itself no holiday, whose day
    // before and day after are holidays is a holiday; 0: never.
    std::int32_t BetweenFrom = 0;
    // SYUNBUNCALC=1: equinox days by AstronomicalEquinoxDay in the years it covers, where the
    // table's fixed equinox days (SYUNBUNNOTCALC) give way; SYUNBUNDAY=M/D:from-to lines fix a day
    // there instead (a later line over an earlier).
    bool Equinox = false;
    std::vector<TssHolidayRec> EquinoxDays;

    // Whether the days found from the year's holidays differ from the plain rule.
    bool ChangesDays() const { return SubstituteFrom != 0 || NextFreeDayFrom != 0 || BetweenFrom != 0; }
};

// Where a date falls among its year's holidays: the holiday with its month and day, or (with
// Substitute) the Sunday holiday it stands in for; Between for a day between two holidays,
// which has no record. Neither: no holiday.
struct TssHolidayHit {
    const TssHolidayRec* Rec = nullptr;
    bool Substitute = false;
    bool Between = false;
    bool Holiday() const { return Rec || Between; }
};

// The answers for every day of a year, at [Month * 32 + Day].
using TssHolidayYear = std::array<TssHolidayHit, 13 * 32>;

// The rule table: the built-in holidays and the file's rule sections.
class TssHoliday : public TObject {
    SS_CLASS(TssHoliday, TObject)
public:
    static constexpr int TableSize = 50;
    static constexpr int DefaultHolidayCount = 13;

    // Installs the built-in table, then applies the holiday file (HolidayFileName()).
    // EConvertError for a malformed number in a rule.
    TssHoliday();
    // Installs the built-in table, then applies the rule sections Sections reads.
    explicit TssHoliday(const THolidaySectionReader& Sections);

    // Applies the four rule sections of FileName and rebuilds items(). Entries beyond the
    // table's 50 are ignored. EConvertError for a malformed number in a rule.
    virtual void HolidayTableSet(const String& FileName);
    // Applies the four rule sections, in their order, and rebuilds items(), also when a rule
    // fails half-way (the entries before it stay).
    void ApplyRuleSections(const THolidaySectionReader& Sections);

    int Count() const { return int(fItems.size()); }
    // The rules sorted by MMDD (fixed equinox days first, weekday rules next).
    const TssHolidayList& items() const { return fItems; }
    // Changes whenever the rules change; year lists built from an older stamp are stale.
    std::uint64_t Generation() const { return fGeneration; }
    const TssHolidayLaw& Law() const { return fLaw; }

    // The equinox holiday of Month (3 or 9) in Year: a fixed day of the file when one covers the
    // year (its range), else the formula's day (the range Year-Year); kind hkSyunbun.
    TssHolidayRec EquinoxHoliday(int Year, int Month) const;
    // Where Year-Month-Day falls among List, a year list of these rules. Without the law's rules:
    // the in-range entry with the date's key, else an in-range earlier holiday on a Sunday whose
    // next day has the date's month and day (List scanned backwards). With them, see YearHits.
    TssHolidayHit FindHoliday(const TssHolidayList& List, int Year, int Month, int Day) const;
    // FindHoliday for every day of Year. With the law's rules, the year's holidays are the
    // in-range entries of List (the last with a key); the substitute and the day between two
    // holidays are found from them. An entry the file added (HOLIDAYADD) whose day the rules give
    // from the other holidays, taken in date order, gives way to the rules: it is no holiday the
    // rules count, and its day answers as the rule's.
    TssHolidayYear YearHits(const TssHolidayList& List, int Year) const;

protected:
    // Parses "M/D:from-to" into a fixed-date entry (EConvertError when malformed).
    static TssHolidayRec ParseDateRule(const String& Value);
    // Parses "M,N*W:from-to" into a weekday rule.
    static TssHolidayRec ParseWeekRule(const String& Value);
    // Applies the value lines of one rule section ("key=value"); EConvertError when malformed.
    void ApplyRuleSection(const String& Section, const std::vector<String>& Lines);
    // Applies the "HOLIDAYLAW" settings; unknown keys are left alone, EConvertError when malformed.
    void ApplyLawSection(const std::vector<String>& Lines);
    // An entry the file's HOLIDAYADD appended to the table.
    bool IsAddedEntry(const TssHolidayRec* Rec) const;
    // Appends to the table; false when it is full.
    bool Append(const TssHolidayRec& Rec, bool Added = false);
    void RebuildItems();

    TssHolidayList fItems;
    int fCount = 0;
    std::array<TssHolidayRec, TableSize> fTable{};  // entries 1..fCount live at [0..fCount-1]
    int fDefaultHolidayCount = 0;
    std::array<bool, TableSize> fAdded{};  // the entry came from HOLIDAYADD
    std::uint64_t fGeneration = 0;
    TssHolidayLaw fLaw;

private:
    void InstallDefaults();
    // The answers of Year under the law's rules, by the day's number from 1 January.
    std::vector<TssHolidayHit> LawDays(const TssHolidayList& List, int Year) const;
};

// One name rule of the holiday file.
struct TssHolidayNameEntry {
    std::int32_t MMDD = 0;
    std::int32_t MM = 0;
    std::int32_t WeekIndex = 0;
    std::int32_t YoubiIndex = 0;
    TssHolidayKind HolidayKind = TssHolidayKind::hkNormal;
    std::int32_t StartYear = 0;
    std::int32_t EndYear = 9999;
    String Name;
};

// The names of the holiday file: "HOLIDAYNAME", then "HOLIDAYNAMEEX", in file order.
class TssHolidayName : public TObject {
    SS_CLASS(TssHolidayName, TObject)
public:
    // Reads HolidayFileName(). EConvertError for a malformed number in a name line.
    TssHolidayName();
    explicit TssHolidayName(const String& FileName);
    // Reads the name sections Sections reads.
    explicit TssHolidayName(const THolidaySectionReader& Sections);

    // The name of the last entry that matches the record in Year; empty when none does.
    virtual String GetHolidayName(const TssHolidayRec& HolidayRec, int Year) const;

    const std::vector<std::unique_ptr<TssHolidayNameEntry>>& Items() const { return FItems; }

    // Parses one "spec[:from-to]=name" line.
    static TssHolidayNameEntry ParseNameLine(const String& Line);

private:
    void Load(const THolidaySectionReader& Sections);
    std::vector<std::unique_ptr<TssHolidayNameEntry>> FItems;
};
