// The grid base's painting: cell backgrounds, DrawCell for every visible cell, the fixed cells'
// 3D frames, the lines and the focus rectangle.
#include <algorithm>
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

// The raised 3D frames of fixed cells (light top and left, shadow bottom and right), drawn at
// the end in two calls instead of two edge drawings per cell.
class TRaisedFrames {
public:
    void Add(const RECT& r) {
        if (r.right - r.left < 2 || r.bottom - r.top < 2) return;
        Segment(FShadow, {r.left, r.bottom - 1}, {r.right, r.bottom - 1});
        Segment(FShadow, {r.right - 1, r.top}, {r.right - 1, r.bottom - 1});
        Segment(FLight, {r.left, r.top}, {r.right - 1, r.top});
        Segment(FLight, {r.left, r.top}, {r.left, r.bottom - 1});
    }
    void Draw(TCanvas* Canvas) {
        if (FLight.empty()) return;
        TPen* pen = Canvas->Pen();
        pen->SetWidth(1);
        pen->SetMode(TPenMode::pmCopy);
        for (auto [color, points] : {std::pair{clBtnShadow, &FShadow}, std::pair{clBtnHighlight, &FLight}}) {
            pen->SetColor(color);
            std::vector<DWORD> counts(points->size() / 2, 2);
            PolyPolyline(Canvas->Handle(), points->data(), counts.data(), DWORD(counts.size()));
        }
    }

private:
    static void Segment(std::vector<POINT>& Points, POINT From, POINT To) {
        Points.push_back(From);
        Points.push_back(To);
    }
    std::vector<POINT> FLight, FShadow;
};

// Rectangles gathered by colour and filled a colour at a time, each colour as one region.
class TColorStrips {
public:
    void Add(TColor Color, const RECT& R) {
        if (R.right <= R.left || R.bottom <= R.top) return;
        auto it = std::find_if(FByColor.begin(), FByColor.end(), [&](const auto& e) { return e.first == Color; });
        if (it == FByColor.end()) it = FByColor.insert(FByColor.end(), {Color, {}});
        it->second.push_back(R);
    }
    void Fill(TCanvas* Canvas) {
        for (const auto& [color, rects] : FByColor) {
            HRGN region = RegionOfRects(rects);
            if (!region) continue;
            Canvas->Brush()->SetColor(color);
            FillRgn(Canvas->Handle(), region, Canvas->Brush()->Handle());
            DeleteObject(region);
        }
    }

private:
    std::vector<std::pair<TColor, std::vector<RECT>>> FByColor;
};

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

    TRaisedFrames frames;
    // Backgrounds go in blocks (the scrollable part, the selection, the fixed bands) rather than
    // cell by cell: on a window every drawing call is a trip to the display.
    if (FDefaultDrawing) FillBackgrounds(info, sel, focused);
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
                bool highlight = Highlighted(state);
                canvas->Brush()->SetColor(fixed ? FFixedColor : highlight ? clHighlight : FColor);
                canvas->Font()->SetColor(highlight ? clHighlightText : textColor);
            }
            DrawCell(c.Index, r.Index, where, state);
            if (fixed && frameFixed) frames.Add(where);
        }
    frames.Draw(canvas);
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

bool TCustomGrid::Highlighted(TGridDrawState State) const {
    return State.Contains(TGridDrawStateItem::gdSelected) &&
           (!State.Contains(TGridDrawStateItem::gdFocused) || FOptions.Contains(TGridOption::goRowSelect) ||
            FOptions.Contains(TGridOption::goDrawFocusSelected));
}

void TCustomGrid::FillBackgrounds(const TDrawInfo& Info, const TGridRect& Sel, bool Focused) {
    TCanvas* canvas = Canvas();
    int xFixed = std::min(Info.Horz.FixedEnd, Info.Horz.GridEnd), yFixed = std::min(Info.Vert.FixedEnd, Info.Vert.GridEnd);
    auto fill = [&](TColor color, const RECT& r) {
        if (r.right <= r.left || r.bottom <= r.top) return;
        canvas->Brush()->SetColor(color);
        canvas->FillRect(r);
    };
    fill(FColor, RECT{xFixed, yFixed, Info.Horz.GridEnd, Info.Vert.GridEnd});
    fill(clHighlight, BoxRect(Sel.Left, Sel.Top, Sel.Right, Sel.Bottom));
    TGridDrawState current{TGridDrawStateItem::gdSelected};
    if (Focused) current = current + TGridDrawState{TGridDrawStateItem::gdFocused};
    if (!Highlighted(current)) fill(FColor, CellRect(FCurrent.X, FCurrent.Y));
    fill(FFixedColor, RECT{0, 0, Info.Horz.GridEnd, yFixed});
    fill(FFixedColor, RECT{0, yFixed, xFixed, Info.Vert.GridEnd});
}

void TCustomGrid::PaintLines(const TDrawInfo& Info, const RECT& Clip) {
    using enum TGridOption;
    TCanvas* canvas = Canvas();
    TColor lineColor = ColorToRGB(FColor) == ColorToRGB(clSilver) ? clGray : clSilver;
    int xEnd = Info.Horz.GridEnd, yEnd = Info.Vert.GridEnd;
    int xFixed = std::min(Info.Horz.FixedEnd, xEnd), yFixed = std::min(Info.Vert.FixedEnd, yEnd);
    // Each axis: the line after every visible entry, across the fixed band in black where the
    // fixed-line option asks, across the scrollable band in the line colour where the other does.
    // An axis's strips never overlap one another, so they are filled a colour at a time: one call
    // per colour instead of one per strip (on a window every call is a trip to the display).
    auto lines = [&](const TGridAxis& a, const TAxisInfo& i, bool vertical, TGridOption fixedOpt,
                     TGridOption normalOpt) {
        int lw = i.LineWidth;
        if (lw <= 0) return;
        TColorStrips strips;
        std::vector<TSpan> spans;
        VisibleSpans(a, i.First, i.FixedEnd, i.ClientExtent, vertical ? Clip.left : Clip.top,
                     vertical ? Clip.right : Clip.bottom, spans);
        int otherFixed = vertical ? yFixed : xFixed, otherEnd = vertical ? yEnd : xEnd;
        for (const TSpan& s : spans) {
            bool fixedEntry = s.Index < a.FixedCount();
            int lo = s.End, hi = std::min(s.End + lw, i.GridEnd);
            auto band = [&](TColor color, int from, int to) {
                strips.Add(color, vertical ? RECT{lo, from, hi, to} : RECT{from, lo, to, hi});
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
        strips.Fill(canvas);
    };
    lines(FHorz, Info.Horz, true, goFixedVertLine, goVertLine);
    lines(FVert, Info.Vert, false, goFixedHorzLine, goHorzLine);
}
