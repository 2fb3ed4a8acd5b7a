// The smooth-scrolling grid over 10,000,000 narrow memory records against 10,000: a page step
// and a thumb jump, each with the repaint it causes, and the heap the grid adds to the table.
#include <cstdio>
#include <memory>
#include <random>
#include <string>

#include "DataGridBench.h"
#include "GridBench.h"
#include "HeapUse.h"
#include "MemTable.h"
#include "NarrowTable.h"
#include "ssDBGrid.h"

using namespace grid_bench;

namespace {

// A shown form with a smooth grid over a table; the heap the grid took is measured around it.
struct TGridView {
    std::unique_ptr<TForm> Form;
    TDataSource* Source;
    TssDBGrid* Grid;
    long long AddedBytes;

    explicit TGridView(TDataSet* Table) {
        long long before = HeapBytesInUse();
        Form = std::make_unique<TForm>(nullptr);
        Form->SetBounds(0, 0, 640, 480);
        Source = new TDataSource(Form.get());
        Grid = new TssDBGrid(Form.get());
        Grid->SetParent(Form.get());
        Grid->SetAlign(TAlign::alClient);
        Form->Show();
        Source->SetDataSet(Table);
        Grid->SetDataSource(Source);
        Application->ProcessMessages();
        Grid->Update();
        AddedBytes = HeapBytesInUse() - before;
    }
    ~TGridView() { Grid->SetDataSource(nullptr); }
    void Scroll(int Code) {
        SendMessageW(Grid->Handle(), WM_VSCROLL, MAKEWPARAM(Code, 0), 0);
        Grid->Update();
    }
};

struct TFigures {
    double PageStep = 0, ThumbJump = 0;  // ns each, repaint included
    long long AddedBytes = 0;
};

TFigures Measure(int records) {
    auto table = NarrowTable(records);
    TGridView view(table.get());
    TFigures f;
    f.AddedBytes = view.AddedBytes;
    if (!view.Grid->SmoothScroll()) std::printf("the grid did not scroll smoothly over %d records\n", records);
    const int steps = 400;
    int step = 0;
    f.PageStep = Seconds([&] { view.Scroll(step++ % 50 < 25 ? SB_PAGEDOWN : SB_PAGEUP); }, steps) * 1e9;
    std::mt19937 random(7);
    std::uniform_int_distribution<int> target(2, records - 1);
    f.ThumbJump = Seconds([&] {
        // What the thumb calls: the bar's 16-bit message cannot name a record this far down.
        view.Grid->GoToRecordNumber(target(random));
        view.Grid->Update();
    }, steps) * 1e9;
    return f;
}

TFigures Small() {
    static TFigures f = Measure(10000);
    return f;
}

TFigures Large() {
    static TFigures f = [] {
        TFigures figures;
        double seconds = Seconds([&] { figures = Measure(10000000); }, 1);
        std::printf("10,000,000 records filled and measured in %.1f s\n", seconds);
        return figures;
    }();
    return f;
}
}  // namespace

void SmoothSteps() {
    TFigures small = Small(), large = Large();
    auto line = [](const char* what, double a, double b) {
        std::printf("smooth grid %-12s 10,000: %9.0f ns  10,000,000: %9.0f ns  ratio %.2f\n", what, a, b, b / a);
    };
    line("page step", small.PageStep, large.PageStep);
    line("thumb jump", small.ThumbJump, large.ThumbJump);
}

void SmoothMemory() {
    TFigures small = Small(), large = Large();
    std::printf("smooth grid heap added  10,000: %lld bytes  10,000,000: %lld bytes  difference %lld bytes  "
                "ratio %.2f\n",
                small.AddedBytes, large.AddedBytes, large.AddedBytes - small.AddedBytes,
                double(large.AddedBytes) / double(small.AddedBytes));
}
