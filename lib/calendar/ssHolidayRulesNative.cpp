// The holiday file in the native build: its code page 932 text, read whole.
#include <fstream>
#include <iterator>

#include "SysUtils.h"
#include "ssHolidayRules.h"

THolidaySectionReader HolidayFileReader(const String& FileName) {
    // A missing or unreadable file reads as no text, so it contributes no section.
    std::ifstream file(StringToAnsi(FileName), std::ios::binary);
    return HolidayTextReader(AnsiToString(AnsiString(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>())));
}
