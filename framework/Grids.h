// The framework's grid base: a windowed control that lays out a matrix of cells, keeps fixed
// leading columns and rows, a current cell with a rectangular selection, a top-left scroll
// position, and paints by calling DrawCell for every visible cell. It stores no cell contents:
// a descendant draws what it likes (a virtual view of millions of rows costs nothing per row).
//
// The layout stands on two TGridAxis objects (GridAxis.h): a cell <-> pixel query costs
// O(log n) whatever the count. Extents of 0 or less hide a column or row.
//
// Input is the classic one: arrows, PageUp/PageDown, Home/End (with Ctrl the first/last row),
// Tab/Shift+Tab with goTabs, mouse selection, column and row sizing with a line that follows the
// mouse, moving columns and rows by dragging the fixed titles, auto-scroll by a timer while
// dragging outside, thumb tracking, the wheel, and an in-place editor opened by F2, Enter or a
// typed character.
#pragma once
#include "Controls.h"
#include "GridAxis.h"
#include "Mask.h"

// A cell's position: column X, row Y.
struct TGridCoord {
    int X = 0;  // column
    int Y = 0;  // row
    bool operator==(const TGridCoord&) const = default;
};

// Cell indices, inclusive.
struct TGridRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    bool operator==(const TGridRect&) const = default;
};

// What a grid does; the values keep their order (bit n = value n).
//   goFixedVertLine      vertical lines between fixed cells
//   goFixedHorzLine      horizontal lines between fixed cells
//   goVertLine           vertical lines between scrollable cells
//   goHorzLine           horizontal lines between scrollable cells
//   goRangeSelect        the mouse (dragging) and Shift with the keys select a range of cells
//   goDrawFocusSelected  the current cell is painted in the selection colour too
//   goRowSizing          the lines between fixed row titles can be dragged to size rows
//   goColSizing          the lines between fixed column titles can be dragged to size columns
//   goRowMoving          dragging a fixed row title moves the row
//   goColMoving          dragging a fixed column title moves the column
//   goEditing            the in-place editor can be opened (F2, Enter, a typed character)
//   goTabs               Tab and Shift+Tab move between columns instead of leaving the grid
//   goRowSelect          whole rows are selected; no editing
//   goAlwaysShowEditor   the editor stays open over the current cell while the grid is active
//   goThumbTracking      the view follows the scroll-bar thumb while it is dragged, not only
//                        when it is let go
//   goCanReverse         not used by the base; a descendant may reverse selected cells' colours
SS_ENUM(TGridOption, goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect, goDrawFocusSelected,
        goRowSizing, goColSizing, goRowMoving, goColMoving, goEditing, goTabs, goRowSelect, goAlwaysShowEditor,
        goThumbTracking, goCanReverse)
using TGridOptions = TSet<TGridOption>;

// What the mouse is doing with the grid.
enum class TGridState { gsNormal, gsSelecting, gsRowSizing, gsColSizing, gsRowMoving, gsColMoving };
// How a cell is drawn: inside the selection, the current cell while the grid has the focus, a
// fixed cell.
enum class TGridDrawStateItem { gdSelected, gdFocused, gdFixed };
using TGridDrawState = TSet<TGridDrawStateItem>;
// Where the selection runs on while the mouse is held beyond the cells.
enum class TGridScrollDirectionItem { sdLeft, sdRight, sdUp, sdDown };
using TGridScrollDirection = TSet<TGridScrollDirectionItem>;
// The in-place editor's look: a plain edit, one with a button, or one with a list.
enum class TEditStyle { esSimple, esEllipsis, esPickList };

// Every failure of a grid operation.
SS_EXCEPTION(EInvalidGridOperation, Exception)

class TCustomGrid;

// The editor a grid lays over its current cell: a borderless masked edit whose text, mask and
// length limit come from the grid (GetEditText, GetEditMask, GetEditLimit). Keys that move
// between cells go to the grid.
class TInplaceEdit : public TCustomMaskEdit {
    SS_CLASS(TInplaceEdit, TCustomMaskEdit)
public:
    explicit TInplaceEdit(TComponent* AOwner);

    TCustomGrid* Grid() const { return FGrid; }
    // Removes the selection, leaving the caret at the end.
    void Deselect();
    // Hides the editor, giving the focus to the grid when the editor had it.
    void Hide();
    // Places the editor over the client rectangle Loc of the grid and shows it.
    void Move(const RECT& Loc);
    // Whether the editor is shown.
    bool Shown() const { return FShown; }
    // Loads the current cell's mask, text and length limit from the grid; a descendant also takes
    // its own settings here.
    virtual void UpdateContents();

protected:
    void CreateParams(TCreateParams& Params) override;
    void KeyDown(WORD& Key, TShiftState Shift) override;
    void KeyPress(wchar_t& Key) override;
    bool DoMouseWheel(TShiftState Shift, int WheelDelta, POINT MousePos) override;
    void Change() override;
    void WndProc(TMessage& Msg) override;

private:
    friend class TCustomGrid;
    // Hands Key to the grid's key handling.
    void SendToGrid(WORD& Key, TShiftState Shift);
    // Whether the grid lets the user change the text (CanEditModify).
    bool CanModify();
    TCustomGrid* FGrid = nullptr;
    bool FShown = false;
    bool FLoading = false;  // UpdateContents is filling the edit: no change goes to the grid
};

// The grid base. A descendant overrides DrawCell and, for editing, the editor hooks
// (GetEditText, SetEditText, CanEditModify, ...).
class TCustomGrid : public TCustomControl {
    SS_CLASS(TCustomGrid, TCustomControl)
public:
    explicit TCustomGrid(TComponent* AOwner);
    ~TCustomGrid() override;

    // ---- size and layout ----
    // A count of GridAxisCountLimit or more, or a negative one, raises EInvalidGridOperation and
    // changes nothing. The fixed counts stay below the counts.
    int ColCount() const { return FHorz.Count(); }
    void SetColCount(int Value);
    int RowCount() const { return FVert.Count(); }
    void SetRowCount(int Value);
    int FixedCols() const { return FHorz.FixedCount(); }
    void SetFixedCols(int Value);
    int FixedRows() const { return FVert.FixedCount(); }
    void SetFixedRows(int Value);
    // Setting a default discards the widths (heights) set one by one.
    int DefaultColWidth() const { return FHorz.DefaultExtent(); }
    void SetDefaultColWidth(int Value);
    int DefaultRowHeight() const { return FVert.DefaultExtent(); }
    void SetDefaultRowHeight(int Value);
    // A width of 0 or less hides the column; an index outside the grid reads the default and
    // raises EInvalidGridOperation when written.
    int ColWidths(int Index) const { return FHorz.Extent(Index); }
    void SetColWidths(int Index, int Value);
    int RowHeights(int Index) const { return FVert.Extent(Index); }
    void SetRowHeights(int Index, int Value);
    // Whether Tab stops in a column (true unless set otherwise).
    bool TabStops(int Index) const { return FTabStops.Extent(Index) != 0; }
    void SetTabStops(int Index, bool Value);
    // Width of the lines between cells (drawn only where the options ask for lines).
    int GridLineWidth() const { return FGridLineWidth; }
    void SetGridLineWidth(int Value);
    TGridOptions Options() const { return FOptions; }
    void SetOptions(TGridOptions Value);
    TScrollStyle ScrollBars() const { return FScrollBars; }
    void SetScrollBars(TScrollStyle Value);
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    // On: the base paints cell backgrounds, the selection highlight and the focus rectangle
    // before DrawCell; off: DrawCell paints the whole cell. Lines and fixed frames are always the
    // base's.
    bool DefaultDrawing() const { return FDefaultDrawing; }
    void SetDefaultDrawing(bool Value);
    TColor FixedColor() const { return FFixedColor; }
    void SetFixedColor(TColor Value);
    // The view stores nothing per cell and may change everywhere at once: size changes repaint
    // the whole client area instead of the uncovered part.
    bool VirtualView() const { return FVirtualView; }
    void SetVirtualView(bool Value) { FVirtualView = Value; }

    // ---- position ----
    int LeftCol() const { return FTopLeft.X; }
    void SetLeftCol(int Value);
    int TopRow() const { return FTopLeft.Y; }
    void SetTopRow(int Value);
    // The scrollable columns (rows) shown whole from LeftCol (TopRow); one cut off by the edge
    // is not counted unless it is the first.
    int VisibleColCount();
    int VisibleRowCount();
    // The pixel end of the last drawn column (row), at most the client width (height).
    int GridWidth();
    int GridHeight();
    // Client rectangle of a cell without its lines; empty when it is not shown (hidden, scrolled
    // off or outside the grid).
    RECT CellRect(int ACol, int ARow);
    // The cell under a client point; -1 for both coordinates outside the cells.
    TGridCoord MouseCoord(int X, int Y);
    void MouseToCell(int X, int Y, int& ACol, int& ARow);

    // ---- current cell and selection ----
    int Col() const { return FCurrent.X; }
    void SetCol(int Value);
    int Row() const { return FCurrent.Y; }
    void SetRow(int Value);
    // The rectangle spanned by the anchor and the current cell.
    TGridRect Selection() const;
    void SetSelection(const TGridRect& Value);

    // ---- the in-place editor ----
    bool EditorMode() const { return FEditorMode; }
    // On: the editor opens over the current cell (when CanEditShow); off: its text goes back
    // through SetEditText and it closes.
    void SetEditorMode(bool Value);
    // The editor, made on first use and kept; nullptr before.
    TInplaceEdit* InplaceEditor() const { return FInplaceEdit; }
    TGridState GridState() const { return FGridState; }
    // Opens the editor over the current cell (makes it on first use) when CanEditShow.
    void ShowEditor();
    // Writes the editor's text back and closes it.
    void HideEditor();
    // Reloads the editor from the current cell and places it again.
    void InvalidateEditor();

protected:
    // ---- what a descendant draws ----
    // Draws one cell. The base has filled the background (with DefaultDrawing) and draws the
    // lines and fixed frames itself.
    virtual void DrawCell(int ACol, int ARow, const RECT& ARect, TGridDrawState AState) = 0;
    // Paints every visible cell through DrawCell, then the lines.
    void Paint() override;

    // ---- repainting ----
    void InvalidateCell(int ACol, int ARow);
    void InvalidateRow(int ARow);
    void InvalidateCol(int ACol);
    void InvalidateGrid() { Invalidate(); }
    // Client rectangle of the visible part of a block of cells, without the lines after it;
    // empty when none of it shows.
    RECT BoxRect(int ALeft, int ATop, int ARight, int ABottom);

    // ---- moving ----
    // Makes (ACol, ARow) current without asking SelectCell; MoveAnchor collapses the selection
    // to it, Show scrolls it into view.
    void MoveColRow(int ACol, int ARow, bool MoveAnchor, bool Show);
    // Makes (ACol, ARow) current when SelectCell agrees.
    void FocusCell(int ACol, int ARow, bool MoveAnchor);
    // Whether the current cell may move to (ACol, ARow); the base always agrees.
    virtual bool SelectCell(int ACol, int ARow) { return true; }
    // Moves a column or row with its width (height) and tab stop, then calls ColumnMoved
    // (RowMoved).
    void MoveColumn(int FromIndex, int ToIndex);
    void MoveRow(int FromIndex, int ToIndex);
    // Scrolls so that the scrollable part starts at (ALeft, ATop), clamped to what can scroll.
    void SetTopLeft(int ALeft, int ATop);

    // ---- hooks ----
    virtual void ColumnMoved(int FromIndex, int ToIndex) {}
    virtual void RowMoved(int FromIndex, int ToIndex) {}
    virtual void ColWidthsChanged();
    virtual void RowHeightsChanged();
    virtual void TopLeftChanged();
    // The counts changed from the given ones.
    virtual void SizeChanged(int OldColCount, int OldRowCount) {}
    // One step of auto-scroll while the mouse is held beyond the cells: the base extends the
    // selection (or moves the current cell) one cell in each direction.
    virtual void TimedScroll(TGridScrollDirection Direction);
    // The state a press at (X, Y) would start on a sizing band, with the sized index and the
    // line's position and offset from the point; a descendant may set State to gsNormal to refuse.
    virtual void CalcSizingState(int X, int Y, TGridState& State, int& Index, int& SizingPos, int& SizingOfs);
    // A drag of the fixed title of column (row) Origin starts, moves over Destination, or ends.
    // Each may adjust Origin and Destination; answering false cancels the drag (for End: the move).
    virtual bool BeginColumnDrag(int& Origin, int& Destination, POINT MousePt) { return true; }
    virtual bool CheckColumnDrag(int& Origin, int& Destination, POINT MousePt) { return true; }
    virtual bool EndColumnDrag(int& Origin, int& Destination, POINT MousePt) { return true; }
    virtual bool BeginRowDrag(int& Origin, int& Destination, POINT MousePt) { return true; }
    virtual bool CheckRowDrag(int& Origin, int& Destination, POINT MousePt) { return true; }
    virtual bool EndRowDrag(int& Origin, int& Destination, POINT MousePt) { return true; }
    // Ends whatever the mouse is doing (selecting, sizing, moving) without applying it.
    void CancelMode();

    // ---- editor hooks ----
    virtual TInplaceEdit* CreateEditor();
    // Whether a typed character opens the editor (and goes into it).
    virtual bool CanEditAcceptKey(wchar_t Key) { return true; }
    // Whether the grid handles a key at all.
    virtual bool CanGridAcceptKey(WORD Key, TShiftState Shift) { return true; }
    // Whether the user may change the cell's text; asked when a key would change it.
    virtual bool CanEditModify() { return true; }
    // Whether the editor may show now: goEditing without goRowSelect, editor mode, the window,
    // and goAlwaysShowEditor or the focus on the grid.
    virtual bool CanEditShow();
    virtual String GetEditText(int ACol, int ARow) { return String(); }
    virtual void SetEditText(int ACol, int ARow, const String& Value) {}
    virtual String GetEditMask(int ACol, int ARow) { return String(); }
    // The most characters the editor takes; 0 = no limit.
    virtual int GetEditLimit() { return 0; }
    virtual TEditStyle GetEditStyle(int ACol, int ARow) { return TEditStyle::esSimple; }
    // Opens the editor and types Ch into it, replacing its text.
    void ShowEditorChar(wchar_t Ch);

    // ---- the control ----
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void KeyDown(WORD& Key, TShiftState Shift) override;
    void KeyPress(wchar_t& Key) override;
    void TimerTick(UINT_PTR Id) override;
    HCURSOR ClientCursor(POINT P) override;
    void ScrollCommand(int Bar, int Code, int Pos) override;
    bool DoMouseWheel(TShiftState Shift, int WheelDelta, POINT MousePos) override;
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void WndProc(TMessage& Msg) override;
    void DoExit() override;

private:
    friend class TInplaceEdit;
    // One axis of the layout for the current client size.
    struct TAxisInfo {
        int LineWidth = 0;       // width of the lines on this axis
        int FixedEnd = 0;        // pixel end of the fixed cells
        int GridEnd = 0;         // pixel end of the last drawn cell
        int LastFullCell = 0;    // last cell shown whole
        int FullVisibleEnd = 0;  // pixel end of LastFullCell
        int ClientExtent = 0;
        int First = 0;           // LeftCol or TopRow
    };
    struct TDrawInfo {
        TAxisInfo Horz, Vert;
    };
    TDrawInfo CalcDrawInfo();
    TAxisInfo AxisInfo(const TGridAxis& Axis, int First, int Client) const;
    void UpdateLineWidths();
    // Keeps the current cell, the anchor and the top-left inside the grid after a layout change,
    // then repaints.
    void ClampPosition();
    void LayoutChanged();
    // Moves the pixels after a scroll from Old when that is cheaper than repainting.
    void ScrollPixels(TGridCoord Old, const TDrawInfo& Before);
    void CheckCell(int ACol, int ARow) const;
    void MoveCurrent(int ACol, int ARow, bool MoveAnchor, bool Show);
    // The largest top-left that still shows the last column and row whole.
    TGridCoord MaxTopLeft();
    void ClampTopLeft();
    void ScrollIntoView(TGridCoord Cell);
    void UpdateScrollBars();
    // Scroll-bar position <-> top-left index, scaled so that 16-bit paths keep working.
    int ScrollPosOf(const TGridAxis& Axis, int First, int MaxFirst) const;
    int FirstOfScrollPos(const TGridAxis& Axis, int Pos, int MaxFirst) const;
    void ScrollAxis(bool Rows, int Code, int Pos);
    void InvalidateSelection(const TGridRect& Old, const TGridRect& New);
    void CheckCount(long long Value) const;
    // What the grid and its editor want of the dialog keys (WM_GETDLGCODE for Key).
    LRESULT DialogCode(WPARAM Key) const;
    // Sets the count of an axis; a column count also sizes the tab stops.
    void SetCount(TGridAxis& Axis, int Value);
    // The nearest visible column (row) from Index stepping by Step; -1 when none.
    int VisibleFrom(const TGridAxis& Axis, int Index, int Step) const;
    // Keyboard navigation: the cell a key leads to from the current one.
    bool KeyTarget(WORD Key, TShiftState Shift, TGridCoord& Target);
    bool TabTarget(bool Back, TGridCoord& Target);
    // Mouse modes.
    void DrawSizingLine();
    void DrawMoveLine();
    int MoveHit(int X, int Y, bool Rows);
    void StopTimer();
    void EndMode(bool Apply, POINT P);
    // The editor.
    void PlaceEditor();
    void UpdateEditorText();
    // Gives the cell back the text it had when the editor was loaded, and closes the editor
    // (reloads it with goAlwaysShowEditor).
    void CancelEditor();
    void PaintLines(const TDrawInfo& Info, const RECT& Clip);
    // Fills the cells' backgrounds: the scrollable part, the selection, the fixed bands.
    void FillBackgrounds(const TDrawInfo& Info, const TGridRect& Sel, bool Focused);
    // Whether a cell in State shows the selection colour.
    bool Highlighted(TGridDrawState State) const;

    TGridAxis FHorz{64, THiddenExtents::ZeroOrNegative};
    TGridAxis FVert{24, THiddenExtents::ZeroOrNegative};
    TGridAxis FTabStops{1};  // one value per column: 1 = Tab stops there
    int FGridLineWidth = 1;
    TGridOptions FOptions;
    TScrollStyle FScrollBars = TScrollStyle::ssBoth;
    TBorderStyle FBorderStyle = TBorderStyle::bsSingle;
    bool FDefaultDrawing = true;
    bool FVirtualView = false;
    TColor FFixedColor = clBtnFace;
    TGridCoord FCurrent;
    TGridCoord FAnchor;
    TGridCoord FTopLeft;
    bool FEditorMode = false;
    TInplaceEdit* FInplaceEdit = nullptr;  // owned as a component
    int FInplaceCol = -1, FInplaceRow = -1;  // the cell the editor was loaded for
    String FEditOriginal;                    // its text then
    // Mouse modes.
    TGridState FGridState = TGridState::gsNormal;
    int FSizingIndex = 0, FSizingPos = 0, FSizingOfs = 0;
    bool FSizingLineShown = false;
    int FMoveIndex = 0, FMovePos = 0;
    bool FMoveLineShown = false;
    POINT FLastMouse{};
    bool FTimerOn = false;
    int FWheelRest = 0;  // wheel delta short of a notch
};
