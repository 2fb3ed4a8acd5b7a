// Datasets and a recording data link for the dataset layer's tests.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "MemTable.h"

// A memory table with the fields ID (integer) and Name (string of 10), holding records
// 1..count with names "r1".."rN".
inline std::unique_ptr<TFDMemTable> MakeTable(int count) {
    auto t = std::make_unique<TFDMemTable>(nullptr);
    t->FieldDefs().Add(L"ID", TFieldType::ftInteger);
    t->FieldDefs().Add(L"Name", TFieldType::ftString, 10);
    t->CreateDataSet();
    for (int i = 1; i <= count; ++i) {
        t->Append();
        t->FieldByName(L"ID")->SetAsInteger(i);
        t->FieldByName(L"Name")->SetAsString(L"r" + std::to_wstring(i));
        t->Post();
    }
    t->First();
    return t;
}

// Writes down every notification it gets, one short line each.
class TRecordingLink : public TDataLink {
public:
    std::vector<std::string> Log;
    void Clear() { Log.clear(); }

protected:
    void ActiveChanged() override { Log.push_back(Active() ? "active" : "inactive"); }
    void DataSetChanged() override { Log.push_back("changed"); }
    void DataSetScrolled(int Distance) override { Log.push_back("scrolled " + std::to_string(Distance)); }
    void LayoutChanged() override { Log.push_back("layout"); }
    void EditingChanged() override { Log.push_back(Editing() ? "editing" : "not editing"); }
    void RecordChanged(TField* Field) override {
        Log.push_back(Field ? "record " + std::string(Field->FieldName().begin(), Field->FieldName().end()) : "record");
    }
    void UpdateData() override { Log.push_back("update"); }
};
