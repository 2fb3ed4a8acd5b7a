#include "ssHolidayRules.h"

#include <algorithm>
#include <climits>

#include "DateUtils.h"
#include "SysUtils.h"

namespace {

// The built-in holidays, in the file's rule format.
const wchar_t* const SDefaultHolidays[TssHoliday::DefaultHolidayCount] = {
    L"1/1:1948-2999",  L"1/15:1948-2999", L"2/11:1966-2999",  L"4/29:1948-2999", L"5/3:1948-2999",
    L"5/4:1990-2999",  L"5/5:1948-2999",  L"7/20:1990-2999",  L"9/15:1966-2999", L"10/10:1966-2999",
    L"11/3:1948-2999", L"11/23:1948-2999", L"12/23:1989-2999",
};

// Every change of any table gets a new stamp, so a cache never mistakes a new table for an old one.
std::uint64_t NextGeneration = 0;

// The text before the first Sep, and the rest after it (empty when Sep is missing).
String Before(const String& s, wchar_t sep) { return s.substr(0, std::min(s.find(sep), s.size())); }
String After(const String& s, wchar_t sep) {
    std::size_t p = s.find(sep);
    return p == String::npos ? String() : s.substr(p + 1);
}

// "from-to" into the record's range.
void ParseRange(const String& range, std::int32_t& from, std::int32_t& to) {
    from = StrToInt(Before(range, L'-'));
    to = StrToInt(After(range, L'-'));
}

// What the profile reader takes for blanks around lines, keys and values.
bool IsIniBlank(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\v' || c == L'\f' || c == L'\r' || c == L'\x1a';
}
String TrimIniLeft(const String& s) {
    auto b = std::find_if_not(s.begin(), s.end(), IsIniBlank);
    return String(b, s.end());
}
String TrimIniRight(const String& s) {
    auto e = std::find_if_not(s.rbegin(), s.rend(), IsIniBlank);
    return String(s.begin(), e.base());
}
// The reader keeps keys, values and names as C strings: a NUL ends each.
String UpToNul(const String& s) { return s.substr(0, std::min(s.find(L'\0'), s.size())); }

// Trunc(C + 0.242194 (Year - 1980)) - Trunc((Year - Base) / 4), the division exact.
int EquinoxFormula(int Year, double C, int Base) { return int(0.242194 * (Year - 1980) + C) - int((Year - Base) / 4.0); }

bool IsSunday(TDateTime Day) { return DayOfWeek(Day) == 1; }

// The number of a valid date's day from 1 January.
int DayOfYear(int Year, int Month, int Day) {
    int days = Day - 1;
    for (int m = 1; m < Month; ++m) days += DaysInAMonth(Year, m);
    return days;
}

}  // namespace

int EquinoxDay(int Year, int Month) { return EquinoxFormula(Year, Month == 3 ? 20.8431 : 23.2488, 1980); }

bool AstronomicalEquinoxDay(int Year, int Month, int& Day) {
    const bool spring = Month == 3;
    if (Year >= 1900 && Year <= 1979) Day = EquinoxFormula(Year, spring ? 20.8357 : 23.2588, 1983);
    else if (Year >= 1980 && Year <= 2099) Day = EquinoxDay(Year, Month);
    else if (Year >= 2100 && Year <= 2150) Day = EquinoxFormula(Year, spring ? 21.8510 : 24.2488, 1980);
    else return false;
    return true;
}

std::int32_t HolidayKey(std::int64_t MM, std::int64_t DD) {
    return std::int32_t(std::clamp<std::int64_t>(MM * 100 + DD, INT32_MIN, INT32_MAX));
}

// ---- the sections ----

std::vector<String> IniSectionLines(const String& Text, const String& Section) {
    std::vector<String> lines;
    bool inSection = Section.empty();  // the lines before the first section form the unnamed one
    for (std::size_t start = 0; start < Text.size();) {
        std::size_t end = std::min(Text.find_first_of(L"\r\n", start), Text.size());
        const String line = TrimIniRight(TrimIniLeft(Text.substr(start, end - start)));
        start = end + 1;
        if (line.empty()) continue;
        const std::size_t close = line.rfind(L']');
        if (line[0] == L'[' && close != String::npos && close > 0) {
            if (inSection) break;  // only the first section of the name counts
            inSection = SameText(UpToNul(TrimIniRight(TrimIniLeft(line.substr(1, close - 1)))), Section);
            continue;
        }
        if (!inSection || line[0] == L';') continue;
        const std::size_t eq = line.find(L'=');
        if (eq == String::npos) {
            if (String key = UpToNul(line); !key.empty()) lines.push_back(key);
        } else {
            lines.push_back(UpToNul(TrimIniRight(line.substr(0, eq))) + L'=' + UpToNul(TrimIniLeft(line.substr(eq + 1))));
        }
    }
    return lines;
}

std::vector<String> HolidaySectionLines(const std::vector<String>& Lines) {
    std::vector<String> usable;
    for (const String& raw : Lines) {
        String line = Trim(raw);
        if (line.empty() || line[0] == L';' || line[0] == L'!') continue;
        usable.push_back(line);
    }
    return usable;
}

THolidaySectionReader HolidayTextReader(const String& Text) {
    return [Text](const String& Section) { return HolidaySectionLines(IniSectionLines(Text, Section)); };
}

// ---- TssHoliday ----

TssHoliday::TssHoliday(const THolidaySectionReader& Sections) {
    InstallDefaults();
    ApplyRuleSections(Sections);
}

void TssHoliday::InstallDefaults() {
    for (const wchar_t* rule : SDefaultHolidays) Append(ParseDateRule(rule));
    fDefaultHolidayCount = fCount;
}

TssHolidayRec TssHoliday::ParseDateRule(const String& Value) {
    TssHolidayRec r;
    String date = Before(Value, L':');
    r.MM = StrToInt(Before(date, L'/'));
    r.DD = StrToInt(After(date, L'/'));
    r.MMDD = HolidayKey(r.MM, r.DD);
    ParseRange(After(Value, L':'), r.StartYear, r.EndYear);
    r.HolidayKind = TssHolidayKind::hkNormal;
    return r;
}

TssHolidayRec TssHoliday::ParseWeekRule(const String& Value) {
    TssHolidayRec r;
    String rule = Before(Value, L':');
    r.MM = StrToInt(Before(rule, L','));
    String nw = After(rule, L',');
    r.WeekIndex = StrToInt(Before(nw, L'*'));
    r.YoubiIndex = StrToInt(After(nw, L'*'));
    ParseRange(After(Value, L':'), r.StartYear, r.EndYear);
    r.HolidayKind = TssHolidayKind::hkWeekHoliday;
    return r;
}

void TssHoliday::HolidayTableSet(const String& FileName) { ApplyRuleSections(HolidayFileReader(FileName)); }

bool TssHoliday::Append(const TssHolidayRec& Rec, bool Added) {
    if (fCount >= TableSize) return false;
    fAdded[std::size_t(fCount)] = Added;
    fTable[std::size_t(fCount++)] = Rec;
    return true;
}

bool TssHoliday::IsAddedEntry(const TssHolidayRec* Rec) const {
    // Records of a derived date's own list lie outside the table.
    std::less<const TssHolidayRec*> before;
    if (before(Rec, fTable.data()) || !before(Rec, fTable.data() + fCount)) return false;
    return fAdded[std::size_t(Rec - fTable.data())];
}

void TssHoliday::ApplyRuleSections(const THolidaySectionReader& Sections) {
    // A rule failing half-way leaves the entries before it; the table is rebuilt either way.
    struct Rebuild {
        TssHoliday* Self;
        ~Rebuild() { Self->RebuildItems(); }
    } rebuild{this};
    for (const wchar_t* section : {L"HOLIDAYADD", L"HOLIDAYDELETE", L"WEEKHOLIDAYADD", L"SYUNBUNNOTCALC"})
        ApplyRuleSection(section, Sections(section));
    // A section of its own: a reader of the four sections alone skips it.
    ApplyLawSection(Sections(L"HOLIDAYLAW"));
}

void TssHoliday::ApplyLawSection(const std::vector<String>& Lines) {
    for (const String& line : Lines) {
        const String key = Trim(Before(line, L'=')), value = After(line, L'=');
        if (SameText(key, L"FURIKAE")) {
            const String md = After(value, L'/');
            // yyyymmdd, saturating as the match keys do
            fLaw.SubstituteFrom = HolidayKey(HolidayKey(StrToInt(Before(value, L'/')), StrToInt(Before(md, L'/'))), StrToInt(After(md, L'/')));
        } else if (SameText(key, L"FURIKAENEXT")) {
            fLaw.NextFreeDayFrom = StrToInt(value);
        } else if (SameText(key, L"KOKUMIN")) {
            fLaw.BetweenFrom = StrToInt(value);
        } else if (SameText(key, L"SYUNBUNCALC")) {
            fLaw.Equinox = StrToInt(value) != 0;
        } else if (SameText(key, L"SYUNBUNDAY")) {
            TssHolidayRec r = ParseDateRule(value);
            r.HolidayKind = TssHolidayKind::hkSyunbun;
            fLaw.EquinoxDays.push_back(r);
        }
    }
}

void TssHoliday::ApplyRuleSection(const String& Section, const std::vector<String>& Lines) {
    for (const String& line : Lines) {
        const String value = After(line, L'=');
        if (SameText(Section, L"HOLIDAYADD")) {
            Append(ParseDateRule(value), true);
        } else if (SameText(Section, L"HOLIDAYDELETE")) {
            TssHolidayRec r = ParseDateRule(value);
            for (int i = 0; i < fCount; ++i) {
                TssHolidayRec& e = fTable[std::size_t(i)];
                if (e.HolidayKind == TssHolidayKind::hkNormal && e.MM == r.MM && e.DD == r.DD) {
                    e.StartYear = r.StartYear;
                    e.EndYear = r.EndYear;
                    break;
                }
            }
        } else if (SameText(Section, L"WEEKHOLIDAYADD")) {
            Append(ParseWeekRule(value));
        } else if (SameText(Section, L"SYUNBUNNOTCALC")) {
            TssHolidayRec r = ParseDateRule(value);
            r.MMDD = SyunbunMarkerMMDD;
            r.HolidayKind = TssHolidayKind::hkSyunbun;
            Append(r);
        }
    }
}

void TssHoliday::RebuildItems() {
    fItems.clear();
    for (int i = 0; i < fCount; ++i) fItems.push_back(&fTable[std::size_t(i)]);
    std::stable_sort(fItems.begin(), fItems.end(), [](const TssHolidayRec* a, const TssHolidayRec* b) { return a->MMDD < b->MMDD; });
    fGeneration = ++NextGeneration;
}

// ---- a year's holidays ----

TssHolidayRec TssHoliday::EquinoxHoliday(int Year, int Month) const {
    TssHolidayRec e{Year, Year, Month, EquinoxDay(Year, Month)};
    auto fixedBy = [&](const TssHolidayRec& r) {
        if (r.MM == Month && Year >= r.StartYear && Year <= r.EndYear) e = {r.StartYear, r.EndYear, Month, r.DD};
    };
    if (int day; fLaw.Equinox && AstronomicalEquinoxDay(Year, Month, day)) {
        e.DD = day;
        for (const TssHolidayRec& r : fLaw.EquinoxDays) fixedBy(r);
    } else {
        // A fixed day of the file wins over the formula (a later entry over an earlier).
        for (const TssHolidayRec* r : fItems)
            if (r->MMDD == SyunbunMarkerMMDD) fixedBy(*r);
    }
    e.MMDD = HolidayKey(e.MM, e.DD);
    e.HolidayKind = TssHolidayKind::hkSyunbun;
    return e;
}

TssHolidayHit TssHoliday::FindHoliday(const TssHolidayList& List, int Year, int Month, int Day) const {
    if (fLaw.ChangesDays()) {
        if (!IsValidDate(Year, Month, Day)) return {};
        return LawDays(List, Year)[std::size_t(DayOfYear(Year, Month, Day))];
    }
    const int key = Month * 100 + Day;
    for (auto it = List.rbegin(); it != List.rend(); ++it) {
        const TssHolidayRec* r = *it;
        if (Year < r->StartYear || Year > r->EndYear) continue;
        if (r->MMDD == key) return {r, false};
        if (r->MMDD > key) continue;
        TDateTime day;
        if (TryEncodeDate(Year, r->MM, r->DD, day) && IsSunday(day)) {
            int y, m, d;
            DecodeDate(day + 1, y, m, d);
            if (m == Month && d == Day) return {r, true};
        }
    }
    return {};
}

namespace {

// A year's days by their number from 1 January, with the holidays the law's rules work on.
class TLawYear {
public:
    TLawYear(const TssHolidayLaw& Law, int Year) : FLaw(Law), FYear(Year), FDays(IsLeapYear(Year) ? 366 : 365) {
        FFirst = EncodeDate(Year, 1, 1);
        Listed.resize(std::size_t(FDays));
    }
    int Days() const { return FDays; }
    TDateTime Date(int i) const { return FFirst + i; }
    // The day of Month/Day, -1 for none.
    int Index(int Month, int Day) const { return IsValidDate(FYear, Month, Day) ? DayOfYear(FYear, Month, Day) : -1; }

    // The day the Sunday holiday i gives as its substitute, -1 for none.
    int SubstituteOf(int i) const {
        if (!Counted[std::size_t(i)] || !IsSunday(Date(i))) return -1;
        int y, m, d;
        DecodeDate(Date(i), y, m, d);
        if (y * 10000 + m * 100 + d < FLaw.SubstituteFrom) return -1;
        int t = i + 1;
        if (FLaw.NextFreeDayFrom != 0 && FYear >= FLaw.NextFreeDayFrom)
            while (t < FDays && Counted[std::size_t(t)]) ++t;
        return t < FDays && !Counted[std::size_t(t)] ? t : -1;
    }
    // A day between two holidays, itself none and no Sunday.
    bool IsBetween(int i) const {
        return FLaw.BetweenFrom != 0 && FYear >= FLaw.BetweenFrom && i > 0 && i + 1 < FDays && !Counted[std::size_t(i)] &&
               Counted[std::size_t(i - 1)] && Counted[std::size_t(i + 1)] && !IsSunday(Date(i));
    }
    // Whether a rule makes day i a holiday, from the counted holidays before it and around it.
    bool RuleGives(int i) const {
        for (int s = 0; s < i; ++s)
            if (SubstituteOf(s) == i) return true;
        return IsBetween(i);
    }

    std::vector<const TssHolidayRec*> Listed;   // the entry of each day
    std::vector<const TssHolidayRec*> Counted;  // the holidays the rules count

private:
    const TssHolidayLaw& FLaw;
    int FYear;
    int FDays;
    TDateTime FFirst = 0;
};

}  // namespace

std::vector<TssHolidayHit> TssHoliday::LawDays(const TssHolidayList& List, int Year) const {
    TLawYear year(fLaw, Year);
    for (const TssHolidayRec* r : List) {
        // Keys as the plain scan matches them; the last entry of a key is the one found.
        if (Year < r->StartYear || Year > r->EndYear || r->MMDD <= 0) continue;
        if (int i = year.Index(r->MMDD / 100, r->MMDD % 100); i >= 0) year.Listed[std::size_t(i)] = r;
    }
    // Taken in date order, an added entry gives way when the rules give its day from the holidays
    // counted so far; a later one giving way takes nothing from the rule of an earlier one.
    year.Counted = year.Listed;
    for (int i = 0; i < year.Days(); ++i) {
        const TssHolidayRec* r = year.Listed[std::size_t(i)];
        if (!r || !IsAddedEntry(r)) continue;
        year.Counted[std::size_t(i)] = nullptr;
        if (!year.RuleGives(i)) year.Counted[std::size_t(i)] = r;
    }

    std::vector<TssHolidayHit> days(std::size_t(year.Days()));
    for (int i = 0; i < year.Days(); ++i)
        if (year.Counted[std::size_t(i)]) days[std::size_t(i)] = {year.Counted[std::size_t(i)], false};
    for (int i = 0; i < year.Days(); ++i)
        if (int t = year.SubstituteOf(i); t >= 0) days[std::size_t(t)] = {year.Counted[std::size_t(i)], true};
    for (int i = 0; i < year.Days(); ++i)
        if (!days[std::size_t(i)].Holiday() && year.IsBetween(i)) days[std::size_t(i)].Between = true;
    return days;
}

TssHolidayYear TssHoliday::YearHits(const TssHolidayList& List, int Year) const {
    TssHolidayYear hits{};
    const bool law = fLaw.ChangesDays() && IsValidDate(Year, 1, 1);
    const std::vector<TssHolidayHit> days = law ? LawDays(List, Year) : std::vector<TssHolidayHit>();
    for (int m = 1, i = 0; m <= 12; ++m)
        for (int d = 1, last = DaysInAMonth(Year, m); d <= last; ++d, ++i)
            hits[std::size_t(m * 32 + d)] = law ? days[std::size_t(i)] : FindHoliday(List, Year, m, d);
    return hits;
}

// ---- TssHolidayName ----

TssHolidayName::TssHolidayName(const THolidaySectionReader& Sections) { Load(Sections); }

void TssHolidayName::Load(const THolidaySectionReader& Sections) {
    for (const wchar_t* section : {L"HOLIDAYNAME", L"HOLIDAYNAMEEX"})
        for (const String& line : Sections(section)) FItems.push_back(std::make_unique<TssHolidayNameEntry>(ParseNameLine(line)));
}

TssHolidayNameEntry TssHolidayName::ParseNameLine(const String& Line) {
    TssHolidayNameEntry e;
    std::size_t eq = std::min(Line.find(L'='), Line.size());
    std::size_t colon = Line.find(L':');
    String spec = Trim(Line.substr(0, std::min(colon, eq)));
    if (colon < eq) ParseRange(Line.substr(colon + 1, eq - colon - 1), e.StartYear, e.EndYear);
    e.Name = eq < Line.size() ? Trim(Line.substr(eq + 1)) : String();
    if (spec.find(L'/') != String::npos) {
        e.HolidayKind = TssHolidayKind::hkNormal;
        e.MM = StrToInt(Before(spec, L'/'));
        e.MMDD = HolidayKey(e.MM, StrToInt(After(spec, L'/')));
    } else if (spec.find(L',') != String::npos) {
        e.HolidayKind = TssHolidayKind::hkWeekHoliday;
        e.MM = StrToInt(Before(spec, L','));
        String nw = After(spec, L',');
        e.WeekIndex = StrToInt(Before(nw, L'*'));
        e.YoubiIndex = StrToInt(After(nw, L'*'));
    } else if (SameText(spec, L"KOKUMIN")) {
        e.HolidayKind = TssHolidayKind::hkKokumin;
    } else if (SameText(spec, L"SYUNBUN") || SameText(spec, L"SYUBUN")) {
        e.HolidayKind = TssHolidayKind::hkSyunbun;
        e.MM = SameText(spec, L"SYUNBUN") ? 3 : 9;
    } else {
        // No holiday has this key, so the entry never matches.
        e.HolidayKind = TssHolidayKind::hkNormal;
        e.MMDD = -1;
    }
    return e;
}

String TssHolidayName::GetHolidayName(const TssHolidayRec& HolidayRec, int Year) const {
    String name;
    for (const auto& e : FItems) {
        if (e->HolidayKind != HolidayRec.HolidayKind || Year < e->StartYear || Year > e->EndYear) continue;
        bool match = false;
        switch (e->HolidayKind) {
        case TssHolidayKind::hkNormal: match = e->MMDD == HolidayRec.MMDD; break;
        case TssHolidayKind::hkWeekHoliday:
            match = e->MM == HolidayRec.MM && e->WeekIndex == HolidayRec.WeekIndex && e->YoubiIndex == HolidayRec.YoubiIndex;
            break;
        case TssHolidayKind::hkSyunbun: match = e->MM == HolidayRec.MM; break;
        case TssHolidayKind::hkKokumin: match = true; break;
        }
        if (match) name = e->Name;  // the last match wins: HOLIDAYNAMEEX overrides HOLIDAYNAME
    }
    return name;
}
