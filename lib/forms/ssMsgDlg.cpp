#include "ssMsgDlg.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "SysUtils.h"

namespace {
struct TButtonEntry {
    TssMDialogBtnKind Kind;
    const wchar_t* Name;
    const wchar_t* Caption;
    TssMDialogModalResult Result;
};

// The buttons in the order they stand, left to right.
const TButtonEntry ButtonOrder[] = {
    {TssMDialogBtnKind::dbkYes, L"btnYes", L"はい(&Y)", TssMDialogModalResult::dmrYes},
    {TssMDialogBtnKind::dbkOk, L"btnOk", L"OK", TssMDialogModalResult::dmrOk},
    {TssMDialogBtnKind::dbkNo, L"btnNo", L"いいえ(&N)", TssMDialogModalResult::dmrNo},
    {TssMDialogBtnKind::dbkContinue, L"btnContinue", L"続行", TssMDialogModalResult::dmrContinue},
    {TssMDialogBtnKind::dbkAbort, L"btnAbort", L"中止(&A)", TssMDialogModalResult::dmrAbort},
    {TssMDialogBtnKind::dbkRetry, L"btnRetry", L"再試行(&R)", TssMDialogModalResult::dmrRetry},
    {TssMDialogBtnKind::dbkClose, L"btnClose", L"閉じる(&C)", TssMDialogModalResult::dmrClose},
    {TssMDialogBtnKind::dbkIgnore, L"btnIgnore", L"無視(&I)", TssMDialogModalResult::dmrIgnore},
    {TssMDialogBtnKind::dbkAll, L"btnAll", L"すべて", TssMDialogModalResult::dmrAll},
    {TssMDialogBtnKind::dbkReInput, L"btnReInput", L"再入力(&R)", TssMDialogModalResult::dmrReInput},
    {TssMDialogBtnKind::dbkCancel, L"btnCancel", L"ｷｬﾝｾﾙ", TssMDialogModalResult::dmrCancel},
    {TssMDialogBtnKind::dbkHelp, L"btnHelp", L"ﾍﾙﾌﾟ(&H)", TssMDialogModalResult::dmrNone},
};

constexpr int kButtonWidth = 90, kButtonHeight = 25, kButtonStep = 98;
constexpr const wchar_t* kPGothic = L"ＭＳ Ｐゴシック";
constexpr BYTE kShiftJisCharset = 128;

TssFormBaseKind FormKindOf(TComponent* owner) {
    for (const wchar_t* name : {L"TssFormFmBase", L"TssQRepFmBase", L"TfmKvrBase00"})
        if (InheritsFromName(owner, name)) return TssFormBaseKind::fbkKVR;
    if (InheritsFromName(owner, L"TfmPernBase00")) return TssFormBaseKind::fbkPERN;
    if (InheritsFromName(owner, L"TForm")) return TssFormBaseKind::fbkSTD;
    return TssFormBaseKind::fbkNONE;
}

int RoundDiv(double a, double b) { return int(std::lround(a / b)); }

TssMDialogBtnKind LowestKind(TssMDialogBtnKinds set) {
    for (int k = 0; k < 12; ++k)
        if (set.Contains(TssMDialogBtnKind(k))) return TssMDialogBtnKind(k);
    return TssMDialogBtnKind::dbkYes;
}
}  // namespace

// ---- TssMDialogOption ----

void TssMDialogOption::Assign(const TPersistent* Source) {
    auto* src = dynamic_cast<const TssMDialogOption*>(Source);
    if (!src) return;
    FPosition = src->FPosition;
    FScreenCenter = src->FScreenCenter;
    FTop = src->FTop;
    FLeft = src->FLeft;
}

void TssMDialogOption::SetPosition(TPosition v) {
    FPosition = v;
    FScreenCenter = v == TPosition::poScreenCenter;
}

void TssMDialogOption::SetScreenCenter(bool v) {
    FScreenCenter = v;
    FPosition = v ? TPosition::poScreenCenter : TPosition::poDesigned;
}

// ---- TfmMDialog ----

TfmMDialog::TfmMDialog(TComponent* AOwner) : TForm(AOwner) {
    SetName(L"fmMDialog");
    TComponent* owner = AOwner ? AOwner : Application->MainForm();
    FFormKind = FormKindOf(owner);
    SetPosition(TPosition::poDesigned);
    SetBorderIcons({});
    SetBorderStyle(TFormBorderStyle::bsDialog);
    SetBounds(0, 0, FWidth, FHeight);
    SetClientWidth(300);
    SetClientHeight(96);
    SetKeyPreview(true);
    OnKeyDown = [this](TObject*, WORD& key, TShiftState) { FormKeyDown(key); };

    int ppi = Screen->PixelsPerInch();
    bool kvr = FFormKind == TssFormBaseKind::fbkKVR;
    if (kvr) {
        Font()->Assign(*static_cast<TControl*>(owner)->Font());
    } else {
        Font()->SetCharset(kShiftJisCharset);
        Font()->SetColor(clWindowText);
        Font()->SetStyle({});
        bool framework = FFormKind != TssFormBaseKind::fbkNONE;
        Font()->SetName(framework ? L"ＭＳ ゴシック" : kPGothic);
        Font()->SetSize(framework ? 12 : 9);
    }

    lblMsg = new TssLabel(this);
    lblMsg->SetName(L"lblMsg");
    lblMsg->SetParent(this);
    lblMsg->SetTop(15);
    if (kvr) lblMsg->Font()->SetSize(RoundDiv(1152, ppi));

    pnlBtn = new TssPanel(this);
    pnlBtn->SetName(L"pnlBtn");
    pnlBtn->SetParent(this);
    pnlBtn->SetBevelOuter(TPanelBevel::bvNone);
    pnlBtn->SetHeight(34);
    pnlBtn->SetAlign(TAlign::alBottom);
    pnlBtn->SetParentFont(false);
    pnlBtn->Font()->SetCharset(kShiftJisCharset);
    pnlBtn->Font()->SetName(kPGothic);
    pnlBtn->Font()->SetColor(clWindowText);
    if (kvr) pnlBtn->Font()->SetSize(RoundDiv(Font()->Size() * 96.0, ppi));

    lblSubMsg = new TssLabel(this);
    lblSubMsg->SetName(L"lblSubMsg");
    lblSubMsg->SetParent(pnlBtn);
    lblSubMsg->SetTop(30);
    lblSubMsg->SetParentFont(false);
    lblSubMsg->Font()->Assign(*pnlBtn->Font());
    lblSubMsg->Font()->SetSize(kvr ? RoundDiv(11 * 96.0, ppi) : 11);

    imgIcon = new TssImage(this);
    imgIcon->SetName(L"imgIcon");
    imgIcon->SetParent(this);
    imgIcon->SetAutoSize(true);
    imgIcon->SetBounds(14, 13, 0, 0);
    FfmResize = std::make_unique<TssFormResize>(this);
}

TfmMDialog::~TfmMDialog() = default;

void TfmMDialog::ScaleToFormBase() {
    TssFormSizeMem* mem = TssFormSizeMem::Shared();
    if (!mem) {
        FCreatedSizeMem = std::make_unique<TssFormSizeMem>();
        mem = FCreatedSizeMem.get();
    }
    if (mem->Width() == -1) mem->SetWidth(800);
    FfmResize->SetBaseWidth(mem->Width());
    lblMsg->SetTop(std::max(lblMsg->Top(), 15));
    imgIcon->SetTop(std::max(imgIcon->Top(), 13));
    int top = Top(), left = Left();
    FfmResize->AbsolutePosition(top, left);
    if (auto* owner = dynamic_cast<TCustomForm*>(Owner())) {
        top += owner->Top();
        left += owner->Left();
    }
    SetBounds(left, top, Width(), Height());
}

void TfmMDialog::SetButtons(TssMDialogBtnKinds Value) {
    for (TssButton*& b : Fbtn) {
        delete b;
        b = nullptr;
    }
    if (Value.Empty()) Value.Include(TssMDialogBtnKind::dbkYes);
    FButtonKinds = Value;
    fButtonCount = 0;
    FCancel_Btn_Exist = false;
    int ppi = Screen->PixelsPerInch();
    bool scaledFont = FFormKind == TssFormBaseKind::fbkKVR || FFormKind == TssFormBaseKind::fbkPERN;
    for (const TButtonEntry& e : ButtonOrder) {
        if (!Value.Contains(e.Kind)) continue;
        auto* b = new TssButton(this);
        b->SetName(e.Name);
        b->SetParent(pnlBtn);
        b->SetBounds(fButtonCount * kButtonStep, 0, kButtonWidth, kButtonHeight);
        b->SetCaption(e.Caption);
        b->SetParentFont(false);
        b->Font()->Assign(*pnlBtn->Font());
        b->Font()->SetName(kPGothic);
        if (scaledFont) {
            b->Font()->SetSize(RoundDiv(1056, ppi));
            if (e.Kind == TssMDialogBtnKind::dbkCancel || e.Kind == TssMDialogBtnKind::dbkHelp)
                b->Font()->SetHeight(b->Font()->Height() + 1);
        }
        b->SetTabOrder(fButtonCount);
        if (e.Kind == TssMDialogBtnKind::dbkCancel) {
            b->SetCancel(true);
            FCancel_Btn_Exist = true;
        }
        if (e.Kind == TssMDialogBtnKind::dbkHelp) {
            b->OnClick = [this](TObject*) { Application->HelpContext(HelpContext()); };
        } else {
            TssMDialogModalResult result = e.Result;
            b->OnClick = [this, result](TObject*) { ButtonClick(result); };
        }
        Fbtn[size_t(e.Kind)] = b;
        ++fButtonCount;
    }
}

void TfmMDialog::ButtonClick(TssMDialogModalResult result) {
    Fmr = result;
    if (result != TssMDialogModalResult::dmrNone) SetModalResult(int(result));
}

void TfmMDialog::FormKeyDown(WORD& Key) {
    if (Key == VK_F9 && FButtonKinds.Contains(TssMDialogBtnKind::dbkNo)) {
        Key = 0;
        Fmr = TssMDialogModalResult::dmrNo;
        SetModalResult(int(Fmr));
        Hide();
    }
}

void TfmMDialog::SetDefaultButton(TssMDialogBtnKind Value) {
    TssButton* target = Fbtn[size_t(Value)];
    if (!target) {
        // The first control in the panel's tab order.
        for (TssButton* b : Fbtn)
            if (b && (!target || b->TabOrder() < target->TabOrder())) target = b;
    }
    SetActiveControl(target);
}

void TfmMDialog::SetIconType(TMsgDlgType Value) {
    static const wchar_t* const icons[] = {IDI_EXCLAMATION, IDI_HAND, IDI_ASTERISK, IDI_QUESTION};
    FHasIcon = Value != TMsgDlgType::mtCustom;
    imgIcon->Picture()->SetIcon(FHasIcon ? LoadIconW(nullptr, icons[int(Value)]) : nullptr);
    imgIcon->SetVisible(FHasIcon);
}

void TfmMDialog::LayOut() {
    bool hasSub = !lblSubMsg->Caption().empty();
    SetClientWidth(300);
    SetClientHeight(96 + (hasSub ? lblSubMsg->Height() : 0));
    if (FFormKind == TssFormBaseKind::fbkKVR) ScaleToFormBase();
    int iconWidth = FHasIcon ? imgIcon->Width() : 0;
    int width = ClientWidth(), height = ClientHeight();
    int buttonWidth = kButtonWidth;
    for (TssButton* b : Fbtn)
        if (b) buttonWidth = b->Width();
    width = std::max(width, lblMsg->Width() + 56 + iconWidth);
    width = std::max(width, (buttonWidth + 8) * fButtonCount + 36);
    width = std::max(width, lblSubMsg->Width() + 10);
    SetClientWidth(width);
    int needed = lblMsg->Height() + pnlBtn->Height() + 32;
    if (needed >= height) height = needed;
    SetClientHeight(height);
    lblMsg->SetLeft(FHasIcon ? iconWidth + 32 : 32);
    lblSubMsg->SetLeft(pnlBtn->Width() - lblSubMsg->Width() - 5);
    int leftmost = INT_MAX, rightmost = INT_MIN;
    for (TssButton* b : Fbtn)
        if (b) {
            leftmost = std::min(leftmost, b->Left());
            rightmost = std::max(rightmost, b->Left() + b->Width());
        }
    if (leftmost == INT_MAX) return;
    int shift = (ClientWidth() - rightmost - leftmost) / 2 + 2;
    for (TssButton* b : Fbtn)
        if (b) b->SetLeft(b->Left() + shift);
}

// ---- TssMessageDialog ----

TssMessageDialog::TssMessageDialog(TComponent* AOwner)
    : TComponent(AOwner), FOwner(AOwner ? AOwner : Application), FPos(std::make_unique<TssMDialogOption>()) {}

void TssMessageDialog::SetButtons(TssMDialogBtnKinds v) {
    FButtons = v;
    if (ComponentState().Contains(TComponentStateItem::csLoading) && !v.Contains(FDefaultBtn))
        FDefaultBtn = LowestKind(v);
}

bool TssMessageDialog::IsDefaultButtonStored() const {
    return FButtons.Contains(FDefaultBtn) && FDefaultBtn != LowestKind(FButtons);
}

String TssMessageDialog::SubMessage() const {
    String sub;
    if (!FSystemName.empty()) sub = L"[" + FSystemName + L"]";
    if (FErrorCode > 0) sub += L" エラーコード：" + Format(L"%4.4d", {FErrorCode});
    return sub;
}

int TssMessageDialog::Execute() {
    while (FOwner && !InheritsFromName(FOwner, L"TForm")) FOwner = FOwner->Owner();
    std::unique_ptr<TfmMDialog> fm(new TfmMDialog(FOwner));
    fmMDialog = fm.get();
    struct Forget {
        TfmMDialog*& window;
        ~Forget() { window = nullptr; }
    } forget{fmMDialog};

    fm->SetCaption(FTitle.empty() ? Application->Title() : FTitle);
    fm->SetHelpContext(FHelpContext);
    fm->SetMsg(FMsg);
    String sub = SubMessage();
    fm->SetSubMsg(sub);
    if (!sub.empty()) fm->pnlBtn->SetHeight(fm->pnlBtn->Height() + fm->lblSubMsg->Height());

    TssMDialogBtnKinds buttons = FButtons;
    if (buttons.Empty() || buttons == TssMDialogBtnKinds{TssMDialogBtnKind::dbkHelp})
        buttons.Include(TssMDialogBtnKind::dbkYes);
    fm->SetButtons(buttons);

    fm->SetPosition(FPos->Position());
    if (FPos->Position() == TPosition::poDesigned) fm->SetBounds(FPos->Left(), FPos->Top(), fm->Width(), fm->Height());

    fm->SetDefaultButton(FDefaultBtn);
    fm->SetIconType(FIconType);
    if (FColor != fm->Color()) {
        fm->SetColor(FColor);
        fm->pnlBtn->SetColor(FColor);
    }

    fm->LayOut();
    if (OnAdjustPos) {
        int top = fm->Top(), left = fm->Left();
        OnAdjustPos(this, top, left, fm->Height(), fm->Width());
        fm->SetBounds(left, top, fm->Width(), fm->Height());
    }

    fm->ShowModal();
    FModalResult = fm->Result();
    return int(FModalResult);
}
