// The memory table's streams and nested datasets.
#include <gtest/gtest.h>

#include <cstring>

#include "DataFixture.h"
#include "DateUtils.h"
#include "../support/NestedTables.h"

namespace {
std::unique_ptr<TFDMemTable> RichTable() {
    auto t = std::make_unique<TFDMemTable>(nullptr);
    t->FieldDefs().Add(L"ID", TFieldType::ftInteger, 0, true);
    t->FieldDefs().Add(L"Name", TFieldType::ftWideString, 8);
    t->FieldDefs().Add(L"When", TFieldType::ftDateTime);
    t->FieldDefs().Add(L"Note", TFieldType::ftMemo);
    TFieldDef& pos = t->FieldDefs().Add(L"Pos", TFieldType::ftADT);
    pos.ChildDefs.push_back({L"X", TFieldType::ftFloat, 0, false, {}});
    t->CreateDataSet();
    const wchar_t* names[] = {L"一", L"", L"three"};
    for (int i = 0; i < 3; ++i) {
        t->Append();
        t->FieldByName(L"ID")->SetAsInteger(i + 1);
        t->FieldByName(L"Name")->SetAsString(names[i]);
        if (i != 1) t->FieldByName(L"When")->SetAsDateTime(EncodeDate(2020, 1, i + 1));
        t->FieldByName(L"Note")->SetAsString(String(std::size_t(i * 50), L'n'));
        t->FieldByName(L"X")->SetAsFloat(i / 4.0);
        t->Post();
    }
    return t;
}

String Dump(TDataSet& t) {
    String s;
    for (t.First(); !t.Eof(); t.Next()) {
        for (int i = 0; i < t.FieldList().Count(); ++i) {
            TField* f = t.FieldList()[i];
            s += f->IsNull() ? L"<null>" : f->Text();
            s += L"|";
        }
        s += L"\n";
    }
    return s;
}

TEST(MemTableStream, SavedAndLoadedAlike) {
    auto t = RichTable();
    TMemoryStream data;
    t->SaveToStream(data);
    data.SetPosition(0);
    TFDMemTable loaded(nullptr);
    loaded.LoadFromStream(data);
    EXPECT_EQ(Dump(loaded), Dump(*t));
    EXPECT_TRUE(loaded.FieldByName(L"ID")->Required());
    EXPECT_EQ(loaded.FieldByName(L"Name")->Size(), 8);
    EXPECT_EQ(loaded.FieldByName(L"Pos.X")->ParentField(), loaded.FieldByName(L"Pos"));
    loaded.SetRecNo(2);
    EXPECT_TRUE(loaded.FieldByName(L"When")->IsNull());
    EXPECT_FALSE(loaded.FieldByName(L"Name")->IsNull());  // empty, not NULL
}

TEST(MemTableStream, DamagedDataIsRefusedAndChangesNothing) {
    auto t = RichTable();
    TMemoryStream good;
    t->SaveToStream(good);
    std::vector<std::uint8_t> bytes(good.Memory(), good.Memory() + good.DataSize());
    auto with = [&](std::size_t at, std::uint8_t value) {
        auto b = bytes;
        b[at] = value;
        return b;
    };
    const struct {
        const char* Name;
        std::vector<std::uint8_t> Bytes;
        const wchar_t* Why;
    } cases[] = {
        {"not a dataset file", with(0, 'X'), L"not a dataset file"},
        {"cut short", std::vector<std::uint8_t>(bytes.begin(), bytes.end() - 3), L"ends early"},
        {"a byte too many", [&] { auto b = bytes; b.push_back(0); return b; }(), L"bytes after"},
        {"unknown type", with(12, 200), L"type"},
        {"no fields", with(8, 0), L"field count"},
    };
    auto target = MakeTable(2);
    String before = Dump(*target);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TMemoryStream damaged;
        damaged.WriteBuffer(c.Bytes.data(), c.Bytes.size());
        damaged.SetPosition(0);
        try {
            target->LoadFromStream(damaged);
            ADD_FAILURE() << "loaded";
        } catch (const EDatabaseError& e) {
            EXPECT_NE(e.Message().find(L"damaged"), String::npos);
            EXPECT_NE(e.Message().find(c.Why), String::npos) << std::string(e.what());
        }
        EXPECT_EQ(Dump(*target), before);
    }
}

TEST(MemTableNested, NestedRecordsFollowTheMaster) {
    TFDMemTable master(nullptr);
    testing_support::CreateMasterWithLines(master);
    TDataSet* nested = testing_support::NestedLines(master);
    ASSERT_NE(nested, nullptr);
    for (int id = 1; id <= 2; ++id) {
        master.Append();
        master.FieldByName(L"ID")->SetAsInteger(id);
        master.Post();
        for (int k = 0; k < id; ++k) {
            nested->Append();
            nested->FieldByName(L"Item")->SetAsString(L"item" + std::to_wstring(id));
            nested->Post();
        }
        EXPECT_EQ(master.State(), TDataSetState::dsEdit);
        master.Post();
    }
    master.First();
    EXPECT_EQ(nested->RecordCount(), 1);
    master.Next();
    EXPECT_EQ(nested->RecordCount(), 2);
    EXPECT_EQ(nested->FieldByName(L"Item")->AsString(), L"item2");
    // The nested records go to the file with their master.
    TMemoryStream data;
    master.SaveToStream(data);
    data.SetPosition(0);
    TFDMemTable loaded(nullptr);
    loaded.LoadFromStream(data);
    loaded.Last();
    TDataSet* loadedNested = dynamic_cast<TDataSetField*>(loaded.FieldByName(L"Lines"))->NestedDataSet();
    EXPECT_EQ(loadedNested->RecordCount(), 2);

    // The last master record's nested part (a length, then a record count of 2 and the records)
    // ends the file. Claiming a third record damages it: the load refuses it at once, not when
    // the record is shown.
    std::vector<std::uint8_t> bytes(data.Memory(), data.Memory() + data.DataSize());
    std::size_t count = 0;
    for (std::size_t p = 0; p + 8 <= bytes.size(); ++p) {
        std::uint32_t length, records;
        std::memcpy(&length, &bytes[p], 4);
        std::memcpy(&records, &bytes[p + 4], 4);
        if (p + 4 + length == bytes.size() && records == 2) count = p + 4;
    }
    ASSERT_NE(count, 0u);
    bytes[count] = 3;
    TMemoryStream damaged;
    damaged.WriteBuffer(bytes.data(), bytes.size());
    damaged.SetPosition(0);
    TFDMemTable target(nullptr);
    EXPECT_THROW(target.LoadFromStream(damaged), EDatabaseError);
    EXPECT_FALSE(target.Active());
}

// Fields freed while their tables are open: the master's key, a child of a structure and the
// nested records' only field. Moving (which loads the nested records), editing and saving walk
// the record layout; the file still holds every value, under the freed fields' names.
TEST(MemTableFields, FieldsFreedWhileOpenKeepTheLayoutWhole) {
    TFDMemTable master(nullptr);
    testing_support::CreateMasterWithLines(master);
    TDataSet* nested = testing_support::NestedLines(master);
    for (int id = 1; id <= 2; ++id) {
        master.Append();
        master.FieldByName(L"ID")->SetAsInteger(id);
        master.Post();
        nested->Append();
        nested->FieldByName(L"Item")->SetAsString(L"item" + std::to_wstring(id));
        nested->Post();
        master.Post();
    }
    delete master.FieldByName(L"ID");
    delete nested->FieldByName(L"Item");
    EXPECT_EQ(master.FindField(L"ID"), nullptr);
    master.First();
    master.Next();
    EXPECT_EQ(nested->RecordCount(), 1);
    nested->Append();  // a nested record of no field's value
    nested->Post();
    master.Post();
    TMemoryStream data;
    master.SaveToStream(data);
    data.SetPosition(0);
    TFDMemTable loaded(nullptr);
    loaded.LoadFromStream(data);
    loaded.Last();
    EXPECT_EQ(loaded.FieldByName(L"ID")->AsInteger(), 2);
    TDataSet* loadedLines = testing_support::NestedLines(loaded);
    ASSERT_EQ(loadedLines->RecordCount(), 2);
    EXPECT_EQ(loadedLines->FieldByName(L"Item")->AsString(), L"item2");

    auto rich = RichTable();
    delete rich->FieldByName(L"X");
    delete rich->FieldByName(L"Pos");
    delete rich->FieldByName(L"Note");
    rich->First();
    rich->Edit();
    rich->FieldByName(L"Name")->SetAsString(L"edited");
    rich->Post();
    TMemoryStream richData;
    rich->SaveToStream(richData);
    richData.SetPosition(0);
    loaded.LoadFromStream(richData);
    EXPECT_EQ(loaded.FieldByName(L"Name")->AsString(), L"edited");
    EXPECT_EQ(loaded.FieldByName(L"Note")->AsString(), L"");
    EXPECT_EQ(loaded.FieldByName(L"Pos.X")->AsFloat(), 0.0);
    loaded.Last();
    EXPECT_EQ(loaded.FieldByName(L"Note")->AsString(), String(100, L'n'));
    EXPECT_EQ(loaded.FieldByName(L"Pos.X")->AsFloat(), 0.5);
}
}  // namespace
