// A grid base descendant on a shown form, for the grid base's tests.
#pragma once
#include <map>
#include <vector>

#include "../controls/ControlsFixture.h"
#include "Grids.h"

namespace grids_test {

// Draws "col:row" in every scrollable cell and keeps the editor's texts per cell; logs the
// hooks it sees.
class TTestGrid : public TCustomGrid {
    SS_CLASS(TTestGrid, TCustomGrid)
public:
    using TCustomGrid::TCustomGrid;
    std::vector<String> Log;
    std::map<std::pair<int, int>, String> Texts;
    int Drawn = 0;  // cells drawn since the last reset
    bool ReadOnly = false;
    int ModifyAsked = 0;

    using TCustomGrid::CalcSizingState;
    using TCustomGrid::MoveColRow;

    static String CellText(int ACol, int ARow) { return Format(L"%d:%d", {(long long)ACol, (long long)ARow}); }

protected:
    void DrawCell(int ACol, int ARow, const RECT& ARect, TGridDrawState AState) override {
        ++Drawn;
        if (AState.Contains(TGridDrawStateItem::gdFixed)) return;
        Canvas()->TextRect(ARect, ARect.left + 2, ARect.top + 2, CellText(ACol, ARow));
    }
    void ColumnMoved(int FromIndex, int ToIndex) override {
        Log.push_back(Format(L"moved %d>%d", {(long long)FromIndex, (long long)ToIndex}));
    }
    void ColWidthsChanged() override {
        Log.push_back(L"widths");
        TCustomGrid::ColWidthsChanged();
    }
    bool BeginColumnDrag(int& Origin, int& Destination, POINT MousePt) override {
        Log.push_back(Format(L"begin %d", {(long long)Origin}));
        return true;
    }
    bool CheckColumnDrag(int& Origin, int& Destination, POINT MousePt) override {
        Log.push_back(Format(L"check %d", {(long long)Destination}));
        return true;
    }
    bool EndColumnDrag(int& Origin, int& Destination, POINT MousePt) override {
        Log.push_back(Format(L"end %d>%d", {(long long)Origin, (long long)Destination}));
        return true;
    }
    String GetEditText(int ACol, int ARow) override {
        auto it = Texts.find({ACol, ARow});
        return it == Texts.end() ? CellText(ACol, ARow) : it->second;
    }
    void SetEditText(int ACol, int ARow, const String& Value) override { Texts[{ACol, ARow}] = Value; }
    bool CanEditModify() override {
        ++ModifyAsked;
        return !ReadOnly;
    }
};

// A white 5 x 5 grid of 40 x 20 cells, one fixed column and row, without border or scroll bars,
// filling a shown form.
struct GridOnForm {
    controls_test::ShownForm Form;
    TTestGrid* Grid;
    explicit GridOnForm(int Width = 300, int Height = 160) : Form(Width, Height), Grid(new TTestGrid(Form.Form)) {
        Grid->SetParent(Form.Form);
        Grid->SetBorderStyle(TBorderStyle::bsNone);
        Grid->SetScrollBars(TScrollStyle::ssNone);
        Grid->SetDefaultColWidth(40);
        Grid->SetDefaultRowHeight(20);
        Grid->SetColor(clWhite);
        Grid->SetBounds(0, 0, Width, Height);
        Form.Capture();  // shows the form: the grid has its window
    }
    testing_support::ClientPixels Capture() {
        Grid->Invalidate();
        return Form.Capture(Grid);
    }
};

}  // namespace grids_test
