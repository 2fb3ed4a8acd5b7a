// Painting of the in-house grid: grid lines with the row and column pens, the cells in their
// effective colours and fonts, raised edges of fixed cells, focus rectangles and the cells' own
// outer and inner lines.
//
// A paint makes no GDI object per cell: the canvas takes the effective font and pens by Assign
// (which shares the GDI object the source already holds), the canvas's brush, pen and font are
// only changed when they differ from what the canvas holds, and the pens and brushes the canvas
// took are kept made between paints (TPaintObjects of the grid).
#include <algorithm>
#include <cstdlib>
#include <memory>

#include "ssGrids.h"

namespace {

// One of the four parts of the grid: which cells it starts with and where it lies.
struct TPaintArea {
    int Col = 0, Row = 0;     // first column and row
    RECT Bounds{};            // client pixels of the area
    int CellLeft = 0;         // where the first column's cells start (the single column's offset)
    bool FixedCols = false;   // the area shows the fixed columns of a grid that has some
    bool FixedRows = false;   // the area shows the fixed rows of a grid that has some
    TGridDrawState State;     // the state every cell of the area has
};

bool SamePen(const TPen& a, const TPen& b) {
    return a.Color() == b.Color() && a.Width() == b.Width() && a.Style() == b.Style() && a.Ends() == b.Ends() &&
           a.Mode() == b.Mode();
}

}  // namespace

// Past a limit the kept objects start over, so a program that paints in ever new colours holds
// a bounded number.
constexpr std::size_t MaxKeptPaintObjects = 256;

void TssCustomGrid::TPaintObjects::Keep(const TPen& pen) {
    if (Pens.size() + Brushes.size() >= MaxKeptPaintObjects) Clear();
    auto& kept = Pens[{pen.Color(), pen.Width(), int(pen.Style()), int(pen.Ends())}];
    if (!kept) {
        kept = std::make_unique<TPen>();
        kept->Assign(pen);  // shares the pen's GDI object
        kept->Handle();
    }
}

void TssCustomGrid::TPaintObjects::Keep(const TBrush& brush) {
    if (Pens.size() + Brushes.size() >= MaxKeptPaintObjects) Clear();
    auto& kept = Brushes[brush.Color()];
    if (!kept) {
        kept = std::make_unique<TBrush>();
        kept->SetColor(brush.Color());
        kept->Handle();  // the one the canvas holds
    }
}

class TssGridPainter {
public:
    explicit TssGridPainter(TssCustomGrid& grid)
        : G(grid), C(*grid.Canvas()), FKept(grid.FPaintObjects) {}
    void Paint();

private:
    bool Has(TGridOption o) const { return G.FOptions.Contains(o); }
    // The stored line pens and cell lines; null when not set (or outside the grid).
    const TPen* ColPen(int c) const;
    const TPen* RowPen(int r) const;
    const TssCellLine* OuterLine(int c, int r) const;
    const TssCellLine* InnerLine(int c, int r) const;
    static int PenWidth(const TPen* p, int none) { return p ? p->Width() : none; }

    // The canvas takes src with another width, flat-ended when wide; nothing changes when it
    // already draws so.
    void UsePen(const TPen& src, int width);
    void UseBrush(TColor color);
    void UseFont(const TFont& font, TColor color);
    void Line(int x0, int y0, int x1, int y1);

    void DrawLines(const TPaintArea& a, TColor onColor, TColor offColor);
    void DrawAxisLines(const TPaintArea& a, bool rows, TColor color, TColor offColor);
    void DrawCells(const TPaintArea& a);
    void DrawCell(const TPaintArea& a, int c, int r, const RECT& cell);
    // The pen the line after row or column i of the area is drawn with (null: the grid's line)
    // and the width it is drawn with.
    struct TLine {
        const TPen* Pen;
        int Width;
    };
    TLine LineAfter(const TPaintArea& a, bool rows, int i, int extent) const;
    RECT CorrectedRect(const TPaintArea& a, int c, int r, RECT rect) const;
    void DrawFixedEdge(int c, int r, const RECT& rect);
    void RaisedInnerEdge(const RECT& r, UINT sides);
    void DrawCellLines(int c, int r, const RECT& rect);
    void DrawInnerLine(const TssCellLine& inner, int c, int r, RECT rect);
    void DrawEditorLines(int c, int r, const RECT& rect);
    void FillStrips();

    TssCustomGrid& G;
    TCanvas& C;
    TGridMetrics M;
    int A = 0;    // width of the lines between columns
    int B = 0;    // width of the lines between rows
    int GLW = 0;  // the grid's line width
    UINT FEdge1 = 0, FEdge2 = 0;  // the raised edges of fixed cells: right/bottom, left/top
    TGridRect FSelection;
    RECT FClipBox{};          // the paint's clip bounds
    bool FClipIsRect = true;  // the clip region is that rectangle itself
    bool FActive = false;          // the grid is the form's active control
    bool FDesigning = false;
    bool FDefaultDrawing = false;
    TssCustomGrid::TPaintObjects& FKept;
    TPen FPen;  // what UsePen assembles before the canvas takes it in one step
};

const TPen* TssGridPainter::ColPen(int c) const {
    if (c < 0) return nullptr;
    G.ColInfo().SetCol(c);
    return G.ColInfo().Line();
}

const TPen* TssGridPainter::RowPen(int r) const {
    if (r < 0) return nullptr;
    G.RowInfo().SetRow(r);
    return G.RowInfo().Line();
}

const TssCellLine* TssGridPainter::OuterLine(int c, int r) const {
    if (c < 0 || r < 0) return nullptr;
    G.CellInfo().SetCol(c);
    G.CellInfo().SetRow(r);
    return G.CellInfo().CellOuterLine();
}

const TssCellLine* TssGridPainter::InnerLine(int c, int r) const {
    G.CellInfo().SetCol(c);
    G.CellInfo().SetRow(r);
    return G.CellInfo().CellInnerLine();
}

void TssGridPainter::UsePen(const TPen& src, int width) {
    FPen.Assign(src);
    FPen.SetWidth(width);
    FPen.SetEnds(TPenEnds::peFlat);
    if (SamePen(*C.Pen(), FPen)) return;
    C.Pen()->Assign(FPen);
    FKept.Keep(*C.Pen());
}

void TssGridPainter::UseBrush(TColor color) {
    TBrush* b = C.Brush();
    if (b->Style() != TBrushStyle::bsSolid) b->SetStyle(TBrushStyle::bsSolid);
    if (b->Color() == color) return;
    b->SetColor(color);
    FKept.Keep(*b);
}

void TssGridPainter::UseFont(const TFont& font, TColor color) {
    TFont* f = C.Font();
    font.Handle();  // the canvas's copy then shares this GDI font
    if (f->Handle() != font.Handle()) f->Assign(font);
    if (f->Color() != color) f->SetColor(color);
}

void TssGridPainter::Line(int x0, int y0, int x1, int y1) {
    C.MoveTo(x0, y0);
    C.LineTo(x1, y1);
}

void TssGridPainter::Paint() {
    M = G.CalcDrawInfo();
    A = M.Horz.LineWidth;
    B = M.Vert.LineWidth;
    GLW = G.FGridLineWidth;
    FSelection = G.Selection();
    // A plain rectangle is tested here; only a complex region asks the device context per cell.
    FClipIsRect = GetClipBox(C.Handle(), &FClipBox) != COMPLEXREGION;
    FActive = G.ActiveControlIsGrid();
    FDesigning = G.Designing();
    FDefaultDrawing = G.FDefaultDrawing;
    const TGridAxisMetrics &h = M.Horz, &v = M.Vert;
    const bool fixedCols = G.FixedCols() > 0, fixedRows = G.FixedRows() > 0;
    const int scrolledLeft = h.FixedEnd - G.FColOffset;
    const TGridDrawState fixed{TGridDrawStateItem::gdFixed};
    const TPaintArea corner{0, 0, {0, 0, h.FixedEnd, v.FixedEnd}, 0, fixedCols, fixedRows, fixed};
    const TPaintArea colHeader{G.LeftCol(), 0, {h.FixedEnd, 0, h.GridEnd, v.FixedEnd}, scrolledLeft, false,
                               fixedRows, fixed};
    const TPaintArea rowHeader{0, G.TopRow(), {0, v.FixedEnd, h.FixedEnd, v.GridEnd}, 0, fixedCols, false, fixed};
    const TPaintArea data{G.LeftCol(), G.TopRow(), {h.FixedEnd, v.FixedEnd, h.GridEnd, v.GridEnd}, scrolledLeft,
                          false, false, {}};

    if (A > 0 || B > 0 || Has(TGridOption::goVertLine) || Has(TGridOption::goHorzLine)) {
        // Grey lines on a silver grid, which would hide silver ones.
        TColor lineColor = ColorToRGB(G.Color()) == ColorToRGB(clSilver) ? clGray : clSilver;
        if (A > 0 || B > 0) {
            for (const TPaintArea* a : {&corner, &colHeader, &rowHeader}) DrawLines(*a, clBlack, G.FFixedColor);
        }
        DrawLines(data, lineColor, G.Color());
    }

    FEdge1 = FEdge2 = 0;
    if (Has(TGridOption::goFixedVertLine)) {
        FEdge1 |= BF_RIGHT;
        FEdge2 |= BF_LEFT;
    }
    if (Has(TGridOption::goFixedHorzLine)) {
        FEdge1 |= BF_BOTTOM;
        FEdge2 |= BF_TOP;
    }
    for (const TPaintArea* a : {&corner, &colHeader, &rowHeader, &data}) DrawCells(*a);

    if (G.RowSelect() && FDefaultDrawing && G.Focused() && !FDesigning) {
        const TGridRect& s = FSelection;
        C.DrawFocusRect(G.BoxRect(s.Left, s.Top, s.Right, s.Bottom));
    }
    FillStrips();
}

// The lines of one area; the lines whose area flag is off come first so that the others cross
// them.
void TssGridPainter::DrawLines(const TPaintArea& a, TColor onColor, TColor offColor) {
    if (a.Bounds.left >= a.Bounds.right || a.Bounds.top >= a.Bounds.bottom) return;
    const bool fixed = a.State.Contains(TGridDrawStateItem::gdFixed);
    const bool horzOn = Has(fixed ? TGridOption::goFixedHorzLine : TGridOption::goHorzLine);
    const bool vertOn = Has(fixed ? TGridOption::goFixedVertLine : TGridOption::goVertLine);
    if (!horzOn) DrawAxisLines(a, true, offColor, offColor);
    DrawAxisLines(a, false, vertOn ? onColor : offColor, offColor);
    if (horzOn) DrawAxisLines(a, true, onColor, offColor);
}

// The lines after each row (rows) or each column of the area. A row or column with a pen of its
// own draws its line with that pen, centred on where a line of the axis's width would lie.
// Without goHorzLine (goVertLine) no line shows, in the fixed areas neither; the gaps between
// the cells still get the area's background, as nothing else paints them.
void TssGridPainter::DrawAxisLines(const TPaintArea& a, bool rows, TColor color, TColor offColor) {
    const TGridAxis& axis = rows ? G.FVert : G.FHorz;
    const TGridAxisMetrics& m = rows ? M.Vert : M.Horz;
    const int L = m.LineWidth;
    const int end = rows ? a.Bounds.bottom : a.Bounds.right;
    const int from = rows ? a.Bounds.left : a.Bounds.top, to = rows ? a.Bounds.right : a.Bounds.bottom;
    if (!Has(rows ? TGridOption::goHorzLine : TGridOption::goVertLine)) color = offColor;
    TPen def;
    def.SetColor(color);
    def.SetWidth(GLW);
    def.SetEnds(TPenEnds::peFlat);
    UsePen(def, GLW);
    UseBrush(color);
    int cellStart = rows ? a.Bounds.top : a.CellLeft;
    for (int i = rows ? a.Row : a.Col; i <= m.LastFullCell; ++i) {
        const int extent = axis.Extent(i);
        int pos = cellStart + L / 2 + extent;
        if (pos >= end + L) break;
        const TLine line = LineAfter(a, rows, i, extent);
        if (line.Pen) {
            const int p = line.Pen->Width();
            if (extent >= p) {
                if (p < L) pos += (L - p) / 2 + (p > 1 && (L - p) % 2 ? 1 : 0);
                else if (p > L) pos -= (p - L) / 2 + (p > 2 && (p - L) % 2 ? 1 : 0);
            }
            UsePen(*line.Pen, line.Width);
        }
        if (line.Width != 0 && extent != 0) {
            if (rows) Line(from, pos, to, pos);
            else Line(pos, from, pos, to);
        }
        if (line.Pen) UsePen(def, GLW);
        if (extent != 0) cellStart += extent + L;
    }
}

void TssGridPainter::DrawCells(const TPaintArea& a) {
    const int stopX = a.Bounds.right, stopY = a.Bounds.bottom;
    int y = a.Bounds.top;
    for (int r = a.Row; y < stopY && r < G.RowCount(); ++r) {
        const int height = G.RowHeights(r);
        int x = a.CellLeft;
        for (int c = a.Col; x < stopX && c < G.ColCount(); ++c) {
            const int width = G.ColWidths(c);
            DrawCell(a, c, r, RECT{x, y, x + width, y + height});
            if (width != 0) x += width + A;
        }
        if (height != 0) y += height + B;
    }
}

TssGridPainter::TLine TssGridPainter::LineAfter(const TPaintArea& a, bool rows, int i, int extent) const {
    // Pens of the lines inside the fixed columns (rows) only count with the fixed lines on.
    const bool ownPens = Has(rows ? TGridOption::goHorzLine : TGridOption::goVertLine) &&
                         (!(rows ? a.FixedCols : a.FixedRows) ||
                          Has(rows ? TGridOption::goFixedHorzLine : TGridOption::goFixedVertLine));
    const TPen* pen = ownPens ? (rows ? RowPen(i) : ColPen(i)) : nullptr;
    // A pen wider than its row or column draws a line of the grid's width.
    return {pen, pen && extent >= pen->Width() ? pen->Width() : GLW};
}

// The cell's rectangle lengthened or shortened so that its fill meets the line after it as that
// line is drawn: a pen wider than the grid's line takes pixels from the cell, a thinner one (or
// one of width 0) leaves them to it.
RECT TssGridPainter::CorrectedRect(const TPaintArea& a, int c, int r, RECT rect) const {
    if (const int height = rect.bottom - rect.top; height != 0) {
        const TLine line = LineAfter(a, true, r, height);
        if (line.Pen) rect.bottom += B - line.Width;
    }
    if (const int width = rect.right - rect.left; width != 0) {
        const TLine line = LineAfter(a, false, c, width);
        if (line.Pen) rect.right += A - line.Width;
    }
    return rect;
}

void TssGridPainter::DrawCell(const TPaintArea& a, int c, int r, const RECT& cell) {
    const RECT rect = CorrectedRect(a, c, r, cell);
    RECT visible;
    if (!IntersectRect(&visible, &rect, &FClipBox) || (!FClipIsRect && !C.RectVisible(rect))) return;
    TGridDrawState state = a.State;
    const bool focused = FActive && c == G.Col() && r == G.Row();
    if (focused) state.Include(TGridDrawStateItem::gdFocused);
    const TGridRect& s = FSelection;
    const bool selected = c >= s.Left && c <= s.Right && r >= s.Top && r <= s.Bottom;
    if (selected) state.Include(TGridDrawStateItem::gdSelected);
    const bool designing = FDesigning, defaultDrawing = FDefaultDrawing;

    if (focused && Has(TGridOption::goEditing) && G.FEditorMode && !designing) {
        // The editor covers the cell.
        if (defaultDrawing) DrawEditorLines(c, r, cell);
        return;
    }
    if (defaultDrawing || designing) {
        const TFont& font = *G.EffectiveCellFont(c, r);
        if (selected && Has(TGridOption::goCanReverse) &&
            (!focused || Has(TGridOption::goDrawFocusSelected) || G.RowSelect())) {
            UseFont(font, clHighlightText);
            UseBrush(clHighlight);
        } else {
            UseFont(font, font.Color());
            UseBrush(G.CellColor(c, r));
        }
        // A cell whose drawing fills the rectangle anyway is not filled twice.
        if (!G.DrawCellFillsRect(c, r)) C.FillRect(rect);
    }
    G.DrawCell(c, r, rect, state);
    if (defaultDrawing && state.Contains(TGridDrawStateItem::gdFixed) && G.Ctl3D() && (FEdge1 | FEdge2) != 0)
        DrawFixedEdge(c, r, rect);
    if (defaultDrawing && !designing && focused &&
        !(Has(TGridOption::goEditing) && Has(TGridOption::goAlwaysShowEditor)) && !G.RowSelect())
        C.DrawFocusRect(rect);
    // Without a cell line anywhere there is nothing to look up.
    if ((defaultDrawing || designing) && G.FisCellLineSetting) DrawCellLines(c, r, cell);
}

// The raised edge of a fixed cell; a side next to a line pen of width 0 (a line switched off)
// has none.
void TssGridPainter::DrawFixedEdge(int c, int r, const RECT& rect) {
    RECT edge = rect;
    if ((FEdge1 & BF_RIGHT) && !(FEdge1 & BF_BOTTOM)) edge.bottom += B;
    else if (!(FEdge1 & BF_RIGHT)) edge.right += A;
    UINT dropped = 0;
    auto offPen = [](const TPen* p) { return p && p->Width() == 0; };
    if (offPen(ColPen(c))) dropped |= BF_RIGHT;
    if (offPen(RowPen(r))) dropped |= BF_BOTTOM;
    int left = c - 1;
    while (left >= 0 && G.ColWidths(left) == 0) --left;
    if (offPen(ColPen(left))) dropped |= BF_LEFT;
    int above = r - 1;
    while (above >= 0 && G.RowHeights(above) == 0) --above;
    if (offPen(RowPen(above))) dropped |= BF_TOP;
    RaisedInnerEdge(edge, FEdge1 & ~dropped);
    RaisedInnerEdge(edge, FEdge2 & ~dropped);
}

// The pixels DrawEdge draws for BDR_RAISEDINNER, as bars of the system colours: the highlight
// along the whole left and top sides, then the shadow along the right and bottom ones. A bar is
// one GDI call where DrawEdge makes a dozen, and a screen has a fixed cell per row. A raster
// operation other than copying, or a rectangle turned inside out, is left to DrawEdge.
void TssGridPainter::RaisedInnerEdge(const RECT& r, UINT sides) {
    const HDC dc = C.Handle();
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w < 0 || h < 0 || GetROP2(dc) != R2_COPYPEN) return C.DrawEdge(r, BDR_RAISEDINNER, sides);
    HGDIOBJ old = nullptr;
    auto use = [&](int color) {
        HGDIOBJ was = SelectObject(dc, GetSysColorBrush(color));
        if (!old) old = was;
    };
    if (sides & (BF_LEFT | BF_TOP)) use(COLOR_BTNHIGHLIGHT);
    if (sides & BF_LEFT) PatBlt(dc, r.left, r.top, 1, h, PATCOPY);
    if (sides & BF_TOP) PatBlt(dc, r.left, r.top, w, 1, PATCOPY);
    if (sides & (BF_RIGHT | BF_BOTTOM)) use(COLOR_BTNSHADOW);
    if (sides & BF_RIGHT) PatBlt(dc, r.right - 1, r.top, 1, h, PATCOPY);
    if (sides & BF_BOTTOM) PatBlt(dc, r.left, r.bottom - 1, w, 1, PATCOPY);
    if (old) SelectObject(dc, old);
}

// The outer lines on the cell's border (a neighbour's side touching the cell counts as the
// cell's), then its inner line. Each border side takes the width of the grid line it lies on.
void TssGridPainter::DrawCellLines(int c, int r, const RECT& rect) {
    const TssCellLine* own = OuterLine(c, r);
    const TssCellLine* leftCell = OuterLine(c - 1, r);
    const TssCellLine* upperCell = OuterLine(c, r - 1);
    const TssCellLine* rightCell =
        c >= G.FixedCols() && c + 1 < G.ColCount() ? OuterLine(c + 1, r) : nullptr;
    const TssCellLine* lowerCell =
        r >= G.FixedRows() && r + 1 < G.RowCount() ? OuterLine(c, r + 1) : nullptr;
    const TssCellLine* inner = InnerLine(c, r);
    const TPen* left = leftCell && leftCell->RightLine() ? leftCell->RightLine() : own ? own->LeftLine() : nullptr;
    const TPen* upper = upperCell && upperCell->BottomLine() ? upperCell->BottomLine()
                        : own                                ? own->UpperLine()
                                                             : nullptr;
    const TPen* ownRight = own ? own->RightLine() : nullptr;
    const TPen* right = ownRight ? ownRight : rightCell ? rightCell->LeftLine() : nullptr;
    const TPen* ownBottom = own ? own->BottomLine() : nullptr;
    const TPen* bottom = ownBottom ? ownBottom : lowerCell ? lowerCell->UpperLine() : nullptr;
    if (!left && !upper && !right && !bottom && !inner) return;

    const bool horz = Has(TGridOption::goHorzLine), vert = Has(TGridOption::goVertLine);
    const int wt = PenWidth(RowPen(r - 1), horz ? A : 1), wb = PenWidth(RowPen(r), horz ? A : 1);
    const int wl = PenWidth(ColPen(c - 1), vert ? B : 1), wr = PenWidth(ColPen(c), vert ? B : 1);
    const int L = rect.left, T = rect.top, R = rect.right, Bm = rect.bottom;
    TPen saved;
    saved.Assign(*C.Pen());

    if (left) {
        int n = wl == 1 ? 1 : wl - 1;
        if (c > 0 && !vert) n = 1;
        UsePen(*left, wl);
        Line(L - n, T, L - n, Bm);
    }
    if (upper) {
        const int g = vert ? wl - wt + 1 : 0;
        const int d = !horz ? 0 : wt - 1 == 0 ? 1 : wt - 1;
        int e;
        if (r > 0) {
            e = !vert ? 1 : A == 1 ? 0 : A - wt;
            if (vert && wr < wt) e = wt - wr - 1;
        } else {
            e = vert && A != 1 ? A - wt : 0;
            if (wr < wt) e = wt - wr - 1;
        }
        UsePen(*upper, wt);
        Line(L - g, T - d, R + e, T - d);
    }
    if (right) {
        int u;
        if (!vert) u = ownRight ? -1 : 1;
        else {
            u = B - wr + 1;
            if (B == 1) u = std::min(u, 0);
            else if (u > 0 && B != wr) u = 1;
        }
        const int s = wb >= wr ? 0 : wr - wb - (wr > 1 ? 1 : 0);
        UsePen(*right, wr);
        Line(R + u, T, R + u, Bm - s);
    }
    if (bottom) {
        int d;
        if (!horz) d = -1;
        else if (A == 1) d = std::max(wb - 2, 0);
        else d = wb == 1 ? wb - A : wb - A - 1;
        int f;
        if (!vert) f = ownBottom ? 0 : -1;
        else if (A == 1) f = std::max(wb - wr, -1);
        else f = wr < wb ? wr - wb + 1 : A - wb - 1;
        UsePen(*bottom, wb);
        Line(L + wb - wl - 1, Bm - d, R - f, Bm - d);
    }
    if (inner) DrawInnerLine(*inner, c, r, rect);
    UsePen(saved, saved.Width());
}

// The inner line, drawn inside the cell's fill, each side with its own pen.
void TssGridPainter::DrawInnerLine(const TssCellLine& inner, int c, int r, RECT rect) {
    const bool horz = Has(TGridOption::goHorzLine), vert = Has(TGridOption::goVertLine);
    const TPen* rowPen = RowPen(r);
    const TPen* colPen = ColPen(c);
    const int dv = horz && rowPen ? std::abs(rowPen->Width() - A) : 0;
    const int dh = colPen ? colPen->Width() - B + 1 : 0;
    if (const TPen* p = inner.LeftLine(); p && p->Width() != 1) rect.left += p->Width() - 1;
    if (const TPen* p = inner.UpperLine()) {
        const int w = p->Width();
        if (!horz) rect.top += w;
        else if (w != 1) rect.top += w - 1;
    }
    if (const TPen* p = inner.RightLine()) {
        const int w = p->Width();
        rect.right -= dh + 1;
        if (w != 1) rect.right -= vert ? w - 1 : 2;
    }
    if (const TPen* p = inner.BottomLine()) {
        const int w = p->Width();
        rect.bottom -= dv + (w == 1 ? 1 : w - 1);
    }
    const auto [L, T, R, Bm] = rect;
    if (const TPen* p = inner.LeftLine()) {
        UsePen(*p, p->Width());
        Line(L, T, L, Bm);
    }
    if (const TPen* p = inner.UpperLine()) {
        UsePen(*p, p->Width());
        Line(L, T, R, T);
    }
    if (const TPen* p = inner.RightLine()) {
        UsePen(*p, p->Width());
        Line(R, T, R, Bm + 1);
    }
    if (const TPen* p = inner.BottomLine()) {
        UsePen(*p, p->Width());
        Line(L, Bm, R, Bm);
    }
}

// The outer lines on the right and bottom of the cell under an open editor, which the editor
// does not cover.
void TssGridPainter::DrawEditorLines(int c, int r, const RECT& rect) {
    const TssCellLine* own = OuterLine(c, r);
    const TssCellLine* rightCell = c + 1 < G.ColCount() ? OuterLine(c + 1, r) : nullptr;
    const TssCellLine* lowerCell = r + 1 < G.RowCount() ? OuterLine(c, r + 1) : nullptr;
    const TPen* ownRight = own ? own->RightLine() : nullptr;
    const TPen* right = ownRight ? ownRight : rightCell ? rightCell->LeftLine() : nullptr;
    const TPen* ownBottom = own ? own->BottomLine() : nullptr;
    const TPen* bottom = ownBottom ? ownBottom : lowerCell ? lowerCell->UpperLine() : nullptr;
    if (!right && !bottom) return;

    const bool horz = Has(TGridOption::goHorzLine), vert = Has(TGridOption::goVertLine);
    const int wb = PenWidth(RowPen(r), A), wl = PenWidth(ColPen(c - 1), B), wr = PenWidth(ColPen(c), B);
    TPen saved;
    saved.Assign(*C.Pen());
    if (right) {
        int u = B - wr + 1;
        if (B == 1) u = std::min(u, 0);
        else if (u > 0 && B != wr) u = 1;
        if (!ownRight && !vert) u = -1;
        const int s = wb >= wr ? 0 : wr - wb - (wr > 1 ? 1 : 0);
        UsePen(*right, wr);
        Line(rect.right + u, rect.top, rect.right + u, rect.bottom - s);
    }
    if (bottom) {
        int d;
        if (!horz) d = ownBottom ? -1 : 0;
        else if (A == 1) d = std::max(wb - 2, 0);
        else d = wb == 1 ? wb - A : wb - A - 1;
        const int f = A == 1 ? std::max(wb - wr, -1) : wr < wb ? wr - wb + 1 : A - wb - 1;
        UsePen(*bottom, wb);
        Line(rect.left + wb - wl - 1, rect.bottom - d, rect.right - f, rect.bottom - d);
    }
    UsePen(saved, saved.Width());
}

// The client area right of and below the last cells.
void TssGridPainter::FillStrips() {
    const TGridAxisMetrics &h = M.Horz, &v = M.Vert;
    if (h.GridEnd >= h.ClientExtent && v.GridEnd >= v.ClientExtent) return;
    UseBrush(G.Color());
    if (h.GridEnd < h.ClientExtent) C.FillRect(RECT{h.GridEnd, 0, h.ClientExtent, v.GridEnd});
    if (v.GridEnd < v.ClientExtent) C.FillRect(RECT{0, v.GridEnd, h.ClientExtent, v.ClientExtent});
}

void TssCustomGrid::Paint() { TssGridPainter(*this).Paint(); }
