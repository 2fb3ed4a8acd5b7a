// The grid base: layout, counts, position, scrolling and the keys, on a real window.
#include <gtest/gtest.h>

#include "GridsFixture.h"

using namespace grids_test;

namespace {

struct CellCase {
    const char* What;
    int Col, Row;
    RECT Rect;
};

// Cells of 40 x 20 with one-pixel lines, one fixed column and row, column 2 hidden, in a client
// area of 120 x 60.
TEST(Grids, CellRectAndMouseCoordFollowFixedHiddenAndScrolledCells) {
    GridOnForm f(120, 60);
    f.Grid->SetColWidths(2, 0);
    auto check = [&](const std::vector<CellCase>& cases) {
        for (const auto& c : cases) {
            SCOPED_TRACE(c.What);
            RECT r = f.Grid->CellRect(c.Col, c.Row);
            EXPECT_EQ(std::vector<LONG>({r.left, r.top, r.right, r.bottom}),
                      std::vector<LONG>({c.Rect.left, c.Rect.top, c.Rect.right, c.Rect.bottom}));
            if (c.Rect.right > c.Rect.left) {
                TGridCoord at = f.Grid->MouseCoord(c.Rect.left + 1, c.Rect.top + 1);
                EXPECT_EQ(at.X, c.Col);
                EXPECT_EQ(at.Y, c.Row);
            }
        }
    };
    check({
        {"fixed corner", 0, 0, {0, 0, 40, 20}},
        {"first scrollable", 1, 1, {41, 21, 81, 41}},
        {"after the hidden column, cut by the right edge", 3, 1, {82, 21, 120, 41}},
        {"hidden column", 2, 1, {}},
        {"beyond the right edge", 4, 1, {}},
        {"cut by the bottom edge", 1, 2, {41, 42, 81, 60}},
        {"outside the grid", 5, 1, {}},
        {"negative", -1, 1, {}},
    });
    f.Grid->SetTopRow(3);
    f.Grid->SetLeftCol(3);
    EXPECT_EQ(f.Grid->TopRow(), 3);
    EXPECT_EQ(f.Grid->LeftCol(), 3);
    check({
        {"fixed row stays", 3, 0, {41, 0, 81, 20}},
        {"row 3 under the fixed row", 3, 3, {41, 21, 81, 41}},
        {"scrolled off", 1, 1, {}},
        {"fixed column of a scrolled row", 0, 4, {0, 42, 40, 60}},
    });
    const struct {
        int X, Y, Col, Row;
    } points[] = {{119, 25, 4, 3}, {40, 5, 0, 0} /* a line belongs to the cell before it */,
                  {120, 5, -1, -1} /* beyond the client area */, {-1, 5, -1, -1}};
    for (const auto& p : points) {
        TGridCoord at = f.Grid->MouseCoord(p.X, p.Y);
        EXPECT_EQ(at.X, p.Col) << p.X << "," << p.Y;
        EXPECT_EQ(at.Y, p.Row) << p.X << "," << p.Y;
    }
}

TEST(Grids, CountsBeyondTheLimitAreRefusedBeforeAnythingChanges) {
    GridOnForm f;
    f.Grid->SetColWidths(3, 17);
    for (long long bad : {-1LL, (long long)GridAxisCountLimit}) {
        EXPECT_THROW(f.Grid->SetRowCount(int(bad)), EInvalidGridOperation);
        EXPECT_THROW(f.Grid->SetColCount(int(bad)), EInvalidGridOperation);
    }
    EXPECT_EQ(f.Grid->RowCount(), 5);
    EXPECT_EQ(f.Grid->ColCount(), 5);
    EXPECT_EQ(f.Grid->ColWidths(3), 17);
    EXPECT_THROW(f.Grid->SetFixedRows(5), EInvalidGridOperation);
    EXPECT_THROW(f.Grid->SetColWidths(-1, 10), EInvalidGridOperation);
    EXPECT_THROW(f.Grid->SetCol(0), EInvalidGridOperation);  // a fixed column cannot be current
    // Shrinking keeps the current cell and the top-left inside.
    f.Grid->SetRowCount(100);
    f.Grid->SetRow(99);
    f.Grid->SetRowCount(3);
    EXPECT_EQ(f.Grid->Row(), 2);
    EXPECT_EQ(f.Grid->TopRow(), 1);
}

}  // namespace
