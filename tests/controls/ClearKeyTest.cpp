// The clear key of the library's masked edit: the owner form's published "ClearKey", or its own.
#include <gtest/gtest.h>

#include <cstring>

#include "ControlsFixture.h"
#include "ssMaskEdit.h"

namespace {

// A form that publishes the key that empties its edits.
class TClearKeyForm : public TForm {
    SS_CLASS(TClearKeyForm, TForm)
    SS_PUBLISHED(TClearKeyForm)
public:
    using TForm::TForm;
    TShortCut ClearKey() const { return FClearKey; }
    void SetClearKey(TShortCut v) { FClearKey = v; }

private:
    TShortCut FClearKey = ShortCut(VK_DELETE, {TShiftStateItem::ssCtrl});
};

SS_PUBLISH(TClearKeyForm) { p.Property(L"ClearKey", &TClearKeyForm::ClearKey, &TClearKeyForm::SetClearKey); }

class TEdit : public TssCustomMaskEdit {
public:
    using TssCustomMaskEdit::TssCustomMaskEdit;
};

void Press(HWND h, WORD key, bool ctrl) {
    BYTE state[256], saved[256];
    GetKeyboardState(saved);
    std::memcpy(state, saved, sizeof state);
    state[VK_CONTROL] = ctrl ? 0x80 : 0;
    SetKeyboardState(state);
    SendMessageW(h, WM_KEYDOWN, key, 0);
    SetKeyboardState(saved);
}

TEST(SsClearKey, TheOwnerFormsKeyUnlessTheEditHasItsOwn) {
    auto* form = new TClearKeyForm(Application);
    auto* edit = new TEdit(form);
    edit->SetParent(form);
    form->Show();
    EXPECT_EQ(edit->ClearKey(), ShortCut(VK_DELETE, {TShiftStateItem::ssCtrl}));
    EXPECT_TRUE(edit->ParentClearKey());
    edit->SetText(L"abc");
    edit->SetSelStart(3);
    Press(edit->Handle(), VK_DELETE, false);  // a plain Delete at the end is no clear key
    EXPECT_EQ(edit->Text(), L"abc");
    Press(edit->Handle(), VK_DELETE, true);
    EXPECT_EQ(edit->Text(), L"");

    // Its own key detaches it from the form's, and taking the form's again reads it anew.
    edit->SetClearKey(ShortCut(VK_F8, {}));
    EXPECT_FALSE(edit->ParentClearKey());
    EXPECT_TRUE(edit->IsClearKeyStored());
    form->SetClearKey(ShortCut(VK_F9, {}));
    edit->SetParentClearKey(true);
    EXPECT_EQ(edit->ClearKey(), ShortCut(VK_F9, {}));

    // An edit whose owner is not a form has none.
    auto* loose = new TEdit(edit);
    EXPECT_EQ(loose->ClearKey(), 0);
    delete form;
}

}  // namespace
