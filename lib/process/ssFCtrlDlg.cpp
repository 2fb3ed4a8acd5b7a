#include "ssFCtrlDlg.h"

TfmFileControl::TfmFileControl(TComponent* AOwner) : TForm(AOwner) {
    SetName(L"fmFileControl");
    SetPosition(TPosition::poDesigned);
    SetBorderStyle(TFormBorderStyle::bsDialog);
    SetBounds(182, 112, Width(), Height());
    SetClientWidth(325);
    SetClientHeight(108);
    Font()->SetCharset(SHIFTJIS_CHARSET);
    Font()->SetHeight(-15);
    Font()->SetName(L"ＭＳ Ｐゴシック");

    lblCaption = new TssLabel(this);
    lblCaption->SetName(L"lblCaption");
    lblCaption->SetParent(this);
    lblCaption->SetAutoSize(false);
    lblCaption->SetBounds(0, 10, 325, 15);
    lblCaption->SetAlignment(TAlignment::taCenter);
    lblCaption->SetTransparent(true);

    ani = new TssAnimate(this);
    ani->SetName(L"ani");
    ani->SetParent(this);
    ani->SetBounds(11, 35, 304, 60);
    ani->SetStopFrame(24);

    FormCreate();
}

void TfmFileControl::FormCreate() {
    bIsCopy = true;
    ani->SetCommonAVI(TCommonAVI::aviCopyFiles);
}

// A progress window has no system menu and stays above the program's other windows.
void TfmFileControl::CreateParams(TCreateParams& Params) {
    TForm::CreateParams(Params);
    Params.Style &= ~WS_SYSMENU;
    Params.ExStyle |= WS_EX_TOPMOST;
}

void TfmFileControl::SetVisible(bool Value) {
    TForm::SetVisible(Value);
    FormShowHide();
}

void TfmFileControl::FormShowHide() {
    // Without a clip there is nothing to play; the window still serves.
    ani->SetActive(Visible() && ani->Open());
}

void TfmFileControl::SetisCopy(bool Value) {
    ani->SetCommonAVI(Value ? TCommonAVI::aviCopyFiles : TCommonAVI::aviDeleteFile);
    bIsCopy = Value;
    ani->SetLeft((ClientWidth() - ani->Width()) / 2);
}

void TfmFileControl::SetCaptionStr(const String& Value) {
    lblCaption->SetCaption(Value);
    if (!Value.empty()) {
        ani->SetTop(lblCaption->Top() + 20);
        SetClientHeight(lblCaption->Height() + ani->Height() + 30);
    } else {
        ani->SetTop(10);
        SetClientHeight(ani->Height() + 20);
    }
}

std::unique_ptr<TfmFileControl> ShowFileControlForm(bool isCopy, const TssFCDialog& Dialog, TComponent* Owner) {
    auto form = std::make_unique<TfmFileControl>(Application);
    form->SetisCopy(isCopy);
    form->SetCaption(Dialog.Title());
    form->SetCaptionStr(Dialog.Caption());
    int left, top;
    if (Dialog.ScreenCenter()) {
        left = (GetSystemMetrics(SM_CXSCREEN) - form->Width()) / 2;
        top = (GetSystemMetrics(SM_CYSCREEN) - form->Height()) / 2;
    } else {
        auto* ownerForm = dynamic_cast<TCustomForm*>(Owner);
        left = Dialog.Left() + (ownerForm ? ownerForm->Left() : 0);
        top = Dialog.Top() + (ownerForm ? ownerForm->Top() : 0);
    }
    form->SetBounds(left, top, form->Width(), form->Height());
    form->SetVisible(true);
    // The work that follows keeps the thread busy, so the window is painted now.
    RedrawWindow(form->Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    return form;
}
