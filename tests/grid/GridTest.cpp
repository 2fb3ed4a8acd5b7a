// The grid's attributes, layout, scrolling, current cell and focus, on real windows.
#include <gtest/gtest.h>

#include "../controls/ControlsFixture.h"
// After the framework's Windows headers.
#include <imm.h>

#include "StdCtrls.h"
#include "ssGrids.h"

using controls_test::ShownForm;

namespace {

constexpr TColor clRed = 0x0000FF, clBlue = 0xFF0000;

// The drawing grid with its protected operations opened for the tests.
class TestGrid : public TssDrawGrid {
public:
    using TssDrawGrid::TssDrawGrid;
    using TssCustomGrid::AdjustAxis;
    using TssCustomGrid::CalcDrawInfo;
    using TssCustomGrid::SetCurrentCell;
    using TssDrawGrid::RowMoved;
    int ColOffset() const { return FColOffset; }
    int RowStoreCount() { return RowInfo().Count(); }
    int CellStoreRows() { return CellInfo().RowCount(); }
    bool CellLinesFlag() const { return FisCellLineSetting; }
};

std::string Message(const std::function<void()>& f) {
    try {
        f();
    } catch (const EInvalidGridOperation& e) {
        return testing_support::Utf8(e.Message());
    }
    return "no error";
}

// ---- attributes ----

TEST(SsGridAttributes, CascadeAndSettersThatStoreOnlyDeviations) {
    TestGrid g(nullptr);
    EXPECT_EQ(g.CellColor(0, 0), g.FixedColor());
    EXPECT_EQ(g.CellColor(1, 1), g.Color());
    for (int c = 0; c < g.ColCount(); ++c) EXPECT_EQ(g.ColImeMode(c), TImeMode::imDontCare);

    g.SetCellColor(2, 2, g.Color());
    EXPECT_EQ(g.CellColor(2, 2), g.Color());
    g.SetColColor(2, clRed);
    EXPECT_EQ(g.CellColor(2, 0), g.FixedColor()) << "the header cell keeps the fixed colour";
    EXPECT_EQ(g.CellColor(2, 1), clRed);
    g.SetRowColor(3, clBlue);
    EXPECT_EQ(g.CellColor(2, 3), clRed) << "a column colour wins over a row colour";
    EXPECT_EQ(g.CellColor(3, 3), clBlue);
    g.SetCellColor(2, 3, clRed);  // what it inherits: stored as unset
    g.SetColColor(2, g.Color());
    EXPECT_EQ(g.CellColor(2, 3), clBlue);

    TFont f;
    f.Assign(*g.Font());
    g.SetColFont(1, &f);
    EXPECT_FALSE(g.IsSetColFont(1));
    f.SetStyle({TFontStyle::fsBold});
    g.SetColFont(1, &f);
    EXPECT_TRUE(g.IsSetColFont(1));
    g.SetCellFont(1, 2, &f);  // the same as its column's
    EXPECT_FALSE(g.IsSetCellFont(1, 2));

    g.SetColCount(4);
    TPen p;
    p.SetWidth(3);
    g.SetColLine(4, &p);
    EXPECT_EQ(g.ColLine(4)->Width(), 1) << "past the last column nothing is stored";
    g.SetColLine(3, &p);
    EXPECT_EQ(g.ColLine(3)->Width(), 3);
}

TEST(SsGridAttributes, NegativeIndicesAreOutsideTheStores) {
    TestGrid g(nullptr);
    EXPECT_THROW(g.ColAlignment(-1), EListError);
    EXPECT_THROW(g.SetFixedColAlignment(5, TAlignment::taCenter), EListError);
    g.SetColColor(-5, clRed);
    g.SetCellColor(-1, -1, clRed);
    g.SetRowFont(-2, g.Font());
    EXPECT_EQ(g.ColColor(-5), g.FixedColor());
    EXPECT_EQ(g.CellColor(-1, -1), g.FixedColor());
    EXPECT_FALSE(g.IsSetRowFont(-2));
    EXPECT_EQ(g.ColImeMode(-3), TImeMode::imDontCare);
}

TEST(SsGridAttributes, ScratchObjectsWriteBackToTheIndexTheyWereReadFor) {
    TestGrid g(nullptr);
    TFont* f = g.ColFont(3);
    g.ColColor(1);  // moves the column store's cursor
    f->SetStyle({TFontStyle::fsItalic});
    EXPECT_TRUE(g.IsSetColFont(3));
    EXPECT_FALSE(g.IsSetColFont(1));

    TPen* row = g.RowLine(2);
    g.RowColor(4);
    row->SetWidth(3);
    EXPECT_EQ(g.RowLine(2)->Width(), 3);
    EXPECT_EQ(g.RowLine(4)->Width(), 1);

    // A cell line handed out stays alive across other reads and writes back to its own cell.
    TssCellLine* held = g.CellOuterLine(1, 1);
    g.CellOuterLine(2, 2);
    g.CellInnerLine(3, 3);
    ASSERT_NE(held->BottomLine(), nullptr);
    held->BottomLine()->SetColor(clRed);
    EXPECT_TRUE(g.IsSetCellLine(1, 1));
    EXPECT_FALSE(g.IsSetCellLine(2, 2));
    EXPECT_EQ(g.CellOuterLine(1, 1)->BottomLine()->Color(), clRed);
    EXPECT_EQ(g.CellOuterLine(1, 1), g.CellOuterLine(1, 1)) << "one object per cell, however often read";
}

TEST(SsGridAttributes, CellLinesFillTheirDefaultsAndEmptyLinesChangeNothing) {
    TestGrid g(nullptr);
    TPen thick;
    thick.SetWidth(3);
    g.SetRowLine(0, &thick);
    TssCellLine bottomOnly(nullptr);
    TPen red;
    red.SetColor(clRed);
    bottomOnly.SetBottomLine(&red);
    g.SetCellOuterLine(2, 1, &bottomOnly);
    TssCellLine* l = g.CellOuterLine(2, 1);
    ASSERT_TRUE(l->UpperLine() && l->LeftLine() && l->RightLine());
    EXPECT_EQ(l->UpperLine()->Width(), 3) << "above: the line of the row before";
    EXPECT_EQ(l->BottomLine()->Color(), clRed);
    EXPECT_EQ(l->LeftLine()->Width(), 1);

    TssCellLine empty(nullptr);
    g.SetCellOuterLine(2, 1, &empty);
    EXPECT_EQ(g.CellOuterLine(2, 1)->BottomLine()->Color(), clRed);
    EXPECT_TRUE(g.IsSetCellLine(2, 1));
}

// The flag that some cell has lines follows the setters without scanning the cells.
TEST(SsGridAttributes, TheCellLineFlagFollowsTheSetters) {
    TestGrid g(nullptr);
    g.SetColCount(4);
    g.SetRowCount(4);
    TssCellLine empty(nullptr), right(nullptr);
    TPen pen;
    right.SetRightLine(&pen);
    g.SetCellOuterLine(1, 3, &empty);
    EXPECT_FALSE(g.CellLinesFlag()) << "a line without sides stores nothing";
    g.SetCellOuterLine(1, 3, &right);
    EXPECT_TRUE(g.CellLinesFlag());
    g.SetCellInnerLine(1, 3, &right);
    g.SetRowCount(3);  // drops the cell with its lines
    g.SetCellOuterLine(0, 0, &empty);
    EXPECT_FALSE(g.CellLinesFlag());
    g.SetCellInnerLine(2, 2, &right);
    g.SetColCount(2);
    g.SetCellOuterLine(0, 0, &empty);
    EXPECT_FALSE(g.CellLinesFlag()) << "dropped with its column";
}

TEST(SsGridAttributes, MovesAndCountsKeepAttributesWithTheirCells) {
    TestGrid g(nullptr);
    g.SetRowCount(6);
    g.SetCellColor(2, 1, clRed);
    g.SetRowColor(1, clBlue);
    TssCellLine* l = g.CellOuterLine(2, 1);
    l->RightLine()->SetWidth(2);
    g.RowMoved(1, 3);
    EXPECT_EQ(g.CellColor(2, 3), clRed) << "cell colours move with the row";
    EXPECT_EQ(g.RowColor(1), clBlue) << "row colours stay with the index";

    g.SetColColor(4, clRed);
    g.SetColCount(3);
    g.SetColCount(5);
    EXPECT_EQ(g.ColColor(4), g.Color()) << "re-added columns have default attributes";
}

TEST(SsGridAttributes, FixedColorFollowsIntoFixedCellsThatHadIt) {
    TestGrid g(nullptr);
    g.SetColColor(2, clRed);  // stores the fixed colour in cell (2, 0)
    g.SetFixedColor(clBlue);
    EXPECT_EQ(g.CellColor(2, 0), clBlue);
    EXPECT_EQ(g.CellColor(0, 3), clBlue);
}

// ---- size changes ----

TEST(SsGridSize, CountsFixedCountsAndExtents) {
    TestGrid g(nullptr);
    g.SetColCount(0);
    EXPECT_EQ(g.ColCount(), 1);
    EXPECT_EQ(g.FixedCols(), 0);

    EXPECT_EQ(Message([&] { g.SetFixedRows(g.RowCount()); }), "固定行の数は行数より小さくなければなりません");
    EXPECT_EQ(g.FixedRows(), 1);
    EXPECT_EQ(Message([&] { g.SetFixedCols(1); }), "固定列の数は列数より小さくなければなりません");
    EXPECT_EQ(Message([&] { g.SetFixedCols(-1); }), "グリッドインデックス が範囲を超えています");

    g.SetColCount(5);
    EXPECT_EQ(g.ColWidths(7), g.DefaultColWidth());
    EXPECT_EQ(Message([&] { g.SetColWidths(7, 10); }), "グリッドインデックス が範囲を超えています");
    EXPECT_EQ(Message([&] { g.SetRowHeights(-1, 10); }), "グリッドインデックス が範囲を超えています");
    g.SetColWidths(4, 99);
    g.SetColCount(6);
    EXPECT_EQ(g.ColWidths(4), 99);
    EXPECT_EQ(g.ColWidths(5), g.DefaultColWidth());

    // Refused before anything changed, without an extent array too.
    EXPECT_EQ(Message([&] { g.SetRowCount(200000000); }), "グリッドが大きすぎます");
    EXPECT_EQ(g.RowCount(), 5);
    EXPECT_EQ(g.RowStoreCount(), 5);
    g.SetRowCount(1000000);
    EXPECT_EQ(g.CellStoreRows(), 1000000);
}

// What the grid's stream could not hold back is refused before anything changes; 0 hides.
TEST(SsGridSize, ExtentsOutsideWhatTheStreamHoldsAreRefused) {
    struct Case { bool rows; int value; const char* error; };
    const Case cases[] = {
        {false, -1, "列の幅 -1 が 0..32767 の範囲にありません"},
        {false, 32768, "列の幅 32768 が 0..32767 の範囲にありません"},
        {true, -24, "行の高さ -24 が 0..32767 の範囲にありません"},
        {false, 0, "no error"},
        {true, 32767, "no error"},
    };
    for (const Case& c : cases) {
        TestGrid fresh(nullptr);
        auto set = [&] { c.rows ? fresh.SetRowHeights(2, c.value) : fresh.SetColWidths(2, c.value); };
        EXPECT_EQ(Message(set), c.error) << c.value;
        const bool refused = std::string(c.error) != "no error";
        EXPECT_EQ(c.rows ? fresh.HasRowHeights() : fresh.HasColWidths(), !refused) << c.value;
        EXPECT_EQ(c.rows ? fresh.RowHeights(2) : fresh.ColWidths(2),
                  refused ? (c.rows ? fresh.DefaultRowHeight() : fresh.DefaultColWidth()) : c.value);
    }
}

TEST(SsGridSize, AFailingResizeRollsBack) {
    TestGrid g(nullptr);
    g.SetRowCount(10);
    g.SetCurrentCell(1, 9, true, false);
    g.OnEnterCell() = [](TObject*, int, int) { throw Exception(L"refused"); };
    EXPECT_THROW(g.SetRowCount(5), Exception);
    EXPECT_EQ(g.RowCount(), 10);
    EXPECT_EQ(g.RowStoreCount(), 10);
    EXPECT_EQ(g.CellStoreRows(), 10);
    EXPECT_EQ(g.Row(), 9);
}

TEST(SsGridSize, AShrinkLeavesACellThatNoLongerExistsWithoutAsking) {
    TestGrid g(nullptr);
    g.SetRowCount(10);
    g.SetCurrentCell(1, 9, true, false);
    g.OnEnterCell() = [](TObject*, int, int) {};  // ends the first entry
    g.SetCurrentCell(1, 8, true, false);
    g.OnExitCell() = [](TObject*, int, int, bool& can) { can = false; };
    g.OnSelectCell = [](TObject*, int, int, bool& can) { can = false; };
    g.SetRowCount(5);
    EXPECT_EQ(g.Row(), 4);
}

TEST(SsGridSize, AdjustAxisKeepsTheExtentsAfterTheChange) {
    TestGrid g(nullptr);
    g.SetRowCount(6);
    g.SetRowHeights(4, 40);
    g.AdjustAxis(2, 2, true);
    EXPECT_EQ(g.RowCount(), 8);
    EXPECT_EQ(g.RowHeights(6), 40);
    EXPECT_EQ(g.RowHeights(2), g.DefaultRowHeight());
    EXPECT_EQ(Message([&] { g.AdjustAxis(9, -9, true); }), "削除する行または列が多すぎます");
}

// ---- current cell ----

TEST(SsGridCurrentCell, ExitRefusalEnterEventsAndChecks) {
    TestGrid g(nullptr);
    std::vector<std::pair<int, int>> entered;
    g.OnEnterCell() = [&](TObject*, int c, int r) { entered.push_back({c, r}); };
    bool refuse = true;
    int asked = 0;
    g.OnExitCell() = [&](TObject*, int, int, bool& can) {
        ++asked;
        can = !refuse;
    };
    g.SetCurrentCell(2, 2, true, false);  // the first entry asks no exit
    EXPECT_EQ(asked, 0);
    g.SetCurrentCell(3, 3, true, false);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(g.Col(), 2);
    EXPECT_EQ(g.Row(), 2);
    // Without a handler nothing refuses any more.
    g.OnExitCell() = nullptr;
    g.SetCurrentCell(3, 3, true, false);
    EXPECT_EQ(g.Col(), 3);
    EXPECT_EQ(entered, (std::vector<std::pair<int, int>>{{2, 2}, {3, 3}}));

    EXPECT_EQ(Message([&] { g.SetCurrentCell(5, 1, true, false); }), "グリッドインデックス が範囲を超えています");
    EXPECT_EQ(Message([&] { g.SetSelection({1, 1, 9, 2}); }), "グリッドインデックス が範囲を超えています");
    EXPECT_EQ(Message([&] { g.SetSelection({-1, 1, 2, 2}); }), "グリッドインデックス が範囲を超えています");
    g.SetSelection({1, 1, 2, 3});
    EXPECT_EQ(g.Selection(), (TGridRect{1, 1, 2, 3}));
    EXPECT_EQ(entered.size(), 2u) << "writing the selection runs no events";
}

TEST(SsGridCurrentCell, RowSelectKeepsTheColumnsAndSkipsEventsWithinARow) {
    TestGrid g(nullptr);
    g.SetOptions(g.Options() + TGridOptions{TGridOption::goRowSelect});
    int events = 0;
    g.OnEnterCell() = [&](TObject*, int, int) { ++events; };
    g.SetCurrentCell(1, 2, true, false);
    g.OnExitCell() = [&](TObject*, int, int, bool&) { ++events; };
    events = 0;
    g.SetCurrentCell(3, 2, true, false);
    EXPECT_EQ(events, 0);
    EXPECT_EQ(g.Col(), g.FixedCols());
    EXPECT_EQ(g.Selection(), (TGridRect{1, 2, 4, 2}));
}

// ---- scrolling, on a shown window ----

struct ShownGrid {
    ShownForm Form{400, 300};
    TestGrid* Grid;
    explicit ShownGrid(int rows = 1000000, int cols = 50) {
        Grid = new TestGrid(Form.Form);
        Grid->SetParent(Form.Form);
        Grid->SetBounds(0, 0, 400, 300);
        Grid->SetColCount(cols);
        Grid->SetRowCount(rows);
        Form.Form->Show();
        Application->ProcessMessages();
    }
    void Scroll(int bar, int code, int pos = 0) {
        SendMessageW(Grid->Handle(), bar == SB_VERT ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(code, pos), 0);
    }
};

TEST(SsGridScrolling, EveryScrollCommandOfTheRows) {
    ShownGrid s;
    TestGrid& g = *s.Grid;
    auto m = g.CalcDrawInfo();
    int visible = m.Vert.LastFullCell - g.TopRow() + 1;
    struct Case {
        int code, pos, from, expected;
    };
    const int last = g.RowCount() - 1;
    s.Scroll(SB_VERT, SB_BOTTOM);
    const int most = g.TopRow();
    EXPECT_EQ(g.CalcDrawInfo().Vert.LastFullCell, last) << "the bottom shows the last row whole";
    for (Case c : {Case{SB_LINEDOWN, 0, 1, 2}, Case{SB_LINEUP, 0, 5, 4}, Case{SB_LINEUP, 0, 1, 1},
                   Case{SB_PAGEDOWN, 0, 1, 1 + visible - 1}, Case{SB_PAGEUP, 0, 100, 100 - (visible - 1)},
                   Case{SB_TOP, 0, 500, 1}, Case{SB_BOTTOM, 0, 1, most}, Case{SB_THUMBPOSITION, 127, 1, most},
                   Case{SB_THUMBPOSITION, 0, 500, 1}, Case{SB_THUMBTRACK, 127, 1, 1}, Case{SB_LINEDOWN, 0, most, most}}) {
        g.SetTopRow(c.from);
        s.Scroll(SB_VERT, c.code, c.pos);
        EXPECT_EQ(g.TopRow(), c.expected) << "code " << c.code << " from " << c.from;
    }
    g.SetOptions(g.Options() + TGridOptions{TGridOption::goThumbTracking});
    g.SetTopRow(1);
    s.Scroll(SB_VERT, SB_THUMBTRACK, 127);
    EXPECT_EQ(g.TopRow(), most);
    EXPECT_EQ(GetScrollPos(g.Handle(), SB_VERT), 127);
    g.SetTopRow(1);
    EXPECT_EQ(GetScrollPos(g.Handle(), SB_VERT), 0);
}

TEST(SsGridScrolling, NothingToScrollHidesTheBarsAndKeepsTheThumbAtZero) {
    ShownGrid s(3, 3);
    int lo = 0, hi = 0;
    GetScrollRange(s.Grid->Handle(), SB_VERT, &lo, &hi);
    EXPECT_EQ(hi, 0);
    s.Scroll(SB_VERT, SB_BOTTOM);
    EXPECT_EQ(s.Grid->TopRow(), 1);
    EXPECT_EQ(GetScrollPos(s.Grid->Handle(), SB_VERT), 0);
}

TEST(SsGridScrolling, TheWheelScrollsWithABarAndMovesTheRowWithout) {
    ShownGrid s(10, 3);
    TestGrid& g = *s.Grid;
    auto wheel = [&](int delta) {
        POINT p{10, 10};
        ClientToScreen(g.Handle(), &p);
        SendMessageW(g.Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, delta), MAKELPARAM(p.x, p.y));
    };
    g.SetRowCount(1000);
    wheel(-120);
    EXPECT_EQ(g.TopRow(), 2);
    wheel(120);
    EXPECT_EQ(g.TopRow(), 1);

    g.SetScrollBars(TScrollStyle::ssNone);
    g.SetRowCount(4);
    for (int i = 0; i < 5; ++i) wheel(-120);
    EXPECT_EQ(g.Row(), 3);
    for (int i = 0; i < 5; ++i) wheel(120);
    EXPECT_EQ(g.Row(), g.FixedRows());
}

TEST(SsGridScrolling, ASingleWideColumnScrollsInPixels) {
    ShownGrid s(5, 1);
    TestGrid& g = *s.Grid;
    g.SetColWidths(0, 2000);
    HDC dc = GetDC(g.Handle());
    HGDIOBJ old = SelectObject(dc, g.Font()->Handle());
    SIZE zero{};
    GetTextExtentPoint32W(dc, L"0", 1, &zero);
    SelectObject(dc, old);
    ReleaseDC(g.Handle(), dc);
    s.Scroll(SB_HORZ, SB_LINEDOWN);
    EXPECT_EQ(g.ColOffset(), zero.cx);
    EXPECT_EQ(GetScrollPos(g.Handle(), SB_HORZ), zero.cx);
    s.Scroll(SB_HORZ, SB_BOTTOM);
    RECT cr;
    GetClientRect(g.Handle(), &cr);
    EXPECT_EQ(g.ColOffset(), 2000 - cr.right);
    s.Scroll(SB_HORZ, SB_TOP);
    EXPECT_EQ(g.ColOffset(), 0);
}

TEST(SsGridScrolling, SelectionRightOfTheViewScrollsItsLeftColumnIn) {
    ShownGrid s(10, 40);
    TestGrid& g = *s.Grid;
    g.SetSelection({30, 2, 31, 3});
    EXPECT_EQ(g.LeftCol(), 30);
    g.SetSelection({0, 2, 1, 2});
    EXPECT_EQ(g.LeftCol(), g.FixedCols());
}

// ---- focus ----

TEST(SsGridFocus, KeyboardFocusEntersTheCellAndARefusedExitKeepsTheFocus) {
    ShownGrid s(10, 5);
    TestGrid& g = *s.Grid;
    auto* other = new TButton(s.Form.Form);
    other->SetParent(s.Form.Form);
    other->SetBounds(0, 0, 10, 10);
    std::vector<std::pair<int, int>> entered;
    g.OnEnterCell() = [&](TObject*, int c, int r) { entered.push_back({c, r}); };
    other->SetFocus();
    g.SetFocus();
    Application->ProcessMessages();
    EXPECT_EQ(entered, (std::vector<std::pair<int, int>>{{1, 1}}));

    g.OnExitCell() = [](TObject*, int, int, bool& can) { can = false; };
    other->SetFocus();
    Application->ProcessMessages();
    EXPECT_EQ(GetFocus(), g.Handle()) << "the grid takes the focus back";
    EXPECT_EQ(entered.size(), 1u);

    g.OnExitCell() = nullptr;
    other->SetFocus();
    Application->ProcessMessages();
    EXPECT_EQ(GetFocus(), other->Handle());
}

TEST(SsGridFocus, TheCurrentColumnsImeModeReachesTheWindow) {
    ShownGrid s(10, 5);
    TestGrid& g = *s.Grid;
    g.SetColImeMode(2, TImeMode::imHira);
    g.SetFocus();
    g.SetCol(2);
    HIMC imc = ImmGetContext(g.Handle());
    if (!imc) GTEST_SKIP() << "no input context for the window under this system";
    DWORD conversion = 0, sentence = 0;
    ImmGetConversionStatus(imc, &conversion, &sentence);
    EXPECT_TRUE(ImmGetOpenStatus(imc));
    EXPECT_EQ(conversion & (IME_CMODE_NATIVE | IME_CMODE_FULLSHAPE), DWORD(IME_CMODE_NATIVE | IME_CMODE_FULLSHAPE));
    ImmReleaseContext(g.Handle(), imc);
}

}  // namespace
