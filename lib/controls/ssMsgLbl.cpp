#include "ssMsgLbl.h"

#include <algorithm>

#include "ssMsgLblWrap.h"

namespace {
const wchar_t* const kNoOwner = L"Ownerがセットされていません。";

bool operator==(POINT a, POINT b) { return a.x == b.x && a.y == b.y; }
bool Before(POINT a, POINT b) { return a.y < b.y || (a.y == b.y && a.x < b.x); }

// Round(0.3 x d), half to even.
int ThreeTenths(int d) {
    int q = 3 * d / 10, r = 3 * d % 10;
    if (r > 5 || (r == 5 && q % 2 != 0)) ++q;
    return q;
}

// Ends the label's update hold when the scope ends, also when an exception passes.
class TUpdateScope {
public:
    explicit TUpdateScope(TssMessageLabel* Label) : FLabel(Label) { FLabel->BeginUpdate(); }
    ~TUpdateScope() { FLabel->EndUpdate(); }
    TUpdateScope(const TUpdateScope&) = delete;
    TUpdateScope& operator=(const TUpdateScope&) = delete;

private:
    TssMessageLabel* FLabel;
};
}  // namespace

// ---- TViewLinesList ----

TViewLinesList::~TViewLinesList() { Clear(); }

int TViewLinesList::Add(const TViewLinesInfo& Value) { return TList::Add(new TViewLinesInfo(Value)); }

void TViewLinesList::Delete(int Index) { delete static_cast<PViewLinesInfo>(TList::Delete(Index)); }

void TViewLinesList::Clear() {
    for (int i = 0; i < Count(); ++i) delete Items(i);
    TList::Clear();
}

void TViewLinesList::SetCount(int Value) {
    for (int i = std::max(Value, 0); i < Count(); ++i) delete Items(i);
    TList::SetCount(Value);
    // Growing leaves null entries: give them records.
    for (int i = 0; i < Count(); ++i)
        if (!Get(i)) Put(i, new TViewLinesInfo{0, 1, 0});
}

// ---- TssMsgLblStrings ----

TssMsgLblStrings::TssMsgLblStrings(TssMessageLabel* AOwner) : FOwner(AOwner) {
    if (!AOwner) throw EssMsgLblOwner(kNoOwner);
}

void TssMsgLblStrings::Assign(const TPersistent* Source) {
    TUpdateScope scope(FOwner);
    TStringList::Assign(Source);
}

void TssMsgLblStrings::LoadFromFile(const String& fileName) {
    TUpdateScope scope(FOwner);
    TStringList::LoadFromFile(fileName);
}

void TssMsgLblStrings::Changed() {
    TStringList::Changed();
    if (FOwner->bCanUpdate && UpdateCount() == 0) FOwner->Relayout();
}

// ---- TssClipRect ----

TssClipRect::TssClipRect(TssMessageLabel* AOwner) : FOwner(AOwner) {
    if (!AOwner) throw EssMsgLblOwner(kNoOwner);
    FLeft = 5;
    FTop = 5;
    FRight = AOwner->Width() - 5;
    FBottom = AOwner->Height() - 5;
}

void TssClipRect::SetTop(int Value) {
    if (Value == FTop) return;
    FTop = std::clamp(Value, 0, std::max(0, FOwner->ClientHeightForClip()));
    HeightChanged();
}

void TssClipRect::SetBottom(int Value) {
    if (Value == FBottom) return;
    FBottom = std::clamp(Value, 0, std::max(0, FOwner->ClientHeightForClip()));
    HeightChanged();
}

void TssClipRect::SetLeft(int Value) {
    if (Value == FLeft) return;
    FLeft = std::clamp(Value, 0, std::max(0, FOwner->ClientWidthForClip()));
    WidthChanged();
}

void TssClipRect::SetRight(int Value) {
    if (Value == FRight) return;
    FRight = std::clamp(Value, 0, std::max(0, FOwner->ClientWidthForClip()));
    WidthChanged();
}

// Edges may cross while a rectangle is set one edge at a time; the size never goes below 0.
void TssClipRect::HeightChanged() { FOwner->ClipSizeChanged(true); }

void TssClipRect::WidthChanged() { FOwner->ClipSizeChanged(false); }

void TssClipRect::SetRect(const RECT& Value) {
    TUpdateScope scope(FOwner);
    SetRight(Value.right);
    SetBottom(Value.bottom);
    SetLeft(Value.left);
    SetTop(Value.top);
}

// ---- TssMessageLabel: creation ----

TssMessageLabel::TssMessageLabel(TComponent* AOwner)
    : TCustomControl(AOwner),
      bmpBase(std::make_unique<TBitmap>()),
      lstViewLines(std::make_unique<TViewLinesList>()),
      popMenu(std::make_unique<TPopupMenu>(nullptr)) {
    FWidth = 100;
    FHeight = 100;
    FColor = clWhite;
    FLines = std::make_unique<TssMsgLblStrings>(this);
    FClipRect = std::make_unique<TssClipRect>(this);
    FClipRectWidth = FClipRect->Right() - FClipRect->Left();
    FClipRectHeight = FClipRect->Bottom() - FClipRect->Top();
    FCopyItem = popMenu->Add(L"コピー", scCtrl | 'C');
    FCopyItem->OnClick = [this](TObject*) { CopyToClipboard(); };
    FSelectAllItem = popMenu->Add(L"すべて選択", scCtrl | 'A');
    FSelectAllItem->OnClick = [this](TObject*) { SelectAll(); };
    ResizeBitmap();
    UpdateFontMetrics();
    BeginUpdate();
}

TssMessageLabel::~TssMessageLabel() {
    // The window goes while the label's own parts still exist.
    DestroyHandle();
}

void TssMessageLabel::CreateParams(TCreateParams& Params) {
    TCustomControl::CreateParams(Params);
    Params.Style |= WS_TABSTOP;
    if (HasBar(SB_VERT)) Params.Style |= WS_VSCROLL;
    if (HasBar(SB_HORZ)) Params.Style |= WS_HSCROLL;
    if (FBorderStyle == TBorderStyle::bsSingle) Params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TssMessageLabel::CreateWnd() {
    TCustomControl::CreateWnd();
    UpdateVScroll();
    UpdateHScroll();
}

void TssMessageLabel::Loaded() {
    TCustomControl::Loaded();
    EndUpdate();
}

void TssMessageLabel::BeginUpdate() { bCanUpdate = false; }

void TssMessageLabel::EndUpdate() {
    bCanUpdate = true;
    Relayout();
}

// ---- measuring ----

int TssMessageLabel::CharWidth(const String& s, int i) {
    int units = CharUnits(s, i);
    int* slot;
    if (units == 1) {
        slot = &FBmpWidths[std::size_t(s[i]) & 0xFFFF];
    } else {
        unsigned cp = 0x10000 + ((unsigned(s[i]) - 0xD800) << 10) + (unsigned(s[i + 1]) - 0xDC00);
        slot = &FOtherWidths.try_emplace(cp, -1).first->second;
    }
    if (*slot < 0) {
        SIZE size{};
        GetTextExtentPoint32W(bmpBase->Canvas()->Handle(), s.c_str() + i, units, &size);
        *slot = size.cx;
    }
    return *slot;
}

void TssMessageLabel::CharWidths(const String& s, int from, int count, std::vector<int>& widths,
                                 std::vector<int>* units) {
    widths.clear();
    if (units) units->clear();
    for (int i = from, end = from + count; i < end;) {
        int n = std::min(CharUnits(s, i), end - i);
        widths.push_back(CharWidth(s, i));
        if (units) units->push_back(n);
        i += n;
    }
}

int TssMessageLabel::TextWidth(const String& s, int from, int count) {
    CharWidths(s, from, count, FWidthBuf, nullptr);
    return CharsWidth(FWidthBuf.data(), int(FWidthBuf.size()), FPitch);
}

int TssMessageLabel::FitUnits(const String& s, int Width) {
    CharWidths(s, 0, int(s.size()), FWidthBuf, &FUnitBuf);
    int chars = FitChars(FWidthBuf.data(), int(FWidthBuf.size()), Width, FPitch);
    int units = 0;
    for (int i = 0; i < chars; ++i) units += FUnitBuf[std::size_t(i)];
    return units;
}

void TssMessageLabel::UpdateFontMetrics() {
    TCanvas* canvas = bmpBase->Canvas();
    canvas->Font()->Assign(*Font());
    TEXTMETRICW tm{};
    GetTextMetricsW(canvas->Handle(), &tm);
    int height = tm.tmHeight + tm.tmExternalLeading;
    iFontWidth = tm.tmAveCharWidth + ThreeTenths(tm.tmMaxCharWidth - tm.tmAveCharWidth);
    // Every width may differ in a new font, whatever its average.
    FBmpWidths.assign(0x10000, -1);
    FOtherWidths.clear();
    if (height != iFontHeight) {
        iFontHeight = height;
        CalcViewCount();
        if (FHasCaret) {
            CreateCaret(FHandle, nullptr, 2, iFontHeight);
            ShowCaret(FHandle);
        }
    }
    Relayout();
}

void TssMessageLabel::FontChanged() {
    TCustomControl::FontChanged();
    UpdateFontMetrics();
}

void TssMessageLabel::ColorChanged() {
    TCustomControl::ColorChanged();
    Redraw();
}

// ---- layout ----

void TssMessageLabel::Relayout() {
    if (!bCanUpdate) return;
    BuildViewLines();
    CalcMaxWidth();
    Redraw();
}

void TssMessageLabel::BuildViewLines() {
    if (FWordWrap) {
        int n = 0;
        auto put = [&](const TViewLinesInfo& info) {
            if (n < lstViewLines->Count()) lstViewLines->SetItems(n, info);
            else lstViewLines->Add(info);
            ++n;
        };
        for (int line = 0; line < FLines->Count(); ++line) {
            const String& s = FLines->Get(line);
            if (s.empty()) {
                put({line, 1, 0});
                continue;
            }
            CharWidths(s, 0, int(s.size()), FWidthBuf, &FUnitBuf);
            int ch = 0, pos = 0;
            for (int count : WrapChars(FWidthBuf, FClipRectWidth, FPitch)) {
                int units = 0;
                for (int end = ch + count; ch < end; ++ch) units += FUnitBuf[std::size_t(ch)];
                put({line, pos + 1, units});
                pos += units;
            }
        }
        lstViewLines->SetCount(n);
    }
    FViewLineStart = std::clamp(FViewLineStart, 0, std::max(0, ViewLineCount() - iViewCount));
    FCaretPosition = ClampPoint(FCaretPosition);
    FSelStart = ClampPoint(FSelStart);
    FSelEnd = ClampPoint(FSelEnd);
    bSelecting = !(FSelStart == FSelEnd);
    UpdateVScroll();
    if (FWordWrap) FHSPos = 0;
}

void TssMessageLabel::CalcMaxWidth() {
    int widest = 0;
    for (int line = 0; line < FLines->Count(); ++line) {
        const String& s = FLines->Get(line);
        widest = std::max(widest, TextWidth(s, 0, int(s.size())));
    }
    FMaxWidth = widest;
    FHSPos = std::clamp(FHSPos, 0, MaxHorzPosition());
    UpdateHScroll();
}

void TssMessageLabel::CalcViewCount() {
    iViewCount = VisibleLineCount(FClipRectHeight, iFontHeight, FLineSpacing);
}

int TssMessageLabel::ClientHeightForClip() {
    if (HandleAllocated()) return ClientRect().bottom;
    return FHeight - (HasBar(SB_HORZ) ? GetSystemMetrics(SM_CYHSCROLL) + 2 : 0);
}

int TssMessageLabel::ClientWidthForClip() {
    if (HandleAllocated()) return ClientRect().right;
    return FWidth - (HasBar(SB_VERT) ? GetSystemMetrics(SM_CXVSCROLL) + 2 : 0);
}

void TssMessageLabel::ClipSizeChanged(bool heightChanged) {
    FClipRectHeight = std::max(0, FClipRect->Bottom() - FClipRect->Top());
    FClipRectWidth = std::max(0, FClipRect->Right() - FClipRect->Left());
    ResizeBitmap();
    if (heightChanged) {
        CalcViewCount();
        UpdateVScroll();
        Redraw();
    } else {
        FHSPos = std::clamp(FHSPos, 0, MaxHorzPosition());
        UpdateHScroll();
        Relayout();
    }
    PlaceCaret();
}

// The picture holds only what the clip rectangle shows, however wide the lines are.
void TssMessageLabel::ResizeBitmap() {
    bmpBase->SetSize(std::max(1, FClipRectWidth), std::max(1, FClipRectHeight));
    TCanvas* canvas = bmpBase->Canvas();
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(RECT{0, 0, bmpBase->Width(), bmpBase->Height()});
}

int TssMessageLabel::ViewLineCount() const { return FWordWrap ? lstViewLines->Count() : FLines->Count(); }

int TssMessageLabel::LastVisibleLine() const {
    return std::min(FViewLineStart + iViewCount - 1, ViewLineCount() - 1);
}

int TssMessageLabel::MaxHorzPosition() const {
    return FWordWrap ? 0 : std::max(0, FMaxWidth - FClipRectWidth);
}

String TssMessageLabel::ViewLine(int Index) const {
    CheckListIndex(Index, ViewLineCount() - 1);
    if (!FWordWrap) return FLines->Get(Index);
    PViewLinesInfo info = lstViewLines->Items(Index);
    return FLines->Get(info->Line).substr(std::size_t(info->Pos - 1), std::size_t(info->Count));
}

void TssMessageLabel::SetViewLine(int Index, const String& Value) {
    if (ViewLine(Index) == Value) return;
    BeginUpdate();
    if (FWordWrap) {
        PViewLinesInfo info = lstViewLines->Items(Index);
        String line = FLines->Get(info->Line);
        line.replace(std::size_t(info->Pos - 1), std::size_t(info->Count), Value);
        FLines->Put(info->Line, line);
        info->Count = int(Value.size());
        EndUpdate();
        return;
    }
    FLines->Put(Index, Value);
    if (Index < FViewLineStart || Index > LastVisibleLine()) {
        bCanUpdate = true;
        CalcMaxWidth();
    } else {
        EndUpdate();
    }
}

void TssMessageLabel::SetViewLineStart(int Value) {
    Value = std::clamp(Value, 0, std::max(0, ViewLineCount() - iViewCount));
    if (Value == FViewLineStart) return;
    FViewLineStart = Value;
    FVSPos = Value;
    if (HandleAllocated() && HasBar(SB_VERT) && ScrollPos(SB_VERT) != Value) SetScrollPos(SB_VERT, Value);
    Redraw();
    PlaceCaret();
}

void TssMessageLabel::SetHorzPosition(int Value) {
    Value = std::clamp(Value, 0, MaxHorzPosition());
    if (Value == FHSPos) return;
    FHSPos = Value;
    if (HandleAllocated() && HasBar(SB_HORZ)) SetScrollPos(SB_HORZ, Value);
    Redraw();
    PlaceCaret();
}

// ---- properties ----

void TssMessageLabel::SetLineSpacing(int Value) {
    Value = std::max(Value, 0);
    if (Value == FLineSpacing) return;
    FLineSpacing = Value;
    CalcViewCount();
    SetViewLineStart(FViewLineStart);  // a longer page may end past the last line
    UpdateVScroll();
    Redraw();
    PlaceCaret();
}

void TssMessageLabel::SetPitch(int Value) {
    Value = std::max(Value, 0);
    if (Value == FPitch) return;
    FPitch = Value;
    Relayout();
    PlaceCaret();
}

void TssMessageLabel::SetWordWrap(bool Value) {
    if (Value == FWordWrap) return;
    FWordWrap = Value;
    FVSPos = FHSPos = FViewLineStart = 0;
    FCaretPosition = FSelStart = FSelEnd = POINT{0, 0};
    bSelecting = false;
    if (!Value) lstViewLines->Clear();
    if (HandleAllocated() && HasBar(SB_VERT)) SetScrollPos(SB_VERT, 0);
    if (HandleAllocated() && HasBar(SB_HORZ)) SetScrollPos(SB_HORZ, 0);
    Relayout();
    PlaceCaret();
}

void TssMessageLabel::SetScrollBar(TScrollStyle Value) {
    if (Value == FScrollBar) return;
    FScrollBar = Value;
    RecreateWnd();
}

void TssMessageLabel::SetBorderStyle(TBorderStyle Value) {
    if (Value == FBorderStyle) return;
    FBorderStyle = Value;
    RecreateWnd();
}

void TssMessageLabel::SetCanSelect(bool Value) {
    if (Value == FCanSelect) return;
    FCanSelect = Value;
    FSelectAllItem->SetEnabled(Value);
    if (!Value && bSelecting) {
        FSelStart = FSelEnd;
        bSelecting = false;
        Redraw();
    }
}

// ---- drawing ----

void TssMessageLabel::Redraw() {
    if (!bCanUpdate) return;
    TCanvas* canvas = bmpBase->Canvas();
    HDC dc = canvas->Handle();
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(RECT{0, 0, bmpBase->Width(), bmpBase->Height()});
    SetBkMode(dc, TRANSPARENT);
    int step = iFontHeight + FLineSpacing;
    for (int i = FViewLineStart, last = LastVisibleLine(); i <= last; ++i) {
        String s = ViewLine(i);
        int y = (i - FViewLineStart) * step;
        // Only the characters in the visible band are drawn.
        int x = -FHSPos, at = 0, len = int(s.size());
        while (at < len) {
            int w = CharWidth(s, at) + FPitch;
            if (x + w > 0) break;
            x += w;
            at += CharUnits(s, at);
        }
        if (FPitch == 0) {
            int end = at, right = x;
            while (end < len && right < FClipRectWidth) {
                right += CharWidth(s, end);
                end += CharUnits(s, end);
            }
            ExtTextOutW(dc, x, y, 0, nullptr, s.c_str() + at, UINT(end - at), nullptr);
        } else {
            while (at < len && x < FClipRectWidth) {
                int units = CharUnits(s, at);
                ExtTextOutW(dc, x, y, 0, nullptr, s.c_str() + at, UINT(units), nullptr);
                x += CharWidth(s, at) + FPitch;
                at += units;
            }
        }
    }
    DrawSelection(dc);
    Invalidate();
}

void TssMessageLabel::DrawSelection(HDC dc) {
    if (!bSelecting) return;
    POINT a = FSelStart, b = FSelEnd;
    if (Before(b, a)) std::swap(a, b);
    int step = iFontHeight + FLineSpacing;
    for (int y = std::max<int>(a.y, FViewLineStart), last = std::min<int>(b.y, LastVisibleLine()); y <= last; ++y) {
        String s = ViewLine(y);
        if (s.empty()) continue;
        int x0 = y == a.y ? TextWidth(s, 0, a.x) : 0;
        int x1 = y == b.y ? TextWidth(s, 0, b.x) : TextWidth(s, 0, int(s.size()));
        PatBlt(dc, x0 - FHSPos, (y - FViewLineStart) * step, x1 - x0, step, DSTINVERT);
    }
}

void TssMessageLabel::Paint() {
    HDC dc = Canvas()->Handle();
    if (FHasCaret) HideCaret(FHandle);
    RECT clip = FClipRect->Rect();
    clip.right = clip.left + FClipRectWidth;
    clip.bottom = clip.top + FClipRectHeight;
    BitBlt(dc, clip.left, clip.top, FClipRectWidth, FClipRectHeight, bmpBase->Canvas()->Handle(), 0, 0, SRCCOPY);
    int saved = SaveDC(dc);
    ExcludeClipRect(dc, clip.left, clip.top, clip.right, clip.bottom);
    RECT client = ClientRect();
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(client);
    RestoreDC(dc, saved);
    if (FHasCaret) ShowCaret(FHandle);
}

// ---- scroll bars ----

bool TssMessageLabel::HasBar(int Bar) const {
    if (FScrollBar == TScrollStyle::ssBoth) return true;
    return FScrollBar == (Bar == SB_VERT ? TScrollStyle::ssVertical : TScrollStyle::ssHorizontal);
}

void TssMessageLabel::UpdateVScroll() {
    FVSPos = FViewLineStart;
    if (!HandleAllocated() || !HasBar(SB_VERT)) return;
    SCROLLINFO si{sizeof(si), SIF_ALL | SIF_DISABLENOSCROLL};
    si.nMax = std::max(ViewLineCount() - 1, 0);
    si.nPage = UINT(std::max(iViewCount, 0));
    si.nPos = FViewLineStart;
    SetScrollInfo(FHandle, SB_VERT, &si, TRUE);
    if (ViewLineCount() <= iViewCount) EnableScrollBar(FHandle, SB_VERT, ESB_DISABLE_BOTH);
}

void TssMessageLabel::UpdateHScroll() {
    if (!HandleAllocated() || !HasBar(SB_HORZ)) return;
    bool active = !FWordWrap && FMaxWidth > FClipRectWidth;
    SCROLLINFO si{sizeof(si), SIF_ALL | SIF_DISABLENOSCROLL};
    si.nMax = active ? FMaxWidth - 1 : 0;
    si.nPage = active ? UINT(FClipRectWidth) : 0;
    si.nPos = FHSPos;
    SetScrollInfo(FHandle, SB_HORZ, &si, TRUE);
    if (!active) EnableScrollBar(FHandle, SB_HORZ, ESB_DISABLE_BOTH);
}

void TssMessageLabel::ScrollCommand(int Bar, int Code, int Pos) {
    bool vert = Bar == SB_VERT;
    int cur = vert ? FViewLineStart : FHSPos;
    int line = vert ? 1 : iFontWidth + FPitch;
    int page = vert ? iViewCount : FClipRectWidth;
    int target = cur;
    switch (Code) {
        case SB_LINEUP: target = cur - line; break;
        case SB_LINEDOWN: target = cur + line; break;
        case SB_PAGEUP: target = cur - page; break;
        case SB_PAGEDOWN: target = cur + page; break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: target = Pos; break;
        case SB_TOP: target = 0; break;
        case SB_BOTTOM: target = vert ? ViewLineCount() : FMaxWidth; break;
        default: return;
    }
    if (vert) SetViewLineStart(target);
    else SetHorzPosition(target);
}

bool TssMessageLabel::DoMouseWheel(TShiftState Shift, int WheelDelta, POINT MousePos) {
    if (TCustomControl::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
    SetViewLineStart(FViewLineStart - WheelDelta / WHEEL_DELTA);
    return true;
}

// ---- caret and selection ----

POINT TssMessageLabel::ClampPoint(POINT p) const {
    int count = ViewLineCount();
    if (count == 0) return POINT{0, 0};
    p.y = std::clamp<int>(p.y, 0, count - 1);
    String s = ViewLine(p.y);
    p.x = CharStart(s, std::clamp<int>(p.x, 0, int(s.size())));
    return p;
}

POINT TssMessageLabel::HitTest(int X, int Y) {
    if (ViewLineCount() == 0) return POINT{0, 0};
    int left = FClipRect->Left(), top = FClipRect->Top();
    X = std::clamp(X, left, left + FClipRectWidth);
    Y = std::clamp(Y, top, top + std::max(FClipRectHeight - 1, 0));
    int line = std::min((Y - top) / (iFontHeight + FLineSpacing) + FViewLineStart, LastVisibleLine());
    line = std::max(line, 0);
    return POINT{FitUnits(ViewLine(line), X - left + FHSPos), line};
}

void TssMessageLabel::PlaceCaret() {
    if (!FHasCaret) return;
    POINT p = ClampPoint(FCaretPosition);
    RECT clip = FClipRect->Rect();
    int x = clip.left - FHSPos, y = (p.y - FViewLineStart) * (iFontHeight + FLineSpacing) + clip.top;
    if (ViewLineCount() > 0) x += TextWidth(ViewLine(p.y), 0, p.x);
    if (x < clip.left || x > clip.left + FClipRectWidth) x = -100;
    if (y < clip.top || y >= clip.top + FClipRectHeight) y = -100;
    SetCaretPos(x, y);
}

void TssMessageLabel::ScrollIntoView(POINT Target) {
    if (!FWordWrap && ViewLineCount() > 0) {
        int x = TextWidth(ViewLine(Target.y), 0, Target.x);
        if (x < FHSPos) SetHorzPosition(x);
        else if (x > FHSPos + FClipRectWidth) SetHorzPosition(x - FClipRectWidth);
    }
    if (Target.y < FViewLineStart) SetViewLineStart(Target.y);
    else if (Target.y > FViewLineStart + iViewCount - 1) SetViewLineStart(Target.y - iViewCount + 1);
}

void TssMessageLabel::MoveTo(POINT Target, bool Extend) {
    Target = ClampPoint(Target);
    FSelEnd = Target;
    if (!Extend) FSelStart = Target;
    FCaretPosition = Target;
    bSelecting = !(FSelStart == FSelEnd);
    ScrollIntoView(Target);
    Redraw();
    PlaceCaret();
}

void TssMessageLabel::SelectAll() {
    int count = ViewLineCount();
    if (count == 0 || !FCanSelect) return;
    FSelStart = POINT{0, 0};
    MoveTo(POINT{int(ViewLine(count - 1).size()), count - 1}, true);
}

String TssMessageLabel::SelText() const {
    POINT a = FSelStart, b = FSelEnd;
    if (a == b) return String();
    if (Before(b, a)) std::swap(a, b);
    String text;
    for (int y = a.y; y <= b.y; ++y) {
        String s = ViewLine(y);
        int from = y == a.y ? a.x : 0;
        int to = y == b.y ? b.x : int(s.size());
        text += s.substr(std::size_t(from), std::size_t(std::max(0, to - from)));
        if (y < b.y) text += L"\r\n";
    }
    return text;
}

void TssMessageLabel::CopyToClipboard() {
    clpSelect = Clipboard();
    clpSelect->SetAsText(SelText());
}

bool TssMessageLabel::KeyDown(WORD Key, TShiftState Shift) {
    int count = ViewLineCount();
    if (count == 0) return false;
    bool shift = Shift.Contains(TShiftStateItem::ssShift), ctrl = Shift.Contains(TShiftStateItem::ssCtrl),
         alt = Shift.Contains(TShiftStateItem::ssAlt);
    if (alt || (shift && ctrl)) return false;
    if (ctrl) {
        if (Key == VK_HOME) MoveTo(POINT{0, 0}, false);
        else if (Key == VK_END) MoveTo(POINT{int(ViewLine(count - 1).size()), count - 1}, false);
        else return false;
        return true;
    }
    if (shift && !FCanSelect) return false;
    POINT t = FCaretPosition;
    String s = ViewLine(t.y);
    switch (Key) {
        case VK_PRIOR:
            t.y = std::max<int>(t.y - iViewCount, 0);
            SetViewLineStart(FViewLineStart - iViewCount);
            break;
        case VK_NEXT:
            t.y = std::min<int>(t.y + iViewCount, count - 1);
            SetViewLineStart(FViewLineStart + iViewCount);
            break;
        case VK_END: t.x = int(s.size()); break;
        case VK_HOME: t.x = 0; break;
        case VK_LEFT: t.x = PrevCharStart(s, t.x); break;
        case VK_RIGHT:
            if (t.x < int(s.size())) t.x += CharUnits(s, t.x);
            break;
        case VK_UP: --t.y; break;
        case VK_DOWN: ++t.y; break;
        default: return false;
    }
    MoveTo(t, shift);
    return true;
}

void TssMessageLabel::MouseDown(int X, int Y) {
    if (CanFocus() && !Focused()) SetFocus();
    MoveTo(HitTest(X, Y), false);
    SetCapture(FHandle);
}

void TssMessageLabel::MouseMove(int X, int Y) {
    RECT clip = FClipRect->Rect();
    POINT t = FCaretPosition;
    if (Y < clip.top) {
        --t.y;
    } else if (Y >= clip.top + FClipRectHeight) {
        ++t.y;
    } else if (X < clip.left) {
        if (ViewLineCount() > 0) t.x = PrevCharStart(ViewLine(t.y), t.x);
    } else if (X >= clip.left + FClipRectWidth) {
        if (ViewLineCount() > 0) t.x += CharUnits(ViewLine(t.y), t.x);
    } else {
        t = HitTest(X, Y);
    }
    MoveTo(t, true);
}

void TssMessageLabel::UpdateMenuItems() {
    FCopyItem->SetEnabled(FCanSelect && !(FSelStart == FSelEnd));
    FSelectAllItem->SetEnabled(FCanSelect && ViewLineCount() > 0);
}

void TssMessageLabel::WndProc(TMessage& Msg) {
    switch (Msg.Msg) {
        case WM_GETDLGCODE:
            Msg.Result = DLGC_WANTARROWS;
            return;
        case WM_ERASEBKGND:
            Msg.Result = 1;  // Paint covers the client area
            return;
        case WM_SETFOCUS:
            TCustomControl::WndProc(Msg);
            if (!FHasCaret && CreateCaret(FHandle, nullptr, 2, iFontHeight)) {
                FHasCaret = true;
                PlaceCaret();
                ShowCaret(FHandle);
            }
            return;
        case WM_KILLFOCUS:
            TCustomControl::WndProc(Msg);
            if (FHasCaret) {
                FHasCaret = false;
                DestroyCaret();
            }
            return;
        case WM_KEYDOWN: {
            TShiftState shift = KeyboardShiftState();
            UpdateMenuItems();
            if (popMenu->IsShortCut(WORD(Msg.WParam), shift) || KeyDown(WORD(Msg.WParam), shift)) {
                Msg.Result = 0;
                return;
            }
            break;
        }
        case WM_LBUTTONDOWN:
            MouseDown(short(LOWORD(Msg.LParam)), short(HIWORD(Msg.LParam)));
            Msg.Result = 0;
            return;
        case WM_MOUSEMOVE:
            if ((Msg.WParam & MK_LBUTTON) && FCanSelect && GetCapture() == FHandle) {
                MouseMove(short(LOWORD(Msg.LParam)), short(HIWORD(Msg.LParam)));
                Msg.Result = 0;
                return;
            }
            break;
        case WM_LBUTTONUP:
            if (GetCapture() == FHandle) ReleaseCapture();
            break;
        case WM_NCLBUTTONDOWN:
            if (!ComponentState().Contains(TComponentStateItem::csDesigning) && CanFocus()) SetFocus();
            break;
        case WM_CONTEXTMENU: {
            int x = short(LOWORD(Msg.LParam)), y = short(HIWORD(Msg.LParam));
            if (x == -1 && y == -1) {  // from the keyboard: at the caret
                POINT p{};
                GetCaretPos(&p);
                ClientToScreen(FHandle, &p);
                x = p.x;
                y = p.y;
            }
            UpdateMenuItems();
            popMenu->Popup(FHandle, x, y);
            Msg.Result = 0;
            return;
        }
    }
    TCustomControl::WndProc(Msg);
}
