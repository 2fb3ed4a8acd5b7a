#include "ssGridSparse.h"

#include <algorithm>
#include <climits>
#include <cstring>

// ---- TSparsePointerArray ----

TSparsePointerArray::TSparsePointerArray(TSPAQuantum Quantum)
    : indexMask(Quantum == TSPAQuantum::SPALarge ? 255 : 15),
      secShift(Quantum == TSPAQuantum::SPALarge ? 8 : 4),
      FSectionSize(int(indexMask) + 1) {}

void** TSparsePointerArray::Section(std::uint32_t s) const { return s < secDir.size() ? secDir[s].get() : nullptr; }

void** TSparsePointerArray::MakeSection(std::uint32_t s) {
    if (s >= secDir.size()) secDir.resize(std::size_t(s) + 1);
    if (!secDir[s]) secDir[s] = std::make_unique<void*[]>(std::size_t(FSectionSize));  // value-initialised: null
    return secDir[s].get();
}

void* TSparsePointerArray::GetAt(int Index) const {
    if (Index == cachedIndex) return cachedPointer;
    void* item = nullptr;
    if (Index >= 0)
        if (void** sec = Section(SectionOf(Index))) item = sec[std::uint32_t(Index) & indexMask];
    cachedIndex = Index;
    cachedPointer = item;
    return item;
}

void** TSparsePointerArray::SlotFor(int Index) {
    CheckListIndex(Index, INT_MAX);
    void** sec = MakeSection(SectionOf(Index));
    FHighBound = std::max(FHighBound, Index);
    cachedIndex = -1;
    return &sec[std::uint32_t(Index) & indexMask];
}

void TSparsePointerArray::PutAt(int Index, void* Item) {
    if (!Item && !GetAt(Index)) return;
    *SlotFor(Index) = Item;
    if (!Item) ResetHighBound();
}

int TSparsePointerArray::ForAll(const TSPAApply& Apply) const {
    for (std::uint32_t s = 0; s < secDir.size(); ++s) {
        void** sec = secDir[s].get();
        if (!sec) continue;
        for (int i = 0; i < FSectionSize; ++i)
            if (sec[i])
                if (int r = Apply(int((s << secShift) | std::uint32_t(i)), sec[i])) return r;
    }
    return 0;
}

void TSparsePointerArray::Clear() {
    secDir.clear();
    FHighBound = -1;
    cachedIndex = -1;
}

// Scans down from the old bound: the highest item is usually close to it.
void TSparsePointerArray::ResetHighBound() {
    cachedIndex = -1;
    for (int i = FHighBound; i >= 0;) {
        void** sec = Section(SectionOf(i));
        if (!sec) {
            i = int(SectionOf(i) << secShift) - 1;
            continue;
        }
        for (int slot = int(std::uint32_t(i) & indexMask); slot >= 0; --slot, --i)
            if (sec[slot]) {
                FHighBound = i;
                return;
            }
    }
    FHighBound = -1;
}

void TSparsePointerArray::ShiftDown(int From, int To) {
    if (From < 0 || To < From || secDir.empty()) return;
    cachedIndex = -1;
    // Sections beyond the directory hold nothing and receive nothing.
    const std::uint32_t last = std::min<std::uint32_t>(SectionOf(To), std::uint32_t(secDir.size() - 1));
    for (std::uint32_t s = SectionOf(From); s <= last; ++s) {
        const int base = int(s << secShift);
        const int lo = std::max(From, base);
        const int hi = std::min(To, base + FSectionSize - 1);
        if (lo > hi) break;
        void* carry = hi < To ? GetAt(hi + 1) : nullptr;
        cachedIndex = -1;
        void** sec = Section(s);
        if (!sec) {
            if (!carry) continue;
            sec = MakeSection(s);
        }
        const int a = lo - base, b = hi - base;
        std::memmove(&sec[a], &sec[a + 1], sizeof(void*) * std::size_t(b - a));
        sec[b] = carry;
    }
}

void TSparsePointerArray::ShiftUp(int From, int To) {
    if (From < 0 || To <= From) return;
    cachedIndex = -1;
    for (std::int64_t s = SectionOf(To); s >= std::int64_t(SectionOf(From)); --s) {
        const int base = int(std::uint32_t(s) << secShift);
        const int lo = std::max(From, base);
        const int hi = std::min(To, base + FSectionSize - 1);
        void* carry = lo > From ? GetAt(lo - 1) : nullptr;
        cachedIndex = -1;
        void** sec = Section(std::uint32_t(s));
        if (!sec) {
            if (!carry) continue;
            sec = MakeSection(std::uint32_t(s));
        }
        const int a = lo - base, b = hi - base;
        std::memmove(&sec[a + 1], &sec[a], sizeof(void*) * std::size_t(b - a));
        sec[a] = carry;
    }
    // Items moved up by one: the highest one too, when it lay in the range.
    if (FHighBound >= From && FHighBound < To && GetAt(FHighBound + 1)) ++FHighBound;
}

// ---- TSparseList ----

TSparseList::TSparseList(TSPAQuantum Quantum)
    : FList(Quantum) {}

void TSparseList::CheckIndex(int Index) { CheckListIndex(Index, INT_MAX); }

void* TSparseList::Get(int Index) const {
    CheckIndex(Index);
    return FList.GetAt(Index);
}

void TSparseList::Put(int Index, void* Item) {
    CheckIndex(Index);
    FList.PutAt(Index, Item);
    FCount = FList.HighBound() + 1;
}

void TSparseList::Insert(int Index, void* Item) {
    CheckIndex(Index);
    if (Index < FCount) FList.ShiftUp(Index, FCount);
    FList.PutAt(Index, Item);
    if (Index > FCount) FCount = Index;
    ++FCount;
}

void TSparseList::Delete(int Index) {
    if (Index < 0 || Index >= FCount) return;
    FList.ShiftDown(Index, FCount - 1);
    FList.ResetHighBound();
    --FCount;
}

void TSparseList::Exchange(int Index1, int Index2) {
    void* item = Get(Index1);
    Put(Index1, Get(Index2));
    Put(Index2, item);
}

void TSparseList::Move(int CurIndex, int NewIndex) {
    if (CurIndex == NewIndex) return;
    void* item = Get(CurIndex);
    Delete(CurIndex);
    Insert(NewIndex, item);
}

void TSparseList::Clear() {
    FList.Clear();
    FCount = 0;
}

// ---- TStringSparseList ----

TStringSparseList::TStringSparseList(TSPAQuantum Quantum) : FList(Quantum) {}

TStringSparseList::~TStringSparseList() { FreeItems(); }

void TStringSparseList::FreeItems() {
    FList.ForAll([](int, void* item) {
        delete static_cast<TStrItem*>(item);
        return 0;
    });
}

String TStringSparseList::Get(int Index) const {
    TStrItem* item = Item(Index);
    return item ? item->FString : String();
}

TObject* TStringSparseList::GetObject(int Index) const {
    TStrItem* item = Item(Index);
    return item ? item->FObject : nullptr;
}

void TStringSparseList::Put(int Index, const String& S) {
    std::unique_ptr<TStrItem> old(Item(Index));
    TObject* object = old ? old->FObject : nullptr;
    Changing();
    std::unique_ptr<TStrItem> item;
    if (!S.empty() || object) item.reset(new TStrItem{object, S});
    try {
        FList.Put(Index, item.get());
    } catch (...) {
        old.release();  // still in its slot
        throw;
    }
    item.release();
    Changed();
}

void TStringSparseList::PutObject(int Index, TObject* AObject) {
    TStrItem* item = Item(Index);
    Changing();
    if (item) {
        item->FObject = AObject;
    } else if (AObject) {
        auto made = std::make_unique<TStrItem>(TStrItem{AObject, String()});
        FList.Put(Index, made.get());
        made.release();
    }
    Changed();
}

void TStringSparseList::Insert(int Index, const String& S) {
    auto item = std::make_unique<TStrItem>(TStrItem{nullptr, S});
    Changing();
    FList.Insert(Index, item.get());
    item.release();
    Changed();
}

void TStringSparseList::Delete(int Index) {
    if (Index < 0 || Index >= Count()) return;
    std::unique_ptr<TStrItem> item(Item(Index));
    Changing();
    FList.Delete(Index);
    Changed();
}

void TStringSparseList::Exchange(int Index1, int Index2) {
    Changing();
    FList.Exchange(Index1, Index2);
    Changed();
}

void TStringSparseList::Move(int CurIndex, int NewIndex) {
    Changing();
    FList.Move(CurIndex, NewIndex);
    Changed();
}

void TStringSparseList::Clear() {
    Changing();
    FreeItems();
    FList.Clear();
    Changed();
}

void TStringSparseList::Error() { throw EStringSparseListError(L"未定義の項目に対する PutObject です"); }
