#include "ssArray.h"

// ---- TssCustomArray ----

TssCustomArray::TssCustomArray() : fArray(std::make_unique<TList>()) {}
TssCustomArray::~TssCustomArray() = default;

TObject* TssCustomArray::GetItem(int Index) { return static_cast<TObject*>(fArray->Get(Index)); }
void TssCustomArray::PutItem(int Index, TObject* Item) { fArray->Put(Index, Item); }
void TssCustomArray::SetCapacity(int Value) { fArray->SetCapacity(Value); }
void TssCustomArray::SetCount(int Value) { fArray->SetCount(Value); }
int TssCustomArray::Capacity() { return fArray->Capacity(); }
int TssCustomArray::Count() { return fArray->Count(); }
void TssCustomArray::Clear() { fArray->Clear(); }
void TssCustomArray::Exchange(int Index1, int Index2) { fArray->Exchange(Index1, Index2); }
void TssCustomArray::Move(int CurIndex, int NewIndex) { fArray->Move(CurIndex, NewIndex); }
void TssCustomArray::Pack() { PackNotify(nullptr); }

int TssCustomArray::Add(TObject* Item) { return fArray->Add(Item); }
void TssCustomArray::Insert(int Index, TObject* Item) { fArray->Insert(Index, Item); }
TObject* TssCustomArray::Delete(int Index) { return static_cast<TObject*>(fArray->Delete(Index)); }
int TssCustomArray::Remove(TObject* Item) { return fArray->Remove(Item); }
int TssCustomArray::IndexOf(TObject* Item) { return fArray->IndexOf(Item); }

TssCustomArray* TssCustomArray::Expand() {
    fArray->Expand();
    return this;
}

TObject* TssCustomArray::First() {
    fIndex = 0;
    return Count() < 1 ? nullptr : GetItem(0);
}

TObject* TssCustomArray::Last() {
    fIndex = Count() - 1;
    return Count() < 1 ? nullptr : GetItem(fIndex);
}

void TssCustomArray::Sort(TssObjCompare Compare) {
    // The list sorts untyped pointers; every entry is an object reference.
    fArray->Sort(reinterpret_cast<TList::TListSortCompare>(Compare));
}

void TssCustomArray::PackNotify(const TPackNotify& Handler) {
    if (Handler)
        for (int i = 0; i < fArray->Count(); ++i)
            if (!fArray->Get(i)) Handler(i);
    fArray->Pack();
}

// ---- TssArray ----

TssArray::~TssArray() {
    if (fOwner)
        for (int i = 0; i < Count(); ++i) delete GetItem(i);
}

void TssArray::SetCapacity(int Value) { TssCustomArray::SetCapacity(Value); }

void TssArray::SetCount(int Value) {
    if (fOwner && Value >= 0)
        for (int i = Value; i < Count(); ++i) {
            delete GetItem(i);
            PutItem(i, nullptr);
        }
    TssCustomArray::SetCount(Value);
}

void TssArray::Clear() {
    if (fOwner)
        for (int i = 0; i < Count(); ++i) {
            delete GetItem(i);
            PutItem(i, nullptr);
        }
    TssCustomArray::Clear();
}

int TssArray::Add(TObject* Item) { return TssCustomArray::Add(Item); }

TObject* TssArray::Delete(int Index) {
    TObject* item = TssCustomArray::Delete(Index);
    if (!fOwner) return item;
    delete item;
    return nullptr;
}

int TssArray::Remove(TObject* Item) {
    int i = TssCustomArray::Remove(Item);
    if (i >= 0 && fOwner) delete Item;
    return i;
}

int TssArray::IndexOf(TObject* Item) { return TssCustomArray::IndexOf(Item); }

int TssArray::Insert(int Index, TObject* Item) {
    TssCustomArray::Insert(Index, Item);
    return Index;
}

int TssArray::Find(TObject* Item, TssObjCompare Compare) {
    for (int i = 0; i < Count(); ++i) {
        TObject* entry = GetItem(i);
        if (entry && Compare(entry, Item) == 0) return i;
    }
    return -1;
}

std::unique_ptr<TssArrayIterator> TssArray::CreateIterator() { return std::make_unique<TssArrayIterator>(this); }

// ---- TssArrayIterator ----

bool TssArrayIterator::HasNext() { return FIndex < FArray->Count() - 1; }

TObject* TssArrayIterator::Next() {
    if (!HasNext()) return nullptr;
    return FArray->GetItem(++FIndex);
}

bool TssArrayIterator::hasPrev() { return FIndex > 0; }

TObject* TssArrayIterator::Prev() {
    if (!hasPrev()) return nullptr;
    return FArray->GetItem(--FIndex);
}

TObject* TssArrayIterator::First() {
    if (FArray->Count() == 0) return nullptr;
    FIndex = 0;
    return FArray->GetItem(0);
}

TObject* TssArrayIterator::Last() {
    if (FArray->Count() == 0) return nullptr;
    FIndex = FArray->Count() - 1;
    return FArray->GetItem(FIndex);
}

void TssArrayIterator::SetReverse(bool Value) { FIndex = Value ? FArray->Count() : -1; }
