// The data grid's drawing on real windows: the row indicators by dataset state and selection,
// the highlight of selected rows and the raised frames of fixed cells.
#include <gtest/gtest.h>

#include "DataGridFixture.h"

using namespace datagrid_test;

namespace {

using Rows = std::vector<std::string>;

const Rows kArrow{"X-----", "XX----", "XXX---", "XXXX--", "XXXXX-", "XXXXXX",
                  "XXXXX-", "XXXX--", "XXX---", "XX----", "X-----"};
const Rows kEdit{"XX--XX", "--XX--", "--XX--", "--XX--", "--XX--", "--XX--",
                 "--XX--", "--XX--", "--XX--", "--XX--", "XX--XX"};
const Rows kInsert{"------", "------", "------", "-X--X-", "--XX--", "XXXXXX",
                   "--XX--", "-X--X-", "------", "------", "------"};
const Rows kMultiDot{"------", "------", "------", "--XX--", "-XXXX-", "-XXXX-",
                     "-XXXX-", "--XX--", "------", "------", "------"};
const Rows kMultiArrow{"X-----", "XX----", "-XX---", "--XX--", "XX-XX-", "XX--XX",
                       "XX-XX-", "--XX--", "-XX---", "XX----", "X-----"};
const Rows kNone(11, "------");

// The 6 x 11 image in the indicator cell of a grid row: X dark, - light. With both line options
// the cell is drawn 1 pixel inside its rectangle and the image ends 1 pixel before that edge.
Rows IndicatorAt(DataSetGrid& g, int row) {
    RECT cell = g.Grid->CellRect(0, row);
    InflateRect(&cell, -1, -1);
    int x0 = cell.right - 6 - 1, y0 = (cell.top + cell.bottom - 11) / 2;
    auto pixels = g.Form.Capture(g.Grid);
    Rows rows;
    for (int y = 0; y < 11; ++y) {
        std::string line;
        for (int x = 0; x < 6; ++x) line += controls_test::Dark(pixels.At(x0 + x, y0 + y)) ? 'X' : '-';
        rows.push_back(line);
    }
    return rows;
}

}  // namespace

TEST(DBGridDraw, IndicatorShowsTheDataSetStateAndTheSelection) {
    struct Case {
        const char* Name;
        std::function<void(GridOnForm&)> Setup;
        Rows Row1, Row2, Row3;  // the first three data rows
    } cases[] = {
        {"browsing", [](GridOnForm&) {}, kArrow, kNone, kNone},
        {"editing", [](GridOnForm& g) { g.Table->Edit(); }, kEdit, kNone, kNone},
        {"inserting", [](GridOnForm& g) { g.Table->Insert(); }, kInsert, kNone, kNone},
        {"selected rows",
         [](GridOnForm& g) {
             g.Grid->SetOptions(g.Grid->Options() + TDBGridOptions{TDBGridOption::dgMultiSelect});
             g.Grid->SelectedRows()->SetCurrentRowSelected(true);
             g.Table->MoveBy(2);
             g.Grid->SelectedRows()->SetCurrentRowSelected(true);
             g.Table->First();
         },
         kMultiArrow, kNone, kMultiDot},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        GridOnForm g(10);
        c.Setup(g);
        g.Grid->Invalidate();
        EXPECT_EQ(IndicatorAt(g, 1), c.Row1);
        EXPECT_EQ(IndicatorAt(g, 2), c.Row2);
        EXPECT_EQ(IndicatorAt(g, 3), c.Row3);
    }
}

TEST(DBGridDraw, SelectedRowsAreHighlightedAndFixedCellsFramed) {
    GridOnForm g(10);
    g.Grid->SetOptions(g.Grid->Options() + TDBGridOptions{TDBGridOption::dgMultiSelect});
    g.Table->MoveBy(2);
    g.Grid->SelectedRows()->SetCurrentRowSelected(true);
    g.Table->First();
    auto pixels = g.Form.Capture(g.Grid);
    RECT selected = g.Grid->CellRect(2, 3), plain = g.Grid->CellRect(2, 2);
    EXPECT_EQ(pixels.At(selected.right - 2, selected.top + 2), ColorToRGB(clHighlight));
    EXPECT_EQ(pixels.At(plain.right - 2, plain.top + 2), ColorToRGB(clWindow));
    // Both line options: a raised frame inside each title cell, light on the top and left.
    RECT title = g.Grid->CellRect(2, 0);
    EXPECT_EQ(pixels.At(title.left + 3, title.top), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(pixels.At(title.left, title.top + 3), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(pixels.At(title.right - 1, title.bottom - 1), ColorToRGB(clBtnShadow));
    // Without row lines there is no frame: the title's own colour reaches its edge.
    g.Grid->SetOptions(g.Grid->Options() - TDBGridOptions{TDBGridOption::dgRowLines});
    pixels = g.Form.Capture(g.Grid);
    title = g.Grid->CellRect(2, 0);
    EXPECT_EQ(pixels.At(title.left + 3, title.top), ColorToRGB(clBtnFace));
}
