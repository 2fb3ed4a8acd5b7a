// Holiday-file text (code page 932 bytes) as the rule table and the names read it.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "SysUtils.h"
#include "ssHolidayRules.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const THolidaySectionReader sections = HolidayTextReader(AnsiToString(AnsiString(reinterpret_cast<const char*>(data), size)));
    try {
        TssHoliday table(sections);
        // Whatever was read, the table stays inside its 50 entries and its items stay sorted.
        const TssHolidayList& items = table.items();
        if (table.Count() < TssHoliday::DefaultHolidayCount || table.Count() > TssHoliday::TableSize) __builtin_trap();
        if (!std::is_sorted(items.begin(), items.end(), [](auto a, auto b) { return a->MMDD < b->MMDD; })) __builtin_trap();
        TssHolidayName names(sections);
        for (const TssHolidayRec* r : items) names.GetHolidayName(*r, r->StartYear);
    } catch (const EConvertError&) {
        // a malformed number: the file's fault, reported as such
    }
    return 0;
}
