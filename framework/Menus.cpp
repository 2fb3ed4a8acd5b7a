#include "Menus.h"

#include "SysUtils.h"

TShortCut ShortCut(WORD Key, TShiftState Shift) {
    TShortCut s = Key & 0xFF;
    if (Shift.Contains(TShiftStateItem::ssShift)) s |= scShift;
    if (Shift.Contains(TShiftStateItem::ssCtrl)) s |= scCtrl;
    if (Shift.Contains(TShiftStateItem::ssAlt)) s |= scAlt;
    return s;
}

String ShortCutToText(TShortCut Value) {
    WORD key = Value & 0xFF;
    if (!key) return String();
    String name;
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) {
        name = String(1, wchar_t(key));
    } else if (key >= VK_F1 && key <= VK_F24) {
        name = L"F" + IntToStr(key - VK_F1 + 1);
    } else {
        wchar_t buf[64]{};
        LONG scan = LONG(MapVirtualKeyW(key, MAPVK_VK_TO_VSC)) << 16;
        if (GetKeyNameTextW(scan, buf, 64) > 0) name = buf;
    }
    String text;
    if (Value & scShift) text += L"Shift+";
    if (Value & scCtrl) text += L"Ctrl+";
    if (Value & scAlt) text += L"Alt+";
    return text + name;
}

TMenuItem::TMenuItem(TComponent* AOwner, const String& ACaption, TShortCut AShortCut)
    : TComponent(AOwner), FCaption(ACaption), FShortCut(AShortCut) {}

void TMenuItem::Click() {
    if (FEnabled && OnClick) OnClick(this);
}

TPopupMenu::~TPopupMenu() { NotifyFreed(this); }

TMenuItem* TPopupMenu::Add(const String& Caption, TShortCut ShortCut) {
    FItems.push_back(new TMenuItem(this, Caption, ShortCut));
    return FItems.back();
}

TMenuItem* TPopupMenu::Items(int Index) const {
    CheckListIndex(Index, Count() - 1);
    return FItems[std::size_t(Index)];
}

void TPopupMenu::DoPopup() {
    if (OnPopup) OnPopup(this);
}

bool TPopupMenu::IsShortCut(WORD Key, TShiftState Shift) {
    TShortCut wanted = ShortCut(Key, Shift);
    for (TMenuItem* item : FItems)
        if (item->ShortCut() == wanted) {
            DoPopup();
            if (!item->Enabled()) return false;
            item->Click();
            return true;
        }
    return false;
}

void TPopupMenu::Popup(HWND Owner, int X, int Y) {
    DoPopup();
    struct Menu {
        HMENU h = CreatePopupMenu();
        ~Menu() { DestroyMenu(h); }
    } menu;
    if (!menu.h) RaiseLastOSError();
    for (int i = 0; i < Count(); ++i) {
        TMenuItem* item = FItems[std::size_t(i)];
        String text = item->Caption();
        if (item->ShortCut()) text += L"\t" + ShortCutToText(item->ShortCut());
        AppendMenuW(menu.h, MF_STRING | (item->Enabled() ? MF_ENABLED : MF_GRAYED), UINT_PTR(i + 1), text.c_str());
    }
    int chosen = TrackPopupMenuEx(menu.h, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, X, Y, Owner, nullptr);
    if (chosen > 0 && chosen <= Count()) FItems[std::size_t(chosen - 1)]->Click();
}
