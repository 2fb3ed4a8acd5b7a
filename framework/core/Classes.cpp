#include "Classes.h"

#include <algorithm>

namespace {
[[noreturn]] void ListError(const wchar_t* fmt, int value) {
    throw EListError(Format(fmt, {(long long)value}));
}
}  // namespace

void TPersistent::Assign(const TPersistent* Source) { AssignError(Source); }

void TPersistent::AssignError(const TPersistent* Source) const {
    throw EConvertError(Format(L"%s を %s に代入できません", {Source ? Source->ClassName() : String(L"nil"), ClassName()}));
}

TComponent::TComponent(TComponent* AOwner) {
    if (AOwner) AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
    FComponentState.Include(TComponentStateItem::csDestroying);
    DestroyComponents();
    if (FOwner) FOwner->RemoveComponent(this);
}

void TComponent::DestroyComponents() {
    while (!FComponents.empty()) {
        TComponent* c = FComponents.back();
        FComponents.pop_back();
        c->FOwner = nullptr;
        delete c;
    }
}

void TComponent::InsertComponent(TComponent* c) {
    FComponents.push_back(c);
    c->FOwner = this;
}

void TComponent::RemoveComponent(TComponent* c) {
    auto it = std::find(FComponents.begin(), FComponents.end(), c);
    if (it != FComponents.end()) FComponents.erase(it);
    c->FOwner = nullptr;
}

TComponent* TComponent::Components(int index) const {
    CheckListIndex(index, ComponentCount() - 1);
    return FComponents[index];
}

TComponent* TComponent::FindComponent(const String& name) const {
    if (name.empty()) return nullptr;
    for (TComponent* c : FComponents)
        if (SameText(c->FName, name)) return c;
    return nullptr;
}

void TComponent::SetLoading(bool on) {
    bool was = FComponentState.Contains(TComponentStateItem::csLoading);
    on ? FComponentState.Include(TComponentStateItem::csLoading)
       : FComponentState.Exclude(TComponentStateItem::csLoading);
    if (was && !on) Loaded();
}

void TComponent::SetDesigning(bool on) {
    on ? FComponentState.Include(TComponentStateItem::csDesigning)
       : FComponentState.Exclude(TComponentStateItem::csDesigning);
}

TCollectionItem::TCollectionItem(TCollection* Collection) { SetCollection(Collection); }

TCollectionItem::~TCollectionItem() {
    if (FCollection) FCollection->RemoveItem(this);
}

void TCollectionItem::SetCollection(TCollection* Value) {
    if (FCollection == Value) return;
    if (FCollection) FCollection->RemoveItem(this);
    if (Value) Value->InsertItem(this);
}

int TCollectionItem::Index() const {
    if (!FCollection) return -1;
    auto& items = FCollection->FItems;
    return int(std::find(items.begin(), items.end(), this) - items.begin());
}

void TCollectionItem::SetIndex(int Value) {
    int cur = Index();
    if (cur < 0 || Value == cur) return;
    auto& items = FCollection->FItems;
    CheckListIndex(Value, int(items.size()) - 1);
    items.erase(items.begin() + cur);
    items.insert(items.begin() + Value, this);
    Changed(true);
}

void TCollectionItem::Changed(bool AllItems) {
    if (FCollection && FCollection->FUpdateCount == 0) FCollection->Update(AllItems ? nullptr : this);
}

TCollection::TCollection(TCollectionItemClass ItemClass, TPersistent* Owner)
    : FItemClass(ItemClass), FOwner(Owner) {}

TCollection::~TCollection() {
    FUpdateCount = 1;  // no reports while going
    Clear();
}

TCollectionItem* TCollection::Items(int Index) const {
    CheckListIndex(Index, Count() - 1);
    return FItems[std::size_t(Index)];
}

void TCollection::SetItems(int Index, const TCollectionItem* Value) { Items(Index)->Assign(Value); }

TCollectionItem* TCollection::Add() { return FItemClass.Create(this); }

TCollectionItem* TCollection::Insert(int Index) {
    CheckListIndex(Index, Count());
    BeginUpdate();
    TCollectionItem* item;
    try {
        item = Add();
        item->SetIndex(Index);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
    return item;
}

void TCollection::Delete(int Index) { delete Items(Index); }

void TCollection::Clear() {
    if (FItems.empty()) return;
    BeginUpdate();
    while (!FItems.empty()) delete FItems.back();
    EndUpdate();
}

TCollectionItem* TCollection::FindItemID(int ID) const {
    for (TCollectionItem* item : FItems)
        if (item->FID == ID) return item;
    return nullptr;
}

void TCollection::EndUpdate() {
    if (FUpdateCount > 0 && --FUpdateCount == 0) Changed();
}

void TCollection::Changed() {
    if (FUpdateCount == 0) Update(nullptr);
}

void TCollection::Assign(const TPersistent* Source) {
    auto* src = dynamic_cast<const TCollection*>(Source);
    if (!src) return TPersistent::Assign(Source);
    if (src == this) return;
    BeginUpdate();
    try {
        Clear();
        for (TCollectionItem* item : src->FItems) Add()->Assign(item);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TCollection::InsertItem(TCollectionItem* Item) {
    FItems.push_back(Item);
    Item->FCollection = this;
    Item->FID = FNextID++;
    Changed();
}

void TCollection::RemoveItem(TCollectionItem* Item) {
    // From the back: clearing deletes the last item first.
    auto it = std::find(FItems.rbegin(), FItems.rend(), Item);
    if (it != FItems.rend()) FItems.erase(std::next(it).base());
    Item->FCollection = nullptr;
    Changed();
}

// Growth steps of 4, 8, then a quarter of the capacity.
void TList::Grow() {
    int delta = FCapacity > 64 ? FCapacity / 4 : (FCapacity > 8 ? 16 : 4);
    SetCapacity(FCapacity + delta);
}

int TList::Add(void* Item) {
    if (Count() == FCapacity) Grow();
    FItems.push_back(Item);
    return Count() - 1;
}

void TList::Insert(int Index, void* Item) {
    CheckListIndex(Index, Count());
    if (Count() == FCapacity) Grow();
    FItems.insert(FItems.begin() + Index, Item);
}

void* TList::Delete(int Index) {
    CheckListIndex(Index, Count() - 1);
    void* item = FItems[Index];
    FItems.erase(FItems.begin() + Index);
    return item;
}

int TList::Remove(void* Item) {
    int i = IndexOf(Item);
    if (i >= 0) Delete(i);
    return i;
}

int TList::IndexOf(void* Item) const {
    auto it = std::find(FItems.begin(), FItems.end(), Item);
    return it == FItems.end() ? -1 : int(it - FItems.begin());
}

void TList::Exchange(int Index1, int Index2) {
    CheckListIndex(Index1, Count() - 1);
    CheckListIndex(Index2, Count() - 1);
    std::swap(FItems[Index1], FItems[Index2]);
}

void TList::Move(int CurIndex, int NewIndex) {
    if (CurIndex == NewIndex) return;
    CheckListIndex(NewIndex, Count() - 1);
    void* item = Delete(CurIndex);
    FItems.insert(FItems.begin() + NewIndex, item);
}

void TList::Clear() {
    FItems.clear();
    FItems.shrink_to_fit();
    FCapacity = 0;
}

void TList::Pack() {
    FItems.erase(std::remove(FItems.begin(), FItems.end(), nullptr), FItems.end());
}

void TList::Sort(TListSortCompare Compare) {
    if (!Compare || FItems.size() < 2) return;
    std::sort(FItems.begin(), FItems.end(), [Compare](void* a, void* b) { return Compare(a, b) < 0; });
}

TList* TList::Expand() {
    if (Count() == FCapacity) Grow();
    return this;
}

void* TList::Get(int Index) const {
    CheckListIndex(Index, Count() - 1);
    return FItems[Index];
}

void TList::Put(int Index, void* Item) {
    CheckListIndex(Index, Count() - 1);
    FItems[Index] = Item;
}

void TList::SetCount(int Value) {
    if (Value < 0) ListError(L"リストの個数を超えました (%d)", Value);
    if (Value > FCapacity) SetCapacity(Value);
    FItems.resize(std::size_t(Value), nullptr);
}

void TList::SetCapacity(int Value) {
    if (Value < Count()) ListError(L"リストの容量が超えました (%d)", Value);
    FItems.reserve(std::size_t(Value));
    FCapacity = Value;
}

void TStrings::BeginUpdate() {
    if (FUpdateCount++ == 0) {
        SetUpdateState(true);
        Changing();
    }
}

void TStrings::EndUpdate() {
    if (FUpdateCount > 0 && --FUpdateCount == 0) {
        SetUpdateState(false);
        Changed();
    }
}

void TStrings::Changing() {
    if (FUpdateCount == 0 && OnChanging) OnChanging(this);
}

void TStrings::Changed() {
    if (FUpdateCount == 0 && OnChange) OnChange(this);
}

void TStrings::Assign(const TPersistent* Source) {
    auto* src = dynamic_cast<const TStrings*>(Source);
    if (!src) return TPersistent::Assign(Source);
    if (src == this) return;
    TStringsUpdate update(*this);
    Clear();
    for (int i = 0; i < src->Count(); ++i) AddObject(src->Get(i), src->GetObject(i));
}

int TStrings::Add(const String& s) {
    int i = Count();
    Insert(i, s);
    return i;
}

int TStrings::AddObject(const String& s, TObject* AObject) {
    int i = Add(s);
    PutObject(i, AObject);
    return i;
}

int TStrings::IndexOf(const String& s) const {
    for (int i = 0; i < Count(); ++i)
        if (SameText(Get(i), s)) return i;
    return -1;
}

String TStrings::Text() const {
    String t;
    for (int i = 0; i < Count(); ++i) {
        t += Get(i);
        t += L"\r\n";
    }
    return t;
}

void TStrings::SetText(const String& text) {
    TStringsUpdate update(*this);
    Clear();
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t end = text.find_first_of(L"\r\n", i);
        if (end == String::npos) end = text.size();
        Add(text.substr(i, end - i));
        i = end;
        if (i < text.size() && text[i] == L'\r') {
            ++i;
            if (i < text.size() && text[i] == L'\n') ++i;
        } else if (i < text.size()) {
            ++i;  // a lone LF
        }
    }
}

String TStringList::Get(int index) const {
    CheckListIndex<EStringListError>(index, Count() - 1);
    return FItems[index].Text;
}

TObject* TStringList::GetObject(int index) const {
    CheckListIndex<EStringListError>(index, Count() - 1);
    return FItems[index].Object;
}

void TStringList::Put(int index, const String& s) {
    CheckListIndex<EStringListError>(index, Count() - 1);
    Changing();
    FItems[index].Text = s;
    Changed();
}

void TStringList::PutObject(int index, TObject* AObject) {
    CheckListIndex<EStringListError>(index, Count() - 1);
    Changing();
    FItems[index].Object = AObject;
    Changed();
}

void TStringList::Insert(int index, const String& s) {
    CheckListIndex<EStringListError>(index, Count());
    Changing();
    FItems.insert(FItems.begin() + index, TItem{s});
    Changed();
}

void TStringList::Delete(int index) {
    CheckListIndex<EStringListError>(index, Count() - 1);
    Changing();
    FItems.erase(FItems.begin() + index);
    Changed();
}

void TStringList::Clear() {
    if (FItems.empty()) return;
    Changing();
    FItems.clear();
    Changed();
}

// ---- free notification ----

void TFreeNotifier::FreeNotification(const void* Key, TFreeProc Proc) {
    for (auto& entry : FFreeNotifies)
        if (entry.first == Key) {
            entry.second = std::move(Proc);
            return;
        }
    FFreeNotifies.emplace_back(Key, std::move(Proc));
}

void TFreeNotifier::RemoveFreeNotification(const void* Key) {
    std::erase_if(FFreeNotifies, [Key](const auto& entry) { return entry.first == Key; });
}

void TFreeNotifier::NotifyFreed(TComponent* Self) {
    auto notifies = std::move(FFreeNotifies);
    FFreeNotifies.clear();
    for (auto& entry : notifies) entry.second(Self);
}
