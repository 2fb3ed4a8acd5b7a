// The memory table's files: a save replaces the file whole or not at all.
#include <gtest/gtest.h>

#include "DataFixture.h"
#include "TestSupport.h"

namespace {

using testing_support::FolderEntries;

TEST(MemTableFile, SaveReplacesAndAFailedSaveKeepsTheOldFile) {
    testing_support::TempDir dir;
    String name = dir / L"table.dat";
    auto t = MakeTable(3);
    t->SaveToFile(name);
    t->Append();
    t->FieldByName(L"ID")->SetAsInteger(4);
    t->Post();
    t->SaveToFile(name);
    TFDMemTable loaded(nullptr);
    loaded.LoadFromFile(name);
    EXPECT_EQ(loaded.RecordCount(), 4);

    // A read-only file is not replaced: the save fails, the old file stays and no scratch file is left.
    ASSERT_TRUE(SetFileAttributesW(name.c_str(), FILE_ATTRIBUTE_READONLY));
    t->Delete();
    EXPECT_THROW(t->SaveToFile(name), EStreamError);
    loaded.LoadFromFile(name);
    EXPECT_EQ(loaded.RecordCount(), 4);
    EXPECT_EQ(FolderEntries(dir.Path()), std::vector<String>{L"table.dat"});
    SetFileAttributesW(name.c_str(), FILE_ATTRIBUTE_NORMAL);

    EXPECT_THROW(loaded.LoadFromFile(dir / L"missing.dat"), EStreamError);
}

}  // namespace
