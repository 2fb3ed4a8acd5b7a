// The grid driven by mouse and key messages on real windows, and its in-place editor.
#include <gtest/gtest.h>

#include <map>

#include "../controls/ControlsFixture.h"
// After the framework's Windows headers.
#include <imm.h>

#include "ssGrids.h"
#include "ssInplaceEdit.h"

using controls_test::ShownForm;
using testing_support::HeldKeys;

namespace {

class InputGrid : public TssDrawGrid {
public:
    using TssDrawGrid::TssDrawGrid;
    using TssCustomGrid::CalcDrawInfo;
    using TssCustomGrid::GridState;
};

// A grid of 10 x 10 cells whose texts live in a map, on a shown form.
struct Fixture {
    ShownForm Form{400, 300};
    InputGrid* Grid;
    std::map<std::pair<int, int>, String> Cells;
    int Writes = 0;

    explicit Fixture(TGridOptions options = DefaultGridOptions, int rows = 10, int cols = 10) {
        Grid = new InputGrid(Form.Form);
        Grid->SetParent(Form.Form);
        Grid->SetBounds(0, 0, 400, 300);
        Grid->SetColCount(cols);
        Grid->SetRowCount(rows);
        Grid->SetOptions(options);
        Grid->OnGetEditText = [this](TObject*, int c, int r, String& v) { v = Cells[{c, r}]; };
        Grid->OnSetEditText = [this](TObject*, int c, int r, const String& v) {
            Cells[{c, r}] = v;
            ++Writes;
        };
        Form.Form->Show();
        Grid->SetFocus();
        Application->ProcessMessages();
    }
    HWND H() { return Grid->Handle(); }
    void Press(int x, int y, WPARAM keys = MK_LBUTTON) { SendMessageW(H(), WM_LBUTTONDOWN, keys, MAKELPARAM(x, y)); }
    void Move(int x, int y) { SendMessageW(H(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, y)); }
    void Release(int x, int y) { SendMessageW(H(), WM_LBUTTONUP, 0, MAKELPARAM(x, y)); }
    void Key(HWND h, WORD key) { SendMessageW(h, WM_KEYDOWN, key, 0); }
    void Char(HWND h, wchar_t c) { SendMessageW(h, WM_CHAR, c, 0); }
    TssInplaceEdit* Editor() { return Grid->InplaceEditor(); }
    String& Cell(int c, int r) { return Cells[{c, r}]; }
};

constexpr TGridOptions Editing = DefaultGridOptions + TGridOptions{TGridOption::goEditing};

// ---- sizing and moving ----

TEST(SsGridMouse, SizingBandCapAndTheDataArea) {
    Fixture f(DefaultGridOptions + TGridOptions{TGridOption::goColSizing, TGridOption::goRowSizing});
    InputGrid& g = *f.Grid;
    // Column 1's right line is at 65 + 64 = 129; its band starts 3 pixels before it.
    f.Press(127, 10);
    EXPECT_EQ(g.GridState(), TGridState::gsColSizing);
    f.Move(200, 10);
    f.Release(200, 10);
    EXPECT_EQ(g.GridState(), TGridState::gsNormal);
    EXPECT_EQ(g.ColWidths(1), 200 + 2 - 65);

    RECT client = g.ClientRect();
    int cap = client.right - (64 + 1) - 1;
    f.Press(65 + 137 - 1, 10);
    f.Move(5000, 10);
    f.Release(5000, 10);
    EXPECT_EQ(g.ColWidths(1), cap);

    f.Press(65 + cap, 10);
    f.Move(66, 10);  // one pixel wide: refused
    f.Release(66, 10);
    EXPECT_EQ(g.ColWidths(1), cap);

    // Row sizing in the row header; the same band in the data area selects.
    f.Press(10, 25 + 24 - 1);
    EXPECT_EQ(g.GridState(), TGridState::gsRowSizing);
    f.Move(10, 60);
    f.Release(10, 60);
    EXPECT_EQ(g.RowHeights(1), 60 + 1 - 25);
    RECT below = g.CellRect(1, 2);
    f.Press(100, below.bottom - 2);
    EXPECT_EQ(g.GridState(), TGridState::gsSelecting);
    f.Release(100, below.bottom - 2);
    EXPECT_EQ(g.Row(), 2);
}

TEST(SsGridMouse, MovingAColumnAndARowTakesEverythingByIndexAlong) {
    Fixture f(DefaultGridOptions + TGridOptions{TGridOption::goColMoving, TGridOption::goRowMoving});
    InputGrid& g = *f.Grid;
    g.SetColWidths(1, 30);
    g.SetTabStops(1, false);
    g.SetCol(1);
    std::vector<std::pair<int, int>> moved;
    g.OnColumnMoved = [&](TObject*, int a, int b) { moved.push_back({a, b}); };
    g.OnRowMoved = [&](TObject*, int a, int b) { moved.push_back({a + 100, b + 100}); };
    RECT c1 = g.CellRect(1, 0), c3 = g.CellRect(3, 0);
    f.Press(c1.left + 5, 5);
    EXPECT_EQ(g.GridState(), TGridState::gsColMoving);
    f.Move(c3.left + 5, 60);  // dragged over the data cells; the timer tracks the header too
    f.Release(c3.left + 5, 60);
    EXPECT_EQ(g.ColWidths(3), 30);
    EXPECT_EQ(g.ColWidths(1), 64);
    EXPECT_FALSE(g.TabStops(3));
    EXPECT_EQ(g.Col(), 3);

    g.SetRow(2);
    RECT r2 = g.CellRect(0, 2), r5 = g.CellRect(0, 5);
    f.Press(5, r2.top + 5);
    f.Move(100, r5.top + 5);
    f.Release(100, r5.top + 5);
    EXPECT_EQ(g.Row(), 5);
    EXPECT_EQ(moved, (std::vector<std::pair<int, int>>{{1, 3}, {102, 105}}));
}

TEST(SsGridMouse, DraggingBelowTheGridScrollsTheSelectionOn) {
    Fixture f(DefaultGridOptions + TGridOptions{TGridOption::goRangeSelect}, 100, 5);
    InputGrid& g = *f.Grid;
    RECT cell = g.CellRect(1, 2);
    f.Press(cell.left + 5, cell.top + 5);
    EXPECT_EQ(g.GridState(), TGridState::gsSelecting);
    POINT below{cell.left + 5, g.ClientRect().bottom + 40};
    ClientToScreen(f.H(), &below);
    SetCursorPos(below.x, below.y);
    int visibleLast = g.CalcDrawInfo().Vert.LastFullCell;
    for (int i = 0; i < 20; ++i) SendMessageW(f.H(), WM_TIMER, 1, 0);
    EXPECT_GT(g.Row(), visibleLast);
    EXPECT_GT(g.TopRow(), 1);
    EXPECT_EQ(g.Selection().Top, 2);  // the anchor stayed
    f.Release(cell.left + 5, g.CellRect(1, g.Row()).top + 5);
    EXPECT_EQ(g.GridState(), TGridState::gsNormal);
}

TEST(SsGridMouse, LosingTheCaptureEndsTheDrag) {
    Fixture f(DefaultGridOptions + TGridOptions{TGridOption::goColSizing});
    InputGrid& g = *f.Grid;
    f.Press(127, 10);
    ASSERT_EQ(g.GridState(), TGridState::gsColSizing);
    ReleaseCapture();  // as another window taking the mouse does
    EXPECT_EQ(g.GridState(), TGridState::gsNormal);
    f.Release(200, 10);
    EXPECT_EQ(g.ColWidths(1), 64);
}

TEST(SsGridMouse, AFailingMouseDownHandlerIsShownAndTheDragEnds) {
    Fixture f(DefaultGridOptions + TGridOptions{TGridOption::goColMoving});
    InputGrid& g = *f.Grid;
    std::vector<String> shown;
    Application->OnException = [&](TObject*, std::exception_ptr e) {
        try {
            std::rethrow_exception(e);
        } catch (const Exception& ex) {
            shown.push_back(ex.Message());
        }
    };
    g.OnMouseDown = [](TObject*, TMouseButton, TShiftState, int, int) { throw Exception(L"handler failed"); };
    f.Press(g.CellRect(2, 0).left + 5, 5);
    Application->OnException = nullptr;
    EXPECT_EQ(shown, std::vector<String>{L"handler failed"});
    EXPECT_EQ(g.GridState(), TGridState::gsNormal);
}

// ---- the keyboard ----

TEST(SsGridKeys, TheKeyTable) {
    Fixture f(DefaultGridOptions, 30, 10);
    InputGrid& g = *f.Grid;
    g.SetTabStops(3, false);
    int page = g.CalcDrawInfo().Vert.LastFullCell - g.TopRow();
    struct Case {
        const char* what;
        TGridOptions options;
        TGridCoord start;
        WORD key;
        std::initializer_list<int> held;
        TGridCoord expected;
    } cases[] = {
        {"Down", DefaultGridOptions, {2, 2}, VK_DOWN, {}, {2, 3}},
        {"Right", DefaultGridOptions, {2, 2}, VK_RIGHT, {}, {3, 2}},
        {"Home", DefaultGridOptions, {5, 5}, VK_HOME, {}, {1, 5}},
        {"End", DefaultGridOptions, {5, 5}, VK_END, {}, {9, 5}},
        {"Ctrl+Home", DefaultGridOptions, {5, 5}, VK_HOME, {VK_CONTROL}, {1, 1}},
        {"Ctrl+End", DefaultGridOptions, {5, 5}, VK_END, {VK_CONTROL}, {9, 29}},
        {"Page Down", DefaultGridOptions, {2, 1}, VK_NEXT, {}, {2, 1 + page}},
        {"Tab wraps to the next row", DefaultGridOptions + TGridOptions{TGridOption::goTabs}, {9, 3}, VK_TAB, {}, {1, 4}},
        {"Tab from the last cell", DefaultGridOptions + TGridOptions{TGridOption::goTabs}, {9, 29}, VK_TAB, {}, {1, 1}},
        {"Shift+Tab wraps back", DefaultGridOptions + TGridOptions{TGridOption::goTabs}, {1, 3}, VK_TAB, {VK_SHIFT}, {9, 2}},
        {"Tab skips a column without a stop", DefaultGridOptions + TGridOptions{TGridOption::goTabs}, {2, 3}, VK_TAB, {}, {4, 3}},
        {"row select: Right is the next row", DefaultGridOptions + TGridOptions{TGridOption::goRowSelect}, {1, 3}, VK_RIGHT, {}, {1, 4}},
        {"row select: Ctrl+Home", DefaultGridOptions + TGridOptions{TGridOption::goRowSelect}, {1, 7}, VK_HOME, {VK_CONTROL}, {1, 1}},
        {"Up at the top stays", DefaultGridOptions, {3, 1}, VK_UP, {}, {3, 1}},
    };
    for (const Case& c : cases) {
        g.SetOptions(c.options);
        g.SetCol(c.start.X);
        g.SetRow(c.start.Y);
        HeldKeys held(c.held);
        f.Key(f.H(), c.key);
        EXPECT_EQ(g.Col(), c.expected.X) << c.what;
        EXPECT_EQ(g.Row(), c.expected.Y) << c.what;
    }
}

TEST(SsGridKeys, ShiftArrowsExtendARangeAndTheDialogCodesKeepTheKeys) {
    Fixture f(DefaultGridOptions + TGridOptions{TGridOption::goRangeSelect, TGridOption::goTabs});
    InputGrid& g = *f.Grid;
    {
        HeldKeys held({VK_SHIFT});
        f.Key(f.H(), VK_DOWN);
        f.Key(f.H(), VK_RIGHT);
    }
    EXPECT_EQ(g.Selection(), (TGridRect{1, 1, 2, 2}));
    LRESULT code = SendMessageW(f.H(), WM_GETDLGCODE, 0, 0);
    EXPECT_TRUE(code & DLGC_WANTARROWS);
    EXPECT_TRUE(code & DLGC_WANTTAB);
}

TEST(SsGridKeys, CtrlCCopiesTheSelectionAsTabSeparatedLines) {
    Fixture f(DefaultGridOptions + TGridOptions{TGridOption::goRangeSelect});
    for (int r = 1; r <= 3; ++r)
        for (int c = 1; c <= 2; ++c) f.Cell(c, r) = Format(L"%d-%d", {(long long)c, (long long)r});
    f.Grid->SetSelection({1, 1, 2, 3});
    {
        HeldKeys held({VK_CONTROL});
        f.Key(f.H(), 'C');
    }
    ASSERT_TRUE(OpenClipboard(nullptr));
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    String text = data ? static_cast<const wchar_t*>(GlobalLock(data)) : L"";
    if (data) GlobalUnlock(data);
    CloseClipboard();
    EXPECT_EQ(text, L"1-1\t2-1\r\n1-2\t2-2\r\n1-3\t2-3\r\n");
}

// ---- the in-place editor ----

TEST(SsGridEditor, AStripAtTheCellBottomInTheActiveColour) {
    Fixture f(Editing);
    InputGrid& g = *f.Grid;
    g.SetRowHeights(1, 20);
    g.Font()->SetHeight(-12);
    f.Key(f.H(), VK_F2);
    TssInplaceEdit* e = f.Editor();
    ASSERT_TRUE(e && e->Visible());
    RECT cell = g.CellRect(1, 1), w;
    GetWindowRect(e->Handle(), &w);
    MapWindowPoints(HWND_DESKTOP, f.H(), reinterpret_cast<POINT*>(&w), 2);
    EXPECT_EQ(w.left, cell.left + 2);
    EXPECT_EQ(w.right, cell.right - 2);
    EXPECT_EQ(w.bottom - w.top, 14);
    EXPECT_EQ(w.bottom, cell.bottom);
    EXPECT_EQ(GetFocus(), e->Handle());
    EXPECT_EQ(e->Color(), TColor(0x00AAFFFF));

    g.SetCellColor(1, 1, TColor(0x00FFCC99));
    SendMessageW(e->Handle(), EM_SETREADONLY, TRUE, 0);
    EXPECT_EQ(e->Color(), TColor(0x00FFCC99));
}

TEST(SsGridEditor, TypingEditsTheCellAndLoadingNeverWritesIt) {
    Fixture f(Editing);
    InputGrid& g = *f.Grid;
    f.Cell(1, 1) = L"old";
    f.Cell(1, 2) = L"two";
    f.Char(f.H(), L'n');  // opens the editor with the character
    Application->ProcessMessages();
    ASSERT_TRUE(f.Editor()->Visible());
    EXPECT_EQ(f.Cell(1, 1), L"n");
    f.Char(f.Editor()->Handle(), L'e');
    EXPECT_EQ(f.Cell(1, 1), L"ne") << testing_support::Utf8(f.Editor()->Text()) << f.Editor()->SelStart() << " " << f.Editor()->SelLength();
    // Down goes to the grid: the cell keeps what was typed, the editor closes and the grid
    // moves on.
    int writes = f.Writes;
    f.Key(f.Editor()->Handle(), VK_DOWN);
    EXPECT_EQ(g.Row(), 2);
    EXPECT_FALSE(g.EditorMode());
    EXPECT_FALSE(f.Editor()->Visible());
    EXPECT_EQ(f.Cell(1, 1), L"ne");
    EXPECT_EQ(f.Writes, writes + 1) << "stored once, on leaving";

    // Enter opens the editor on the new cell without writing it, and closes it again.
    f.Char(f.H(), L'\r');
    ASSERT_TRUE(f.Editor()->Visible());
    EXPECT_EQ(f.Editor()->Text(), L"two");
    EXPECT_EQ(f.Writes, writes + 1);
    f.Char(f.Editor()->Handle(), L'\r');
    EXPECT_FALSE(g.EditorMode());
    EXPECT_FALSE(f.Editor()->Visible());
    EXPECT_EQ(f.Cell(1, 2), L"two");
}

TEST(SsGridEditor, AlwaysShownEditorTogglesTheSelectionAndPassesArrowsAtItsEdges) {
    Fixture f(Editing + TGridOptions{TGridOption::goAlwaysShowEditor});
    InputGrid& g = *f.Grid;
    f.Cell(2, 1) = L"abc";
    g.SetCol(2);  // the editor follows and loads the cell
    TssInplaceEdit* e = f.Editor();
    ASSERT_TRUE(e->Visible());
    EXPECT_EQ(e->SelLength(), 3);
    f.Char(e->Handle(), L'\r');
    EXPECT_EQ(e->SelLength(), 0);
    f.Char(e->Handle(), L'\r');
    EXPECT_EQ(e->SelLength(), 3);
    e->SetSelStart(1);
    f.Key(e->Handle(), VK_RIGHT);  // inside the text: the caret moves
    EXPECT_EQ(g.Col(), 2);
    e->SetSelStart(3);
    f.Key(e->Handle(), VK_RIGHT);  // at the end: the next cell
    EXPECT_EQ(g.Col(), 3);
}

TEST(SsGridEditor, APressSoonAfterTheGridsIsADoubleClick) {
    Fixture f(Editing);
    InputGrid& g = *f.Grid;
    int doubles = 0;
    g.OnDblClick = [&](TObject*) { ++doubles; };
    RECT cell = g.CellRect(1, 1);
    f.Press(cell.left + 5, cell.top + 5);  // on the current cell: opens the editor
    f.Release(cell.left + 5, cell.top + 5);
    ASSERT_TRUE(f.Editor()->Visible());
    SendMessageW(f.Editor()->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    SendMessageW(f.Editor()->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    EXPECT_EQ(doubles, 1);
}

TEST(SsGridEditor, ACellThatCannotChangeRefusesEveryCharacter) {
    Fixture f(Editing);
    f.Cell(1, 1) = L"keep";
    class ReadOnlyGrid : public InputGrid {
    public:
        using InputGrid::InputGrid;

    protected:
        int GetEditLimit() override { return -1; }
    };
    auto* g = new ReadOnlyGrid(f.Form.Form);
    g->SetParent(f.Form.Form);
    g->SetBounds(0, 0, 300, 200);
    g->SetOptions(Editing);
    g->OnGetEditText = f.Grid->OnGetEditText;
    g->OnSetEditText = f.Grid->OnSetEditText;
    g->SetFocus();
    g->SetEditorMode(true);
    TssInplaceEdit* e = g->InplaceEditor();
    ASSERT_TRUE(e && e->Visible());
    for (wchar_t c : {L'x', L'\xFF21', L'\xFF76', L'\xFFE5', L'\b'}) f.Char(e->Handle(), c);
    SendMessageW(e->Handle(), WM_IME_CHAR, L'あ', 0);
    SendMessageW(e->Handle(), WM_PASTE, 0, 0);
    EXPECT_EQ(e->Text(), L"keep");
    EXPECT_EQ(f.Cell(1, 1), L"keep");
}

TEST(SsGridEditor, ACellTooLowForTheEditorKeepsTheFocusAndTheText) {
    Fixture f(Editing);
    InputGrid& g = *f.Grid;
    f.Cell(1, 1) = L"keep";
    g.SetRowHeights(1, 6);
    f.Char(f.H(), L'x');
    Application->ProcessMessages();
    ASSERT_TRUE(f.Editor());
    EXPECT_FALSE(f.Editor()->Visible());
    EXPECT_EQ(GetFocus(), f.H());
    EXPECT_EQ(f.Cell(1, 1), L"keep");
}

TEST(SsGridEditor, ACompositionStartedInTheGridOpensTheEditor) {
    Fixture f(Editing);
    // Wine runs no input method under the test display: the start message is sent as the system
    // would send it, and what is composed cannot be shown here.
    SendMessageW(f.H(), WM_IME_STARTCOMPOSITION, 0, 0);
    ASSERT_TRUE(f.Editor());
    EXPECT_TRUE(f.Editor()->Visible());
    EXPECT_EQ(GetFocus(), f.Editor()->Handle());
    // A character above 255 typed into the grid does not open it.
    f.Grid->SetEditorMode(false);
    f.Char(f.H(), L'あ');
    EXPECT_FALSE(f.Editor()->Visible());
}

}  // namespace
