// The smooth-scrolling data grid on shown forms: which datasets scroll smoothly, the bar over the
// whole dataset, the thumb jump, paging, line pens and the database datasets.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <string>

#include "DataGridFixture.h"
#include "ODBC.h"
#include "ssDBGrid.h"

#include <imm.h>  // after the framework, which includes windows.h

using namespace datagrid_test;

namespace fake {
// Family datasets answering the database datasets' class names.
class TFDQuery : public TFDDataSet {
    SS_CLASS(TFDQuery, TFDDataSet)
public:
    using TFDDataSet::TFDDataSet;
};
class TFDTable : public TFDDataSet {
    SS_CLASS(TFDTable, TFDDataSet)
public:
    using TFDDataSet::TFDDataSet;
};
class TFDQueryEx : public TFDDataSet {
    SS_CLASS(TFDQueryEx, TFDDataSet)
public:
    using TFDDataSet::TFDDataSet;
};
// A memory table that cannot tell its record numbers.
class TFDMemTable : public ::TFDMemTable {
    SS_CLASS(TFDMemTable, ::TFDMemTable)
public:
    using ::TFDMemTable::TFDMemTable;
    int RecNo() const override { return -1; }
};
}  // namespace fake

namespace {

template <class T>
std::unique_ptr<TDataSet> Filled(int count, bool sequenced = true, TFDFetchMode mode = TFDFetchMode::fmAll) {
    auto t = std::make_unique<T>(nullptr);
    t->FieldDefs().Add(L"ID", TFieldType::ftInteger);
    t->CreateDataSet();
    for (int i = 1; i <= count; ++i) {
        t->Append();
        t->FieldByName(L"ID")->SetAsInteger(i);
        t->Post();
    }
    t->SetSequenced(sequenced);
    t->FetchOptions()->SetMode(mode);
    t->First();
    return t;
}

// A smooth grid filling a shown form.
struct SmoothGrid {
    controls_test::ShownForm Form;
    TDataSource* Source;
    TssDBGrid* Grid;
    SmoothGrid(TDataSet* DataSet, int height = 200, int width = 300)
        : Form(width, height), Source(new TDataSource(Form.Form)), Grid(new TssDBGrid(Form.Form)) {
        Grid->SetParent(Form.Form);
        Grid->SetBorderStyle(TBorderStyle::bsNone);
        Grid->SetBounds(0, 0, width, height);
        Form.Capture();
        Source->SetDataSet(DataSet);
        Grid->SetDataSource(Source);
        Form.Capture();
        Grid->SetFocus();
    }
    ~SmoothGrid() { Grid->SetDataSource(nullptr); }
    SCROLLINFO Bar() const {
        SCROLLINFO info{sizeof(SCROLLINFO), SIF_ALL};
        GetScrollInfo(Grid->Handle(), SB_VERT, &info);
        return info;
    }
    void Scroll(int Code, int Pos = 0) { SendMessageW(Grid->Handle(), WM_VSCROLL, MAKEWPARAM(Code, Pos), 0); }
    void Key(WORD Key) { SendMessageW(Grid->Handle(), WM_KEYDOWN, Key, 0); }
};

TEST(DBGridSmooth, EligibilityFollowsClassNameFetchModeAndRecordNumbers) {
    struct Case {
        const char* Name;
        std::unique_ptr<TDataSet> (*Make)();
        bool Smooth;
    };
    const Case cases[] = {
        {"memory table", [] { return Filled<TFDMemTable>(30); }, true},
        {"unsequenced memory table", [] { return Filled<TFDMemTable>(30, false); }, true},
        {"query fetching all", [] { return Filled<fake::TFDQuery>(30); }, true},
        {"query fetching on demand", [] { return Filled<fake::TFDQuery>(30, true, TFDFetchMode::fmOnDemand); }, false},
        {"table fetching by hand", [] { return Filled<fake::TFDTable>(30, true, TFDFetchMode::fmManual); }, false},
        {"other class name", [] { return Filled<fake::TFDQueryEx>(30); }, false},
        {"record number unknown", [] { return Filled<fake::TFDMemTable>(30); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        auto ds = c.Make();
        SmoothGrid g(ds.get());
        EXPECT_EQ(g.Grid->SmoothScroll(), c.Smooth);
        // Not while the dataset is open.
        g.Grid->SetSmoothScroll(!c.Smooth);
        EXPECT_EQ(g.Grid->SmoothScroll(), c.Smooth);
    }
}

TEST(DBGridSmooth, TheBarSpansTheDatasetAndNeverPassesItsRecords) {
    auto ds = Filled<TFDMemTable>(1000);
    SmoothGrid g(ds.get());
    int page = g.Grid->VisibleRowCount();
    ASSERT_GT(page, 3);
    EXPECT_EQ(g.Bar().nMax, 1000 + page - 1);
    EXPECT_EQ(int(g.Bar().nPage), page);
    ds->Last();
    EXPECT_EQ(g.Bar().nPos, 1000);
    EXPECT_EQ(g.Grid->TopAbsoluteRow(), 1000 - page + 1);
    // Deleting the last records leaves the row store as it was; the bar and the last page follow
    // the records.
    for (int i = 0; i < 5; ++i) ds->Delete();
    ds->Last();
    EXPECT_EQ(g.Bar().nMax, 995 + page - 1);
    EXPECT_EQ(g.Bar().nPos, 995);
    EXPECT_EQ(g.Grid->TopAbsoluteRow(), 995 - page + 1);
    EXPECT_EQ(g.Grid->CurrentRecordNumber(), 995);
}

TEST(DBGridSmooth, FiltersAndInsertsKeepTheBarOnTheRecords) {
    auto ds = Filled<TFDMemTable>(100);
    SmoothGrid g(ds.get());
    int page = g.Grid->VisibleRowCount();
    ds->MoveBy(10);
    ds->SetOnFilterRecord([](TDataSet* d, bool& accept) { accept = d->FieldByName(L"ID")->AsInteger() % 2 == 0; });
    ds->SetFiltered(true);
    EXPECT_EQ(g.Bar().nMax, 50 + page - 1);
    ds->Last();
    EXPECT_EQ(g.Grid->CurrentRecordNumber(), 50);
    ds->SetFiltered(false);
    ds->First();
    EXPECT_EQ(g.Bar().nMax, 100 + page - 1);
    // An insert that is given up leaves no row behind.
    ds->MoveBy(5);
    ds->Insert();
    ds->FieldByName(L"ID")->SetAsInteger(1000);
    ds->Cancel();
    ds->Last();
    EXPECT_EQ(g.Bar().nMax, 100 + page - 1);
    EXPECT_EQ(g.Bar().nPos, 100);
}

TEST(DBGridSmooth, TheThumbJumpsToTheMiddleRowWithOneAfterScroll) {
    auto ds = Filled<TFDMemTable>(1000, false);
    int afterScrolls = 0;
    ds->SetAfterScroll([&](TDataSet*) { ++afterScrolls; });
    SmoothGrid g(ds.get());
    ASSERT_TRUE(g.Grid->SmoothScroll());
    g.Scroll(SB_THUMBPOSITION, 500);
    int middle = (g.Grid->VisibleRowCount() - 1) / 2;
    EXPECT_EQ(ds->FieldByName(L"ID")->AsInteger(), 500);
    EXPECT_EQ(afterScrolls, 1);
    EXPECT_EQ(g.Grid->DataLink()->ActiveRecord(), middle);
    EXPECT_EQ(g.Grid->CurrentRecordNumber(), 500);
    EXPECT_EQ(g.Grid->TopAbsoluteRow(), 500 - middle);
    EXPECT_EQ(g.Bar().nPos, 500);
    // Back near the start, and to the last record.
    g.Scroll(SB_THUMBPOSITION, 3);
    EXPECT_EQ(ds->FieldByName(L"ID")->AsInteger(), 3);
    g.Scroll(SB_THUMBPOSITION, 1000);
    EXPECT_EQ(ds->FieldByName(L"ID")->AsInteger(), 1000);
}

TEST(DBGridSmooth, AThickRowPenMakesEveryRowTallerUntilItIsTakenBack) {
    auto ds = Filled<TFDMemTable>(100);
    SmoothGrid g(ds.get());
    int height = g.Grid->DefaultRowHeight();
    TPen thick;
    thick.SetWidth(3);
    g.Grid->SetRowLine(4, &thick);
    EXPECT_EQ(g.Grid->DefaultRowHeight(), height + 2);
    EXPECT_EQ(g.Grid->MaxRowLine(), 3);
    // A pen like the canvas pen is no custom line.
    TPen plain;
    plain.Assign(*g.Grid->Canvas()->Pen());
    g.Grid->SetRowLine(4, &plain);
    EXPECT_EQ(g.Grid->RowInfo()->LineAt(4), nullptr);
    EXPECT_EQ(g.Grid->DefaultRowHeight(), height);

    // A pen handed out stays bound to its row, whatever uses the store in between.
    TPen* handed = g.Grid->GetRowLineProp(7);
    g.Grid->SetRowLine(2, &thick);
    g.Form.Capture();
    handed->SetWidth(4);
    ASSERT_NE(g.Grid->RowInfo()->LineAt(7), nullptr);
    EXPECT_EQ(g.Grid->RowInfo()->LineAt(7)->Width(), 4);
    EXPECT_EQ(g.Grid->RowInfo()->LineAt(2)->Width(), 3);
    EXPECT_EQ(g.Grid->DefaultRowHeight(), height + 3);

    // Indexes outside the store on either side change nothing.
    for (int index : {-1, -1000, g.Grid->RowInfo()->Count()}) {
        g.Grid->SetRowLine(index, &thick);
        g.Grid->SetColLine(index, &thick);
    }
    EXPECT_EQ(g.Grid->MaxRowLine(), 4);
    EXPECT_EQ(g.Grid->GetRowLineProp(-1)->Width(), g.Grid->Canvas()->Pen()->Width());
}

TEST(DBGridSmooth, AThickColumnPenWidensItsColumnAndKeepsTheDataChangeHandler) {
    auto ds = Filled<TFDMemTable>(20);
    SmoothGrid g(ds.get());
    int dataChanges = 0;
    g.Source->SetOnDataChange([&](TObject*, TField*) { ++dataChanges; });
    TDataChangeEvent handler = g.Source->OnDataChange();
    int width = g.Grid->ColWidths(1);
    TPen thick;
    thick.SetWidth(4);
    g.Grid->SetColLine(1, &thick);
    EXPECT_EQ(g.Grid->ColWidths(1), width + 3);
    EXPECT_TRUE(g.Source->OnDataChange() == handler);
    g.Form.Capture();
    g.Grid->SetColLine(1, nullptr);
    EXPECT_EQ(g.Grid->ColWidths(1), width);
}

TEST(DBGridSmooth, PagingAllRowsKeepsTheScreenRow) {
    auto ds = Filled<TFDMemTable>(200);
    SmoothGrid g(ds.get());
    g.Grid->SetScrollAllRow(true);
    int visible = g.Grid->VisibleRowCount();
    ds->MoveBy(20);  // the window scrolls; the cursor sits on its last row
    ds->MoveBy(3 - (visible - 1));
    ASSERT_EQ(g.Grid->DataLink()->ActiveRecord(), 3);
    int before = ds->FieldByName(L"ID")->AsInteger();
    g.Key(VK_NEXT);
    EXPECT_EQ(ds->FieldByName(L"ID")->AsInteger(), before + visible - 1);
    EXPECT_EQ(g.Grid->DataLink()->ActiveRecord(), 3);
    g.Scroll(SB_PAGEUP);
    EXPECT_EQ(ds->FieldByName(L"ID")->AsInteger(), before);
    EXPECT_EQ(g.Grid->DataLink()->ActiveRecord(), 3);
    // At the end of the data the cursor stays on the last record.
    ds->Last();
    g.Key(VK_NEXT);
    EXPECT_EQ(ds->FieldByName(L"ID")->AsInteger(), 200);
    // The wheel moves one record per notch.
    ds->First();
    SendMessageW(g.Grid->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(-WHEEL_DELTA)), 0);
    EXPECT_EQ(ds->FieldByName(L"ID")->AsInteger(), 2);
}

TEST(DBGridSmooth, AFailingJumpRestoresTheControlsAndTheScrollEvents) {
    auto ds = Filled<TFDMemTable>(1000, false);
    SmoothGrid g(ds.get());
    TDataSetNotifyEvent before = [](TDataSet*) {};
    TDataSetNotifyEvent after = [](TDataSet*) { throw std::runtime_error("refused"); };
    ds->SetBeforeScroll(before);
    ds->SetAfterScroll(after);
    EXPECT_THROW(g.Grid->GoToRecordNumber(600), std::runtime_error);
    EXPECT_FALSE(ds->ControlsDisabled());
    EXPECT_TRUE(ds->BeforeScroll() == before);
    EXPECT_TRUE(ds->AfterScroll() == after);
    // The grid goes on: the next jump works.
    ds->SetAfterScroll(nullptr);
    g.Grid->GoToRecordNumber(300);
    EXPECT_EQ(ds->FieldByName(L"ID")->AsInteger(), 300);
    EXPECT_EQ(g.Grid->CurrentRecordNumber(), 300);
}

TEST(DBGridSmooth, TheEditorSitsOnTheBottomOfTheCellAndEditsTheRecord) {
    auto ds = Filled<TFDMemTable>(20);
    SmoothGrid g(ds.get());
    TPen thick;
    thick.SetWidth(5);
    g.Grid->SetRowLine(g.Grid->TitleOffset(), &thick);  // the first record's row
    g.Form.Capture();
    g.Key(VK_F2);
    auto* editor = dynamic_cast<TssDBGridInplaceEdit*>(g.Grid->InplaceEditor());
    ASSERT_NE(editor, nullptr);
    ASSERT_TRUE(editor->Shown());
    RECT cell = g.Grid->CellRect(g.Grid->Col(), g.Grid->Row());
    int height = std::abs(editor->Font()->Height()) + 2;
    EXPECT_EQ(editor->Left(), cell.left);
    EXPECT_EQ(editor->Width(), cell.right - cell.left - 1);
    EXPECT_EQ(editor->Height(), height);
    // The thick line below keeps its room.
    EXPECT_EQ(editor->Top() + height, cell.bottom + g.Grid->GridLineWidth() - 5);
    // The input method composes at the text area's top left (this system is Japanese).
    HIMC context = ImmGetContext(editor->Handle());
    ASSERT_NE(context, nullptr);
    COMPOSITIONFORM form{};
    EXPECT_TRUE(ImmGetCompositionWindow(context, &form));
    ImmReleaseContext(editor->Handle(), context);
    EXPECT_EQ(form.dwStyle, DWORD(CFS_POINT));
    EXPECT_EQ(form.ptCurrentPos.x, 2);
    EXPECT_EQ(form.ptCurrentPos.y, 2);
    // It is the data grid's editor: typing puts the record into edit mode and the text posts.
    SendMessageW(editor->Handle(), WM_CHAR, L'7', 0);
    EXPECT_EQ(ds->State(), TDataSetState::dsEdit);
    g.Key(VK_DOWN);
    ds->First();
    EXPECT_EQ(ds->FieldByName(L"ID")->AsInteger(), 17);  // F2 put the caret after the text
}

std::string Env(const char* Name) {
    const char* v = std::getenv(Name);
    return v ? v : "";
}
String Wide(const std::string& s) { return String(s.begin(), s.end()); }

String SqliteConnection() { return L"Driver={SQLite3};Database=" + Wide(Env("ODBC_TEST_DIR")) + L"/smoothgrid.db"; }
String PgConnection() {
    std::ifstream portFile(Env("ODBC_TEST_PG_DIR") + "/port");
    std::string port;
    portFile >> port;
    return L"Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=" + Wide(port) +
           L";Database=sstest;Uid=sstest;Pwd=sstest;BoolsAsChar=0";
}

class DBGridSmoothOdbc : public ::testing::TestWithParam<String (*)()> {};

TEST_P(DBGridSmoothOdbc, AQueryFetchingAllScrollsSmoothly) {
    TFDConnection db(nullptr);
    db.SetConnectionString(GetParam()());
    db.Open();
    db.ExecSQL(L"DROP TABLE IF EXISTS smooth_rows");
    db.ExecSQL(L"CREATE TABLE smooth_rows (id INTEGER PRIMARY KEY, name VARCHAR(20))");
    db.ExecSQL(L"INSERT INTO smooth_rows SELECT n, 'r' || n FROM (WITH RECURSIVE c(n) AS (SELECT 1 UNION ALL "
               L"SELECT n + 1 FROM c WHERE n < 300) SELECT n FROM c) AS numbers");
    TFDQuery query(nullptr);
    query.SetConnection(&db);
    query.SetSQL(L"SELECT id, name FROM smooth_rows ORDER BY id");
    query.Open();
    SmoothGrid g(&query);
    ASSERT_TRUE(g.Grid->SmoothScroll());
    int page = g.Grid->VisibleRowCount();
    EXPECT_EQ(g.Bar().nMax, 300 + page - 1);
    g.Scroll(SB_THUMBPOSITION, 150);
    EXPECT_EQ(query.FieldByName(L"id")->AsInteger(), 150);
    EXPECT_EQ(g.Grid->CurrentRecordNumber(), 150);
    g.Scroll(SB_BOTTOM);
    EXPECT_EQ(query.FieldByName(L"name")->AsString(), L"r300");
    EXPECT_EQ(g.Bar().nPos, 300);
}

INSTANTIATE_TEST_SUITE_P(Databases, DBGridSmoothOdbc, ::testing::Values(SqliteConnection, PgConnection),
                         [](const auto& info) { return info.index == 0 ? "SQLite" : "PostgreSQL"; });

}  // namespace
