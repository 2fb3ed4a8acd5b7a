// What the grid benchmarks share: timing, waiting for the display, and a grid on a shown form.
#pragma once
#include <algorithm>
#include <chrono>
#include <functional>

#include "Forms.h"

namespace grid_bench {

using Clock = std::chrono::steady_clock;

// Seconds per call of f over repeat calls.
inline double Seconds(const std::function<void()>& f, int repeat) {
    auto t0 = Clock::now();
    for (int i = 0; i < repeat; ++i) f();
    return std::chrono::duration<double>(Clock::now() - t0).count() / repeat;
}

// The fastest of five runs: the least disturbed by the rest of the machine.
inline double Best(const std::function<void()>& f, int repeat) {
    double best = 1e9;
    for (int i = 0; i < 5; ++i) best = std::min(best, Seconds(f, repeat));
    return best;
}

// Waits until the display has drawn what was sent to it: reading a pixel back is a round trip.
inline void WaitForPixels(HWND h) {
    RECT r;
    GetClientRect(h, &r);
    HDC dc = GetDC(h);
    GetPixel(dc, r.right / 2, r.bottom / 2);
    ReleaseDC(h, dc);
}

// A grid of Width x Height at the top left of a form of its own; Show once it is set up.
template <typename TGrid>
struct TShownGrid {
    TForm* Form;
    TGrid* Grid;
    TShownGrid(int Width, int Height) : Form(new TForm(Application)) {
        Form->SetPosition(TPosition::poDesigned);
        Form->SetBounds(0, 0, Width + 40, Height + 60);
        Grid = new TGrid(Form);
        Grid->SetParent(Form);
        Grid->SetBounds(0, 0, Width, Height);
    }
    ~TShownGrid() { delete Form; }
    TShownGrid(const TShownGrid&) = delete;
    TShownGrid& operator=(const TShownGrid&) = delete;
    void Show() {
        Form->Show();
        Repaint();
    }
    // Paints the whole grid now.
    void Repaint() {
        InvalidateRect(Grid->Handle(), nullptr, FALSE);
        UpdateWindow(Grid->Handle());
    }
    // A vertical scroll-bar command, painted.
    void Scroll(int Code, int Pos = 0) {
        SendMessageW(Grid->Handle(), WM_VSCROLL, MAKEWPARAM(Code, Pos), 0);
        UpdateWindow(Grid->Handle());
    }
};

}  // namespace grid_bench

// The framework grid base's comparisons (grid_base_bench.cpp).
void BaseStepsComparison();
void BaseRepaintComparison();
