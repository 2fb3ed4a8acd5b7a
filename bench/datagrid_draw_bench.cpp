// The data grid's full repaint with the row indicators and 1,000 selected rows, against a plain
// loop of ExtTextOutW over the texts the same cells show and LineTo for the lines between them.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>

#include "DataGridBench.h"
#include "Forms.h"
#include "MemTable.h"
#include "ssVirDBGrid.h"
#include "ssVirDBGridSupport.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int Width = 800, Height = 600, Records = 1000;

// The fastest of five runs of repeat calls, per call.
double Best(const std::function<void()>& f, int repeat) {
    double best = 1e9;
    for (int i = 0; i < 5; ++i) {
        auto t0 = Clock::now();
        for (int j = 0; j < repeat; ++j) f();
        best = std::min(best, std::chrono::duration<double>(Clock::now() - t0).count() / repeat);
    }
    return best;
}

// Waits until the display has drawn what was sent to it: reading a pixel back is a round trip.
void WaitForPixels(HWND h) {
    HDC dc = GetDC(h);
    GetPixel(dc, Width / 2, Height / 2);
    ReleaseDC(h, dc);
}

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
    auto* form = new TForm(Application);
    form->SetPosition(TPosition::poDesigned);
    form->SetBounds(0, 0, Width + 40, Height + 60);
    auto* source = new TDataSource(form);
    source->SetDataSet(&table);
    auto* grid = new TssVirtualDBGrid(form);
    grid->SetParent(form);
    grid->SetBounds(0, 0, Width, Height);
    grid->SetOptions(grid->Options() + TDBGridOptions{TDBGridOption::dgMultiSelect});
    grid->SetDataSource(source);
    form->Show();
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
    delete form;
}
