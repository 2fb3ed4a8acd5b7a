// TssDate: a Western-calendar date held as separate year, month and day, any of which may be
// absent (0), with Japanese-era views, arithmetic, differences and era-aware text.
#pragma once
#include <array>
#include <memory>
#include <vector>

#include "DateUtils.h"
#include "ssHoliday.h"

// Years, months and days between two dates.
struct TssYMD {
    int Y = 0;
    int M = 0;
    int D = 0;
    bool operator==(const TssYMD&) const = default;
};

enum class TssDiffFormat { dfYMD, dfMD, dfD, dfYMplus, dfYMminus, dfYplus, dfYminus, dfMplus, dfMminus };

// The three fields are stored unchecked; validity is asked through IsGoodYMD, IsGoodYM and
// IsGoodMD. Where a computation needs a year and there is none, 1998 (a common year) stands in.
// Every operation is virtual and internal calls go through them, so an override changes every
// operation that uses it. The virtual members are declared in a fixed order; keep it.
class TssDate : public TObject {
    SS_CLASS(TssDate, TObject)
protected:
    virtual int DaysInMonth(int Year, int Month) const;
    // Month += Delta (|Delta| <= 11), carrying into a positive year and never below year 0.
    virtual void AddMonthsWrap(int Delta, int& Year, int& Month) const;
    // A day past the month's end becomes the month's last day.
    virtual void ClampDay();
    virtual void GetEra(int& NengoIndex, int& YY) const;

public:
    // Holiday test against the rules of the process-wide holiday table (ssHoliday). A value
    // without a year is checked against this year's holidays but is never a Sunday.
    virtual bool IsHolidayEx(bool CheckSunday, bool CheckFixed, bool CheckSubstitute) const;
    // The holidays of Year sorted by MMDD: the fixed-date rules (range not checked), the two
    // equinox days and the weekday rules resolved for the year. The caller frees the list; its
    // records stay valid until this date builds another list or is destroyed. The holiday
    // queries of a derived date ask this for every year list, so an override takes effect; a
    // plain TssDate answers them from the year tables of ssHoliday, made from the same lists.
    virtual std::unique_ptr<TssHolidayList> BuildYearHolidays(int Year);
    virtual void FreeWeekHolidays();

protected:
    // Formats a value that may lack a year, month or day, replacing every token itself.
    virtual void FormatPartial(const String& Format, String& Result) const;

public:
    virtual void SetDateTime(TDateTime Value);
    virtual void SetNengoIndex(int Value);
    virtual void SetYYYY(int Value);
    virtual void SetYY(int Value);
    virtual void SetMM(int Value);
    virtual void SetDD(int Value);
    virtual void SetSeirekiINT(int Value);

    // The day number; 0 when the value is not a valid full date.
    virtual TDateTime DateTime() const;
    // yyyymmdd; 0 when a component does not fit its digits.
    virtual int SeirekiINT() const;
    virtual int YYYY() const;
    virtual int YY() const;  // era year
    virtual int MM() const;
    virtual int DD() const;
    virtual int NengoIndex() const;  // 1-based era, 0 for none
    virtual String NengoString() const;  // 平成
    virtual String NengoG() const;       // H
    virtual String NengoGG() const;      // 平
    virtual String Youbi() const;        // 日 .. 土, empty without a valid date
    virtual int YoubiIndex() const;      // 1 = Sunday .. 7 = Saturday, 0 without a valid date
    virtual int WeekIndex() const;       // week of the month by day number: days 1-7 give 1
    virtual bool IsGoodYMD() const;
    virtual bool IsGoodYM() const;
    virtual bool IsGoodMD() const;
    virtual bool IsHoliday() const;
    virtual bool IsMatubi() const;  // last day of its month
    virtual bool IsLeapYear() const;
    virtual bool IsEmpty() const;
    virtual String HolidayName() const;

    // Each initialiser first empties the value. The constructors below do the same work.
    virtual TssDate& Create();
    virtual TssDate& CreateFromDate(const TssDate& Date);
    virtual TssDate& CreateFromDateTime(TDateTime DateTime);
    virtual TssDate& CreateFromWareki(int NengoIndex, int YY, int MM, int DD);
    virtual TssDate& CreateFromSeireki(int YYYY, int MM, int DD);
    virtual TssDate& CreateFromSeirekiINT(int SeirekiINT);
    virtual TssDate& CreateToday();

    // Self minus Date for the first differing of year, month, day; 0 when equal.
    virtual int Compare(const TssDate& Date) const;
    // Self minus StartDate in the components DiffFormat asks for; (0, 0, 0) when the two values
    // do not have what the format needs. AddStartDD counts the start day as well.
    virtual TssYMD DiffDate(const TssDate& StartDate, TssDiffFormat DiffFormat, bool AddStartDD) const;
    // Calendar arithmetic. With AddStartDD the start day counts: today plus one day is today.
    virtual void AddY(int addY, bool AddStartDD);
    virtual void AddM(int addM, bool AddStartDD);
    virtual void AddD(int addD, bool AddStartDD);
    virtual void Assign(const TssDate& Source);
    // FormatEraDate for a valid full date, else FormatPartial.
    virtual String DateString(const String& Format) const;
    virtual void SetGetumatu();  // the last day of the month
    virtual void SetNowDate();
    virtual void SetWareki(int NengoIndex, int YY, int MM, int DD);
    virtual void SetSeireki(int YYYY, int MM, int DD);
    virtual void Clear();

    TssDate() = default;
    TssDate(const TssDate& Date) : FYYYY(Date.YYYY()), FMM(Date.MM()), FDD(Date.DD()) {}
    TssDate(int YYYY, int MM, int DD) : FYYYY(YYYY), FMM(MM), FDD(DD) {}
    TssDate& operator=(const TssDate& Source) {
        Assign(Source);
        return *this;
    }

protected:
    int FYYYY = 0;  // 0: no year
    int FMM = 0;    // 0: no month
    int FDD = 0;    // 0: no day

    // Working storage of BuildYearHolidays: the year's equinox days and its weekday holidays.
    // Mutable: the holiday queries, const themselves, build their lists through the virtual.
    mutable std::array<TssHolidayRec, 2> SyunbunTbl{};
    static constexpr int MaxWeekHolidays = 21;
    mutable std::array<std::unique_ptr<TssHolidayRec>, MaxWeekHolidays> WeekHolidayTbl;
    mutable int iWeekHolidayTblCount = -1;  // index of the last used entry
};

// The N-th (1..5) Weekday (1 = Sunday .. 7 = Saturday) of Month in Year; an empty date when the
// arguments are out of range or the day would fall outside Month.
std::unique_ptr<TssDate> NthWeekday(int Year, int Month, int N, int Weekday);
