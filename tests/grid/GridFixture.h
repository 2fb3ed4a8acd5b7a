// A drawing grid on a shown form, for the grid tests that read its pixels.
#pragma once
#include "../controls/ControlsFixture.h"
#include "ssGrids.h"

namespace grid_test {

// A white 6 x 6 grid of 40 x 20 cells without border or scroll bars filling a shown form 300
// pixels wide.
struct GridOnForm {
    controls_test::ShownForm Form;
    TssDrawGrid* Grid;
    explicit GridOnForm(int Height = 160) : Form(300, Height), Grid(new TssDrawGrid(Form.Form)) {
        Grid->SetParent(Form.Form);
        Grid->SetBorderStyle(TBorderStyle::bsNone);
        Grid->SetScrollBars(TScrollStyle::ssNone);
        Grid->SetColCount(6);
        Grid->SetRowCount(6);
        Grid->SetDefaultColWidth(40);
        Grid->SetDefaultRowHeight(20);
        Grid->SetColor(clWhite);
        Grid->SetBounds(0, 0, 300, Height);
    }
    testing_support::ClientPixels Capture() {
        Form.Capture();
        Grid->Invalidate();
        return Form.Capture(Grid);
    }
};

}  // namespace grid_test
