// The holiday file's rules and names as data: the rule table and the name list built from the
// file's sections, whoever reads them. Finding the file (the registry value that names it) and
// the caches are ssHoliday's; here the sections come from a reader: the file's (HolidayFileReader)
// or its text's (HolidayTextReader).
#pragma once
#include <array>
#include <cstdint>
#include <functional>
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

private:
    void InstallDefaults();
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
