// The grid's in-place editor: a borderless masked edit laid over the current cell as a strip at
// the cell's bottom, passing navigation keys, the wheel and double clicks to its grid; and the
// process-wide UI configuration that colours it while the user can type.
#pragma once
#include "ssMaskEdit.h"

class TssCustomGrid;

// The process-wide UI settings (GetInstance): the editor's colour while the user can type.
class TssUIConfig {
public:
    TssUIConfig();
    virtual ~TssUIConfig() = default;
    static TssUIConfig* GetInstance();
    virtual TColor ActiveEditBackColor() const { return FActiveEditBackColor; }
    virtual void SetActiveEditBackColor(TColor Value);
    // Pale yellow.
    virtual TColor DefaultActiveEditBackColor() const { return TColor(0x00AAFFFF); }

private:
    TColor FActiveEditBackColor;
};

// The editor a grid lays over its current cell; the grid makes, loads, places and commits it.
class TssInplaceEdit : public TssCustomMaskEdit {
    SS_CLASS(TssInplaceEdit, TssCustomMaskEdit)
public:
    explicit TssInplaceEdit(TComponent* AOwner);

    void SetGrid(TssCustomGrid* Grid) { FGrid = Grid; }
    // Removes the selection, leaving the caret.
    void Deselect();
    // Hides the editor over Loc (the area the grid repaints), giving the focus to the grid.
    void Hide(const RECT& Loc);
    void Invalidate() override;
    // Places the editor over the cell Loc (an empty Loc hides it); UpdateLoc repaints only when
    // it was hidden.
    void Move(const RECT& Loc);
    void UpdateLoc(const RECT& Loc);
    bool PosEqual(const RECT& Rect);
    void SetFocus() override;
    bool Visible();
    // The grid's left-button press, for turning a press here into a double click.
    void SetClickTime(LONG Time) { FClickTime = Time; }
    // Loads the current cell's mask, text and length limit from the grid.
    virtual void UpdateContents();

protected:
    virtual void BoundsChanged();
    void CreateParams(TCreateParams& params) override;
    void WndProc(TMessage& Msg) override;
    void KeyDown(WORD& Key, TShiftState Shift) override;
    void KeyUp(WORD& Key, TShiftState Shift) override;
    void KeyPress(wchar_t& Key) override;
    void DblClick() override;
    bool DoMouseWheel(TShiftState Shift, int WheelDelta, POINT MousePos) override;
    void Change() override;

private:
    void InternalMove(const RECT& Loc, bool Redraw);
    void SendToGrid(WORD& Key, TShiftState Shift);
    bool CanModify();
    TssCustomGrid* FGrid = nullptr;
    LONG FClickTime = 0;
    bool FLoading = false;  // UpdateContents is filling the edit
};
