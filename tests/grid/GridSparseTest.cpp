// The sparse containers behind the string grid, natively and under Wine.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>
#include <vector>

#include "ssGridSparse.h"

namespace {

void* P(std::intptr_t v) { return reinterpret_cast<void*>(v); }

// What a sparse list should hold: a plain vector of its first Count slots.
struct Model {
    std::vector<void*> Slots;
    int Count = 0;
    void* Get(int i) const { return i < int(Slots.size()) ? Slots[i] : nullptr; }
    void Set(int i, void* v) {
        if (i >= int(Slots.size())) Slots.resize(i + 1);
        Slots[i] = v;
    }
    int Highest() const {
        for (int i = int(Slots.size()) - 1; i >= 0; --i)
            if (Slots[i]) return i;
        return -1;
    }
    void Put(int i, void* v) {
        Set(i, v);
        Count = Highest() + 1;
    }
    void Insert(int i, void* v) {
        if (i < int(Slots.size())) Slots.insert(Slots.begin() + i, v);
        else Set(i, v);
        Count = std::max(Count, i) + 1;
    }
    void Delete(int i) {
        if (i < 0 || i >= Count) return;
        if (i < int(Slots.size())) Slots.erase(Slots.begin() + i);
        --Count;
    }
};

void ExpectSame(const TSparseList& list, const Model& m, int upTo) {
    ASSERT_EQ(list.Count(), m.Count);
    for (int i = 0; i < upTo; ++i) ASSERT_EQ(list.Get(i), m.Get(i)) << "index " << i;
}

}  // namespace

TEST(SparsePointerArray, HighBoundFollowsStoredItems) {
    struct Step { int index; std::intptr_t item; int highBound; };
    const Step steps[] = {
        {3, 0, -1},    // null into an empty slot: nothing made
        {3, 1, 3},     {40, 2, 40}, {17, 3, 40},
        {40, 0, 17},   // the top item goes: down to the next one
        {17, 0, 3},    {3, 0, -1},
    };
    TSparsePointerArray a(TSPAQuantum::SPASmall);
    for (const Step& s : steps) {
        a.PutAt(s.index, P(s.item));
        EXPECT_EQ(a.HighBound(), s.highBound) << "after put at " << s.index;
        EXPECT_EQ(a.GetAt(s.index), P(s.item));
    }
    EXPECT_EQ(a.ForAll([](int, void*) { return 1; }), 0);  // nothing left
}

TEST(SparsePointerArray, EveryIndexHasItsOwnSlotBeyondTheOld16BitLimit) {
    struct Case { TSPAQuantum q; std::vector<int> indices; };
    const Case cases[] = {
        {TSPAQuantum::SPASmall, {0, 1, 1048559, 1048560, 1048575, 1048576, 1048577, 2000000}},
        {TSPAQuantum::SPALarge, {0, 255, 256, 16777215, 16777216, 16777217, 134217727}},
    };
    for (const Case& c : cases) {
        TSparsePointerArray a(c.q);
        for (int i : c.indices) a.PutAt(i, P(i + 1));
        for (int i : c.indices) EXPECT_EQ(a.GetAt(i), P(i + 1)) << i;
        EXPECT_EQ(a.HighBound(), c.indices.back());
        std::vector<int> seen;
        a.ForAll([&](int i, void* item) {
            EXPECT_EQ(item, P(i + 1));
            seen.push_back(i);
            return 0;
        });
        EXPECT_EQ(seen, c.indices);
    }
}

TEST(SparsePointerArray, ForAllStopsAtTheFirstNonZeroResult) {
    TSparsePointerArray a(TSPAQuantum::SPASmall);
    for (int i : {5, 9, 300}) a.PutAt(i, P(i));
    int calls = 0;
    EXPECT_EQ(a.ForAll([&](int i, void*) { return ++calls, i == 9 ? 7 : 0; }), 7);
    EXPECT_EQ(calls, 2);
}

TEST(SparseList, NegativeIndicesRaiseTheListIndexError) {
    TSparseList l(TSPAQuantum::SPASmall);
    for (auto op : {+[](TSparseList& l) { l.Get(-1); }, +[](TSparseList& l) { l.Put(-1, P(1)); },
                    +[](TSparseList& l) { l.Insert(-1, P(1)); }}) {
        try {
            op(l);
            ADD_FAILURE() << "no error";
        } catch (const EListError& e) {
            EXPECT_EQ(e.Message(), L"リストのインデックスが範囲を超えています (-1)");
        }
    }
    l.Delete(-1);  // nothing
    l.Delete(0);
    EXPECT_EQ(l.Count(), 0);
}

// Insert, delete, exchange and move against a plain vector, across section boundaries and
// with gaps, for both quanta.
TEST(SparseList, OperationsMatchAPlainList) {
    for (TSPAQuantum q : {TSPAQuantum::SPASmall, TSPAQuantum::SPALarge}) {
        const int range = q == TSPAQuantum::SPASmall ? 70 : 700;
        std::mt19937 rng(17);
        auto pick = [&](int n) { return int(rng() % unsigned(n)); };
        TSparseList list(q);
        Model m;
        for (int step = 0; step < 3000; ++step) {
            const int i = pick(range), j = pick(range);
            void* item = pick(4) == 0 ? nullptr : P(step + 1);
            switch (pick(5)) {
                case 0: list.Put(i, item); m.Put(i, item); break;
                case 1: list.Insert(i, item); m.Insert(i, item); break;
                case 2: list.Delete(i); m.Delete(i); break;
                case 3: {
                    list.Exchange(i, j);
                    void* a = m.Get(i);
                    m.Put(i, m.Get(j));
                    m.Put(j, a);
                    break;
                }
                case 4:
                    if (i != j) {
                        void* a = m.Get(i);
                        m.Delete(i);
                        m.Insert(j, a);
                    }
                    list.Move(i, j);
                    break;
            }
            ExpectSame(list, m, range + 2);
            if (HasFatalFailure()) return;
        }
    }
}

TEST(SparseList, MovingTheFirstOfAMillionToTheLast) {
    TSparseList l(TSPAQuantum::SPASmall);
    const int n = 1000000;
    for (int i : {0, 1, 15, 16, 500000, n - 1}) l.Put(i, P(i + 1));
    l.Move(0, n - 1);
    EXPECT_EQ(l.Count(), n);
    EXPECT_EQ(l.Get(n - 1), P(1));
    EXPECT_EQ(l.Get(n - 2), P(n));
    EXPECT_EQ(l.Get(0), P(2));
    EXPECT_EQ(l.Get(14), P(16));
    EXPECT_EQ(l.Get(15), P(17));
    EXPECT_EQ(l.Get(1), nullptr);
    l.Move(n - 1, 0);
    EXPECT_EQ(l.Get(0), P(1));
    EXPECT_EQ(l.Get(n - 1), P(n));
}

TEST(StringSparseList, StoresOnlyLinesWithTextOrObject) {
    TStringSparseList s(TSPAQuantum::SPASmall);
    int changes = 0;
    s.OnChange = [&](TObject*) { ++changes; };
    TObject o;
    s.Put(4, L"");  // nothing stored, still a change
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(s.Count(), 0);
    s.SetObjects(2, nullptr);
    EXPECT_EQ(s.Count(), 0);
    s.Put(3, L"x");
    s.SetObjects(3, &o);
    s.Put(3, L"");  // the object keeps the line
    EXPECT_EQ(s.Count(), 4);
    EXPECT_EQ(s.Objects(3), &o);
    s.SetObjects(5, &o);  // a new line with empty text
    EXPECT_EQ(s.Count(), 6);
    EXPECT_EQ(s.Get(5), L"");
    s.Put(1, L"a");
    s.Exchange(1, 5);
    EXPECT_EQ(s.Get(5), L"a");
    EXPECT_EQ(s.Objects(1), &o);
    s.Insert(0, L"first");
    EXPECT_EQ(s.Get(6), L"a");
    s.Move(6, 0);
    EXPECT_EQ(s.Get(0), L"a");
    EXPECT_EQ(s.Get(1), L"first");
    s.Delete(0);
    EXPECT_EQ(s.Get(0), L"first");
    EXPECT_EQ(s.Count(), 6);
    EXPECT_EQ(changes, 11);
    s.BeginUpdate();
    s.Clear();
    EXPECT_EQ(changes, 11);
    s.EndUpdate();
    EXPECT_EQ(changes, 12);
    EXPECT_EQ(s.Count(), 0);
    EXPECT_EQ(s.Get(3), L"");
    EXPECT_THROW(s.Get(-1), EListError);
}
