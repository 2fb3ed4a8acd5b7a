#include "GallerySections.h"
#include "MemTable.h"
#include "ssVirDBGrid.h"

namespace {
const wchar_t* const kNames[] = {L"青森", L"岩手", L"宮城", L"秋田", L"山形", L"福島", L"茨城", L"栃木",
                                 L"群馬", L"埼玉", L"千葉", L"東京", L"神奈川", L"新潟", L"富山", L"石川"};
}  // namespace

void AddEditableDataGridSamples(TGalleryBand& Band) {
    Band.NewRow(L"16 行の表（最終行で↓を押すと追加、Ctrl+C でコピー）", 260);
    auto* grid = Band.Add<TssVirtualDBGrid>(620);
    // The table and its source belong to the grid, which lets go of them before they are freed.
    auto* table = new TFDMemTable(grid);
    table->FieldDefs().Add(L"番号", TFieldType::ftInteger);
    table->FieldDefs().Add(L"名前", TFieldType::ftString, 20);
    table->FieldDefs().Add(L"人数", TFieldType::ftInteger);
    table->CreateDataSet();
    int number = 0;
    for (const wchar_t* name : kNames) {
        table->Append();
        table->FieldByName(L"番号")->SetAsInteger(++number);
        table->FieldByName(L"名前")->SetAsString(name);
        table->FieldByName(L"人数")->SetAsInteger(number * 37 % 100 + 10);
        table->Post();
    }
    table->First();
    auto* source = new TDataSource(grid);
    source->SetDataSet(table);
    grid->SetOptions(grid->Options() + TDBGridOptions{TDBGridOption::dgMultiSelect, TDBGridOption::dgConfirmDelete});
    grid->SetDataSource(source);
    grid->OnCellClick = [report = Band.Report(), grid](TssColumn* Column) {
        report(L"選択行 " + IntToStr(grid->SelectedRows()->Count()) + L" 件、列「" +
                      Column->Title()->Caption() + L"」");
    };
}
