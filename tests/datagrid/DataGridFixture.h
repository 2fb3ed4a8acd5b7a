// Memory tables and data grids on shown forms, for the data grid's tests.
#pragma once
#include <memory>
#include <string>

#include "../controls/ControlsFixture.h"
#include "MemTable.h"
#include "ssVirDBGrid.h"

namespace datagrid_test {

// A memory table with the fields ID (integer) and Name (string of 10), holding records 1..count
// named "r1".."rN", on the first record.
inline std::unique_ptr<TFDMemTable> MakeTable(int count, const String& second = L"Name") {
    auto t = std::make_unique<TFDMemTable>(nullptr);
    t->FieldDefs().Add(L"ID", TFieldType::ftInteger);
    t->FieldDefs().Add(second, TFieldType::ftString, 10);
    t->CreateDataSet();
    for (int i = 1; i <= count; ++i) {
        t->Append();
        t->FieldByName(L"ID")->SetAsInteger(i);
        t->FieldByName(second)->SetAsString(L"r" + std::to_wstring(i));
        t->Post();
    }
    t->First();
    return t;
}

// Counts the layout passes.
class TCountingGrid : public TssVirtualDBGrid {
public:
    using TssVirtualDBGrid::TssVirtualDBGrid;
    int Relayouts = 0;
    using TssCustomDBGrid::InvalidateCell;

protected:
    void Relayout() override {
        ++Relayouts;
        TssVirtualDBGrid::Relayout();
    }
};

// A grid over a dataset, filling a shown form without a border.
struct DataSetGrid {
    controls_test::ShownForm Form;
    TDataSource* Source;
    TCountingGrid* Grid;
    explicit DataSetGrid(TDataSet* DataSet, int height = 160, int width = 300)
        : Form(width, height), Source(new TDataSource(Form.Form)), Grid(new TCountingGrid(Form.Form)) {
        Grid->SetParent(Form.Form);
        Grid->SetBorderStyle(TBorderStyle::bsNone);
        Grid->SetBounds(0, 0, width, height);
        Source->SetDataSet(DataSet);
        Grid->SetDataSource(Source);
        Form.Capture();
    }
    ~DataSetGrid() { Grid->SetDataSource(nullptr); }
    // The data rows the grid shows.
    int DataRows() const { return Grid->RowCount() - Grid->TitleOffset(); }
};

// Made before the grid that shows it, gone after it.
struct TableHolder {
    std::unique_ptr<TFDMemTable> Table;
};

// A memory table of `records` records (MakeTable) shown in a grid.
struct GridOnForm : TableHolder, DataSetGrid {
    explicit GridOnForm(int records, int height = 160, int width = 300)
        : TableHolder{MakeTable(records)}, DataSetGrid(Table.get(), height, width) {}
};

}  // namespace datagrid_test
