// Scaling forms and frames between the form base widths 640, 800, 1024 and 1280 (designed at
// 800), with string grids, data grids, message labels, frames, anchors, constraints and bottom-aligned
// controls kept consistent, and the remembered base width and position of the user.
#pragma once
#include <memory>
#include <vector>

#include "Forms.h"

class TssStringGrid;
class TssCustomDBGrid;
class TssMessageLabel;

// A string grid's design geometry, and which of its own fonts follow the grid's font size.
struct TssGridInfo_ {
    TssStringGrid* Grid;
    std::vector<int> ColWidths, RowHeights;
    std::vector<int> FontCols, FontRows;
    std::vector<POINT> FontCells;  // x column, y row
};
// A data grid's design column widths.
struct TssDBGridInfo_ {
    TssCustomDBGrid* Grid;
    std::vector<int> ColWidths;
};
// A message label's design clip rectangle, line spacing and pitch, and its lines while scaling.
struct TssMsgLblInfo_ {
    TssMessageLabel* Label;
    RECT ClipRect;
    int LineSpacing, Pitch;
    std::vector<String> Lines;
    bool Saved = false;
    int Index;
};

class TssFrameResize;

// The design state of the components a form or frame owns, and the fixes each scaling step
// applies to them after the framework's proportional scaling.
class TssCustomResize {
public:
    explicit TssCustomResize(TWinControl* AOwner);
    virtual ~TssCustomResize();
    TssCustomResize(const TssCustomResize&) = delete;
    TssCustomResize& operator=(const TssCustomResize&) = delete;

    // A zoom-capable label or edit whose zoom settings are on keeps the font its zoom sets.
    virtual bool IsZoomFontControl(TComponent* Component) const;
    // The form or frame whose components are kept.
    virtual TWinControl* OwnedComponent() const { return fOwner; }

protected:
    // Before scaling: flags the grid fonts that follow their grid's size; when the width
    // really changes, saves and clears the message labels' lines and holds their updates.
    void BeforeScale(bool Changing);
    // After one step from base P to base N (N 800: back to the design values).
    void FixStep(int P, int N, bool GridScaled);
    // Fonts after a step to base N: design heights at 800, one point smaller at 1024 or more on a
    // screen above 96 pixels per inch.
    void FixFonts(int N);
    // After scaling: flagged grid fonts take their grid's size, message labels get their lines.
    void AfterScale();
    // Anchors to left and top while the form's size is changed; back afterwards.
    void SaveAnchors();
    void RestoreAnchors();

    TWinControl* fOwner;
    int fOrgFontHeight;
    std::vector<int> fOrgFontHeights;  // 0 for a component without a font
    std::vector<TssGridInfo_> fOrgGridInfo;
    std::vector<TssDBGridInfo_> fOrgDBGridInfo;
    std::vector<TssMsgLblInfo_> fOrgMsgLblInfo;
    std::vector<TControl*> fThinWidthObj, fThinHeightObj;
    std::vector<std::unique_ptr<TssFrameResize>> fFrameInfo;
    std::vector<std::pair<TControl*, TAnchors>> fSvAnchors;

private:
    // Data grids' column widths: recorded at construction, restored or scaled per step.
    void RecordDataGridWidths(TComponent* Component);
    void FixDataGridWidths(int P, int N);
    bool KeepsOwnFont(TControl* Control) const;
};

// The resize bookkeeping of a frame inside a form.
class TssFrameResize : public TssCustomResize {
public:
    explicit TssFrameResize(TFrame* Frame) : TssCustomResize(Frame) {}
};

// Scales a form between the base widths and fits it into the screen's work area.
class TssFormResize : public TssCustomResize {
public:
    // Records the design state; the form stands at base 800.
    explicit TssFormResize(TCustomForm* Form);

    virtual void GrowTo(int Width);
    virtual void ShrinkTo(int Width);
    // Scales the form to base Width, stepping through 800; remembers it in the shared size
    // memory. A width of 0 or less changes nothing.
    virtual void SetBaseWidth(int Width);
    // Scales to NewWidth (grids' widths and heights too with GridScaled) and places the form
    // in the work area, with the size constraints scaled.
    virtual void ChangeSize(int NewWidth, bool GridScaled);
    // Design positions to the current base, and back.
    void AbsolutePosition(int& Top, int& Left) const;
    void RelativePosition(int& Top, int& Left) const;

    int DsnWidth() const { return fDsnWidth; }
    int DsnHeight() const { return fDsnHeight; }
    int NowWidth() const { return fNowWidth; }
    int AdjustPixel() const { return fAdjustPixel; }

private:
    struct TssBottomInfo_ {
        int Bottom;
        TControl* Control;
    };
    void ScaleStep(int N);
    void ReStackBottomControls();
    void PlaceInWorkArea(int NewWidth);
    void ScaleConstraints(int NewWidth);

    TCustomForm* fForm;
    int fOrgWidth = 0, fOrgHeight = 0;
    int fDsnWidth, fDsnHeight;
    struct {
        int MaxHeight, MaxWidth, MinHeight, MinWidth;
    } fDsnConstraints;
    std::vector<TssBottomInfo_> fOrgBottomControls;
    int fNowWidth = 800;
    bool fGridScaled = false;
    int fAdjustPixel = 0;
};

// The user's form base width and position, kept in the executable's folder as its base name
// + "_ss.ini", section "FORMBASE". The first one made is shared by the process (Shared).
class TssFormSizeMem {
public:
    // Reads the file (Get).
    TssFormSizeMem();
    // Writes back (Put).
    ~TssFormSizeMem();
    TssFormSizeMem(const TssFormSizeMem&) = delete;
    TssFormSizeMem& operator=(const TssFormSizeMem&) = delete;

    // Reads Width, Top and Left; a width of 0 or less is unknown (-1). On Windows XP or later
    // 640 reads as 800 and the file is updated at once.
    void Get();
    // Writes the three values, the width normalised; the file is replaced whole, and a file
    // that cannot be written is left alone.
    void Put();
    int Width() const { return fwidth; }
    void SetWidth(int v) { fwidth = v; }
    int Top() const { return ftop; }
    void SetTop(int v) { ftop = v; }
    int Left() const { return fleft; }
    void SetLeft(int v) { fleft = v; }

    // The process's shared instance, or nullptr.
    static TssFormSizeMem* Shared();
    // The file, fixed for the process when first asked.
    static const String& FileName();

private:
    String fini;
    int fwidth = -1;
    int ftop = 0;
    int fleft = 0;
};
