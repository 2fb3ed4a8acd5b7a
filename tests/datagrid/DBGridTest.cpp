// The data grid on real windows: rows mapped to the buffer, scrolling, the scroll bar, the
// deferred relayout, options and the popup grid of nested datasets.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "DataGridFixture.h"
#include "Filer.h"
#include "ODBC.h"
#include "NestedTables.h"
#include "TestSupport.h"

using namespace datagrid_test;

namespace {

SCROLLINFO VerticalBar(TWinControl* c) {
    SCROLLINFO info{sizeof(SCROLLINFO), SIF_ALL};
    GetScrollInfo(c->Handle(), SB_VERT, &info);
    return info;
}

// Whether a relayout message waits in the grid's queue.
bool LayoutQueued(TWinControl* c) {
    MSG msg;
    return PeekMessageW(&msg, c->Handle(), WM_SSDBGRIDLAYOUT, WM_SSDBGRIDLAYOUT, PM_NOREMOVE);
}

}  // namespace

TEST(DBGridLayout, AnInactiveGridShowsItsTitlesAndOneEmptyRow) {
    GridOnForm g(20);
    g.Table->Close();
    Application->ProcessMessages();
    EXPECT_EQ(g.Grid->RowCount(), 2);
    EXPECT_EQ(g.Grid->FixedRows(), 1);
    EXPECT_EQ(g.Grid->Columns()->Count(), 1);
    EXPECT_EQ(g.Grid->ColCount(), 2);
}

TEST(DBGridLayout, RowsAreTheTitlesAndTheRecordsThatFit) {
    GridOnForm g(1000);
    int visible = g.Grid->VisibleRowCount();
    ASSERT_GT(visible, 2);
    EXPECT_EQ(g.DataRows(), visible);
    EXPECT_EQ(g.Grid->DataLink()->BufferCount(), visible);
    EXPECT_EQ(g.Grid->ColCount(), 3);  // the indicator and two fields
    EXPECT_EQ(g.Grid->Row(), 1);
    // Moving past the window scrolls it: the row count stays, the cursor's row follows.
    g.Table->MoveBy(visible + 4);
    EXPECT_EQ(g.DataRows(), visible);
    EXPECT_EQ(g.Grid->Row(), g.Grid->DataLink()->ActiveRecord() + 1);
    EXPECT_EQ(g.Grid->Row(), visible);
    g.Table->MoveBy(-2);
    EXPECT_EQ(g.Grid->Row(), visible - 2);
    // A smaller dataset shows only its records.
    GridOnForm few(2);
    EXPECT_EQ(few.DataRows(), 2);
}

TEST(DBGridLayout, AWindowShorterThanARowStillBuffersOneRecord) {
    GridOnForm g(50, 160);
    g.Grid->SetHeight(3);
    Application->ProcessMessages();
    EXPECT_EQ(g.Grid->DataLink()->BufferCount(), 1);
    EXPECT_EQ(g.DataRows(), 1);
}

TEST(DBGridScrollBar, SequencedDataSetsMapRecordNumbers) {
    GridOnForm g(1000);
    g.Grid->SetHeight(g.Grid->RowHeights(0) + 10 * (g.Grid->DefaultRowHeight() + 1) + 2);
    Application->ProcessMessages();
    ASSERT_EQ(g.Grid->VisibleRowCount(), 10);
    g.Table->SetRecNo(500);
    SCROLLINFO info = VerticalBar(g.Grid);
    EXPECT_EQ(info.nMin, 1);
    EXPECT_EQ(int(info.nPage), 10);
    EXPECT_EQ(info.nMax, 1000 + 10 - 1);
    EXPECT_EQ(info.nPos, 500);
}

TEST(DBGridScrollBar, UnsequencedDataSetsShowBeginningMiddleAndEnd) {
    GridOnForm g(1000);
    g.Table->SetSequenced(false);
    struct Case {
        const char* Name;
        std::function<void()> Move;
        int Pos;
    } cases[] = {{"first", [&] { g.Table->First(); g.Table->Prior(); }, 0},
                 {"middle", [&] { g.Table->MoveBy(300); }, 2},
                 {"last", [&] { g.Table->Last(); g.Table->Next(); }, 4}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        c.Move();
        SCROLLINFO info = VerticalBar(g.Grid);
        EXPECT_EQ(info.nMin, 0);
        EXPECT_EQ(info.nMax, 4);
        EXPECT_EQ(int(info.nPage), 0);
        EXPECT_EQ(info.nPos, c.Pos);
    }
}

TEST(DBGridScrollBar, ScrollCommandsMoveTheCursor) {
    GridOnForm g(1000);
    int visible = g.Grid->VisibleRowCount();
    HWND h = g.Grid->Handle();
    SendMessageW(h, WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(g.Table->RecNo(), visible + 1);  // one below the last row shown
    SendMessageW(h, WM_VSCROLL, SB_PAGEDOWN, 0);
    EXPECT_EQ(g.Table->RecNo(), 2 * visible + 1);
    SendMessageW(h, WM_VSCROLL, SB_BOTTOM, 0);
    EXPECT_EQ(g.Table->RecNo(), 1000);
    SendMessageW(h, WM_VSCROLL, SB_TOP, 0);
    EXPECT_EQ(g.Table->RecNo(), 1);
}

TEST(DBGridPixels, AOneRowScrollDrawsWhatAFullRepaintDraws) {
    GridOnForm g(100);
    g.Table->MoveBy(g.Grid->VisibleRowCount() - 1);  // the last row shown
    g.Form.Capture(g.Grid);
    g.Table->Next();  // scrolls the pixels by one row
    testing_support::ClientPixels scrolled = g.Form.Capture(g.Grid);
    g.Grid->Invalidate();
    testing_support::ClientPixels repainted = g.Form.Capture(g.Grid);
    ASSERT_EQ(scrolled.Data.size(), repainted.Data.size());
    EXPECT_TRUE(scrolled.Data == repainted.Data);
}

TEST(DBGridDeferredLayout, FieldsFreedWhileControlsAreDisabledRelayOutOnce) {
    GridOnForm g(10);
    Application->ProcessMessages();
    TField* id = g.Table->FieldByName(L"ID");
    TField* name = g.Table->FieldByName(L"Name");
    int before = g.Grid->Relayouts;
    g.Table->DisableControls();
    delete id;
    delete name;
    EXPECT_EQ(g.Grid->Relayouts, before);
    EXPECT_TRUE(LayoutQueued(g.Grid));
    Application->ProcessMessages();
    EXPECT_EQ(g.Grid->Relayouts, before + 1);
    g.Table->EnableControls();
}

TEST(DBGridDeferredLayout, AFieldFreedWithControlsEnabledRelaysOutAtOnce) {
    GridOnForm g(10);
    Application->ProcessMessages();
    int before = g.Grid->Relayouts;
    delete g.Table->FieldByName(L"ID");
    EXPECT_GT(g.Grid->Relayouts, before);
    EXPECT_EQ(g.Grid->Columns()->Count(), 1);
    EXPECT_EQ(g.Grid->Columns()->Items(0)->FieldName(), L"Name");
}

TEST(DBGridDeferredLayout, TheQueuedRelayoutWaitsForAnotherCallersBracket) {
    GridOnForm g(10);
    Application->ProcessMessages();
    int before = g.Grid->Relayouts;
    g.Grid->LayoutLock();  // another caller's bracket
    g.Grid->LayoutLock();
    g.Grid->QueueLayout();
    Application->ProcessMessages();
    // Neither ran, nor released the bracket, nor posted itself again.
    EXPECT_EQ(g.Grid->Relayouts, before);
    EXPECT_FALSE(LayoutQueued(g.Grid));
    EXPECT_FALSE(g.Grid->TryLayoutLock());
    g.Grid->LayoutUnlock();
    EXPECT_EQ(g.Grid->Relayouts, before + 1);
    EXPECT_TRUE(g.Grid->TryLayoutLock());
    g.Grid->CancelLayoutLock();
}

TEST(DBGridOptions, RowSelectDropsEditingAndMultiSelectKeepsTheSelection) {
    GridOnForm g(10);
    g.Grid->SetOptions(g.Grid->Options() + TDBGridOptions{TDBGridOption::dgRowSelect, TDBGridOption::dgAlwaysShowEditor,
                                                          TDBGridOption::dgMultiSelect});
    EXPECT_FALSE(g.Grid->Options().Contains(TDBGridOption::dgEditing));
    EXPECT_FALSE(g.Grid->Options().Contains(TDBGridOption::dgAlwaysShowEditor));
    g.Grid->SelectedRows()->SetCurrentRowSelected(true);
    ASSERT_EQ(g.Grid->SelectedRows()->Count(), 1);
    g.Grid->SetOptions(g.Grid->Options() - TDBGridOptions{TDBGridOption::dgMultiSelect});
    EXPECT_EQ(g.Grid->SelectedRows()->Count(), 0);
    // Without the indicator and the titles the layout changes.
    g.Grid->SetOptions(g.Grid->Options() - TDBGridOptions{TDBGridOption::dgIndicator, TDBGridOption::dgTitles});
    EXPECT_EQ(g.Grid->TitleOffset(), 0);
    EXPECT_EQ(g.Grid->ColCount(), 2);
    EXPECT_EQ(g.Grid->FixedRows(), 0);
}

TEST(DBGridNested, ANestedDataSetOpensItsPopupGridOnceWhoseCornerDragsItsWindow) {
    TFDMemTable master(nullptr);
    testing_support::CreateMasterWithLines(master);
    TDataSet* nested = testing_support::NestedLines(master);
    master.Append();
    master.FieldByName(L"ID")->SetAsInteger(1);
    master.Post();
    nested->Append();
    nested->FieldByName(L"Item")->SetAsString(L"item");
    nested->Post();
    master.Post();
    DataSetGrid view(&master);
    TssCustomDBGrid* grid = view.Grid;
    auto popups = [grid] {
        int n = 0;
        for (int i = 0; i < grid->ComponentCount(); ++i)
            if (auto* popup = dynamic_cast<TssCustomDBGrid*>(grid->Components(i))) {
                ++n;
                EXPECT_EQ(popup->DataSource()->DataSet(), dynamic_cast<TDataSetField*>(
                                                              grid->Columns()->Items(1)->Field())->NestedDataSet());
                EXPECT_EQ(popup->Columns()->Items(0)->FieldName(), L"Item");
            }
        return n;
    };
    grid->ShowPopupEditor(grid->Columns()->Items(1));
    Application->ProcessMessages();
    EXPECT_EQ(popups(), 1);
    grid->ShowPopupEditor(grid->Columns()->Items(1));
    EXPECT_EQ(popups(), 1);

    // The corner cell drags the floating window; a data cell does not.
    TssCustomDBGrid* popup = nullptr;
    for (int i = 0; i < grid->ComponentCount() && !popup; ++i)
        popup = dynamic_cast<TssCustomDBGrid*>(grid->Components(i));
    ASSERT_NE(popup, nullptr);
    auto* window = dynamic_cast<TCustomForm*>(popup->Parent());
    ASSERT_NE(window, nullptr);
    // Mouse messages at screen points, as the cursor's place over the window as it is now.
    auto mouse = [&](UINT message, WPARAM keys, POINT screen) {
        ScreenToClient(popup->Handle(), &screen);
        SendMessageW(popup->Handle(), message, keys, MAKELPARAM(screen.x, screen.y));
    };
    struct Case { int col, row; bool drags; };
    for (const Case& c : {Case{0, 0, true}, Case{1, 1, false}}) {
        RECT r = popup->CellRect(c.col, c.row);
        POINT start{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        ClientToScreen(popup->Handle(), &start);
        POINT from{window->Left(), window->Top()};
        mouse(WM_LBUTTONDOWN, MK_LBUTTON, start);
        mouse(WM_MOUSEMOVE, MK_LBUTTON, POINT{start.x + 10, start.y + 5});
        mouse(WM_MOUSEMOVE, MK_LBUTTON, POINT{start.x + 30, start.y + 20});
        mouse(WM_LBUTTONUP, 0, POINT{start.x + 30, start.y + 20});
        EXPECT_EQ(window->Left() - from.x, c.drags ? 30 : 0) << c.col;
        EXPECT_EQ(window->Top() - from.y, c.drags ? 20 : 0) << c.col;
    }
    // Closing the dataset frees it.
    master.Close();
    EXPECT_EQ(popups(), 0);
}

TEST(DBGridOdbc, AnSQLiteTableShowsThroughTheGrid) {
    // The driver is a host library under Wine: the database is named by a host path.
    const char* dir = std::getenv("ODBC_TEST_DIR");
    ASSERT_NE(dir, nullptr);
    TFDConnection db(nullptr);
    db.SetConnectionString(L"Driver={SQLite3};Database=" + String(dir, dir + std::strlen(dir)) + L"/datagrid.db");
    db.Open();
    db.ExecSQL(L"DROP TABLE IF EXISTS people");
    db.ExecSQL(L"CREATE TABLE people (id INTEGER PRIMARY KEY, name VARCHAR(40))");
    for (int i = 1; i <= 200; ++i)
        db.ExecSQL(L"INSERT INTO people VALUES (" + IntToStr(i) + L", 'p" + IntToStr(i) + L"')");
    TFDQuery query(nullptr);
    query.SetConnection(&db);
    query.SetSQL(L"SELECT id, name FROM people ORDER BY id");
    query.Open();

    DataSetGrid view(&query);
    TssCustomDBGrid* grid = view.Grid;
    int visible = grid->VisibleRowCount();
    EXPECT_EQ(grid->RowCount(), visible + 1);
    ASSERT_EQ(grid->Columns()->Count(), 2);
    EXPECT_EQ(grid->Columns()->Items(1)->Title()->Caption(), L"name");
    query.Last();
    EXPECT_EQ(grid->Row(), visible);
    EXPECT_EQ(grid->SelectedField()->DataSet(), &query);
    EXPECT_EQ(query.FieldByName(L"name")->AsString(), L"p200");

    // A forward-only result cannot be shown: the grid's link refuses it when it becomes active.
    TFDQuery forward(nullptr);
    forward.SetConnection(&db);
    forward.SetSQL(L"SELECT id, name FROM people");
    forward.SetUnidirectional(true);
    view.Source->SetDataSet(&forward);
    try {
        forward.Open();
        ADD_FAILURE() << "a unidirectional dataset was shown";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), L"指定の操作は単方向データセットでは許されません");
    }
    view.Source->SetDataSet(nullptr);
}

TEST(DBGridColumnMoves, MovingStepsPastHiddenColumnsAndAsksTheHooks) {
    GridOnForm g(5);
    g.Grid->Columns()->SetState(TDBGridColumnsState::csCustomized);
    g.Grid->Columns()->Add()->SetFieldName(L"ID");
    g.Grid->Columns()->Items(1)->SetVisible(false);
    std::vector<std::string> log;
    g.Grid->OnColExit = [&](TObject*) { log.push_back("exit " + std::to_string(g.Grid->SelectedIndex())); };
    g.Grid->OnColEnter = [&](TObject*) { log.push_back("enter " + std::to_string(g.Grid->SelectedIndex())); };
    ASSERT_EQ(g.Grid->SelectedIndex(), 0);
    g.Grid->MoveToColumn(2, 1);
    EXPECT_EQ(g.Grid->SelectedIndex(), 2);
    EXPECT_EQ(log, (std::vector<std::string>{"exit 0", "enter 2"}));
    // The field's focus request picks its column.
    g.Table->FieldByName(L"ID")->FocusControl();
    EXPECT_EQ(g.Grid->SelectedIndex(), 2);
    g.Grid->SetSelectedField(g.Table->FieldByName(L"Name"));
    EXPECT_EQ(g.Grid->SelectedIndex(), 1);
}

TEST(DBGridStreaming, ACustomisedColumnSetGoesWithTheGrid) {
    GridOnForm g(5);
    TssColumn* column = g.Grid->Columns()->Add();
    column->SetFieldName(L"Name");
    column->SetColor(clOlive);
    TMemoryStream stream;
    WriteComponentStream(stream, g.Grid);
    TssVirtualDBGrid copy(nullptr);
    stream.SetPosition(0);
    ReadComponentStream(stream, &copy);
    ASSERT_EQ(copy.Columns()->Count(), 1);
    EXPECT_EQ(copy.Columns()->Items(0)->FieldName(), L"Name");
    EXPECT_EQ(copy.Columns()->Items(0)->Color(), clOlive);
    EXPECT_EQ(copy.Columns()->State(), TDBGridColumnsState::csCustomized);
    // The grid's own columns are not written.
    GridOnForm plain(5);
    TMemoryStream plainStream;
    WriteComponentStream(plainStream, plain.Grid);
    TssVirtualDBGrid plainCopy(nullptr);
    plainStream.SetPosition(0);
    ReadComponentStream(plainStream, &plainCopy);
    EXPECT_EQ(plainCopy.Columns()->State(), TDBGridColumnsState::csDefault);
}

namespace {
void CALLBACK CloseMenu(HWND, UINT, UINT_PTR, DWORD) { EndMenu(); }
}  // namespace

TEST(DBGridPopupMenus, ARightClickOnADataCellShowsItsColumnsMenuWhileItLives) {
    GridOnForm g(5);
    auto* menu = new TPopupMenu(g.Form.Form);
    menu->Add(L"名前の操作");
    g.Grid->Columns()->Items(1)->SetPopupMenu(menu);
    auto rightClick = [&](int col, int row) {
        std::vector<String> seen;
        testing_support::WindowProbe probe(L"#32768", [&](HWND menuWnd) {
            HMENU m = HMENU(SendMessageW(menuWnd, MN_GETHMENU, 0, 0));
            wchar_t text[64]{};
            GetMenuStringW(m, 0, text, 64, MF_BYPOSITION);
            seen.push_back(text);
            EndMenu();
        });
        // Should the probe miss the menu, it still closes.
        UINT_PTR guard = SetTimer(nullptr, 0, 5000, CloseMenu);
        RECT cell = g.Grid->CellRect(col, row);
        SendMessageW(g.Grid->Handle(), WM_RBUTTONUP, 0, MAKELPARAM(cell.left + 3, cell.top + 3));
        KillTimer(nullptr, guard);
        return seen;
    };
    EXPECT_EQ(rightClick(2, 2), (std::vector<String>{L"名前の操作"}));
    EXPECT_TRUE(rightClick(1, 2).empty());  // a column without a menu
    // A menu freed elsewhere leaves its column, and the click shows nothing.
    delete menu;
    EXPECT_EQ(g.Grid->Columns()->Items(1)->PopupMenu(), nullptr);
    EXPECT_TRUE(rightClick(2, 2).empty());
}

TEST(DBGridInputMethod, EnteringAColumnAppliesItsInputMode) {
    if (PRIMARYLANGID(GetSystemDefaultLangID()) != LANG_JAPANESE) GTEST_SKIP() << "an East Asian system only";
    GridOnForm g(5);
    g.Grid->Columns()->Items(1)->SetImeMode(TImeMode::imOpen);
    g.Grid->Columns()->Items(0)->SetImeMode(TImeMode::imClose);
    auto opened = [&] {
        HIMC context = ImmGetContext(g.Grid->Handle());
        bool open = context && ImmGetOpenStatus(context);
        if (context) ImmReleaseContext(g.Grid->Handle(), context);
        return open;
    };
    g.Grid->SetSelectedIndex(1);
    EXPECT_TRUE(opened());
    g.Grid->SetSelectedIndex(0);
    EXPECT_FALSE(opened());
}
