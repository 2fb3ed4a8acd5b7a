// Arrays of object references over the framework's pointer list, one that may own its
// objects, and an iterator over it.
#pragma once
#include <functional>
#include <memory>

#include "Classes.h"
#include "ssIterator.h"

// Negative when Item1 orders before Item2, zero when equal, positive otherwise.
using TssObjCompare = int (*)(TObject* Item1, TObject* Item2);

// An array of object references over the framework's pointer list: add, insert, delete, find,
// sort with a comparison function. Index errors raise EListError.
class TssCustomArray : public TObject {
    SS_CLASS(TssCustomArray, TObject)
public:
    TssCustomArray();
    ~TssCustomArray() override;
    TssCustomArray(const TssCustomArray&) = delete;
    TssCustomArray& operator=(const TssCustomArray&) = delete;

    // The overridable element slots; every operation below goes through them or the list.
    virtual TObject* GetItem(int Index);
    virtual void PutItem(int Index, TObject* Item);
    virtual void SetCapacity(int Value);
    virtual void SetCount(int Value);
    virtual int Capacity();
    virtual int Count();
    virtual void Clear();
    virtual void Exchange(int Index1, int Index2);
    virtual void Move(int CurIndex, int NewIndex);
    virtual void Pack();

    int Add(TObject* Item);
    void Insert(int Index, TObject* Item);
    TObject* Delete(int Index);
    int Remove(TObject* Item);
    int IndexOf(TObject* Item);
    TssCustomArray* Expand();
    TObject* First();
    TObject* Last();
    void Sort(TssObjCompare Compare);

protected:
    using TPackNotify = std::function<void(int Index)>;
    // Calls Handler with the index of every nil entry, ascending, then packs.
    void PackNotify(const TPackNotify& Handler);
    int Cursor() const { return fIndex; }

private:
    std::unique_ptr<TList> fArray;
    int fIndex = 0;
};

class TssArrayIterator;

// The array the library's units use; with Owner set it frees the objects it holds when they
// are deleted or the array goes.
class TssArray : public TssCustomArray {
    SS_CLASS(TssArray, TssCustomArray)
public:
    ~TssArray() override;

    bool IsOwner() const { return fOwner; }
    void SetIsOwner(bool v) { fOwner = v; }
    TObject* GetObject(int Index) { return GetItem(Index); }
    void SetObject(int Index, TObject* Value) { PutItem(Index, Value); }

    void SetCapacity(int Value) override;
    void SetCount(int Value) override;
    void Clear() override;

    virtual int Add(TObject* Item);
    // An owning array frees the object and answers nil.
    virtual TObject* Delete(int Index);
    // Frees Item when the array owns it and held it.
    virtual int Remove(TObject* Item);
    virtual int IndexOf(TObject* Item);
    virtual int Insert(int Index, TObject* Item);

    // The first index whose non-nil entry compares equal to Item (entry first), or -1.
    int Find(TObject* Item, TssObjCompare Compare);
    std::unique_ptr<TssArrayIterator> CreateIterator();

private:
    bool fOwner = false;
};

// Walks a TssArray forward and backward through the iteration protocol of TssIterator.
class TssArrayIterator : public TssIterator {
    SS_CLASS(TssArrayIterator, TssIterator)
public:
    explicit TssArrayIterator(TssArray* Ary) : FArray(Ary) {}
    bool HasNext() override;
    TObject* Next() override;
    bool hasPrev() override;
    TObject* First() override;
    TObject* Prev() override;
    TObject* Last() override;
    // True: before the end, for walking down with Prev; false: before the start, for Next.
    void SetReverse(bool Value);

private:
    TssArray* FArray;
    int FIndex = -1;
};
