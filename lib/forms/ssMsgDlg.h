// The library's modal message box: a message, an optional sub-message with a system name and an
// error code, a system icon, and any combination of twelve button kinds in a fixed order.
#pragma once
#include <array>
#include <functional>

#include "Dialogs.h"
#include "Forms.h"
#include "ssButton.h"
#include "ssFmResize.h"
#include "ssImage.h"
#include "ssLabel.h"
#include "ssPanel.h"

enum class TssMDialogBtnKind {
    dbkYes, dbkOk, dbkNo, dbkCancel, dbkAbort, dbkRetry, dbkClose, dbkIgnore, dbkAll, dbkHelp, dbkReInput, dbkContinue
};
using TssMDialogBtnKinds = TSet<TssMDialogBtnKind>;
enum class TssMDialogModalResult {
    dmrNone, dmrOk, dmrCancel, dmrAbort, dmrRetry, dmrIgnore, dmrYes, dmrNo, dmrAll, dmrClose, dmrReInput, dmrContinue
};
// The kind of form that owns the dialog, which decides its fonts.
enum class TssFormBaseKind { fbkKVR, fbkPERN, fbkSTD, fbkNONE };
using TAdjustPosEvent = std::function<void(TObject* Sender, int& Top, int& Left, int Height, int Width)>;

// Where the dialog appears: centred on the screen, or at Top and Left.
class TssMDialogOption : public TPersistent {
    SS_CLASS(TssMDialogOption, TPersistent)
public:
    // Copies another option object; any other source is ignored.
    void Assign(const TPersistent* Source);
    TPosition Position() const { return FPosition; }
    void SetPosition(TPosition v);
    bool ScreenCenter() const { return FScreenCenter; }
    void SetScreenCenter(bool v);
    int Top() const { return FTop; }
    void SetTop(int v) { FTop = v; }
    int Left() const { return FLeft; }
    void SetLeft(int v) { FLeft = v; }

private:
    TPosition FPosition = TPosition::poScreenCenter;
    bool FScreenCenter = true;
    int FTop = 0;
    int FLeft = 0;
};

// The dialog window, built in code for one showing.
class TfmMDialog : public TForm {
    SS_CLASS(TfmMDialog, TForm)
public:
    explicit TfmMDialog(TComponent* AOwner);
    ~TfmMDialog() override;

    TssMDialogBtnKinds Buttons() const { return FButtonKinds; }
    // Replaces the buttons; an empty set gives a Yes button.
    void SetButtons(TssMDialogBtnKinds Value);
    // The button that has the focus first; without one of that kind, the first button.
    void SetDefaultButton(TssMDialogBtnKind Value);
    String Msg() const { return lblMsg->Caption(); }
    void SetMsg(const String& v) { lblMsg->SetCaption(v); }
    String SubMsg() const { return lblSubMsg->Caption(); }
    void SetSubMsg(const String& v) { lblSubMsg->SetCaption(v); }
    void SetIconType(TMsgDlgType Value);
    TssFormBaseKind FormKind() const { return FFormKind; }
    TssMDialogModalResult Result() const { return Fmr; }
    // Sizes the window to its message, sub-message and buttons and centres the button row;
    // a dialog of a library form is first scaled to the remembered form base width and its
    // position taken as a design position on the owner form.
    void LayOut();
    TssButton* Button(TssMDialogBtnKind kind) const { return Fbtn[size_t(kind)]; }

    TssPanel* pnlBtn;
    TssLabel* lblMsg;
    TssLabel* lblSubMsg;
    TssImage* imgIcon;

private:
    void ButtonClick(TssMDialogModalResult result);
    void FormKeyDown(WORD& Key);
    void ScaleToFormBase();

    std::array<TssButton*, 12> Fbtn{};
    TssMDialogModalResult Fmr = TssMDialogModalResult::dmrNone;
    TssMDialogBtnKinds FButtonKinds;
    TssFormBaseKind FFormKind = TssFormBaseKind::fbkNONE;
    int fButtonCount = 0;
    bool FCancel_Btn_Exist = false;
    bool FHasIcon = false;
    std::unique_ptr<TssFormResize> FfmResize;
    // The shared size memory, when this window made it.
    std::unique_ptr<TssFormSizeMem> FCreatedSizeMem;
};

// The message dialog component: set the message, the optional sub-message, system name and
// error code, the icon and the buttons, then Execute shows the modal box and answers the
// modal result of the button pressed.
class TssMessageDialog : public TComponent {
    SS_CLASS(TssMessageDialog, TComponent)
public:
    explicit TssMessageDialog(TComponent* AOwner);

    // Shows the dialog modally and answers the TssMDialogModalResult ordinal of the button pressed.
    int Execute();

    const String& Title() const { return FTitle; }
    void SetTitle(const String& v) { FTitle = v; }
    const String& Msg() const { return FMsg; }
    void SetMsg(const String& v) { FMsg = v; }
    const String& SystemName() const { return FSystemName; }
    void SetSystemName(const String& v) { FSystemName = v; }
    int ErrorCode() const { return FErrorCode; }
    void SetErrorCode(int v) { FErrorCode = v; }
    TssMDialogBtnKind DefaultButton() const { return FDefaultBtn; }
    void SetDefaultButton(TssMDialogBtnKind v) { FDefaultBtn = v; }
    TssMDialogBtnKinds Buttons() const { return FButtons; }
    // While loading, a default button outside the new set moves to the set's lowest kind.
    void SetButtons(TssMDialogBtnKinds v);
    TMsgDlgType IconType() const { return FIconType; }
    void SetIconType(TMsgDlgType v) { FIconType = v; }
    TColor Color() const { return FColor; }
    void SetColor(TColor v) { FColor = v; }
    TssMDialogOption* PosOption() const { return FPos.get(); }
    void SetPosOption(const TssMDialogOption* v) { FPos->Assign(v); }
    int HelpContext() const { return FHelpContext; }
    void SetHelpContext(int v) { FHelpContext = v; }
    TssMDialogModalResult ModalResult() const { return FModalResult; }
    // The component that owns the dialog window: a form found by walking up the owners.
    TComponent* DialogOwner() const { return FOwner; }
    // The sub-message line: "[system name]" and " エラーコード：" with at least four digits.
    String SubMessage() const;
    // Whether DefaultButton is worth storing: in the set and not its lowest kind.
    bool IsDefaultButtonStored() const;

    TAdjustPosEvent OnAdjustPos;

private:
    TfmMDialog* fmMDialog = nullptr;
    TssMDialogBtnKind FDefaultBtn = TssMDialogBtnKind::dbkYes;
    TssMDialogBtnKinds FButtons{TssMDialogBtnKind::dbkYes};
    TComponent* FOwner;
    String FTitle, FMsg, FSystemName;
    int FErrorCode = 0;
    TMsgDlgType FIconType = TMsgDlgType::mtCustom;
    TColor FColor = clBtnFace;
    std::unique_ptr<TssMDialogOption> FPos;
    int FHelpContext = 0;
    TssMDialogModalResult FModalResult = TssMDialogModalResult::dmrNone;
};
