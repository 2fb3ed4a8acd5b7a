// Columns, titles, column sets, the field map and the bookmark list.
#include <gtest/gtest.h>

#include <climits>

#include "DataGridFixture.h"
#include "Filer.h"
#include "Streams.h"
#include "TestSupport.h"

using namespace datagrid_test;

namespace {

TssColumn* AddColumn(TssCustomDBGrid* Grid, const String& FieldName) {
    TssColumn* column = Grid->Columns()->Add();
    column->SetFieldName(FieldName);
    return column;
}

}  // namespace

TEST(DBGridColumns, UnassignedAttributesFollowTheGridUntilSet) {
    GridOnForm g(3);
    TssColumn* column = AddColumn(g.Grid, L"Name");
    struct Case {
        const char* Name;
        std::function<void(TColor)> SetGrid;
        std::function<TColor()> Read;
        std::function<void(TColor)> SetColumn;
    } cases[] = {
        {"Color", [&](TColor c) { g.Grid->SetColor(c); }, [&] { return column->Color(); },
         [&](TColor c) { column->SetColor(c); }},
        {"Title.Color", [&](TColor c) { g.Grid->SetFixedColor(c); }, [&] { return column->Title()->Color(); },
         [&](TColor c) { column->Title()->SetColor(c); }},
        {"Font.Color", [&](TColor c) { g.Grid->Font()->SetColor(c); }, [&] { return column->Font()->Color(); },
         [&](TColor c) { column->Font()->SetColor(c); }},
        {"Title.Font.Color", [&](TColor c) { g.Grid->TitleFont()->SetColor(c); },
         [&] { return column->Title()->Font()->Color(); }, [&](TColor c) { column->Title()->Font()->SetColor(c); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        c.SetGrid(0x112233);
        EXPECT_EQ(c.Read(), 0x112233);
        c.SetColumn(0x445566);
        c.SetGrid(0x778899);
        EXPECT_EQ(c.Read(), 0x445566);
    }
    EXPECT_EQ(column->AssignedValues(), (TColumnValues{TColumnValue::cvColor, TColumnValue::cvTitleColor,
                                                       TColumnValue::cvFont, TColumnValue::cvTitleFont}));
    column->RestoreDefaults();
    EXPECT_TRUE(column->AssignedValues().Empty());
    EXPECT_EQ(column->Color(), 0x778899);
    EXPECT_EQ(column->Font()->Color(), 0x778899);
}

TEST(DBGridColumns, DefaultWidthFollowsTheGridFont) {
    GridOnForm g(3);
    TssColumn* column = AddColumn(g.Grid, L"Name");
    int narrow = column->Width();
    g.Grid->Font()->SetSize(g.Grid->Font()->Size() * 2);
    EXPECT_GT(column->Width(), narrow);
    EXPECT_FALSE(column->AssignedValues().Contains(TColumnValue::cvWidth));
}

TEST(DBGridColumns, LongTextFieldsGetABoundedDefaultWidth) {
    GridOnForm g(3);
    TssColumn* column = AddColumn(g.Grid, L"Name");
    // What a long text column of a database reports.
    g.Table->FieldByName(L"Name")->SetDisplayWidth(INT_MAX);
    int width = column->Width();
    EXPECT_GT(width, 100);
    EXPECT_LT(width, 10000);
}

TEST(DBGridColumns, StorePredicatesWriteOnlyWhatDiffersFromTheDefault) {
    GridOnForm g(3);
    TssColumn* column = AddColumn(g.Grid, L"Name");
    column->SetColor(column->DefaultColor());
    EXPECT_TRUE(column->AssignedValues().Contains(TColumnValue::cvColor));
    EXPECT_FALSE(column->IsColorStored());
    column->SetColor(clOlive);
    EXPECT_TRUE(column->IsColorStored());
    // A width equal to the default is not even taken.
    column->SetWidth(column->DefaultWidth());
    EXPECT_FALSE(column->AssignedValues().Contains(TColumnValue::cvWidth));
    column->SetWidth(column->DefaultWidth() + 7);
    EXPECT_TRUE(column->IsWidthStored());
    column->SetWidth(-1);
    EXPECT_EQ(column->Width(), column->DefaultWidth() + 7);
}

TEST(DBGridColumns, UnstoredColumnsWriteThroughToTheField) {
    GridOnForm g(3);
    ASSERT_EQ(g.Grid->Columns()->State(), TDBGridColumnsState::csDefault);
    ASSERT_EQ(g.Grid->Columns()->Count(), 2);
    TssColumn* column = g.Grid->Columns()->Items(1);
    TField* field = g.Table->FieldByName(L"Name");
    ASSERT_EQ(column->Field(), field);
    column->SetAlignment(TAlignment::taCenter);
    column->SetReadOnly(true);
    column->Title()->SetCaption(L"名前");
    EXPECT_EQ(field->Alignment(), TAlignment::taCenter);
    EXPECT_TRUE(field->ReadOnly());
    EXPECT_EQ(field->DisplayLabel(), L"名前");
    EXPECT_TRUE(column->AssignedValues().Empty());
    EXPECT_EQ(g.Grid->Columns()->Items(1)->Title()->Caption(), L"名前");
    // A stored column keeps its own values.
    TssColumn* stored = AddColumn(g.Grid, L"ID");
    stored->SetAlignment(TAlignment::taCenter);
    EXPECT_EQ(g.Table->FieldByName(L"ID")->Alignment(), TAlignment::taRightJustify);
    EXPECT_TRUE(stored->AssignedValues().Contains(TColumnValue::cvAlignment));
}

TEST(DBGridColumns, RebuildingMakesOneStoredColumnPerField) {
    GridOnForm g(3);
    g.Grid->Columns()->SetState(TDBGridColumnsState::csCustomized);
    ASSERT_EQ(g.Grid->Columns()->Count(), 2);
    EXPECT_EQ(g.Grid->Columns()->Items(0)->FieldName(), L"ID");
    EXPECT_EQ(g.Grid->Columns()->Items(1)->FieldName(), L"Name");
    EXPECT_EQ(g.Grid->Columns()->State(), TDBGridColumnsState::csCustomized);
    g.Grid->Columns()->SetState(TDBGridColumnsState::csDefault);
    EXPECT_EQ(g.Grid->Columns()->State(), TDBGridColumnsState::csDefault);
    EXPECT_EQ(g.Grid->Columns()->Count(), 2);  // the layout made the grid's own again
}

TEST(DBGridColumnSets, ASavedSetLoadsOntoAnotherDataSet) {
    GridOnForm g(3);
    TssColumn* name = AddColumn(g.Grid, L"Name");
    name->SetColor(clOlive);
    name->Title()->SetCaption(L"氏名");
    name->SetWidth(77);
    AddColumn(g.Grid, L"ID");
    TMemoryStream stream;
    g.Grid->Columns()->SaveToStream(stream);

    // Another grid whose dataset has Name and Other, but no ID.
    GridOnForm other(3);
    auto table = MakeTable(2, L"Other");
    other.Source->SetDataSet(table.get());
    stream.SetPosition(0);
    other.Grid->Columns()->LoadFromStream(stream);
    TssDBGridColumns* loaded = other.Grid->Columns();
    ASSERT_EQ(loaded->Count(), 2);
    EXPECT_EQ(loaded->Items(0)->FieldName(), L"Name");
    EXPECT_EQ(loaded->Items(0)->Color(), clOlive);
    EXPECT_EQ(loaded->Items(0)->Title()->Caption(), L"氏名");
    EXPECT_EQ(loaded->Items(0)->Width(), 77);
    EXPECT_EQ(loaded->Items(1)->FieldName(), L"ID");
    EXPECT_EQ(loaded->Items(1)->Field(), table->FieldByName(L"ID"));
    EXPECT_EQ(loaded->Items(0)->Field(), nullptr);
    // The missing field stays a column, mapped to nothing.
    EXPECT_EQ(other.Grid->DataLink()->FieldIndex(0), -1);
    EXPECT_FALSE(other.Grid->DataLink()->DefaultFields());
    other.Source->SetDataSet(nullptr);
}

TEST(DBGridColumnSets, AMalformedStreamLeavesTheColumns) {
    GridOnForm g(3);
    AddColumn(g.Grid, L"Name");
    TMemoryStream stream;
    g.Grid->Columns()->SaveToStream(stream);
    stream.SetSize(stream.DataSize() - 3);
    stream.SetPosition(0);
    AddColumn(g.Grid, L"ID");
    EXPECT_THROW(g.Grid->Columns()->LoadFromStream(stream), EReadError);
    EXPECT_EQ(g.Grid->Columns()->Count(), 2);
}

namespace {

// A column whose stream fails halfway, as a full disk would.
class TFailingColumn : public TssColumn {
    SS_CLASS(TFailingColumn, TssColumn)
    SS_PUBLISHED(TFailingColumn)
public:
    using TssColumn::TssColumn;
    int Boom() const { throw EWriteError(L"disk full"); }
    void SetBoom(int) {}
};
SS_PUBLISH(TFailingColumn) { p.Property(L"Boom", &TFailingColumn::Boom, &TFailingColumn::SetBoom); }

}  // namespace

TEST(DBGridColumnSets, AFailedSaveKeepsTheOldFile) {
    testing_support::TempDir dir;
    String file = dir / L"columns.bin";
    GridOnForm g(3);
    AddColumn(g.Grid, L"Name");
    g.Grid->Columns()->SaveToFile(file);
    TssDBGridColumns failing(g.Grid, TCollectionItemClass::Of<TFailingColumn>());
    failing.Add()->SetFieldName(L"ID");
    EXPECT_THROW(failing.SaveToFile(file), EWriteError);

    GridOnForm other(3);
    other.Grid->Columns()->LoadFromFile(file);
    ASSERT_EQ(other.Grid->Columns()->Count(), 1);
    EXPECT_EQ(other.Grid->Columns()->Items(0)->FieldName(), L"Name");
}

namespace {

class TFullLink : public TssGridDataLink {
public:
    using TssGridDataLink::TssGridDataLink;
    void Fill() { FFieldCount = MaxMapping; }
};

}  // namespace

TEST(DBGridFieldMap, MapsNamesAndRefusesWhatItCannotHold) {
    GridOnForm g(3);
    TFullLink link(g.Grid);
    link.SetDataSource(g.Source);
    EXPECT_TRUE(link.AddMapping(L"Name"));
    EXPECT_THROW(link.AddMapping(L"Missing"), EDatabaseError);
    link.SetSparseMap(true);
    EXPECT_TRUE(link.AddMapping(L"Missing"));
    EXPECT_EQ(link.FieldCount(), 2);
    EXPECT_EQ(link.GetFields(0), g.Table->FieldByName(L"Name"));
    EXPECT_EQ(link.GetFields(1), nullptr);
    EXPECT_EQ(link.FieldIndex(1), -1);
    EXPECT_EQ(link.FieldIndex(2), -1);
    EXPECT_EQ(link.MapCapacity(), 8);
    link.Fill();
    try {
        link.AddMapping(L"ID");
        ADD_FAILURE() << "no error";
    } catch (const EInvalidGridOperation& e) {
        EXPECT_EQ(e.Message(), L"グリッドの 256 カラム数の限界を超えました");
    }
    link.ClearMapping();
    link.SetDataSource(nullptr);
}

namespace {

TBookmark BookmarkAt(TDataSet* ds, int recNo) {
    ds->SetRecNo(recNo);
    return ds->Bookmark();
}

}  // namespace

TEST(DBGridBookmarks, FindAnswersWhereABookmarkIsOrWouldGo) {
    GridOnForm g(6);
    TssBookmarkList* list = g.Grid->SelectedRows();
    int index = -1;
    EXPECT_FALSE(list->Find(BookmarkAt(g.Table.get(), 1), index));
    EXPECT_EQ(index, 0);
    for (int recNo : {5, 1, 3}) {
        g.Table->SetRecNo(recNo);
        list->SetCurrentRowSelected(true);
    }
    ASSERT_EQ(list->Count(), 3);
    struct Case {
        int RecNo;
        bool Found;
        int Index;
    } cases[] = {{1, true, 0}, {2, false, 1}, {3, true, 1}, {4, false, 2}, {5, true, 2}, {6, false, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.RecNo);
        TBookmark bookmark = BookmarkAt(g.Table.get(), c.RecNo);
        EXPECT_EQ(list->Find(bookmark, index), c.Found);
        EXPECT_EQ(index, c.Index);
        EXPECT_EQ(list->IndexOf(bookmark), c.Found ? c.Index : -1);
    }
    g.Table->SetRecNo(3);
    EXPECT_TRUE(list->CurrentRowSelected());
    list->SetCurrentRowSelected(false);
    EXPECT_EQ(list->Count(), 2);
    EXPECT_THROW(list->Items(2), EListError);
}

TEST(DBGridBookmarks, AnInactiveLinkRefusesTheCurrentRow) {
    GridOnForm g(3);
    g.Table->Close();
    try {
        g.Grid->SelectedRows()->CurrentRowSelected();
        ADD_FAILURE() << "no error";
    } catch (const EInvalidGridOperation& e) {
        EXPECT_EQ(e.Message(), L"データセットは閉じているため, この操作は実行できません");
    }
}

TEST(DBGridBookmarks, DeleteChecksEveryBookmarkBeforeDeletingAny) {
    GridOnForm g(6);
    TssBookmarkList* list = g.Grid->SelectedRows();
    for (int recNo : {2, 4, 6}) {
        g.Table->SetRecNo(recNo);
        list->SetCurrentRowSelected(true);
    }
    // Record 4 goes elsewhere; its bookmark is no longer valid.
    g.Table->SetRecNo(4);
    g.Table->Delete();
    EXPECT_THROW(list->Delete(), EDatabaseError);
    EXPECT_EQ(g.Table->RecordCount(), 5);
    EXPECT_EQ(list->Count(), 3);
    EXPECT_TRUE(list->Refresh());
    EXPECT_EQ(list->Count(), 2);
    list->Delete();
    EXPECT_EQ(g.Table->RecordCount(), 3);
    EXPECT_EQ(list->Count(), 0);
    EXPECT_FALSE(g.Table->ControlsDisabled());
}
