// A memory table of masters with nested records, shared by the dataset's and the grids' tests.
#pragma once
#include "MemTable.h"

namespace testing_support {

// Makes Master a table of "ID" (integer) and "Lines", a nested dataset of "Item" (10 characters).
inline void CreateMasterWithLines(TFDMemTable& Master) {
    Master.FieldDefs().Add(L"ID", TFieldType::ftInteger);
    TFieldDef& lines = Master.FieldDefs().Add(L"Lines", TFieldType::ftDataSet);
    lines.ChildDefs.push_back({L"Item", TFieldType::ftString, 10, false, {}});
    Master.CreateDataSet();
}

// The nested dataset of a master table made by CreateMasterWithLines.
inline TDataSet* NestedLines(TFDMemTable& Master) {
    auto* field = dynamic_cast<TDataSetField*>(Master.FieldByName(L"Lines"));
    return field ? field->NestedDataSet() : nullptr;
}

}  // namespace testing_support
