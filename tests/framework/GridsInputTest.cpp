// The grid base driven by mouse and key messages: sizing and moving columns, auto-scroll, the
// editor, a virtual view of 10,000,000 rows, and errors in handlers.
#include <gtest/gtest.h>

#include "GridsFixture.h"

using namespace grids_test;
using testing_support::HeldKeys;

namespace {

void Press(HWND h, WORD Key) {
    SendMessageW(h, WM_KEYDOWN, Key, 0);
    SendMessageW(h, WM_KEYUP, Key, 0);
}

LPARAM At(int X, int Y) { return MAKELPARAM(X, Y); }

// A pixel as the window shows it now, without repainting it first.
COLORREF ShownPixel(HWND h, int X, int Y) {
    HDC dc = GetDC(h);
    COLORREF c = GetPixel(dc, X, Y);
    ReleaseDC(h, dc);
    return c;
}

TEST(GridsInput, AColumnIsSizedByDraggingItsTitleLineWhichFollowsTheMouse) {
    GridOnForm f;
    f.Grid->SetOptions(f.Grid->Options() + TGridOptions{TGridOption::goColSizing});
    HWND h = f.Grid->Handle();
    f.Capture();
    f.Grid->Log.clear();
    SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, At(82, 10));  // just right of column 1's line at 81
    EXPECT_EQ(f.Grid->GridState(), TGridState::gsColSizing);
    SendMessageW(h, WM_MOUSEMOVE, MK_LBUTTON, At(102, 10));
    // The XOR line stands where the mouse is, over the whole height.
    EXPECT_TRUE(controls_test::Dark(ShownPixel(h, 101, 100)));
    EXPECT_FALSE(controls_test::Dark(ShownPixel(h, 95, 100)));
    SendMessageW(h, WM_LBUTTONUP, 0, At(102, 10));
    EXPECT_EQ(f.Grid->GridState(), TGridState::gsNormal);
    EXPECT_EQ(f.Grid->ColWidths(1), 60);
    EXPECT_EQ(f.Grid->Log, std::vector<String>{L"widths"});
    EXPECT_FALSE(controls_test::Dark(ShownPixel(h, 101, 100)));  // the line is gone
}

TEST(GridsInput, AColumnIsMovedByDraggingItsTitleThroughTheDragHooks) {
    GridOnForm f;
    f.Grid->SetOptions(f.Grid->Options() + TGridOptions{TGridOption::goColMoving});
    f.Grid->SetColWidths(1, 50);
    f.Grid->Log.clear();
    HWND h = f.Grid->Handle();
    SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, At(60, 10));  // title of column 1
    EXPECT_EQ(f.Grid->GridState(), TGridState::gsColMoving);
    SendMessageW(h, WM_MOUSEMOVE, MK_LBUTTON, At(150, 10));  // over column 3 (starts at 133)
    SendMessageW(h, WM_LBUTTONUP, 0, At(150, 10));
    EXPECT_EQ(f.Grid->Log, (std::vector<String>{L"begin 1", L"check 3", L"end 1>3", L"moved 1>3"}));
    EXPECT_EQ(f.Grid->ColWidths(3), 50);  // the width went with the column
    EXPECT_EQ(f.Grid->ColWidths(1), 40);
}

TEST(GridsInput, DraggingBelowTheLastVisibleRowScrollsByTheTimer) {
    GridOnForm f;
    f.Grid->SetRowCount(50);
    HWND h = f.Grid->Handle();
    SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, At(60, 30));  // cell (1, 1)
    SendMessageW(h, WM_MOUSEMOVE, MK_LBUTTON, At(60, 400));   // below the window
    EXPECT_TRUE(testing_support::PumpUntil([&] { return f.Grid->TopRow() > 3; }, 5000));
    SendMessageW(h, WM_LBUTTONUP, 0, At(60, 400));
    TGridRect sel = f.Grid->Selection();
    EXPECT_EQ(sel.Top, 1);  // the range runs from where the drag started
    EXPECT_EQ(sel.Bottom, f.Grid->Row());
    EXPECT_GT(f.Grid->Row(), 7);
}

TEST(GridsInput, TheEditorOpensOnF2AndOnTypingAndWritesThroughTheHooks) {
    GridOnForm f;
    f.Grid->SetRowCount(50);
    f.Grid->SetOptions(f.Grid->Options() + TGridOptions{TGridOption::goEditing});
    f.Grid->SetFocus();
    HWND h = f.Grid->Handle();
    Press(h, VK_F2);
    TInplaceEdit* ed = f.Grid->InplaceEditor();
    ASSERT_NE(ed, nullptr);
    EXPECT_TRUE(f.Grid->EditorMode());
    EXPECT_TRUE(ed->Shown());
    EXPECT_EQ(ed->Text(), L"1:1");
    RECT cell = f.Grid->CellRect(1, 1), placed = ed->BoundsRect();
    EXPECT_TRUE(EqualRect(&cell, &placed));
    SendMessageW(ed->Handle(), WM_CHAR, L'x', 0);
    Press(ed->Handle(), VK_RETURN);
    EXPECT_FALSE(ed->Shown());
    EXPECT_EQ((f.Grid->Texts[{1, 1}]), L"1:1x");

    // A typed character opens the editor on the current cell with that character.
    Press(h, VK_DOWN);
    SendMessageW(h, WM_CHAR, L'z', 0);
    EXPECT_TRUE(ed->Shown());
    EXPECT_EQ(ed->Text(), L"z");
    RECT second = f.Grid->CellRect(1, 2);
    placed = ed->BoundsRect();
    EXPECT_TRUE(EqualRect(&second, &placed));

    // The editor goes when its cell scrolls out of view and comes back with it.
    f.Grid->SetTopRow(20);
    EXPECT_FALSE(ed->Shown());
    EXPECT_TRUE(f.Grid->EditorMode());
    f.Grid->SetTopRow(1);
    EXPECT_TRUE(ed->Shown());
    EXPECT_EQ(ed->Text(), L"z");

    // Esc closes it and gives the cell its text back.
    Press(ed->Handle(), VK_ESCAPE);
    EXPECT_FALSE(ed->Shown());
    EXPECT_EQ((f.Grid->Texts[{1, 2}]), L"1:2");

    // Whether the cell may change is asked when a key would change it, not when the editor opens.
    f.Grid->ReadOnly = true;
    f.Grid->ModifyAsked = 0;
    Press(h, VK_F2);
    EXPECT_EQ(f.Grid->ModifyAsked, 0);
    SendMessageW(ed->Handle(), WM_CHAR, L'q', 0);
    EXPECT_GT(f.Grid->ModifyAsked, 0);
    EXPECT_EQ(ed->Text(), L"1:2");
}

TEST(GridsInput, KeysMoveTheCurrentCellAndTabFollowsTheTabStops) {
    GridOnForm f;
    f.Grid->SetRowCount(30);
    f.Grid->SetColWidths(3, -1);  // hidden
    f.Grid->SetOptions(f.Grid->Options() + TGridOptions{TGridOption::goTabs});
    f.Grid->SetTabStops(2, false);
    HWND h = f.Grid->Handle();
    const struct {
        WORD Key;
        std::initializer_list<int> Held;
        int Col, Row;
    } steps[] = {
        {VK_RIGHT, {}, 2, 1},      {VK_RIGHT, {}, 4, 1} /* over the hidden column */,
        {VK_DOWN, {}, 4, 2},       {VK_HOME, {}, 1, 2},
        {VK_END, {VK_CONTROL}, 1, 29}, {VK_HOME, {VK_CONTROL}, 1, 1},
        {VK_TAB, {}, 4, 1} /* past the column without a tab stop and the hidden one */,
        {VK_TAB, {}, 1, 2} /* wraps to the next row */,
        {VK_TAB, {VK_SHIFT}, 4, 1},
    };
    for (const auto& s : steps) {
        HeldKeys held(s.Held);
        Press(h, s.Key);
        EXPECT_EQ(f.Grid->Col(), s.Col) << "key " << s.Key;
        EXPECT_EQ(f.Grid->Row(), s.Row) << "key " << s.Key;
    }
    Press(h, VK_NEXT);
    int page = f.Grid->VisibleRowCount();
    EXPECT_EQ(f.Grid->Row(), 1 + page);
    {
        HeldKeys held({VK_SHIFT});
        Press(h, VK_DOWN);
    }
    TGridRect sel = f.Grid->Selection();
    EXPECT_EQ(sel.Top, 1 + page);
    EXPECT_EQ(sel.Bottom, 2 + page);
}

TEST(GridsInput, AVirtualViewOfTenMillionRowsScrollsByKeysThumbAndWheel) {
    GridOnForm f;
    f.Grid->SetVirtualView(true);
    f.Grid->SetScrollBars(TScrollStyle::ssVertical);
    f.Grid->SetOptions(f.Grid->Options() + TGridOptions{TGridOption::goThumbTracking});
    f.Grid->SetRowCount(10'000'000);
    HWND h = f.Grid->Handle();
    int lo = 0, hi = 0;
    f.Grid->ScrollRange(SB_VERT, lo, hi);
    EXPECT_EQ(hi, 32767);  // positions are scaled into a 16-bit range
    {
        HeldKeys held({VK_CONTROL});
        Press(h, VK_END);
    }
    EXPECT_EQ(f.Grid->Row(), 9'999'999);
    EXPECT_EQ(f.Grid->TopRow(), 9'999'999 - f.Grid->VisibleRowCount() + 1);
    EXPECT_EQ(f.Grid->ScrollPos(SB_VERT), 32767);
    Application->ProcessMessages();
    f.Grid->Drawn = 0;
    testing_support::CaptureClient(h);  // one full repaint
    // Only what shows is drawn.
    EXPECT_LE(f.Grid->Drawn, 5 * (f.Grid->VisibleRowCount() + 2));
    Press(h, VK_PRIOR);
    EXPECT_EQ(f.Grid->Row(), 9'999'999 - f.Grid->VisibleRowCount());

    SendMessageW(h, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 16384), 0);
    EXPECT_NEAR(f.Grid->TopRow(), 5'000'000, 1000);
    SendMessageW(h, WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), 0);
    int top = f.Grid->TopRow();
    SendMessageW(h, WM_VSCROLL, MAKEWPARAM(SB_LINEUP, 0), 0);
    EXPECT_EQ(f.Grid->TopRow(), top - 1);
    SendMessageW(h, WM_VSCROLL, MAKEWPARAM(SB_TOP, 0), 0);
    EXPECT_EQ(f.Grid->TopRow(), 1);

    // The wheel moves the current cell a row per notch.
    f.Grid->MoveColRow(1, 1, true, true);
    SendMessageW(h, WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(-2 * WHEEL_DELTA)), MAKELPARAM(10, 10));
    EXPECT_EQ(f.Grid->Row(), 3);

    // Nothing to scroll: the bar goes and the thumb changes nothing.
    f.Grid->SetRowCount(2);
    f.Grid->ScrollRange(SB_VERT, lo, hi);
    EXPECT_EQ(hi, 0);
    SendMessageW(h, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 5), 0);
    EXPECT_EQ(f.Grid->TopRow(), 1);
}

// A grid that refuses cells by raising an error.
class TRefusingGrid : public TTestGrid {
public:
    using TTestGrid::TTestGrid;

protected:
    bool SelectCell(int ACol, int ARow) override {
        if (ARow == 2) throw EInvalidGridOperation(L"refused");
        return true;
    }
};

TEST(GridsInput, AnErrorInAHookIsShownThroughTheApplicationNotSwallowed) {
    controls_test::ShownForm form;
    auto* grid = new TRefusingGrid(form.Form);
    grid->SetParent(form.Form);
    form.Capture();
    String shown;
    Application->OnException = [&](TObject*, std::exception_ptr e) {
        try {
            std::rethrow_exception(e);
        } catch (const Exception& x) {
            shown = x.Message();
        }
    };
    Press(grid->Handle(), VK_DOWN);
    Application->OnException = nullptr;
    EXPECT_EQ(shown, L"refused");
    EXPECT_EQ(grid->Row(), 1);
}

}  // namespace
