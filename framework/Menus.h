// Pop-up menus with shortcuts.
#pragma once
#include <memory>
#include <vector>

#include "Controls.h"

// A key with its modifiers: the virtual-key code in the low byte, and these bits.
using TShortCut = WORD;
constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;
TShortCut ShortCut(WORD Key, TShiftState Shift);
// "Ctrl+C", "Shift+Alt+F1": the text a menu shows beside the item; empty for 0.
String ShortCutToText(TShortCut Value);

class TMenuItem : public TComponent {
    SS_CLASS(TMenuItem, TComponent)
public:
    TMenuItem(TComponent* AOwner, const String& ACaption, TShortCut AShortCut);
    const String& Caption() const { return FCaption; }
    void SetCaption(const String& v) { FCaption = v; }
    TShortCut ShortCut() const { return FShortCut; }
    void SetShortCut(TShortCut v) { FShortCut = v; }
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool v) { FEnabled = v; }
    TNotifyEvent OnClick;
    virtual void Click();

private:
    String FCaption;
    TShortCut FShortCut;
    bool FEnabled = true;
};

// A menu shown at a point. Its items belong to it. Those that keep it without owning it (a data
// grid's columns) ask to be told when it is freed.
class TPopupMenu : public TComponent, public TFreeNotifier {
    SS_CLASS(TPopupMenu, TComponent)
public:
    using TComponent::TComponent;
    ~TPopupMenu() override;
    TMenuItem* Add(const String& Caption, TShortCut ShortCut = 0);
    int Count() const { return int(FItems.size()); }
    TMenuItem* Items(int Index) const;
    // Before the menu shows, and before a shortcut is looked up: the moment to set the items'
    // states.
    TNotifyEvent OnPopup;
    // Clicks the enabled item with this shortcut; answers whether one took it.
    bool IsShortCut(WORD Key, TShiftState Shift);
    // Shows the menu at a screen point for Owner until the user chooses or leaves it, then clicks
    // the chosen item.
    void Popup(HWND Owner, int X, int Y);

protected:
    virtual void DoPopup();

private:
    std::vector<TMenuItem*> FItems;  // owned as components
};
