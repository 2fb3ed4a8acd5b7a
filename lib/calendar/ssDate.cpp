#include "ssDate.h"

#include <algorithm>
#include <cstdlib>
#include <cwchar>
#include <typeinfo>

#include "ssDateUty.h"
#include "ssStrUty.h"

namespace {

const wchar_t* const SYoubi[] = {L"日", L"月", L"火", L"水", L"木", L"金", L"土"};

// 元 and 末 between two pairs of double quotes: after StripQuotes only the character is left.
const wchar_t* const SPartialFirstYear = L"\"\"元\"\"";
const wchar_t* const SPartialMonthEnd = L"\"\"末\"\"";

// The year that stands in for a missing one: a common year.
constexpr int NoYear = 1998;
// Years up to this one lie before every era.
constexpr int LastYearBeforeEras = 1866;

int MonthOf(TDateTime d) {
    int y, m, dd;
    DecodeDate(d, y, m, dd);
    return m;
}

String WidthTwo(int v) { return Format(L"%2.0d", {(long long)v}); }

}  // namespace

// ---- protected arithmetic ----

int TssDate::DaysInMonth(int Year, int Month) const {
    if (Month < 1 || Month > 12) return 0;
    return DaysInAMonth(Year > 0 ? Year : NoYear, Month);
}

void TssDate::AddMonthsWrap(int Delta, int& Year, int& Month) const {
    Month += Delta;
    if (Month >= 13) {
        if (Year > 0) ++Year;
        Month -= 12;
    } else if (Month <= 0) {
        if (Year > 0) --Year;
        Month += 12;
    }
}

void TssDate::ClampDay() {
    int days = DaysInMonth(YYYY(), MM());
    // Without a month there is no end to clamp to; the day stays rather than being lost.
    if (days > 0 && DD() != 0 && DD() > days) SetDD(days);
}

void TssDate::GetEra(int& NengoIndex, int& YY) const {
    NengoIndex = YY = 0;
    if (YYYY() <= LastYearBeforeEras) return;
    if (IsGoodYMD()) {
        int month, day;
        if (!DateToEra(DateTime(), NengoIndex, YY, month, day)) NengoIndex = YY = 0;
        return;
    }
    String name;
    YearToEra(YYYY(), NengoIndex, YY, name);
    // A month before the era's first month still belongs to the previous era.
    if (IsGoodYM() && YY == 1 && MM() < MonthOf(GetEraStartDate(NengoIndex))) {
        YearToEra(YYYY() - 1, NengoIndex, YY, name);
        if (NengoIndex > 0) ++YY;
    }
}

// ---- holidays ----

namespace {

const wchar_t* const SSubstituteHoliday = L"振替休日";

// The copy a holiday query works on: a missing year becomes this year's.
TssDate HolidayCopy(const TssDate& Value) {
    TssDate d(Value);
    if (d.YYYY() == 0) {
        int y, m, dd;
        d.SetYYYY(TryDecodeDate(::Date(), y, m, dd) ? y : 0);
    }
    return d;
}

// Where D falls among its year's holidays, for Self. A plain date with caching on reads the
// year's table; otherwise the list comes from Self's own BuildYearHolidays, which a derived
// date may override. Use receives the hit while the list it points into still lives.
template <class Use>
auto WithHoliday(const TssDate& Self, const TssDate& D, Use use) {
    if (HolidayCacheEnabled() && typeid(Self) == typeid(TssDate)) return use(CachedHoliday(D.YYYY(), D.MM(), D.DD()));
    // Building a list only touches the date's working storage, which is mutable for this.
    std::unique_ptr<TssHolidayList> list = const_cast<TssDate&>(Self).BuildYearHolidays(D.YYYY());
    return use(GetHoliday()->FindHoliday(*list, D.YYYY(), D.MM(), D.DD()));
}

}  // namespace

bool TssDate::IsHolidayEx(bool CheckSunday, bool CheckFixed, bool CheckSubstitute) const {
    TssDate d = HolidayCopy(*this);
    if (!d.IsGoodYMD()) return false;
    if (CheckSunday && YoubiIndex() == 1) return true;
    if (!CheckFixed && !CheckSubstitute) return false;
    // A holiday on the day itself, or between two, counts with either check; a substitute only
    // with CheckSubstitute.
    return WithHoliday(*this, d, [&](const TssHolidayHit& hit) { return hit.Holiday() && (!hit.Substitute || CheckSubstitute); });
}

std::unique_ptr<TssHolidayList> TssDate::BuildYearHolidays(int Year) {
    auto list = std::make_unique<TssHolidayList>();
    const TssHoliday* table = GetHoliday();
    const TssHolidayList& rules = table->items();
    for (const TssHolidayRec* r : rules)
        if (r->DD != 0 && r->MMDD != SyunbunMarkerMMDD) list->push_back(r);

    SyunbunTbl = {table->EquinoxHoliday(Year, 3), table->EquinoxHoliday(Year, 9)};
    list->push_back(&SyunbunTbl[0]);
    list->push_back(&SyunbunTbl[1]);

    FreeWeekHolidays();
    for (const TssHolidayRec* r : rules) {
        if (r->HolidayKind != TssHolidayKind::hkWeekHoliday) continue;
        if (iWeekHolidayTblCount + 1 >= MaxWeekHolidays) break;  // further weekday rules are ignored
        try {
            auto rec = std::make_unique<TssHolidayRec>();
            std::unique_ptr<TssDate> date = NthWeekday(Year, r->MM, r->WeekIndex, r->YoubiIndex);
            rec->StartYear = r->StartYear;
            rec->EndYear = r->EndYear;
            rec->MM = date->MM();
            rec->DD = date->DD();
            rec->MMDD = date->IsEmpty() ? 0 : rec->MM * 100 + rec->DD;
            rec->WeekIndex = r->WeekIndex;
            rec->YoubiIndex = r->YoubiIndex;
            rec->HolidayKind = TssHolidayKind::hkWeekHoliday;
            list->push_back(rec.get());
            WeekHolidayTbl[std::size_t(++iWeekHolidayTblCount)] = std::move(rec);
        } catch (...) {
            break;
        }
    }
    std::stable_sort(list->begin(), list->end(), [](const TssHolidayRec* a, const TssHolidayRec* b) { return a->MMDD < b->MMDD; });
    return list;
}

void TssDate::FreeWeekHolidays() {
    for (auto& rec : WeekHolidayTbl) rec.reset();
    iWeekHolidayTblCount = -1;
}

std::unique_ptr<TssDate> NthWeekday(int Year, int Month, int N, int Weekday) {
    auto result = std::make_unique<TssDate>();
    TDateTime day;
    if (Weekday < 1 || Weekday > 7 || N < 1 || N > 5 || !TryEncodeDate(Year, Month, 1, day)) return result;
    for (int i = 0; i < 7 && DayOfWeek(day) != Weekday; ++i) day += 1;
    day += (N - 1) * 7;
    int y, m, d;
    DecodeDate(day, y, m, d);
    if (y == Year && m == Month) result->SetSeireki(y, m, d);
    return result;
}

// ---- formatting ----

void TssDate::FormatPartial(const String& Format, String& Result) const {
    int era, yy;
    GetEra(era, yy);
    const int y = YYYY(), m = MM(), d = DD();
    const int monthEnd = DaysInMonth(y, m);
    const bool atEnd = monthEnd != 0 && d == monthEnd;
    auto name = [](const String& text, const wchar_t* none) { return text.empty() ? String(none) : QuoteLiteral(text); };
    auto eraYear = [&](const wchar_t* blank, String number) { return yy < 1 ? String(blank) : number; };
    auto firstOr = [&](const wchar_t* blank, String number) { return yy == 1 ? String(SPartialFirstYear) : eraYear(blank, number); };
    auto field = [](int v, const wchar_t* blank, String number) { return v < 1 ? String(blank) : number; };
    auto endOr = [&](const wchar_t* blank, String number) { return atEnd ? String(SPartialMonthEnd) : field(d, blank, number); };

    struct Token { const wchar_t* token; String text; };
    const Token tokens[] = {
        {L"GGG", name(GetEraLongName(era), L"\u3000\u3000")},
        {L"GG", name(GetEraShortName(era), L"\u3000")},
        {L"G", name(GetEraInitial(era), L" ")},
        {L"FSTEE", firstOr(L"  ", IntToStrZero(yy, 2))},
        {L"FSTZE", firstOr(L"  ", WidthTwo(yy))},
        {L"FSTE", firstOr(L" ", IntToStr(yy))},
        {L"EE", eraYear(L"  ", IntToStrZero(yy, 2))},
        {L"ZE", eraYear(L"  ", WidthTwo(yy))},
        {L"E", eraYear(L" ", IntToStr(yy))},
        {L"YYYY", field(y, L"    ", IntToStrZero(y, 4))},
        {L"YY", field(y, L"  ", IntToStrZero(y % 100, 2))},
        {L"MM", field(m, L"  ", IntToStrZero(m, 2))},
        {L"ZM", field(m, L"  ", WidthTwo(m))},
        {L"M", field(m, L" ", IntToStr(m))},
        {L"LSTDD", endOr(L"  ", IntToStrZero(d, 2))},
        {L"LSTZD", endOr(L"  ", WidthTwo(d))},
        {L"LSTD", endOr(L" ", IntToStr(d))},
        {L"DD", field(d, L"  ", IntToStrZero(d, 2))},
        {L"ZD", field(d, L"  ", WidthTwo(d))},
        {L"D", field(d, L" ", IntToStr(d))},
    };
    String s = Format;
    // No replacement holds a letter outside quotes, so none is found again.
    for (const Token& t : tokens)
        for (int p; (p = QuotedPos(t.token, UpperCase(s))) > 0;) {
            SafeDelete(s, p, int(wcslen(t.token)));
            SafeInsert(t.text, s, p);
        }
    Result = s.empty() ? String() : StripQuotes(s);
}

// ---- setters ----

void TssDate::SetDateTime(TDateTime Value) {
    int y, m, d;
    TryDecodeDate(Value, y, m, d);  // zeros when it is no date
    SetYYYY(y);
    SetMM(m);
    SetDD(d);
}

void TssDate::SetNengoIndex(int Value) {
    if (Value < 1 || Value > GetEraCount()) {
        SetYYYY(0);
        return;
    }
    const int first = YearOf(GetEraStartDate(Value));
    const int year = YYYY();
    if (year > 99) {
        // A Western year: the era year stays and the era changes.
        int era, yy;
        GetEra(era, yy);
        if (Value != era) SetYYYY(first + yy - 1);
    } else {
        // No year yet, or a small number that stands for an era year.
        SetYYYY(year > 0 ? first + year - 1 : first);
    }
}

void TssDate::SetYYYY(int Value) { FYYYY = Value; }

void TssDate::SetYY(int Value) {
    if (YYYY() <= LastYearBeforeEras) {
        SetYYYY(Value);  // an era year until an era is set
        return;
    }
    // The era year the value itself reports: early in an era's first calendar year that is
    // still the previous era's (1989-01-07 is 昭和 64), not that of the year's new era.
    int era, current;
    GetEra(era, current);
    if (Value != current) SetYYYY(YYYY() + Value - current);
    if (!::IsLeapYear(YYYY()) && MM() == 2 && DD() == 29) SetDD(28);
}

void TssDate::SetMM(int Value) { FMM = Value; }

void TssDate::SetDD(int Value) { FDD = Value; }

void TssDate::SetSeirekiINT(int Value) {
    if (Value < 0) Value = 0;
    SetYYYY(Value / 10000);
    SetMM(Value % 10000 / 100);
    SetDD(Value % 100);
}

// ---- getters ----

TDateTime TssDate::DateTime() const {
    TDateTime d = 0;
    if (IsGoodYMD() && !TryEncodeDate(YYYY(), MM(), DD(), d)) d = 0;  // an override may accept more days
    return d;
}

int TssDate::SeirekiINT() const {
    if (YYYY() >= 10000 || MM() >= 100 || DD() >= 100) return 0;
    return int(YYYY() * 10000LL + MM() * 100LL + DD());
}

int TssDate::YYYY() const { return FYYYY; }

int TssDate::YY() const {
    int era, yy;
    GetEra(era, yy);
    return yy;
}

int TssDate::MM() const { return FMM; }

int TssDate::DD() const { return FDD; }

int TssDate::NengoIndex() const {
    int era, yy;
    GetEra(era, yy);
    return era;
}

String TssDate::NengoString() const { return GetEraLongName(NengoIndex()); }

String TssDate::NengoG() const { return GetEraInitial(NengoIndex()); }

String TssDate::NengoGG() const { return GetEraShortName(NengoIndex()); }

String TssDate::Youbi() const {
    int i = YoubiIndex();
    return i >= 1 && i <= 7 ? String(SYoubi[i - 1]) : String();
}

int TssDate::YoubiIndex() const {
    TDateTime d;
    return IsGoodYMD() && TryEncodeDate(YYYY(), MM(), DD(), d) ? DayOfWeek(d) : 0;
}

int TssDate::WeekIndex() const { return IsGoodYMD() ? (DD() + 6) / 7 : 0; }

bool TssDate::IsGoodYMD() const {
    return YYYY() >= 1 && YYYY() <= 9999 && MM() >= 1 && MM() <= 12 && DD() >= 1 && DD() <= DaysInMonth(YYYY(), MM());
}

bool TssDate::IsGoodYM() const { return YYYY() > LastYearBeforeEras && MM() >= 1 && MM() <= 12; }

bool TssDate::IsGoodMD() const { return MM() >= 1 && MM() <= 12 && DD() >= 1 && DD() <= DaysInMonth(YYYY(), MM()); }

bool TssDate::IsHoliday() const { return IsHolidayEx(true, true, true); }

bool TssDate::IsMatubi() const { return DD() != 0 && DD() == DaysInMonth(YYYY(), MM()); }

bool TssDate::IsLeapYear() const { return YYYY() != 0 && ::IsLeapYear(YYYY()); }

bool TssDate::IsEmpty() const { return YYYY() < 1 && MM() < 1 && DD() < 1; }

String TssDate::HolidayName() const {
    if (!IsHoliday()) return String();
    TssDate d = HolidayCopy(*this);
    if (!d.IsGoodYMD()) return String();
    return WithHoliday(*this, d, [&](const TssHolidayHit& hit) {
        if (hit.Between) {
            TssHolidayRec between{d.YYYY(), d.YYYY(), d.MM(), d.DD(), HolidayKey(d.MM(), d.DD())};
            between.HolidayKind = TssHolidayKind::hkKokumin;
            return CachedHolidayNames()->GetHolidayName(between, d.YYYY());
        }
        if (!hit.Rec) return String();  // a Sunday and nothing else
        if (hit.Substitute) return String(SSubstituteHoliday);
        return CachedHolidayNames()->GetHolidayName(*hit.Rec, d.YYYY());
    });
}

// ---- initialisers ----

TssDate& TssDate::Create() {
    Clear();
    return *this;
}

TssDate& TssDate::CreateFromDate(const TssDate& Date) {
    Clear();
    Assign(Date);
    return *this;
}

TssDate& TssDate::CreateFromDateTime(TDateTime DateTime) {
    Clear();
    SetDateTime(DateTime);
    return *this;
}

TssDate& TssDate::CreateFromWareki(int NengoIndex, int YY, int MM, int DD) {
    Clear();
    SetWareki(NengoIndex, YY, MM, DD);
    return *this;
}

TssDate& TssDate::CreateFromSeireki(int YYYY, int MM, int DD) {
    Clear();
    SetSeireki(YYYY, MM, DD);
    return *this;
}

TssDate& TssDate::CreateFromSeirekiINT(int SeirekiINT) {
    Clear();
    SetSeirekiINT(SeirekiINT);
    return *this;
}

TssDate& TssDate::CreateToday() {
    Clear();
    SetNowDate();
    return *this;
}

// ---- operations ----

int TssDate::Compare(const TssDate& Date) const {
    if (YYYY() != Date.YYYY()) return YYYY() - Date.YYYY();
    if (MM() != Date.MM()) return MM() - Date.MM();
    return DD() - Date.DD();
}

TssYMD TssDate::DiffDate(const TssDate& StartDate, TssDiffFormat DiffFormat, bool AddStartDD) const {
    using enum TssDiffFormat;
    const TssDate& a = *this;
    const TssDate& b = StartDate;
    auto agree = [](int x, int y) { return (x > 0) == (y > 0); };
    const bool years = agree(a.YYYY(), b.YYYY()), months = agree(a.MM(), b.MM()), days = agree(a.DD(), b.DD());
    bool ok = false;
    switch (DiffFormat) {
        case dfYMD: ok = a.IsGoodYMD() && b.IsGoodYMD(); break;
        case dfMD: ok = a.IsGoodMD() && b.IsGoodMD() && years; break;
        case dfD: ok = a.DD() > 0 && b.DD() > 0 && months && years; break;
        case dfYMplus: case dfYMminus: ok = a.IsGoodYM() && b.IsGoodYM() && days; break;
        case dfYplus: case dfYminus: ok = a.YYYY() > 0 && b.YYYY() > 0 && months && days; break;
        case dfMplus: case dfMminus: ok = a.MM() > 0 && b.MM() > 0 && years && days; break;
    }
    if (!ok) return {};

    const int sign = Compare(StartDate) < 0 ? -1 : 1;
    TssDate early(sign < 0 ? a : b);
    TssDate late(sign < 0 ? b : a);
    TssYMD r;
    switch (DiffFormat) {
        case dfYMD: {
            // W: the last monthly anniversary of early that is not after late.
            TssDate w(late);
            auto setDay = [&] {
                w.SetDD(early.DD());
                if (!w.IsGoodYMD()) {
                    w.SetDD(w.DaysInMonth(w.YYYY(), w.MM()));
                } else if (AddStartDD) {
                    w.SetDD(w.DD() == 1 ? w.DaysInMonth(w.YYYY(), w.MM()) : w.DD() - 1);
                }
            };
            setDay();
            if (w.Compare(late) > 0) {
                w.AddM(-1, false);
                setDay();
            }
            const bool wLast = w.IsMatubi();
            int py = late.YYYY(), pm = late.MM();
            AddMonthsWrap(-1, py, pm);
            const int lengthBefore = DaysInMonth(py, pm);
            auto dayCount = [&] {
                if (late.DD() < w.DD() || wLast) return late.DD() + (lengthBefore - w.DD());
                return late.DD() - w.DD();
            };
            if (!AddStartDD) r.D = wLast && late.IsMatubi() ? 0 : dayCount();
            else r.D = w.Compare(late) == 0 ? 0 : dayCount();

            r.M = AddStartDD && early.DD() == 1 && wLast ? 1 : 0;
            int wYear = w.YYYY();
            if (w.MM() < early.MM()) {
                r.M += w.MM() + 12 - early.MM();
                --wYear;
            } else {
                r.M += w.MM() - early.MM();
            }
            r.Y = wYear - early.YYYY();
            if (AddStartDD && r.M == 12) {
                ++r.Y;
                r.M = 0;
            }
            break;
        }
        case dfMD: {
            if (early.YYYY() <= 0) {
                early.SetYYYY(NoYear);
                late.SetYYYY(NoYear);
            }
            TssYMD ymd = late.DiffDate(early, dfYMD, AddStartDD);
            r.M = ymd.Y * 12 + ymd.M;
            r.D = ymd.D;
            break;
        }
        case dfD:
            if (early.MM() <= 0) {
                r.D = std::abs(late.DD() - early.DD()) + (AddStartDD ? 1 : 0);
            } else if (early.YYYY() <= 0) {
                TssYMD md = late.DiffDate(early, dfMD, AddStartDD);
                r.D = md.D;
                for (int k = 0; k < md.M; ++k) r.D += DaysInMonth(NoYear, (early.MM() - 1 + k) % 12 + 1);
            } else {
                if (!early.IsGoodYMD() || !late.IsGoodYMD()) return {};
                r.D = int(late.DateTime() - early.DateTime()) + (AddStartDD ? 1 : 0);
            }
            break;
        case dfYMplus: case dfYMminus: {
            if (early.DD() <= 0) {
                early.SetDD(1);
                late.SetDD(1);
            }
            TssYMD ymd = late.DiffDate(early, dfYMD, AddStartDD);
            if (DiffFormat == dfYMplus && ymd.D > 0) AddMonthsWrap(1, ymd.Y, ymd.M);
            r.Y = ymd.Y;
            r.M = ymd.M;
            break;
        }
        case dfYplus: case dfYminus: {
            for (TssDate* x : {&early, &late}) {
                if (x->MM() <= 0) x->SetMM(1);
                if (x->DD() <= 0) x->SetDD(1);
            }
            TssYMD ymd = late.DiffDate(early, dfYMD, AddStartDD);
            if (DiffFormat == dfYplus && (ymd.M > 0 || ymd.D > 0)) ++ymd.Y;
            r.Y = ymd.Y;
            break;
        }
        case dfMplus: case dfMminus: {
            for (TssDate* x : {&early, &late}) {
                if (x->YYYY() <= 0) x->SetYYYY(NoYear);
                if (x->DD() <= 0) x->SetDD(1);
            }
            TssYMD md = late.DiffDate(early, dfMD, AddStartDD);
            if (DiffFormat == dfMplus && md.D > 0) ++md.M;
            r.M = md.M;
            break;
        }
    }
    r.Y *= sign;
    r.M *= sign;
    r.D *= sign;
    return r;
}

void TssDate::AddY(int addY, bool AddStartDD) {
    if (addY == 0) return;
    SetYYYY(YYYY() + addY);
    if (AddStartDD && IsGoodYMD()) AddD(addY > 0 ? -1 : 1, false);
    ClampDay();
}

void TssDate::AddM(int addM, bool AddStartDD) {
    if (addM == 0) return;
    int y = YYYY(), m = MM();
    if (y > 0) y += addM / 12;
    AddMonthsWrap(addM % 12, y, m);
    SetYYYY(y);
    SetMM(m);
    if (AddStartDD && IsGoodMD()) AddD(addM > 0 ? -1 : 1, false);
    ClampDay();
}

void TssDate::AddD(int addD, bool AddStartDD) {
    if (MM() < 1) {
        // A day alone: it moves within 1..31.
        int d = DD() + addD;
        if (AddStartDD) d += addD >= 0 ? -1 : 1;
        SetDD(d < 1 ? 0 : d > 31 ? 31 : d);
        return;
    }
    if (addD == 0) return;
    int y = YYYY(), m = MM(), d = DD();
    if (addD > 0) {
        if (AddStartDD) --addD;
        int left = DaysInMonth(y, m) - d;
        while (left < addD) {
            addD -= left + 1;
            AddMonthsWrap(1, y, m);
            d = 1;
            left = DaysInMonth(y, m) - 1;
        }
        d += addD;
    } else {
        int back = AddStartDD ? std::abs(addD + 1) : std::abs(addD);
        while (back >= d) {
            back -= d;
            AddMonthsWrap(-1, y, m);
            d = DaysInMonth(y, m);
        }
        if (back != 0) d -= back;
    }
    SetYYYY(y);
    SetMM(m);
    SetDD(d);
}

void TssDate::Assign(const TssDate& Source) {
    SetYYYY(Source.YYYY());
    SetMM(Source.MM());
    SetDD(Source.DD());
}

String TssDate::DateString(const String& Format) const {
    if (IsGoodYMD()) return FormatEraDate(Format, DateTime());
    String result;
    FormatPartial(Format, result);
    return result;
}

void TssDate::SetGetumatu() { SetDD(DaysInMonth(YYYY(), MM())); }

void TssDate::SetNowDate() {
    int y, m, d;
    DecodeDate(::Date(), y, m, d);
    SetYYYY(y);
    SetMM(m);
    SetDD(d);
}

void TssDate::SetWareki(int NengoIndex, int YY, int MM, int DD) {
    // From an empty value the era puts its first year in place and the era year counts from
    // there; a date held before would make the era year count from that date's era instead.
    Clear();
    SetNengoIndex(NengoIndex);
    SetYY(YY);
    SetMM(MM);
    SetDD(DD);
}

void TssDate::SetSeireki(int YYYY, int MM, int DD) {
    SetYYYY(YYYY);
    SetMM(MM);
    SetDD(DD);
}

void TssDate::Clear() {
    SetYYYY(0);
    SetMM(0);
    SetDD(0);
}
