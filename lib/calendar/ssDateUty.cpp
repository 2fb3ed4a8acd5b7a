#include "ssDateUty.h"

#include <algorithm>

#include "ssEraTbl.h"
#include "ssStrUty.h"

namespace {

// 元 (first year) and 末 (month end) quoted once, so that FormatDateTime copies them.
const wchar_t* const SFirstYear = L"\"元\"";
const wchar_t* const SMonthEnd = L"\"末\"";

// Entries that can be read: Count limited to the table's size.
int UsedCount(const TssEraTable& t) { return std::clamp(t.Count(), 0, TssEraInfoArray::High); }

bool InTable(const TssEraTable& t, int index) { return index >= 1 && index <= UsedCount(t); }

// The last era whose first day is not after the day of DateTime; 0 for none.
int EraOf(TDateTime DateTime) {
    const TssEraTable& t = *GetEraTable();
    TDateTime day = DateOf(DateTime);
    for (int i = UsedCount(t); i >= 1; --i)
        if (t.Table()[i].start <= day) return i;
    return 0;
}

}  // namespace

String QuoteLiteral(const String& text) {
    String r = L"\"";
    for (wchar_t c : text)
        if (c != L'"') r += c;
    return r + L"\"";
}

bool DateToEra(TDateTime Date, int& EraIndex, int& EraYear, int& Month, int& Day) {
    EraIndex = EraYear = Month = Day = 0;
    int year, month, day;
    if (!TryDecodeDate(Date, year, month, day)) return false;
    int era = EraOf(Date);
    if (era == 0) return false;
    EraIndex = era;
    EraYear = year - YearOf(GetEraTable()->Table()[era].start) + 1;
    Month = month;
    Day = day;
    return true;
}

int YearToEra(int Year, int& EraIndex, int& EraYear, String& LongName) {
    EraIndex = EraYear = 0;
    LongName.clear();
    const TssEraTable& t = *GetEraTable();
    int n = UsedCount(t);
    int era = n;
    for (int i = 1; i <= n; ++i)
        if (YearOf(t.Table()[i].start) > Year) {
            era = i - 1;
            break;
        }
    if (era < 1) return 0;
    EraIndex = era;
    EraYear = Year - YearOf(t.Table()[era].start) + 1;
    LongName = AnsiToString(t.Table()[era].LongName);
    return EraYear;
}

String GetEraLongName(int Index) {
    const TssEraTable& t = *GetEraTable();
    return InTable(t, Index) ? AnsiToString(t.Table()[Index].LongName) : String();
}

String GetEraShortName(int Index) {
    const TssEraTable& t = *GetEraTable();
    return InTable(t, Index) ? AnsiToString(t.Table()[Index].ShortName) : String();
}

String GetEraInitial(int Index) {
    const TssEraTable& t = *GetEraTable();
    return InTable(t, Index) ? AnsiToString(t.Table()[Index].Initial) : String();
}

TDateTime GetEraStartDate(int Index) {
    const TssEraTable& t = *GetEraTable();
    return InTable(t, Index) ? t.Table()[Index].start : 0;
}

int GetEraCount() { return GetEraTable()->Count(); }

int QuotedPos(const String& Token, const String& Text) {
    if (Token.empty()) return 0;
    std::size_t i = 0;
    while (i < Text.size()) {
        wchar_t c = Text[i];
        if (c == L'"' || c == L'\'') {
            std::size_t close = Text.find(c, i + 1);
            if (close == String::npos) return 0;
            i = close + 1;
        } else if (Text.compare(i, Token.size(), Token) == 0) {
            return int(i) + 1;
        } else {
            // A failed attempt resumes at the next character: skipping what it compared could
            // step over an opening quote or over the start of a real match.
            ++i;
        }
    }
    return 0;
}

String StripQuotes(const String& Text) {
    String r;
    std::size_t i = 0;
    while (i < Text.size()) {
        wchar_t c = Text[i];
        if (c != L'"' && c != L'\'') {
            r += c;
            ++i;
            continue;
        }
        std::size_t close = Text.find(c, i + 1);
        if (close == String::npos) {
            r.append(Text, i + 1, String::npos);
            break;
        }
        r.append(Text, i + 1, close - i - 1);
        i = close + 1;
    }
    return r;
}

namespace {

// Replaces every occurrence of Token outside quotes by what Replacement answers. Each
// replacement must be quoted so that it cannot be found again.
template <class F>
void ReplaceToken(String& s, const String& Token, F Replacement) {
    for (int p; (p = QuotedPos(Token, UpperCase(s))) > 0;) {
        SafeDelete(s, p, int(Token.size()));
        SafeInsert(Replacement(), s, p);
    }
}

String TwoDigits(int v) { return Format(L"%2.2d", {(long long)v}); }
String WidthTwo(int v) { return Format(L"%2.0d", {(long long)v}); }

}  // namespace

String FormatEraDate(const String& Format, TDateTime DateTime) {
    String s = Format;
    int y, m, d;
    int era = TryDecodeDate(DateTime, y, m, d) ? EraOf(DateTime) : 0;
    if (era > 0) {
        const TEra& e = GetEraTable()->Table()[era];
        int year, month, day;
        DecodeDate(DateTime, year, month, day);
        int eraYear = year - YearOf(e.start) + 1;
        auto firstOr = [&](String number) { return eraYear == 1 ? String(SFirstYear) : QuoteLiteral(number); };
        struct EraToken { const wchar_t* token; String text; };
        const EraToken eraTokens[] = {
            {L"GGG", QuoteLiteral(AnsiToString(e.LongName))},
            {L"GG", QuoteLiteral(AnsiToString(e.ShortName))},
            {L"G", QuoteLiteral(AnsiToString(e.Initial))},
            {L"FSTEE", firstOr(TwoDigits(eraYear))},
            {L"FSTZE", firstOr(WidthTwo(eraYear))},
            {L"FSTE", firstOr(IntToStr(eraYear))},
            {L"EE", QuoteLiteral(TwoDigits(eraYear))},
            {L"ZE", QuoteLiteral(WidthTwo(eraYear))},
            {L"E", QuoteLiteral(IntToStr(eraYear))},
        };
        for (const EraToken& t : eraTokens) ReplaceToken(s, t.token, [&] { return t.text; });

        bool monthEnd = day == DaysInAMonth(year, month);
        auto endOr = [&](String number) { return monthEnd ? String(SMonthEnd) : QuoteLiteral(number); };
        const EraToken endTokens[] = {
            {L"LSTDD", endOr(TwoDigits(day))},
            {L"LSTZD", endOr(WidthTwo(day))},
            {L"LSTD", endOr(IntToStr(day))},
        };
        for (const EraToken& t : endTokens) ReplaceToken(s, t.token, [&] { return t.text; });
    }

    // Blank-padded fields: the date-time formatter only pads with zeros, so each one is
    // formatted on its own and its leading zero blanked.
    static const wchar_t* const zTokens[] = {L"ZE", L"ZM", L"ZD"};
    static const wchar_t* const zPatterns[] = {L"EE", L"MM", L"DD"};
    String result;
    for (;;) {
        String upper = UpperCase(s);
        int p = 0;
        for (const wchar_t* t : zTokens) {
            int q = QuotedPos(t, upper);
            if (q > 0 && (p == 0 || q < p)) p = q;
        }
        if (p == 0) break;
        if (p > 1) result += FormatDateTime(s.substr(0, std::size_t(p - 1)), DateTime);
        String two = upper.substr(std::size_t(p - 1), 2);
        for (int k = 0; k < 3; ++k)
            if (two == zTokens[k]) {
                String text = FormatDateTime(zPatterns[k], DateTime);
                if (!text.empty() && text[0] == L'0') text[0] = L' ';
                result += text;
                break;
            }
        s.erase(0, std::size_t(p + 1));
    }
    if (!s.empty()) result += FormatDateTime(s, DateTime);
    return result;
}
