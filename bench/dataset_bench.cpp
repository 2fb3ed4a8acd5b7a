// The memory table at 10,000,000 narrow records (an integer and a 10-character string) against
// 10,000, in one run: MoveBy(1), RecNo := n, going to a bookmark, and a page of MoveBy(30), each
// with a data link of 30 buffers as a grid keeps. Then the heap a five-field record takes at
// 1,000,000 records, and appending them against filling a plain std::vector of the same structs.
// A random jump at 10,000,000 records misses the processor's caches where one at 10,000 does
// not; the same jump over a plain std::vector of the records measures that cost of the memory
// itself, and the jumps are also given against it.
#include <chrono>
#include <cstdio>
#include <cwchar>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "BenchArch.h"
#include "HeapUse.h"
#include "MemTable.h"
#include "NarrowTable.h"

namespace {
using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

// Nanoseconds per operation for each of the four moves.
struct TTimes {
    double MoveBy1, RecNo, Bookmark, Page;
};

TTimes Measure(TFDMemTable& t, int rounds) {
    TDataSource source(nullptr);
    source.SetDataSet(&t);
    TDataLink link;
    link.SetDataSource(&source);
    link.SetBufferCount(30);
    int count = t.RecordCount();
    std::mt19937 random(7);
    std::uniform_int_distribution<int> any(1, count);
    TTimes times{};
    long long sink = 0;

    t.SetRecNo(count / 2);
    auto start = Clock::now();
    for (int i = 0; i < rounds; ++i) {
        if (t.MoveBy(1) == 0) t.First();
        sink += t.RecNo();
    }
    times.MoveBy1 = Seconds(start) * 1e9 / rounds;

    start = Clock::now();
    for (int i = 0; i < rounds; ++i) {
        t.SetRecNo(any(random));
        sink += t.RecNo();
    }
    times.RecNo = Seconds(start) * 1e9 / rounds;

    std::vector<TBookmark> marks;
    for (int i = 0; i < 1000; ++i) {
        t.SetRecNo(any(random));
        marks.push_back(t.Bookmark());
    }
    start = Clock::now();
    for (int i = 0; i < rounds; ++i) {
        t.GotoBookmark(marks[std::size_t(i) % marks.size()]);
        sink += t.RecNo();
    }
    times.Bookmark = Seconds(start) * 1e9 / rounds;

    t.First();
    start = Clock::now();
    for (int i = 0; i < rounds; ++i) {
        if (t.MoveBy(30) < 30) t.First();
        sink += t.RecNo();
    }
    times.Page = Seconds(start) * 1e9 / rounds;
    if (sink == 42) std::printf(" ");
    return times;
}

// A jump to a random record of a plain vector, copying the 30 records from there as a data
// link's window does: what the memory alone costs at that size, in nanoseconds per jump.
double PlainJump(int count, int rounds) {
    struct TNarrow {
        int ID;
        wchar_t Name[11];
    };
    std::vector<TNarrow> records(std::size_t(count), TNarrow{1, L"name"});
    std::vector<TNarrow> window(30);
    std::mt19937 random(7);
    std::uniform_int_distribution<int> any(0, count - 30);
    long long sink = 0;
    auto start = Clock::now();
    for (int i = 0; i < rounds; ++i) {
        std::size_t at = std::size_t(any(random));
        for (std::size_t k = 0; k < window.size(); ++k) window[k] = records[at + k];
        sink += window[std::size_t(i) % 30].ID;
    }
    double ns = Seconds(start) * 1e9 / rounds;
    if (sink == 42) std::printf(" ");
    return ns;
}

struct TWide {
    int ID;
    wchar_t Name[21];
    double When;
    double Amount;
    bool Flag;
};

void FiveFields(int count) {
    long long before = HeapBytesInUse();
    auto start = Clock::now();
    {
        TFDMemTable t(nullptr);
        t.FieldDefs().Add(L"ID", TFieldType::ftInteger);
        t.FieldDefs().Add(L"Name", TFieldType::ftString, 20);
        t.FieldDefs().Add(L"When", TFieldType::ftDate);
        t.FieldDefs().Add(L"Amount", TFieldType::ftFloat);
        t.FieldDefs().Add(L"Flag", TFieldType::ftBoolean);
        t.CreateDataSet();
        TField* f[5];
        for (int k = 0; k < 5; ++k) f[k] = t.FieldList()[k];
        String name(20, L'x');
        for (int i = 0; i < count; ++i) {
            t.Append();
            f[0]->SetAsInteger(i);
            f[1]->SetAsString(name);
            f[2]->SetAsDateTime(40000 + i % 1000);
            f[3]->SetAsFloat(i * 0.5);
            f[4]->SetAsBoolean(i % 2 == 0);
            t.Post();
        }
        double appendSeconds = Seconds(start);
        long long bytes = HeapBytesInUse() - before;

        start = Clock::now();
        std::vector<TWide> plain;
        for (int i = 0; i < count; ++i) {
            TWide w{};
            w.ID = i;
            std::wmemcpy(w.Name, name.c_str(), 20);
            w.When = 40000 + i % 1000;
            w.Amount = i * 0.5;
            w.Flag = i % 2 == 0;
            plain.push_back(w);
        }
        double plainSeconds = Seconds(start);
        std::printf("five-field record at %d records: %.1f bytes per record (plain struct %u)\n", count,
                    double(bytes) / count, unsigned(sizeof(TWide)));
        std::printf("append %d five-field records: %.3f s, plain std::vector %.3f s, ratio %.1f\n", count,
                    appendSeconds, plainSeconds, appendSeconds / plainSeconds);
    }
}
}  // namespace

int main() {
    PrintBenchArchitecture();
    const int rounds = 200000;
    TTimes small, large;
    {
        auto t = NarrowTable(10000);
        small = Measure(*t, rounds);
    }
    {
        auto start = Clock::now();
        auto t = NarrowTable(10000000);
        std::printf("filled 10,000,000 narrow records in %.1f s\n", Seconds(start));
        large = Measure(*t, rounds);
    }
    auto line = [](const char* what, double a, double b) {
        std::printf("%-22s 10,000: %8.0f ns  10,000,000: %8.0f ns  ratio %.2f\n", what, a, b, b / a);
    };
    line("MoveBy(1)", small.MoveBy1, large.MoveBy1);
    line("RecNo := n", small.RecNo, large.RecNo);
    line("go to a bookmark", small.Bookmark, large.Bookmark);
    line("page of MoveBy(30)", small.Page, large.Page);
    double plainSmall = PlainJump(10000, rounds), plainLarge = PlainJump(10000000, rounds);
    line("plain vector jump", plainSmall, plainLarge);
    double memory = plainLarge / plainSmall;
    std::printf("RecNo := n against the memory's own cost: ratio %.2f\n", large.RecNo / small.RecNo / memory);
    std::printf("go to a bookmark against the memory's own cost: ratio %.2f\n",
                large.Bookmark / small.Bookmark / memory);
    FiveFields(1000000);
    return 0;
}
