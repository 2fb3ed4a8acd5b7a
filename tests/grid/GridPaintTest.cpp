// The drawing grid painted on a real window and read back in pixels.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include "GridFixture.h"
#include "ssGrids.h"

using namespace controls_test;
using namespace grid_test;

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0), kBlue = RGB(0, 0, 255), kGreen = RGB(0, 255, 0);

// Cells of 40 x 20 with 1-pixel lines: column c starts at 41 c and its line lies at 41 c + 40;
// row r starts at 21 r and its line lies at 21 r + 20.
constexpr int ColLine(int c) { return 41 * c + 40; }
constexpr int RowLine(int r) { return 21 * r + 20; }
constexpr int ColMid(int c) { return 41 * c + 20; }
constexpr int RowMid(int r) { return 21 * r + 10; }

COLORREF Sys(int index) { return GetSysColor(index); }

std::unique_ptr<TPen> Pen(COLORREF color, int width) {
    auto p = std::make_unique<TPen>();
    p->SetColor(TColor(color));
    p->SetWidth(width);
    return p;
}

}  // namespace

TEST(GridPaint, DefaultLinesAndRaisedFixedCells) {
    struct Case { TColor color; COLORREF line; };
    for (Case k : {Case{clWhite, RGB(0xC0, 0xC0, 0xC0)}, Case{clSilver, RGB(0x80, 0x80, 0x80)}}) {
        GridOnForm g;
        g.Grid->SetColor(k.color);
        auto px = g.Capture();
        SCOPED_TRACE(k.color);
        EXPECT_EQ(px.At(ColLine(2), RowMid(3)), k.line);  // data area, vertical
        EXPECT_EQ(px.At(ColMid(3), RowLine(2)), k.line);  // data area, horizontal
        EXPECT_EQ(px.At(ColMid(3), RowMid(3)), ColorToRGB(k.color));
        EXPECT_EQ(px.At(ColLine(0), RowMid(3)), RGB(0, 0, 0));  // row header
        EXPECT_EQ(px.At(ColMid(3), RowLine(0)), RGB(0, 0, 0));  // column header
        // Fixed cell (0, 3): face colour inside a raised edge.
        EXPECT_EQ(px.At(20, RowMid(3)), Sys(COLOR_BTNFACE));
        EXPECT_EQ(px.At(0, RowMid(3)), Sys(COLOR_BTNHIGHLIGHT));
        EXPECT_EQ(px.At(ColLine(0) - 1, RowMid(3)), Sys(COLOR_BTNSHADOW));
        EXPECT_EQ(px.At(20, 21 * 3), Sys(COLOR_BTNHIGHLIGHT));
        EXPECT_EQ(px.At(20, RowLine(3) - 1), Sys(COLOR_BTNSHADOW));
    }
}

// Without goVertLine no vertical line is drawn, in the fixed areas neither, although
// goFixedVertLine still gives the columns their gaps: those show the area's background.
TEST(GridPaint, NoVerticalLinesWithoutTheVertLineOption) {
    GridOnForm g;
    g.Grid->SetOptions(DefaultGridOptions - TGridOptions{TGridOption::goVertLine});
    auto px = g.Capture();
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(px.At(ColLine(c), RowMid(0)), Sys(COLOR_BTNFACE)) << c;
        EXPECT_EQ(px.At(ColLine(c), RowMid(3)), c == 0 ? Sys(COLOR_BTNFACE) : RGB(255, 255, 255)) << c;
    }
    EXPECT_EQ(px.At(ColMid(2), RowLine(2)), RGB(0xC0, 0xC0, 0xC0));  // horizontal lines stay
}

// A 3-pixel row pen with 1-pixel grid lines: the line under the row is centred one pixel higher
// and the row's cells end two pixels earlier, in the row header too.
TEST(GridPaint, AWideRowPenMovesItsLineUpAndShortensTheRow) {
    GridOnForm g;
    g.Grid->SetRowLine(2, Pen(kRed, 3).get());
    auto px = g.Capture();
    const int line = RowLine(2);
    struct Case { int y; bool red; };
    for (int x : {20, ColMid(2), ColMid(4)}) {
        for (Case k : {Case{line - 3, false}, Case{line - 2, true}, Case{line - 1, true}, Case{line, true},
                       Case{line + 1, false}}) {
            EXPECT_EQ(px.At(x, k.y) == kRed, k.red) << x << "," << k.y;
        }
    }
    EXPECT_EQ(px.At(ColMid(2), line - 3), RGB(255, 255, 255));
    EXPECT_EQ(px.At(ColMid(2), line + 1), RGB(255, 255, 255));
}

// Whatever the width of a row pen or an outer side against the grid's line, the row's fill and
// the line under it leave no pixel between them unpainted (the grid does not erase its window).
TEST(GridPaint, CellsMeetTheLineUnderThem) {
    struct Case { int lineWidth, penWidth; bool outerSide; };
    for (Case k : {Case{3, 1, false}, Case{3, 2, false}, Case{3, 5, false}, Case{1, 2, true}, Case{3, 5, true}}) {
        GridOnForm g;
        g.Grid->SetGridLineWidth(k.lineWidth);
        auto red = Pen(kRed, k.penWidth);
        TssCellLine bottom(nullptr);
        bottom.SetBottomLine(red.get());
        if (k.outerSide) g.Grid->SetCellOuterLine(2, 2, &bottom);
        else g.Grid->SetRowLine(2, red.get());
        auto px = g.Capture();
        const int pitch = 20 + k.lineWidth, x = 2 * (40 + k.lineWidth) + 20;
        int red_rows = 0;
        for (int y = 2 * pitch; y < 3 * pitch; ++y) {
            COLORREF p = px.At(x, y);
            EXPECT_TRUE(p == kRed || p == RGB(255, 255, 255))
                << k.lineWidth << "/" << k.penWidth << " y " << y << " " << std::hex << p;
            red_rows += p == kRed;
        }
        EXPECT_GT(red_rows, 0) << k.lineWidth << "/" << k.penWidth;
    }
}

// A hidden column takes no pixels and draws no line: the next column starts right after the
// line of the column before.
TEST(GridPaint, AHiddenColumnDrawsNoLine) {
    GridOnForm g;
    g.Grid->SetColWidths(2, 0);
    auto px = g.Capture();
    const int y = RowMid(2);
    EXPECT_EQ(px.At(ColLine(1), y), RGB(0xC0, 0xC0, 0xC0));
    EXPECT_EQ(px.At(ColLine(1) + 1, y), RGB(255, 255, 255));  // column 3 begins
    EXPECT_EQ(px.At(ColLine(1) + 41, y), RGB(0xC0, 0xC0, 0xC0));
    EXPECT_EQ(px.At(ColLine(1) + 42, y), RGB(255, 255, 255));
}

// A column pen of width 0 switches the column's line off: its cells reach over the line, and
// fixed cells have no raised edge on that side (the next column's fixed cells none on the left).
TEST(GridPaint, AColumnPenOfWidthZeroHidesItsLine) {
    GridOnForm g;
    auto off = Pen(kRed, 0);
    g.Grid->SetColLine(0, off.get());
    g.Grid->SetColLine(2, off.get());
    auto px = g.Capture();
    const COLORREF face = Sys(COLOR_BTNFACE), white = RGB(255, 255, 255);
    struct Case { int x, y; COLORREF color; };
    const Case cases[] = {
        {ColLine(0) - 1, RowMid(3), face}, {ColLine(0), RowMid(3), face},      // row header
        {ColLine(0), RowMid(0), face},     {ColLine(0) + 1, RowMid(0), face},  // corner, column header
        {ColLine(2), RowMid(3), white},    {ColLine(1), RowMid(3), RGB(0xC0, 0xC0, 0xC0)},
    };
    for (const Case& k : cases) EXPECT_EQ(px.At(k.x, k.y), k.color) << k.x << "," << k.y;
}

// Fixed cells' raised edges are DrawEdge's to the pixel, corners included (the shadow sides go
// first, the highlight over them), also where a switched-off line drops a side.
TEST(GridPaint, FixedCellEdgesAreDrawEdgesPixels) {
    GridOnForm g;
    auto off = Pen(kRed, 0);
    g.Grid->SetColLine(2, off.get());
    auto px = g.Capture();
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 64, 32);
    HGDIOBJ old = SelectObject(dc, bitmap);
    struct Case { RECT cell; UINT first, second; };
    const UINT rb = BF_RIGHT | BF_BOTTOM, lt = BF_LEFT | BF_TOP;
    const Case cases[] = {
        {{0, 0, 40, 20}, rb, lt},                   // corner
        {{0, 63, 40, 83}, rb, lt},                  // row header
        {{82, 0, 123, 20}, BF_BOTTOM, lt},          // its line off: no right side, reaching over it
        {{123, 0, 163, 20}, rb, BF_TOP},            // after that line: no left side
    };
    for (const Case& k : cases) {
        const int w = k.cell.right - k.cell.left, h = k.cell.bottom - k.cell.top;
        RECT r{0, 0, w, h};
        FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
        DrawEdge(dc, &r, BDR_RAISEDINNER, k.first);
        DrawEdge(dc, &r, BDR_RAISEDINNER, k.second);
        int wrong = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if (px.At(k.cell.left + x, k.cell.top + y) != GetPixel(dc, x, y)) ++wrong;
        EXPECT_EQ(wrong, 0) << "cell at " << k.cell.left << "," << k.cell.top;
    }
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
}

// Selected cells away from the current one: highlighted only with goCanReverse.
TEST(GridPaint, SelectedCellsHighlightOnlyWithCanReverse) {
    struct Case { TGridOptions options; COLORREF fill; };
    const Case cases[] = {
        {DefaultGridOptions, Sys(COLOR_HIGHLIGHT)},
        {DefaultGridOptions - TGridOptions{TGridOption::goCanReverse}, RGB(255, 255, 255)},
    };
    for (const Case& k : cases) {
        GridOnForm g;
        g.Grid->SetOptions(k.options);
        g.Grid->SetSelection(TGridRect{1, 1, 3, 2});
        auto px = g.Capture();
        EXPECT_EQ(px.At(ColMid(2), RowMid(1)), k.fill) << k.options.Mask();
        EXPECT_EQ(px.At(ColMid(2), RowMid(2)), k.fill) << k.options.Mask();
        EXPECT_EQ(px.At(ColMid(4), RowMid(1)), RGB(255, 255, 255)) << k.options.Mask();
    }
}

// A neighbour's outer right side is the left side of the next cell: it wins over that cell's
// own outer left side.
TEST(GridPaint, ANeighboursRightSideIsTheNextCellsLeftSide) {
    GridOnForm g;
    TssCellLine right(nullptr), left(nullptr);
    right.SetRightLine(Pen(kBlue, 1).get());
    left.SetLeftLine(Pen(kGreen, 1).get());
    g.Grid->SetCellOuterLine(2, 3, &right);
    g.Grid->SetCellOuterLine(3, 3, &left);
    auto px = g.Capture();
    for (int y = 21 * 3; y < RowLine(3); ++y) EXPECT_EQ(px.At(ColLine(2), y), kBlue) << y;
    EXPECT_FALSE(px.Contains(kGreen, RECT{0, 0, px.Width, px.Height}));
}

// The focused cell under an open editor is left to the editor: DrawCell is not called for it,
// and of its own only the outer lines on its right and bottom are drawn (the last column's,
// which no neighbour draws).
TEST(GridPaint, TheCellUnderAnOpenEditorIsLeftToTheEditor) {
    GridOnForm g;
    g.Grid->SetOptions(DefaultGridOptions + TGridOptions{TGridOption::goEditing});
    TssCellLine right(nullptr);
    right.SetRightLine(Pen(kBlue, 1).get());
    g.Grid->SetCellOuterLine(5, 1, &right);
    std::vector<std::pair<int, int>> drawn;
    g.Grid->OnDrawCell = [&](TObject*, int c, int r, const RECT&, TGridDrawState) { drawn.emplace_back(c, r); };
    g.Form.Capture();
    g.Form.Form->SetActiveControl(g.Grid);
    g.Grid->SetCol(5);
    for (bool open : {true, false}) {
        g.Grid->SetEditorMode(open);
        drawn.clear();
        auto px = g.Capture();
        auto paints = [&](int c, int r) { return std::count(drawn.begin(), drawn.end(), std::pair{c, r}) > 0; };
        EXPECT_EQ(paints(5, 1), !open);
        EXPECT_TRUE(paints(4, 1)) << open;
        EXPECT_EQ(px.At(ColLine(5), RowMid(1)), kBlue) << open;
    }
}

// Once a paint has made the fonts, pens and brushes a grid needs, painting it again makes none.
TEST(GridPaint, ARepaintCreatesNoGdiObjects) {
    GridOnForm g;
    TFont bold;
    bold.Assign(*g.Grid->Font());
    bold.SetStyle(TFontStyles{TFontStyle::fsBold});
    g.Grid->SetColFont(2, &bold);
    bold.SetHeight(-16);
    g.Grid->SetColFont(4, &bold);
    g.Grid->SetColColor(3, TColor(kGreen));
    g.Grid->SetRowColor(4, TColor(kBlue));
    auto red = Pen(kRed, 3);
    g.Grid->SetRowLine(2, red.get());
    g.Grid->SetColLine(1, red.get());
    TssCellLine box(nullptr);
    for (auto set : {&TssCellLine::SetUpperLine, &TssCellLine::SetBottomLine, &TssCellLine::SetLeftLine,
                     &TssCellLine::SetRightLine})
        (box.*set)(red.get());
    g.Grid->SetCellOuterLine(3, 3, &box);
    g.Grid->SetSelection(TGridRect{1, 1, 2, 4});
    g.Capture();
    const auto before = GdiObjects::Created();
    g.Grid->Invalidate();
    g.Grid->Update();
    EXPECT_EQ(GdiObjects::Created(), before);
}
