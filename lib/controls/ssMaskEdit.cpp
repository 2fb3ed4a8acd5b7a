#include "ssMaskEdit.h"

#include "Forms.h"

TssCustomMaskEdit::TssCustomMaskEdit(TComponent* AOwner) : TCustomMaskEdit(AOwner) {
    FClearKey = OwnerClearKey();
}

bool TssCustomMaskEdit::OwnerHasProperty(const TComponent* Component, const String& Name) const {
    return dynamic_cast<const TCustomForm*>(Component) && IsPublishedProp(Component, Name);
}

TShortCut TssCustomMaskEdit::OwnerClearKey() const {
    if (!OwnerHasProperty(Owner(), L"ClearKey")) return 0;
    return TShortCut(GetOrdProp(Owner(), L"ClearKey"));
}

void TssCustomMaskEdit::SetParentClearKey(bool Value) {
    if (FParentClearKey == Value) return;
    FParentClearKey = Value;
    if (Value) FClearKey = OwnerClearKey();
}

void TssCustomMaskEdit::SetClearKey(TShortCut Value) {
    if (FClearKey == Value) return;
    FClearKey = Value;
    FParentClearKey = false;
}

void TssCustomMaskEdit::ClearByKey() {
    SelectAll();
    ClearSelection();
}

bool TssCustomMaskEdit::ShiftLeftHeld(WORD Key) {
    BYTE state[256];
    return Key == VK_LEFT && GetKeyboardState(state) && state[VK_SHIFT] == 0x81 && state[VK_LEFT] == 0x81;
}

void TssCustomMaskEdit::KeyDown(WORD& Key, TShiftState Shift) {
    if (ShiftLeftHeld(Key)) {
        TKeyEvent saved = std::move(OnKeyDown);
        OnKeyDown = nullptr;
        try {
            TCustomMaskEdit::KeyDown(Key, Shift);
        } catch (...) {
            OnKeyDown = std::move(saved);
            throw;
        }
        OnKeyDown = std::move(saved);
    } else {
        TCustomMaskEdit::KeyDown(Key, Shift);
    }
    if (FClearKey != 0 && Key != 0 && ShortCut(Key, Shift) == FClearKey) ClearByKey();
}

void TssCustomMaskEdit::KeyUp(WORD& Key, TShiftState Shift) {
    if (!ShiftLeftHeld(Key)) return TCustomMaskEdit::KeyUp(Key, Shift);
    TKeyEvent saved = std::move(OnKeyUp);
    OnKeyUp = nullptr;
    try {
        TCustomMaskEdit::KeyUp(Key, Shift);
    } catch (...) {
        OnKeyUp = std::move(saved);
        throw;
    }
    OnKeyUp = std::move(saved);
}
