// Components with owners, notify events and string lists.
#pragma once
#include <functional>
#include <vector>

#include "Sets.h"
#include "SysUtils.h"

class TPersistent : public TObject {
    SS_CLASS(TPersistent, TObject)
public:
    // Copies Source into this object; a class that cannot take Source raises the assignment
    // error (EConvertError), as this base does for every source.
    virtual void Assign(const TPersistent* Source);

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

protected:
    // Called once the component's properties have all been read.
    virtual void Loaded() {}
    // Deletes every owned component now; a derived destructor calls it when its owned components
    // must go before its own resources do.
    void DestroyComponents();
    TComponentState FComponentState;

private:
    void InsertComponent(TComponent* c);
    void RemoveComponent(TComponent* c);

    TComponent* FOwner = nullptr;
    String FName;
    std::vector<TComponent*> FComponents;
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

// An ordered list of strings.
class TStrings : public TPersistent {
    SS_CLASS(TStrings, TPersistent)
public:
    virtual int Count() const = 0;
    virtual const String& Get(int index) const = 0;
    virtual void Put(int index, const String& s) = 0;
    virtual void Insert(int index, const String& s) = 0;
    virtual void Delete(int index) = 0;
    virtual void Clear() = 0;

    const String& operator[](int index) const { return Get(index); }
    int Add(const String& s);
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
};

class TStringList : public TStrings {
    SS_CLASS(TStringList, TStrings)
public:
    int Count() const override { return int(FItems.size()); }
    const String& Get(int index) const override;
    void Put(int index, const String& s) override;
    void Insert(int index, const String& s) override;
    void Delete(int index) override;
    void Clear() override { FItems.clear(); }

private:
    std::vector<String> FItems;
};
