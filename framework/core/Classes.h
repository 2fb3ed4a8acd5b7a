// Components with owners, notify events and string lists.
#pragma once
#include <functional>
#include <vector>

#include "Sets.h"
#include "SysUtils.h"
#include "TypInfo.h"

class TFiler;

// Horizontal text alignment, shared by controls and data fields.
SS_ENUM(TAlignment, taLeftJustify, taRightJustify, taCenter)

// How a pen draws its line; here so that Windows-free code can name the styles (streams do).
SS_ENUM(TPenStyle, psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame, psUserStyle, psAlternate)

class TPersistent : public TObject {
    SS_CLASS(TPersistent, TObject)
public:
    // Copies Source into this object; a class that cannot take Source raises the assignment
    // error (EConvertError), as this base does for every source.
    virtual void Assign(const TPersistent* Source);
    // Declares the stream properties that are not published (TFiler::DefineProperty); they are
    // written after the published ones.
    virtual void DefineProperties(TFiler& Filer) {}

protected:
    [[noreturn]] void AssignError(const TPersistent* Source) const;
};

using TNotifyEvent = std::function<void(TObject* Sender)>;

enum class TComponentStateItem { csLoading, csReading, csWriting, csDestroying, csDesigning };
using TComponentState = TSet<TComponentStateItem>;

// A component belongs to its owner: the owner deletes the components it owns when it is deleted,
// last created first. A component deleted on its own leaves its owner's list.
class TComponent : public TPersistent {
    SS_CLASS(TComponent, TPersistent)
public:
    explicit TComponent(TComponent* AOwner);
    ~TComponent() override;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    TComponent* Owner() const { return FOwner; }
    const String& Name() const { return FName; }
    void SetName(const String& name) { FName = name; }
    TComponentState ComponentState() const { return FComponentState; }
    int ComponentCount() const { return int(FComponents.size()); }
    TComponent* Components(int index) const;
    TComponent* FindComponent(const String& name) const;

    // Loading marks a component while its properties are being read from a stream; designing
    // marks it as placed in a designer rather than running. Leaving the loading state calls Loaded.
    void SetLoading(bool on);
    void SetDesigning(bool on);

    // The components a stream holds nested in this one (child controls, for example); root is
    // the component being written. None by default.
    virtual void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) {}
    // Where a component read from a stream as a child of Parent is put (a control's parent).
    virtual void SetParentComponent(TComponent* Parent) {}

protected:
    // Called once the component's properties have all been read.
    virtual void Loaded() {}
    // Deletes every owned component now; a derived destructor calls it when its owned components
    // must go before its own resources do.
    void DestroyComponents();
    TComponentState FComponentState;

private:
    friend class TReader;
    void InsertComponent(TComponent* c);
    void RemoveComponent(TComponent* c);

    TComponent* FOwner = nullptr;
    String FName;
    std::vector<TComponent*> FComponents;
};

// Answers a callback when the component is freed, at the start of its destruction.
class TFreeNotifier {
public:
    using TFreeProc = std::function<void(TComponent* Freed)>;
    // One registration per key; registering the same key again replaces its callback.
    void FreeNotification(const void* Key, TFreeProc Proc);
    void RemoveFreeNotification(const void* Key);

protected:
    void NotifyFreed(TComponent* Self);

private:
    std::vector<std::pair<const void*, TFreeProc>> FFreeNotifies;
};

class TCollection;

// One item of a collection, which owns it: deleting the item takes it out of its collection.
class TCollectionItem : public TPersistent {
    SS_CLASS(TCollectionItem, TPersistent)
public:
    explicit TCollectionItem(TCollection* Collection);
    ~TCollectionItem() override;
    TCollectionItem(const TCollectionItem&) = delete;
    TCollectionItem& operator=(const TCollectionItem&) = delete;

    TCollection* Collection() const { return FCollection; }
    // Moves the item to the end of Value (nullptr: out of every collection; the caller then
    // owns it).
    void SetCollection(TCollection* Value);
    int ID() const { return FID; }  // unique within the collection, never reused
    int Index() const;
    virtual void SetIndex(int Value);
    // The item's name in lists; its class name unless a class names its items.
    virtual String DisplayName() const { return ClassName(); }

protected:
    // Reports a change of this item, or (AllItems) of every item, to the collection.
    void Changed(bool AllItems);

private:
    friend class TCollection;
    TCollection* FCollection = nullptr;
    int FID = 0;
};

// What a collection's items are: their class, how one is made, and their published properties.
struct TCollectionItemClass {
    const TClassInfo* Info;
    TCollectionItem* (*Create)(TCollection* Collection);
    const TPropList* (*Props)();

    template <class T>
    static TCollectionItemClass Of() {
        return {&T::StaticClassInfo(), [](TCollection* c) -> TCollectionItem* { return new T(c); },
                &T::StaticPropList};
    }
};

// An ordered, owning list of items of one class, streamed as a collection value.
class TCollection : public TPersistent {
    SS_CLASS(TCollection, TPersistent)
public:
    explicit TCollection(TCollectionItemClass ItemClass, TPersistent* Owner = nullptr);
    ~TCollection() override;
    TCollection(const TCollection&) = delete;
    TCollection& operator=(const TCollection&) = delete;

    const TCollectionItemClass& ItemClass() const { return FItemClass; }
    TPersistent* Owner() const { return FOwner; }
    int Count() const { return int(FItems.size()); }
    TCollectionItem* Items(int Index) const;
    // Assigns Value into the item at Index.
    void SetItems(int Index, const TCollectionItem* Value);
    TCollectionItem* Add();
    TCollectionItem* Insert(int Index);
    void Delete(int Index);
    void Clear();
    TCollectionItem* FindItemID(int ID) const;

    // Changes inside a bracket are reported once, as a change of all items, when it closes.
    void BeginUpdate() { ++FUpdateCount; }
    void EndUpdate();
    int UpdateCount() const { return FUpdateCount; }
    // From another collection: one new item per source item, each assigned from it.
    void Assign(const TPersistent* Source) override;

protected:
    // A change of Item, or of the collection as a whole (Item nullptr), outside every bracket.
    virtual void Update(TCollectionItem* Item) {}
    void Changed();

private:
    friend class TCollectionItem;
    void InsertItem(TCollectionItem* Item);
    void RemoveItem(TCollectionItem* Item);
    TCollectionItemClass FItemClass;
    TPersistent* FOwner;
    std::vector<TCollectionItem*> FItems;
    int FNextID = 0;
    int FUpdateCount = 0;
};

// A growable list of untyped pointers; the bounds, capacity and count are checked.
class TList : public TObject {
    SS_CLASS(TList, TObject)
public:
    using TListSortCompare = int (*)(void* Item1, void* Item2);

    int Add(void* Item);
    void Insert(int Index, void* Item);
    void* Delete(int Index);  // answers the pointer that stood there
    int Remove(void* Item);   // former index, or -1
    int IndexOf(void* Item) const;
    void Exchange(int Index1, int Index2);
    void Move(int CurIndex, int NewIndex);
    void Clear();
    void Pack();
    void Sort(TListSortCompare Compare);
    // Grows the capacity by one growth step when the list is full.
    TList* Expand();

    void* Get(int Index) const;
    void Put(int Index, void* Item);
    int Count() const { return int(FItems.size()); }
    void SetCount(int Value);  // growing fills with null
    int Capacity() const { return FCapacity; }
    void SetCapacity(int Value);

private:
    void Grow();
    std::vector<void*> FItems;
    int FCapacity = 0;  // kept apart from the vector's, which it bounds from below
};

// An ordered list of strings, each with an object reference that the list does not own. A change
// is reported through Changing before and Changed after it; inside BeginUpdate/EndUpdate brackets
// OnChange waits for the outermost EndUpdate, and SetUpdateState marks the bracket's ends.
class TStrings : public TPersistent {
    SS_CLASS(TStrings, TPersistent)
public:
    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;
    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return FUpdateCount; }
    // From another string list: its lines and their objects, reported as one change.
    void Assign(const TPersistent* Source) override;

    virtual int Count() const = 0;
    virtual String Get(int index) const = 0;
    virtual void Put(int index, const String& s) = 0;
    virtual void Insert(int index, const String& s) = 0;
    virtual void Delete(int index) = 0;
    virtual void Clear() = 0;

    String operator[](int index) const { return Get(index); }
    virtual int Add(const String& s);
    int AddObject(const String& s, TObject* AObject);
    TObject* Objects(int index) const { return GetObject(index); }
    void SetObjects(int index, TObject* AObject) { PutObject(index, AObject); }
    int IndexOf(const String& s) const;  // without regard to ASCII case; -1 when absent
    // The lines joined, each followed by CR LF.
    String Text() const;
    // The Windows half (ClassesWin.cpp): files.
    // Writes Text() in the ANSI code page, without a byte-order mark, replacing an existing file.
    void SaveToFile(const String& fileName) const;
    // Replaces the lines with those of a file in the ANSI code page. Lines end with CR LF, LF or
    // a lone CR; a last line without an end counts. EFOpenError or EReadError when the file cannot
    // be opened or read.
    void LoadFromFile(const String& fileName);
    // Replaces the lines with those of text, split as LoadFromFile does.
    void SetText(const String& text);

protected:
    // Called around every change, also inside brackets; the base raises the events outside them.
    virtual void Changing();
    virtual void Changed();
    // A list without objects answers null and drops what it is given.
    virtual TObject* GetObject(int index) const { return nullptr; }
    virtual void PutObject(int index, TObject* AObject) {}
    // The outermost BeginUpdate (true) and EndUpdate (false).
    virtual void SetUpdateState(bool Updating) {}

private:
    int FUpdateCount = 0;
};

// Holds a string list's change reports for a scope: BeginUpdate when made, EndUpdate when left,
// also by an exception.
class TStringsUpdate {
public:
    explicit TStringsUpdate(TStrings& Strings) : FStrings(Strings) { FStrings.BeginUpdate(); }
    ~TStringsUpdate() { FStrings.EndUpdate(); }
    TStringsUpdate(const TStringsUpdate&) = delete;
    TStringsUpdate& operator=(const TStringsUpdate&) = delete;

private:
    TStrings& FStrings;
};

class TStringList : public TStrings {
    SS_CLASS(TStringList, TStrings)
public:
    int Count() const override { return int(FItems.size()); }
    String Get(int index) const override;
    void Put(int index, const String& s) override;
    void Insert(int index, const String& s) override;
    void Delete(int index) override;
    void Clear() override;

protected:
    TObject* GetObject(int index) const override;
    void PutObject(int index, TObject* AObject) override;

private:
    struct TItem {
        String Text;
        TObject* Object = nullptr;
    };
    std::vector<TItem> FItems;
};
