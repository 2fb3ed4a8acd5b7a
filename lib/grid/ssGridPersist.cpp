// The grid's own stream properties: widths, heights and the attribute layer go out from the
// stores and come back in through the grid's setters (ssGridStream has the layouts and checks).
#include <array>
#include <memory>

#include "ssGridStream.h"
#include "ssGrids.h"

namespace {

using P = TssGridStreamProp;

TssFontValue FontValue(const TFont& f) {
    TFontStyles s = f.Style();
    return {f.Charset(),
            f.Color(),
            f.Height(),
            f.Name(),
            int(f.Pitch()),
            (s.Contains(TFontStyle::fsBold) ? GridFontBold : 0) | (s.Contains(TFontStyle::fsItalic) ? GridFontItalic : 0) |
                (s.Contains(TFontStyle::fsUnderline) ? GridFontUnderline : 0) |
                (s.Contains(TFontStyle::fsStrikeOut) ? GridFontStrikeOut : 0)};
}

void LoadFont(TFont& f, const TssFontValue& v) {
    f.SetCharset(BYTE(v.Charset));
    f.SetColor(v.Color);
    f.SetHeight(v.Height);
    f.SetName(v.Name);
    if (v.Pitch == 1) f.SetPitch(TFontPitch::fpVariable);
    else if (v.Pitch == 2) f.SetPitch(TFontPitch::fpFixed);
    TFontStyles s;
    if (v.Style & GridFontBold) s.Include(TFontStyle::fsBold);
    if (v.Style & GridFontItalic) s.Include(TFontStyle::fsItalic);
    if (v.Style & GridFontUnderline) s.Include(TFontStyle::fsUnderline);
    if (v.Style & GridFontStrikeOut) s.Include(TFontStyle::fsStrikeOut);
    f.SetStyle(s);
}

TssPenValue PenValue(const TPen& p) { return {p.Color(), p.Style(), p.Width()}; }

void LoadPen(TPen& p, const TssPenValue& v) {
    p.SetStyle(v.Style);
    p.SetColor(v.Color);
    p.SetWidth(v.Width);
}

// Both absent, or both present with equal counts and entries.
bool SameExtents(const TGridAxis& a, const TGridAxis& b) {
    if (a.HasExtents() != b.HasExtents()) return false;
    if (!a.HasExtents()) return true;
    if (a.Count() != b.Count()) return false;
    for (int i = 0; i < a.Count(); ++i)
        if (a.Extent(i) != b.Extent(i)) return false;
    return true;
}

}  // namespace

// Reads and writes the grid's stream properties; a friend of the grid.
class TssGridPersist : public TssGridStreamSink {
public:
    explicit TssGridPersist(TssCustomGrid& Grid) : G(Grid) {}

    // The procedures run after Define has returned (a reader applies in a second pass).
    void Define(TFiler& Filer) {
        // Only a writer asks which properties have data.
        std::array<bool, GridStreamPropCount> has{};
        if (dynamic_cast<TWriter*>(&Filer)) has = HasData(dynamic_cast<const TssCustomGrid*>(Filer.Ancestor()));
        for (int i = 0; i < GridStreamPropCount; ++i) {
            P prop = P(i);
            Filer.DefineProperty(
                GridStreamPropName(prop), [grid = &G, prop](TReader& r) { TssGridPersist(*grid).Read(r, prop); },
                [grid = &G, prop](TWriter& w) { TssGridPersist(*grid).Write(w, prop); },
                has[std::size_t(i)]);
        }
    }

    // ---- reading: each entry through the setter a program would use ----

    void Extents(P Prop, int First, const int* Values, int Count) override {
        // Straight into the axis: the grid's reaction to a changed extent comes once, after
        // the list (a million rows would otherwise relayout a million times).
        TGridAxis& axis = Prop == P::ColWidths ? G.FHorz : G.FVert;
        for (int i = 0; i < Count; ++i) (void)axis.SetExtent(First + i, Values[i]);  // the reader checked the index
        FExtentsRead = true;
    }

    void Color(P Prop, int Col, int Row, std::int32_t Value) override {
        if (Prop == P::ColColor) G.SetColColor(Col, Value);
        else if (Prop == P::RowColor) G.SetRowColor(Row, Value);
        else G.SetCellColor(Col, Row, Value);
    }

    void Font(P Prop, int Col, int Row, const TssFontValue& Value) override {
        TFont f;
        LoadFont(f, Value);
        if (Prop == P::ColFont) G.SetColFont(Col, &f);
        else if (Prop == P::RowFont) G.SetRowFont(Row, &f);
        else G.SetCellFont(Col, Row, &f);
    }

    // Stored as read: a line equal to the default pen stays a line of its own.
    void Line(P Prop, int Col, int Row, const TssPenValue& Value) override {
        TPen pen;
        LoadPen(pen, Value);
        if (Prop == P::ColLine) {
            G.FColInfo->SetCol(Col);
            G.FColInfo->SetLine(&pen);
        } else {
            G.FRowInfo->SetRow(Row);
            G.FRowInfo->SetLine(&pen);
        }
        G.Invalidate();
    }

    void CellLine(P Prop, int Col, int Row, const TssCellLineValue& Value) override {
        auto line = std::make_unique<TssCellLine>(&G);
        TPen pens[4];
        const TPen* sides[4] = {};
        for (int s = 0; s < 4; ++s)
            if (Value.Sides[s]) {
                LoadPen(pens[s], *Value.Sides[s]);
                sides[s] = &pens[s];
            }
        line->SetUpperLine(sides[0]);
        line->SetBottomLine(sides[1]);
        line->SetLeftLine(sides[2]);
        line->SetRightLine(sides[3]);
        if (Prop == P::CellOuterLine) G.SetCellOuterLine(Col, Row, line.get());
        else G.SetCellInnerLine(Col, Row, line.get());
    }

private:
    void Read(TReader& r, P prop) {
        FExtentsRead = false;
        TGridAxis* axis = prop == P::ColWidths ? &G.FHorz : prop == P::RowHeights ? &G.FVert : nullptr;
        // A stream holds every width or height: room for them all at once, the rest given back.
        if (axis) axis->ReserveExtents(axis->Count());
        struct TFit {
            TGridAxis* Axis;
            ~TFit() {
                if (Axis) Axis->FitExtents();
            }
        } fit{axis};
        // What was applied before a damaged entry stays, and the grid lays it out.
        try {
            ReadGridStreamProp(r, prop, G.ColCount(), G.RowCount(), *this);
        } catch (...) {
            ExtentsRead(prop);
            throw;
        }
        ExtentsRead(prop);
    }

    void ExtentsRead(P prop) {
        if (!FExtentsRead) return;
        FExtentsRead = false;
        G.Invalidate();
        if (prop == P::ColWidths) G.ColWidthsChanged();
        else G.RowHeightsChanged();
    }

    // Which properties a writer writes: one pass over each store.
    std::array<bool, GridStreamPropCount> HasData(const TssCustomGrid* ancestor) {
        std::array<bool, GridStreamPropCount> has{};
        auto set = [&](P prop, bool value) { has[std::size_t(prop)] = has[std::size_t(prop)] || value; };
        set(P::ColWidths, ancestor ? !SameExtents(ancestor->FHorz, G.FHorz) : G.HasColWidths());
        set(P::RowHeights, ancestor ? !SameExtents(ancestor->FVert, G.FVert) : G.HasRowHeights());
        auto& cols = *G.FColInfo;
        cols.ForEachStored([&](int c) {
            cols.SetCol(c);
            set(P::ColColor, cols.Color() != clNotSet);
            set(P::ColFont, cols.Font() != nullptr);
            set(P::ColLine, cols.Line() != nullptr);
        });
        auto& rows = *G.FRowInfo;
        rows.ForEachStored([&](int r) {
            rows.SetRow(r);
            set(P::RowColor, rows.Color() != clNotSet);
            set(P::RowFont, rows.Font() != nullptr);
            set(P::RowLine, rows.Line() != nullptr);
        });
        G.FCellInfo->ForEachRecord([&](int, int, const TssGridCellRec& cell) {
            for (P prop : {P::CellColor, P::CellFont, P::CellOuterLine, P::CellInnerLine}) set(prop, HasCellData(prop, cell));
        });
        return has;
    }

    // Calls f(col, row) for every stored value of a property, with the store's cursor on it.
    template <typename F>
    void ForEach(P prop, F f) {
        auto& cols = *G.FColInfo;
        auto& rows = *G.FRowInfo;
        auto& cells = *G.FCellInfo;
        switch (prop) {
            case P::ColColor:
            case P::ColFont:
            case P::ColLine:
                cols.ForEachStored([&](int c) {
                    cols.SetCol(c);
                    if (prop == P::ColColor ? cols.Color() != clNotSet
                                            : prop == P::ColFont ? cols.Font() != nullptr : cols.Line() != nullptr)
                        f(c, -1);
                });
                break;
            case P::RowColor:
            case P::RowFont:
            case P::RowLine:
                rows.ForEachStored([&](int r) {
                    rows.SetRow(r);
                    if (prop == P::RowColor ? rows.Color() != clNotSet
                                            : prop == P::RowFont ? rows.Font() != nullptr : rows.Line() != nullptr)
                        f(-1, r);
                });
                break;
            default:
                cells.ForEachRecord([&](int c, int r, const TssGridCellRec& cell) {
                    if (!HasCellData(prop, cell)) return;
                    cells.SetCol(c);
                    cells.SetRow(r);
                    f(c, r);
                });
                break;
        }
    }

    void Write(TWriter& w, P prop) {
        auto& cols = *G.FColInfo;
        auto& rows = *G.FRowInfo;
        auto& cells = *G.FCellInfo;
        w.WriteListBegin();
        switch (prop) {
            case P::ColWidths:
            case P::RowHeights:
                (prop == P::ColWidths ? G.FHorz : G.FVert).ForEachExtent([&](int, int v) { w.WriteInteger(v); });
                break;
            default:
                ForEach(prop, [&](int c, int r) {
                    if (prop == P::CellOuterLine || prop == P::CellInnerLine)
                        return WriteCellLine(w, c, r, prop == P::CellOuterLine ? *cells.CellOuterLine()
                                                                               : *cells.CellInnerLine());
                    if (c >= 0) w.WriteInteger(c);
                    if (r >= 0) w.WriteInteger(r);
                    switch (prop) {
                        case P::ColColor: w.WriteInteger(cols.Color()); break;
                        case P::RowColor: w.WriteInteger(rows.Color()); break;
                        case P::CellColor: w.WriteInteger(cells.Color()); break;
                        case P::ColFont: WriteGridFont(w, FontValue(*cols.Font())); break;
                        case P::RowFont: WriteGridFont(w, FontValue(*rows.Font())); break;
                        case P::CellFont: WriteGridFont(w, FontValue(*cells.Font())); break;
                        case P::ColLine: WriteGridAxisLine(w, PenValue(*cols.Line())); break;
                        default: WriteGridAxisLine(w, PenValue(*rows.Line())); break;
                    }
                });
                break;
        }
        w.WriteListEnd();
    }

    // A line object without sides writes nothing (reading it back would change nothing).
    static bool HasSides(const TssCellLine* line) { return line && line->isLineSetting(); }

    static bool HasCellData(P prop, const TssGridCellRec& cell) {
        switch (prop) {
            case P::CellColor: return cell.Color != clNotSet;
            case P::CellFont: return cell.Font != nullptr;
            case P::CellOuterLine: return HasSides(cell.CellOuterLine.get());
            default: return HasSides(cell.CellInnerLine.get());
        }
    }

    // One entry per set side.
    static void WriteCellLine(TWriter& w, int c, int r, const TssCellLine& line) {
        const TPen* sides[4] = {line.UpperLine(), line.BottomLine(), line.LeftLine(), line.RightLine()};
        for (int s = 0; s < 4; ++s) {
            if (!sides[s]) continue;
            w.WriteInteger(c);
            w.WriteInteger(r);
            WriteGridCellLineSide(w, s, PenValue(*sides[s]));
        }
    }

    TssCustomGrid& G;
    bool FExtentsRead = false;
};

void TssCustomGrid::DefineProperties(TFiler& Filer) {
    TCustomControl::DefineProperties(Filer);
    if (FSaveCellExtents) TssGridPersist(*this).Define(Filer);
}
