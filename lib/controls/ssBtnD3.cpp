#include "ssBtnD3.h"

#include "Dialogs.h"
#include "Forms.h"

namespace {
struct TKindEntry {
    const wchar_t* Glyph;
    const wchar_t* Caption;
    bool Default;
    bool Cancel;
    int ModalResult;
};

// Indexed by TBitBtnKind; the custom kind changes nothing.
const TKindEntry KindTable[] = {
    {nullptr, nullptr, false, false, 0},
    {L"SSBBOK", L"OK", true, false, mrOk},
    {L"SSBBCANCEL", L"ｷｬﾝｾﾙ", false, true, mrCancel},
    {L"SSBBHELP", L"ﾍﾙﾌﾟ(&H)", false, false, 0},
    {L"SSBBYES", L"はい(&Y)", true, false, mrYes},
    {L"SSBBNO", L"いいえ(&N)", false, true, mrNo},
    {L"SSBBCLOSE", L"閉じる(&C)", false, false, 0},
    {L"SSBBABORT", L"中止(&A)", false, false, mrAbort},
    {L"SSBBRETRY", L"再試行(&R)", false, false, mrRetry},
    {L"SSBBIGNORE", L"無視(&I)", false, false, mrIgnore},
    {L"SSBBALL", L"すべて", false, false, mrAll},
};

// Each kind's glyph, loaded from the executable on first use and kept for the process.
TBitmap* KindGlyph(TBitBtnKind kind) {
    static std::array<std::unique_ptr<TBitmap>, std::size(KindTable)> glyphs;
    auto& slot = glyphs[size_t(kind)];
    if (!slot) {
        auto bitmap = std::make_unique<TBitmap>();
        bitmap->LoadFromResourceName(GetModuleHandleW(nullptr), KindTable[size_t(kind)].Glyph);
        slot = std::move(bitmap);
    }
    return slot.get();
}

// Made by the first glyph and freed by the glyph that leaves it empty. A static owner would free
// it at exit before the application frees its forms, whose buttons still use its lists.
TGlyphCache* GlyphCache = nullptr;

// Paints the brush where the mask is white and keeps the destination elsewhere.
constexpr DWORD ROP_DSPDxax = 0x00E20746;

// Paints brush over dst wherever mask (a one-bit bitmap) is white.
void PaintThroughMask(HDC dst, HDC mask, int w, int h, int x, int y, TColor brush) {
    HBRUSH b = CreateSolidBrush(ColorToRGB(brush));
    HGDIOBJ old = SelectObject(dst, b);
    COLORREF text = SetTextColor(dst, RGB(0, 0, 0)), bk = SetBkColor(dst, RGB(255, 255, 255));
    BitBlt(dst, x, y, w, h, mask, 0, 0, ROP_DSPDxax);
    SetTextColor(dst, text);
    SetBkColor(dst, bk);
    SelectObject(dst, old);
    GdiObjects::Delete(b);
}
}  // namespace

String BitBtnCaption(TBitBtnKind kind) {
    const wchar_t* c = KindTable[size_t(kind)].Caption;
    return c ? c : L"";
}

// ---- TGlyphList, TGlyphCache ----

int TGlyphList::AllocateIndex() {
    for (size_t i = 0; i < Used.size(); ++i)
        if (!Used[i]) return int(i);
    ImageList_SetImageCount(Handle(), UINT(Used.size() + 1));
    Used.push_back(false);
    return int(Used.size() - 1);
}

int TGlyphList::AddMasked(TBitmap* image, TColor maskColor) {
    int index = AllocateIndex();
    ReplaceMasked(index, image, maskColor);
    Used[index] = true;
    ++FCount;
    return index;
}

void TGlyphList::Delete(int index) {
    if (index < 0 || index >= int(Used.size()) || !Used[index]) return;
    Used[index] = false;
    --FCount;
}

TGlyphList* TGlyphCache::GetList(int width, int height) {
    for (auto it = GlyphLists.rbegin(); it != GlyphLists.rend(); ++it)
        if ((*it)->Width() == width && (*it)->Height() == height) return it->get();
    return GlyphLists.emplace_back(std::make_unique<TGlyphList>(width, height)).get();
}

void TGlyphCache::ReturnList(TGlyphList* list) {
    if (!list || list->Count() != 0) return;
    std::erase_if(GlyphLists, [list](const auto& l) { return l.get() == list; });
}

// ---- TButtonGlyph ----

TButtonGlyph::TButtonGlyph() : FOriginal(std::make_unique<TBitmap>()) {
    FOriginal->SetOwnerNotify([this](TObject*) { GlyphChanged(); });
    if (!GlyphCache) GlyphCache = new TGlyphCache;
}

TButtonGlyph::~TButtonGlyph() {
    Invalidate();
    if (GlyphCache && GlyphCache->Empty()) {
        delete GlyphCache;
        GlyphCache = nullptr;
    }
}

void TButtonGlyph::Invalidate() {
    for (int& index : FIndexs) {
        if (index != -1 && FGlyphList) FGlyphList->Delete(index);
        index = -1;
    }
    if (GlyphCache) GlyphCache->ReturnList(FGlyphList);
    FGlyphList = nullptr;
}

void TButtonGlyph::GlyphChanged() {
    Invalidate();
    if (!FOriginal->Empty()) FTransparentColor = FOriginal->TransparentColor();
    if (OnChange) OnChange(nullptr);
}

void TButtonGlyph::SetGlyph(const TBitmap* Value) {
    Invalidate();
    FOriginal->Assign(Value);
    if (FOriginal->Empty()) return;
    int w = FOriginal->Width(), h = FOriginal->Height();
    if (h > 0 && w % h == 0) {
        int glyphs = w / h;
        SetNumGlyphs(glyphs > 4 ? 1 : glyphs);
    }
}

void TButtonGlyph::SetNumGlyphs(int Value) {
    if (Value == FNumGlyphs || Value <= 0) return;
    Invalidate();
    FNumGlyphs = Value;
    if (OnChange) OnChange(nullptr);
}

int TButtonGlyph::CreateButtonGlyph(TButtonState State) {
    if (State == TButtonState::bsDown && FNumGlyphs < 3) State = TButtonState::bsUp;
    int& slot = FIndexs[size_t(State)];
    if (slot != -1) return slot;
    if (FOriginal->Empty()) return -1;
    int iw = FOriginal->Width() / FNumGlyphs, ih = FOriginal->Height();
    if (!GlyphCache) GlyphCache = new TGlyphCache;
    if (!FGlyphList) FGlyphList = GlyphCache->GetList(iw, ih);

    TBitmap tmp;
    tmp.SetSize(iw, ih);
    TCanvas* tc = tmp.Canvas();
    tc->Brush()->SetColor(clBtnFace);
    tc->FillRect(RECT{0, 0, iw, ih});
    int image = int(State) < FNumGlyphs ? int(State) : 0;
    RECT src{image * iw, 0, (image + 1) * iw, ih};
    RECT dst{0, 0, iw, ih};

    if (State != TButtonState::bsDisabled) {
        tc->CopyRect(dst, FOriginal->Canvas(), src);
        bool fixed = FOriginal->TransparentMode() == TTransparentMode::tmFixed;
        slot = FGlyphList->AddMasked(&tmp, fixed ? FTransparentColor : clDefault);
    } else if (FNumGlyphs > 1) {
        // The source's own disabled image, its white, grey and transparent pixels in system colours.
        tc->CopyRect(dst, FOriginal->Canvas(), src);
        const std::pair<TColor, TColor> replace[] = {
            {clWhite, clBtnHighlight}, {clGray, clBtnShadow}, {FTransparentColor, clBtnFace}};
        for (auto [from, to] : replace) {
            TBitmap mask;
            mask.Assign(&tmp);
            mask.Canvas()->Brush()->SetColor(from);
            mask.SetMonochrome(true);
            PaintThroughMask(tc->Handle(), mask.Canvas()->Handle(), iw, ih, 0, 0, to);
        }
        slot = FGlyphList->AddMasked(&tmp, clDefault);
    } else {
        // An embossed silhouette of the glyph's black pixels: highlight one pixel down-right,
        // shadow in place.
        TBitmap mono;
        mono.Assign(FOriginal.get());
        if (mono.Monochrome()) {
            mono.Canvas()->Font()->SetColor(clWhite);
            mono.Canvas()->Brush()->SetColor(clWhite);
            mono.SetMonochrome(false);
        }
        mono.Canvas()->Brush()->SetColor(clBlack);
        mono.SetMonochrome(true);
        PaintThroughMask(tc->Handle(), mono.Canvas()->Handle(), iw, ih, 1, 1, clBtnHighlight);
        PaintThroughMask(tc->Handle(), mono.Canvas()->Handle(), iw, ih, 0, 0, clBtnShadow);
        slot = FGlyphList->AddMasked(&tmp, clDefault);
    }
    FOriginal->Dormant();
    return slot;
}

void TButtonGlyph::CalcButtonLayout(TCanvas* Canvas, const RECT& Client, const String& Caption,
                                    TButtonLayout Layout, int Margin, int Spacing, POINT& GlyphPos,
                                    RECT& TextBounds, UINT BiDiFlags) {
    int W = Client.right - Client.left, H = Client.bottom - Client.top;
    SIZE G{0, 0};
    if (!FOriginal->Empty()) G = SIZE{FOriginal->Width() / FNumGlyphs, FOriginal->Height()};
    SIZE T{0, 0};
    if (!Caption.empty()) {
        RECT r{0, 0, W, 0};
        Canvas->DrawText(Caption, r, DT_CALCRECT | BiDiFlags);
        T = SIZE{r.right - r.left, r.bottom - r.top};
    }
    bool horizontal = Layout == TButtonLayout::blGlyphLeft || Layout == TButtonLayout::blGlyphRight;
    POINT textPos{0, 0};
    if (horizontal) {
        GlyphPos.y = (H - G.cy + 1) / 2;
        textPos.y = (H - T.cy + 1) / 2;
    } else {
        GlyphPos.x = (W - G.cx + 1) / 2;
        textPos.x = (W - T.cx + 1) / 2;
    }
    if (T.cx == 0 || G.cx == 0) Spacing = 0;
    int length = horizontal ? W : H;
    int glyphLen = horizontal ? G.cx : G.cy, textLen = horizontal ? T.cx : T.cy;
    if (Margin == -1 && Spacing == -1) {
        Margin = Spacing = (length - glyphLen - textLen) / 3;
    } else if (Margin == -1) {
        Margin = (length - (glyphLen + Spacing + textLen) + 1) / 2;
    } else if (Spacing == -1) {
        Spacing = (length - Margin - glyphLen - textLen) / 2;
    }
    switch (Layout) {
        case TButtonLayout::blGlyphLeft:
            GlyphPos.x = Margin;
            textPos.x = GlyphPos.x + G.cx + Spacing;
            break;
        case TButtonLayout::blGlyphRight:
            GlyphPos.x = W - Margin - G.cx;
            textPos.x = GlyphPos.x - Spacing - T.cx;
            break;
        case TButtonLayout::blGlyphTop:
            GlyphPos.y = Margin;
            textPos.y = GlyphPos.y + G.cy + Spacing;
            break;
        case TButtonLayout::blGlyphBottom:
            GlyphPos.y = H - Margin - G.cy;
            textPos.y = GlyphPos.y - Spacing - T.cy;
            break;
    }
    GlyphPos.x += Client.left;
    GlyphPos.y += Client.top;
    TextBounds = RECT{textPos.x + Client.left, textPos.y + Client.top, textPos.x + Client.left + T.cx,
                      textPos.y + Client.top + T.cy};
}

void TButtonGlyph::DrawButtonGlyph(TCanvas* Canvas, POINT GlyphPos, TButtonState State, bool Transparent) {
    if (FOriginal->Empty()) return;
    int index = CreateButtonGlyph(State);
    if (index < 0) return;
    bool clear = Transparent || State == TButtonState::bsExclusive;
    FGlyphList->Draw(Canvas->Handle(), GlyphPos.x, GlyphPos.y, index, clear ? clDefault : clBtnFace);
}

void TButtonGlyph::DrawButtonText(TCanvas* Canvas, const String& Caption, RECT TextBounds, TButtonState State,
                                  UINT BiDiFlags) {
    Canvas->Brush()->SetStyle(TBrushStyle::bsClear);
    UINT flags = DT_CENTER | DT_VCENTER | BiDiFlags;
    if (State == TButtonState::bsDisabled) {
        OffsetRect(&TextBounds, 1, 1);
        Canvas->Font()->SetColor(clBtnHighlight);
        Canvas->DrawText(Caption, TextBounds, flags);
        OffsetRect(&TextBounds, -1, -1);
        Canvas->Font()->SetColor(clBtnShadow);
    }
    Canvas->DrawText(Caption, TextBounds, flags);
}

RECT TButtonGlyph::Draw(TCanvas* Canvas, const RECT& Client, const String& Caption, TButtonLayout Layout,
                        int Margin, int Spacing, TButtonState State, bool Transparent, UINT BiDiFlags) {
    POINT glyphPos{0, 0};
    RECT textBounds{};
    CalcButtonLayout(Canvas, Client, Caption, Layout, Margin, Spacing, glyphPos, textBounds, BiDiFlags);
    DrawButtonGlyph(Canvas, glyphPos, State, Transparent);
    DrawButtonText(Canvas, Caption, textBounds, State, BiDiFlags);
    return textBounds;
}

// ---- TssOrgButtonDelphi3 ----

SS_PUBLISH(TssOrgButtonDelphi3) {
    using B = TssOrgButtonDelphi3;
    p.Property<const String&, const String&>(L"Caption", &TControl::Caption, &TControl::SetCaption)
        .Stored(&B::IsCaptionStored);
    p.Property<bool, bool>(L"Cancel", &TButton::Cancel, &TButton::SetCancel).Default(false).Stored(&B::IsCustom);
    p.Property<bool, bool>(L"Default", &TButton::Default, &TButton::SetDefault).Default(false).Stored(&B::IsCustom);
    p.Property<int, int>(L"ModalResult", &TButton::ModalResult, &TButton::SetModalResult)
        .Default(0)
        .Stored(&B::IsCustom);
    p.Property(L"NumGlyphs", &B::NumGlyphs, &B::SetNumGlyphs).Default(1).Stored(&B::IsCustom);
    p.Property(L"Kind", &B::Kind, &B::SetKind).Default(TBitBtnKind::bkxCustom);
    p.Property(L"Layout", &B::Layout, &B::SetLayout).Default(TButtonLayout::blGlyphLeft);
    p.Property(L"Margin", &B::Margin, &B::SetMargin).Default(-1);
    p.Property(L"Spacing", &B::Spacing, &B::SetSpacing).Default(4);
    p.Property(L"Style", &B::Style, &B::SetStyle).Default(TButtonStyle::bsAutoDetect);
}

TssOrgButtonDelphi3::TssOrgButtonDelphi3(TComponent* AOwner)
    : TButton(AOwner), FCanvas(std::make_unique<TCanvas>()), FGlyph(std::make_unique<TButtonGlyph>()) {
    FGlyph->OnChange = [this](TObject*) { Invalidate(); };
}

TssOrgButtonDelphi3::~TssOrgButtonDelphi3() {
    // The window goes first, so that no paint reaches the glyph or the canvas while they go.
    DestroyHandle();
}

void TssOrgButtonDelphi3::CreateParams(TCreateParams& p) {
    TButton::CreateParams(p);
    p.Style = (p.Style & ~DWORD(BS_TYPEMASK)) | BS_OWNERDRAW;
}

void TssOrgButtonDelphi3::CreateWnd() {
    TButton::CreateWnd();
    FGlyph->CreateButtonGlyph(Enabled() ? TButtonState::bsUp : TButtonState::bsDisabled);
}

void TssOrgButtonDelphi3::SetButtonStyle(bool ADefault) {
    if (ADefault == IsFocused) return;
    IsFocused = ADefault;
    Invalidate();
    Update();
}

void TssOrgButtonDelphi3::SetEnabled(bool v) {
    TButton::SetEnabled(v);
    Invalidate();
}

void TssOrgButtonDelphi3::WndProc(TMessage& msg) {
    // A double click is a second press.
    if (msg.Msg == WM_LBUTTONDBLCLK) msg.Msg = WM_LBUTTONDOWN;
    TButton::WndProc(msg);
}

void TssOrgButtonDelphi3::SetGlyph(const TBitmap* Value) {
    FGlyph->SetGlyph(Value);
    FModifiedGlyph = true;
    Invalidate();
}

void TssOrgButtonDelphi3::SetNumGlyphs(int Value) {
    if (Value > 4) Value = 4;
    if (Value == FGlyph->NumGlyphs()) return;
    FGlyph->SetNumGlyphs(Value);
    Invalidate();
}

void TssOrgButtonDelphi3::SetLayout(TButtonLayout Value) {
    if (Value == FLayout) return;
    FLayout = Value;
    Invalidate();
}

void TssOrgButtonDelphi3::SetMargin(int Value) {
    if (Value == FMargin || Value < -1) return;
    FMargin = Value;
    Invalidate();
}

void TssOrgButtonDelphi3::SetSpacing(int Value) {
    if (Value == FSpacing) return;
    FSpacing = Value;
    Invalidate();
}

void TssOrgButtonDelphi3::SetStyle(TButtonStyle Value) {
    if (Value == FStyle) return;
    FStyle = Value;
    Invalidate();
}

TBitBtnKind TssOrgButtonDelphi3::Kind() const {
    if (FKind != TBitBtnKind::bkxCustom) {
        const TKindEntry& k = KindTable[size_t(FKind)];
        if (Default() != k.Default || Cancel() != k.Cancel || ModalResult() != k.ModalResult || FModifiedGlyph)
            FKind = TBitBtnKind::bkxCustom;
    }
    return FKind;
}

void TssOrgButtonDelphi3::SetKind(TBitBtnKind Value) {
    if (Value == FKind) return;
    if (Value != TBitBtnKind::bkxCustom) {
        const TKindEntry& k = KindTable[size_t(Value)];
        SetDefault(k.Default);
        SetCancel(k.Cancel);
        bool loadingWithCaption = ComponentState().Contains(TComponentStateItem::csLoading) && !Caption().empty();
        if (!loadingWithCaption) SetCaption(k.Caption);
        SetModalResult(k.ModalResult);
        FGlyph->SetGlyph(KindGlyph(Value));
        FGlyph->SetNumGlyphs(2);
        FModifiedGlyph = false;
    }
    FKind = Value;
    Invalidate();
}

void TssOrgButtonDelphi3::Click() {
    if (FKind == TBitBtnKind::bkxHelp) {
        TControl* c = this;
        while (c && c->HelpContext() == 0) c = c->Parent();
        if (c) {
            Application->HelpContext(c->HelpContext());
            return;
        }
    } else if (FKind == TBitBtnKind::bkxClose) {
        if (TCustomForm* form = GetParentForm(this)) {
            form->Close();
            return;
        }
    }
    TButton::Click();
}

bool TssOrgButtonDelphi3::DrawItem(const DRAWITEMSTRUCT& item) {
    RECT client{0, 0, Width(), Height()};
    GetClientRect(item.hwndItem, &client);
    RECT r = client;
    bool pressed = item.itemState & ODS_SELECTED;
    bool focus = item.itemState & ODS_FOCUS;
    TButtonState state = !Enabled() ? TButtonState::bsDisabled : pressed ? TButtonState::bsDown : TButtonState::bsUp;

    FCanvas->SetHandle(item.hDC);
    struct Detach {
        TCanvas* c;
        ~Detach() { c->SetHandle(nullptr); }
    } detach{FCanvas.get()};
    TCanvas* c = FCanvas.get();
    if (IsFocused || focus) {
        c->Pen()->SetColor(clWindowFrame);
        c->Pen()->SetWidth(1);
        c->Brush()->SetStyle(TBrushStyle::bsClear);
        c->Rectangle(r);
        InflateRect(&r, -1, -1);
    }
    if (pressed) {
        c->Pen()->SetColor(clBtnShadow);
        c->Brush()->SetColor(clBtnFace);
        c->Rectangle(r);
        InflateRect(&r, -1, -1);
    } else {
        UINT flags = DFCS_BUTTONPUSH | DFCS_ADJUSTRECT | ((item.itemState & ODS_DISABLED) ? DFCS_INACTIVE : 0);
        DrawFrameControl(item.hDC, &r, DFC_BUTTON, flags);
    }
    if (IsFocused) {
        r = client;
        InflateRect(&r, -1, -1);
    }
    c->Font()->Assign(*Font());
    if (pressed) OffsetRect(&r, 1, 1);
    FGlyph->Draw(c, r, Caption(), FLayout, FMargin, FSpacing, state, false, DrawTextBiDiModeFlags(0));
    if (IsFocused && focus) {
        r = client;
        InflateRect(&r, -4, -4);
        c->Font()->SetColor(clBtnText);
        c->Brush()->SetColor(clBtnFace);
        c->DrawFocusRect(r);
    }
    return true;
}
