// The drawing grid on a real window: scrolling, keys and the drag's auto-scroll tick at
// 1,000,000 rows against 1,000 rows, a full
// repaint against a plain loop of ExtTextOutW and LineTo over the same texts and lines, and what
// RowCount := 1,000,000 at 50 columns costs in heap and time; the grid's stream write and read
// against plain integer lists; for the string grid, scattered cell writes and reads against a
// hash map with the heap per filled cell, a row move at 1,000,000 rows against 1,000, and a full
// repaint against ExtTextOutW. Each comparison prints a ratio
// measured in this run; the GDI objects a repaint creates are printed too.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

#include "BenchArch.h"
#include "Filer.h"
#include "Forms.h"
#include "GridBench.h"
#include "HeapUse.h"
#include "ssGrids.h"
#include "ssUnits.h"

namespace {

using namespace grid_bench;
constexpr int Cols = 50;
constexpr int Width = 800, Height = 600;

String CellText(int col, int row) { return IntToStr(row * 100 + col); }

// A shown form with a grid filling it; cells draw their number.
struct Bench : TShownGrid<TssDrawGrid> {
    explicit Bench(int rows) : TShownGrid(Width, Height) {
        Grid->SetColCount(Cols);
        Grid->SetRowCount(rows);
        TssDrawGrid* g = Grid;
        Grid->OnDrawCell = [g](TObject*, int c, int r, const RECT& rect, TGridDrawState) {
            g->Canvas()->TextRect(rect, rect.left + 2, rect.top + 2, CellText(c, r));
        };
        Show();
    }
};

void Ratio(const char* what, double big, double small) {
    std::printf("%-44s %9.1f us at 1,000,000 rows, %9.1f us at 1,000: ratio %.2f\n", what, big * 1e6, small * 1e6,
                big / small);
}

void ScrollComparison() {
    Bench big(1000000), small(1000);
    auto lineStep = [](Bench& b) {
        return Best([&] {
            b.Scroll(SB_LINEDOWN);
            b.Scroll(SB_LINEUP);
        }, 50) / 2;
    };
    auto thumbJump = [](Bench& b) {
        return Best([&] {
            b.Scroll(SB_THUMBPOSITION, 127);
            b.Scroll(SB_THUMBPOSITION, 0);
        }, 20) / 2;
    };
    auto topRowLast = [](Bench& b) {
        return Best([&] {
            b.Grid->SetTopRow(b.Grid->RowCount() - 1);
            UpdateWindow(b.Grid->Handle());
            b.Grid->SetTopRow(1);
            UpdateWindow(b.Grid->Handle());
        }, 20) / 2;
    };
    Ratio("one-line scroll (painted)", lineStep(big), lineStep(small));
    Ratio("thumb jump to the last row (painted)", thumbJump(big), thumbJump(small));
    Ratio("TopRow := last row (painted)", topRowLast(big), topRowLast(small));
}

// Keys and the auto-scroll tick as the user drives them, painted after each step.
void InputComparison() {
    Bench big(1000000), small(1000);
    auto keys = [](Bench& b, WORD forward, WORD back, bool ctrl) {
        HWND h = b.Grid->Handle();
        BYTE state[256];
        GetKeyboardState(state);
        BYTE saved = state[VK_CONTROL];
        state[VK_CONTROL] = ctrl ? 0x80 : 0;
        SetKeyboardState(state);
        double t = Best([&] {
            SendMessageW(h, WM_KEYDOWN, forward, 0);
            UpdateWindow(h);
            SendMessageW(h, WM_KEYDOWN, back, 0);
            UpdateWindow(h);
        }, 20) / 2;
        state[VK_CONTROL] = saved;
        SetKeyboardState(state);
        return t;
    };
    // A drag held below the grid: each tick moves the selection a row and scrolls.
    auto tick = [](Bench& b) {
        HWND h = b.Grid->Handle();
        b.Grid->SetTopRow(1);
        RECT cell = b.Grid->CellRect(1, 1);
        SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(cell.left + 2, cell.top + 2));
        POINT below{cell.left + 2, Height + 30};
        ClientToScreen(h, &below);
        SetCursorPos(below.x, below.y);
        double t = Best([&] {
            SendMessageW(h, WM_TIMER, 1, 0);
            UpdateWindow(h);
        }, 20);
        SendMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(cell.left + 2, cell.top + 2));
        return t;
    };
    Ratio("Down and Up (painted)", keys(big, VK_DOWN, VK_UP, false), keys(small, VK_DOWN, VK_UP, false));
    Ratio("Page Down and Page Up (painted)", keys(big, VK_NEXT, VK_PRIOR, false), keys(small, VK_NEXT, VK_PRIOR, false));
    Ratio("Ctrl+End and Ctrl+Home (painted)", keys(big, VK_END, VK_HOME, true), keys(small, VK_END, VK_HOME, true));
    Ratio("one auto-scroll tick of a drag (painted)", tick(big), tick(small));
}

// The same cells and lines drawn straight on the window's DC.
void PlainLoop(HWND h, HFONT font, int colWidth, int rowHeight, int visibleCols, int visibleRows) {
    HDC dc = GetDC(h);
    HGDIOBJ oldFont = SelectObject(dc, font);
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(BLACK_PEN));
    for (int r = 0; r < visibleRows; ++r)
        for (int c = 0; c < visibleCols; ++c) {
            RECT rc{c * (colWidth + 1), r * (rowHeight + 1), c * (colWidth + 1) + colWidth, r * (rowHeight + 1) + rowHeight};
            String text = CellText(c, r);
            ExtTextOutW(dc, rc.left + 2, rc.top + 2, ETO_OPAQUE | ETO_CLIPPED, &rc, text.c_str(), UINT(text.size()), nullptr);
        }
    for (int c = 1; c <= visibleCols; ++c) {
        MoveToEx(dc, c * (colWidth + 1) - 1, 0, nullptr);
        LineTo(dc, c * (colWidth + 1) - 1, Height);
    }
    for (int r = 1; r <= visibleRows; ++r) {
        MoveToEx(dc, 0, r * (rowHeight + 1) - 1, nullptr);
        LineTo(dc, Width, r * (rowHeight + 1) - 1);
    }
    SelectObject(dc, oldPen);
    SelectObject(dc, oldFont);
    ReleaseDC(h, dc);
    WaitForPixels(h);
}

// With Attributes, a third of the columns have a colour and a bold font, and a row a thick line.
void RepaintComparison(bool Attributes) {
    Bench b(1000000);
    TFont bold;
    bold.Assign(*b.Grid->Font());
    bold.SetStyle({TFontStyle::fsBold});
    for (int c = 2; c < Cols && Attributes; c += 3) {
        b.Grid->SetColColor(c, 0xCCFFFF);
        b.Grid->SetColFont(c, &bold);
    }
    TPen thick;
    thick.SetWidth(3);
    if (Attributes) b.Grid->SetRowLine(5, &thick);
    b.Repaint();
    auto grid = Best([&] {
        b.Repaint();
        WaitForPixels(b.Grid->Handle());
    }, 20);
    unsigned before = GdiObjects::Created();
    b.Repaint();
    unsigned created = GdiObjects::Created() - before;
    int cols = b.Grid->VisibleColCount() + 1, rows = b.Grid->VisibleRowCount() + 1;
    HWND h = b.Grid->Handle();
    auto plain = Best([&] { PlainLoop(h, b.Grid->Font()->Handle(), b.Grid->DefaultColWidth(), b.Grid->DefaultRowHeight(), cols, rows); }, 20);
    std::printf("full repaint of %d x %d cells%s: grid %.1f us, plain ExtTextOutW/LineTo loop %.1f us: ratio %.2f\n",
                cols, rows, Attributes ? " with column colours, fonts and a row pen" : "", grid * 1e6, plain * 1e6,
                grid / plain);
    std::printf("GDI objects created by one repaint after the first: %u\n", created);
}

void SizeComparison() {
    auto resize = [](int rows, long long& heap) {
        double best = 1e9;
        for (int i = 0; i < 5; ++i) {
            auto* g = new TssDrawGrid(nullptr);
            g->SetColCount(Cols);
            long long before = HeapBytesInUse();
            auto t0 = Clock::now();
            g->SetRowCount(rows);
            best = std::min(best, std::chrono::duration<double>(Clock::now() - t0).count());
            heap = HeapBytesInUse() - before;
            delete g;
        }
        return best;
    };
    long long heapBig = 0, heapSmall = 0;
    double big = resize(1000000, heapBig), small = resize(1000, heapSmall);
    // What a dense layout must do at least: an extent array of a million entries.
    double array = Best([] {
        std::vector<int> extents(1000001, 24);
        extents[0] = 1000000;
        volatile int sink = extents[500000];
        (void)sink;
    }, 5);
    std::printf("RowCount := 1,000,000 at %d columns: the grid adds %lld bytes (%.2f MB; 1,000 rows: %lld bytes)\n",
                Cols, heapBig, heapBig / 1048576.0, heapSmall);
    std::printf("RowCount := 1,000,000 %.1f us against 1,000 rows plus a 1,000,000 extent array %.1f us: ratio %.2f\n",
                big * 1e6, (small + array) * 1e6, big / (small + array));
}

// ---- the string grid ----

// A string grid exposing its row move.
struct MovableStringGrid : TssStringGrid {
    using TssStringGrid::TssStringGrid;
    using TssStringGrid::MoveRow;
};

// 100,000 scattered cells written and read back at 1,000,000 x 50, against a hash map.
void StringCellsComparison() {
    constexpr int Cells = 100000, Rows = 1000000;
    std::vector<std::pair<int, int>> where(Cells);
    unsigned seed = 12345;
    for (auto& w : where) {
        seed = seed * 1103515245u + 12345u;
        w = {int((seed >> 8) % Cols), int((seed >> 4) % Rows)};
    }
    std::vector<String> texts(Cells);
    for (int i = 0; i < Cells; ++i) texts[i] = CellText(where[i].first, where[i].second);
    auto newGrid = [] {
        auto g = std::make_unique<TssStringGrid>(nullptr);
        g->SetColCount(Cols);
        g->SetRowCount(Rows);
        return g;
    };
    // The heap is measured in a run of its own: walking the heaps is no work of the grid's.
    long long heap = 0;
    {
        auto g = newGrid();
        long long before = HeapBytesInUse();
        for (int i = 0; i < Cells; ++i) g->SetCells(where[i].first, where[i].second, texts[i]);
        heap = HeapBytesInUse() - before;
    }
    auto grid = Best([&] {
        auto g = newGrid();
        for (int i = 0; i < Cells; ++i) g->SetCells(where[i].first, where[i].second, texts[i]);
        std::size_t sum = 0;
        for (auto [c, r] : where) sum += g->Cells(c, r).size();
        volatile std::size_t sink = sum;
        (void)sink;
    }, 1);
    auto map = Best([&] {
        std::unordered_map<std::uint64_t, String> m;
        for (int i = 0; i < Cells; ++i) m[(std::uint64_t(where[i].first) << 32) | unsigned(where[i].second)] = texts[i];
        std::size_t sum = 0;
        // Read as Cells reads: a copy of the text, empty for a cell without one.
        for (auto [c, r] : where) {
            auto it = m.find((std::uint64_t(c) << 32) | unsigned(r));
            String text = it == m.end() ? String() : it->second;
            sum += text.size();
        }
        volatile std::size_t sink = sum;
        (void)sink;
    }, 1);
    std::printf("100,000 scattered Cells writes and reads at 1,000,000 x 50: grid %.1f ms, unordered_map %.1f ms: ratio %.2f\n",
                grid * 1e3, map * 1e3, grid / map);
    std::printf("string grid heap per filled cell (text included): %.1f bytes\n", double(heap) / Cells);
}

// Row 0 moved to the last row, per row moved, with every 100th row holding a cell.
void StringRowMoveComparison() {
    auto perRow = [](int rows) {
        auto g = std::make_unique<MovableStringGrid>(nullptr);
        g->SetColCount(Cols);
        g->SetRowCount(rows);
        for (int r = 0; r < rows; r += 100) g->SetCells(1, r, CellText(1, r));
        return Best([&] { g->MoveRow(1, rows - 1); }, 3) / (rows - 1);
    };
    double big = perRow(1000000), small = perRow(1000);
    std::printf("string grid row move first -> last, per row moved: %.4f us at 1,000,000 rows, %.4f us at 1,000: ratio %.2f\n",
                big * 1e6, small * 1e6, big / small);
}

// A screen of string grid cells against the same texts drawn straight with ExtTextOutW.
void StringRepaintComparison() {
    Bench b(1000);
    auto* g = new TssStringGrid(b.Form);
    g->SetParent(b.Form);
    g->SetBounds(0, 0, Width, Height);
    g->SetColCount(Cols);
    g->SetRowCount(1000);
    b.Grid->SetVisible(false);
    int cols = g->VisibleColCount() + 1, rows = g->VisibleRowCount() + 1;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) g->SetCells(c, r, CellText(c, r));
    HWND h = g->Handle();
    auto repaint = [&] {
        InvalidateRect(h, nullptr, FALSE);
        UpdateWindow(h);
        WaitForPixels(h);
    };
    repaint();
    auto grid = Best(repaint, 20);
    auto plain = Best([&] { PlainLoop(h, g->Font()->Handle(), g->DefaultColWidth(), g->DefaultRowHeight(), cols, rows); }, 20);
    std::printf("string grid full repaint of %d x %d cells: grid %.1f us, plain ExtTextOutW/LineTo loop %.1f us: ratio %.2f\n",
                cols, rows, grid * 1e6, plain * 1e6, grid / plain);
}

// The baseline of the stream comparison: the same integers as plain lists of a component.
class TPlainLists : public TComponent {
    SS_CLASS(TPlainLists, TComponent)
public:
    using TComponent::TComponent;
    std::vector<int> Heights, Cells;  // Cells: column, row, colour

    void DefineProperties(TFiler& Filer) override {
        Define(Filer, L"RowHeights", Heights);
        Define(Filer, L"CellColor", Cells);
    }

private:
    static void Define(TFiler& Filer, const wchar_t* name, std::vector<int>& values) {
        Filer.DefineProperty(
            name,
            [&values](TReader& r) {
                values.clear();
                r.ReadListBegin();
                while (!r.EndOfList()) values.push_back(r.ReadInteger());
                r.ReadListEnd();
            },
            [&values](TWriter& w) {
                w.WriteListBegin();
                for (int v : values) w.WriteInteger(v);
                w.WriteListEnd();
            },
            true);
    }
};

// Write and read of 1,000,000 row heights and 10,000 cell colours: the grid's own stream
// properties against plain integer lists of the same values.
void StreamComparison() {
    constexpr int Rows = 1000000, Attributes = 10000;
    TssDrawGrid grid(nullptr);
    grid.SetColCount(Cols);
    grid.SetRowCount(Rows);
    TPlainLists plain(nullptr);
    for (int r = 0; r < Rows; ++r) {
        grid.SetRowHeights(r, 18 + r % 7);
        plain.Heights.push_back(18 + r % 7);
    }
    // Column-major, as the grid writes them.
    for (int i = 0; i < Attributes; ++i) {
        int col = 1 + i / (Attributes / (Cols - 1) + 1), row = 1 + (i * 97) % (Rows - 1);
        grid.SetCellColor(col, row, TColor(0x010101 * (i % 200)));
    }
    plain.Cells.clear();
    for (int i = 0; i < Attributes; ++i) {
        int col = 1 + i / (Attributes / (Cols - 1) + 1), row = 1 + (i * 97) % (Rows - 1);
        plain.Cells.insert(plain.Cells.end(), {col, row, 0x010101 * (i % 200)});
    }
    auto roundTrip = [](TComponent* source, TComponent* target) {
        TMemoryStream s;
        WriteComponentStream(s, source);
        s.SetPosition(0);
        ReadComponentStream(s, target);
    };
    // Each run reads into a fresh grid, as a form being loaded does; making it is not timed.
    double g = 1e9;
    std::unique_ptr<TssDrawGrid> gridCopy;
    for (int run = 0; run < 5; ++run) {
        gridCopy = std::make_unique<TssDrawGrid>(nullptr);
        gridCopy->SetColCount(Cols);
        gridCopy->SetRowCount(Rows);
        g = std::min(g, Seconds([&] { roundTrip(&grid, gridCopy.get()); }, 1));
    }
    TPlainLists plainCopy(nullptr);
    double p = Best([&] { roundTrip(&plain, &plainCopy); }, 1);
    if (gridCopy->RowHeights(Rows - 1) != grid.RowHeights(Rows - 1) || plainCopy.Cells != plain.Cells)
        std::printf("stream comparison: the copies differ\n");
    std::printf("stream write and read of %d row heights and %d cell colours: grid %.1f ms, plain lists %.1f ms: "
                "ratio %.2f\n",
                Rows, Attributes, g * 1e3, p * 1e3, g / p);
}

}  // namespace

// grid_bench [NAME...]: only the comparisons named, all without arguments.
int main(int argc, char** argv) {
    PrintBenchArchitecture();
    RegisterLibraryUnits();
    Application->Initialize();
    const std::pair<const char*, std::function<void()>> comparisons[] = {
        {"scroll", ScrollComparison},
        {"input", InputComparison},
        {"repaint", [] { RepaintComparison(false); }},
        {"repaint-attributes", [] { RepaintComparison(true); }},
        {"size", SizeComparison},
        {"string-cells", StringCellsComparison},
        {"string-row-move", StringRowMoveComparison},
        {"string-repaint", StringRepaintComparison},
        {"stream", StreamComparison},
        {"base-steps", BaseStepsComparison},
        {"base-repaint", BaseRepaintComparison},
    };
    for (const auto& [name, run] : comparisons)
        if (argc < 2 || std::any_of(argv + 1, argv + argc, [&](const char* a) { return std::strcmp(a, name) == 0; }))
            run();
    return 0;
}
