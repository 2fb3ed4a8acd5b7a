// The grid's attribute stores at 1,000,000 rows and 50 columns against 1,000 rows: the heap
// the stores hold (every heap of the process walked, live blocks summed) and the time to size
// them, set a few attributes, move a row and a column, and shrink and grow again. Records exist
// only where attributes are set, so both should stay close to the small grid's.
#include <chrono>
#include <cstdio>
#include <memory>

#include "BenchArch.h"
#include "HeapUse.h"
#include "ssGridStores.h"

namespace {

constexpr int Cols = 50;

// The stores as a grid holds them, sized and given a few attributes.
struct Stores {
    TComponent grid{nullptr};
    TssGridColInfo cols;
    TssGridRowInfo rows;
    TssGridCellInfo cells{&grid};
    TFont font;
    TPen pen;
    TssCellLine line{&grid};

    explicit Stores(int rowCount) {
        font.SetStyle(TFontStyles{TFontStyle::fsBold});
        pen.SetWidth(3);
        line.SetRightLine(&pen);
        cells.SetColCount(Cols);
        cols.SetCount(Cols);
        rows.SetCount(rowCount);
        cells.SetRowCount(rowCount);
        for (int c = 0; c < Cols; c += 10) {
            cols.SetCol(c);
            cols.SetColor(0x00FFFF);
            cols.SetFont(&font);
            cols.SetLine(&pen);
        }
        for (int i = 0; i < 100; ++i) {
            int r = int((long long)rowCount * i / 100);
            rows.SetRow(r);
            rows.SetColor(0xFFFF00);
            cells.SetCol(i % Cols);
            cells.SetRow(r);
            cells.SetColor(0x0000FF);
            if (i % 10 == 0) cells.SetCellOuterLine(&line);
        }
        cells.MoveRow(0, rowCount - 1);
        cells.MoveCol(0, Cols - 1);
        cols.Move(0, Cols - 1);
        cells.SetRowCount(rowCount / 2);
        rows.SetCount(rowCount / 2);
        cells.SetRowCount(rowCount);
        rows.SetCount(rowCount);
    }
};

struct Result {
    long long bytes;
    double seconds;
};

Result Measure(int rowCount, int repeats) {
    long long before = HeapBytesInUse();
    auto kept = std::make_unique<Stores>(rowCount);
    long long bytes = HeapBytesInUse() - before;
    kept.reset();
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < repeats; ++i) Stores s(rowCount);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / repeats;
    return {bytes, seconds};
}

}  // namespace

int main() {
    PrintBenchArchitecture();
    const int repeats = 200;
    Result small = Measure(1000, repeats);
    Result large = Measure(1000000, repeats);
    std::printf("%9d rows x %d columns: stores hold %8lld bytes, set-up %8.1f us\n", 1000, Cols, small.bytes,
                small.seconds * 1e6);
    std::printf("%9d rows x %d columns: stores hold %8lld bytes, set-up %8.1f us\n", 1000000, Cols, large.bytes,
                large.seconds * 1e6);
    std::printf("memory 1000000 rows / 1000 rows: ratio %.2f\n", double(large.bytes) / double(small.bytes));
    std::printf("time   1000000 rows / 1000 rows: ratio %.2f\n", large.seconds / small.seconds);
    return 0;
}
