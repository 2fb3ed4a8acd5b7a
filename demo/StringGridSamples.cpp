#include "Filer.h"
#include "GallerySections.h"
#include "SysUtils.h"
#include "ssButton.h"
#include "ssGrids.h"

namespace {
constexpr TColor kPaleGreen = 0xDDFFDD, kNavy = 0x800000, kRed = 0x0000FF;

// The file the save button writes: the grid as a component stream.
String GridFile() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    return String(temp) + L"ssGallery-grid.ssc";
}

TssStringGrid* AddGrid(TGalleryBand& Band, int Width) {
    auto* grid = Band.Add<TssStringGrid>(Width);
    grid->SetOptions(grid->Options() + TGridOptions{TGridOption::goEditing, TGridOption::goColSizing,
                                                    TGridOption::goRowSizing});
    grid->SetColCount(4);
    grid->SetRowCount(6);
    grid->SetDefaultRowHeight(20);
    return grid;
}

void Fill(TssStringGrid* grid) {
    const wchar_t* const heads[] = {L"", L"品名", L"数量", L"備考"};
    for (int c = 0; c < 4; ++c) grid->SetCells(c, 0, heads[c]);
    const wchar_t* const items[][3] = {
        {L"りんご", L"12", L"青森産"},
        {L"みかん", L"30", L"有田産\r\n箱入り"},
        {L"ぶどう", L"5", L"巨峰"},
        {L"もも", L"8", L"岡山産\r\n要冷蔵"},
        {L"なし", L"20", L""},
    };
    for (int r = 1; r < 6; ++r) {
        grid->SetCells(0, r, IntToStr(r));
        for (int c = 1; c < 4; ++c) grid->SetCells(c, r, items[r - 1][c - 1]);
    }
}

void Decorate(TssStringGrid* grid) {
    grid->SetColWidths(0, 32);
    grid->SetColWidths(3, 120);
    grid->SetRowHeights(2, 40);
    grid->SetRowHeights(4, 40);
    grid->SetColAlignment(2, TAlignment::taRightJustify);
    grid->SetFixedColAlignment(1, TAlignment::taCenter);
    grid->SetColColor(2, kPaleGreen);
    // The second line of a two-line note: right-aligned, in red bold.
    TFont note;
    note.Assign(*grid->Font());
    note.SetStyle({TFontStyle::fsBold});
    note.SetColor(kRed);
    grid->MultiLine(3, 2, 1)->SetFont(&note);
    grid->MultiLine(3, 2, 1)->SetAlignment(TAlignment::taRightJustify);
    TPen thick;
    thick.SetWidth(2);
    thick.SetColor(kNavy);
    grid->SetRowLine(3, &thick);
    TPen red;
    red.SetColor(kRed);
    red.SetWidth(2);
    TssCellLine outer(nullptr);
    outer.SetUpperLine(&red);
    outer.SetBottomLine(&red);
    outer.SetLeftLine(&red);
    outer.SetRightLine(&red);
    grid->SetCellOuterLine(1, 4, &outer);
}
}  // namespace

void AddStringGridSamples(TGalleryBand& Band) {
    Band.NewRow(L"編集できるセル・複数行", 200);
    auto* source = AddGrid(Band, 330);
    Fill(source);
    Decorate(source);
    auto* copy = AddGrid(Band, 330);
    Band.NewRow(L"ファイルへ保存", 30);
    auto* save = Band.Add<TssButton>(220);
    save->SetCaption(L"保存して右に読み込む");
    save->OnClick = [source, copy, report = Band.Report()](TObject*) {
        try {
            WriteComponentFile(GridFile(), source);
            ReadComponentFile(GridFile(), copy);
            // The stream holds the layout and the attributes; the texts go through the row views.
            for (int r = 0; r < source->RowCount(); ++r) copy->Rows(r)->Assign(source->Rows(r));
            report(GridFile() + L" に保存して読み込みました");
        } catch (const Exception& e) {
            report(L"保存・読み込みに失敗しました：" + e.Message());
        }
    };
}
