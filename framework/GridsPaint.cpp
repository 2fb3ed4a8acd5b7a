// The grid base's painting: cell backgrounds, DrawCell for every visible cell, the fixed cells'
// 3D frames, the lines and the focus rectangle.
#include <vector>

#include "Grids.h"

namespace {

// One visible column or row: its index and pixel span without its line.
struct TSpan {
    int Index;
    int Start, End;
};

// The columns (rows) of an axis that show inside [ClipLo, ClipHi), fixed ones first. Only the
// entries on screen are visited, so the cost follows the client size, not the count.
void VisibleSpans(const TGridAxis& Axis, int First, int FixedEnd, int Client, int ClipLo, int ClipHi,
                  std::vector<TSpan>& Out) {
    Out.clear();
    int line = Axis.LineWidth();
    auto visit = [&](int Index, long long& Pos, long long Limit) {
        int e = Axis.Extent(Index);
        if (Axis.IsHidden(Index)) return;
        long long end = Pos + e;
        if (end + line > ClipLo && Pos < ClipHi && Pos < Limit) Out.push_back({Index, int(Pos), int(end)});
        Pos = end + line;
    };
    long long pos = 0;
    for (int i = 0; i < Axis.FixedCount() && pos < Client; ++i) visit(i, pos, Client);
    pos = FixedEnd;
    for (int i = First; i < Axis.Count() && pos < Client && pos < ClipHi; ++i) visit(i, pos, Client);
}

}  // namespace

void TCustomGrid::Paint() {
    using enum TGridOption;
    TCanvas* canvas = Canvas();
    HDC dc = canvas->Handle();
    RECT clip;
    if (GetClipBox(dc, &clip) == NULLREGION) return;
    TDrawInfo info = CalcDrawInfo();
    std::vector<TSpan> cols, rows;
    VisibleSpans(FHorz, info.Horz.First, info.Horz.FixedEnd, info.Horz.ClientExtent, clip.left, clip.right, cols);
    VisibleSpans(FVert, info.Vert.First, info.Vert.FixedEnd, info.Vert.ClientExtent, clip.top, clip.bottom, rows);

    // Brushes of every colour the paint switches between stay made for its length: the canvas
    // would otherwise make and free a GDI brush at each switch.
    TColor lineColor = ColorToRGB(FColor) == ColorToRGB(clSilver) ? clGray : clSilver;
    TBrush keep[4];
    const TColor kept[4] = {FColor, FFixedColor, clHighlight, lineColor};
    for (int i = 0; i < 4; ++i) {
        keep[i].SetColor(kept[i]);
        keep[i].Handle();
    }
    canvas->Font()->Assign(*Font());
    TColor textColor = Font()->Color();
    TGridRect sel = Selection();
    bool focused = Focused();
    bool rowSelect = FOptions.Contains(goRowSelect);
    bool frameFixed = FDefaultDrawing && FCtl3D && FOptions.Contains(goFixedVertLine) &&
                      FOptions.Contains(goFixedHorzLine);

    for (const TSpan& r : rows)
        for (const TSpan& c : cols) {
            RECT where{c.Start, r.Start, c.End, r.End};
            bool fixed = c.Index < FixedCols() || r.Index < FixedRows();
            TGridDrawState state;
            if (fixed) {
                state = {TGridDrawStateItem::gdFixed};
            } else {
                if (focused && c.Index == FCurrent.X && r.Index == FCurrent.Y) state = {TGridDrawStateItem::gdFocused};
                if (c.Index >= sel.Left && c.Index <= sel.Right && r.Index >= sel.Top && r.Index <= sel.Bottom)
                    state = state + TGridDrawState{TGridDrawStateItem::gdSelected};
            }
            if (FDefaultDrawing) {
                bool highlight = state.Contains(TGridDrawStateItem::gdSelected) &&
                                 (!state.Contains(TGridDrawStateItem::gdFocused) || rowSelect ||
                                  FOptions.Contains(goDrawFocusSelected));
                canvas->Brush()->SetColor(fixed ? FFixedColor : highlight ? clHighlight : FColor);
                canvas->Font()->SetColor(highlight ? clHighlightText : textColor);
                canvas->FillRect(where);
            }
            DrawCell(c.Index, r.Index, where, state);
            if (fixed && frameFixed) {
                canvas->DrawEdge(where, BDR_RAISEDINNER, BF_BOTTOMRIGHT);
                canvas->DrawEdge(where, BDR_RAISEDINNER, BF_TOPLEFT);
            }
        }
    PaintLines(info, clip);

    // The background beyond the last column and row.
    canvas->Brush()->SetColor(FColor);
    if (info.Horz.GridEnd < clip.right) canvas->FillRect(RECT{info.Horz.GridEnd, clip.top, clip.right, clip.bottom});
    if (info.Vert.GridEnd < clip.bottom)
        canvas->FillRect(RECT{clip.left, info.Vert.GridEnd, std::min<LONG>(clip.right, info.Horz.GridEnd), clip.bottom});

    bool editorOwnsFocus = FOptions.Contains(goEditing) && FOptions.Contains(goAlwaysShowEditor);
    if (FDefaultDrawing && focused && !editorOwnsFocus) {
        RECT f = rowSelect ? BoxRect(FixedCols(), FCurrent.Y, ColCount() - 1, FCurrent.Y) : CellRect(FCurrent.X, FCurrent.Y);
        if (f.right > f.left) {
            canvas->Font()->SetColor(textColor);
            canvas->Brush()->SetColor(FColor);
            canvas->DrawFocusRect(f);
        }
    }
    FSizingLineShown = FMoveLineShown = false;
}

void TCustomGrid::PaintLines(const TDrawInfo& Info, const RECT& Clip) {
    using enum TGridOption;
    TCanvas* canvas = Canvas();
    TColor lineColor = ColorToRGB(FColor) == ColorToRGB(clSilver) ? clGray : clSilver;
    int xEnd = Info.Horz.GridEnd, yEnd = Info.Vert.GridEnd;
    int xFixed = std::min(Info.Horz.FixedEnd, xEnd), yFixed = std::min(Info.Vert.FixedEnd, yEnd);
    auto strip = [&](TColor color, RECT r) {
        if (r.right <= r.left || r.bottom <= r.top) return;
        canvas->Brush()->SetColor(color);
        canvas->FillRect(r);
    };
    // Each axis: the line after every visible entry, across the fixed band in black where the
    // fixed-line option asks, across the scrollable band in the line colour where the other does.
    auto lines = [&](const TGridAxis& a, const TAxisInfo& i, bool vertical, TGridOption fixedOpt,
                     TGridOption normalOpt) {
        int lw = i.LineWidth;
        if (lw <= 0) return;
        std::vector<TSpan> spans;
        VisibleSpans(a, i.First, i.FixedEnd, i.ClientExtent, vertical ? Clip.left : Clip.top,
                     vertical ? Clip.right : Clip.bottom, spans);
        int otherFixed = vertical ? yFixed : xFixed, otherEnd = vertical ? yEnd : xEnd;
        for (const TSpan& s : spans) {
            bool fixedEntry = s.Index < a.FixedCount();
            int lo = s.End, hi = std::min(s.End + lw, i.GridEnd);
            auto band = [&](TColor color, int from, int to) {
                strip(color, vertical ? RECT{lo, from, hi, to} : RECT{from, lo, to, hi});
            };
            // Where an option draws no line, its room takes the cells' colour.
            TColor fixedColor = FOptions.Contains(fixedOpt) ? clBlack : FFixedColor;
            TColor normalColor = FOptions.Contains(normalOpt) ? lineColor : FColor;
            if (fixedEntry) {
                band(fixedColor, 0, otherEnd);
            } else {
                band(fixedColor, 0, otherFixed);
                band(normalColor, otherFixed, otherEnd);
            }
        }
    };
    lines(FHorz, Info.Horz, true, goFixedVertLine, goVertLine);
    lines(FVert, Info.Vert, false, goFixedHorzLine, goHorzLine);
}
