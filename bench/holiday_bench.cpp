// Holiday queries per second over every day of 1900-2100, with the year tables and the name
// cache and without them, in one run; the ratio is what the caches buy. A cached name query
// still asks whether the holiday file or its registry value changed: one wait with no time-out,
// which under Wine is a round trip to its server and so depends on how busy the machine is.
#include <chrono>
#include <cstdio>
#include <vector>

#include "BenchArch.h"
#include "ssComFolder.h"
#include "ssDate.h"

namespace {

struct Result {
    double seconds = 0;
    long long queries = 0;
    long long holidays = 0;
    long long named = 0;
};

Result Run() {
    Result r;
    auto start = std::chrono::steady_clock::now();
    for (TDateTime day = EncodeDate(1900, 1, 1), last = EncodeDate(2100, 12, 31); day <= last; day += 1) {
        TssDate d;
        d.SetDateTime(day);
        if (d.IsHoliday()) ++r.holidays;
        if (!d.HolidayName().empty()) ++r.named;
        r.queries += 2;
    }
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return r;
}

void Print(const char* what, const Result& r) {
    std::printf("%-9s %8lld queries in %7.3f s: %10.0f queries/s (%lld holidays, %lld named)\n", what, r.queries,
                r.seconds, r.queries / r.seconds, r.holidays, r.named);
}

}  // namespace

// The folder holding Holiday.ini: the first argument, else the shipped file where the build
// puts it for the tests.
String Folder;

class TBenchFolders : public TssCommonFolder {
    SS_CLASS(TBenchFolders, TssCommonFolder)
public:
    String GetDataFolder() override { return Folder; }
};

int main(int argc, char** argv) {
    PrintBenchArchitecture();
    Folder = argc > 1 ? AnsiToString(argv[1]) : ExtractFilePath(ModuleFileName()) + L"..\\testdata\\calendar";
    TssCommonFolder::SetObject(std::make_unique<TBenchFolders>());
    std::printf("holiday file: %ls\n", HolidayFileName().c_str());
    // Alternating rounds, the fastest of each kept: a busy machine slows single rounds, and
    // under Wine every server round trip, by widely varying amounts.
    Result cached, uncached;
    for (int round = 0; round < 5; ++round) {
        SetHolidayCacheEnabled(true);  // which empties the caches
        Run();                         // loads the table and fills the caches
        Result c = Run();
        SetHolidayCacheEnabled(false);
        Result u = Run();
        if (round == 0 || c.seconds < cached.seconds) cached = c;
        if (round == 0 || u.seconds < uncached.seconds) uncached = u;
    }
    Print("cached", cached);
    Print("uncached", uncached);
    std::printf("ratio     %.1fx\n", (cached.queries / cached.seconds) / (uncached.queries / uncached.seconds));
    return 0;
}
