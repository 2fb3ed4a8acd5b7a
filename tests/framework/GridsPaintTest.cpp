// What the grid base paints on a real window: lines, fixed cells, hidden columns, the selection
// and the focus rectangle.
#include <gtest/gtest.h>

#include "GridsFixture.h"

using namespace grids_test;

namespace {

bool Near(COLORREF a, TColor b) {
    COLORREF c = ColorToRGB(b);
    return std::abs(GetRValue(a) - GetRValue(c)) < 8 && std::abs(GetGValue(a) - GetGValue(c)) < 8 &&
           std::abs(GetBValue(a) - GetBValue(c)) < 8;
}

// Cells of 40 x 20 with one-pixel lines: column i ends at 41 i + 40, row j at 21 j + 20.
TEST(GridsPaint, LinesFixedCellsAndAHiddenColumn) {
    GridOnForm f;
    f.Grid->SetColWidths(2, 0);
    f.Grid->SetColWidths(3, 20);
    auto px = f.Capture();
    const struct {
        const char* What;
        int X, Y;
        TColor Color;
    } cases[] = {
        {"fixed column line across a fixed row", 40, 10, clBlack},
        {"fixed column line across a scrollable row", 40, 30, clBlack},
        {"fixed row line under a scrollable column", 60, 20, clBlack},
        {"scrollable column line", 81, 30, clSilver},
        {"scrollable row line", 60, 41, clSilver},
        {"fixed cell face", 20, 10, clBtnFace},
        {"raised top edge of a fixed cell", 20, 0, clBtnHighlight},
        {"raised bottom edge of a fixed cell", 20, 19, clBtnShadow},
        {"other cell", 60, 58, clWhite},
        // Column 2 takes no pixels: column 3 (20 wide) follows column 1's line directly.
        {"column 3 right after column 1", 90, 58, clWhite},
        {"line after column 3", 102, 58, clSilver},
        {"no line where column 2 would end", 122, 58, clWhite},
        {"background beyond the last column", 200, 58, clWhite},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(Near(px.At(c.X, c.Y), c.Color)) << c.What << ": " << std::hex << px.At(c.X, c.Y);
}

TEST(GridsPaint, TheFocusedCurrentCellHasAFocusRectangleInsteadOfTheHighlight) {
    GridOnForm f;
    f.Grid->SetFocus();
    ASSERT_TRUE(f.Grid->Focused());
    auto px = f.Capture();
    RECT r = f.Grid->CellRect(1, 1);
    // The dotted frame darkens pixels of the cell's top edge; its inside stays the cell colour.
    bool dotted = false;
    for (int x = r.left; x < r.right; ++x) dotted |= controls_test::Dark(px.At(x, r.top));
    EXPECT_TRUE(dotted);
    EXPECT_TRUE(Near(px.At(r.left + 20, r.bottom - 3), clWhite));
    // Without the focus the selected cell is highlighted and has no frame.
    f.Form.Form->SetFocus();
    px = f.Capture();
    EXPECT_TRUE(Near(px.At(r.left + 20, r.top), clHighlight));
}

}  // namespace
