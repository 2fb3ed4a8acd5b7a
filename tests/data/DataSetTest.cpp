// The dataset's buffer window and what its data links are told, in order.
#include <gtest/gtest.h>

#include <functional>

#include "DataFixture.h"

namespace {
using Log = std::vector<std::string>;

struct LinkedTable {
    std::unique_ptr<TFDMemTable> Table = MakeTable(10);
    TDataSource Source{nullptr};
    TRecordingLink Link;
    explicit LinkedTable(int bufferCount = 3) {
        Source.SetDataSet(Table.get());
        Link.SetDataSource(&Source);
        Link.SetVisualControl(true);  // as a grid's
        Link.SetBufferCount(bufferCount);
        Link.Clear();
    }
    int ID() const { return Table->FieldByName(L"ID")->AsInteger(); }
};

struct SequenceCase {
    const char* Name;
    std::function<void(TFDMemTable&)> Setup, Act;
    Log Expected;
    int ID, LinkActiveRecord;
};

TEST(DataLinkNotifications, SequencesForMovesAndEdits) {
    auto none = [](TFDMemTable&) {};
    auto setName = [](TFDMemTable& t) { t.FieldByName(L"Name")->SetAsString(L"x"); };
    const SequenceCase cases[] = {
        {"next inside the window", none, [](TFDMemTable& t) { t.Next(); }, {"scrolled 0"}, 2, 1},
        {"to the window's last row", none, [](TFDMemTable& t) { t.MoveBy(2); }, {"scrolled 0"}, 3, 2},
        {"one beyond the window", none, [](TFDMemTable& t) { t.MoveBy(3); }, {"scrolled 1"}, 4, 2},
        {"five beyond the window", none, [](TFDMemTable& t) { t.MoveBy(7); }, {"scrolled 5"}, 8, 2},
        {"back beyond the window", [](TFDMemTable& t) { t.Last(); }, [](TFDMemTable& t) { t.MoveBy(-4); },
         {"scrolled -2"}, 6, 0},
        {"past the end", [](TFDMemTable& t) { t.MoveBy(9); }, [](TFDMemTable& t) { t.Next(); }, {"scrolled 0"}, 10, 2},
        {"before the start", none, [](TFDMemTable& t) { t.Prior(); }, {}, 1, 0},
        {"last", none, [](TFDMemTable& t) { t.Last(); }, {"changed"}, 10, 2},
        {"first", [](TFDMemTable& t) { t.MoveBy(5); }, [](TFDMemTable& t) { t.First(); }, {"changed"}, 1, 0},
        {"edit and post", none,
         [&](TFDMemTable& t) { t.Edit(); setName(t); t.Post(); },
         {"editing", "record", "record Name", "update", "not editing", "changed"}, 1, 0},
        {"edit and cancel", none,
         [&](TFDMemTable& t) { t.Edit(); setName(t); t.Cancel(); },
         {"editing", "record", "record Name", "not editing", "changed"}, 1, 0},
        {"moving off an edited record posts it", none,
         [&](TFDMemTable& t) { t.Edit(); setName(t); t.Next(); },
         {"editing", "record", "record Name", "update", "not editing", "changed", "scrolled 0"}, 2, 1},
        {"insert and post", [](TFDMemTable& t) { t.Next(); },
         [](TFDMemTable& t) { t.Insert(); t.FieldByName(L"ID")->SetAsInteger(99); t.Post(); },
         {"editing", "changed", "record ID", "update", "not editing", "changed"}, 99, 1},
        {"append and post", none,
         [](TFDMemTable& t) { t.Append(); t.FieldByName(L"ID")->SetAsInteger(99); t.Post(); },
         {"editing", "changed", "record ID", "update", "not editing", "changed"}, 99, 2},
        {"insert and cancel", [](TFDMemTable& t) { t.Next(); }, [](TFDMemTable& t) { t.Insert(); t.Cancel(); },
         {"editing", "changed", "not editing", "changed"}, 2, 1},
        {"delete the last record", [](TFDMemTable& t) { t.Last(); }, [](TFDMemTable& t) { t.Delete(); },
         {"changed"}, 9, 2},
        {"nested DisableControls", none,
         [](TFDMemTable& t) {
             t.DisableControls();
             t.DisableControls();
             t.MoveBy(4);
             t.Edit();
             t.Cancel();
             t.EnableControls();
             EXPECT_TRUE(t.ControlsDisabled());
             t.EnableControls();
         },
         {"changed"}, 5, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        LinkedTable lt;
        c.Setup(*lt.Table);
        lt.Link.Clear();
        c.Act(*lt.Table);
        EXPECT_EQ(lt.Link.Log, c.Expected);
        EXPECT_EQ(lt.ID(), c.ID);
        EXPECT_EQ(lt.Link.ActiveRecord(), c.LinkActiveRecord);
        EXPECT_EQ(lt.Link.RecordCount(), 3);
    }
}

TEST(DataLinkNotifications, EachLinkKeepsItsOwnWindow) {
    LinkedTable lt(5);
    TRecordingLink small;
    small.SetDataSource(&lt.Source);
    small.SetBufferCount(2);
    EXPECT_EQ(lt.Table->BufferCount(), 5);  // the largest link's
    small.Clear();
    lt.Table->MoveBy(4);
    EXPECT_EQ(lt.Link.Log, Log({"scrolled 0"}));
    EXPECT_EQ(small.Log, Log({"scrolled 3"}));
    EXPECT_EQ(lt.Link.ActiveRecord(), 4);
    EXPECT_EQ(small.ActiveRecord(), 1);
    // Drawing a row moves the active record for a moment, telling no one.
    small.SetActiveRecord(0);
    EXPECT_EQ(lt.ID(), 4);
    small.SetActiveRecord(1);
    EXPECT_EQ(lt.ID(), 5);
}

TEST(DataLinkNotifications, OpenCloseAndStateReachLinksAndSource) {
    LinkedTable lt;
    int stateChanges = 0, dataChanges = 0;
    lt.Source.SetOnStateChange([&](TObject*) { ++stateChanges; });
    lt.Source.SetOnDataChange([&](TObject*, TField*) { ++dataChanges; });
    lt.Table->Close();
    EXPECT_EQ(lt.Link.Log, Log({"inactive"}));
    EXPECT_EQ(lt.Source.State(), TDataSetState::dsInactive);
    lt.Table->Open();
    EXPECT_EQ(lt.Link.Log, Log({"inactive", "active"}));
    EXPECT_EQ(lt.Link.RecordCount(), 3);
    lt.Table->Next();
    EXPECT_EQ(stateChanges, 2);
    EXPECT_EQ(dataChanges, 1);
    // A non-visual link hears everything while the controls are disabled; a visual one waits.
    TRecordingLink plain;
    plain.SetDataSource(&lt.Source);
    lt.Link.Clear();
    plain.Clear();
    lt.Table->DisableControls();
    lt.Table->Next();
    EXPECT_TRUE(lt.Link.Log.empty());
    EXPECT_EQ(plain.Log, Log({"scrolled 1"}));  // its window is one record
    lt.Table->EnableControls();
    EXPECT_EQ(lt.Link.Log, Log({"changed"}));
    EXPECT_FALSE(lt.Link.ExecuteAction(nullptr));
    EXPECT_FALSE(lt.Link.UpdateAction(&lt.Source));
}

TEST(DataLinkNotifications, ReadOnlyLinkDoesNotEdit) {
    LinkedTable lt;
    lt.Link.SetReadOnly(true);
    EXPECT_FALSE(lt.Link.Edit());
    EXPECT_EQ(lt.Table->State(), TDataSetState::dsBrowse);
    lt.Link.SetReadOnly(false);
    EXPECT_TRUE(lt.Link.Edit());
    EXPECT_TRUE(lt.Link.Editing());
}

TEST(DataSetEvents, DetachedEventComparesEqualWhenPutBack) {
    auto t = MakeTable(3);
    int scrolls = 0;
    t->SetAfterScroll([&](TDataSet*) { ++scrolls; });
    TDataSetNotifyEvent saved = t->AfterScroll();
    t->SetAfterScroll(nullptr);
    t->Next();
    EXPECT_EQ(scrolls, 0);
    t->SetAfterScroll(saved);
    EXPECT_TRUE(t->AfterScroll() == saved);
    t->Next();
    EXPECT_EQ(scrolls, 1);
    // The same code assigned anew is another event.
    TDataSetNotifyEvent other = [&](TDataSet*) { ++scrolls; };
    EXPECT_FALSE(other == saved);
    TFilterRecordEvent filter = [](TDataSet*, bool&) {};
    t->SetOnFilterRecord(filter);
    EXPECT_TRUE(t->OnFilterRecord() == filter);
}

TEST(DataSetBookmarks, StayValidAcrossOtherInsertsAndDeletes) {
    auto t = MakeTable(5);
    t->SetRecNo(3);
    TBookmark third = t->Bookmark();
    TBookmark first = (t->First(), t->Bookmark());
    EXPECT_LT(t->CompareBookmarks(first, third), 0);
    EXPECT_GT(t->CompareBookmarks(third, first), 0);
    EXPECT_EQ(t->CompareBookmarks(third, third), 0);
    t->Insert();  // before record 1
    t->FieldByName(L"ID")->SetAsInteger(0);
    t->Post();
    t->Last();
    t->Delete();  // record 5
    t->GotoBookmark(third);
    EXPECT_EQ(t->FieldByName(L"ID")->AsInteger(), 3);
    EXPECT_EQ(t->RecNo(), 4);
    EXPECT_EQ(t->RecordCount(), 5);
    // Its own record deleted, the bookmark fails and the cursor stays.
    t->Delete();
    t->SetRecNo(2);
    EXPECT_FALSE(t->BookmarkValid(third));
    try {
        t->GotoBookmark(third);
        FAIL() << "no error";
    } catch (const EDatabaseError& e) {
        EXPECT_NE(e.Message().find(L"Bookmark"), String::npos);
    }
    EXPECT_EQ(t->RecNo(), 2);
    EXPECT_TRUE(t->BookmarkValid(first));
}

TEST(DataSetBookmarks, CompareFollowsRecordOrderNotCreation) {
    auto t = MakeTable(2);
    t->Last();
    TBookmark second = t->Bookmark();
    t->First();
    t->Insert();  // created last, placed first
    t->FieldByName(L"ID")->SetAsInteger(0);
    t->Post();
    TBookmark inserted = t->Bookmark();
    EXPECT_LT(t->CompareBookmarks(inserted, second), 0);
}

TEST(DataSetNavigation, RecNoAndRecordCount) {
    auto t = MakeTable(100);
    EXPECT_TRUE(t->Bof());
    EXPECT_EQ(t->RecNo(), 1);
    EXPECT_EQ(t->RecordCount(), 100);
    t->SetRecNo(57);
    EXPECT_EQ(t->FieldByName(L"ID")->AsInteger(), 57);
    t->SetRecNo(1000);
    EXPECT_EQ(t->RecNo(), 100);
    t->Next();
    EXPECT_TRUE(t->Eof());
    EXPECT_EQ(t->MoveBy(-200), -99);
    EXPECT_TRUE(t->Bof());
    EXPECT_TRUE(t->IsSequenced());
    t->SetSequenced(false);
    EXPECT_FALSE(t->IsSequenced());
    t->SetRecNo(40);
    EXPECT_EQ(t->RecNo(), 40);
    t->Close();
    EXPECT_EQ(t->RecNo(), -1);
    EXPECT_EQ(t->RecordCount(), -1);
}

TEST(DataSetFiltering, OnFilterRecordChoosesTheRecords) {
    auto t = MakeTable(10);
    t->SetOnFilterRecord([](TDataSet* ds, bool& accept) { accept = ds->FieldByName(L"ID")->AsInteger() % 2 == 0; });
    t->SetFiltered(true);
    EXPECT_EQ(t->RecordCount(), 5);
    EXPECT_EQ(t->FieldByName(L"ID")->AsInteger(), 2);
    t->SetRecNo(3);
    EXPECT_EQ(t->FieldByName(L"ID")->AsInteger(), 6);
    // A record edited out of the filter leaves the view when posted.
    t->Edit();
    t->FieldByName(L"ID")->SetAsInteger(7);
    t->Post();
    EXPECT_EQ(t->RecordCount(), 4);
    EXPECT_EQ(t->FieldByName(L"ID")->AsInteger(), 8);
    t->SetFiltered(false);
    EXPECT_EQ(t->RecordCount(), 10);
}

TEST(DataSetErrors, ClearMessages) {
    auto t = MakeTable(2);
    auto message = [](const std::function<void()>& f) {
        try {
            f();
        } catch (const EDatabaseError& e) {
            return e.Message();
        }
        return String(L"no error");
    };
    EXPECT_EQ(message([&] { t->FieldByName(L"Nope"); }), L"Field 'Nope' not found");
    EXPECT_EQ(t->FindField(L"nope"), nullptr);
    EXPECT_EQ(t->FindField(L"name"), t->FieldByName(L"Name"));
    EXPECT_EQ(message([&] { t->FieldByName(L"ID")->SetAsInteger(1); }), L"Dataset not in edit or insert mode");
    t->SetReadOnly(true);
    EXPECT_EQ(message([&] { t->Edit(); }), L"Cannot modify a read-only dataset");
    EXPECT_EQ(t->State(), TDataSetState::dsBrowse);
    t->SetReadOnly(false);
    t->FieldByName(L"Name")->SetRequired(true);
    t->Append();
    EXPECT_EQ(message([&] { t->Post(); }), L"Field 'Name' must have a value");
    EXPECT_EQ(t->State(), TDataSetState::dsInsert);
    t->Cancel();
    t->FieldByName(L"ID")->SetReadOnly(true);
    t->Edit();
    EXPECT_EQ(message([&] { t->FieldByName(L"ID")->SetAsInteger(5); }), L"Field 'ID' cannot be modified");
    t->Cancel();
    t->Close();
    EXPECT_EQ(message([&] { t->Next(); }), L"Cannot perform this operation on a closed dataset");
}

TEST(DataSetClasses, FamilyNamesAndFetchModeByName) {
    TFDMemTable t(nullptr);
    EXPECT_EQ(t.ClassName(), L"TFDMemTable");
    EXPECT_TRUE(InheritsFromName(&t, L"TFDDataSet"));
    EXPECT_TRUE(InheritsFromName(&t, L"TDataSet"));
    EXPECT_EQ(GetPropValue(&t, L"FetchOptions.Mode"), L"fmAll");
    t.FetchOptions()->SetMode(TFDFetchMode::fmOnDemand);
    EXPECT_EQ(GetPropValue(&t, L"FetchOptions.Mode"), L"fmOnDemand");
    EXPECT_FALSE(t.IsUnidirectional());
}

TEST(DataSetFields, FreeNotificationAndIndex) {
    auto t = MakeTable(1);
    TField* name = t->FieldByName(L"Name");
    EXPECT_TRUE(t->DefaultFields());
    TComponent* freed = nullptr;
    int key = 0;
    name->FreeNotification(&key, [&](TComponent* c) { freed = c; });
    name->SetIndex(0);
    EXPECT_EQ(t->Fields()[0], name);
    EXPECT_EQ(name->Index(), 0);
    t->Close();  // default fields go with the closing
    EXPECT_EQ(freed, name);
}

TEST(DataSetFields, IndexChangeIsALayoutChange) {
    LinkedTable lt;
    lt.Table->FieldByName(L"Name")->SetIndex(0);
    EXPECT_EQ(lt.Link.Log, Log({"layout"}));
    EXPECT_EQ(lt.Table->Fields()[1]->FieldName(), L"ID");
}
}  // namespace
