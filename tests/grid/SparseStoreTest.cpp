// The sparse record list against a plain vector that holds every entry.
#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

#include "SparseStore.h"

namespace {

using Reference = std::vector<std::optional<int>>;

void ListMove(Reference& ref, int from, int to) {
    auto item = ref[from];
    ref.erase(ref.begin() + from);
    ref.insert(ref.begin() + to, item);
}

// Every entry agrees, and iteration visits exactly the stored ones in ascending order.
void ExpectSame(TSparseStore<int>& store, const Reference& ref, const std::string& step) {
    ASSERT_EQ(store.Count(), int(ref.size())) << step;
    for (int i = 0; i < int(ref.size()); ++i) {
        const int* got = store.Find(i);
        ASSERT_EQ(got != nullptr, ref[i].has_value()) << step << " at " << i;
        if (got) {
            ASSERT_EQ(*got, *ref[i]) << step << " at " << i;
        }
    }
    std::vector<int> visited, expected;
    store.ForEach([&](int i, int&) { visited.push_back(i); });
    for (int i = 0; i < int(ref.size()); ++i)
        if (ref[i]) expected.push_back(i);
    ASSERT_EQ(visited, expected) << step;
}

TEST(SparseStore, MovesShiftTheEntriesBetween) {
    struct Case { int from, to; std::vector<int> expected; };  // -1: no record
    // Records 10, 11, 13 and 14 at indices 0, 1, 3, 4 of six entries.
    const Case cases[] = {
        {0, 4, {11, -1, 13, 14, 10, -1}},
        {4, 0, {14, 10, 11, -1, 13, -1}},
        {2, 5, {10, 11, 13, 14, -1, -1}},  // an absent entry moves too
        {5, 1, {10, -1, 11, -1, 13, 14}},
        {3, 3, {10, 11, -1, 13, 14, -1}},
        {1, 2, {10, -1, 11, 13, 14, -1}},
    };
    for (const Case& c : cases) {
        TSparseStore<int> store;
        store.SetCount(6);
        for (int i : {0, 1, 3, 4}) store.Ensure(i) = 10 + i;
        store.Move(c.from, c.to);
        Reference ref;
        for (int v : c.expected) ref.push_back(v < 0 ? std::nullopt : std::optional<int>(v));
        ExpectSame(store, ref, "move " + std::to_string(c.from) + " to " + std::to_string(c.to));
    }
}

TEST(SparseStore, IndicesOutsideAreRefusedOrAbsent) {
    TSparseStore<int> store;
    store.SetCount(3);
    store.Ensure(2) = 7;
    for (int i : {-1, 3, 1000}) {
        EXPECT_EQ(store.Find(i), nullptr) << i;
        EXPECT_THROW(store.Ensure(i), EListError) << i;
        EXPECT_THROW(store.Move(i, 0), EListError) << i;
        EXPECT_THROW(store.Move(0, i), EListError) << i;
    }
    EXPECT_THROW(store.SetCount(-1), EListError);
    EXPECT_EQ(store.Count(), 3);
    EXPECT_EQ(*store.Find(2), 7);
}

TEST(SparseStore, ShrinkingDropsTheTailAndGrowingAddsDefaults) {
    TSparseStore<int> store;
    store.SetCount(1000000);
    store.Ensure(999999) = 1;
    store.Ensure(5) = 2;
    store.SetCount(6);
    store.SetCount(1000000);
    EXPECT_EQ(store.Find(999999), nullptr);
    EXPECT_EQ(*store.Find(5), 2);
    EXPECT_EQ(store.StoredCount(), 1);
}

TEST(SparseStore, ForEachMayDropTheRecordItVisits) {
    TSparseStore<int> store;
    store.SetCount(10);
    for (int i = 0; i < 10; ++i) store.Ensure(i) = i;
    store.ForEach([&](int i, int& v) { if (v % 2) store.Erase(i); });
    std::vector<int> kept;
    store.ForEach([&](int i, int&) { kept.push_back(i); });
    EXPECT_EQ(kept, (std::vector<int>{0, 2, 4, 6, 8}));
}

TEST(SparseStore, RandomOperationsMatchAPlainList) {
    std::mt19937 rng(20261210);
    for (int round = 0; round < 20; ++round) {
        TSparseStore<int> store;
        Reference ref;
        for (int step = 0; step < 400; ++step) {
            int n = int(ref.size());
            auto pick = [&](int limit) { return int(rng() % unsigned(limit)); };
            std::string what;
            switch (pick(5)) {
                case 0: {
                    int count = pick(40);
                    what = "count " + std::to_string(count);
                    store.SetCount(count);
                    ref.resize(count);
                    break;
                }
                case 1:
                case 2:
                    if (!n) continue;
                    {
                        int i = pick(n), v = int(rng() % 1000);
                        what = "set " + std::to_string(i);
                        store.Ensure(i) = v;
                        ref[i] = v;
                    }
                    break;
                case 3:
                    if (!n) continue;
                    {
                        int i = pick(n);
                        what = "erase " + std::to_string(i);
                        store.Erase(i);
                        ref[i].reset();
                    }
                    break;
                default:
                    if (!n) continue;
                    {
                        int from = pick(n), to = pick(n);
                        what = "move " + std::to_string(from) + " to " + std::to_string(to);
                        store.Move(from, to);
                        ListMove(ref, from, to);
                    }
            }
            ExpectSame(store, ref, "round " + std::to_string(round) + ", " + what);
        }
    }
}

}  // namespace
