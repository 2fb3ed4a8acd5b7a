#include "StdCtrls.h"

#include "Forms.h"

// ---- TLabel ----

SS_PUBLISH(TLabel) {
    p.Property(L"Alignment", &TLabel::Alignment, &TLabel::SetAlignment).Default(TAlignment::taLeftJustify);
    p.Property(L"AutoSize", &TLabel::AutoSize, &TLabel::SetAutoSize).Default(true);
    p.Property(L"Layout", &TLabel::Layout, &TLabel::SetLayout).Default(TTextLayout::tlTop);
    p.Property(L"ShowAccelChar", &TLabel::ShowAccelChar, &TLabel::SetShowAccelChar).Default(true);
    p.Property(L"Transparent", &TLabel::Transparent, &TLabel::SetTransparent).Default(false);
    p.Property(L"WordWrap", &TLabel::WordWrap, &TLabel::SetWordWrap).Default(false);
}

TLabel::TLabel(TComponent* AOwner) : TGraphicControl(AOwner) {
    FWidth = 65;
    FHeight = 17;
}

void TLabel::SetAlignment(TAlignment v) { if (v != FAlignment) { FAlignment = v; Invalidate(); } }
void TLabel::SetLayout(TTextLayout v) { if (v != FLayout) { FLayout = v; Invalidate(); } }
void TLabel::SetTransparent(bool v) { if (v != FTransparent) { FTransparent = v; Invalidate(); } }
void TLabel::SetShowAccelChar(bool v) {
    if (v == FShowAccelChar) return;
    FShowAccelChar = v;
    Invalidate();
    AdjustBounds();
}

void TLabel::SetWordWrap(bool v) {
    if (v == FWordWrap) return;
    FWordWrap = v;
    AdjustBounds();
    Invalidate();
}

void TLabel::SetAutoSize(bool v) {
    if (v == FAutoSize) return;
    FAutoSize = v;
    AdjustBounds();
}

void TLabel::Loaded() { AdjustBounds(); }

void TLabel::FontChanged() {
    Invalidate();
    AdjustBounds();
}

void TLabel::TextChanged() {
    Invalidate();
    AdjustBounds();
}

UINT TLabel::AlignmentFlag() const {
    switch (FAlignment) {
        case TAlignment::taRightJustify: return DT_RIGHT;
        case TAlignment::taCenter: return DT_CENTER;
        default: return DT_LEFT;
    }
}

void TLabel::Paint() {
    TCanvas* c = Canvas();
    // Everything measured during the paint (a derived label's pitch, too) uses the label's font.
    c->Font()->Assign(*FFont);
    RECT r{0, 0, FWidth, FHeight};
    if (!FTransparent) {
        c->Brush()->SetColor(FColor);
        c->FillRect(r);
    }
    c->Brush()->SetStyle(TBrushStyle::bsClear);
    UINT flags = DT_EXPANDTABS | (FWordWrap ? DT_WORDBREAK : 0) | AlignmentFlag();
    if (FLayout != TTextLayout::tlTop) {
        RECT calc = r;
        DoDrawText(calc, flags | DT_CALCRECT);
        int th = calc.bottom - calc.top;
        OffsetRect(&r, 0, FLayout == TTextLayout::tlBottom ? FHeight - th : (FHeight - th) / 2);
    }
    AdjustTextRect(r);
    DoDrawText(r, flags);
}

void TLabel::DoDrawText(RECT& r, UINT flags) {
    String text = FCaption;
    if ((flags & DT_CALCRECT) && (text.empty() || (FShowAccelChar && text == L"&"))) text += L' ';
    if (!FShowAccelChar) flags |= DT_NOPREFIX;
    flags = DrawTextBiDiModeFlags(flags);
    TCanvas* c = Canvas();
    c->Font()->Assign(*FFont);
    if (FEnabled) {
        DrawLabelText(r, flags, text);
        return;
    }
    // Disabled text: a highlight copy one pixel down-right under a shadow copy.
    OffsetRect(&r, 1, 1);
    c->Font()->SetColor(clBtnHighlight);
    DrawLabelText(r, flags, text);
    OffsetRect(&r, -1, -1);
    c->Font()->SetColor(clBtnShadow);
    DrawLabelText(r, flags, text);
}

void TLabel::DrawLabelText(RECT& r, UINT flags, const String& text) { Canvas()->DrawText(text, r, flags); }

void TLabel::AdjustBounds() {
    if (!FAutoSize || ComponentState().Contains(TComponentStateItem::csLoading)) return;
    RECT r{0, 0, FWidth, FHeight};
    HDC dc = GetDC(nullptr);
    Canvas()->SetHandle(dc);
    DoDrawText(r, DT_EXPANDTABS | DT_CALCRECT | (FWordWrap ? DT_WORDBREAK : 0));
    Canvas()->SetHandle(nullptr);
    ReleaseDC(nullptr, dc);
    int x = FLeft;
    if (FAlignment == TAlignment::taRightJustify) x += FWidth - r.right;
    SetBounds(x, FTop, r.right, r.bottom);
}

// ---- TButton ----

SS_PUBLISH(TButton) {
    p.Property<bool, bool>(L"TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop).Default(true);
    p.Property(L"Cancel", &TButton::Cancel, &TButton::SetCancel).Default(false);
    p.Property(L"Default", &TButton::Default, &TButton::SetDefault).Default(false);
    p.Property(L"ModalResult", &TButton::ModalResult, &TButton::SetModalResult).Default(0);
}

TButton::TButton(TComponent* AOwner) : TWinControl(AOwner) {
    FWidth = 75;
    FHeight = 25;
    FTabStop = true;
}

void TButton::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.SysClass = L"BUTTON";
    p.Style |= FDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void TButton::SetDefault(bool v) {
    if (v == FDefault) return;
    FDefault = v;
    if (HandleAllocated())
        if (TCustomForm* form = GetParentForm(this)) form->FocusChanged(form->ActiveControl());
}

void TButton::SetButtonStyle(bool ADefault) {
    if (HandleAllocated()) SendMessageW(FHandle, BM_SETSTYLE, ADefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void TButton::Click() {
    if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(FModalResult);
    TWinControl::Click();
}

void TButton::CommandNotify(WORD code) {
    if (code == BN_CLICKED) Click();
}

TCustomEdit::TCustomEdit(TComponent* AOwner) : TWinControl(AOwner) {
    FWidth = 121;
    FHeight = 21;
    FTabStop = true;
    FColor = clWindow;
}

void TCustomEdit::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.SysClass = L"EDIT";
    params.Style |= ES_AUTOHSCROLL | WS_TABSTOP | (FReadOnly ? ES_READONLY : 0);
    if (FBorderStyle == TBorderStyle::bsSingle) {
        if (FCtl3D) params.ExStyle |= WS_EX_CLIENTEDGE;
        else params.Style |= WS_BORDER;
    }
}

void TCustomEdit::CreateWnd() {
    TWinControl::CreateWnd();
    SendMessageW(FHandle, EM_LIMITTEXT, WPARAM(FMaxLength), 0);
}

String TCustomEdit::Text() {
    if (!FHandle) return FCaption;
    int n = GetWindowTextLengthW(FHandle);
    String s(std::size_t(n) + 1, L'\0');
    s.resize(std::size_t(GetWindowTextW(FHandle, s.data(), n + 1)));
    return s;
}

void TCustomEdit::SetText(const String& v) {
    FCaption = v;
    if (FHandle) SetWindowTextW(FHandle, v.c_str());
}

int TCustomEdit::SelStart() {
    DWORD start = 0, end = 0;
    SendMessageW(Handle(), EM_GETSEL, WPARAM(&start), LPARAM(&end));
    return int(start);
}

void TCustomEdit::SetSelStart(int v) { SendMessageW(Handle(), EM_SETSEL, WPARAM(v), LPARAM(v)); }

int TCustomEdit::SelLength() {
    DWORD start = 0, end = 0;
    SendMessageW(Handle(), EM_GETSEL, WPARAM(&start), LPARAM(&end));
    return int(end - start);
}

void TCustomEdit::SetSelLength(int v) {
    int start = SelStart();
    SendMessageW(Handle(), EM_SETSEL, WPARAM(start), LPARAM(start + v));
}

String TCustomEdit::SelText() {
    int start = SelStart();
    return TCustomEdit::Text().substr(std::size_t(start), std::size_t(SelLength()));
}

void TCustomEdit::SetSelText(const String& v) { SendMessageW(Handle(), EM_REPLACESEL, TRUE, LPARAM(v.c_str())); }

void TCustomEdit::SelectAll() { SendMessageW(Handle(), EM_SETSEL, 0, -1); }

void TCustomEdit::ClearSelection() { SendMessageW(Handle(), WM_CLEAR, 0, 0); }

void TCustomEdit::SetMaxLength(int v) {
    FMaxLength = v;
    if (FHandle) SendMessageW(FHandle, EM_LIMITTEXT, WPARAM(v), 0);
}

bool TCustomEdit::ReadOnly() const {
    return FHandle ? (GetWindowLongPtrW(FHandle, GWL_STYLE) & ES_READONLY) != 0 : FReadOnly;
}

void TCustomEdit::SetReadOnly(bool v) {
    FReadOnly = v;
    if (FHandle) SendMessageW(FHandle, EM_SETREADONLY, v, 0);
}

bool TCustomEdit::Modified() { return FHandle && SendMessageW(FHandle, EM_GETMODIFY, 0, 0); }

void TCustomEdit::SetModified(bool v) { SendMessageW(Handle(), EM_SETMODIFY, v, 0); }

void TCustomEdit::SetBorderStyle(TBorderStyle v) {
    if (FBorderStyle == v) return;
    FBorderStyle = v;
    RecreateWnd();
}

void TCustomEdit::CommandNotify(WORD code) {
    if (code != EN_CHANGE) return;
    FCaption = TCustomEdit::Text();  // what a re-made window starts with
    Change();
}

void TCustomEdit::Change() {
    if (OnChange) OnChange(this);
}
