// Holiday-file contents and what the rule table, the names and the sections hold after reading
// them, shared by the tests that read files and those that read text.
#pragma once
#include <string>
#include <vector>

#include "SysUtils.h"
#include "ssHolidayRules.h"

namespace calendar_test {

// Additions, a re-ranged built-in day, a weekday rule and fixed equinox days ("!" is ignored).
inline const std::vector<String> RuleFileLines = {
    L"[HOLIDAYADD]", L"山の日=8/11:2016-2999", L"!無効=12/24:1900-2999",
    L"[HOLIDAYDELETE]", L"海の日=7/20:1996-2002",
    L"[WEEKHOLIDAYADD]", L"海の日=7,3*2:2003-9999",
    L"[SYUNBUNNOTCALC]", L"a=3/21:2000-2000", L"b=9/24:2001-2002", L"c=9/25:2002-2002",
};

// Every kind of name line in both name sections.
inline const std::vector<String> NameFileLines = {
    L"[WEEKHOLIDAYADD]", L"海の日=7,3*2:2003-9999",
    L"[HOLIDAYNAME]", L"1/1=元日", L"SYUNBUN=春分の日", L"syubun=秋分の日", L"7,3*2:2003-9999=海の日",
    L"4/29:1989-2006=みどりの日", L"4/29:2007-9999=昭和の日", L"5/3=憲法", L"ほかの日=名無し", L"!5/5=こどもの日",
    L"[HOLIDAYNAMEEX]", L"5/3:2016-2016=憲法記念日", L"4/29:1949-1988=天皇誕生日",
};

// Months and days whose key would wrap around 32 bits to the key of 1 June (601) or 7 July (707).
inline const std::vector<String> OverflowFileLines = {
    L"[HOLIDAYADD]", L"a=42949673/597:2000-2999", L"b=-42949667/5:2000-2999", L"c=7/7:2000-2999",
    L"[SYUNBUNNOTCALC]", L"s=3/2147483647:2015-2015",
    L"[HOLIDAYNAME]", L"7/7=七夕", L"42949673/703=誤り",
};

// The law's settings as the shipped file has them, a fixed equinox day, and what is left alone.
inline const std::vector<String> LawFileLines = {
    L"[HOLIDAYLAW]", L"furikae = 1973/4/12", L"FURIKAENEXT=2007", L"KOKUMIN=1988", L"SYUNBUNCALC=1",
    L"SYUNBUNDAY=9/22:2040-2041", L"SYUNBUNDAY=9/23:2041-2041", L"!KOKUMIN=x", L"UNKNOWN=x",
    L"[HOLIDAYNAME]", L"KOKUMIN:1988-9999=国民の休日",
};

// Lines of a rule section, or of the law's section where the key matters.
struct MalformedRule {
    const wchar_t *section, *line;
};
inline const std::vector<MalformedRule> MalformedRules = {
    {L"HOLIDAYADD", L"k=8/11"},  // the range is mandatory
    {L"HOLIDAYADD", L"k=8/x:2016-2999"},
    {L"HOLIDAYDELETE", L"k=7/20:1996-"},
    {L"WEEKHOLIDAYADD", L"k=7,3*:2003-9999"},
    {L"SYUNBUNNOTCALC", L"k=3/21:abc-2000"},
    {L"HOLIDAYLAW", L"FURIKAE=1973/4"},
    {L"HOLIDAYLAW", L"KOKUMIN=yes"},
    {L"HOLIDAYLAW", L"SYUNBUNDAY=9/22"},
};

inline String Range(std::int32_t from, std::int32_t to) { return L':' + std::to_wstring(from) + L'-' + std::to_wstring(to); }

inline String DateRule(const TssHolidayRec& r) {
    return (r.HolidayKind == TssHolidayKind::hkSyunbun ? L"S" : L"") + std::to_wstring(r.MM) + L'/' + std::to_wstring(r.DD) +
           Range(r.StartYear, r.EndYear);
}

// The table's items in order: "M/D:from-to", "M,N*W:from-to" or "SM/D:from-to" for a fixed equinox day;
// then, when the law's rules are on, " law" and the settings. "EConvertError" when reading raises it.
inline String RuleSummary(const THolidaySectionReader& sections) {
    try {
        TssHoliday table(sections);
        String s;
        for (const TssHolidayRec* r : table.items()) {
            if (!s.empty()) s += L' ';
            if (r->HolidayKind == TssHolidayKind::hkWeekHoliday)
                s += std::to_wstring(r->MM) + L',' + std::to_wstring(r->WeekIndex) + L'*' + std::to_wstring(r->YoubiIndex) +
                     Range(r->StartYear, r->EndYear);
            else
                s += DateRule(*r);
        }
        const TssHolidayLaw& law = table.Law();
        if (law.ChangesDays() || law.Equinox || !law.EquinoxDays.empty()) {
            s += L" law " + std::to_wstring(law.SubstituteFrom) + L' ' + std::to_wstring(law.NextFreeDayFrom) + L' ' +
                 std::to_wstring(law.BetweenFrom) + (law.Equinox ? L" calc" : L" nocalc");
            for (const TssHolidayRec& r : law.EquinoxDays) s += L' ' + DateRule(r);
        }
        return s;
    } catch (const EConvertError&) {
        return L"EConvertError";
    }
}

// The name entries in order: "MMDD", "M,N*W" or "SM", then ":from-to=name"; "EConvertError" when
// reading raises it.
inline String NameSummary(const THolidaySectionReader& sections) {
    try {
        TssHolidayName names(sections);
        String s;
        for (const auto& e : names.Items()) {
            if (!s.empty()) s += L' ';
            switch (e->HolidayKind) {
            case TssHolidayKind::hkNormal: s += std::to_wstring(e->MMDD); break;
            case TssHolidayKind::hkWeekHoliday:
                s += std::to_wstring(e->MM) + L',' + std::to_wstring(e->WeekIndex) + L'*' + std::to_wstring(e->YoubiIndex);
                break;
            case TssHolidayKind::hkSyunbun: s += L'S' + std::to_wstring(e->MM); break;
            case TssHolidayKind::hkKokumin: s += L'K'; break;
            }
            s += Range(e->StartYear, e->EndYear) + L'=' + e->Name;
        }
        return s;
    } catch (const EConvertError&) {
        return L"EConvertError";
    }
}

inline const wchar_t* const DefaultRules =
    L"1/1:1948-2999 1/15:1948-2999 2/11:1966-2999 4/29:1948-2999 5/3:1948-2999 5/4:1990-2999 5/5:1948-2999 "
    L"7/20:1990-2999 9/15:1966-2999 10/10:1966-2999 11/3:1948-2999 11/23:1948-2999 12/23:1989-2999";

struct HolidayFileCase {
    const char* what;
    std::vector<String> lines;
    String rules;  // RuleSummary
    String names;  // NameSummary
};

inline std::vector<HolidayFileCase> HolidayFileCases() {
    std::vector<HolidayFileCase> cases = {
        {"no sections", {}, DefaultRules, L""},
        {"rules amend the built-in table", RuleFileLines,
         L"S3/21:2000-2000 S9/24:2001-2002 S9/25:2002-2002 7,3*2:2003-9999 1/1:1948-2999 1/15:1948-2999 2/11:1966-2999 "
         L"4/29:1948-2999 5/3:1948-2999 5/4:1990-2999 5/5:1948-2999 7/20:1996-2002 8/11:2016-2999 9/15:1966-2999 "
         L"10/10:1966-2999 11/3:1948-2999 11/23:1948-2999 12/23:1989-2999",
         L""},
        {"names of every kind, in section order", NameFileLines, L"7,3*2:2003-9999 " + String(DefaultRules),
         L"101:0-9999=元日 S3:0-9999=春分の日 S9:0-9999=秋分の日 7,3*2:2003-9999=海の日 429:1989-2006=みどりの日 "
         L"429:2007-9999=昭和の日 503:0-9999=憲法 -1:0-9999=名無し 503:2016-2016=憲法記念日 429:1949-1988=天皇誕生日"},
        {"keys beyond 32 bits saturate", OverflowFileLines,
         L"-42949667/5:2000-2999 S3/2147483647:2015-2015 1/1:1948-2999 1/15:1948-2999 2/11:1966-2999 4/29:1948-2999 "
         L"5/3:1948-2999 5/4:1990-2999 5/5:1948-2999 7/7:2000-2999 7/20:1990-2999 9/15:1966-2999 10/10:1966-2999 "
         L"11/3:1948-2999 11/23:1948-2999 12/23:1989-2999 42949673/597:2000-2999",
         L"707:0-9999=七夕 2147483647:0-9999=誤り"},
        {"the law's settings, and the name of the day between two holidays", LawFileLines,
         String(DefaultRules) + L" law 19730412 2007 1988 calc S9/22:2040-2041 S9/23:2041-2041", L"K:1988-9999=国民の休日"},
        {"the law's section without settings", {L"[HOLIDAYLAW]", L"FURIKAENEXT=0", L"KOKUMIN=0", L"SYUNBUNCALC=0"}, DefaultRules, L""},
        {"malformed name number", {L"[HOLIDAYNAMEEX]", L"1/x=元日"}, DefaultRules, L"EConvertError"},
        {"malformed name range", {L"[HOLIDAYNAMEEX]", L"1/1:2016-=元日"}, DefaultRules, L"EConvertError"},
        {"sections in any case, blanks around numbers",
         {L"[holidayAdd]", L"X = 8 / 11 : 2016 - +2999 ", L"[HolidayName]", L" 8/11 = 山の日 "},
         L"1/1:1948-2999 1/15:1948-2999 2/11:1966-2999 4/29:1948-2999 5/3:1948-2999 5/4:1990-2999 5/5:1948-2999 "
         L"7/20:1990-2999 8/11:2016-2999 9/15:1966-2999 10/10:1966-2999 11/3:1948-2999 11/23:1948-2999 12/23:1989-2999",
         L"811:0-9999=山の日"},
    };
    for (const MalformedRule& m : MalformedRules)
        cases.push_back({"malformed rule", {String(L"[") + m.section + L"]", m.line}, L"EConvertError", L""});
    return cases;
}

// How the profile reader splits a file into sections, for the inputs a holiday file may hold.
struct IniCase {
    const char* what;
    String text;
    String section;
    std::vector<String> lines;  // the usable lines (HolidaySectionLines)
};

inline std::vector<IniCase> IniCases() {
    return {
        {"blanks around lines, keys and values", L"[S]\r\n  k = v  \r\n\t a b \t=\t c d \t\r\n\v\x1a\f\r\n", L"S", {L"k=v", L"a b=c d"}},
        {"a full-width space is no blank", L"[S]\r\n\u3000a=1\u3000\r\n", L"S", {L"\u3000a=1\u3000"}},
        {"CR, LF and CR LF each end a line", L"[S]\ra=1\rb=2\nc=3\r\n\r\nd=4", L"S", {L"a=1", L"b=2", L"c=3", L"d=4"}},
        {"names trimmed, without regard to case, up to the last ]", L"[ s ]\na=1\n[T] x\nb=2\n[S]x]\nc=3\n", L"S", {L"a=1"}},
        {"text after the ] of a name", L"[ s ]\na=1\n[T] x\nb=2\n[S]x]\nc=3\n", L"t", {L"b=2"}},
        {"only the first section of a name counts", L"[S]\na=1\n[T]\nb=2\n[s]\nc=3\n", L"S", {L"a=1"}},
        {"a first empty section hides a later one", L"[S]\n[S]\nb=1\n", L"S", {}},
        {"duplicate keys all stay", L"[S]\na=1\na=2\nA=3\n", L"S", {L"a=1", L"a=2", L"A=3"}},
        {"comments, ! keys and lines without a key or =",
         L"[S]\n;c=1\n  ;d=4\n!k=3\n#x=2\nnoeq\n=v\nk=\nk =  = v \n", L"S", {L"#x=2", L"noeq", L"=v", L"k=", L"k== v"}},
        {"a [ without ] is a line", L"[S]\nx=0\n[T\na=1\n[\n]\n", L"S", {L"x=0", L"[T", L"a=1", L"[", L"]"}},
        {"lines before the first section", L"a=0\n[S]\nb=1\n", L"", {L"a=0"}},
        {"a missing section", L"[S]\n[T]\na=1\n", L"S", {}},
        {"code page 932 text", L"[S]\n山=春分の日\nｱ=ｲ\n", L"S", {L"山=春分の日", L"ｱ=ｲ"}},
    };
}

}  // namespace calendar_test
