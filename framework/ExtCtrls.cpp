#include "ExtCtrls.h"

void Frame3D(TCanvas* canvas, RECT& r, TColor topColor, TColor bottomColor, int width) {
    // Each ring: top and left edges first, then bottom and right, ending one pixel inside.
    TPen* pen = canvas->Pen();
    pen->SetWidth(1);
    pen->SetStyle(TPenStyle::psSolid);
    --r.bottom;
    --r.right;
    for (int i = 0; i < width; ++i) {
        pen->SetColor(topColor);
        canvas->MoveTo(r.left, r.bottom);
        canvas->LineTo(r.left, r.top);
        canvas->LineTo(r.right, r.top);
        pen->SetColor(bottomColor);
        canvas->LineTo(r.right, r.bottom);
        canvas->LineTo(r.left - 1, r.bottom);
        InflateRect(&r, -1, -1);
    }
    ++r.bottom;
    ++r.right;
}

// ---- TPanel ----

SS_PUBLISH(TPanel) {
    p.Property(L"Alignment", &TPanel::Alignment, &TPanel::SetAlignment).Default(TAlignment::taCenter);
    p.Property(L"BevelInner", &TPanel::BevelInner, &TPanel::SetBevelInner).Default(TPanelBevel::bvNone);
    p.Property(L"BevelOuter", &TPanel::BevelOuter, &TPanel::SetBevelOuter).Default(TPanelBevel::bvRaised);
    p.Property(L"BevelWidth", &TPanel::BevelWidth, &TPanel::SetBevelWidth).Default(1);
    p.Property(L"BorderWidth", &TPanel::BorderWidth, &TPanel::SetBorderWidth).Default(0);
}

TPanel::TPanel(TComponent* AOwner) : TCustomControl(AOwner) {
    FWidth = 185;
    FHeight = 41;
}

// The caption is the window's text as well, for whatever reads windows (tests, screen readers).
void TPanel::TextChanged() {
    TCustomControl::TextChanged();
    Invalidate();
}

// Dialog navigation goes through the controls on the panel.
void TPanel::CreateParams(TCreateParams& p) {
    TCustomControl::CreateParams(p);
    p.ExStyle |= WS_EX_CONTROLPARENT;
}

RECT TPanel::PaintFrame() {
    TCanvas* c = Canvas();
    RECT r = ClientRect();
    auto bevel = [&](TPanelBevel b) {
        if (b == TPanelBevel::bvNone) return;
        bool lowered = b == TPanelBevel::bvLowered;
        Frame3D(c, r, lowered ? clBtnShadow : clBtnHighlight, lowered ? clBtnHighlight : clBtnShadow, FBevelWidth);
    };
    bevel(FBevelOuter);
    Frame3D(c, r, FColor, FColor, FBorderWidth);
    bevel(FBevelInner);
    c->Brush()->SetColor(FColor);
    c->FillRect(r);
    return r;
}

void TPanel::Paint() { DrawCaption(PaintFrame(), 0); }

void TPanel::DrawCaption(RECT r, UINT extraFlags) {
    TCanvas* c = Canvas();
    c->Brush()->SetStyle(TBrushStyle::bsClear);
    c->Font()->Assign(*FFont);
    int h = c->TextHeight(L"W");
    r.top = (r.top + r.bottom - h) / 2;
    r.bottom = r.top + h;
    UINT align = FAlignment == TAlignment::taLeftJustify   ? DT_LEFT
                 : FAlignment == TAlignment::taRightJustify ? DT_RIGHT
                                                            : DT_CENTER;
    c->DrawText(FCaption, r, DrawTextBiDiModeFlags(DT_EXPANDTABS | align | extraFlags));
}

// ---- TPicture, TImage ----

TPicture::TPicture() : FBitmap(std::make_unique<TBitmap>()) {
    FBitmap->SetOwnerNotify([this](TObject*) {
        if (FIcon && !FBitmap->Empty()) {
            DestroyIcon(FIcon);
            FIcon = nullptr;
        }
        NotifyChange();
    });
}

TPicture::~TPicture() {
    if (FIcon) DestroyIcon(FIcon);
}

void TPicture::SetIcon(HICON icon) {
    if (FIcon) DestroyIcon(FIcon);
    FIcon = icon ? CopyIcon(icon) : nullptr;
    FBitmap->Assign(nullptr);  // also tells OnChange
}

void TPicture::Clear() { SetIcon(nullptr); }

namespace {
SIZE IconSize(HICON icon) {
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) return SIZE{0, 0};
    BITMAP bm{};
    GetObjectW(info.hbmMask, sizeof(bm), &bm);
    SIZE s{bm.bmWidth, info.hbmColor ? bm.bmHeight : bm.bmHeight / 2};
    GdiObjects::Delete(info.hbmColor);
    GdiObjects::Delete(info.hbmMask);
    return s;
}
}  // namespace

int TPicture::Width() const { return FIcon ? IconSize(FIcon).cx : FBitmap->Width(); }
int TPicture::Height() const { return FIcon ? IconSize(FIcon).cy : FBitmap->Height(); }

void TPicture::Draw(TCanvas* canvas, int x, int y) {
    if (FIcon) DrawIconEx(canvas->Handle(), x, y, FIcon, 0, 0, 0, nullptr, DI_NORMAL);
    else canvas->Draw(x, y, FBitmap.get());
}

SS_PUBLISH(TImage) {
    p.Property(L"AutoSize", &TImage::AutoSize, &TImage::SetAutoSize).Default(false);
    p.Property(L"Center", &TImage::Center, &TImage::SetCenter).Default(false);
}

TImage::TImage(TComponent* AOwner) : TGraphicControl(AOwner), FPicture(std::make_unique<TPicture>()) {
    FWidth = 105;
    FHeight = 105;
    FPicture->SetOwnerNotify([this](TObject*) { PictureChanged(); });
}

void TImage::SetAutoSize(bool v) {
    FAutoSize = v;
    PictureChanged();
}

void TImage::PictureChanged() {
    if (FAutoSize && !FPicture->Empty()) SetBounds(FLeft, FTop, FPicture->Width(), FPicture->Height());
    Invalidate();
}

void TImage::Paint() {
    int x = 0, y = 0;
    if (FCenter) {
        x = (FWidth - FPicture->Width()) / 2;
        y = (FHeight - FPicture->Height()) / 2;
    }
    FPicture->Draw(Canvas(), x, y);
}
