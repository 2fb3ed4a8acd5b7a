#include "GallerySections.h"
#include "ssGrids.h"

namespace {
constexpr int kRows = 1000000;
constexpr int kCols = 50;
constexpr TColor kPaleYellow = 0xCCFFFF, kPaleBlue = 0xFFEEDD, kRed = 0x0000FF, kNavy = 0x800000;

// Column headers A, B, ... Z, AA, AB ...
String ColumnName(int c) {
    String name;
    for (++c; c > 0; c = (c - 1) / 26) name.insert(name.begin(), wchar_t(L'A' + (c - 1) % 26));
    return name;
}
}  // namespace

void AddDrawGridSamples(TGalleryBand& Band) {
    Band.NewRow(L"1,000,000 行 × 50 列", 330);
    auto* grid = Band.Add<TssDrawGrid>(620);
    grid->SetColCount(kCols);
    grid->SetRowCount(kRows);
    grid->SetDefaultRowHeight(20);
    grid->SetColWidths(0, 72);
    grid->SetColWidths(4, 0);  // column D is hidden
    grid->SetColColor(2, kPaleYellow);
    grid->SetColColor(6, kPaleBlue);
    TFont bold;
    bold.Assign(*grid->Font());
    bold.SetStyle({TFontStyle::fsBold});
    bold.SetColor(kNavy);
    grid->SetColFont(3, &bold);
    TPen thick;
    thick.SetWidth(3);
    thick.SetColor(kNavy);
    grid->SetRowLine(5, &thick);
    TPen red;
    red.SetColor(kRed);
    red.SetWidth(2);
    TssCellLine outer(nullptr);
    outer.SetUpperLine(&red);
    outer.SetBottomLine(&red);
    outer.SetLeftLine(&red);
    outer.SetRightLine(&red);
    grid->SetCellOuterLine(5, 2, &outer);
    TssCellLine inner(nullptr);
    TPen green;
    green.SetColor(0x008000);
    inner.SetBottomLine(&green);
    grid->SetCellInnerLine(6, 3, &inner);

    grid->OnDrawCell = [grid](TObject*, int col, int row, const RECT& r, TGridDrawState state) {
        String text;
        if (row == 0 && col == 0) text = L"";
        else if (row == 0) text = ColumnName(col - 1);
        else if (col == 0) text = IntToStr(row);
        else text = IntToStr(row * 100 + col);
        TCanvas* canvas = grid->Canvas();
        canvas->Brush()->SetStyle(TBrushStyle::bsClear);
        canvas->TextRect(r, r.left + 3, r.top + 3, text);
    };
    auto report = Band.Report();
    grid->OnTopLeftChanged = [grid, report](TObject*) {
        report(L"先頭の行 " + IntToStr(grid->TopRow()) + L"　左端の列 " + IntToStr(grid->LeftCol()));
    };
}
