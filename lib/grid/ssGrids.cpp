#include "ssGrids.h"

#include <algorithm>
#include <climits>
#include <utility>

#include "Forms.h"
#include "Imm.h"
#include "ssGridStream.h"
#include "ssInplaceEdit.h"

namespace {

const wchar_t* const SIndexOutOfRange = L"グリッドインデックス が範囲を超えています";
const wchar_t* const STooManyDeleted = L"削除する行または列が多すぎます";
const wchar_t* const SGridTooLarge = L"グリッドが大きすぎます";
const wchar_t* const SFixedColTooBig = L"固定列の数は列数より小さくなければなりません";
const wchar_t* const SFixedRowTooBig = L"固定行の数は行数より小さくなければなりません";

[[noreturn]] void InvalidOp(const wchar_t* message) { throw EInvalidGridOperation(message); }

// A width or height the grid's stream could not hold back is refused, as its reader refuses
// it; hiding takes 0.
void CheckExtent(int Value, const wchar_t* What) {
    if (Value < 0 || Value > GridStreamMaxExtent)
        throw EInvalidGridOperation(
            Format(L"%s %d が 0..%d の範囲にありません", {What, (long long)Value, (long long)GridStreamMaxExtent}));
}

void Check(TAxisResult r) {
    switch (r) {
        case TAxisResult::Ok: return;
        case TAxisResult::IndexOutOfRange: InvalidOp(SIndexOutOfRange);
        case TAxisResult::TooManyDeleted: InvalidOp(STooManyDeleted);
        case TAxisResult::TooLarge: InvalidOp(SGridTooLarge);
    }
}

bool SameFont(const TFont& a, const TFont& b) {
    return a.Style() == b.Style() && a.Charset() == b.Charset() && a.Color() == b.Color() &&
           a.Height() == b.Height() && a.Pitch() == b.Pitch() && a.Name() == b.Name();
}

bool SamePen(const TPen& a, const TPen& b) {
    return a.Style() == b.Style() && a.Width() == b.Width() && a.Color() == b.Color() && a.Mode() == b.Mode();
}

TGridRect Normalized(TGridCoord a, TGridCoord b) {
    return {std::min(a.X, b.X), std::min(a.Y, b.Y), std::max(a.X, b.X), std::max(a.Y, b.Y)};
}

// Whether a scroll style has the bar Bar (SB_HORZ or SB_VERT).
bool ShowsBar(TScrollStyle Style, int Bar) {
    return Style == TScrollStyle::ssBoth ||
           Style == (Bar == SB_HORZ ? TScrollStyle::ssHorizontal : TScrollStyle::ssVertical);
}

int Clamp(long long v) { return int(std::clamp<long long>(v, INT_MIN, INT_MAX)); }

}  // namespace

// ---- construction ----

TssCustomGrid::TssCustomGrid(TComponent* AOwner)
    : TCustomControl(AOwner),
      FColInfo(std::make_unique<TssGridColInfo>()),
      FRowInfo(std::make_unique<TssGridRowInfo>()),
      FCellInfo(std::make_unique<TssGridCellInfo>(this)) {
    Check(FHorz.Resize(5));
    Check(FVert.Resize(5));
    Check(FTabStops.Resize(5));
    FHorz.SetFixedCount(1);
    FVert.SetFixedCount(1);
    UpdateLineWidths();
    FColInfo->SetCount(5);
    FRowInfo->SetCount(5);
    FCellInfo->SetColCount(5);
    FCellInfo->SetRowCount(5);
    SetColor(clWindow);
    FTabStop = true;
    FCaptureOnPress = true;
    // A screen of cells reaches the display as one copy.
    SetDoubleBuffered(true);
    SetBounds(FLeft, FTop, 5 * 64, 5 * 24);
    ResetCurrentToFixed();
    // A scratch object changed by its caller stores the change for the index it was read for.
    FColFont.SetOwnerNotify([this](TObject*) {
        if (!FLoadingScratch) SetColFont(FColFontIndex, &FColFont);
    });
    FRowFont.SetOwnerNotify([this](TObject*) {
        if (!FLoadingScratch) SetRowFont(FRowFontIndex, &FRowFont);
    });
    FCellFont.SetOwnerNotify([this](TObject*) {
        if (!FLoadingScratch) SetCellFont(FCellFontCell.X, FCellFontCell.Y, &FCellFont);
    });
    FColLine.SetOwnerNotify([this](TObject*) {
        if (!FLoadingScratch) SetColLine(FColLineIndex, &FColLine);
    });
    FRowLine.SetOwnerNotify([this](TObject*) {
        if (!FLoadingScratch) SetRowLine(FRowLineIndex, &FRowLine);
    });
}

TssCustomGrid::~TssCustomGrid() {
    // The cell store frees the cell lines it made before the grid frees its components.
    FCellInfo.reset();
    FStrayLine.reset();
    // The editor goes while it still has a grid to talk to.
    DestroyComponents();
    FInplaceEdit = nullptr;
}

bool TssCustomGrid::DesigningOrLoading() const {
    auto s = ComponentState();
    return s.Contains(TComponentStateItem::csDesigning) || s.Contains(TComponentStateItem::csLoading);
}

void TssCustomGrid::UpdateLineWidths() {
    bool vert = FOptions.Contains(TGridOption::goFixedVertLine) || FOptions.Contains(TGridOption::goVertLine);
    bool horz = FOptions.Contains(TGridOption::goFixedHorzLine) || FOptions.Contains(TGridOption::goHorzLine);
    FHorz.SetLineWidth(vert ? FGridLineWidth : 0);
    FVert.SetLineWidth(horz ? FGridLineWidth : 0);
}

void TssCustomGrid::ResetCurrentToFixed() {
    FTopLeft = {FixedCols(), FixedRows()};
    FCurrent = FTopLeft;
    FAnchor = FCurrent;
    if (RowSelect()) FAnchor.X = ColCount() - 1;
}

void TssCustomGrid::CheckCell(int ACol, int ARow) const {
    if (ACol < 0 || ARow < 0 || ACol >= ColCount() || ARow >= RowCount()) InvalidOp(SIndexOutOfRange);
}

// ---- metrics ----

int TssCustomGrid::ColLineWidth(int ACol) const {
    FColInfo->SetCol(ACol);
    const TPen* p = FColInfo->Line();
    return p ? p->Width() : FGridLineWidth;
}

int TssCustomGrid::RowLineWidth(int ARow) const {
    FRowInfo->SetRow(ARow);
    const TPen* p = FRowInfo->Line();
    return p ? p->Width() : FGridLineWidth;
}

TGridAxisMetrics TssCustomGrid::AxisMetrics(const TGridAxis& Axis, int First, int Client, bool Rows) const {
    TGridAxisView v = Axis.View(First, Client, [&](int i) { return Rows ? RowLineWidth(i) : ColLineWidth(i); });
    TGridAxisMetrics m;
    m.LineWidth = Axis.LineWidth();
    m.FixedEnd = Clamp(v.FixedEnd);
    m.ClientExtent = Client;
    m.GridEnd = Clamp(v.GridEnd);
    m.LastFullCell = v.LastFullCell;
    m.FullVisibleEnd = Clamp(v.FullVisibleEnd);
    m.FixedCount = Axis.FixedCount();
    m.FirstCell = First;
    m.CellCount = Axis.Count();
    return m;
}

TGridMetrics TssCustomGrid::CalcMetrics(int ClientWidth, int ClientHeight) {
    return {AxisMetrics(FHorz, FTopLeft.X, ClientWidth, false), AxisMetrics(FVert, FTopLeft.Y, ClientHeight, true)};
}

TGridMetrics TssCustomGrid::CalcDrawInfo() {
    RECT r = ClientRect();
    return CalcMetrics(r.right - r.left, r.bottom - r.top);
}

int TssCustomGrid::GridWidth() { return CalcDrawInfo().Horz.GridEnd; }
int TssCustomGrid::GridHeight() { return CalcDrawInfo().Vert.GridEnd; }
int TssCustomGrid::VisibleColCount() { return CalcDrawInfo().Horz.LastFullCell - LeftCol() + 1; }
int TssCustomGrid::VisibleRowCount() { return CalcDrawInfo().Vert.LastFullCell - TopRow() + 1; }

namespace {

// The pixel span of the cells First..Last of one axis, clipped as a client rectangle is; false
// when none of it is shown.
bool AxisSpan(const TGridAxis& Axis, const TGridAxisMetrics& M, int First, int Last, bool IncludeLine, int& Start,
              int& End) {
    if (First >= M.FixedCount && First < M.FirstCell) {
        if (Last < M.FirstCell) return false;
        First = M.FirstCell;
    }
    if (Last > M.LastFullCell) {
        Last = M.LastFullCell;
        if (M.LastFullCell + 1 < M.CellCount && Axis.StartOf(M.LastFullCell + 1, M.FirstCell) <= M.ClientExtent)
            Last = M.LastFullCell + 1;
    }
    long long start = Axis.StartOf(First, M.FirstCell);
    if (start > M.ClientExtent) return false;
    long long end = Axis.StartOf(Last, M.FirstCell);
    if (!Axis.IsHidden(Last)) end += std::max(Axis.Extent(Last), 0);
    end = std::min<long long>(end, M.ClientExtent);
    if (IncludeLine) end += M.LineWidth;
    Start = int(start);
    End = int(end);
    return true;
}

}  // namespace

RECT TssCustomGrid::GridRectToClient(const TGridRect& R, bool IncludeLine) {
    RECT out{0, 0, 0, 0};
    if (R.Right < R.Left || R.Bottom < R.Top) return out;
    TGridMetrics m = CalcDrawInfo();
    if (R.Left > m.Horz.LastFullCell + 1 || R.Top > m.Vert.LastFullCell + 1) return out;
    int l, r, t, b;
    if (!AxisSpan(FVert, m.Vert, R.Top, R.Bottom, IncludeLine, t, b)) return out;
    if (!AxisSpan(FHorz, m.Horz, R.Left, R.Right, IncludeLine, l, r)) return out;
    return RECT{l, t, r, b};
}

RECT TssCustomGrid::BoxRect(int ALeft, int ATop, int ARight, int ABottom) {
    RECT r = GridRectToClient({ALeft, ATop, ARight, ABottom}, false);
    if (IsRectEmpty(&r)) return r;
    const int glw = FGridLineWidth;
    FColInfo->SetCol(ARight);
    if (const TPen* pen = FColInfo->Line()) {
        int p = pen->Width(), w = ColWidths(ARight);
        if (r.right - r.left == w || p < glw) r.right += glw - p;
        else r.right = r.left + w + glw - p;
    }
    FRowInfo->SetRow(ABottom);
    if (const TPen* pen = FRowInfo->Line()) {
        int p = pen->Width(), h = RowHeights(ABottom);
        if (p < glw) r.bottom -= glw - p;
        else if (r.bottom - r.top == h) r.bottom -= p - glw;
        else r.bottom = r.top + h + glw - p;
    }
    return r;
}

RECT TssCustomGrid::CellRect(int ACol, int ARow) { return BoxRect(ACol, ARow, ACol, ARow); }

void TssCustomGrid::MouseToCell(int X, int Y, int& ACol, int& ARow) {
    TGridCoord c = MouseCoord(X, Y);
    ACol = c.X;
    ARow = c.Y;
}

TGridCoord TssCustomGrid::MouseCoord(int X, int Y) {
    RECT r = ClientRect();
    int col = X < r.right ? FHorz.CellAt(X, FTopLeft.X) : -1;
    int row = Y < r.bottom ? FVert.CellAt(Y, FTopLeft.Y) : -1;
    if (col < 0 || row < 0) return {-1, -1};
    return {col, row};
}

TGridCoord TssCustomGrid::CalcMaxTopLeft(TGridCoord Coord, const TGridMetrics& M) {
    return {FHorz.MaxTopLeft(Coord.X, M.Horz.ClientExtent, ColLineWidth(Coord.X)),
            FVert.MaxTopLeft(Coord.Y, M.Vert.ClientExtent, RowLineWidth(Coord.Y))};
}

// ---- scrolling ----

TGridCoord TssCustomGrid::LastTopLeft(const TGridMetrics& M) {
    return CalcMaxTopLeft({ColCount() - 1, RowCount() - 1}, M);
}

void TssCustomGrid::ScrollCellIntoView(TGridCoord Coord) {
    if (!HandleAllocated()) return;
    TGridMetrics m = CalcDrawInfo();
    auto inView = [](int c, int first, int last, int fixed) { return c < fixed || (c >= first && c <= last); };
    if (inView(Coord.X, FTopLeft.X, m.Horz.LastFullCell, FixedCols()) &&
        inView(Coord.Y, FTopLeft.Y, m.Vert.LastFullCell, FixedRows()))
        return;
    Update();
    TGridCoord old = FTopLeft, most = CalcMaxTopLeft(Coord, m);
    // A fixed cell is always in view: it never becomes the first scrollable one.
    if (Coord.X >= FixedCols()) {
        if (Coord.X < FTopLeft.X) FTopLeft.X = Coord.X;
        else if (Coord.X > m.Horz.LastFullCell) FTopLeft.X = most.X;
    }
    if (Coord.Y >= FixedRows()) {
        if (Coord.Y < FTopLeft.Y) FTopLeft.Y = Coord.Y;
        else if (Coord.Y > m.Vert.LastFullCell) FTopLeft.Y = most.Y;
    }
    if (!(old == FTopLeft)) TopLeftShifted(old);
}

void TssCustomGrid::SetTopLeftCell(int ALeft, int ATop) {
    if (ALeft == FTopLeft.X && ATop == FTopLeft.Y) return;
    TGridCoord old = FTopLeft;
    Update();
    FTopLeft = {ALeft, ATop};
    TopLeftShifted(old);
}

// A top-left outside the scrollable cells would show nothing sensible: it is kept inside them.
void TssCustomGrid::SetLeftCol(int Value) {
    SetTopLeftCell(std::clamp(Value, FixedCols(), ColCount() - 1), FTopLeft.Y);
}

void TssCustomGrid::SetTopRow(int Value) {
    SetTopLeftCell(FTopLeft.X, std::clamp(Value, FixedRows(), RowCount() - 1));
}

void TssCustomGrid::TopLeftShifted(TGridCoord Old) {
    SyncScrollPositions();
    if (HandleAllocated()) {
        TGridMetrics m = CalcDrawInfo();
        long long dx = FHorz.Distance(FTopLeft.X, Old.X), dy = FVert.Distance(FTopLeft.Y, Old.Y);
        if (std::llabs(dx) > m.Horz.GridEnd - m.Horz.FixedEnd || std::llabs(dy) > m.Vert.GridEnd - m.Vert.FixedEnd)
            Invalidate();
        else if (dx != 0 || dy != 0)
            ScrollPixels(int(dx), int(dy), m);
    }
    TopLeftChanged();
}

void TssCustomGrid::ScrollPixels(int DX, int DY, const TGridMetrics& M) {
    if (!HandleAllocated()) return;
    bool erase = !FDefaultDrawing;
    int w = M.Horz.ClientExtent, h = M.Vert.ClientExtent, fx = M.Horz.FixedEnd, fy = M.Vert.FixedEnd;
    if (DY == 0) {
        RECT band{fx, 0, w, h};
        ScrollClient(DX, 0, &band, erase);
        if (RowSelect()) InvalidateGridRect(Selection());
    } else if (DX == 0) {
        RECT band{0, fy, w, h};
        ScrollClient(0, DY, &band, erase);
        if (RowSelect() && FOptions.Contains(TGridOption::goRangeSelect)) InvalidateGridRect(Selection());
    } else {
        RECT header{fx, 0, w, fy}, rowHeader{0, fy, fx, h}, data{fx, fy, w, h};
        ScrollClient(DX, 0, &header, erase);
        ScrollClient(0, DY, &rowHeader, erase);
        ScrollClient(DX, DY, &data, erase);
    }
}

void TssCustomGrid::SyncScrollPositions() {
    if (!HandleAllocated() || FScrollBars == TScrollStyle::ssNone) return;
    TGridMetrics m = CalcDrawInfo();
    TGridCoord most = LastTopLeft(m);
    // The thumb stays at 0 when nothing can scroll.
    auto thumb = [](int first, int fixed, int max) { return max > fixed ? MulDiv(first - fixed, 127, max - fixed) : 0; };
    if (ShowsBar(FScrollBars, SB_HORZ)) {
        if (ColCount() == 1) {
            int room = m.Horz.ClientExtent - m.Horz.FixedEnd;
            if (FColOffset > 0 && ColWidths(0) - FColOffset < room)
                ScrollSingleColumn(SB_THUMBPOSITION, std::max(0, ColWidths(0) - room));
            else
                SetScrollPos(SB_HORZ, FColOffset);
        } else {
            SetScrollPos(SB_HORZ, thumb(FTopLeft.X, FixedCols(), most.X));
        }
    }
    if (ShowsBar(FScrollBars, SB_VERT))
        SetScrollPos(SB_VERT, thumb(FTopLeft.Y, FixedRows(), most.Y));
}

void TssCustomGrid::SyncScrollRanges() {
    if (!HandleAllocated() || FScrollBars == TScrollStyle::ssNone) return;
    TGridCoord old = FTopLeft;
    bool horz = ShowsBar(FScrollBars, SB_HORZ);
    bool vert = ShowsBar(FScrollBars, SB_VERT);
    {
        // While the ranges are worked out, nothing re-enters this through the scroll positions.
        TScrollStyle bars = std::exchange(FScrollBars, TScrollStyle::ssNone);
        struct Restore {
            TScrollStyle& field;
            TScrollStyle value;
            ~Restore() { field = value; }
        } restore{FScrollBars, bars};

        auto shown = [this](int bar) {
            int lo, hi;
            ScrollRange(bar, lo, hi);
            return hi > lo;
        };
        RECT cr = ClientRect();
        // The client as if no bar were shown.
        int w = cr.right + (shown(SB_VERT) ? GetSystemMetrics(SM_CXVSCROLL) : 0);
        int h = cr.bottom + (shown(SB_HORZ) ? GetSystemMetrics(SM_CYHSCROLL) : 0);
        auto updateHorz = [&](int cw, int ch) {
            if (ColCount() == 1) {
                SetScrollRange(SB_HORZ, 0, std::max(0, ColWidths(0) - cw));
                return;
            }
            int most = LastTopLeft(CalcMetrics(cw, ch)).X;
            SetScrollRange(SB_HORZ, 0, most > FixedCols() ? 127 : 0);
            if (FTopLeft.X > most) {
                Update();
                FTopLeft.X = std::max(most, FixedCols());
            }
        };
        auto updateVert = [&](int cw, int ch) {
            int most = LastTopLeft(CalcMetrics(cw, ch)).Y;
            SetScrollRange(SB_VERT, 0, most > FixedRows() ? 127 : 0);
            if (FTopLeft.Y > most) {
                Update();
                FTopLeft.Y = std::max(most, FixedRows());
            }
        };
        if (horz) updateHorz(w, h);
        int widthBefore = ClientRect().right;
        if (vert) updateVert(w, ClientRect().bottom);
        // Showing or hiding the vertical bar changed the room for the columns.
        RECT now = ClientRect();
        if (horz && now.right != widthBefore) updateHorz(now.right, now.bottom);
    }
    SyncScrollPositions();
    if (!(old == FTopLeft)) TopLeftShifted(old);
}

void TssCustomGrid::ScrollCommand(int Bar, int Code, int Pos) {
    if (Visible() && CanFocus() && TabStop() && !Designing() && !Focused()) SetFocus();
    if (Bar == SB_HORZ && ColCount() == 1) {
        ScrollSingleColumn(Code, Pos);
        return;
    }
    TGridMetrics m = CalcDrawInfo();
    bool rows = Bar == SB_VERT;
    const TGridAxisMetrics& axis = rows ? m.Vert : m.Horz;
    int first = rows ? FTopLeft.Y : FTopLeft.X;
    int lo = axis.FixedCount;
    TGridCoord most = LastTopLeft(m);
    int hi = rows ? most.Y : most.X;
    auto maxTopLeftOf = [&](int coord) {
        return rows ? FVert.MaxTopLeft(coord, axis.ClientExtent, RowLineWidth(coord))
                    : FHorz.MaxTopLeft(coord, axis.ClientExtent, ColLineWidth(coord));
    };
    long long value = first;
    switch (Code) {
        case SB_LINEUP: value = first - 1; break;
        case SB_LINEDOWN: value = first + 1LL; break;
        case SB_PAGEUP: value = first - std::max(1, first - maxTopLeftOf(first)); break;
        case SB_PAGEDOWN: value = first + std::max(1, axis.LastFullCell - first); break;
        case SB_THUMBTRACK:
            if (!FOptions.Contains(TGridOption::goThumbTracking)) break;
            [[fallthrough]];
        case SB_THUMBPOSITION: value = lo + MulDiv(Pos, hi - lo, 127); break;
        case SB_TOP: value = lo; break;
        case SB_BOTTOM: value = hi; break;
        default: break;
    }
    int v = int(std::clamp<long long>(value, lo, std::max(lo, hi)));
    if (rows) SetTopLeftCell(FTopLeft.X, v);
    else SetTopLeftCell(v, FTopLeft.Y);
}

int TssCustomGrid::ZeroWidth() {
    HDC dc = GetDC(Handle());
    HGDIOBJ old = SelectObject(dc, Font()->Handle());
    SIZE s{};
    GetTextExtentPoint32W(dc, L"0", 1, &s);
    SelectObject(dc, old);
    ReleaseDC(Handle(), dc);
    return s.cx;
}

void TssCustomGrid::ScrollSingleColumn(int Code, int Pos) {
    TGridMetrics m = CalcDrawInfo();
    int room = m.Horz.ClientExtent - m.Horz.FixedEnd;
    int most = std::max(0, ColWidths(0) - room);
    int offset = FColOffset;
    switch (Code) {
        case SB_LINEUP: offset -= ZeroWidth(); break;
        case SB_LINEDOWN: offset += ZeroWidth(); break;
        case SB_PAGEUP: offset -= room; break;
        case SB_PAGEDOWN: offset += room; break;
        case SB_THUMBPOSITION: offset = Pos; break;
        case SB_THUMBTRACK:
            if (FOptions.Contains(TGridOption::goThumbTracking)) offset = Pos;
            break;
        case SB_BOTTOM: offset = most; break;
        case SB_TOP: offset = 0; break;
        default: break;
    }
    offset = std::clamp(offset, 0, most);
    if (offset == FColOffset) return;
    int dx = FColOffset - offset;
    FColOffset = offset;
    ScrollClient(dx, 0, nullptr, !FDefaultDrawing);
    if (FixedRows() > 0) InvalidateGridRect({0, 0, 0, FixedRows() - 1});
    Update();
    SyncScrollPositions();
}

bool TssCustomGrid::DoMouseWheel(TShiftState Shift, int WheelDelta, POINT MousePos) {
    if (TCustomControl::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
    if (WheelDelta == 0) return true;
    if (HandleAllocated() && (GetWindowLongPtrW(FHandle, GWL_STYLE) & WS_VSCROLL)) {
        ScrollCommand(SB_VERT, WheelDelta < 0 ? SB_LINEDOWN : SB_LINEUP, ScrollPos(SB_VERT));
    } else if (WheelDelta < 0) {
        if (Row() < RowCount() - 1) SetRow(Row() + 1);
    } else if (Row() > FixedRows()) {
        SetRow(Row() - 1);
    }
    return true;
}

// ---- size changes ----

void TssCustomGrid::SetColCount(int Value) {
    if (Value == ColCount()) return;
    if (Value <= 0) Value = 1;
    Check(TGridAxis::CheckCount(Value));
    // The stores grow before the grid does and shrink after it did, so that a failing resize
    // leaves them as they were.
    int old = ColCount();
    if (Value > old) FCellInfo->SetColCount(Value);
    try {
        ResizeGrid(Value, RowCount());
    } catch (...) {
        FCellInfo->SetColCount(ColCount());
        throw;
    }
    FCellInfo->SetColCount(ColCount());
    if (RowSelect()) {
        FAnchor.X = ColCount() - 1;
        Invalidate();
    }
    FColInfo->SetCount(ColCount());
}

void TssCustomGrid::SetRowCount(int Value) {
    if (Value == RowCount()) return;
    if (Value <= 0) Value = 1;
    Check(TGridAxis::CheckCount(Value));
    int old = RowCount();
    if (Value > old) {
        FRowInfo->SetCount(Value);
        FCellInfo->SetRowCount(Value);
    }
    auto fitStores = [this] {
        FRowInfo->SetCount(RowCount());
        FCellInfo->SetRowCount(RowCount());
    };
    try {
        ResizeGrid(ColCount(), Value);
    } catch (...) {
        fitStores();
        throw;
    }
    fitStores();
}

void TssCustomGrid::ResizeGrid(int NewCols, int NewRows) {
    Check(TGridAxis::CheckCount(NewCols));
    Check(TGridAxis::CheckCount(NewRows));
    int oldCols = ColCount(), oldRows = RowCount();
    bool window = HandleAllocated();
    TGridMetrics before = window ? CalcDrawInfo() : TGridMetrics{};
    TGridCoord oldTopLeft = FTopLeft, oldCurrent = FCurrent, oldAnchor = FAnchor;
    auto apply = [&](int cols, int rows) {
        Check(FHorz.Resize(cols));
        Check(FTabStops.Resize(cols));
        Check(FVert.Resize(rows));
        // Keep the first scrollable cell inside the grid.
        FTopLeft.X = std::clamp(FTopLeft.X, FixedCols(), ColCount() - 1);
        FTopLeft.Y = std::clamp(FTopLeft.Y, FixedRows(), RowCount() - 1);
        if (FCurrent.X >= ColCount() || FCurrent.Y >= RowCount())
            MoveCurrentUnasked(std::min(FCurrent.X, ColCount() - 1), std::min(FCurrent.Y, RowCount() - 1));
        if (!(FAnchor == FCurrent)) ExtendSelection(FCurrent);
        if (!window) return;
        if (VirtualView || !(FTopLeft == oldTopLeft)) {
            Invalidate();
        } else {
            TGridMetrics after = CalcDrawInfo();
            RECT client = ClientRect();
            RECT c = CellRect(std::min(before.Horz.LastFullCell, after.Horz.LastFullCell), 0);
            RECT r = CellRect(0, std::min(before.Vert.LastFullCell, after.Vert.LastFullCell));
            RECT cols{c.left, c.top, client.right, client.bottom}, rowsRect{r.left, r.top, client.right, client.bottom};
            InvalidateRect(FHandle, &cols, FALSE);
            InvalidateRect(FHandle, &rowsRect, FALSE);
        }
        SyncScrollRanges();
    };
    try {
        apply(NewCols, NewRows);
    } catch (...) {
        // Back to the old size with the cells as they were, before the failed step moved them.
        FTopLeft = oldTopLeft;
        FCurrent = oldCurrent;
        FAnchor = oldAnchor;
        apply(oldCols, oldRows);
        Invalidate();
        throw;
    }
    CountsChanged(oldCols, oldRows);
}

// A current cell that no longer exists is left without asking: there is nothing to refuse.
void TssCustomGrid::MoveCurrentUnasked(int ACol, int ARow) {
    TGridCoord old = FCurrent;
    FCurrent = {ACol, ARow};
    if (!FOptions.Contains(TGridOption::goAlwaysShowEditor)) CloseEditor();
    FAnchor = FCurrent;
    if (RowSelect()) {
        FAnchor.X = ColCount() - 1;
        FCurrent.X = FixedCols();
    }
    ScrollCellIntoView({RowSelect() ? LeftCol() : FCurrent.X, FCurrent.Y});
    Invalidate();
    if (!(FCurrent == old)) DoEnterCell(FCurrent.X, FCurrent.Y);
}

void TssCustomGrid::SetFixedCols(int Value) {
    if (Value < 0) InvalidOp(SIndexOutOfRange);
    if (Value >= ColCount()) InvalidOp(SFixedColTooBig);
    FHorz.SetFixedCount(Value);
    ResetCurrentToFixed();
    SyncScrollRanges();
    Invalidate();
}

void TssCustomGrid::SetFixedRows(int Value) {
    if (Value < 0) InvalidOp(SIndexOutOfRange);
    if (Value >= RowCount()) InvalidOp(SFixedRowTooBig);
    FVert.SetFixedCount(Value);
    ResetCurrentToFixed();
    SyncScrollRanges();
    Invalidate();
}

int TssCustomGrid::ColWidths(int Index) const { return FHorz.Extent(Index); }
int TssCustomGrid::RowHeights(int Index) const { return FVert.Extent(Index); }
bool TssCustomGrid::TabStops(int Index) const { return FTabStops.Extent(Index) != 0; }

void TssCustomGrid::SetColWidths(int Index, int Value) {
    if (Index < 0 || Index >= ColCount()) InvalidOp(SIndexOutOfRange);
    CheckExtent(Value, L"列の幅");
    if (Value == ColWidths(Index)) {
        Check(FHorz.SetExtent(Index, Value));  // the array exists from the first write on
        return;
    }
    Invalidate();
    Check(FHorz.SetExtent(Index, Value));
    ColWidthsChanged();
}

void TssCustomGrid::SetRowHeights(int Index, int Value) {
    if (Index < 0 || Index >= RowCount()) InvalidOp(SIndexOutOfRange);
    CheckExtent(Value, L"行の高さ");
    if (Value == RowHeights(Index)) {
        Check(FVert.SetExtent(Index, Value));
        return;
    }
    Invalidate();
    Check(FVert.SetExtent(Index, Value));
    RowHeightsChanged();
}

void TssCustomGrid::SetTabStops(int Index, bool Value) {
    if (Index < 0 || Index >= ColCount()) InvalidOp(SIndexOutOfRange);
    Check(FTabStops.SetExtent(Index, Value ? 1 : 0));
}

void TssCustomGrid::SetDefaultColWidth(int Value) {
    FHorz.SetDefaultExtent(Value);
    ColWidthsChanged();
    Invalidate();
}

void TssCustomGrid::SetDefaultRowHeight(int Value) {
    FVert.SetDefaultExtent(Value);
    RowHeightsChanged();
    Invalidate();
}

void TssCustomGrid::SetGridLineWidth(int Value) {
    if (Value == FGridLineWidth) return;
    FGridLineWidth = Value;
    UpdateLineWidths();
    Invalidate();
}

void TssCustomGrid::SetScrollBars(TScrollStyle Value) {
    if (Value == FScrollBars) return;
    FScrollBars = Value;
    RecreateWnd();
}

void TssCustomGrid::SetBorderStyle(TBorderStyle Value) {
    if (Value == FBorderStyle) return;
    FBorderStyle = Value;
    RecreateWnd();
}

void TssCustomGrid::SetDefaultDrawing(bool Value) {
    if (Value == FDefaultDrawing) return;
    FDefaultDrawing = Value;
    Invalidate();
}

void TssCustomGrid::SetOptions(TGridOptions Value) {
    if (Value == FOptions) return;
    if (Value.Contains(TGridOption::goRowSelect)) Value.Exclude(TGridOption::goAlwaysShowEditor);
    FOptions = Value;
    UpdateLineWidths();
    if (!FEditorMode) {
        if (FOptions.Contains(TGridOption::goAlwaysShowEditor)) OpenEditor();
        else CloseEditor();
    }
    if (RowSelect()) SetCurrentCell(Col(), Row(), true, false);
    Invalidate();
}

void TssCustomGrid::AdjustAxis(int Index, int Amount, bool Rows) {
    if (Amount == 0) return;
    TGridAxis& axis = Rows ? FVert : FHorz;
    if (static_cast<long long>(axis.Count()) + Amount < Index) InvalidOp(STooManyDeleted);
    int oldCols = ColCount(), oldRows = RowCount();
    bool window = HandleAllocated();
    TGridMetrics m = window ? CalcDrawInfo() : TGridMetrics{};
    long long start = axis.StartOf(Index, Rows ? FTopLeft.Y : FTopLeft.X);
    long long removed = Amount < 0 ? axis.Distance(Index, Index - Amount) : 0;
    Check(axis.Change(Index, Amount));
    if (!Rows) Check(FTabStops.Change(Index, Amount));
    // The stores keep their records where they are; only their counts follow the grid.
    if (Rows) {
        FRowInfo->SetCount(RowCount());
        FCellInfo->SetRowCount(RowCount());
    } else {
        FCellInfo->SetColCount(ColCount());
        FColInfo->SetCount(ColCount());
    }
    int& current = Rows ? FCurrent.Y : FCurrent.X;
    int& anchor = Rows ? FAnchor.Y : FAnchor.X;
    int& first = Rows ? FTopLeft.Y : FTopLeft.X;
    int last = axis.Count() - 1, fixed = axis.FixedCount();
    for (int* v : {&current, &anchor})
        if (*v >= Index) *v = std::clamp(*v + Amount, std::min(Index, last), last);
    first = std::clamp(first, fixed, last);
    if (window) {
        long long shift = Amount > 0 ? axis.Distance(Index, Index + Amount) : -removed;
        const TGridAxisMetrics& am = Rows ? m.Vert : m.Horz;
        int from = int(std::clamp<long long>(start, 0, am.ClientExtent));
        RECT band = Rows ? RECT{0, from, m.Horz.ClientExtent, am.ClientExtent}
                         : RECT{from, 0, am.ClientExtent, m.Vert.ClientExtent};
        ScrollClient(Rows ? 0 : int(shift), Rows ? int(shift) : 0, &band, !FDefaultDrawing);
        SyncScrollRanges();
    }
    CountsChanged(oldCols, oldRows);
}

// ---- current cell and selection ----

TGridRect TssCustomGrid::Selection() const { return Normalized(FAnchor, FCurrent); }

void TssCustomGrid::SetCurrentCell(int ACol, int ARow, bool MoveAnchor, bool Show) {
    bool sameRowUnderRowSelect = RowSelect() && ARow == FCurrent.Y;
    if (!sameRowUnderRowSelect && !(ACol == FCurrent.X && ARow == FCurrent.Y) && !bFirstGridEnter) {
        DoExitCell(FCurrent.X, FCurrent.Y);
        if (!FIsCanExit) return;
    }
    CheckCell(ACol, ARow);
    if (!SelectCell(ACol, ARow)) return;
    TGridRect oldSel = Selection();
    TGridCoord old = FCurrent;
    FCurrent = {ACol, ARow};
    if (!FOptions.Contains(TGridOption::goAlwaysShowEditor)) CloseEditor();
    if (MoveAnchor || !FOptions.Contains(TGridOption::goRangeSelect)) {
        FAnchor = FCurrent;
        if (RowSelect()) FAnchor.X = ColCount() - 1;
    }
    if (RowSelect()) FCurrent.X = FixedCols();
    if (Show) ScrollCellIntoView({RowSelect() ? LeftCol() : ACol, ARow});
    InvalidateSelectionChange(oldSel);
    InvalidateCell(old.X, old.Y);
    InvalidateCell(FCurrent.X, FCurrent.Y);
    if (!sameRowUnderRowSelect && !(FCurrent == old)) DoEnterCell(FCurrent.X, FCurrent.Y);
}

void TssCustomGrid::ExtendSelection(TGridCoord Coord) {
    if (FOptions.Contains(TGridOption::goRangeSelect) && !FOptions.Contains(TGridOption::goEditing)) {
        TGridRect oldSel = Selection();
        FAnchor = Coord;
        if (RowSelect()) FAnchor.X = ColCount() - 1;
        ScrollCellIntoView(Coord);
        InvalidateSelectionChange(oldSel);
    } else {
        SetCurrentCell(Coord.X, Coord.Y, true, true);
    }
}

void TssCustomGrid::GoToCell(int ACol, int ARow, bool MoveAnchor) {
    SetCurrentCell(ACol, ARow, MoveAnchor, true);
    PlaceEditor();
    if (!FOptions.Contains(TGridOption::goVertLine) && !FOptions.Contains(TGridOption::goHorzLine) &&
        FisCellLineSetting)
        Invalidate();
    Click();
}

void TssCustomGrid::SetCol(int Value) {
    if (Value != Col()) GoToCell(Value, Row(), true);
}

void TssCustomGrid::SetRow(int Value) {
    if (Value != Row()) GoToCell(Col(), Value, true);
}

void TssCustomGrid::SetSelection(const TGridRect& Value) {
    CheckCell(Value.Left, Value.Top);
    CheckCell(Value.Right, Value.Bottom);
    TGridRect oldSel = Selection();
    if (RowSelect()) {
        FAnchor.X = std::max(Value.Left, Value.Right);
        FCurrent.X = std::min(Value.Left, Value.Right);
    } else {
        FAnchor.X = Value.Left;
        FCurrent.X = Value.Right;
    }
    FAnchor.Y = Value.Top;
    FCurrent.Y = Value.Bottom;
    InvalidateSelectionChange(oldSel);
    TGridMetrics m = CalcDrawInfo();
    TGridCoord most = LastTopLeft(m);
    TGridRect sel = Selection();
    if (sel.Left < FTopLeft.X || sel.Right > m.Horz.LastFullCell)
        SetLeftCol(std::min(std::max(sel.Left, FixedCols()), std::max(most.X, FixedCols())));
    if (sel.Top < FTopLeft.Y || sel.Bottom > m.Vert.LastFullCell)
        SetTopRow(std::min(std::max(sel.Top, FixedRows()), std::max(most.Y, FixedRows())));
}

void TssCustomGrid::InvalidateCell(int ACol, int ARow) { InvalidateGridRect({ACol, ARow, ACol, ARow}); }

void TssCustomGrid::InvalidateGridRect(const TGridRect& R) {
    if (!HandleAllocated()) return;
    RECT r = GridRectToClient(R, true);
    InvalidateRect(FHandle, &r, FALSE);
}

// Only the cells whose selection state changed are painted again.
void TssCustomGrid::InvalidateSelectionChange(const TGridRect& OldSel) {
    if (!HandleAllocated()) return;
    RECT a = GridRectToClient(OldSel, true), b = GridRectToClient(Selection(), true);
    HRGN ra = CreateRectRgnIndirect(&a), rb = CreateRectRgnIndirect(&b);
    CombineRgn(ra, ra, rb, RGN_XOR);
    InvalidateRgn(FHandle, ra, FALSE);
    GdiObjects::Delete(ra);
    GdiObjects::Delete(rb);
}

bool TssCustomGrid::SelectCell(int ACol, int ARow) {
    if (!DesigningOrLoading() && HandleAllocated()) SetImeMode(FHandle, ColImeMode(ACol));
    return true;
}

void TssCustomGrid::DoEnterCell(int ACol, int ARow) {
    if (FOnEnterCell) FOnEnterCell(this, ACol, ARow);
    bFirstMouseDown = false;
    bFirstGridEnter = false;
}

// Without a handler nothing refuses: a refusal from a handler since removed must not stay.
void TssCustomGrid::DoExitCell(int ACol, int ARow) {
    FIsCanExit = true;
    if (FOnExitCell) FOnExitCell(this, ACol, ARow, FIsCanExit);
}

// The cell store counts its cells with lines as they are set: no scan per setter.
bool TssCustomGrid::HasCellLines() { return FCellInfo->LinedCellCount() > 0; }

void TssCustomGrid::RecalcCellLineSetting() { FisCellLineSetting = HasCellLines(); }

void TssCustomGrid::Loaded() {
    TCustomControl::Loaded();
    RecalcCellLineSetting();
}

// ---- editor hosting ----

// The editor counts as the grid: the focus in it is the grid's focus.
bool TssCustomGrid::ActiveControlIsGrid() {
    if (TCustomForm* form = GetParentForm(this)) {
        TWinControl* active = form->ActiveControl();
        return active == this || (active && active == FInplaceEdit);
    }
    if (!HandleAllocated()) return false;
    for (HWND h = GetFocus(); h; h = GetParent(h))
        if (h == FHandle) return true;
    return false;
}

bool TssCustomGrid::CanShowEditor() {
    return FOptions.Contains(TGridOption::goEditing) && !RowSelect() && FEditorMode && !Designing() &&
           HandleAllocated() && (FOptions.Contains(TGridOption::goAlwaysShowEditor) || ActiveControlIsGrid());
}

TssInplaceEdit* TssCustomGrid::CreateEditor() { return new TssInplaceEdit(this); }

void TssCustomGrid::OpenEditor() {
    FEditorMode = true;
    PlaceEditor();
}

void TssCustomGrid::CloseEditor() {
    FEditorMode = false;
    DetachEditor();
}

void TssCustomGrid::SetEditorMode(bool Value) {
    if (Value) {
        OpenEditor();
        if (FInplaceEdit && FInplaceEdit->HandleAllocated()) FInplaceEdit->Deselect();
    } else {
        CloseEditor();
    }
}

TColor TssCustomGrid::EditorBackColor() {
    if (FInplaceEdit && !FInplaceEdit->ReadOnly())
        if (TCustomForm* form = GetParentForm(this))
            if (form->ActiveControl() == FInplaceEdit || form->ActiveControl() == this)
                return TssUIConfig::GetInstance()->ActiveEditBackColor();
    return CellColor(Col(), Row());
}

void TssCustomGrid::FillEditorCell() {
    if (!HandleAllocated()) return;
    RECT r = CellRect(Col(), Row());
    HDC dc = GetDC(FHandle);
    HBRUSH brush = CreateSolidBrush(ColorToRGB(EditorBackColor()));
    FillRect(dc, &r, brush);
    GdiObjects::Delete(brush);
    ReleaseDC(FHandle, dc);
}

// Colours the editor and lays it over the current cell in the cell's font.
void TssCustomGrid::LoadEditor() {
    FInplaceEdit->SetColor(EditorBackColor());
    FInplaceEdit->Font()->Assign(*EffectiveCellFont(Col(), Row()));
    FillEditorCell();
    FInplaceEdit->Move(CellRect(Col(), Row()));
}

void TssCustomGrid::PlaceEditor() {
    if (!CanShowEditor()) return;
    if (!FInplaceEdit) {
        FInplaceEdit = CreateEditor();
        FInplaceEdit->SetGrid(this);
        FInplaceEdit->SetParent(this);
    } else if (FInplaceCol != Col() || FInplaceRow != Row()) {
        DetachEditor();
    }
    if (FInplaceCol != Col() || FInplaceRow != Row()) {
        FInplaceCol = Col();
        FInplaceRow = Row();
        FInplaceEdit->UpdateContents();
        FCanEditModify = FInplaceEdit->MaxLength() != -1;
        FInplaceEdit->SelectAll();
    }
    if (CanShowEditor()) LoadEditor();
}

void TssCustomGrid::CommitEditorText() {
    if (FInplaceEdit && FInplaceCol != -1 && FInplaceRow != -1)
        SetEditText(FInplaceCol, FInplaceRow, FInplaceEdit->Text());
}

void TssCustomGrid::DetachEditor() {
    if (!FInplaceEdit) return;
    struct Reset {
        TssCustomGrid& g;
        ~Reset() {
            g.FInplaceCol = g.FInplaceRow = -1;
            g.FInplaceEdit->Hide(g.CellRect(g.Col(), g.Row()));
        }
    } reset{*this};
    CommitEditorText();
}

void TssCustomGrid::OpenEditorWithChar(wchar_t Ch) {
    OpenEditor();
    // A hidden editor (a cell too small for it) takes no character the user cannot see.
    if (FInplaceEdit && FInplaceEdit->Visible()) PostMessageW(FInplaceEdit->Handle(), WM_CHAR, WPARAM(Ch), 0);
}

void TssCustomGrid::ResetEditor() {
    FInplaceCol = FInplaceRow = -1;
    PlaceEditor();
}

// ---- moving columns and rows ----

namespace {
// Where an index that went with the moved one, or sat between its old and new place, ends up.
int Shifted(int value, int from, int to) {
    if (value == from) return to;
    if (from < to && value > from && value <= to) return value - 1;
    if (from > to && value >= to && value < from) return value + 1;
    return value;
}
}  // namespace

void TssCustomGrid::MoveColumn(int FromIndex, int ToIndex) {
    if (FromIndex == ToIndex) return;
    CheckListIndex<EInvalidGridOperation>(FromIndex, ColCount() - 1);
    CheckListIndex<EInvalidGridOperation>(ToIndex, ColCount() - 1);
    if (FHorz.HasExtents()) Check(FHorz.Move(FromIndex, ToIndex));
    if (FTabStops.HasExtents()) Check(FTabStops.Move(FromIndex, ToIndex));
    FCurrent.X = Shifted(FCurrent.X, FromIndex, ToIndex);
    FAnchor.X = Shifted(FAnchor.X, FromIndex, ToIndex);
    if (FInplaceCol >= 0) FInplaceCol = Shifted(FInplaceCol, FromIndex, ToIndex);
    InvalidateGridRect({std::min(FromIndex, ToIndex), 0, std::max(FromIndex, ToIndex),
                        std::min(RowCount() - 1, VisibleRowCount() + TopRow())});
    ColumnMoved(FromIndex, ToIndex);
    if (FHorz.HasExtents()) ColWidthsChanged();
    PlaceEditor();
}

void TssCustomGrid::MoveRow(int FromIndex, int ToIndex) {
    if (FromIndex == ToIndex) return;
    CheckListIndex<EInvalidGridOperation>(FromIndex, RowCount() - 1);
    CheckListIndex<EInvalidGridOperation>(ToIndex, RowCount() - 1);
    if (FVert.HasExtents()) Check(FVert.Move(FromIndex, ToIndex));
    FCurrent.Y = Shifted(FCurrent.Y, FromIndex, ToIndex);
    FAnchor.Y = Shifted(FAnchor.Y, FromIndex, ToIndex);
    if (FInplaceRow >= 0) FInplaceRow = Shifted(FInplaceRow, FromIndex, ToIndex);
    RowMoved(FromIndex, ToIndex);
    if (FVert.HasExtents()) RowHeightsChanged();
    PlaceEditor();
}

// ---- what descendants override ----

void TssCustomGrid::ColumnMoved(int FromIndex, int ToIndex) {
    FColInfo->Move(FromIndex, ToIndex);
    FCellInfo->MoveCol(FromIndex, ToIndex);
}

void TssCustomGrid::RowMoved(int FromIndex, int ToIndex) { FCellInfo->MoveRow(FromIndex, ToIndex); }

void TssCustomGrid::TopLeftChanged() {
    if (FisCellLineSetting) Invalidate();
    if (FEditorMode && FInplaceEdit) LoadEditor();
}

void TssCustomGrid::ColWidthsChanged() {
    SyncScrollRanges();
    PlaceEditor();
}

void TssCustomGrid::RowHeightsChanged() {
    SyncScrollRanges();
    PlaceEditor();
}

// ---- the control ----

void TssCustomGrid::CreateParams(TCreateParams& Params) {
    TCustomControl::CreateParams(Params);
    Params.Style |= WS_TABSTOP;
    if (ShowsBar(FScrollBars, SB_VERT)) Params.Style |= WS_VSCROLL;
    if (ShowsBar(FScrollBars, SB_HORZ)) Params.Style |= WS_HSCROLL;
    if (FBorderStyle == TBorderStyle::bsSingle) {
        if (Ctl3D()) Params.ExStyle |= WS_EX_CLIENTEDGE;
        else Params.Style |= WS_BORDER;
    }
}

void TssCustomGrid::Ctl3DChanged() { RecreateWnd(); }

void TssCustomGrid::DoEnter() {
    // Focus coming back after a refused exit is no new entry.
    if (!FIsCanExit) return;
    TCustomControl::DoEnter();
    SetImeMode(Handle(), ColImeMode(Col()));
    if (!bFirstMouseDown) {
        DoEnterCell(Col(), Row());
        if (FOptions.Contains(TGridOption::goAlwaysShowEditor)) FEditorMode = true;
    }
}

void TssCustomGrid::DoExit() {
    DoExitCell(Col(), Row());
    if (FIsCanExit) {
        bFirstGridEnter = true;
        bFirstMouseDown = false;
        TCustomControl::DoExit();
        if (FOptions.Contains(TGridOption::goEditing)) CloseEditor();
    } else {
        SetFocus();
    }
}

void TssCustomGrid::FontChanged() {
    if (FInplaceEdit) FInplaceEdit->Font()->Assign(*Font());
    TCustomControl::FontChanged();
}

void TssCustomGrid::WndProc(TMessage& Msg) {
    bool editor = false;
    switch (Msg.Msg) {
        case WM_SETFOCUS:
            // Focus coming back from the editor changes nothing the grid shows.
            editor = FInplaceEdit && HWND(Msg.WParam) && HWND(Msg.WParam) == FInplaceEdit->Handle();
            TCustomControl::WndProc(Msg);
            if (!editor) {
                InvalidateGridRect(Selection());
                PlaceEditor();
            }
            return;
        case WM_KILLFOCUS:
            editor = FInplaceEdit && HWND(Msg.WParam) && HWND(Msg.WParam) == FInplaceEdit->Handle();
            TCustomControl::WndProc(Msg);
            InvalidateGridRect(Selection());
            if (!editor) DetachEditor();
            return;
        case WM_LBUTTONDOWN:
            if (bFirstGridEnter) bFirstMouseDown = true;
            break;
        case WM_SIZE:
            TCustomControl::WndProc(Msg);
            SyncScrollRanges();
            return;
        case WM_ERASEBKGND:
            // Paint covers the whole client area.
            Msg.Result = 1;
            return;
        case WM_GETDLGCODE:
            // The grid keeps its arrows, and Tab and typing where it uses them, from the form's
            // dialog navigation.
            Msg.Result = DLGC_WANTARROWS;
            if (!RowSelect()) {
                if (FOptions.Contains(TGridOption::goTabs)) Msg.Result |= DLGC_WANTTAB;
                if (FOptions.Contains(TGridOption::goEditing)) Msg.Result |= DLGC_WANTCHARS;
            }
            if (FOptions.Contains(TGridOption::goEditing) && Msg.LParam &&
                reinterpret_cast<const MSG*>(Msg.LParam)->message == WM_KEYDOWN && Msg.WParam == VK_RETURN)
                Msg.Result |= DLGC_WANTMESSAGE;
            return;
        case WM_CHAR:
            if (FOptions.Contains(TGridOption::goEditing) && (Msg.WParam == 8 || (Msg.WParam >= 32 && Msg.WParam <= 255))) {
                OpenEditorWithChar(wchar_t(Msg.WParam));
                Msg.Result = 0;
                return;
            }
            break;
        case WM_IME_STARTCOMPOSITION:
            // Typing Japanese starts with a composition: it opens the editor, which takes it on.
            if (FOptions.Contains(TGridOption::goEditing) && !RowSelect()) {
                OpenEditor();
                if (FInplaceEdit && FInplaceEdit->Visible()) {
                    FInplaceEdit->SetFocus();
                    Msg.Result = SendMessageW(FInplaceEdit->Handle(), Msg.Msg, Msg.WParam, Msg.LParam);
                    return;
                }
            }
            break;
        case WM_NCHITTEST:
            TCustomControl::WndProc(Msg);
            FHitTest = {short(LOWORD(Msg.LParam)), short(HIWORD(Msg.LParam))};
            ScreenToClient(FHandle, &FHitTest);
            return;
        case WM_CAPTURECHANGED:
            // Another window took the mouse in the middle of a drag: the drag ends unapplied.
            if (HWND(Msg.LParam) != FHandle && FGridState != TGridState::gsNormal) StopDrag();
            break;
        case WM_CANCELMODE:
            if (FInplaceEdit && FInplaceEdit->HandleAllocated()) SendMessageW(FInplaceEdit->Handle(), WM_CANCELMODE, 0, 0);
            break;
    }
    TCustomControl::WndProc(Msg);
}

void TssCustomGrid::CreateWnd() {
    TCustomControl::CreateWnd();
    SyncScrollRanges();
}

// ---- attributes ----

TAlignment TssCustomGrid::ColAlignment(int ACol) const {
    FColInfo->SetCol(ACol);
    return FColInfo->Alignment();
}

void TssCustomGrid::SetColAlignment(int ACol, TAlignment Value) {
    FColInfo->SetCol(ACol);
    FColInfo->SetAlignment(Value);
    Invalidate();
}

TAlignment TssCustomGrid::FixedColAlignment(int ACol) const {
    FColInfo->SetCol(ACol);
    return FColInfo->FixedAlignment();
}

void TssCustomGrid::SetFixedColAlignment(int ACol, TAlignment Value) {
    FColInfo->SetCol(ACol);
    FColInfo->SetFixedAlignment(Value);
    Invalidate();
}

TImeMode TssCustomGrid::ColImeMode(int ACol) const {
    FColInfo->SetCol(ACol);
    return FColInfo->ImeMode();
}

void TssCustomGrid::SetColImeMode(int ACol, TImeMode Value) {
    FColInfo->SetCol(ACol);
    FColInfo->SetImeMode(Value);
}

TColor TssCustomGrid::ColColor(int ACol) const {
    FColInfo->SetCol(ACol);
    TColor c = FColInfo->Color();
    if (c != clNotSet) return c;
    return ACol < FixedCols() ? FFixedColor : Color();
}

TColor TssCustomGrid::RowColor(int ARow) const {
    FRowInfo->SetRow(ARow);
    TColor c = FRowInfo->Color();
    if (c != clNotSet) return c;
    return ARow < FixedRows() ? FFixedColor : Color();
}

TColor TssCustomGrid::InheritedCellColor(int ACol, int ARow) const {
    FColInfo->SetCol(ACol);
    if (TColor c = FColInfo->Color(); c != clNotSet) return c;
    FRowInfo->SetRow(ARow);
    if (TColor c = FRowInfo->Color(); c != clNotSet) return c;
    return ACol < FixedCols() || ARow < FixedRows() ? FFixedColor : Color();
}

TColor TssCustomGrid::CellColor(int ACol, int ARow) const {
    FCellInfo->SetCol(ACol);
    FCellInfo->SetRow(ARow);
    TColor c = FCellInfo->Color();
    return c != clNotSet ? c : InheritedCellColor(ACol, ARow);
}

void TssCustomGrid::SetColColor(int ACol, TColor Value) {
    bool fixed = ACol < FixedCols();
    FColInfo->SetCol(ACol);
    FColInfo->SetColor(Value == (fixed ? FFixedColor : Color()) ? clNotSet : Value);
    // Header cells keep the fixed colour although the column now has one.
    if (!fixed && !Designing()) {
        for (int r = 0; r < FixedRows(); ++r) {
            FCellInfo->SetCol(ACol);
            FCellInfo->SetRow(r);
            FRowInfo->SetRow(r);
            if (FCellInfo->Color() == clNotSet && FRowInfo->Color() == clNotSet) FCellInfo->SetColor(FFixedColor);
        }
    }
    Invalidate();
}

void TssCustomGrid::SetRowColor(int ARow, TColor Value) {
    bool fixed = ARow < FixedRows();
    FRowInfo->SetRow(ARow);
    FRowInfo->SetColor(Value == (fixed ? FFixedColor : Color()) ? clNotSet : Value);
    if (!fixed && !Designing()) {
        for (int c = 0; c < FixedCols(); ++c) {
            FCellInfo->SetCol(c);
            FCellInfo->SetRow(ARow);
            FColInfo->SetCol(c);
            if (FCellInfo->Color() == clNotSet && FColInfo->Color() == clNotSet) FCellInfo->SetColor(FFixedColor);
        }
    }
    Invalidate();
}

void TssCustomGrid::SetCellColor(int ACol, int ARow, TColor Value) {
    TColor inherited = InheritedCellColor(ACol, ARow);
    FCellInfo->SetCol(ACol);
    FCellInfo->SetRow(ARow);
    FCellInfo->SetColor(Value == inherited ? clNotSet : Value);
    Invalidate();
}

void TssCustomGrid::SetFixedColor(TColor Value) {
    TColor old = FFixedColor;
    FCellInfo->ForEachStored([&](int c, int r) {
        if ((c < FixedCols() || r < FixedRows()) && FCellInfo->Color() == old) FCellInfo->SetColor(Value);
    });
    FFixedColor = Value;
    Invalidate();
}

const TFont* TssCustomGrid::EffectiveColFont(int ACol) const {
    FColInfo->SetCol(ACol);
    const TFont* f = FColInfo->Font();
    return f ? f : Font();
}

const TFont* TssCustomGrid::EffectiveRowFont(int ARow) const {
    FRowInfo->SetRow(ARow);
    const TFont* f = FRowInfo->Font();
    return f ? f : Font();
}

// The font a cell inherits: its column's, else its row's, else the grid's.
const TFont* TssCustomGrid::InheritedCellFont(int ACol, int ARow) const {
    FColInfo->SetCol(ACol);
    if (const TFont* f = FColInfo->Font()) return f;
    FRowInfo->SetRow(ARow);
    if (const TFont* f = FRowInfo->Font()) return f;
    return Font();
}

const TFont* TssCustomGrid::EffectiveCellFont(int ACol, int ARow) const {
    FCellInfo->SetCol(ACol);
    FCellInfo->SetRow(ARow);
    const TFont* f = FCellInfo->Font();
    return f ? f : InheritedCellFont(ACol, ARow);
}

const TPen* TssCustomGrid::EffectiveColLine(int ACol) const {
    FColInfo->SetCol(ACol);
    const TPen* p = FColInfo->Line();
    return p ? p : DefLine();
}

const TPen* TssCustomGrid::EffectiveRowLine(int ARow) const {
    FRowInfo->SetRow(ARow);
    const TPen* p = FRowInfo->Line();
    return p ? p : DefLine();
}

template <typename T>
T* TssCustomGrid::LoadScratch(T& Scratch, const T* Value) {
    FLoadingScratch = true;
    Scratch.Assign(*Value);
    FLoadingScratch = false;
    return &Scratch;
}

TFont* TssCustomGrid::ColFont(int ACol) {
    const TFont* f = EffectiveColFont(ACol);
    if (Designing()) return const_cast<TFont*>(f);
    FColFontIndex = ACol;
    return LoadScratch(FColFont, f);
}

TFont* TssCustomGrid::RowFont(int ARow) {
    const TFont* f = EffectiveRowFont(ARow);
    if (Designing()) return const_cast<TFont*>(f);
    FRowFontIndex = ARow;
    return LoadScratch(FRowFont, f);
}

TFont* TssCustomGrid::CellFont(int ACol, int ARow) {
    const TFont* f = EffectiveCellFont(ACol, ARow);
    if (Designing()) return const_cast<TFont*>(f);
    FCellFontCell = {ACol, ARow};
    return LoadScratch(FCellFont, f);
}

TPen* TssCustomGrid::ColLine(int ACol) {
    const TPen* p = EffectiveColLine(ACol);
    if (Designing()) return const_cast<TPen*>(p);
    FColLineIndex = ACol;
    return LoadScratch(FColLine, p);
}

TPen* TssCustomGrid::RowLine(int ARow) {
    const TPen* p = EffectiveRowLine(ARow);
    if (Designing()) return const_cast<TPen*>(p);
    FRowLineIndex = ARow;
    return LoadScratch(FRowLine, p);
}

void TssCustomGrid::SetColFont(int ACol, const TFont* Value) {
    if (ACol < 0 || ACol >= ColCount()) return;
    FColInfo->SetCol(ACol);
    FColInfo->SetFont(Value && SameFont(*Value, *Font()) ? nullptr : Value);
    Invalidate();
}

void TssCustomGrid::SetRowFont(int ARow, const TFont* Value) {
    if (ARow < 0 || ARow >= RowCount()) return;
    FRowInfo->SetRow(ARow);
    FRowInfo->SetFont(Value && SameFont(*Value, *Font()) ? nullptr : Value);
    Invalidate();
}

void TssCustomGrid::SetCellFont(int ACol, int ARow, const TFont* Value) {
    const TFont* inherited = InheritedCellFont(ACol, ARow);
    bool same = Value && SameFont(*Value, *inherited);
    FCellInfo->SetCol(ACol);
    FCellInfo->SetRow(ARow);
    FCellInfo->SetFont(same ? nullptr : Value);
    Invalidate();
}

void TssCustomGrid::SetColLine(int ACol, const TPen* Value) {
    if (ACol < 0 || ACol >= ColCount()) return;
    FColInfo->SetCol(ACol);
    FColInfo->SetLine(Value && SamePen(*Value, *DefLine()) ? nullptr : Value);
    Invalidate();
}

void TssCustomGrid::SetRowLine(int ARow, const TPen* Value) {
    if (ARow < 0 || ARow >= RowCount()) return;
    FRowInfo->SetRow(ARow);
    FRowInfo->SetLine(Value && SamePen(*Value, *DefLine()) ? nullptr : Value);
    Invalidate();
}

bool TssCustomGrid::IsSetColFont(int iCol) const {
    FColInfo->SetCol(iCol);
    return FColInfo->Font() != nullptr;
}

bool TssCustomGrid::IsSetRowFont(int iRow) const {
    FRowInfo->SetRow(iRow);
    return FRowInfo->Font() != nullptr;
}

bool TssCustomGrid::IsSetCellFont(int iCol, int iRow) const {
    FCellInfo->SetCol(iCol);
    FCellInfo->SetRow(iRow);
    return FCellInfo->Font() != nullptr;
}

bool TssCustomGrid::IsSetCellLine(int iCol, int iRow) const {
    FCellInfo->SetCol(iCol);
    FCellInfo->SetRow(iRow);
    return FCellInfo->isLineSetting();
}

// A cell line with its unset sides filled with the cell's default pens: above, the line of the
// row before (row 0 for the first row); below, the row's own; left and right likewise.
TssCellLine* TssCustomGrid::PrepareCellLine(int ACol, int ARow, bool Outer) {
    const TPen* upper = EffectiveRowLine(ARow > 0 ? ARow - 1 : 0);
    const TPen* bottom = EffectiveRowLine(ARow);
    const TPen* left = EffectiveColLine(ACol > 0 ? ACol - 1 : 0);
    const TPen* right = EffectiveColLine(ACol);
    FCellInfo->SetCol(ACol);
    FCellInfo->SetRow(ARow);
    TssCellLine* line = Outer ? FCellInfo->CellOuterLine() : FCellInfo->CellInnerLine();
    bool own = line != nullptr;
    if (!own) {
        line = Outer ? FCellInfo->OuterLineScratch() : FCellInfo->InnerLineScratch();
        if (!line) {
            // A cell outside the grid: a line whose changes go nowhere.
            if (!FStrayLine) FStrayLine = std::make_unique<TssCellLine>(this);
            line = FStrayLine.get();
        }
    }
    line->OnChange = nullptr;
    if (!own || !line->UpperLine()) line->SetUpperLine(upper);
    if (!own || !line->BottomLine()) line->SetBottomLine(bottom);
    if (!own || !line->LeftLine()) line->SetLeftLine(left);
    if (!own || !line->RightLine()) line->SetRightLine(right);
    // Bound to this cell, not to whichever cell the store's cursor addresses when it changes.
    line->OnChange = [this, ACol, ARow, Outer](TObject* Sender) {
        auto* changed = static_cast<TssCellLine*>(Sender);
        if (Outer) SetCellOuterLine(ACol, ARow, changed);
        else SetCellInnerLine(ACol, ARow, changed);
    };
    return line;
}

TssCellLine* TssCustomGrid::CellOuterLine(int ACol, int ARow) {
    if (Designing()) {
        FCellInfo->SetCol(ACol);
        FCellInfo->SetRow(ARow);
        return FCellInfo->CellOuterLine();
    }
    return PrepareCellLine(ACol, ARow, true);
}

TssCellLine* TssCustomGrid::CellInnerLine(int ACol, int ARow) {
    if (Designing()) {
        FCellInfo->SetCol(ACol);
        FCellInfo->SetRow(ARow);
        return FCellInfo->CellInnerLine();
    }
    return PrepareCellLine(ACol, ARow, false);
}

void TssCustomGrid::SetCellLine(int ACol, int ARow, const TssCellLine* Value, bool Outer) {
    if (ACol < 0 || ARow < 0 || ACol >= ColCount() || ARow >= RowCount()) return;
    if (Value && Value->isLineSetting()) {
        FCellInfo->SetCol(ACol);
        FCellInfo->SetRow(ARow);
        if (Outer) {
            if (Value != FCellInfo->CellOuterLine()) FCellInfo->SetCellOuterLine(Value);
        } else if (Value != FCellInfo->CellInnerLine()) {
            FCellInfo->SetCellInnerLine(Value);
        }
        Invalidate();
    }
    RecalcCellLineSetting();
}

void TssCustomGrid::SetCellOuterLine(int ACol, int ARow, const TssCellLine* Value) {
    SetCellLine(ACol, ARow, Value, true);
}

void TssCustomGrid::SetCellInnerLine(int ACol, int ARow, const TssCellLine* Value) {
    SetCellLine(ACol, ARow, Value, false);
}

void TssCustomGrid::ChangeScale(int M, int D) {
    TCustomControl::ChangeScale(M, D);
    auto scale = [M, D](TFont* f) {
        if (f) f->SetSize(MulDiv(f->Size(), M, D));
    };
    FRowInfo->ForEachStored([&](int) { scale(FRowInfo->Font()); });
    FColInfo->ForEachStored([&](int) { scale(FColInfo->Font()); });
    FCellInfo->ForEachStored([&](int, int) { scale(FCellInfo->Font()); });
    Invalidate();
}

void TssCustomGrid::ForEachOwnFont(const std::function<void(int ACol, int ARow)>& Proc) const {
    FColInfo->ForEachStored([&](int c) { if (FColInfo->Font()) Proc(c, -1); });
    FRowInfo->ForEachStored([&](int r) { if (FRowInfo->Font()) Proc(-1, r); });
    FCellInfo->ForEachStored([&](int c, int r) { if (FCellInfo->Font()) Proc(c, r); });
}

// ---- TssDrawGrid ----

// The counts come before the fixed counts, which must stay below them.
SS_PUBLISH(TssDrawGrid) {
    using G = TssCustomGrid;
    p.Property<TColor, TColor>(L"Color", &TControl::Color, &TControl::SetColor).Default(clWindow);
    p.Property<bool, bool>(L"TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop).Default(true);
    p.Property<TBorderStyle, TBorderStyle>(L"BorderStyle", &G::BorderStyle, &G::SetBorderStyle)
        .Default(TBorderStyle::bsSingle);
    p.Property<int, int>(L"ColCount", &G::ColCount, &G::SetColCount).Default(5);
    p.Property<int, int>(L"RowCount", &G::RowCount, &G::SetRowCount).Default(5);
    p.Property<int, int>(L"DefaultColWidth", &G::DefaultColWidth, &G::SetDefaultColWidth).Default(64);
    p.Property<int, int>(L"DefaultRowHeight", &G::DefaultRowHeight, &G::SetDefaultRowHeight).Default(24);
    p.Property<bool, bool>(L"DefaultDrawing", &G::DefaultDrawing, &G::SetDefaultDrawing).Default(true);
    p.Property<TColor, TColor>(L"FixedColor", &G::FixedColor, &G::SetFixedColor).Default(clBtnFace);
    p.Property<int, int>(L"FixedCols", &G::FixedCols, &G::SetFixedCols).Default(1);
    p.Property<int, int>(L"FixedRows", &G::FixedRows, &G::SetFixedRows).Default(1);
    p.Property<int, int>(L"GridLineWidth", &G::GridLineWidth, &G::SetGridLineWidth).Default(1);
    p.Property<TGridOptions, TGridOptions>(L"Options", &G::Options, &G::SetOptions).Default(DefaultGridOptions);
    p.Property<TScrollStyle, TScrollStyle>(L"ScrollBars", &G::ScrollBars, &G::SetScrollBars)
        .Default(TScrollStyle::ssBoth);
}

void TssDrawGrid::DrawCell(int ACol, int ARow, const RECT& ARect, TGridDrawState AState) {
    if (OnDrawCell) OnDrawCell(this, ACol, ARow, ARect, AState);
}

bool TssDrawGrid::SelectCell(int ACol, int ARow) {
    bool result = TssCustomGrid::SelectCell(ACol, ARow);
    if (OnSelectCell && !FSuppressSelectEvent) OnSelectCell(this, ACol, ARow, result);
    return result;
}

String TssDrawGrid::GetEditMask(int ACol, int ARow) {
    String result;
    if (OnGetEditMask) OnGetEditMask(this, ACol, ARow, result);
    return result;
}

String TssDrawGrid::GetEditText(int ACol, int ARow) {
    String result;
    if (OnGetEditText) OnGetEditText(this, ACol, ARow, result);
    return result;
}

void TssDrawGrid::SetEditText(int ACol, int ARow, const String& Value) {
    if (OnSetEditText) OnSetEditText(this, ACol, ARow, Value);
}

void TssDrawGrid::ColumnMoved(int FromIndex, int ToIndex) {
    TssCustomGrid::ColumnMoved(FromIndex, ToIndex);
    if (OnColumnMoved) OnColumnMoved(this, FromIndex, ToIndex);
}

void TssDrawGrid::RowMoved(int FromIndex, int ToIndex) {
    TssCustomGrid::RowMoved(FromIndex, ToIndex);
    if (OnRowMoved) OnRowMoved(this, FromIndex, ToIndex);
}

void TssDrawGrid::TopLeftChanged() {
    TssCustomGrid::TopLeftChanged();
    if (OnTopLeftChanged) OnTopLeftChanged(this);
}
