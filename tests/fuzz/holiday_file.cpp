// Holiday-file text (code page 932 bytes) as the rule table and the names read it.
#include <algorithm>
#include <array>
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
        // A year's answers under the law's rules, at both ends of the calendar and at a rule's year.
        for (int year : {1, 2019, 9999, items.front()->StartYear}) {
            if (!table.Law().ChangesDays() || year < 1 || year > 9999) continue;
            std::array<TssHolidayRec, 2> equinox{table.EquinoxHoliday(year, 3), table.EquinoxHoliday(year, 9)};
            TssHolidayList list(items.begin(), items.end());
            list.push_back(&equinox[0]);
            list.push_back(&equinox[1]);
            const TssHolidayYear hits = table.YearHits(list, year);
            // A substitute stands in for a holiday of the list.
            for (const TssHolidayHit& hit : hits)
                if (hit.Rec && std::find(list.begin(), list.end(), hit.Rec) == list.end()) __builtin_trap();
        }
    } catch (const EConvertError&) {
        // a malformed number: the file's fault, reported as such
    }
    return 0;
}
