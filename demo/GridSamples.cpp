#include <map>
#include <memory>
#include <numeric>
#include <vector>

#include "GallerySections.h"
#include "ssGrids.h"

namespace {
constexpr int kRows = 1000000;
constexpr int kCols = 50;
constexpr TColor kPaleYellow = 0xCCFFFF, kPaleBlue = 0xFFEEDD, kRed = 0x0000FF, kNavy = 0x800000;

// The sample grid: a postal-code column with a mask, a column that cannot be edited, and the
// texts the user typed over the generated ones; columns keep their texts when they are moved.
class TGalleryGrid : public TssDrawGrid {
public:
    explicit TGalleryGrid(TComponent* AOwner) : TssDrawGrid(AOwner), FOrder(kCols) {
        std::iota(FOrder.begin(), FOrder.end(), 0);
    }
    // The column a shown column stands for.
    int Logical(int col) const { return FOrder[std::size_t(col)]; }
    String Text(int col, int row) const {
        auto it = FEdited.find({Logical(col), row});
        if (it != FEdited.end()) return it->second;
        if (Logical(col) == kPostalCol) return Format(L"%.3d-%.4d", {(long long)(row % 1000), (long long)(row % 10000)});
        return IntToStr(row * 100 + Logical(col));
    }
    static constexpr int kPostalCol = 2, kReadOnlyCol = 3;

protected:
    String GetEditText(int ACol, int ARow) override { return Text(ACol, ARow); }
    void SetEditText(int ACol, int ARow, const String& Value) override { FEdited[{Logical(ACol), ARow}] = Value; }
    String GetEditMask(int ACol, int ARow) override { return Logical(ACol) == kPostalCol ? L"000-0000;1;_" : L""; }
    int GetEditLimit() override { return Logical(Col()) == kReadOnlyCol ? -1 : 0; }
    void ColumnMoved(int FromIndex, int ToIndex) override {
        int moved = FOrder[std::size_t(FromIndex)];
        FOrder.erase(FOrder.begin() + FromIndex);
        FOrder.insert(FOrder.begin() + ToIndex, moved);
        TssDrawGrid::ColumnMoved(FromIndex, ToIndex);
    }

private:
    std::vector<int> FOrder;
    std::map<std::pair<int, int>, String> FEdited;
};

// Column headers A, B, ... Z, AA, AB ...
String ColumnName(int c) {
    String name;
    for (++c; c > 0; c = (c - 1) / 26) name.insert(name.begin(), wchar_t(L'A' + (c - 1) % 26));
    return name;
}
}  // namespace

void AddDrawGridSamples(TGalleryBand& Band) {
    Band.NewRow(L"1,000,000 行 × 50 列（B 列は郵便番号、C 列は編集不可。列の幅・行の高さ・列の順序はマウスで変更）", 330);
    auto* grid = Band.Add<TGalleryGrid>(620);
    grid->SetOptions(grid->Options() + TGridOptions{TGridOption::goEditing, TGridOption::goTabs, TGridOption::goColSizing,
                                                    TGridOption::goRowSizing, TGridOption::goColMoving});
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
        else if (row == 0) text = ColumnName(grid->Logical(col) - 1);
        else if (col == 0) text = IntToStr(row);
        else text = grid->Text(col, row);
        TCanvas* canvas = grid->Canvas();
        canvas->Brush()->SetStyle(TBrushStyle::bsClear);
        canvas->TextRect(r, r.left + 3, r.top + 3, text);
    };
    auto report = Band.Report();
    grid->OnTopLeftChanged = [grid, report](TObject*) {
        report(L"先頭の行 " + IntToStr(grid->TopRow()) + L"　左端の列 " + IntToStr(grid->LeftCol()));
    };
}
