// Grid axis queries at 1,000,000 entries against 1,000 entries, and against the plain walk over
// a dense array of extents at 1,000,000 entries, in one run. A query round is what a scroll
// asks: the layout for a first scrollable entry, the largest first entry, the entry under a
// pixel and the pixel distance a jump scrolls.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <vector>

#include "BenchArch.h"
#include "GridAxis.h"

namespace {

constexpr int Client = 600;

struct TSetup {
    TGridAxis Axis{24};
    std::vector<int> Dense;  // the same extents for the plain walk
};

// Count entries of 24 pixels with 1-pixel lines and one fixed entry; every Step-th entry from
// Step/2 on is custom, every fourth of those hidden.
TSetup Make(int count, int step) {
    TSetup s;
    (void)s.Axis.Resize(count);
    s.Axis.SetLineWidth(1);
    s.Axis.SetFixedCount(1);
    s.Dense.assign(count, 24);
    int n = 0;
    for (int i = step / 2; i < count; i += step, ++n) {
        int extent = n % 4 == 3 ? 0 : 10 + n % 50;
        (void)s.Axis.SetExtent(i, extent);
        s.Dense[i] = extent;
    }
    return s;
}

long long Round(const TGridAxis& axis, std::mt19937& random) {
    int count = axis.Count();
    std::uniform_int_distribution<int> index(1, count - 1);
    int first = index(random), target = index(random);
    TGridAxisView v = axis.View(first, Client, [](int) { return 1; });
    return v.LastFullCell + axis.MaxTopLeft(count - 1, Client, 1) + axis.CellAt(Client / 2, first) +
           axis.Distance(first, target);
}

// The same answers from walks over the dense array.
long long PlainRound(const std::vector<int>& dense, std::mt19937& random) {
    int count = static_cast<int>(dense.size());
    std::uniform_int_distribution<int> index(1, count - 1);
    int first = index(random), target = index(random);
    auto span = [&](int i) { return dense[i] == 0 ? 0 : dense[i] + 1; };
    long long fixedEnd = span(0), end = fixedEnd;
    int lastFull = first;
    for (int i = first; i < count; ++i) {
        end += span(i);
        if (end - (end > Client ? 1 : 0) > Client) break;  // only the 1-pixel line cut off still counts
        lastFull = i;
        if (end > Client) break;
    }
    long long budget = Client + 1;
    int maxTopLeft = count - 1;
    for (int i = count - 1; i >= 1; --i) {
        budget -= span(i);
        if (budget < fixedEnd) break;
        maxTopLeft = i;
    }
    int cell = -1;
    end = fixedEnd;
    for (int i = first; i < count && cell < 0; ++i)
        if ((end += span(i)) > Client / 2) cell = i;
    long long distance = 0;
    for (int i = std::min(first, target); i < std::max(first, target); ++i) distance += span(i);
    return lastFull + maxTopLeft + cell + (target < first ? -distance : distance);
}

template <class F>
double SecondsPerRound(int rounds, long long& check, F round) {
    std::mt19937 random(7);
    auto start = std::chrono::steady_clock::now();
    for (int r = 0; r < rounds; ++r) check += round(random);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / rounds;
}

double Engine(const TSetup& s, int rounds, long long& check) {
    return SecondsPerRound(rounds, check, [&](std::mt19937& random) { return Round(s.Axis, random); });
}

}  // namespace

int main() {
    PrintBenchArchitecture();
    long long check = 0, plainCheck = 0;
    const int rounds = 200000;
    for (int step : {250'000, 10}) {
        TSetup large = Make(1'000'000, step), small = Make(1'000, std::min(step, 250));
        Engine(large, rounds / 10, check);  // builds the index and warms the caches
        Engine(small, rounds / 10, check);
        double big = Engine(large, rounds, check), little = Engine(small, rounds, check);
        std::printf("%7zu and %4zu custom extents: %8.0f ns per round at 1,000,000 entries, %8.0f ns at 1,000\n",
                    large.Axis.StoredExtents(), small.Axis.StoredExtents(), big * 1e9, little * 1e9);
        std::printf("ratio 1,000,000 / 1,000 entries (%s): %.2f\n",
                    step > 1000 ? "goal within 1.5" : "every 10th custom, grows with log of the custom ones",
                    big / little);
        if (step > 1000) {
            long long engineCheck = 0;
            double plain = SecondsPerRound(200, plainCheck,
                                           [&](std::mt19937& random) { return PlainRound(large.Dense, random); });
            Engine(large, 200, engineCheck);
            if (engineCheck != plainCheck) std::printf("MISMATCH: the engine and the plain walk disagree\n");
            std::printf("%8.0f ns per round for the plain walk at 1,000,000 entries\n", plain * 1e9);
            std::printf("ratio plain walk / engine at 1,000,000 entries: %.0f\n", plain / big);
        }
    }
    return check == 42 ? 1 : 0;  // keeps the rounds from being optimised away
}
