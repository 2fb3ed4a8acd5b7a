// The string grid on real windows: cells, row and column views, editing, drawing and events.
#include <gtest/gtest.h>

#include <algorithm>

#include "../controls/ControlsFixture.h"
#include "ssGrids.h"
#include "ssInplaceEdit.h"

using namespace controls_test;

namespace {

// A white 5 x 5 string grid of 80 x 40 cells without border or scroll bars on a shown form.
struct StringGridOnForm {
    ShownForm Form{420, 210};
    TssStringGrid* Grid;
    explicit StringGridOnForm(TGridOptions options = DefaultGridOptions) : Grid(new TssStringGrid(Form.Form)) {
        Grid->SetParent(Form.Form);
        Grid->SetBorderStyle(TBorderStyle::bsNone);
        Grid->SetScrollBars(TScrollStyle::ssNone);
        Grid->SetDefaultColWidth(80);
        Grid->SetDefaultRowHeight(40);
        Grid->SetColor(clWhite);
        Grid->SetOptions(options);
        Grid->SetBounds(0, 0, 420, 210);
    }
    HWND H() { return Grid->Handle(); }
    testing_support::ClientPixels Capture() {
        Form.Capture();
        Grid->Invalidate();
        return Form.Capture(Grid);
    }
    // A real click arrives after a hit test at the same point.
    void Send(UINT msg, int x, int y) {
        POINT p{x, y};
        ClientToScreen(H(), &p);
        SendMessageW(H(), WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y));
        SendMessageW(H(), msg, msg == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(x, y));
    }
};

// The first and last columns in r that hold a pixel of the colour, or {-1, -1}.
std::pair<int, int> InkColumns(const testing_support::ClientPixels& px, const RECT& r,
                               const std::function<bool(COLORREF)>& ink) {
    auto runs = px.ColumnRuns(ink, r.left, r.right, r.top, r.bottom);
    if (runs.empty()) return {-1, -1};
    return {runs.front().first, runs.back().second};
}

// The extent of a text in a font, measured on the screen.
SIZE TextSize(const TFont& font, const String& text) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font.Handle());
    SIZE s{};
    GetTextExtentPoint32W(dc, text.c_str(), int(text.size()), &s);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return s;
}

bool Black(COLORREF c) { return Dark(c); }
bool Red(COLORREF c) { return GetRValue(c) > 160 && GetGValue(c) < 90 && GetBValue(c) < 90; }

// The rows in r holding a pixel of the colour, first and last.
std::pair<int, int> InkRows(const testing_support::ClientPixels& px, const RECT& r,
                            const std::function<bool(COLORREF)>& ink) {
    int first = -1, last = -1;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            if (ink(px.At(x, y))) {
                if (first < 0) first = y;
                last = y;
                break;
            }
    return {first, last};
}

}  // namespace

TEST(StringGrid, CellsAreStoredOnlyWhereTheyHoldSomething) {
    StringGridOnForm f;
    TssStringGrid& g = *f.Grid;
    TObject o;
    EXPECT_EQ(g.Cells(3, 3), L"");
    EXPECT_EQ(g.Objects(3, 3), nullptr);
    g.SetCells(2, 3, L"");
    EXPECT_EQ(g.Rows(3)->Count(), g.ColCount());
    g.SetCells(2, 3, L"x");
    g.SetObjects(2, 3, &o);
    g.SetCells(2, 3, L"");  // the object keeps the cell
    EXPECT_EQ(g.Objects(2, 3), &o);
    EXPECT_EQ(g.Cols(2)->Objects(3), &o);
    EXPECT_THROW(g.SetCells(-1, 0, L"x"), EListError);
    EXPECT_THROW(g.Cells(0, -1), EListError);
}

TEST(StringGrid, RowAndColumnViews) {
    StringGridOnForm f;
    TssStringGrid& g = *f.Grid;
    g.SetCells(0, 2, L"a");
    g.SetCells(1, 2, L"b");
    EXPECT_EQ(g.Rows(2)->Add(L"c"), 2);
    EXPECT_EQ(g.Cells(2, 2), L"c");
    EXPECT_EQ(g.Cols(4)->Add(L"down"), 0);
    EXPECT_EQ(g.Cells(4, 0), L"down");

    for (auto op : {+[](TStrings* s) { s->Insert(0, L"x"); }, +[](TStrings* s) { s->Delete(0); }}) {
        try {
            op(g.Cols(1));
            ADD_FAILURE() << "no error";
        } catch (const EInvalidGridOperation& e) {
            EXPECT_EQ(e.Message(), L"グリッドの行を追加/削除することはできません");
        }
    }

    // Assign fills as many lines as both have, objects too; a shorter source leaves the rest.
    TObject o;
    TStringList src;
    for (int i = 0; i < 7; ++i) src.AddObject(L"s" + IntToStr(i), i == 1 ? &o : nullptr);
    g.SetRows(1, &src);
    EXPECT_EQ(g.Cells(4, 1), L"s4");
    EXPECT_EQ(g.Objects(1, 1), &o);
    EXPECT_EQ(g.Rows(1)->Add(L"full"), -1);
    TStringList two;
    two.Add(L"t0");
    two.Add(L"t1");
    g.Cols(4)->Assign(&two);
    EXPECT_EQ(g.Cells(4, 0), L"t0");
    EXPECT_EQ(g.Cells(4, 1), L"t1");
    EXPECT_EQ(g.Cells(4, 2), L"");

    g.Rows(1)->Clear();
    EXPECT_EQ(g.Rows(1)->Text(), L"\r\n\r\n\r\n\r\n\r\n");
    EXPECT_EQ(g.Objects(1, 1), nullptr);
    g.Cols(0)->Clear();
    EXPECT_EQ(g.Cells(0, 2), L"");
    EXPECT_EQ(g.Cells(1, 2), L"b");

    // Moving a row or column takes its cells along.
    g.SetCells(3, 4, L"moved");
    struct Mover : TssStringGrid {
        using TssStringGrid::MoveColumn;
        using TssStringGrid::MoveRow;
    };
    static_cast<Mover&>(g).MoveRow(4, 1);
    static_cast<Mover&>(g).MoveColumn(3, 1);
    EXPECT_EQ(g.Cells(1, 1), L"moved");
    EXPECT_EQ(g.Cells(3, 4), L"");
}

TEST(StringGrid, BulkUpdatesAndTheEditor) {
    StringGridOnForm f(DefaultGridOptions + TGridOptions{TGridOption::goEditing, TGridOption::goAlwaysShowEditor});
    TssStringGrid& g = *f.Grid;
    f.Form.Form->Show();
    g.SetFocus();
    g.SetCol(1);
    g.SetRow(1);
    g.SetEditorMode(true);
    Application->ProcessMessages();
    TssInplaceEdit* e = g.InplaceEditor();
    ASSERT_NE(e, nullptr);

    // Typing stores each change into the cell without reloading the editor from it.
    for (wchar_t c : String(L"abc")) SendMessageW(e->Handle(), WM_CHAR, c, 0);
    EXPECT_EQ(e->Text(), L"abc");
    EXPECT_EQ(g.Cells(1, 1), L"abc");

    // A program's write to the current cell reloads the editor.
    g.SetCells(1, 1, L"new");
    EXPECT_EQ(e->Text(), L"new");

    // A bulk write closes the editor; the grid repaints once, at the end.
    TStringList src;
    src.Add(L"r0");
    src.Add(L"r1");
    g.Cols(1)->Assign(&src);
    EXPECT_FALSE(g.EditorMode());
    EXPECT_EQ(g.Cells(1, 1), L"r1");
    EXPECT_EQ(g.Cols(1)->UpdateCount(), 0);
}

TEST(StringGrid, FixedCellEventsOfTheProgramCanBeSuppressed) {
    struct Case {
        const char* what;
        TssDisableFixedCellEvent disabled;
        bool onFixed;
        bool mouseEvents, dblClick;
    } cases[] = {
        {"nothing disabled", {}, true, true, true},
        {"mouse on a fixed cell", {TssDisableFixedCellEventType::dfeMouse}, true, false, true},
        {"double click on a fixed cell", {TssDisableFixedCellEventType::dfeDblClick}, true, true, false},
        {"both on a data cell", {TssDisableFixedCellEventType::dfeMouse, TssDisableFixedCellEventType::dfeDblClick},
         false, true, true},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        StringGridOnForm f(DefaultGridOptions + TGridOptions{TGridOption::goColMoving});
        TssStringGrid& g = *f.Grid;
        f.Form.Form->Show();
        Application->ProcessMessages();
        g.SetDisableFixedCellEvent(k.disabled);
        int downs = 0, moves = 0, ups = 0, doubles = 0;
        g.OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { ++downs; };
        g.OnMouseMove = [&](TObject*, TShiftState, int, int) { ++moves; };
        g.OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int, int) { ++ups; };
        g.OnDblClick = [&](TObject*) { ++doubles; };
        const RECT cell = g.CellRect(2, k.onFixed ? 0 : 2);
        const int x = cell.left + 10, y = cell.top + 10;
        f.Send(WM_LBUTTONDOWN, x, y);
        if (k.onFixed) {
            EXPECT_EQ(g.GridState(), TGridState::gsColMoving);  // the grid's own handling ran
        }
        f.Send(WM_MOUSEMOVE, x + 1, y);
        f.Send(WM_LBUTTONUP, x + 1, y);
        f.Send(WM_LBUTTONDBLCLK, x + 1, y);
        f.Send(WM_LBUTTONUP, x + 1, y);
        // Ending a column drag runs the grid's mouse move once more: count calls, not events.
        EXPECT_EQ(moves > 0, k.mouseEvents);
        EXPECT_EQ(ups > 0, k.mouseEvents);
        EXPECT_EQ(downs, k.mouseEvents ? 2 : 0);  // the double click's press is a press too
        EXPECT_EQ(doubles, k.dblClick ? 1 : 0);
        // The handlers are back for the rest of the grid.
        EXPECT_TRUE(g.OnMouseDown && g.OnMouseMove && g.OnMouseUp && g.OnDblClick);
    }
}

TEST(StringGrid, MultiItemsAndLineAttributes) {
    StringGridOnForm f;
    TssStringGrid& g = *f.Grid;
    struct Case { String text; int lines; } cases[] = {
        {L"", 0}, {L"A", 1}, {L"A\r\n", 1}, {L"A\r\n\r\nB", 3}, {L"A\nB\rC", 3},
    };
    for (const Case& k : cases) {
        g.SetCells(1, 1, k.text);
        EXPECT_EQ(g.MultiItems(1, 1)->Count(), k.lines) << testing::PrintToString(k.text);
    }
    g.SetCells(1, 1, L"A\r\n");
    g.MultiItems(1, 1)->Add(L"B");
    EXPECT_EQ(g.Cells(1, 1), L"A\r\nB\r\n");
    TStringList lines;
    lines.Add(L"x");
    g.SetMultiItems(1, 1, &lines);
    EXPECT_EQ(g.Cells(1, 1), L"x\r\n");

    TssMultiLineAttribute* line0 = g.MultiLine(1, 1, 0);
    line0->SetAlignment(TAlignment::taRightJustify);
    EXPECT_FALSE(g.MultiLine(1, 1, 0)->DefaultAlignment());
    EXPECT_EQ(g.MultiLine(1, 1, 0)->Alignment(), TAlignment::taRightJustify);
    EXPECT_TRUE(g.MultiLine(1, 1, 1)->DefaultAlignment());
    EXPECT_TRUE(g.MultiLine(2, 1, 0)->DefaultAlignment());
    g.MultiLine(1, 1, 1)->SetDefaultAlignment(true);  // nothing to undo: no record is made
    EXPECT_EQ(g.MultiLine(1, 1, 1)->Alignment(), TAlignment::taLeftJustify);

    // Changing the handed-out font makes it the line's own; DefaultFont true drops it.
    g.MultiLine(1, 1, 1)->Font()->SetSize(20);
    EXPECT_FALSE(g.MultiLine(1, 1, 1)->DefaultFont());
    EXPECT_EQ(g.MultiLine(1, 1, 1)->Font()->Size(), 20);
    EXPECT_NE(g.CellFont(1, 1)->Size(), 20);
    g.MultiLine(1, 1, 1)->SetDefaultFont(true);
    EXPECT_TRUE(g.MultiLine(1, 1, 1)->DefaultFont());
    EXPECT_EQ(g.MultiLine(1, 1, 1)->Font()->Size(), g.CellFont(1, 1)->Size());
}

// Single lines sit 2 pixels above the cell's bottom, 3 pixels from the side they align to.
TEST(StringGridPaint, SingleLinesAlignAndSitOnTheBottom) {
    for (bool allBuffered : {false, true}) {
        SCOPED_TRACE(allBuffered ? "whole window buffered" : "framework buffer");
        StringGridOnForm f;
        TssStringGrid& g = *f.Grid;
        g.SetDoubleBufferAllDraw(allBuffered);
        g.SetColAlignment(1, TAlignment::taLeftJustify);
        g.SetColAlignment(2, TAlignment::taRightJustify);
        g.SetColAlignment(3, TAlignment::taCenter);
        g.SetFixedColAlignment(2, TAlignment::taCenter);  // the header row uses the fixed alignment
        for (int c = 1; c <= 3; ++c) g.SetCells(c, 2, L"HH");  // row 1 holds the selected cell
        g.SetCells(2, 0, L"HH");
        auto px = f.Capture();
        const int width = TextSize(*g.Font(), L"HH").cx;
        struct Case { int col, row; int left; } cases[] = {
            {1, 2, 3}, {2, 2, 80 - width - 3}, {3, 2, (80 - width) / 2}, {2, 0, (80 - width) / 2},
        };
        for (const Case& k : cases) {
            const RECT r = g.CellRect(k.col, k.row);
            auto [first, last] = InkColumns(px, r, Black);
            EXPECT_NEAR(first - r.left, k.left, 2) << k.col << "," << k.row;
            EXPECT_NEAR(last - r.left, k.left + width - 1, 2) << k.col << "," << k.row;
            auto rows = InkRows(px, r, Black);
            EXPECT_GT(rows.first, r.top + (r.bottom - r.top) / 2);  // in the lower half
            EXPECT_LE(rows.second, r.bottom - 2);
        }
    }
}

// Line 0 right-aligned in the cell's font, line 1 in its own large red font at the left.
TEST(StringGridPaint, MultiLineCellWithTwoFonts) {
    StringGridOnForm f;
    TssStringGrid& g = *f.Grid;
    g.SetDefaultRowHeight(60);
    g.SetCells(2, 2, L"HH\r\nHH");
    g.MultiLine(2, 2, 0)->SetAlignment(TAlignment::taRightJustify);
    TFont big;
    big.Assign(*g.Font());
    big.SetHeight(-18);
    big.SetColor(TColor(RGB(255, 0, 0)));
    g.MultiLine(2, 2, 1)->SetFont(&big);
    auto px = f.Capture();
    const RECT r = g.CellRect(2, 2);
    const int lineHeight = TextSize(*g.Font(), L"a").cy;
    const RECT line0{r.left, r.top, r.right, r.top + 3 + lineHeight};
    const RECT line1{r.left, r.top + 3 + lineHeight, r.right, r.bottom};
    auto black0 = InkColumns(px, line0, Black);
    EXPECT_GT(black0.first, r.left + 40);  // right half
    EXPECT_NEAR(black0.second, r.right - 3 - 1, 2);
    EXPECT_EQ(InkColumns(px, line0, Red).first, -1);
    auto red1 = InkColumns(px, line1, Red);
    EXPECT_NEAR(red1.first, r.left + 3, 2);
    auto redRows = InkRows(px, line1, Red);
    EXPECT_GT(redRows.second - redRows.first, lineHeight / 2 + 4);  // the larger font
    // The text starts 3 pixels below the top: nothing sits at the bottom as a single line would.
    EXPECT_LT(InkRows(px, line0, Black).first, r.top + 3 + lineHeight);

    // Without line ends the same cell is one bottom-aligned line.
    g.SetCells(2, 2, L"HH");
    px = f.Capture();
    EXPECT_GT(InkRows(px, r, Black).first, r.top + 30);
    // MultiLineEnabled draws it from the top.
    g.SetMultiLineEnabled(true);
    px = f.Capture();
    EXPECT_LT(InkRows(px, r, Black).first, r.top + 3 + lineHeight);
}
