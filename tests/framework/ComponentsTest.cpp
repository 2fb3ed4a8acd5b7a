// Components, pointer lists and string lists in memory.
#include <gtest/gtest.h>

#include <memory>

#include "Classes.h"

namespace {

// Counts its deletions, to show every owned component is freed exactly once.
class TCounted : public TComponent {
    SS_CLASS(TCounted, TComponent)
public:
    TCounted(TComponent* owner, std::vector<String>& log, const String& name) : TComponent(owner), FLog(log) {
        SetName(name);
    }
    ~TCounted() override { FLog.push_back(Name()); }

private:
    std::vector<String>& FLog;
};

TEST(Ownership, OwnerFreesItsComponentsLastCreatedFirst) {
    std::vector<String> log;
    {
        auto owner = std::make_unique<TCounted>(nullptr, log, L"owner");
        auto* a = new TCounted(owner.get(), log, L"a");
        new TCounted(a, log, L"a1");
        new TCounted(owner.get(), log, L"b");
        EXPECT_EQ(owner->ComponentCount(), 2);
        EXPECT_EQ(owner->FindComponent(L"B")->Name(), L"b");
        EXPECT_EQ(owner->FindComponent(L"a1"), nullptr);  // only direct components
    }
    EXPECT_EQ(log, (std::vector<String>{L"owner", L"b", L"a", L"a1"}));
}

TEST(Ownership, AComponentFreedAloneLeavesItsOwner) {
    std::vector<String> log;
    TCounted owner(nullptr, log, L"owner");
    auto* a = new TCounted(&owner, log, L"a");
    new TCounted(&owner, log, L"b");
    delete a;
    ASSERT_EQ(owner.ComponentCount(), 1);
    EXPECT_EQ(owner.Components(0)->Name(), L"b");
    EXPECT_THROW(owner.Components(1), EListError);
}

TEST(StringList, IndexesOutOfRangeRaise) {
    TStringList list;
    list.Add(L"a");
    list.Insert(0, L"b");
    EXPECT_EQ(list.Text(), L"b\r\na\r\n");
    EXPECT_EQ(list.IndexOf(L"A"), 1);
    EXPECT_THROW(list.Get(2), EStringListError);
    EXPECT_THROW(list.Insert(3, L"x"), EStringListError);
    EXPECT_THROW(list.Delete(-1), EStringListError);
}

TEST(PointerList, EditsKeepOrderAndCheckIndexes) {
    int a = 1, b = 2, c = 3;
    TList list;
    list.Add(&a);
    list.Add(&b);
    list.Insert(0, &c);  // c a b
    list.Exchange(0, 2);  // b a c
    list.Move(0, 2);      // a c b
    EXPECT_EQ(list.Get(0), &a);
    EXPECT_EQ(list.Get(1), &c);
    EXPECT_EQ(list.Remove(&c), 1);
    EXPECT_EQ(list.Remove(&c), -1);
    EXPECT_EQ(list.Delete(1), &b);
    list.SetCount(3);  // grows with null
    EXPECT_EQ(list.Get(2), nullptr);
    list.Pack();
    EXPECT_EQ(list.Count(), 1);
    EXPECT_GE(list.Capacity(), list.Count());
    for (auto bad : {-1, 1}) EXPECT_THROW(list.Get(bad), EListError) << bad;
    EXPECT_THROW(list.Insert(2, &a), EListError);
    EXPECT_THROW(list.SetCount(-1), EListError);
    EXPECT_THROW(list.SetCapacity(0), EListError);
}

}  // namespace
