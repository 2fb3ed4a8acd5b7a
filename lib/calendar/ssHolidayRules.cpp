#include "ssHolidayRules.h"

#include <algorithm>
#include <climits>

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

}  // namespace

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

bool TssHoliday::Append(const TssHolidayRec& Rec) {
    if (fCount >= TableSize) return false;
    fTable[std::size_t(fCount++)] = Rec;
    return true;
}

void TssHoliday::ApplyRuleSections(const THolidaySectionReader& Sections) {
    // A rule failing half-way leaves the entries before it; the table is rebuilt either way.
    struct Rebuild {
        TssHoliday* Self;
        ~Rebuild() { Self->RebuildItems(); }
    } rebuild{this};
    for (const wchar_t* section : {L"HOLIDAYADD", L"HOLIDAYDELETE", L"WEEKHOLIDAYADD", L"SYUNBUNNOTCALC"})
        ApplyRuleSection(section, Sections(section));
}

void TssHoliday::ApplyRuleSection(const String& Section, const std::vector<String>& Lines) {
    for (const String& line : Lines) {
        const String value = After(line, L'=');
        if (SameText(Section, L"HOLIDAYADD")) {
            Append(ParseDateRule(value));
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
        }
        if (match) name = e->Name;  // the last match wins: HOLIDAYNAMEEX overrides HOLIDAYNAME
    }
    return name;
}
