// The data grid's input on real windows: the key table, deleting selected rows behind the
// confirmation, the mouse on cells, editing that posts when the row changes or is refused, the
// copy and the wheel, and an edit reaching an SQLite database.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "Clipbrd.h"
#include "DataGridFixture.h"
#include "ODBC.h"
#include "TestSupport.h"

using namespace datagrid_test;

namespace {

struct Key {
    WORD Code;
    bool Shift = false;
    bool Ctrl = false;
};

// Sends a key to the editor when it is shown, else to the grid, with Shift and Ctrl held as told.
void Press(TssCustomDBGrid* grid, Key k) {
    BYTE state[256], old[256];
    GetKeyboardState(old);
    std::memcpy(state, old, sizeof state);
    state[VK_SHIFT] = k.Shift ? 0x80 : 0;
    state[VK_CONTROL] = k.Ctrl ? 0x80 : 0;
    SetKeyboardState(state);
    TInplaceEdit* editor = grid->InplaceEditor();
    HWND target = editor && editor->Shown() ? editor->Handle() : grid->Handle();
    SendMessageW(target, WM_KEYDOWN, k.Code, 0);
    SetKeyboardState(old);
    Application->ProcessMessages();
}

void Click(TssCustomDBGrid* grid, int col, int row, WPARAM keys = 0) {
    RECT cell = grid->CellRect(col, row);
    LPARAM at = MAKELPARAM(cell.left + 3, cell.top + 3);
    SendMessageW(grid->Handle(), WM_LBUTTONDOWN, MK_LBUTTON | keys, at);
    SendMessageW(grid->Handle(), WM_LBUTTONUP, keys, at);
    Application->ProcessMessages();
}

bool EditorShown(TssCustomDBGrid* grid) { return grid->InplaceEditor() && grid->InplaceEditor()->Shown(); }

void SelectRecords(GridOnForm& g, std::initializer_list<int> recNos) {
    g.Grid->SetOptions(g.Grid->Options() + TDBGridOptions{TDBGridOption::dgMultiSelect});
    for (int n : recNos) {
        g.Table->SetRecNo(n);
        g.Grid->SelectedRows()->SetCurrentRowSelected(true);
    }
    g.Table->First();
}

String Ids(TDataSet* ds) {
    String ids;
    ds->First();
    for (; !ds->Eof(); ds->Next()) ids += ds->FieldByName(L"ID")->AsString() + L" ";
    return ids;
}

}  // namespace

TEST(DBGridKeys, KeyTable) {
    constexpr WORD Down = VK_DOWN, Up = VK_UP;
    struct Case {
        const char* Name;
        int StartRecNo, StartCol;
        bool MultiSelect;
        std::vector<Key> Keys;
        int RecNo, Col;  // RecNo 0: not checked
        TDataSetState State;
        int Selected;
    } cases[] = {
        {"down", 1, 1, false, {{Down}}, 2, 1, TDataSetState::dsBrowse, 0},
        {"ctrl+end", 1, 1, false, {{VK_END, false, true}}, 20, 1, TDataSetState::dsBrowse, 0},
        {"ctrl+home", 5, 1, false, {{VK_HOME, false, true}}, 1, 1, TDataSetState::dsBrowse, 0},
        {"end: last column", 1, 1, false, {{VK_END}}, 1, 2, TDataSetState::dsBrowse, 0},
        {"ctrl+left: first column", 1, 2, false, {{VK_LEFT, false, true}}, 1, 1, TDataSetState::dsBrowse, 0},
        {"tab wraps to the next row", 1, 2, false, {{VK_TAB}}, 2, 1, TDataSetState::dsBrowse, 0},
        {"shift+tab wraps back", 2, 1, false, {{VK_TAB, true}}, 1, 2, TDataSetState::dsBrowse, 0},
        {"insert", 3, 1, false, {{VK_INSERT}}, 0, 1, TDataSetState::dsInsert, 0},
        {"esc cancels the insert", 3, 1, false, {{VK_INSERT}, {VK_ESCAPE}}, 3, 1, TDataSetState::dsBrowse, 0},
        {"down on the last record appends", 20, 1, false, {{Down}}, 0, 1, TDataSetState::dsInsert, 0},
        {"up cancels the unchanged append", 20, 1, false, {{Down}, {Up}}, 20, 1, TDataSetState::dsBrowse, 0},
        {"shift+down twice selects three", 1, 1, true, {{Down, true}, {Down, true}}, 3, 1, TDataSetState::dsBrowse, 3},
        {"shift+up back unselects", 1, 1, true, {{Down, true}, {Down, true}, {Up, true}}, 2, 1,
         TDataSetState::dsBrowse, 2},
        {"a plain move clears", 1, 1, true, {{Down, true}, {Down}}, 3, 1, TDataSetState::dsBrowse, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        GridOnForm g(20);
        if (c.MultiSelect) g.Grid->SetOptions(g.Grid->Options() + TDBGridOptions{TDBGridOption::dgMultiSelect});
        g.Form.Capture();
        g.Grid->SetFocus();
        g.Table->SetRecNo(c.StartRecNo);
        g.Grid->SetSelectedIndex(c.StartCol - 1);
        for (const Key& k : c.Keys) Press(g.Grid, k);
        if (c.RecNo) {
            EXPECT_EQ(g.Table->RecNo(), c.RecNo);
        }
        EXPECT_EQ(g.Grid->Col(), c.Col);
        EXPECT_EQ(g.Table->State(), c.State);
        EXPECT_EQ(g.Grid->SelectedRows()->Count(), c.Selected);
        if (c.State == TDataSetState::dsBrowse) {
            EXPECT_EQ(g.Table->RecordCount(), 20);
        }
    }
}

TEST(DBGridKeys, CtrlDeleteAsksAndDeletesTheSelectedRows) {
    struct Case {
        const char* Name;
        std::initializer_list<int> Selected;
        int Answer;
        String Question, IdsLeft;
    } cases[] = {
        {"three selected, OK", {2, 4, 6}, IDOK, L"選択されたレコードをすべて削除してよいですか？", L"1 3 5 "},
        {"the current one, cancelled", {}, IDCANCEL, L"レコードを削除しますか？", L"1 2 3 4 5 6 "},
        {"the current one, OK", {}, IDOK, L"レコードを削除しますか？", L"2 3 4 5 6 "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        GridOnForm g(6);
        SelectRecords(g, c.Selected);
        g.Form.Capture();
        g.Grid->SetFocus();
        testing_support::DialogAnswerer answerer([&](const String&) { return c.Answer; });
        Press(g.Grid, {VK_DELETE, false, true});
        EXPECT_EQ(answerer.Texts(), std::vector<String>{c.Question});
        EXPECT_EQ(Ids(g.Table.get()), c.IdsLeft);
    }
}

TEST(DBGridMouse, ClickingTheCurrentCellOpensTheEditorAnotherMovesThere) {
    GridOnForm g(10);
    g.Form.Capture();
    Click(g.Grid, 2, 3);
    EXPECT_EQ(g.Table->RecNo(), 3);
    EXPECT_EQ(g.Grid->Col(), 2);
    EXPECT_FALSE(EditorShown(g.Grid));
    Click(g.Grid, 2, 3);
    ASSERT_TRUE(EditorShown(g.Grid));
    EXPECT_EQ(g.Grid->InplaceEditor()->Text(), L"r3");
    // A click on a title raises the title click with its column.
    TssColumn* clicked = nullptr;
    g.Grid->OnTitleClick = [&](TssColumn* column) { clicked = column; };
    Click(g.Grid, 1, 0);
    EXPECT_EQ(clicked, g.Grid->Columns()->Items(0));
}

TEST(DBGridEditing, ChangingRowsPostsTheEdit) {
    GridOnForm g(10);
    g.Form.Capture();
    Click(g.Grid, 2, 1);
    Click(g.Grid, 2, 1);
    ASSERT_TRUE(EditorShown(g.Grid));
    for (wchar_t ch : String(L"xy")) SendMessageW(g.Grid->InplaceEditor()->Handle(), WM_CHAR, ch, 0);
    EXPECT_EQ(g.Table->State(), TDataSetState::dsEdit);
    Press(g.Grid, {VK_DOWN});
    EXPECT_EQ(g.Table->State(), TDataSetState::dsBrowse);
    EXPECT_EQ(g.Table->RecNo(), 2);
    g.Table->First();
    EXPECT_EQ(g.Table->FieldByName(L"Name")->AsString(), L"xy");
}

TEST(DBGridEditing, ARefusedValueKeepsTheEditorAndTheText) {
    struct Case {
        const char* Name;
        int Col;
        String Text;
    } cases[] = {
        {"text in a number field", 1, L"12x"},
        {"nothing in a required field", 1, L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        GridOnForm g(10);
        g.Table->FieldByName(L"ID")->SetRequired(true);
        g.Form.Capture();
        Click(g.Grid, c.Col, 1);
        if (!EditorShown(g.Grid)) Click(g.Grid, c.Col, 1);
        ASSERT_TRUE(EditorShown(g.Grid));
        // Pasted: a number field takes no letters from the keyboard.
        Clipboard()->SetAsText(c.Text);
        HWND editor = g.Grid->InplaceEditor()->Handle();
        SendMessageW(editor, EM_SETSEL, 0, -1);
        SendMessageW(editor, c.Text.empty() ? WM_CLEAR : WM_PASTE, 0, 0);
        testing_support::DialogAnswerer answerer([](const String&) { return IDOK; });
        Press(g.Grid, {VK_DOWN});
        EXPECT_EQ(answerer.Texts().size(), 1u);
        EXPECT_TRUE(EditorShown(g.Grid));
        EXPECT_EQ(g.Grid->InplaceEditor()->Text(), c.Text);
        EXPECT_EQ(g.Table->State(), TDataSetState::dsEdit);
        EXPECT_EQ(g.Table->RecNo(), 1);
    }
}

TEST(DBGridKeys, CtrlCCopiesTheSelectedRowsAndTheWheelMovesRecords) {
    GridOnForm g(10);
    SelectRecords(g, {2, 3});
    g.Form.Capture();
    g.Grid->SetFocus();
    Press(g.Grid, {'C', false, true});
    EXPECT_EQ(Clipboard()->AsText(), L"2\tr2\r\n3\tr3\r\n");
    EXPECT_EQ(g.Table->RecNo(), 1);
    g.Grid->SelectedRows()->Clear();
    g.Grid->SetSelectedIndex(1);
    Press(g.Grid, {'C', false, true});
    EXPECT_EQ(Clipboard()->AsText(), L"r1");

    SendMessageW(g.Grid->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(-2 * WHEEL_DELTA)), MAKELPARAM(10, 30));
    EXPECT_EQ(g.Table->RecNo(), 3);
    SendMessageW(g.Grid->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), MAKELPARAM(10, 30));
    EXPECT_EQ(g.Table->RecNo(), 2);
}

TEST(DBGridOdbc, AnEditThroughTheGridReachesSQLiteAndARefusedPostStaysInEdit) {
    const char* dir = std::getenv("ODBC_TEST_DIR");
    ASSERT_NE(dir, nullptr);
    String connection = L"Driver={SQLite3};Database=" + String(dir, dir + std::strlen(dir)) + L"/datagrid_edit.db";
    TFDConnection db(nullptr), other(nullptr);
    db.SetConnectionString(connection);
    other.SetConnectionString(connection);
    db.Open();
    db.ExecSQL(L"DROP TABLE IF EXISTS people");
    db.ExecSQL(L"CREATE TABLE people (id INTEGER PRIMARY KEY, name VARCHAR(40) UNIQUE)");
    db.ExecSQL(L"INSERT INTO people (id, name) VALUES (1, 'p1'), (2, 'p2'), (3, 'p3')");
    TFDTable table(nullptr);
    table.SetConnection(&db);
    table.SetTableName(L"people");
    table.Open();
    DataSetGrid g(&table);
    g.Form.Capture();
    g.Grid->SetFocus();
    auto editRow = [&](int recNo, const String& text) {
        table.SetRecNo(recNo);
        g.Grid->SetSelectedIndex(1);
        Press(g.Grid, {VK_F2});
        ASSERT_TRUE(EditorShown(g.Grid));
        SendMessageW(g.Grid->InplaceEditor()->Handle(), EM_SETSEL, 0, -1);
        for (wchar_t ch : text) SendMessageW(g.Grid->InplaceEditor()->Handle(), WM_CHAR, ch, 0);
        Press(g.Grid, {VK_DOWN});
    };
    editRow(2, L"二番");
    EXPECT_EQ(table.State(), TDataSetState::dsBrowse);
    other.Open();
    TFDQuery query(nullptr);
    query.SetConnection(&other);
    query.SetSQL(L"SELECT name FROM people WHERE id = 2");
    query.Open();
    EXPECT_EQ(query.Fields()[0]->AsString(), L"二番");
    query.Close();

    // The database refuses a second "p1": the error shows once, the row stays in edit.
    testing_support::DialogAnswerer answerer([](const String&) { return IDOK; });
    editRow(3, L"p1");
    EXPECT_EQ(answerer.Texts().size(), 1u);
    EXPECT_EQ(table.State(), TDataSetState::dsEdit);
    EXPECT_EQ(table.RecNo(), 3);
    EXPECT_EQ(g.Grid->InplaceEditor()->Text(), L"p1");
    Press(g.Grid, {VK_ESCAPE});
    Press(g.Grid, {VK_ESCAPE});
    EXPECT_EQ(table.State(), TDataSetState::dsBrowse);
    EXPECT_EQ(table.FieldByName(L"name")->AsString(), L"p3");
}
