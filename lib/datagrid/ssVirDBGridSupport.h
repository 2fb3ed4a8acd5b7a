// What the data grid's units share: text measuring for the layout (on the grid's window or,
// before it exists, on the screen), the screen's default input method, the active-record
// scope and the row indicators.
#pragma once
#include <memory>

#include "Controls.h"
#include "DB.h"

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

// Whether the system's language is Japanese, Chinese or Korean (input methods and their
// composition windows).
inline bool EastAsianSystem() {
    LANGID lang = PRIMARYLANGID(GetSystemDefaultLangID());
    return lang == LANG_JAPANESE || lang == LANG_CHINESE || lang == LANG_KOREAN;
}

// Whether the system's language is Korean (the grid's Esc and editor rules differ there).
inline bool KoreanSystem() { return PRIMARYLANGID(GetSystemDefaultLangID()) == LANG_KOREAN; }

// The description of the screen's default input method (empty without one), read once.
const String& ScreenDefaultImeName();

// Makes a buffered record the data link's active one for a scope, and puts the old one back
// when the scope is left, also by an exception.
class TActiveRecordScope {
public:
    TActiveRecordScope(TDataLink* Link, int Record) : FLink(Link), FOld(Link->ActiveRecord()) {
        FLink->SetActiveRecord(Record);
    }
    ~TActiveRecordScope() { FLink->SetActiveRecord(FOld); }
    TActiveRecordScope(const TActiveRecordScope&) = delete;
    TActiveRecordScope& operator=(const TActiveRecordScope&) = delete;

private:
    TDataLink* FLink;
    int FOld;
};

// The five row indicators (browse, edit, insert, selected, selected and current), 6 x 11
// black on a transparent white.
std::unique_ptr<TCustomImageList> MakeIndicatorImages();
