// Small streamable classes: a component tree with every kind of property, a collection whose
// items carry a font, and a defined list and block of bytes.
#pragma once
#include <vector>

#include "Filer.h"

SS_ENUM(TTestShape, tsSquare, tsCircle, tsTriangle)
SS_ENUM(TTestFlag, tfBold, tfItalic, tfUnder)
using TTestFlags = TSet<TTestFlag>;

class TTestFont : public TPersistent {
    SS_CLASS(TTestFont, TPersistent)
    SS_PUBLISHED(TTestFont)
public:
    const String& Name() const { return FName; }
    void SetName(const String& v) { FName = v; }
    int Size() const { return FSize; }
    void SetSize(int v) { FSize = v; }
    TTestFlags Style() const { return FStyle; }
    void SetStyle(TTestFlags v) { FStyle = v; }
    void Assign(const TPersistent* Source) override;

private:
    String FName;
    int FSize = 9;
    TTestFlags FStyle;
};

class TTestItem : public TCollectionItem {
    SS_CLASS(TTestItem, TCollectionItem)
    SS_PUBLISHED(TTestItem)
public:
    using TCollectionItem::TCollectionItem;
    const String& Caption() const { return FCaption; }
    void SetCaption(const String& v) { FCaption = v; }
    int Width() const { return FWidth; }
    void SetWidth(int v) { FWidth = v; }
    TTestFont* Font() const { return &FFont; }
    void Assign(const TPersistent* Source) override;

private:
    String FCaption;
    int FWidth = 64;
    mutable TTestFont FFont;
};

// Counts what it reports, to show brackets fold changes into one.
class TTestItems : public TCollection {
    SS_CLASS(TTestItems, TCollection)
public:
    TTestItems() : TCollection(TCollectionItemClass::Of<TTestItem>()) {}
    TTestItem* Item(int i) const { return static_cast<TTestItem*>(Items(i)); }
    std::vector<int> Updates;  // the index of each changed item, -1 for all

protected:
    void Update(TCollectionItem* Item) override { Updates.push_back(Item ? Item->Index() : -1); }
};

class TTestNode : public TComponent {
    SS_CLASS(TTestNode, TComponent)
    SS_PUBLISHED(TTestNode)
public:
    explicit TTestNode(TComponent* owner) : TComponent(owner) {}
    ~TTestNode() override;

    int Count() const { return FCount; }
    void SetCount(int v) {
        FCount = v;
        LoadingWhenRead = ComponentState().Contains(TComponentStateItem::csLoading);
    }
    const String& Title() const { return FTitle; }
    void SetTitle(const String& v) { FTitle = v; }
    TTestShape Shape() const { return FShape; }
    void SetShape(TTestShape v) { FShape = v; }
    TTestFlags Flags() const { return FFlags; }
    void SetFlags(TTestFlags v) { FFlags = v; }
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool v) { FEnabled = v; }
    short Small() const { return FSmall; }
    void SetSmall(short v) { FSmall = v; }
    // Written only while Enabled.
    int Extra() const { return FExtra; }
    void SetExtra(int v) { FExtra = v; }
    bool IsExtraStored() const { return FEnabled; }
    TTestFont* Font() const { return &FFont; }
    TTestItems* Items() const { return &FItems; }
    TTestNode* Link() const { return FLink; }
    void SetLink(TTestNode* v) { FLink = v; }
    int Kids() const { return int(FChildren.size()); }

    std::vector<int> Values;        // the defined list "Values"
    std::vector<std::uint8_t> Blob;  // the defined block "Blob"
    std::vector<TTestNode*> FChildren;
    TTestNode* FParent = nullptr;
    int LoadedCalls = 0;
    bool LoadingWhenRead = false;  // the loading state while Count was set

    void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) override;
    void SetParentComponent(TComponent* Parent) override;

protected:
    void DefineProperties(TFiler& Filer) override;
    void Loaded() override { ++LoadedCalls; }

private:
    int FCount = 5;
    String FTitle;
    TTestShape FShape = TTestShape::tsSquare;
    TTestFlags FFlags;
    bool FEnabled = true;
    short FSmall = 0;
    int FExtra = 0;
    mutable TTestFont FFont;
    mutable TTestItems FItems;
    TTestNode* FLink = nullptr;
};

// Registers the fixture's classes for reading by name.
void RegisterTestClasses();
// A component's stream in its text form.
std::string StreamText(TComponent* c, const TComponent* ancestor = nullptr);
