#include "ssGridSparse.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>

// A freed block is poisoned for the address sanitizer, so a use after its return still shows.
#if defined(__SANITIZE_ADDRESS__)
#define SS_POOL_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define SS_POOL_ASAN 1
#endif
#endif
#ifdef SS_POOL_ASAN
// The sanitizer's own entry points (its header is a system one, which this unit keeps out).
extern "C" void __asan_poison_memory_region(void const volatile* addr, std::size_t size);
extern "C" void __asan_unpoison_memory_region(void const volatile* addr, std::size_t size);
#define SS_POISON(p, n) __asan_poison_memory_region(p, n)
#define SS_UNPOISON(p, n) __asan_unpoison_memory_region(p, n)
#else
#define SS_POISON(p, n) ((void)(p), (void)(n))
#define SS_UNPOISON(p, n) ((void)(p), (void)(n))
#endif

// ---- TSparsePool ----

TSparsePool::~TSparsePool() {
    for (char* chunk : FChunks) {
        SS_UNPOISON(chunk, ChunkSize);
        ::operator delete(chunk);
    }
}

void* TSparsePool::Allocate(TSparsePool* Pool, std::size_t Size) {
    return Pool && Size <= MaxBlock ? Pool->Take(Size) : ::operator new(Size);
}

void TSparsePool::Free(TSparsePool* Pool, void* Block, std::size_t Size) {
    if (!Block) return;
    if (Pool && Size <= MaxBlock) Pool->Give(Block, Size);
    else ::operator delete(Block);
}

void* TSparsePool::Take(std::size_t Size) {
    const std::size_t c = ClassOf(Size), bytes = c * Grain;
    if (TFreeBlock* b = FFree[c]) {
        SS_UNPOISON(b, bytes);
        FFree[c] = b->Next;
        return b;
    }
    if (std::size_t(FEnd - FNext) < bytes) {
        FChunks.reserve(FChunks.size() + 1);
        char* chunk = static_cast<char*>(::operator new(ChunkSize));
        FChunks.push_back(chunk);
        SS_POISON(chunk, ChunkSize);
        FNext = chunk;
        FEnd = chunk + ChunkSize;  // the rest of the old chunk stays unused
    }
    void* b = FNext;
    FNext += bytes;
    SS_UNPOISON(b, bytes);
    return b;
}

// An abandoned pool does not touch the block: tearing down a large grid then reads only what
// it must (the texts to free), instead of writing a free-list link into every block.
void TSparsePool::Give(void* Block, std::size_t Size) {
    if (FAbandoned) return;
    const std::size_t c = ClassOf(Size);
    auto* b = static_cast<TFreeBlock*>(Block);
    b->Next = FFree[c];
    FFree[c] = b;
    SS_POISON(b, c * Grain);
}

// ---- TSparsePointerArray ----

TSparsePointerArray::TSparsePointerArray(TSPAQuantum Quantum, TSparsePool* Pool)
    : FPool(Pool),
      indexMask(Quantum == TSPAQuantum::SPALarge ? 255 : 15),
      secShift(Quantum == TSPAQuantum::SPALarge ? 8 : 4),
      FSectionSize(int(indexMask) + 1) {}

// The directory grows to the section's index + 1 entries, its room by doubling.
void** TSparsePointerArray::MakeSection(std::uint32_t s) {
    if (s >= slotsInDir) {
        if (s >= dirCapacity) {
            const std::uint32_t capacity = std::max<std::uint32_t>(s + 1, std::min<std::uint32_t>(dirCapacity * 2, 1u << 28));
            auto* dir = static_cast<void***>(TSparsePool::Allocate(FPool, sizeof(void**) * capacity));
            if (slotsInDir) std::memcpy(dir, secDir, sizeof(void**) * slotsInDir);
            TSparsePool::Free(FPool, secDir, sizeof(void**) * dirCapacity);
            secDir = dir;
            dirCapacity = capacity;
        }
        std::fill(secDir + slotsInDir, secDir + s + 1, nullptr);
        slotsInDir = s + 1;
    }
    if (!secDir[s]) {
        const std::size_t bytes = sizeof(void*) * std::size_t(FSectionSize);
        secDir[s] = static_cast<void**>(TSparsePool::Allocate(FPool, bytes));
        std::memset(secDir[s], 0, bytes);
    }
    return secDir[s];
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
    for (std::uint32_t s = 0; s < slotsInDir; ++s) {
        void** sec = secDir[s];
        if (!sec) continue;
        for (int i = 0; i < FSectionSize; ++i)
            if (sec[i])
                if (int r = Apply(int((s << secShift) | std::uint32_t(i)), sec[i])) return r;
    }
    return 0;
}

void TSparsePointerArray::Clear() {
    for (std::uint32_t s = 0; s < slotsInDir; ++s)
        TSparsePool::Free(FPool, secDir[s], sizeof(void*) * std::size_t(FSectionSize));
    TSparsePool::Free(FPool, secDir, sizeof(void**) * dirCapacity);
    secDir = nullptr;
    slotsInDir = dirCapacity = 0;
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
    if (From < 0 || To < From || slotsInDir == 0) return;
    cachedIndex = -1;
    // Sections beyond the directory hold nothing and receive nothing.
    const std::uint32_t last = std::min<std::uint32_t>(SectionOf(To), slotsInDir - 1);
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

TSparseList::TSparseList(TSPAQuantum Quantum, TSparsePool* Pool) : FList(Quantum, Pool) {}

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

TStringSparseList::TStringSparseList(TSPAQuantum Quantum, TSparsePool* Pool) : FPool(Pool), FList(Quantum, Pool) {}

TStringSparseList::~TStringSparseList() { FreeItems(); }

TStringSparseList::TStrItem* TStringSparseList::NewItem(TObject* AObject, const String& S) {
    void* block = TSparsePool::Allocate(FPool, sizeof(TStrItem));
    try {
        return new (block) TStrItem{AObject, S};
    } catch (...) {
        TSparsePool::Free(FPool, block, sizeof(TStrItem));
        throw;
    }
}

void TStringSparseList::DisposeItem(TStrItem* AItem) {
    if (!AItem) return;
    AItem->~TStrItem();
    TSparsePool::Free(FPool, AItem, sizeof(TStrItem));
}

void TStringSparseList::FreeItems() {
    FList.ForAll([this](int, void* item) {
        DisposeItem(static_cast<TStrItem*>(item));
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
    TStrItem* old = Item(Index);
    TObject* object = old ? old->FObject : nullptr;
    Changing();
    TStrItem* item = !S.empty() || object ? NewItem(object, S) : nullptr;
    try {
        FList.Put(Index, item);
    } catch (...) {
        DisposeItem(item);  // the old one is still in its slot
        throw;
    }
    DisposeItem(old);
    Changed();
}

void TStringSparseList::PutObject(int Index, TObject* AObject) {
    TStrItem* item = Item(Index);
    Changing();
    if (item) {
        item->FObject = AObject;
    } else if (AObject) {
        TStrItem* made = NewItem(AObject, String());
        try {
            FList.Put(Index, made);
        } catch (...) {
            DisposeItem(made);
            throw;
        }
    }
    Changed();
}

void TStringSparseList::Insert(int Index, const String& S) {
    TStrItem* item = NewItem(nullptr, S);
    Changing();
    try {
        FList.Insert(Index, item);
    } catch (...) {
        DisposeItem(item);
        throw;
    }
    Changed();
}

void TStringSparseList::Delete(int Index) {
    if (Index < 0 || Index >= Count()) return;
    TStrItem* item = Item(Index);
    Changing();
    FList.Delete(Index);
    DisposeItem(item);
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
