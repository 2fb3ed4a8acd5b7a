#include "ssButton.h"

#include "Forms.h"

namespace {
bool IsExitKind(TssBitBtnKind k) { return k == TssBitBtnKind::bkAllExit || k == TssBitBtnKind::bkExitToMain; }
}  // namespace

SS_PUBLISH(TssButton) {
    p.Property(L"Kind", &TssButton::Kind, &TssButton::SetKind).Default(TssBitBtnKind::bkCustom);
}

void TssButton::SetKind(TssBitBtnKind Value) {
    if (Value == FKind) return;
    if (IsExitKind(Value)) {
        TssOrgButtonDelphi3::SetKind(TBitBtnKind::bkxClose);
        ButtonGlyph()->SetGlyph(nullptr);
        SetCaption(Value == TssBitBtnKind::bkAllExit ? L"プログラムの終了(&X)" : L"処理終了(&Q)");
    } else {
        // Back from an exit kind to the close kind: apply the close kind again.
        if (IsExitKind(FKind) && Value == TssBitBtnKind::bkClose) TssOrgButtonDelphi3::SetKind(TBitBtnKind::bkxCustom);
        TssOrgButtonDelphi3::SetKind(TBitBtnKind(Value));
    }
    FKind = Value;
}

void TssButton::Click() {
    if (IsExitKind(FKind) && GetParentForm(this)) {
        TCustomForm* mainForm = Application->MainForm();
        for (int i = 0; i < Application->ComponentCount(); ++i)
            if (auto* form = dynamic_cast<TCustomForm*>(Application->Components(i)); form && form != mainForm)
                form->Close();
        if (FKind == TssBitBtnKind::bkAllExit && mainForm) mainForm->Close();
        return;
    }
    TssOrgButtonDelphi3::Click();
}
