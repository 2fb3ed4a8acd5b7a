// The data grid's full repaint with the row indicators and 1,000 selected rows, against a plain
// loop of ExtTextOutW over the texts the same cells show and LineTo for the lines between them.
#include <cstdio>
#include <vector>

#include "DataGridBench.h"
#include "GridBench.h"
#include "MemTable.h"
#include "ssVirDBGrid.h"
#include "ssVirDBGridSupport.h"

using namespace grid_bench;

namespace {
constexpr int Width = 800, Height = 600, Records = 1000;
}  // namespace

void DataGridRepaintComparison() {
    TFDMemTable table(nullptr);
    table.FieldDefs().Add(L"ID", TFieldType::ftInteger);
    table.FieldDefs().Add(L"Name", TFieldType::ftString, 20);
    table.FieldDefs().Add(L"Note", TFieldType::ftString, 20);
    table.CreateDataSet();
    for (int i = 1; i <= Records; ++i) {
        table.Append();
        table.FieldByName(L"ID")->SetAsInteger(i);
        table.FieldByName(L"Name")->SetAsString(L"name" + IntToStr(i));
        table.FieldByName(L"Note")->SetAsString(L"note" + IntToStr(i * 7));
        table.Post();
    }
    TShownGrid<TssVirtualDBGrid> shown(Width, Height);
    TssVirtualDBGrid* grid = shown.Grid;
    auto* source = new TDataSource(shown.Form);
    source->SetDataSet(&table);
    grid->SetOptions(grid->Options() + TDBGridOptions{TDBGridOption::dgMultiSelect});
    grid->SetDataSource(source);
    shown.Show();
    for (table.First(); !table.Eof(); table.Next()) grid->SelectedRows()->SetCurrentRowSelected(true);
    table.First();
    HWND h = grid->Handle();
    auto repaint = [h] {
        InvalidateRect(h, nullptr, FALSE);
        UpdateWindow(h);
        WaitForPixels(h);
    };
    repaint();
    double painted = Best(repaint, 20);

    // The texts of the visible cells, drawn in the same rectangles with the grid's font.
    std::vector<std::pair<RECT, String>> cells;
    int rows = grid->RowCount();
    int titles = grid->TitleOffset(), indicator = grid->IndicatorOffset();
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < grid->ColCount(); ++c) {
            TssColumn* column = c < indicator ? nullptr : grid->Columns()->Items(c - indicator);
            String text;
            if (column && r < titles) {
                text = column->Title()->Caption();
            } else if (column) {
                TActiveRecordScope scope(grid->DataLink(), r - titles);
                text = column->Field()->DisplayText();
            }
            cells.push_back({grid->CellRect(c, r), text});
        }
    HFONT font = HFONT(grid->Font()->Handle());
    RECT last = grid->CellRect(grid->ColCount() - 1, rows - 1);
    double plain = Best([&] {
        HDC dc = GetDC(h);
        HGDIOBJ old = SelectObject(dc, font);
        for (const auto& [rc, text] : cells)
            ExtTextOutW(dc, rc.left + 2, rc.top + 2, ETO_OPAQUE | ETO_CLIPPED, &rc, text.c_str(), UINT(text.size()),
                        nullptr);
        // The lines between the cells, as the grid draws them.
        for (int c = 0; c < grid->ColCount(); ++c) {
            RECT rc = grid->CellRect(c, 0);
            MoveToEx(dc, rc.right, 0, nullptr);
            LineTo(dc, rc.right, last.bottom);
        }
        for (int r = 0; r < rows; ++r) {
            RECT rc = grid->CellRect(0, r);
            MoveToEx(dc, 0, rc.bottom, nullptr);
            LineTo(dc, last.right, rc.bottom);
        }
        SelectObject(dc, old);
        ReleaseDC(h, dc);
        WaitForPixels(h);
    }, 20);
    std::printf("data grid full repaint, %d x %d cells with indicators and %d selected rows: grid %.1f us, "
                "plain ExtTextOutW/LineTo loop %.1f us: ratio %.2f\n",
                grid->ColCount(), rows, grid->SelectedRows()->Count(), painted * 1e6, plain * 1e6, painted / plain);
    grid->SetDataSource(nullptr);
}
