// A memory table of narrow records (an integer and a short name) for the dataset and grid
// benchmarks.
#pragma once
#include <memory>
#include <string>

#include "MemTable.h"

// Count records "ID" 1..Count, "Name" "name<n>" (10 characters), positioned on the first.
inline std::unique_ptr<TFDMemTable> NarrowTable(int Count) {
    auto t = std::make_unique<TFDMemTable>(nullptr);
    t->FieldDefs().Add(L"ID", TFieldType::ftInteger);
    t->FieldDefs().Add(L"Name", TFieldType::ftString, 10);
    t->CreateDataSet();
    TField* id = t->FieldByName(L"ID");
    TField* name = t->FieldByName(L"Name");
    for (int i = 1; i <= Count; ++i) {
        t->Append();
        id->SetAsInteger(i);
        name->SetAsString(L"name" + std::to_wstring(i % 1000000));
        t->Post();
    }
    t->First();
    return t;
}
