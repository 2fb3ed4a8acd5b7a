// What the data grid's units share: text measuring for the layout, on the grid's window or,
// before it exists, on the screen; the screen's default input method.
#pragma once
#include "Controls.h"

// The text metrics of a font on the grid's window, or on the screen before the window exists.
class TFontMeasure {
public:
    TFontMeasure(TWinControl* Control, const TFont* Font)
        : FWnd(Control && Control->HandleAllocated() ? Control->Handle() : nullptr), FDC(GetDC(FWnd)) {
        FCanvas.SetHandle(FDC);
        FCanvas.Font()->Assign(*Font);
        FCanvas.TextExtent(L"0");  // selects the font
        GetTextMetricsW(FDC, &FMetrics);
    }
    ~TFontMeasure() {
        FCanvas.SetHandle(nullptr);
        ReleaseDC(FWnd, FDC);
    }
    TFontMeasure(const TFontMeasure&) = delete;
    TFontMeasure& operator=(const TFontMeasure&) = delete;
    int TextWidth(const String& Text) { return FCanvas.TextWidth(Text); }
    int TextHeight(const String& Text) { return FCanvas.TextHeight(Text); }
    const TEXTMETRICW& Metrics() const { return FMetrics; }

private:
    HWND FWnd;
    HDC FDC;
    TCanvas FCanvas;
    TEXTMETRICW FMetrics{};
};

// The description of the screen's default input method (empty without one), read once.
const String& ScreenDefaultImeName();
