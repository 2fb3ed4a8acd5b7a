// Sparse containers behind the string grid: a pointer array that allocates storage only for the
// sections of neighbouring indices that hold something, a list with a logical count on top of
// it, and a string list whose lines are stored only where they hold text or an object.
//
// Section index and directory length are 32-bit, so every non-negative int index has its own
// slot. Shifting a range (insert, delete, move) runs section by section and rescans the high
// bound once, so its cost is linear in the range, not quadratic.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "Classes.h"

enum class TSPAQuantum { SPASmall, SPALarge };  // sections of 16 or 256 slots

// Blocks of up to MaxBlock bytes cut from large chunks and kept on a free list per size: the
// many small sections and items of one grid cost no heap call each, and their memory goes with
// the pool. Larger blocks come from the heap. Not thread-safe, like the grid that owns it.
class TSparsePool {
public:
    static constexpr std::size_t MaxBlock = 2048;
    TSparsePool() = default;
    TSparsePool(const TSparsePool&) = delete;
    TSparsePool& operator=(const TSparsePool&) = delete;
    ~TSparsePool();

    // Pool may be null: the heap then serves every block.
    static void* Allocate(TSparsePool* Pool, std::size_t Size);
    static void Free(TSparsePool* Pool, void* Block, std::size_t Size);
    // The owner is about to give back every block and then free the pool: blocks given back
    // from now on are not kept for reuse, as their chunks go with the pool anyway.
    void Abandon() { FAbandoned = true; }

private:
    static constexpr std::size_t Grain = 8, ChunkSize = 64 * 1024;
    struct TFreeBlock {
        TFreeBlock* Next;
    };
    static std::size_t ClassOf(std::size_t Size) { return (Size + Grain - 1) / Grain; }
    void* Take(std::size_t Size);
    void Give(void* Block, std::size_t Size);

    TFreeBlock* FFree[MaxBlock / Grain + 1] = {};
    std::vector<char*> FChunks;
    char* FNext = nullptr;
    char* FEnd = nullptr;
    bool FAbandoned = false;
};

// Called for every stored item in index order; a non-zero result stops the walk.
using TSPAApply = std::function<int(int Index, void* Item)>;

// Pointers by index, kept in sections of 16 or 256 neighbouring slots that exist only where an
// item was stored; the items are not owned. The last index read is cached, as painting reads
// each cell several times.
class TSparsePointerArray {
public:
    // Sections and the directory come from Pool when one is given (it must outlive the array).
    explicit TSparsePointerArray(TSPAQuantum Quantum, TSparsePool* Pool = nullptr);
    TSparsePointerArray(const TSparsePointerArray&) = delete;
    TSparsePointerArray& operator=(const TSparsePointerArray&) = delete;
    ~TSparsePointerArray() { Clear(); }

    // Highest index made through SlotFor since the last reset; -1 when empty.
    int HighBound() const { return FHighBound; }
    int SectionSize() const { return FSectionSize; }
    // Null for an index that holds nothing (negative ones included).
    void* GetAt(int Index) const;
    void* Items(int Index) const { return GetAt(Index); }
    // The slot's address, making the directory and the section as needed. A negative index
    // raises the list index error.
    void** SlotFor(int Index);
    // Storing null into an empty slot allocates nothing; storing null rescans the high bound.
    void PutAt(int Index, void* Item);
    // The first non-zero result of Apply, or 0.
    int ForAll(const TSPAApply& Apply) const;
    // The high bound becomes the highest index at or below it that holds an item.
    void ResetHighBound();
    // Frees every section and the directory, not the items: the array is as new.
    void Clear();

    // Slots From..To-1 take the items of From+1..To; slot To becomes empty.
    void ShiftDown(int From, int To);
    // Slots From+1..To take the items of From..To-1; slot From becomes empty.
    void ShiftUp(int From, int To);

private:
    void** Section(std::uint32_t s) const { return s < slotsInDir ? secDir[s] : nullptr; }
    void** MakeSection(std::uint32_t s);
    std::uint32_t SectionOf(int Index) const { return std::uint32_t(Index) >> secShift; }

    TSparsePool* FPool;
    void*** secDir = nullptr;  // slotsInDir sections, null where nothing was stored
    std::uint32_t slotsInDir = 0;
    std::uint32_t dirCapacity = 0;
    std::uint32_t indexMask;
    std::uint32_t secShift;
    int FHighBound = -1;
    int FSectionSize;
    mutable int cachedIndex = -1;
    mutable void* cachedPointer = nullptr;
};

// A list of pointers with a logical count; items are not owned. A negative index into Get, Put
// or Insert raises the list index error.
class TSparseList {
public:
    explicit TSparseList(TSPAQuantum Quantum, TSparsePool* Pool = nullptr);

    int Count() const { return FCount; }
    void* Get(int Index) const;
    void* Items(int Index) const { return Get(Index); }
    // The count becomes the high bound + 1.
    void Put(int Index, void* Item);
    void Insert(int Index, void* Item);
    // Nothing for an index outside the count.
    void Delete(int Index);
    void Exchange(int Index1, int Index2);
    void Move(int CurIndex, int NewIndex);
    // Empties the list; the items are not freed.
    void Clear();
    int ForAll(const TSPAApply& Apply) const { return FList.ForAll(Apply); }

private:
    static void CheckIndex(int Index);
    TSparsePointerArray FList;
    int FCount = 0;
};

SS_EXCEPTION(EStringSparseListError, Exception)

// A string list that stores a line only where it has text or an object; the objects are not
// owned. Every change ends with Changed (OnChange outside update brackets).
class TStringSparseList : public TStrings {
    SS_CLASS(TStringSparseList, TStrings)
public:
    // Items and sections come from Pool when one is given (it must outlive the list).
    explicit TStringSparseList(TSPAQuantum Quantum, TSparsePool* Pool = nullptr);
    ~TStringSparseList() override;

    int Count() const override { return FList.Count(); }
    String Get(int Index) const override;
    void Put(int Index, const String& S) override;
    void Insert(int Index, const String& S) override;
    void Delete(int Index) override;
    void Exchange(int Index1, int Index2);
    void Move(int CurIndex, int NewIndex);
    void Clear() override;
    const TSparseList& List() const { return FList; }

protected:
    TObject* GetObject(int Index) const override;
    void PutObject(int Index, TObject* AObject) override;
    [[noreturn]] virtual void Error();

private:
    struct TStrItem {
        TObject* FObject = nullptr;
        String FString;
    };
    TStrItem* Item(int Index) const { return static_cast<TStrItem*>(FList.Get(Index)); }
    TStrItem* NewItem(TObject* AObject, const String& S);
    void DisposeItem(TStrItem* AItem);
    void FreeItems();
    TSparsePool* FPool;
    TSparseList FList;
};
