// The library's masked edit: the framework's masked edit with a clear key, a shortcut that
// empties the edit. The key comes from the owner form's published "ClearKey" property unless
// the edit sets its own.
#pragma once
#include "Mask.h"
#include "Menus.h"

// A masked edit that empties itself on its clear key (ClearKey). With ParentClearKey the key
// is the owner form's published ClearKey property, when the form has one.
class TssCustomMaskEdit : public TCustomMaskEdit {
    SS_CLASS(TssCustomMaskEdit, TCustomMaskEdit)
public:
    explicit TssCustomMaskEdit(TComponent* AOwner);

    bool ParentClearKey() const { return FParentClearKey; }
    virtual void SetParentClearKey(bool Value);
    TShortCut ClearKey() const { return FClearKey; }
    virtual void SetClearKey(TShortCut Value);
    virtual bool IsClearKeyStored() const { return !FParentClearKey; }
    virtual bool IsParentClearKeyStored() const { return !FParentClearKey; }

protected:
    // Whether Component is a form that publishes a property of that name.
    virtual bool OwnerHasProperty(const TComponent* Component, const String& Name) const;
    // Selects the whole text and deletes it.
    virtual void ClearByKey();
    void KeyDown(WORD& Key, TShiftState Shift) override;
    void KeyUp(WORD& Key, TShiftState Shift) override;

private:
    TShortCut OwnerClearKey() const;
    // Shift+Left as the keyboard state has it while the system repeats it for a selection: the
    // edit's own handling runs without the program's key event.
    static bool ShiftLeftHeld(WORD Key);
    bool FParentClearKey = true;
    TShortCut FClearKey = 0;
};
