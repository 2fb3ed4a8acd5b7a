// The library's glyph button, with two more kinds that close the application's forms.
#pragma once
#include "ssBtnD3.h"

SS_ENUM(TssBitBtnKind, bkCustom, bkOK, bkCancel, bkHelp, bkYes, bkNo, bkClose, bkAbort, bkRetry, bkIgnore, bkAll,
        bkAllExit, bkExitToMain)

// The glyph button of the library's forms: every kind of the base, plus bkAllExit and
// bkExitToMain, which close the application's forms when clicked.
class TssButton : public TssOrgButtonDelphi3 {
    SS_CLASS(TssButton, TssOrgButtonDelphi3)
    SS_PUBLISHED(TssButton)
public:
    using TssOrgButtonDelphi3::TssOrgButtonDelphi3;
    TssBitBtnKind Kind() const { return FKind; }
    // bkAllExit and bkExitToMain are close buttons without a glyph and with their own captions.
    void SetKind(TssBitBtnKind Value);
    // bkExitToMain closes every form of the application but the main form; bkAllExit then closes
    // the main form too.
    void Click() override;

private:
    TssBitBtnKind FKind = TssBitBtnKind::bkCustom;
};
