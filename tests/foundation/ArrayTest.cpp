#include <gtest/gtest.h>

#include "ssArray.h"

namespace {

// Counts how often each instance is freed.
class TTracked : public TObject {
    SS_CLASS(TTracked, TObject)
public:
    TTracked(int value, std::vector<int>& freed) : Value(value), FFreed(freed) {}
    ~TTracked() override { FFreed.push_back(Value); }
    int Value;

private:
    std::vector<int>& FFreed;
};

int CompareValues(TObject* a, TObject* b) {
    return static_cast<TTracked*>(a)->Value - static_cast<TTracked*>(b)->Value;
}

class OwningArray : public ::testing::Test {
protected:
    TTracked* Make(int v) { return new TTracked(v, freed); }
    std::vector<int> freed;
};

TEST_F(OwningArray, FreesEachObjectExactlyOnce) {
    {
        TssArray a;
        a.SetIsOwner(true);
        for (int v : {0, 1, 2, 3, 4, 5}) a.Add(Make(v));
        EXPECT_EQ(a.Delete(1), nullptr);            // freed, nil answered
        TTracked outsider(99, freed);
        EXPECT_EQ(a.Remove(&outsider), -1);         // not held: not freed
        EXPECT_EQ(a.Remove(a.GetObject(0)), 0);     // held: freed
        a.SetCount(3);                              // [2, 3, 4, 5]: frees the tail
        EXPECT_EQ(freed, (std::vector<int>{1, 0, 5}));
        a.SetCount(5);                              // grows with nil
        EXPECT_EQ(a.GetObject(4), nullptr);
    }
    std::sort(freed.begin(), freed.end());
    EXPECT_EQ(freed, (std::vector<int>{0, 1, 2, 3, 4, 5, 99}));
}

TEST_F(OwningArray, ClearFreesAndANonOwningArrayNever) {
    TssArray owning;
    owning.SetIsOwner(true);
    owning.Add(Make(1));
    owning.Add(nullptr);
    owning.Add(Make(2));
    owning.Clear();
    EXPECT_EQ(owning.Count(), 0);
    EXPECT_EQ(freed, (std::vector<int>{1, 2}));

    TTracked kept(3, freed);
    {
        TssArray plain;
        plain.Add(&kept);
        EXPECT_EQ(plain.Delete(0), &kept);
        plain.Add(&kept);
    }
    EXPECT_EQ(freed.size(), 2u);
}

TEST_F(OwningArray, FindSkipsNilAndPassesTheEntryFirst) {
    TssArray a;
    a.SetIsOwner(true);
    a.Add(nullptr);
    a.Add(Make(5));
    a.Add(nullptr);
    a.Add(Make(7));
    TTracked probe(7, freed);
    static std::vector<TObject*> firstArgs;
    firstArgs.clear();
    auto compare = [](TObject* entry, TObject* item) {
        EXPECT_NE(entry, nullptr);
        firstArgs.push_back(entry);
        return CompareValues(entry, item);
    };
    EXPECT_EQ(a.Find(&probe, compare), 3);
    EXPECT_EQ(firstArgs, (std::vector<TObject*>{a.GetObject(1), a.GetObject(3)}));
    TTracked none(8, freed);
    EXPECT_EQ(a.Find(&none, compare), -1);
}

TEST_F(OwningArray, SortsWithTheCallback) {
    TssArray a;
    a.SetIsOwner(true);
    for (int v : {3, 1, 2}) a.Add(Make(v));
    a.Sort(CompareValues);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(static_cast<TTracked*>(a.GetObject(i))->Value, i + 1);
}

// Exposes the protected pack with notification.
class TPackable : public TssArray {
    SS_CLASS(TPackable, TssArray)
public:
    using TssArray::PackNotify;
};

TEST(Arrays, PackNotifyReportsNilEntriesThenPacks) {
    TObject a, b;
    TPackable ary;
    for (TObject* o : {&a, static_cast<TObject*>(nullptr), &b, static_cast<TObject*>(nullptr)}) ary.Add(o);
    std::vector<int> reported;
    ary.PackNotify([&](int i) { reported.push_back(i); });
    EXPECT_EQ(reported, (std::vector<int>{1, 3}));
    ASSERT_EQ(ary.Count(), 2);
    EXPECT_EQ(ary.GetObject(0), &a);
    EXPECT_EQ(ary.GetObject(1), &b);
}

TEST(Arrays, FirstAndLastOnAnEmptyArray) {
    TssArray a;
    EXPECT_EQ(a.First(), nullptr);
    EXPECT_EQ(a.Last(), nullptr);
    TObject x, y;
    a.Add(&x);
    a.Add(&y);
    EXPECT_EQ(a.First(), &x);
    EXPECT_EQ(a.Last(), &y);
    EXPECT_EQ(a.Insert(1, &x), 1);
    EXPECT_EQ(a.IndexOf(&y), 2);
}

TEST(Arrays, ListErrorsCarryTheirTexts) {
    TssArray a;
    TObject x;
    a.Add(&x);
    struct Case { std::function<void()> call; String text; };
    const Case cases[] = {
        {[&] { a.GetItem(1); }, L"リストのインデックスが範囲を超えています (1)"},
        {[&] { a.PutItem(-1, &x); }, L"リストのインデックスが範囲を超えています (-1)"},
        {[&] { a.Delete(5); }, L"リストのインデックスが範囲を超えています (5)"},
        {[&] { a.Insert(2, &x); }, L"リストのインデックスが範囲を超えています (2)"},
        {[&] { a.Exchange(0, 3); }, L"リストのインデックスが範囲を超えています (3)"},
        {[&] { a.SetCapacity(0); }, L"リストの容量が超えました (0)"},
        {[&] { a.SetCount(-1); }, L"リストの個数を超えました (-1)"},
    };
    for (const Case& c : cases) {
        try {
            c.call();
            ADD_FAILURE() << "no exception";
        } catch (const EListError& e) {
            EXPECT_EQ(e.Message(), c.text);
        }
    }
}

TEST(Iterators, WalkForwardAndBackward) {
    TObject o0, o1, o2;
    TssArray a;
    for (TObject* o : {&o0, &o1, &o2}) a.Add(o);
    auto it = a.CreateIterator();
    std::vector<TObject*> seen;
    while (TObject* o = it->Next()) seen.push_back(o);
    EXPECT_EQ(seen, (std::vector<TObject*>{&o0, &o1, &o2}));
    EXPECT_EQ(it->Next(), nullptr);

    it->SetReverse(true);
    seen.clear();
    while (TObject* o = it->Prev()) seen.push_back(o);
    EXPECT_EQ(seen, (std::vector<TObject*>{&o2, &o1, &o0}));
    EXPECT_EQ(it->First(), &o0);
    EXPECT_EQ(it->Last(), &o2);

    TssArray empty;
    auto none = empty.CreateIterator();
    EXPECT_FALSE(none->HasNext());
    EXPECT_EQ(none->First(), nullptr);
    EXPECT_EQ(none->Last(), nullptr);
}

TEST(Iterators, TheBaseRaisesForWhatItDoesNotProvide) {
    TssIterator base;
    struct Case { std::function<void()> call; String text; };
    const Case cases[] = {
        {[&] { base.hasPrev(); }, L"hasPrev is not implemented"},
        {[&] { base.First(); }, L"First is not implemented"},
        {[&] { base.Prev(); }, L"Prev is not implemented"},
        {[&] { base.Last(); }, L"Last is not implemented"},
    };
    for (const Case& c : cases) {
        try {
            c.call();
            ADD_FAILURE() << "no exception";
        } catch (const EssIterator& e) {
            EXPECT_EQ(e.Message(), c.text);
        }
    }
    EXPECT_THROW(base.HasNext(), EAbstractError);
    EXPECT_THROW(base.Next(), EAbstractError);
}

}  // namespace
