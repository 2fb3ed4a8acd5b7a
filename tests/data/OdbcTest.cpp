// The database datasets on a real embedded database and a real server, one table of cases each.
// Under Wine the drivers are the host's libraries: the SQLite file and the server's port file are
// named by host paths (ODBC_TEST_DIR, ODBC_TEST_PG_DIR); on Windows they would be Windows paths.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include "ODBC.h"

namespace {

std::string Env(const char* Name) {
    const char* v = std::getenv(Name);
    return v ? v : "";
}

String Wide(const std::string& s) { return String(s.begin(), s.end()); }

struct TBackend {
    const char* Name;
    String (*ConnectionString)();
    // A table of every kind the type map knows, its key "id".
    const wchar_t* TypesTable;
    const wchar_t* AutoKeyTable;  // id, name: with a key the database fills
};

String SqliteConnection() {
    return L"Driver={SQLite3};Database=" + Wide(Env("ODBC_TEST_DIR")) + L"/odbc_test.db";
}

String PgConnection(const String& Password) {
    std::ifstream portFile(Env("ODBC_TEST_PG_DIR") + "/port");
    std::string port;
    portFile >> port;
    return L"Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=" + Wide(port) +
           L";Database=sstest;Uid=sstest;Pwd=" + Password + L";BoolsAsChar=0";
}

const TBackend kBackends[] = {
    {"SQLite", SqliteConnection,
     L"CREATE TABLE types (id INTEGER PRIMARY KEY, i INTEGER, big BIGINT, dec NUMERIC(10,2), f DOUBLE, "
     L"s VARCHAR(20), memo TEXT, d DATE, t TIME, ts TIMESTAMP, b BIT, bin BLOB)",
     L"CREATE TABLE people (id INTEGER PRIMARY KEY, name VARCHAR(40))"},
    {"PostgreSQL", [] { return PgConnection(L"sstest"); },
     L"CREATE TABLE types (id INTEGER PRIMARY KEY, i INTEGER, big BIGINT, dec DECIMAL(10,2), f DOUBLE PRECISION, "
     L"s VARCHAR(20), memo TEXT, d DATE, t TIME, ts TIMESTAMP, b BOOLEAN, bin BYTEA)",
     L"CREATE TABLE people (id SERIAL PRIMARY KEY, name VARCHAR(40))"},
};

class OdbcTest : public ::testing::TestWithParam<TBackend> {
protected:
    void SetUp() override {
        Db.SetConnectionString(GetParam().ConnectionString());
        Other.SetConnectionString(GetParam().ConnectionString());
        Db.Open();
        for (const wchar_t* t : {L"types", L"people", L"nokey", L"codes", L"edits", L"edits_before"}) Db.ExecSQL(String(L"DROP TABLE IF EXISTS ") + t);
        Db.ExecSQL(GetParam().TypesTable);
        Db.ExecSQL(GetParam().AutoKeyTable);
    }

    std::unique_ptr<TFDQuery> Query(TFDConnection& Connection, const String& SQL) {
        auto q = std::make_unique<TFDQuery>(nullptr);
        q->SetConnection(&Connection);
        q->SetSQL(SQL);
        return q;
    }

    // Names as a second connection sees them, in key order.
    String NamesSeenByOther() {
        auto q = Query(Other, L"SELECT name FROM people ORDER BY id");
        q->Open();
        String names;
        for (; !q->Eof(); q->Next()) names += q->Fields()[0]->AsString() + L";";
        return names;
    }

    void AddPeople(int Count) {
        auto q = Query(Db, L"INSERT INTO people (name) VALUES (:name)");
        for (int i = 1; i <= Count; ++i) {
            q->ParamByName(L"name").SetAsString(L"p" + std::to_wstring(i));
            q->ExecSQL();
        }
    }

    std::unique_ptr<TFDTable> People() {
        auto t = std::make_unique<TFDTable>(nullptr);
        t->SetConnection(&Db);
        t->SetTableName(L"people");
        return t;
    }

    // The first column of a one-value query.
    std::int64_t Count(const String& SQL) {
        auto q = Query(Other, SQL);
        q->Open();
        return q->Fields()[0]->AsLargeInt();
    }

    // "id:name;" of each row as a second connection sees them, in key order.
    String RowsSeenByOther() {
        auto q = Query(Other, L"SELECT id, name FROM people ORDER BY id");
        q->Open();
        String rows;
        for (; !q->Eof(); q->Next()) rows += q->Fields()[0]->AsString() + L":" + q->Fields()[1]->AsString() + L";";
        return rows;
    }

    TFDConnection Db{nullptr}, Other{nullptr};
};

TEST_P(OdbcTest, TypeMapKeepsValuesNullAndJapaneseText) {
    auto insert = Query(Db, L"INSERT INTO types (id, i, big, dec, f, s, memo, d, t, ts, b) "
                            L"VALUES (:id, :i, :big, :dec, :f, :s, :memo, :d, :t, :ts, :b)");
    insert->ParamByName(L"id").SetAsInteger(1);
    insert->ParamByName(L"i").SetAsInteger(-7);
    insert->ParamByName(L"big").SetAsInteger(5000000000LL);
    insert->ParamByName(L"dec").SetAsFloat(12.5);
    insert->ParamByName(L"f").SetAsFloat(0.25);
    insert->ParamByName(L"s").SetAsString(L"日本語のテキスト");
    insert->ParamByName(L"memo").SetAsString(String(3000, L'あ'));
    insert->ParamByName(L"d").SetAsDateTime(45000, TFDParam::TKind::pkDate);
    insert->ParamByName(L"t").SetAsDateTime(0.5, TFDParam::TKind::pkTime);
    insert->ParamByName(L"ts").SetAsDateTime(45000.75);
    insert->ParamByName(L"b").SetAsBoolean(true);
    insert->ExecSQL();
    Db.ExecSQL(L"INSERT INTO types (id, s, memo) VALUES (2, '', NULL)");

    auto t = std::make_unique<TFDTable>(nullptr);
    t->SetConnection(&Db);
    t->SetTableName(L"types");
    t->Open();
    struct {
        const wchar_t* Name;
        TFieldType Type;
    } kinds[] = {{L"id", TFieldType::ftInteger}, {L"i", TFieldType::ftInteger}, {L"big", TFieldType::ftLargeint},
                 {L"dec", TFieldType::ftFloat},  {L"f", TFieldType::ftFloat},   {L"memo", TFieldType::ftMemo},
                 {L"d", TFieldType::ftDate},     {L"t", TFieldType::ftTime},    {L"ts", TFieldType::ftDateTime},
                 {L"b", TFieldType::ftBoolean},  {L"bin", TFieldType::ftBlob}};
    for (auto& k : kinds) EXPECT_EQ(t->FieldByName(k.Name)->DataType(), k.Type) << std::string(k.Name, k.Name + wcslen(k.Name));
    TField* s = t->FieldByName(L"s");
    ASSERT_NE(dynamic_cast<TStringField*>(s), nullptr);
    EXPECT_EQ(s->Size(), 20);
    EXPECT_TRUE(t->FieldByName(L"bin")->ReadOnly());
    EXPECT_LE(t->FieldByName(L"memo")->DisplayWidth(), 255);

    EXPECT_EQ(t->FieldByName(L"i")->AsInteger(), -7);
    EXPECT_EQ(t->FieldByName(L"big")->AsLargeInt(), 5000000000LL);
    EXPECT_DOUBLE_EQ(t->FieldByName(L"dec")->AsFloat(), 12.5);
    EXPECT_DOUBLE_EQ(t->FieldByName(L"f")->AsFloat(), 0.25);
    EXPECT_EQ(s->AsString(), L"日本語のテキスト");
    EXPECT_EQ(t->FieldByName(L"memo")->AsString(), String(3000, L'あ'));
    EXPECT_DOUBLE_EQ(t->FieldByName(L"d")->AsDateTime(), 45000);
    EXPECT_DOUBLE_EQ(t->FieldByName(L"t")->AsDateTime(), 0.5);
    EXPECT_DOUBLE_EQ(t->FieldByName(L"ts")->AsDateTime(), 45000.75);
    EXPECT_TRUE(t->FieldByName(L"b")->AsBoolean());
    EXPECT_TRUE(t->FieldByName(L"bin")->IsNull());

    t->Next();  // NULL and "" stay apart
    EXPECT_FALSE(s->IsNull());
    EXPECT_EQ(s->AsString(), L"");
    EXPECT_TRUE(t->FieldByName(L"memo")->IsNull());
    EXPECT_TRUE(t->FieldByName(L"i")->IsNull());
}

TEST_P(OdbcTest, FetchAllCountsAtOnceOnDemandCountsAtTheEnd) {
    AddPeople(120);
    auto all = People();
    all->Open();
    // The data grid tells the family and the fetch mode by class and property names.
    EXPECT_TRUE(InheritsFromName(all.get(), L"TFDDataSet"));
    EXPECT_EQ(all->ClassName(), L"TFDTable");
    EXPECT_EQ(all->RecordCount(), 120);
    EXPECT_TRUE(all->IsSequenced());

    auto lazy = People();
    lazy->FetchOptions()->SetMode(TFDFetchMode::fmOnDemand);
    lazy->SetRowsetSize(50);
    lazy->Open();
    EXPECT_EQ(lazy->RecordCount(), -1);
    EXPECT_FALSE(lazy->IsSequenced());
    EXPECT_EQ(lazy->RecNo(), 1);
    EXPECT_EQ(lazy->MoveBy(70), 70);
    EXPECT_EQ(lazy->RecNo(), 71);
    EXPECT_EQ(lazy->FieldByName(L"name")->AsString(), L"p71");
    EXPECT_EQ(lazy->RecordCount(), -1);
    lazy->SetRecNo(110);
    EXPECT_EQ(lazy->FieldByName(L"name")->AsString(), L"p110");
    lazy->Last();
    EXPECT_EQ(lazy->RecordCount(), 120);
    EXPECT_EQ(lazy->RecNo(), 120);
    EXPECT_TRUE(lazy->IsSequenced());
}

TEST_P(OdbcTest, EditsReachTheDatabaseLiterally) {
    AddPeople(3);
    auto t = People();
    t->Open();
    ASSERT_TRUE(t->CanModify());
    EXPECT_EQ(t->FindField(L"rowid"), nullptr);  // the declared key serves
    const String injection = L"'; DROP TABLE people; --";
    t->Edit();
    t->FieldByName(L"name")->SetAsString(injection);
    t->Post();
    t->Next();
    t->Delete();
    t->Append();  // the database numbers the new record
    t->FieldByName(L"name")->SetAsString(L"新しい人");
    t->Next();  // moving away posts the new record
    EXPECT_EQ(t->State(), TDataSetState::dsBrowse);
    EXPECT_EQ(NamesSeenByOther(), injection + L";p3;新しい人;");

    auto q = Query(Db, L"SELECT id FROM people WHERE name = :name");
    q->ParamByName(L"name").SetAsString(injection);
    q->Open();
    EXPECT_EQ(q->RecordCount(), 1);
    EXPECT_FALSE(q->CanModify());  // a query names no table to write to
}

TEST_P(OdbcTest, AnInsertedRecordHoldsTheKeyTheDatabaseGaveIt) {
    Db.ExecSQL(L"ALTER TABLE people ADD COLUMN city VARCHAR(20) DEFAULT '東京'");
    AddPeople(2);
    auto t = People();
    t->Open();
    t->Append();
    t->FieldByName(L"name")->SetAsString(L"new");
    t->Post();
    EXPECT_EQ(t->FieldByName(L"id")->AsInteger(), 3);
    EXPECT_EQ(t->FieldByName(L"city")->AsString(), L"東京");  // the column's default, as stored
    t->Edit();  // the record names its row in the database: editing it again reaches it
    t->FieldByName(L"name")->SetAsString(L"renamed");
    t->Post();
    EXPECT_EQ(NamesSeenByOther(), L"p1;p2;renamed;");
    t->Delete();
    EXPECT_EQ(NamesSeenByOther(), L"p1;p2;");

    if (GetParam().Name != std::string("SQLite")) return;
    // A table without row numbers cannot be read back by one: the record stays as posted.
    Db.ExecSQL(L"CREATE TABLE codes (code VARCHAR(5) PRIMARY KEY, name VARCHAR(20)) WITHOUT ROWID");
    auto codes = std::make_unique<TFDTable>(nullptr);
    codes->SetConnection(&Db);
    codes->SetTableName(L"codes");
    codes->Open();
    codes->Append();
    codes->FieldByName(L"code")->SetAsString(L"A1");
    codes->FieldByName(L"name")->SetAsString(L"first");
    codes->Post();
    EXPECT_EQ(codes->State(), TDataSetState::dsBrowse);
    EXPECT_EQ(codes->FieldByName(L"code")->AsString(), L"A1");
    auto count = Query(Other, L"SELECT COUNT(*) FROM codes");
    count->Open();
    EXPECT_EQ(count->Fields()[0]->AsInteger(), 1);
}

TEST_P(OdbcTest, RowGoneSinceReadRaisesAndKeepsTheEdit) {
    AddPeople(2);
    auto t = People();
    t->Open();
    t->Edit();
    t->FieldByName(L"name")->SetAsString(L"mine");
    Other.ExecSQL(L"DELETE FROM people WHERE name = 'p1'");
    EXPECT_THROW(t->Post(), EDatabaseError);
    EXPECT_EQ(t->State(), TDataSetState::dsEdit);
    EXPECT_EQ(t->FieldByName(L"name")->AsString(), L"mine");
    t->Cancel();
    EXPECT_EQ(NamesSeenByOther(), L"p2;");
}

// Values the fields read short of what the database holds: text beyond the size the driver
// reports, a decimal of twenty digits, microseconds, a single-precision float.
TEST_P(OdbcTest, AnEditWritesOnlyTheFieldsItChanged) {
    const bool sqlite = GetParam().Name == std::string("SQLite");
    Db.ExecSQL(String(L"CREATE TABLE edits (id INTEGER PRIMARY KEY, code VARCHAR(10), long_text ") +
               (sqlite ? L"VARCHAR(10)" : L"VARCHAR") + L", amount NUMERIC(20,4), stamp TIMESTAMP, r REAL)");
    const String longText(303, L'x');
    Db.ExecSQL(L"INSERT INTO edits VALUES (1, 'a', '" + longText +
               L"', 1234567890123456.7891, '2024-05-06 07:08:09.123456', 0.1234567890123456789)");
    Db.ExecSQL(L"INSERT INTO edits VALUES (2, 'b', 'short', 1, '2024-05-06 07:08:09', 1)");
    Db.ExecSQL(L"CREATE TABLE edits_before AS SELECT * FROM edits");
    auto t = std::make_unique<TFDTable>(nullptr);
    t->SetConnection(&Db);
    t->SetTableName(L"edits");
    t->Open();
    ASSERT_LT(t->FieldByName(L"long_text")->Size(), 303);  // the text is read cut short

    t->Edit();
    t->FieldByName(L"code")->SetAsString(L"new");
    t->Post();
    EXPECT_EQ(Count(L"SELECT COUNT(*) FROM edits WHERE id = 1 AND code = 'new'"), 1);
    for (const wchar_t* column : {L"long_text", L"amount", L"stamp", L"r"}) {
        SCOPED_TRACE(std::string(column, column + wcslen(column)));
        EXPECT_EQ(Count(String(L"SELECT COUNT(*) FROM edits e JOIN edits_before b ON b.id = e.id WHERE e.id = 1 AND e.") +
                        column + L" = b." + column),
                  1);
    }

    // An edit that changes nothing asks nothing of the database: the row gone meanwhile is no error.
    t->Next();
    t->Edit();
    t->FieldByName(L"code")->SetAsString(L"b");
    Other.ExecSQL(L"DELETE FROM edits WHERE id = 2");
    t->Post();
    EXPECT_EQ(t->State(), TDataSetState::dsBrowse);
    EXPECT_EQ(t->FieldByName(L"long_text")->AsString(), L"short");
    // A change to a row gone is still one.
    t->Edit();
    t->FieldByName(L"code")->SetAsString(L"c");
    EXPECT_THROW(t->Post(), EDatabaseError);
    EXPECT_EQ(t->State(), TDataSetState::dsEdit);
    t->Cancel();
}

TEST_P(OdbcTest, TheKeyAsReadNamesTheRowWhateverTheEditDidToIt) {
    AddPeople(3);
    auto t = People();
    t->Open();
    // Deleting a record whose key was edited deletes the row it was read from.
    t->Edit();
    t->FieldByName(L"id")->SetAsInteger(3);
    t->Delete();
    EXPECT_EQ(RowsSeenByOther(), L"2:p2;3:p3;");
    EXPECT_EQ(t->State(), TDataSetState::dsBrowse);
    EXPECT_EQ(t->RecordCount(), 2);
    EXPECT_EQ(t->FieldByName(L"id")->AsInteger(), 2);
    // A new record never posted is only dropped.
    t->Append();
    t->FieldByName(L"id")->SetAsInteger(2);
    t->FieldByName(L"name")->SetAsString(L"new");
    t->Delete();
    EXPECT_EQ(RowsSeenByOther(), L"2:p2;3:p3;");
    EXPECT_EQ(t->RecordCount(), 2);
    // An edited key is written to the row found by the key as read; the record then names its new key.
    t->First();
    t->Edit();
    t->FieldByName(L"id")->SetAsInteger(10);
    t->Post();
    EXPECT_EQ(RowsSeenByOther(), L"3:p3;10:p2;");
    t->Edit();
    t->FieldByName(L"name")->SetAsString(L"moved");
    t->Post();
    EXPECT_EQ(RowsSeenByOther(), L"3:p3;10:moved;");
}

// A field freed while the table is open leaves its place in the records: editing, inserting and
// deleting go on with the fields that remain, and the freed one's column is left alone.
TEST_P(OdbcTest, AFieldFreedWhileOpenLeavesItsColumnAlone) {
    AddPeople(2);
    auto t = People();
    t->Open();
    delete t->FieldByName(L"name");
    EXPECT_EQ(t->FindField(L"name"), nullptr);
    t->Edit();
    t->FieldByName(L"id")->SetAsInteger(7);
    t->Post();
    t->Append();
    t->FieldByName(L"id")->SetAsInteger(9);
    t->Post();
    EXPECT_EQ(RowsSeenByOther(), L"2:p2;7:p1;9:;");
    t->Last();
    t->Delete();
    t->First();
    t->Delete();
    EXPECT_EQ(RowsSeenByOther(), L"2:p2;");
    t->Close();
    t->Open();  // the fields are made anew
    EXPECT_EQ(t->FieldByName(L"name")->AsString(), L"p2");
}

TEST_P(OdbcTest, LostConnectionRaisesAndKeepsTheEdit) {
    if (GetParam().Name == std::string("SQLite")) GTEST_SKIP() << "an embedded database has no connection to lose";
    AddPeople(1);
    auto t = People();
    t->Open();
    t->Edit();
    t->FieldByName(L"name")->SetAsString(L"mine");
    Other.ExecSQL(L"SELECT pg_terminate_backend(pid) FROM pg_stat_activity "
                  L"WHERE datname = 'sstest' AND pid <> pg_backend_pid()");
    EXPECT_THROW(t->Post(), EDatabaseError);
    EXPECT_EQ(t->State(), TDataSetState::dsEdit);
    t->Post();  // the next statement runs on a new connection
    EXPECT_EQ(NamesSeenByOther(), L"mine;");
}

TEST_P(OdbcTest, ResultCutOffByALostConnectionRaisesOnReadingOn) {
    if (GetParam().Name == std::string("SQLite")) GTEST_SKIP() << "an embedded database has no connection to lose";
    AddPeople(120);
    auto lazy = People();
    lazy->FetchOptions()->SetMode(TFDFetchMode::fmOnDemand);
    lazy->SetRowsetSize(50);
    lazy->Open();
    auto kept = People();
    kept->Open();
    Other.ExecSQL(L"SELECT pg_terminate_backend(pid) FROM pg_stat_activity "
                  L"WHERE datname = 'sstest' AND pid <> pg_backend_pid()");
    EXPECT_THROW(Db.ExecSQL(L"UPDATE people SET name = 'x' WHERE id = 1"), EDatabaseError);
    kept->Last();  // the last row: an update leaves the table's order as it was
    kept->Edit();
    kept->FieldByName(L"name")->SetAsString(L"after");
    kept->Post();
    EXPECT_EQ(lazy->FieldByName(L"name")->AsString(), L"p1");  // what was read stays readable
    EXPECT_THROW(lazy->MoveBy(60), EDatabaseError);
    lazy->Close();
    lazy->Open();
    EXPECT_EQ(lazy->MoveBy(60), 60);
    EXPECT_EQ(lazy->FieldByName(L"name")->AsString(), L"p61");
}

TEST_P(OdbcTest, WithoutKeyOrBackwardsTheDatasetRefuses) {
    Db.ExecSQL(L"CREATE TABLE nokey (name VARCHAR(10))");
    Db.ExecSQL(L"INSERT INTO nokey VALUES ('a')");
    auto t = std::make_unique<TFDTable>(nullptr);
    t->SetConnection(&Db);
    t->SetTableName(L"nokey");
    t->Open();
    if (GetParam().Name == std::string("SQLite")) {  // its row number names the row
        ASSERT_TRUE(t->CanModify());
        EXPECT_FALSE(t->FieldByName(L"rowid")->Visible());
        t->Edit();
        t->FieldByName(L"name")->SetAsString(L"b");
        t->Post();
        auto q = Query(Other, L"SELECT name FROM nokey");
        q->Open();
        EXPECT_EQ(q->Fields()[0]->AsString(), L"b");
    } else {
        EXPECT_FALSE(t->CanModify());
        EXPECT_THROW(t->Edit(), EDatabaseError);
    }

    AddPeople(3);
    auto q = Query(Db, L"SELECT name FROM people");
    q->SetUnidirectional(true);
    q->Open();
    EXPECT_TRUE(q->IsUnidirectional());
    q->Next();
    EXPECT_THROW(q->Prior(), EDatabaseError);
}

TEST_P(OdbcTest, BadConnectionsAndTablesLeaveThingsClosed) {
    const String good = GetParam().ConnectionString();
    const String badStrings[] = {
        L"Driver={No Such Driver};Database=x",
        GetParam().Name == std::string("SQLite") ? L"Driver={SQLite3};Database=/nonexistent/folder/x.db"
                                                 : PgConnection(L"wrong"),
    };
    for (const String& bad : badStrings) {
        TFDConnection c(nullptr);
        c.SetConnectionString(bad);
        try {
            c.Open();
            ADD_FAILURE() << "connected";
        } catch (const EDatabaseError& e) {
            EXPECT_NE(e.Message().find(L"Cannot connect"), String::npos);
            EXPECT_GT(e.Message().size(), 30u);  // the driver's own words follow
        }
        EXPECT_FALSE(c.Connected());
    }

    auto t = std::make_unique<TFDTable>(nullptr);
    t->SetConnection(&Db);
    t->SetTableName(L"vanished");
    EXPECT_THROW(t->Open(), EDatabaseError);
    EXPECT_FALSE(t->Active());
    t->SetTableName(L"people");
    t->Open();  // the connection still serves
    EXPECT_TRUE(t->Active());
}

INSTANTIATE_TEST_SUITE_P(Databases, OdbcTest, ::testing::ValuesIn(kBackends),
                         [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
