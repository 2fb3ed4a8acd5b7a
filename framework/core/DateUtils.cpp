#include "DateUtils.h"

#include <cmath>

namespace {

constexpr long long MSecsPerDay = 86400000;
constexpr int UnixToDateDelta = 25569;  // 1970-01-01 is day 25569

// Days since 1970-01-01 of a proleptic Gregorian date (valid for any year).
long long DaysFromCivil(long long y, int m, int d) {
    y -= m <= 2;
    long long era = (y >= 0 ? y : y - 399) / 400;
    long long yoe = y - era * 400;
    long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(long long z, int& y, int& m, int& d) {
    z += 719468;
    long long era = (z >= 0 ? z : z - 146096) / 146097;
    long long doe = z - era * 146097;
    long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    long long mp = (5 * doy + 2) / 153;
    d = int(doy - (153 * mp + 2) / 5 + 1);
    m = int(mp < 10 ? mp + 3 : mp - 9);
    y = int(yoe + era * 400 + (m <= 2));
}

// A value rounded to the millisecond, split into its day and the milliseconds of that day. The
// fraction of a value before 1899-12-30 counts forward from midnight as well (-1.25 is
// 1899-12-29 06:00), so the day is the truncated whole part.
struct TTimeStamp {
    long long Days;
    long long MSecs;
};

bool ToTimeStamp(TDateTime v, TTimeStamp& ts) {
    if (!(std::fabs(v) < 1e7)) return false;  // also NaN
    long long total = std::llround(v * double(MSecsPerDay));
    ts.Days = total / MSecsPerDay;
    ts.MSecs = (total < 0 ? -total : total) % MSecsPerDay;
    if (ts.Days < (long long)MinDateTime || ts.Days > (long long)MaxDateTime) return false;
    return true;
}

void AppendNumber(String& out, long long v, int digits) {
    String s = std::to_wstring(v < 0 ? -v : v);
    if (int(s.size()) < digits) s.insert(0, std::size_t(digits) - s.size(), L'0');
    if (v < 0) out += L'-';
    out += s;
}

const wchar_t* const ShortDayNames[] = {L"日", L"月", L"火", L"水", L"木", L"金", L"土"};
const wchar_t* const LongDayNames[] = {L"日曜日", L"月曜日", L"火曜日", L"水曜日", L"木曜日", L"金曜日", L"土曜日"};

}  // namespace

bool IsLeapYear(int Year) { return Year % 4 == 0 && (Year % 100 != 0 || Year % 400 == 0); }

int DaysInAMonth(int Year, int Month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (Month < 1 || Month > 12) return 0;
    return Month == 2 && IsLeapYear(Year) ? 29 : days[Month - 1];
}

bool IsValidDate(int Year, int Month, int Day) {
    return Year >= 1 && Year <= 9999 && Month >= 1 && Month <= 12 && Day >= 1 && Day <= DaysInAMonth(Year, Month);
}

bool TryEncodeDate(int Year, int Month, int Day, TDateTime& Date) {
    if (!IsValidDate(Year, Month, Day)) return false;
    Date = TDateTime(DaysFromCivil(Year, Month, Day) + UnixToDateDelta);
    return true;
}

TDateTime EncodeDate(int Year, int Month, int Day) {
    TDateTime d;
    if (!TryEncodeDate(Year, Month, Day, d))
        throw EConvertError(Format(L"日付が無効です (%d/%d/%d)", {(long long)Year, (long long)Month, (long long)Day}));
    return d;
}

bool TryEncodeTime(int Hour, int Min, int Sec, int MSec, TDateTime& Time) {
    if (Hour < 0 || Hour > 23 || Min < 0 || Min > 59 || Sec < 0 || Sec > 59 || MSec < 0 || MSec > 999) return false;
    Time = ((Hour * 3600000LL) + Min * 60000LL + Sec * 1000LL + MSec) / double(MSecsPerDay);
    return true;
}

TDateTime EncodeTime(int Hour, int Min, int Sec, int MSec) {
    TDateTime t;
    if (!TryEncodeTime(Hour, Min, Sec, MSec, t))
        throw EConvertError(Format(L"時刻が無効です (%d:%d:%d.%d)",
                                   {(long long)Hour, (long long)Min, (long long)Sec, (long long)MSec}));
    return t;
}

bool TryDecodeDate(TDateTime DateTime, int& Year, int& Month, int& Day) {
    Year = Month = Day = 0;
    TTimeStamp ts;
    if (!ToTimeStamp(DateTime, ts)) return false;
    CivilFromDays(ts.Days - UnixToDateDelta, Year, Month, Day);
    return true;
}

void DecodeDate(TDateTime DateTime, int& Year, int& Month, int& Day) { TryDecodeDate(DateTime, Year, Month, Day); }

void DecodeTime(TDateTime DateTime, int& Hour, int& Min, int& Sec, int& MSec) {
    Hour = Min = Sec = MSec = 0;
    TTimeStamp ts;
    if (!ToTimeStamp(DateTime, ts)) return;
    Hour = int(ts.MSecs / 3600000);
    Min = int(ts.MSecs / 60000 % 60);
    Sec = int(ts.MSecs / 1000 % 60);
    MSec = int(ts.MSecs % 1000);
}

int DayOfWeek(TDateTime DateTime) {
    TTimeStamp ts;
    if (!ToTimeStamp(DateTime, ts)) return 0;
    return int(((ts.Days % 7 + 7) % 7 + 6) % 7) + 1;  // day 0 was a Saturday
}

int YearOf(TDateTime DateTime) {
    int y, m, d;
    DecodeDate(DateTime, y, m, d);
    return y;
}

TDateTime DateOf(TDateTime DateTime) { return std::trunc(DateTime); }

String FormatDateTime(const String& Format, TDateTime DateTime) {
    int year, month, day, hour, min, sec, msec;
    DecodeDate(DateTime, year, month, day);
    DecodeTime(DateTime, hour, min, sec, msec);
    String out;
    wchar_t last = 0;  // the previous specifier letter, upper case
    std::size_t i = 0;
    const std::size_t n = Format.size();
    while (i < n) {
        wchar_t starter = Format[i];
        if (starter == L'\'' || starter == L'"') {
            std::size_t close = Format.find(starter, i + 1);
            if (close == String::npos) close = n;
            out.append(Format, i + 1, close - i - 1);
            i = close + 1;
            continue;
        }
        wchar_t token = (starter >= L'a' && starter <= L'z') ? wchar_t(starter - 32) : starter;
        if (token < L'A' || token > L'Z') {
            out += starter;
            ++i;
            continue;
        }
        if (token == L'M' && last == L'H') token = L'N';
        last = token;
        // A run of the same letter, as written, forms one specifier.
        int count = 1;
        while (i + count < n && Format[i + count] == starter) ++count;
        switch (token) {
            case L'Y':
                if (count <= 2) AppendNumber(out, year % 100, 2);
                else AppendNumber(out, year, 4);
                break;
            case L'M':
                if (count <= 2) AppendNumber(out, month, count);
                else if (month >= 1) out += std::to_wstring(month) + L"月";
                break;
            case L'D':
                if (count <= 2) AppendNumber(out, day, count);
                else if (month >= 1) out += (count == 3 ? ShortDayNames : LongDayNames)[DayOfWeek(DateTime) - 1];
                break;
            case L'H': AppendNumber(out, hour, count > 1 ? 2 : 1); break;
            case L'N': AppendNumber(out, min, count > 1 ? 2 : 1); break;
            case L'S': AppendNumber(out, sec, count > 1 ? 2 : 1); break;
            case L'Z': AppendNumber(out, msec, count >= 3 ? 3 : 1); break;
            case L'E': AppendNumber(out, year, count > 1 ? 2 : 1); break;
            case L'G': break;
            default: out.append(std::size_t(count), starter); break;
        }
        i += std::size_t(count);
    }
    return out;
}
