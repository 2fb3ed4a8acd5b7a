#include <string>

#include "GallerySections.h"
#include "MemTable.h"
#include "ODBC.h"
#include "ssDBGrid.h"
#include "ssLabel.h"

namespace {
constexpr int kRecords = 1000000;
constexpr int kDatabaseRecords = 100000;
constexpr TColor kNavy = 0x800000;

// A thick line under every fifth record of the grid's dataset.
void LineEveryFifthRecord(TssDBGrid* Grid, int Records) {
    TPen thick;
    thick.SetWidth(3);
    thick.SetColor(kNavy);
    for (int record = 5; record <= Records; record += 5) Grid->SetRowLine(Grid->TitleOffset() + record - 1, &thick);
}

// The file name the SQLite driver is to open. Under Wine the driver is the host's library and
// opens host paths, so the Windows path is given as Wine's host path; on Windows it stays.
String DriverPath(const String& WindowsPath) {
    using TToHost = char*(CDECL*)(LPCWSTR);
    auto toHost = reinterpret_cast<TToHost>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    char* host = toHost ? toHost(WindowsPath.c_str()) : nullptr;
    if (!host) return WindowsPath;
    wchar_t wide[MAX_PATH * 2];
    int length = MultiByteToWideChar(CP_UTF8, 0, host, -1, wide, MAX_PATH * 2);
    HeapFree(GetProcessHeap(), 0, host);
    return length > 0 ? String(wide) : WindowsPath;
}

// The gallery's SQLite database in the temporary folder, its table filled on first use.
TFDConnection* OpenGalleryDatabase(TComponent* Owner) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    auto* connection = new TFDConnection(Owner);
    connection->SetConnectionString(L"Driver={SQLite3};Database=" + DriverPath(String(temp) + L"ssGallery.db"));
    connection->Open();
    connection->ExecSQL(L"CREATE TABLE IF NOT EXISTS 市区町村 (番号 INTEGER PRIMARY KEY, 名前 VARCHAR(20))");
    connection->ExecSQL(L"INSERT INTO 市区町村 (番号, 名前) WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 "
                        L"FROM n WHERE i < " + IntToStr(kDatabaseRecords) + L") SELECT i, '行 ' || i FROM n "
                        L"WHERE NOT EXISTS (SELECT 1 FROM 市区町村)");
    return connection;
}

void AddDatabaseGrid(TGalleryBand& Band) {
    auto* grid = Band.Add<TssDBGrid>(300);
    try {
        auto* table = new TFDTable(grid);
        table->SetConnection(OpenGalleryDatabase(grid));
        table->SetTableName(L"市区町村");
        table->Open();
        auto* source = new TDataSource(grid);
        source->SetDataSet(table);
        grid->SetScrollAllRow(true);
        grid->SetDataSource(source);
        LineEveryFifthRecord(grid, kDatabaseRecords);
    } catch (const Exception& e) {
        // Without the SQLite driver the row says why instead of showing an empty grid.
        grid->SetVisible(false);
        auto* message = Band.Add<TssLabel>(300);
        message->SetWordWrap(true);
        message->SetCaption(L"SQLite データベースを開けません: " + e.Message());
    }
}
}  // namespace

void AddSmoothDBGridSamples(TGalleryBand& Band) {
    Band.NewRow(L"左：1,000,000 件のメモリテーブル、右：SQLite の 100,000 件（ODBC）。つまみで任意の行へ、PageUp/PageDown は画面上の行を保ったまま 1 画面分", 330);
    auto* grid = Band.Add<TssDBGrid>(300);
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
    LineEveryFifthRecord(grid, kRecords);
    auto report = Band.Report();
    table->SetAfterScroll([grid, report](TDataSet*) { report(L"現在のレコード " + IntToStr(grid->CurrentRecordNumber())); });
    AddDatabaseGrid(Band);
}
