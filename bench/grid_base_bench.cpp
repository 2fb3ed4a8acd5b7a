// The framework's grid base on a real window: a line step, a page step and a thumb jump at
// 10,000,000 rows against 10,000, and a full repaint of a virtual view (texts made from the row
// number, nothing stored) against a plain ExtTextOutW loop over the same texts. Each prints a
// ratio measured in this run.
#include <cstdio>

#include "GridBench.h"
#include "Grids.h"

namespace {

using namespace grid_bench;
constexpr int Cols = 20;
constexpr int Width = 800, Height = 600;

String CellText(int col, int row) { return IntToStr(row) + L"." + IntToStr(col); }

// A virtual view: every cell's text is made from its position when it is drawn.
class TVirtualGrid : public TCustomGrid {
public:
    explicit TVirtualGrid(TComponent* AOwner) : TCustomGrid(AOwner) { SetVirtualView(true); }

protected:
    void DrawCell(int ACol, int ARow, const RECT& ARect, TGridDrawState AState) override {
        Canvas()->TextRect(ARect, ARect.left + 2, ARect.top + 2, CellText(ACol, ARow));
    }
};

struct Bench : TShownGrid<TVirtualGrid> {
    explicit Bench(int rows) : TShownGrid(Width, Height) {
        Grid->SetColCount(Cols);
        Grid->SetRowCount(rows);
        Show();
    }
};

void Ratio(const char* what, double big, double small) {
    std::printf("%-36s %9.1f us at 10,000,000 rows, %9.1f us at 10,000: ratio %.2f\n", what, big * 1e6, small * 1e6,
                big / small);
}

// The texts the grid shows, drawn straight onto its window.
void PlainLoop(HWND h, HFONT font, int colWidth, int rowHeight, int cols, int rows, int firstRow) {
    HDC dc = GetDC(h);
    HGDIOBJ oldFont = SelectObject(dc, font);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) {
            RECT rc{c * (colWidth + 1), r * (rowHeight + 1), c * (colWidth + 1) + colWidth, r * (rowHeight + 1) + rowHeight};
            String text = CellText(c, firstRow + r);
            ExtTextOutW(dc, rc.left + 2, rc.top + 2, ETO_OPAQUE | ETO_CLIPPED, &rc, text.c_str(), UINT(text.size()),
                        nullptr);
        }
    SelectObject(dc, oldFont);
    ReleaseDC(h, dc);
    WaitForPixels(h);
}

}  // namespace

void BaseStepsComparison() {
    // One grid at a time: a window covered by another would not draw at all.
    auto measure = [](int rows, int forth, int back, bool thumb) {
        Bench b(rows);
        int lo = 0, hi = 0;
        b.Grid->ScrollRange(SB_VERT, lo, hi);
        return Best([&] {
            b.Scroll(forth, thumb ? hi / 2 : 0);
            b.Scroll(back, 0);
            WaitForPixels(b.Grid->Handle());
        }, 20) / 2;
    };
    const struct {
        const char* What;
        int Forth, Back;
        bool Thumb;
    } steps[] = {{"base grid line step", SB_LINEDOWN, SB_LINEUP, false},
                 {"base grid page step", SB_PAGEDOWN, SB_PAGEUP, false},
                 {"base grid thumb jump", SB_THUMBPOSITION, SB_TOP, true}};
    for (const auto& s : steps)
        Ratio(s.What, measure(10'000'000, s.Forth, s.Back, s.Thumb), measure(10'000, s.Forth, s.Back, s.Thumb));
}

void BaseRepaintComparison() {
    Bench b(10'000'000);
    b.Grid->SetTopRow(5'000'000);
    b.Repaint();
    auto grid = Best([&] {
        b.Repaint();
        WaitForPixels(b.Grid->Handle());
    }, 20);
    int cols = b.Grid->VisibleColCount() + 1, rows = b.Grid->VisibleRowCount() + 1;
    HWND h = b.Grid->Handle();
    auto plain = Best([&] {
        PlainLoop(h, b.Grid->Font()->Handle(), b.Grid->DefaultColWidth(), b.Grid->DefaultRowHeight(), cols, rows,
                  5'000'000);
    }, 20);
    std::printf("base grid full repaint of a virtual view of %d x %d cells: grid %.1f us, plain ExtTextOutW loop "
                "%.1f us: ratio %.2f\n",
                cols, rows, grid * 1e6, plain * 1e6, grid / plain);
}
