#include "Graphics.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <string>
#include <utility>
#include <vector>

COLORREF ColorToRGB(TColor c) {
    if ((c & clSystemColor) == clSystemColor) return GetSysColor(c & 0xFF);
    return COLORREF(c & 0xFFFFFF);
}

int ScreenPixelsPerInch() {
    HDC dc = GetDC(nullptr);
    int ppi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);
    return ppi;
}

HRGN RegionOfRects(const std::vector<RECT>& Rects) {
    if (Rects.empty()) return nullptr;
    std::vector<char> data(sizeof(RGNDATAHEADER) + Rects.size() * sizeof(RECT));
    auto* header = reinterpret_cast<RGNDATAHEADER*>(data.data());
    header->dwSize = sizeof(RGNDATAHEADER);
    header->iType = RDH_RECTANGLES;
    header->nCount = DWORD(Rects.size());
    header->nRgnSize = DWORD(Rects.size() * sizeof(RECT));
    header->rcBound = Rects.front();
    for (const RECT& r : Rects) UnionRect(&header->rcBound, &header->rcBound, &r);
    std::copy(Rects.begin(), Rects.end(), reinterpret_cast<RECT*>(data.data() + sizeof(RGNDATAHEADER)));
    return ExtCreateRegion(nullptr, DWORD(data.size()), reinterpret_cast<RGNDATA*>(data.data()));
}

// ---- GdiObjects ----

namespace {
// Made once and never freed: canvases of static objects detach during the program's exit.
std::map<HGDIOBJ, int>& HeldObjects() {
    static auto* held = new std::map<HGDIOBJ, int>;
    return *held;
}
unsigned HeldDeletionCount = 0;
}  // namespace

void GdiObjects::Delete(HGDIOBJ h) {
    if (!h) return;
    if (IsHeld(h)) ++HeldDeletionCount;
    DeleteObject(h);
}

void GdiObjects::Hold(HGDIOBJ h) {
    if (h) ++HeldObjects()[h];
}

void GdiObjects::Release(HGDIOBJ h) {
    auto& held = HeldObjects();
    auto it = held.find(h);
    if (it != held.end() && --it->second == 0) held.erase(it);
}

bool GdiObjects::IsHeld(HGDIOBJ h) { return HeldObjects().count(h) != 0; }

unsigned GdiObjects::HeldDeletions() { return HeldDeletionCount; }

// ---- Shared fonts, pens and brushes ----

namespace {
// One GDI object per description, with the number of fonts, pens or brushes that use it. Made
// once and never freed, like the held table.
struct TShared {
    HGDIOBJ Handle;
    int Users;
};
using TSharedByKey = std::map<std::string, TShared>;
TSharedByKey& SharedByKey() {
    static auto* table = new TSharedByKey;
    return *table;
}
std::map<HGDIOBJ, TSharedByKey::iterator>& SharedByHandle() {
    static auto* table = new std::map<HGDIOBJ, TSharedByKey::iterator>;
    return *table;
}
unsigned CreatedCount = 0;

// A description's key: its kind and its bytes (descriptions are zero-filled, without padding).
template <typename T>
std::string SharedKey(char kind, const T& description) {
    std::string key(1, kind);
    key.append(reinterpret_cast<const char*>(&description), sizeof(description));
    return key;
}

// The object of the description, made by make() when no one uses one yet; the caller is a user.
template <typename Make>
HGDIOBJ Share(const std::string& key, Make make) {
    auto& byKey = SharedByKey();
    auto it = byKey.find(key);
    if (it == byKey.end()) {
        HGDIOBJ h = make();
        if (!h) return nullptr;
        ++CreatedCount;
        it = byKey.emplace(key, TShared{h, 0}).first;
        SharedByHandle().emplace(h, it);
    }
    ++it->second.Users;
    return it->second.Handle;
}

// One more user of an object already shared.
HGDIOBJ AddUser(HGDIOBJ h) {
    ++SharedByHandle().at(h)->second.Users;
    return h;
}

// A user lets go; the last one deletes the object.
void LetGo(HGDIOBJ h) {
    if (!h) return;
    auto& byHandle = SharedByHandle();
    auto it = byHandle.find(h);
    if (--it->second->second.Users > 0) return;
    SharedByKey().erase(it->second);
    byHandle.erase(it);
    GdiObjects::Delete(h);
}
}  // namespace

unsigned GdiObjects::Created() { return CreatedCount; }

// ---- TGraphicsObject ----

void TGraphicsObject::NotifyChange(HGDIOBJ old) {
    if (FOwnerNotify) FOwnerNotify(this);
    if (OnChange) OnChange(this);
    LetGo(old);
}

// ---- TFont ----

SS_PUBLISH(TFont) {
    p.Property(L"Charset", &TFont::Charset, &TFont::SetCharset).Default(DEFAULT_CHARSET);
    p.Property(L"Color", &TFont::Color, &TFont::SetColor).Default(clWindowText);
    p.Property(L"Height", &TFont::Height, &TFont::SetHeight).Default(-11);
    p.Property(L"Name", &TFont::Name, &TFont::SetName);
    p.Property(L"Pitch", &TFont::Pitch, &TFont::SetPitch).Default(TFontPitch::fpDefault);
    // Size follows the screen's resolution; Height is what a stream keeps.
    p.Property(L"Size", &TFont::Size, &TFont::SetSize).Stored(false);
    p.Property(L"Style", &TFont::Style, &TFont::SetStyle).Default(TFontStyles());
}

TFont::~TFont() { LetGo(FHandle); }

void TFont::Rebuild() { NotifyChange(std::exchange(FHandle, nullptr)); }

void TFont::Assign(const TFont& src) {
    if (&src == this) return;
    bool same = FName == src.FName && FHeight == src.FHeight && FStyle == src.FStyle && FCharset == src.FCharset &&
                FPitch == src.FPitch;
    FName = src.FName;
    FHeight = src.FHeight;
    FColor = src.FColor;
    FStyle = src.FStyle;
    FCharset = src.FCharset;
    FPitch = src.FPitch;
    if (same) NotifyChange();
    else NotifyChange(std::exchange(FHandle, src.FHandle ? HFONT(AddUser(src.FHandle)) : nullptr));
}

void TFont::SetName(const String& v) { if (v != FName) { FName = v; Rebuild(); } }
void TFont::SetHeight(int v) { if (v != FHeight) { FHeight = v; Rebuild(); } }
void TFont::SetColor(TColor v) { if (v != FColor) { FColor = v; NotifyChange(); } }
void TFont::SetStyle(TFontStyles v) { if (!(v == FStyle)) { FStyle = v; Rebuild(); } }
void TFont::SetCharset(BYTE v) { if (v != FCharset) { FCharset = v; Rebuild(); } }
void TFont::SetPitch(TFontPitch v) { if (v != FPitch) { FPitch = v; Rebuild(); } }

int TFont::Size() const { return -MulDiv(FHeight, 72, ScreenPixelsPerInch()); }
void TFont::SetSize(int v) { SetHeight(-MulDiv(v, ScreenPixelsPerInch(), 72)); }

HFONT TFont::Handle() const {
    if (!FHandle) {
        LOGFONTW lf{};
        lf.lfHeight = FHeight;
        lf.lfWeight = FStyle.Contains(TFontStyle::fsBold) ? FW_BOLD : FW_NORMAL;
        lf.lfItalic = FStyle.Contains(TFontStyle::fsItalic);
        lf.lfUnderline = FStyle.Contains(TFontStyle::fsUnderline);
        lf.lfStrikeOut = FStyle.Contains(TFontStyle::fsStrikeOut);
        lf.lfCharSet = FCharset;
        lf.lfQuality = DEFAULT_QUALITY;
        lf.lfPitchAndFamily = FPitch == TFontPitch::fpFixed      ? FIXED_PITCH
                              : FPitch == TFontPitch::fpVariable ? VARIABLE_PITCH
                                                                 : DEFAULT_PITCH;
        lstrcpynW(lf.lfFaceName, FName.c_str(), LF_FACESIZE);
        FHandle = HFONT(Share(SharedKey('F', lf), [&] { return CreateFontIndirectW(&lf); }));
    }
    return FHandle;
}

// ---- TPen, TBrush ----

SS_PUBLISH(TPen) {
    p.Property(L"Color", &TPen::Color, &TPen::SetColor).Default(clBlack);
    p.Property(L"Mode", &TPen::Mode, &TPen::SetMode).Default(TPenMode::pmCopy);
    p.Property(L"Style", &TPen::Style, &TPen::SetStyle).Default(TPenStyle::psSolid);
    p.Property(L"Width", &TPen::Width, &TPen::SetWidth).Default(1);
}

TPen::~TPen() { LetGo(FHandle); }

void TPen::Rebuild() { NotifyChange(std::exchange(FHandle, nullptr)); }

void TPen::Assign(const TPen& src) {
    if (&src == this) return;
    bool same = FColor == src.FColor && FWidth == src.FWidth && FStyle == src.FStyle && FEnds == src.FEnds;
    FColor = src.FColor;
    FWidth = src.FWidth;
    FStyle = src.FStyle;
    FMode = src.FMode;
    FEnds = src.FEnds;
    if (same) NotifyChange();
    else NotifyChange(std::exchange(FHandle, src.FHandle ? HPEN(AddUser(src.FHandle)) : nullptr));
}

void TPen::SetColor(TColor v) { if (v != FColor) { FColor = v; Rebuild(); } }
void TPen::SetWidth(int v) { if (v != FWidth) { FWidth = v; Rebuild(); } }
void TPen::SetStyle(TPenStyle v) { if (v != FStyle) { FStyle = v; Rebuild(); } }
void TPen::SetMode(TPenMode v) { if (v != FMode) { FMode = v; NotifyChange(); } }
void TPen::SetEnds(TPenEnds v) { if (v != FEnds) { FEnds = v; Rebuild(); } }

HPEN TPen::Handle() const {
    if (!FHandle) {
        // In TPenStyle's order. psUserStyle without a style array of its own draws solid.
        static const DWORD styles[] = {PS_SOLID, PS_DASH,        PS_DOT,   PS_DASHDOT,  PS_DASHDOTDOT,
                                       PS_NULL,  PS_INSIDEFRAME, PS_SOLID, PS_ALTERNATE};
        static_assert(std::size(styles) == std::size_t(TPenStyle::psAlternate) + 1);
        bool alternate = FStyle == TPenStyle::psAlternate;
        // Ends only show on a line wider than one pixel; a thin pen stays a cosmetic one. Every
        // other pixel is a cosmetic style: that pen is always one pixel wide.
        struct {
            DWORD Style;
            int Width;
            COLORREF Color;
            BOOL Flat;
        } d{styles[int(FStyle)], alternate ? 1 : FWidth, ColorToRGB(FColor),
            !alternate && FEnds == TPenEnds::peFlat && FWidth > 1};
        FHandle = HPEN(Share(SharedKey('P', d), [&]() -> HGDIOBJ {
            LOGBRUSH lb{BS_SOLID, d.Color, 0};
            if (alternate) return ExtCreatePen(PS_COSMETIC | PS_ALTERNATE, 1, &lb, 0, nullptr);
            if (!d.Flat) return CreatePen(int(d.Style), d.Width, d.Color);
            return ExtCreatePen(PS_GEOMETRIC | d.Style | PS_ENDCAP_FLAT | PS_JOIN_MITER, DWORD(d.Width), &lb, 0,
                                nullptr);
        }));
    }
    return FHandle;
}

SS_PUBLISH(TBrush) {
    p.Property(L"Color", &TBrush::Color, &TBrush::SetColor).Default(clWhite);
    p.Property(L"Style", &TBrush::Style, &TBrush::SetStyle).Default(TBrushStyle::bsSolid);
}

TBrush::~TBrush() { LetGo(FHandle); }

void TBrush::Rebuild() { NotifyChange(std::exchange(FHandle, nullptr)); }

void TBrush::SetColor(TColor v) {
    if (v == FColor && FStyle == TBrushStyle::bsSolid) return;
    FColor = v;
    FStyle = TBrushStyle::bsSolid;  // giving a colour makes the brush solid again
    Rebuild();
}

void TBrush::SetStyle(TBrushStyle v) { if (v != FStyle) { FStyle = v; Rebuild(); } }

HBRUSH TBrush::Handle() const {
    if (FStyle == TBrushStyle::bsClear) return HBRUSH(GetStockObject(NULL_BRUSH));
    if (!FHandle) {
        COLORREF rgb = ColorToRGB(FColor);
        FHandle = HBRUSH(Share(SharedKey('B', rgb), [&] { return CreateSolidBrush(rgb); }));
    }
    return FHandle;
}

// ---- TCanvas ----

TCanvas::TCanvas()
    : FFont(std::make_unique<TFont>()), FPen(std::make_unique<TPen>()), FBrush(std::make_unique<TBrush>()) {
    // A changed object is selected again while attached, before its old GDI object goes; only
    // that object, since a cell-by-cell painter changes one of them at a time.
    FFont->SetOwnerNotify([this](TObject*) {
        if (FHandle) SelectFont();
    });
    FPen->SetOwnerNotify([this](TObject*) {
        if (FHandle) SelectPen();
    });
    FBrush->SetOwnerNotify([this](TObject*) {
        if (FHandle) SelectBrush();
    });
}

TCanvas::~TCanvas() { SetHandle(nullptr); }

void TCanvas::SetHandle(HDC dc) {
    if (dc == FHandle) return;
    Deselect();
    FHandle = dc;
    if (FHandle) Select();
}

void TCanvas::SelectInto(TSlot& slot, HGDIOBJ h) {
    if (h == slot.Current) return;
    HGDIOBJ previous = SelectObject(FHandle, h);
    if (!slot.Original) slot.Original = previous;
    GdiObjects::Hold(h);
    GdiObjects::Release(slot.Current);
    slot.Current = h;
}

namespace {
// The raster operation of each pen mode; the modes are not in the R2_ codes' order.
int PenModeRop(TPenMode mode) {
    static const int rops[] = {R2_BLACK,       R2_WHITE,       R2_NOP,       R2_NOT,         R2_COPYPEN,  R2_NOTCOPYPEN,
                               R2_MERGEPENNOT, R2_MASKPENNOT,  R2_MERGENOTPEN, R2_MASKNOTPEN, R2_MERGEPEN, R2_NOTMERGEPEN,
                               R2_MASKPEN,     R2_NOTMASKPEN,  R2_XORPEN,    R2_NOTXORPEN};
    return rops[int(mode)];
}
}  // namespace

void TCanvas::Select() {
    SelectFont();
    SelectPen();
    SelectBrush();
}

void TCanvas::SelectFont() {
    SelectInto(FFontSlot, FFont->Handle());
    SetTextColor(FHandle, ColorToRGB(FFont->Color()));
}

void TCanvas::SelectPen() {
    SelectInto(FPenSlot, FPen->Handle());
    SetROP2(FHandle, PenModeRop(FPen->Mode()));
}

void TCanvas::SelectBrush() {
    SelectInto(FBrushSlot, FBrush->Handle());
    if (FBrush->Style() == TBrushStyle::bsClear) {
        SetBkMode(FHandle, TRANSPARENT);
    } else {
        SetBkMode(FHandle, OPAQUE);
        SetBkColor(FHandle, ColorToRGB(FBrush->Color()));
    }
}

void TCanvas::Deselect() {
    if (!FHandle) return;
    for (TSlot* slot : {&FFontSlot, &FPenSlot, &FBrushSlot}) {
        SelectObject(FHandle, slot->Original);
        GdiObjects::Release(slot->Current);
        *slot = TSlot{};
    }
}

void TCanvas::TextOut(int x, int y, const String& text) {
    ExtTextOutW(FHandle, x, y, 0, nullptr, text.c_str(), UINT(text.size()), nullptr);
    MoveToEx(FHandle, x + TextWidth(text), y, nullptr);
}

void TCanvas::TextRect(const RECT& r, int x, int y, const String& text) {
    UINT opts = ETO_CLIPPED | (FBrush->Style() == TBrushStyle::bsClear ? 0 : ETO_OPAQUE);
    ExtTextOutW(FHandle, x, y, opts, &r, text.c_str(), UINT(text.size()), nullptr);
}

SIZE TCanvas::TextExtent(const String& text) {
    SIZE s{0, 0};
    GetTextExtentPoint32W(FHandle, text.c_str(), int(text.size()), &s);
    return s;
}

int TCanvas::DrawText(const String& text, RECT& r, UINT flags) {
    return DrawTextW(FHandle, text.c_str(), int(text.size()), &r, flags);
}

void TCanvas::FillRect(const RECT& r) { ::FillRect(FHandle, &r, FBrush->Handle()); }
void TCanvas::FrameRect(const RECT& r) { ::FrameRect(FHandle, &r, FBrush->Handle()); }
void TCanvas::Rectangle(const RECT& r) { ::Rectangle(FHandle, r.left, r.top, r.right, r.bottom); }
void TCanvas::DrawFocusRect(const RECT& r) { ::DrawFocusRect(FHandle, &r); }
void TCanvas::DrawEdge(const RECT& r, UINT edge, UINT flags) {
    RECT copy = r;  // ::DrawEdge adjusts the rectangle only with BF_ADJUST
    ::DrawEdge(FHandle, &copy, edge, flags);
}
bool TCanvas::RectVisible(const RECT& r) const { return ::RectVisible(FHandle, &r); }
void TCanvas::MoveTo(int x, int y) { MoveToEx(FHandle, x, y, nullptr); }
void TCanvas::LineTo(int x, int y) { ::LineTo(FHandle, x, y); }
TColor TCanvas::Pixel(int x, int y) const { return TColor(GetPixel(FHandle, x, y)); }
void TCanvas::SetPixel(int x, int y, TColor c) { SetPixelV(FHandle, x, y, ColorToRGB(c)); }

void TCanvas::CopyRect(const RECT& dr, TCanvas* src, const RECT& sr) {
    StretchBlt(FHandle, dr.left, dr.top, dr.right - dr.left, dr.bottom - dr.top, src->Handle(), sr.left, sr.top,
               sr.right - sr.left, sr.bottom - sr.top, SRCCOPY);
}

void TCanvas::Draw(int x, int y, TBitmap* bitmap) {
    if (bitmap->Empty()) return;
    BitBlt(FHandle, x, y, bitmap->Width(), bitmap->Height(), bitmap->Canvas()->Handle(), 0, 0, SRCCOPY);
}

// ---- TBitmap ----

TBitmap::TBitmap() = default;

TBitmap::~TBitmap() {
    Dormant();
    GdiObjects::Delete(FHandle);
    GdiObjects::Delete(FPalette);
}

TCanvas* TBitmap::Canvas() {
    if (!FCanvas) FCanvas = std::make_unique<TCanvas>();
    if (!FDC) {
        FDC = CreateCompatibleDC(nullptr);
        if (FHandle) FOldBitmap = SelectObject(FDC, FHandle);
        FCanvas->SetHandle(FDC);
    }
    return FCanvas.get();
}

void TBitmap::Dormant() {
    if (!FDC) return;
    FCanvas->SetHandle(nullptr);
    if (FOldBitmap) SelectObject(FDC, FOldBitmap);
    FOldBitmap = nullptr;
    DeleteDC(FDC);
    FDC = nullptr;
}

void TBitmap::Replace(HBITMAP h, int w, int ht, bool mono) {
    Dormant();
    GdiObjects::Delete(FHandle);
    FHandle = h;
    FWidth = h ? w : 0;
    FHeight = h ? ht : 0;
    FMonochrome = h && mono;
}

namespace {
// A screen-compatible (or one-bit) bitmap of the size.
HBITMAP NewBitmap(int w, int h, bool mono) {
    if (w <= 0 || h <= 0) return nullptr;
    if (mono) return CreateBitmap(w, h, 1, 1, nullptr);
    HDC screen = GetDC(nullptr);
    HBITMAP b = CreateCompatibleBitmap(screen, w, h);
    ReleaseDC(nullptr, screen);
    return b;
}

HPALETTE CopyPalette(HPALETTE p) {
    if (!p) return nullptr;
    WORD n = 0;
    GetObjectW(p, sizeof(n), &n);
    std::vector<BYTE> buf(sizeof(LOGPALETTE) + n * sizeof(PALETTEENTRY));
    auto* lp = reinterpret_cast<LOGPALETTE*>(buf.data());
    lp->palVersion = 0x300;
    lp->palNumEntries = n;
    GetPaletteEntries(p, 0, n, lp->palPalEntry);
    return CreatePalette(lp);
}
}  // namespace

void TBitmap::SetSize(int w, int h) {
    if (w == FWidth && h == FHeight && FHandle) return;
    HBITMAP b = NewBitmap(w, h, FMonochrome);
    if (b && FHandle) {
        // Keep what fits of the old image.
        HDC dst = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dst, b);
        PatBlt(dst, 0, 0, w, h, WHITENESS);
        BitBlt(dst, 0, 0, w, h, Canvas()->Handle(), 0, 0, SRCCOPY);
        SelectObject(dst, old);
        DeleteDC(dst);
    }
    Replace(b, w, h, FMonochrome);
    Changed();
}

void TBitmap::Assign(const TBitmap* src) {
    if (src == this) return;
    GdiObjects::Delete(FPalette);
    FPalette = nullptr;
    if (!src || src->Empty()) {
        Replace(nullptr, 0, 0, false);
    } else {
        auto* s = const_cast<TBitmap*>(src);
        HBITMAP b = NewBitmap(s->FWidth, s->FHeight, s->FMonochrome);
        HDC dst = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dst, b);
        BitBlt(dst, 0, 0, s->FWidth, s->FHeight, s->Canvas()->Handle(), 0, 0, SRCCOPY);
        SelectObject(dst, old);
        DeleteDC(dst);
        Replace(b, s->FWidth, s->FHeight, s->FMonochrome);
        FPalette = CopyPalette(s->FPalette);
        FTransparentMode = s->FTransparentMode;
        FTransparentColor = s->FTransparentColor;
    }
    Changed();
}

void TBitmap::LoadFromResourceName(HINSTANCE module, const String& name) {
    auto* h = static_cast<HBITMAP>(LoadImageW(module, name.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!h) throw EResNotFound(L"リソース " + name + L" が見つかりません");
    DIBSECTION ds{};
    GetObjectW(h, sizeof(ds), &ds);
    // The drawing copy is screen-compatible, so that image lists and blits treat it as any other.
    HBITMAP b = NewBitmap(ds.dsBm.bmWidth, ds.dsBm.bmHeight, false);
    HDC src = CreateCompatibleDC(nullptr), dst = CreateCompatibleDC(nullptr);
    HGDIOBJ os = SelectObject(src, h), od = SelectObject(dst, b);
    BitBlt(dst, 0, 0, ds.dsBm.bmWidth, ds.dsBm.bmHeight, src, 0, 0, SRCCOPY);
    // A palette bitmap keeps its colour table as the bitmap's palette.
    if (ds.dsBmih.biBitCount <= 8) {
        RGBQUAD table[256];
        UINT n = GetDIBColorTable(src, 0, 256, table);
        std::vector<BYTE> buf(sizeof(LOGPALETTE) + n * sizeof(PALETTEENTRY));
        auto* lp = reinterpret_cast<LOGPALETTE*>(buf.data());
        lp->palVersion = 0x300;
        lp->palNumEntries = WORD(n);
        for (UINT i = 0; i < n; ++i)
            lp->palPalEntry[i] = PALETTEENTRY{table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue, 0};
        GdiObjects::Delete(FPalette);
        FPalette = n ? CreatePalette(lp) : nullptr;
    }
    SelectObject(src, os);
    SelectObject(dst, od);
    DeleteDC(src);
    DeleteDC(dst);
    GdiObjects::Delete(h);
    Replace(b, ds.dsBm.bmWidth, ds.dsBm.bmHeight, false);
    Changed();
}

void TBitmap::SetMonochrome(bool v) {
    if (v == FMonochrome) return;
    if (!FHandle) {
        FMonochrome = v;
        return;
    }
    HBITMAP b = NewBitmap(FWidth, FHeight, v);
    HDC dst = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dst, b);
    TCanvas* c = Canvas();
    // Colour to one bit: the source's background colour becomes white. One bit to colour: white
    // becomes the destination's background colour and black its text colour.
    if (v) SetBkColor(c->Handle(), ColorToRGB(c->Brush()->Color()));
    else {
        SetBkColor(dst, ColorToRGB(c->Brush()->Color()));
        SetTextColor(dst, ColorToRGB(c->Font()->Color()));
    }
    BitBlt(dst, 0, 0, FWidth, FHeight, c->Handle(), 0, 0, SRCCOPY);
    SelectObject(dst, old);
    DeleteDC(dst);
    Replace(b, FWidth, FHeight, v);
    Changed();
}

TColor TBitmap::TransparentColor() {
    if (FTransparentMode == TTransparentMode::tmFixed) return FTransparentColor;
    if (Empty()) return clDefault;
    return Canvas()->Pixel(0, FHeight - 1);
}

void TBitmap::SetTransparentColor(TColor v) {
    FTransparentColor = v;
    FTransparentMode = v == clDefault ? TTransparentMode::tmAuto : TTransparentMode::tmFixed;
}

// ---- TCustomImageList ----

TCustomImageList::TCustomImageList(TComponent* AOwner, int width, int height)
    : TComponent(AOwner), FWidth(width), FHeight(height) {
    FHandle = ImageList_Create(width, height, ILC_COLORDDB | ILC_MASK, 4, 4);
    if (!FHandle) RaiseLastOSError();
}

TCustomImageList::~TCustomImageList() { ImageList_Destroy(FHandle); }

int TCustomImageList::Count() const { return ImageList_GetImageCount(FHandle); }

HBITMAP TCustomImageList::MakeMask(TBitmap* image, TColor maskColor) const {
    TColor key = maskColor == clDefault ? image->Canvas()->Pixel(0, image->Height() - 1) : maskColor;
    HBITMAP mask = CreateBitmap(FWidth, FHeight, 1, 1, nullptr);
    HDC dst = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dst, mask);
    HDC src = image->Canvas()->Handle();
    COLORREF oldBk = SetBkColor(src, ColorToRGB(key));
    BitBlt(dst, 0, 0, FWidth, FHeight, src, 0, 0, SRCCOPY);  // key colour -> white (transparent)
    SetBkColor(src, oldBk);
    SelectObject(dst, old);
    DeleteDC(dst);
    return mask;
}

int TCustomImageList::AddMasked(TBitmap* image, TColor maskColor) {
    int index = ImageList_GetImageCount(FHandle);
    ImageList_SetImageCount(FHandle, index + 1);
    ReplaceMasked(index, image, maskColor);
    return index;
}

void TCustomImageList::ReplaceMasked(int index, TBitmap* image, TColor maskColor) {
    HBITMAP mask = MakeMask(image, maskColor);
    // Transparent drawing ANDs the mask and then ORs the image, so the image is black under it.
    HDC dc = image->Canvas()->Handle();
    HDC maskDc = CreateCompatibleDC(nullptr);
    HGDIOBJ oldMask = SelectObject(maskDc, mask);
    COLORREF oldBk = SetBkColor(dc, RGB(255, 255, 255)), oldText = SetTextColor(dc, RGB(0, 0, 0));
    BitBlt(dc, 0, 0, FWidth, FHeight, maskDc, 0, 0, 0x00220326);  // DSna
    SetBkColor(dc, oldBk);
    SetTextColor(dc, oldText);
    SelectObject(maskDc, oldMask);
    DeleteDC(maskDc);
    image->Dormant();  // the image list reads the bitmap, which must not be selected anywhere
    BOOL ok = ImageList_Replace(FHandle, index, image->Handle(), mask);
    GdiObjects::Delete(mask);
    if (!ok) throw EInvalidGraphic(L"イメージを追加できません");
}

void TCustomImageList::Delete(int index) { ImageList_Remove(FHandle, index); }

void TCustomImageList::Draw(HDC dc, int x, int y, int index, TColor bk) const {
    ImageList_DrawEx(FHandle, index, dc, x, y, 0, 0, bk == clDefault ? CLR_NONE : ColorToRGB(bk), CLR_NONE,
                     ILD_NORMAL);
}
