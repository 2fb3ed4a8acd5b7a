// Gregorian dates as TDateTime values and the framework's date-time formatter. Pure arithmetic:
// no Windows header, so that it also builds natively.
#pragma once
#include "SysUtils.h"

// The days that decode: 0001-01-01 to 9999-12-31 (with any time of those days).
constexpr TDateTime MinDateTime = -693593.0;
constexpr TDateTime MaxDateTime = 2958465.99999999;

bool IsLeapYear(int Year);
// Days of Month in Year; 0 for a month outside 1..12.
int DaysInAMonth(int Year, int Month);
bool IsValidDate(int Year, int Month, int Day);  // year 1..9999

bool TryEncodeDate(int Year, int Month, int Day, TDateTime& Date);
TDateTime EncodeDate(int Year, int Month, int Day);  // EConvertError for an invalid date
bool TryEncodeTime(int Hour, int Min, int Sec, int MSec, TDateTime& Time);
TDateTime EncodeTime(int Hour, int Min, int Sec, int MSec);  // EConvertError for an invalid time

// False (and zeros) for a value whose day lies outside that range, or not a number.
bool TryDecodeDate(TDateTime DateTime, int& Year, int& Month, int& Day);
void DecodeDate(TDateTime DateTime, int& Year, int& Month, int& Day);
void DecodeTime(TDateTime DateTime, int& Hour, int& Min, int& Sec, int& MSec);

// The year of DateTime's day.
int YearOf(TDateTime DateTime);
// 1 = Sunday to 7 = Saturday.
int DayOfWeek(TDateTime DateTime);
// The day without its time of day (midnight of the same day, also before 1899-12-30).
TDateTime DateOf(TDateTime DateTime);

// Renders DateTime through Format. Specifiers, letters in either case:
//   d dd ddd dddd   day, two digits, short and long weekday name
//   m mm mmm mmmm   month, two digits, month name (m right after h is minutes)
//   yy yyyy         year in two or four digits
//   h hh n nn s ss  hour, minute, second; z zzz milliseconds
//   e ee g gg       era year and era name of the platform's calendar, which has no eras: the
//                   year and empty text
// Text between '...' or "..." is copied without the quotes; every other character is copied.
String FormatDateTime(const String& Format, TDateTime DateTime);
