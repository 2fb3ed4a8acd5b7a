// Japanese public holidays as data: a built-in table of fixed-date holidays amended by the
// holiday file "Holiday.ini", equinox days by formula unless the file fixes them, and holiday
// names from the same file. The queries themselves are TssDate::IsHoliday and HolidayName.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "System.h"

enum class TssHolidayKind : std::uint8_t { hkNormal, hkWeekHoliday, hkSyunbun };

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

// The rule table: the built-in holidays and the file's rule sections.
class TssHoliday : public TObject {
    SS_CLASS(TssHoliday, TObject)
public:
    static constexpr int TableSize = 50;
    static constexpr int DefaultHolidayCount = 13;

    // Installs the built-in table, then applies the holiday file (HolidayFileName()).
    // EConvertError for a malformed number in a rule.
    TssHoliday();

    // Applies the four rule sections of FileName and rebuilds items(). Entries beyond the
    // table's 50 are ignored. EConvertError for a malformed number in a rule.
    virtual void HolidayTableSet(const String& FileName);

    int Count() const { return int(fItems.size()); }
    // The rules sorted by MMDD (fixed equinox days first, weekday rules next).
    const TssHolidayList& items() const { return fItems; }
    // Changes whenever the rules change; year lists built from an older stamp are stale.
    std::uint64_t Generation() const { return fGeneration; }

protected:
    // Parses "M/D:from-to" into a fixed-date entry (EConvertError when malformed).
    static TssHolidayRec ParseDateRule(const String& Value);
    // Parses "M,N*W:from-to" into a weekday rule.
    static TssHolidayRec ParseWeekRule(const String& Value);
    // Applies the value lines of one rule section ("key=value"); EConvertError when malformed.
    void ApplyRuleSection(const String& Section, const std::vector<String>& Lines);
    // Appends to the table; false when it is full.
    bool Append(const TssHolidayRec& Rec);
    void RebuildItems();

    TssHolidayList fItems;
    int fCount = 0;
    std::array<TssHolidayRec, TableSize> fTable{};  // entries 1..fCount live at [0..fCount-1]
    int fDefaultHolidayCount = 0;
    std::uint64_t fGeneration = 0;
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

    // The name of the last entry that matches the record in Year; empty when none does.
    virtual String GetHolidayName(const TssHolidayRec& HolidayRec, int Year) const;

    const std::vector<std::unique_ptr<TssHolidayNameEntry>>& Items() const { return FItems; }

    // Parses one "spec[:from-to]=name" line.
    static TssHolidayNameEntry ParseNameLine(const String& Line);

private:
    void Load(const String& FileName);
    std::vector<std::unique_ptr<TssHolidayNameEntry>> FItems;
};

extern const wchar_t* const HolidayFileBaseName;  // "Holiday.ini"
extern const wchar_t* const HolidayRegistryKey;   // "\Software\KVR\Common\Orvello" (local machine)
extern const wchar_t* const HolidayRegistryValue;  // "HolidayINI"

// The holiday file's full name, decided afresh on every call: the registry value (a folder
// when it ends in "\"), else "Holiday.ini" in the folder scheme's data folder (empty when
// there is none). The file need not exist.
String HolidayFileName();

// The process-wide rule table, created on first use. When creating it fails the exception
// passes and the next call tries again.
TssHoliday* GetHoliday();
const TssHolidayList& GetHolidayItems();
// Drops the process-wide table and every cached year list and name; the next query reads the
// holiday file again. Used when the file's location or rules have been changed on purpose.
void FreeHoliday();

// Caching of the year tables and of the names (on by default). Off, every query builds its year
// list and reads the names afresh; the answers are the same either way.
bool HolidayCacheEnabled();
void SetHolidayCacheEnabled(bool Value);

// Where a date falls among its year's holidays: the holiday with its month and day, or (with
// Substitute) the Sunday holiday of the day before. Rec is null when neither.
struct TssHolidayHit {
    const TssHolidayRec* Rec = nullptr;
    bool Substitute = false;
};

// Scans a year list backwards: the in-range entry with the date's key, else an earlier in-range
// holiday that falls on a Sunday and whose next day has the date's month and day.
TssHolidayHit FindHoliday(const TssHolidayList& List, int Year, int Month, int Day);
// The same answer for a valid date, read from a table of its year (one entry per month and day)
// made once per year and rule table. Rec stays valid until the next holiday query.
TssHolidayHit CachedHoliday(int Year, int Month, int Day);
// The names of the current holiday file. They are read again only after a change was reported
// in the file's folder or in the registry around the value that names the file, or when the
// data folder in use changed; where the folder cannot be watched, on every call.
std::shared_ptr<const TssHolidayName> CachedHolidayNames();

// MM * 100 + DD, the match key; a key beyond 32 bits saturates, so such a value matches no date.
std::int32_t HolidayKey(std::int64_t MM, std::int64_t DD);
