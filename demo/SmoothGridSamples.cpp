#include <string>

#include "GallerySections.h"
#include "MemTable.h"
#include "ssDBGrid.h"

namespace {
constexpr int kRecords = 1000000;
constexpr TColor kNavy = 0x800000;
}  // namespace

void AddSmoothDBGridSamples(TGalleryBand& Band) {
    Band.NewRow(L"1,000,000 件のメモリテーブル（つまみで任意の行へ、PageUp/PageDown は画面上の行を保ったまま 1 画面分）", 330);
    auto* grid = Band.Add<TssDBGrid>(620);
    // The grid owns what it shows, so they go together.
    auto* table = new TFDMemTable(grid);
    table->FieldDefs().Add(L"番号", TFieldType::ftInteger);
    table->FieldDefs().Add(L"名前", TFieldType::ftString, 20);
    table->CreateDataSet();
    TField* number = table->FieldByName(L"番号");
    TField* name = table->FieldByName(L"名前");
    for (int i = 1; i <= kRecords; ++i) {
        table->Append();
        number->SetAsInteger(i);
        name->SetAsString(L"レコード " + std::to_wstring(i));
        table->Post();
    }
    table->First();
    auto* source = new TDataSource(grid);
    source->SetDataSet(table);
    grid->SetScrollAllRow(true);
    grid->SetDataSource(source);
    // A thick line under every fifth record.
    TPen thick;
    thick.SetWidth(3);
    thick.SetColor(kNavy);
    for (int record = 5; record <= kRecords; record += 5) grid->SetRowLine(grid->TitleOffset() + record - 1, &thick);
    auto report = Band.Report();
    table->SetAfterScroll([grid, report](TDataSet*) { report(L"現在のレコード " + IntToStr(grid->CurrentRecordNumber())); });
}
