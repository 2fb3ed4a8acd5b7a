// The drawing grid on a real window: scrolling, keys and the drag's auto-scroll tick at
// 1,000,000 rows against 1,000 rows, a full
// repaint against a plain loop of ExtTextOutW and LineTo over the same texts and lines, and what
// RowCount := 1,000,000 at 50 columns costs in heap and time, and the grid's stream write and read
// against plain integer lists. Each comparison prints a ratio
// measured in this run; the GDI objects a repaint creates are printed too.
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include "Filer.h"
#include "Forms.h"
#include "HeapUse.h"
#include "ssGrids.h"
#include "ssUnits.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int Cols = 50;
constexpr int Width = 800, Height = 600;

double Seconds(const std::function<void()>& f, int repeat) {
    auto t0 = Clock::now();
    for (int i = 0; i < repeat; ++i) f();
    return std::chrono::duration<double>(Clock::now() - t0).count() / repeat;
}

// The fastest of five runs: the least disturbed by the rest of the machine.
double Best(const std::function<void()>& f, int repeat) {
    double best = 1e9;
    for (int i = 0; i < 5; ++i) best = std::min(best, Seconds(f, repeat));
    return best;
}

String CellText(int col, int row) { return IntToStr(row * 100 + col); }

// Waits until the display has drawn what was sent to it: reading a pixel back is a round trip.
void WaitForPixels(HWND h) {
    HDC dc = GetDC(h);
    GetPixel(dc, Width / 2, Height / 2);
    ReleaseDC(h, dc);
}

// A shown form with a grid filling it; cells draw their number.
struct Bench {
    TForm* Form;
    TssDrawGrid* Grid;
    explicit Bench(int rows) {
        Form = new TForm(Application);
        Form->SetPosition(TPosition::poDesigned);
        Form->SetBounds(0, 0, Width + 40, Height + 60);
        Grid = new TssDrawGrid(Form);
        Grid->SetParent(Form);
        Grid->SetBounds(0, 0, Width, Height);
        Grid->SetColCount(Cols);
        Grid->SetRowCount(rows);
        TssDrawGrid* g = Grid;
        Grid->OnDrawCell = [g](TObject*, int c, int r, const RECT& rect, TGridDrawState) {
            g->Canvas()->TextRect(rect, rect.left + 2, rect.top + 2, CellText(c, r));
        };
        Form->Show();
        Repaint();
    }
    ~Bench() { delete Form; }
    void Repaint() {
        InvalidateRect(Grid->Handle(), nullptr, FALSE);
        UpdateWindow(Grid->Handle());
    }
    void Scroll(int code, int pos = 0) {
        SendMessageW(Grid->Handle(), WM_VSCROLL, MAKEWPARAM(code, pos), 0);
        UpdateWindow(Grid->Handle());
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

int main() {
    RegisterLibraryUnits();
    Application->Initialize();
    ScrollComparison();
    InputComparison();
    RepaintComparison(false);
    RepaintComparison(true);
    SizeComparison();
    StreamComparison();
    return 0;
}
