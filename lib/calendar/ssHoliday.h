// Japanese public holidays as data: a built-in table of fixed-date holidays amended by the
// holiday file "Holiday.ini", equinox days by formula unless the file fixes them, and holiday
// names from the same file. The queries themselves are TssDate::IsHoliday and HolidayName.
// This unit finds the file and reads it through the profile reader; ssHolidayRules parses it.
#pragma once
#include <memory>

#include "ssHolidayRules.h"

extern const wchar_t* const HolidayFileBaseName;  // "Holiday.ini"
extern const wchar_t* const HolidayRegistryKey;   // "\Software\KVR\Common\Orvello" (local machine)
extern const wchar_t* const HolidayRegistryValue;  // "HolidayINI"

// The holiday file's full name, decided afresh on every call: the registry value (a folder
// when it ends in "\"), else "Holiday.ini" in the folder scheme's data folder (empty when
// there is none). The file need not exist.
String HolidayFileName();

// The process-wide rule table, created on first use. When creating it fails the exception
// passes and the next call tries again.
TssHoliday* GetHoliday();
const TssHolidayList& GetHolidayItems();
// Drops the process-wide table and every cached year list and name; the next query reads the
// holiday file again. Used when the file's location or rules have been changed on purpose.
void FreeHoliday();

// Caching of the year tables and of the names (on by default). Off, every query builds its year
// list and reads the names afresh; the answers are the same either way.
bool HolidayCacheEnabled();
void SetHolidayCacheEnabled(bool Value);

// TssHoliday::FindHoliday's answer for a plain date's year list, read from a table of its year
// (one entry per month and day) made once per year and rule table. Rec stays valid until the
// next holiday query.
TssHolidayHit CachedHoliday(int Year, int Month, int Day);
// The names of the current holiday file. They are read again only after a change was reported
// in the file's folder or in the registry around the value that names the file, or when the
// data folder in use changed; where the folder cannot be watched, on every call.
std::shared_ptr<const TssHolidayName> CachedHolidayNames();
