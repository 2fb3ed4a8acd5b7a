// Era look-ups on the process-wide era table, and era-aware formatting of complete dates.
#pragma once
#include "DateUtils.h"

// The era and era year of Date (which may carry a time); false, with every output 0, before the
// first era or for a value that is no date.
bool DateToEra(TDateTime Date, int& EraIndex, int& EraYear, int& Month, int& Day);
// The era a calendar year belongs to; a year in which an era begins belongs to the new era.
// Answers the era year, or 0 (and cleared outputs) before the first era's year.
int YearToEra(int Year, int& EraIndex, int& EraYear, String& LongName);

// Names and first day of era Index; empty text or 0 outside 1..GetEraCount().
String GetEraLongName(int Index);
String GetEraShortName(int Index);
String GetEraInitial(int Index);
TDateTime GetEraStartDate(int Index);
int GetEraCount();

// Formats a complete date. Besides the specifiers of FormatDateTime it knows, in either case:
//   GGG GG G              era long name, short name, initial
//   EE ZE E               era year in two digits, blank-padded to two, plain
//   FSTEE FSTZE FSTE      the same, but 元 in an era's first year
//   LSTDD LSTZD LSTD      the day, or 末 on the last day of the month
//   ZM ZD                 month and day blank-padded to two
// Tokens inside '...' or "..." are left alone.
String FormatEraDate(const String& Format, TDateTime DateTime);

// 1-based position of Token in Text outside quoted sections ('...' or "..."); 0 when absent or
// when an unclosed quote comes first. Callers pass both in upper case.
int QuotedPos(const String& Token, const String& Text);
// Text without the quote characters that open and close quoted sections.
String StripQuotes(const String& Text);
// Text in double quotes, to be copied as it is by the formatters. A double quote inside cannot
// be quoted that way and is dropped, or it would unbalance every later section.
String QuoteLiteral(const String& text);
