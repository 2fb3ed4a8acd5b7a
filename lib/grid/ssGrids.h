// The in-house grid: a custom-drawn matrix of cells with fixed header rows and columns, cell by
// cell scrolling, a current cell with a rectangular selection, in-house enter and exit events
// that may refuse leaving a cell, and per-column, per-row and per-cell colours, fonts and lines.
//
// Layout rests on two TGridAxis objects (columns and rows): extents are stored sparsely and every
// pixel query costs O(log n), so a grid of a million rows scrolls as fast as one of a thousand.
// The attribute stores (ssGridStores) keep records only where an attribute deviates.
#pragma once
#include <map>
#include <memory>
#include <tuple>
#include <vector>

#include "Controls.h"
#include "GridAxis.h"
#include "Grids.h"
#include "ssGridSparse.h"
#include "ssGridStores.h"

class TssInplaceEdit;

// The cell coordinates, options, states and EInvalidGridOperation are the framework's (Grids.h).
constexpr TGridOptions DefaultGridOptions = TGridOptions::FromMask(0x801F);

using TssOnEnterCellEvent = std::function<void(TObject* Sender, int Col, int Row)>;
using TssOnExitCellEvent = std::function<void(TObject* Sender, int Col, int Row, bool& CanExit)>;
using TssDrawCellEvent =
    std::function<void(TObject* Sender, int Col, int Row, const RECT& Rect, TGridDrawState State)>;
using TMovedEvent = std::function<void(TObject* Sender, int FromIndex, int ToIndex)>;
using TSelectCellEvent = std::function<void(TObject* Sender, int Col, int Row, bool& CanSelect)>;
using TGetEditEvent = std::function<void(TObject* Sender, int ACol, int ARow, String& Value)>;
using TSetEditEvent = std::function<void(TObject* Sender, int ACol, int ARow, const String& Value)>;

// One axis of the layout for the current client size; computed on demand, never stored.
struct TGridAxisMetrics {
    int LineWidth = 0;       // width of the lines between cells (0 when the options draw none)
    int FixedEnd = 0;        // pixel end of the fixed cells
    int ClientExtent = 0;    // client width or height
    int GridEnd = 0;         // pixel end of the last drawn cell, at most ClientExtent
    int LastFullCell = 0;    // last cell counted as fully visible
    int FullVisibleEnd = 0;  // pixel end of LastFullCell
    int FixedCount = 0;
    int FirstCell = 0;       // LeftCol or TopRow
    int CellCount = 0;
};

// Both axes of the layout for the current client size.
struct TGridMetrics {
    TGridAxisMetrics Horz;
    TGridAxisMetrics Vert;
};

// The grid's engine, for descendants: layout, scrolling, the current cell and selection, the
// attribute cascade, mouse and keyboard, and the in-place editor. Descendants draw cells
// (DrawCell) and answer the editor's texts (GetEditText, SetEditText).
class TssCustomGrid : public TCustomControl {
    SS_CLASS(TssCustomGrid, TCustomControl)
public:
    explicit TssCustomGrid(TComponent* AOwner);
    ~TssCustomGrid() override;

    // ---- size and layout ----
    int ColCount() const { return FHorz.Count(); }
    void SetColCount(int Value);
    int RowCount() const { return FVert.Count(); }
    void SetRowCount(int Value);
    int FixedCols() const { return FHorz.FixedCount(); }
    void SetFixedCols(int Value);
    int FixedRows() const { return FVert.FixedCount(); }
    void SetFixedRows(int Value);
    int DefaultColWidth() const { return FHorz.DefaultExtent(); }
    void SetDefaultColWidth(int Value);
    int DefaultRowHeight() const { return FVert.DefaultExtent(); }
    void SetDefaultRowHeight(int Value);
    // The stored width, or DefaultColWidth without a width array or for an index outside.
    int ColWidths(int Index) const;
    void SetColWidths(int Index, int Value);
    int RowHeights(int Index) const;
    void SetRowHeights(int Index, int Value);
    // Whether Tab stops in a column (true unless set otherwise).
    bool TabStops(int Index) const;
    void SetTabStops(int Index, bool Value);
    // A width array exists (a width was written since the default last changed).
    bool HasColWidths() const { return FHorz.HasExtents(); }
    bool HasRowHeights() const { return FVert.HasExtents(); }
    int GridLineWidth() const { return FGridLineWidth; }
    void SetGridLineWidth(int Value);
    TGridOptions Options() const { return FOptions; }
    void SetOptions(TGridOptions Value);
    TScrollStyle ScrollBars() const { return FScrollBars; }
    void SetScrollBars(TScrollStyle Value);
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    bool DefaultDrawing() const { return FDefaultDrawing; }
    void SetDefaultDrawing(bool Value);
    TColor FixedColor() const { return FFixedColor; }
    void SetFixedColor(TColor Value);

    int LeftCol() const { return FTopLeft.X; }
    void SetLeftCol(int Value);
    int TopRow() const { return FTopLeft.Y; }
    void SetTopRow(int Value);
    int GridWidth();
    int GridHeight();
    int VisibleColCount();
    int VisibleRowCount();

    // Client rectangle of a cell; empty when it is not shown.
    RECT CellRect(int ACol, int ARow);
    // The cell under a client point; -1 for both coordinates outside the cells.
    void MouseToCell(int X, int Y, int& ACol, int& ARow);
    TGridCoord MouseCoord(int X, int Y);

    // ---- current cell and selection ----
    int Col() const { return FCurrent.X; }
    void SetCol(int Value);
    int Row() const { return FCurrent.Y; }
    void SetRow(int Value);
    // The rectangle spanned by the anchor and the current cell.
    TGridRect Selection() const;
    // Checked like the current cell; runs no select, exit or enter events.
    void SetSelection(const TGridRect& Value);
    bool EditorMode() const { return FEditorMode; }
    // On: the editor opens over the current cell with nothing selected; off: it closes.
    void SetEditorMode(bool Value);
    // The editor, once a cell was edited (it is made on first use and kept).
    TssInplaceEdit* InplaceEditor() const { return FInplaceEdit; }
    TGridState GridState() const { return FGridState; }

    // ---- attributes: the cascade cell, column, row, grid ----
    // An index at or beyond the column count, or a negative one, raises the list index error.
    TAlignment ColAlignment(int ACol) const;
    void SetColAlignment(int ACol, TAlignment Value);
    TAlignment FixedColAlignment(int ACol) const;
    void SetFixedColAlignment(int ACol, TAlignment Value);
    TImeMode ColImeMode(int ACol) const;
    void SetColImeMode(int ACol, TImeMode Value);
    TColor ColColor(int ACol) const;
    void SetColColor(int ACol, TColor Value);
    TColor RowColor(int ARow) const;
    void SetRowColor(int ARow, TColor Value);
    TColor CellColor(int ACol, int ARow) const;
    void SetCellColor(int ACol, int ARow, TColor Value);
    // The effective font or pen. At run time this is a scratch object bound to the index it was
    // read for: changing it stores the change for that column, row or cell.
    TFont* ColFont(int ACol);
    void SetColFont(int ACol, const TFont* Value);
    TFont* RowFont(int ARow);
    void SetRowFont(int ARow, const TFont* Value);
    TFont* CellFont(int ACol, int ARow);
    void SetCellFont(int ACol, int ARow, const TFont* Value);
    TPen* ColLine(int ACol);
    void SetColLine(int ACol, const TPen* Value);
    TPen* RowLine(int ARow);
    void SetRowLine(int ARow, const TPen* Value);
    // The cell's line with every unset side filled with its default pen. A cell without one
    // hands out its own stand-in; changing a side of what was handed out stores it for the cell.
    TssCellLine* CellOuterLine(int ACol, int ARow);
    void SetCellOuterLine(int ACol, int ARow, const TssCellLine* Value);
    TssCellLine* CellInnerLine(int ACol, int ARow);
    void SetCellInnerLine(int ACol, int ARow, const TssCellLine* Value);
    // The default line: the canvas's pen.
    TPen* DefLine() const { return Canvas()->Pen(); }
    bool IsSetColFont(int iCol) const;
    bool IsSetRowFont(int iRow) const;
    bool IsSetCellFont(int iCol, int iRow) const;
    bool IsSetCellLine(int iCol, int iRow) const;
    // Rescales the bounds and every stored font by M/D (the form's rescaling calls it).
    void ChangeScale(int M, int D) override;
    // Calls Proc for each column (ARow -1), row (ACol -1) and cell that has a font of its own.
    void ForEachOwnFont(const std::function<void(int ACol, int ARow)>& Proc) const;

    // Options added while the grid is being designed.
    TGridOptions DesignOptionsBoost{TGridOption::goRowSizing, TGridOption::goColSizing};
    // Repaint everything on size changes instead of the changed part.
    bool VirtualView = false;

protected:
    // ---- layout ----
    TGridMetrics CalcMetrics(int ClientWidth, int ClientHeight);
    TGridMetrics CalcDrawInfo();
    // Pixel width of the line after a column or row: its own pen's, else GridLineWidth.
    int ColLineWidth(int ACol) const;
    int RowLineWidth(int ARow) const;
    RECT GridRectToClient(const TGridRect& R, bool IncludeLine);
    RECT BoxRect(int ALeft, int ATop, int ARight, int ABottom);
    TGridCoord CalcMaxTopLeft(TGridCoord Coord, const TGridMetrics& M);
    // The largest top-left: the one that shows the last column and row whole.
    TGridCoord LastTopLeft(const TGridMetrics& M);
    void ScrollCellIntoView(TGridCoord Coord);
    void SetTopLeftCell(int ALeft, int ATop);
    void TopLeftShifted(TGridCoord Old);
    void ScrollPixels(int DX, int DY, const TGridMetrics& M);
    void SyncScrollPositions();
    void SyncScrollRanges();
    void ScrollCommand(int Bar, int Code, int Pos) override;
    void ScrollSingleColumn(int Code, int Pos);
    void ResizeGrid(int NewCols, int NewRows);
    void MoveCurrentUnasked(int ACol, int ARow);
    void InvalidateCell(int ACol, int ARow);
    void InvalidateGridRect(const TGridRect& R);
    // Inserts (Amount > 0) or deletes columns or rows at Index, moving what follows with its
    // extents, and scrolls the pixels after it. The attribute stores are not adjusted.
    virtual void AdjustAxis(int Index, int Amount, bool Rows);

    // ---- current cell ----
    virtual void SetCurrentCell(int ACol, int ARow, bool MoveAnchor, bool Show);
    void ExtendSelection(TGridCoord Coord);
    void GoToCell(int ACol, int ARow, bool MoveAnchor);
    virtual bool SelectCell(int ACol, int ARow);
    virtual void DoEnterCell(int ACol, int ARow);
    virtual void DoExitCell(int ACol, int ARow);
    virtual bool HasCellLines();

    // ---- editor hosting ----
    virtual TssInplaceEdit* CreateEditor();
    virtual bool CanShowEditor();
    void OpenEditor();
    void CloseEditor();
    // Loads the editor for the current cell when it was loaded for another, colours it and lays
    // it over the cell; only while CanShowEditor.
    void PlaceEditor();
    // Stores the editor's text into its cell and hides it.
    void DetachEditor();
    void CommitEditorText();
    // Opens the editor and types Ch into it.
    void OpenEditorWithChar(wchar_t Ch);
    // Loads the editor again from its cell.
    void ResetEditor();
    // The editor's colour: the cell's, or the configured one while the user can type.
    TColor EditorBackColor();
    virtual bool EditorAcceptsKey(wchar_t Key) { return true; }
    virtual bool GridAcceptsKey(WORD Key, TShiftState Shift) { return true; }
    virtual bool EditorCanModify() { return FCanEditModify; }
    virtual String GetEditText(int ACol, int ARow) { return String(); }
    virtual void SetEditText(int ACol, int ARow, const String& Value) {}
    virtual String GetEditMask(int ACol, int ARow) { return String(); }
    // The most characters the editor takes; 0 = no limit, -1 = none (the cell cannot change).
    virtual int GetEditLimit() { return 0; }

    // ---- mouse and keyboard ----
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void KeyDown(WORD& Key, TShiftState Shift) override;
    void KeyPress(wchar_t& Key) override;
    void TimerTick(UINT_PTR Id) override;
    HCURSOR ClientCursor(POINT P) override;
    void FontChanged() override;
    // The state a press at (X, Y) would start on a sizing band, with the sized cell and the
    // line's position and offset from the point; gsNormal off every band.
    TGridState CalcSizingState(int X, int Y, int& Index, int& SizingPos, int& SizingOfs, const TGridMetrics& M);
    // Steps the selection one cell in each direction while the mouse is held beyond the cells.
    virtual void AutoScrollStep(TGridScrollDirection Direction);
    // Moves a column or row with everything that goes by its index.
    void MoveColumn(int FromIndex, int ToIndex);
    void MoveRow(int FromIndex, int ToIndex);

    // ---- what descendants override ----
    void Paint() override;
    virtual void DrawCell(int ACol, int ARow, const RECT& ARect, TGridDrawState AState) = 0;
    // Whether default drawing of the cell fills its whole rectangle in the canvas's brush colour
    // itself, so that painting need not fill it before.
    virtual bool DrawCellFillsRect(int ACol, int ARow) const { return false; }
    virtual void ColumnMoved(int FromIndex, int ToIndex);
    virtual void RowMoved(int FromIndex, int ToIndex);
    virtual void CountsChanged(int OldColCount, int OldRowCount) {}
    virtual void TopLeftChanged();
    virtual void ColWidthsChanged();
    virtual void RowHeightsChanged();

    // ---- the control ----
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void Ctl3DChanged() override;
    void Loaded() override;
    // Widths, heights and the attribute layer as stream properties of their own (ssGridPersist).
    void DefineProperties(TFiler& Filer) override;
    void DoEnter() override;
    void DoExit() override;
    bool DoMouseWheel(TShiftState Shift, int WheelDelta, POINT MousePos) override;
    void WndProc(TMessage& Msg) override;

    TssOnEnterCellEvent FOnEnterCell;
    TssOnExitCellEvent FOnExitCell;
    TGridState FGridState = TGridState::gsNormal;
    int FSizingIndex = 0, FSizingPos = 0, FSizingOfs = 0;
    int FMoveIndex = 0, FMovePos = 0;
    POINT FHitTest{};  // client point of the last non-client hit test
    TssInplaceEdit* FInplaceEdit = nullptr;  // owned as a component
    int FInplaceCol = -1, FInplaceRow = -1;   // the cell the editor was loaded for
    bool FCanEditModify = true;
    bool FSuppressSelectEvent = false;  // a drag along the selected row asks no OnSelectCell
    bool FSaveCellExtents = true;
    bool FIsCanExit = true;
    bool bFirstGridEnter = true;
    bool bFirstMouseDown = false;
    bool FisCellLineSetting = false;
    int FColOffset = 0;  // horizontal pixel offset of a single-column grid

    // The stores are reached through these by descendants that persist or move attributes.
    TssGridColInfo& ColInfo() { return *FColInfo; }
    TssGridRowInfo& RowInfo() { return *FRowInfo; }
    TssGridCellInfo& CellInfo() { return *FCellInfo; }

private:
    friend class TssInplaceEdit;
    friend class TssGridPersist;
    bool Designing() const { return ComponentState().Contains(TComponentStateItem::csDesigning); }
    TGridOptions EffectiveOptions() const;
    // Fills the current cell with the editor's colour, under the editor.
    void FillEditorCell();
    void LoadEditor();
    void DrawSizingLine(const TGridMetrics& M);
    void DrawMove();
    void MoveDrag(int Pos, int Hit, bool Rows);
    void StopDrag();
    void ApplySize();
    // Copies the selected cells' texts as tab-separated lines.
    void CopySelection();
    bool DesigningOrLoading() const;
    bool RowSelect() const { return FOptions.Contains(TGridOption::goRowSelect); }
    void CheckCell(int ACol, int ARow) const;
    void UpdateLineWidths();
    TGridAxisMetrics AxisMetrics(const TGridAxis& Axis, int First, int Client, bool Rows) const;
    void ClampToClient(TGridRect& R);
    void InvalidateSelectionChange(const TGridRect& OldSel);
    void ResetCurrentToFixed();
    bool ActiveControlIsGrid();
    // The effective values of the cascade.
    TColor InheritedCellColor(int ACol, int ARow) const;
    const TFont* InheritedCellFont(int ACol, int ARow) const;
    const TFont* EffectiveColFont(int ACol) const;
    const TFont* EffectiveRowFont(int ARow) const;
    const TFont* EffectiveCellFont(int ACol, int ARow) const;
    const TPen* EffectiveColLine(int ACol) const;
    const TPen* EffectiveRowLine(int ARow) const;
    TssCellLine* PrepareCellLine(int ACol, int ARow, bool Outer);
    void SetCellLine(int ACol, int ARow, const TssCellLine* Value, bool Outer);
    // Copies Value into a scratch object without writing it back.
    template <typename T>
    T* LoadScratch(T& Scratch, const T* Value);
    // Width of "0" in the grid's font: one line step of a single-column grid.
    int ZeroWidth();
    void RecalcCellLineSetting();
    // Painting (ssGridPaint.cpp).
    friend class TssGridPainter;
    // The pens and brushes the canvas painted with, kept made between paints: a shared GDI
    // object goes with its last user, so a canvas switching colours would make one per cell.
    struct TPaintObjects {
        std::map<std::tuple<TColor, int, int, int>, std::unique_ptr<TPen>> Pens;
        std::map<TColor, std::unique_ptr<TBrush>> Brushes;
        void Keep(const TPen& pen);
        void Keep(const TBrush& brush);
        void Clear() {
            Pens.clear();
            Brushes.clear();
        }
    } FPaintObjects;

    TGridAxis FHorz{64};
    TGridAxis FVert{24};
    TGridAxis FTabStops{1};  // one value per column: 1 = Tab stops there
    int FGridLineWidth = 1;
    TGridOptions FOptions = DefaultGridOptions;
    TScrollStyle FScrollBars = TScrollStyle::ssBoth;
    TBorderStyle FBorderStyle = TBorderStyle::bsSingle;
    bool FDefaultDrawing = true;
    TColor FFixedColor = clBtnFace;
    TGridCoord FCurrent;
    TGridCoord FAnchor;
    TGridCoord FTopLeft;
    bool FEditorMode = false;

    std::unique_ptr<TssGridColInfo> FColInfo;
    std::unique_ptr<TssGridRowInfo> FRowInfo;
    std::unique_ptr<TssGridCellInfo> FCellInfo;
    // Scratch objects handed out by the attribute getters, each bound to the index it was read for.
    TFont FColFont, FRowFont, FCellFont;
    TPen FColLine, FRowLine;
    int FColFontIndex = -1, FRowFontIndex = -1, FColLineIndex = -1, FRowLineIndex = -1;
    TGridCoord FCellFontCell{-1, -1};
    std::unique_ptr<TssCellLine> FStrayLine;  // handed out for cells outside the grid
    bool FLoadingScratch = false;  // the getter itself fills a scratch object
};

// The grid with its overridables turned into events.
class TssDrawGrid : public TssCustomGrid {
    SS_CLASS(TssDrawGrid, TssCustomGrid)
    SS_PUBLISHED(TssDrawGrid)
public:
    using TssCustomGrid::TssCustomGrid;

    TMovedEvent OnColumnMoved;
    TssDrawCellEvent OnDrawCell;
    TGetEditEvent OnGetEditMask;
    TGetEditEvent OnGetEditText;
    TMovedEvent OnRowMoved;
    TSelectCellEvent OnSelectCell;
    TSetEditEvent OnSetEditText;
    TNotifyEvent OnTopLeftChanged;
    TssOnEnterCellEvent& OnEnterCell() { return FOnEnterCell; }
    TssOnExitCellEvent& OnExitCell() { return FOnExitCell; }

protected:
    void DrawCell(int ACol, int ARow, const RECT& ARect, TGridDrawState AState) override;
    bool SelectCell(int ACol, int ARow) override;
    String GetEditMask(int ACol, int ARow) override;
    String GetEditText(int ACol, int ARow) override;
    void SetEditText(int ACol, int ARow, const String& Value) override;
    void ColumnMoved(int FromIndex, int ToIndex) override;
    void RowMoved(int FromIndex, int ToIndex) override;
    void TopLeftChanged() override;
};

class TssStringGrid;

// A row (Index + 1 > 0) or column (-Index - 1 < 0) of a string grid seen as a string list of
// ColCount or RowCount lines. Lines cannot be inserted or deleted.
class TssStringGridStrings : public TStrings {
    SS_CLASS(TssStringGridStrings, TStrings)
public:
    TssStringGridStrings(TssStringGrid* AGrid, int AIndex) : FGrid(AGrid), FIndex(AIndex) {}
    // From another string list: as many lines as both have, with their objects, repainted once.
    void Assign(const TPersistent* Source) override;
    // Puts S into the first line without text; -1 when every line has text.
    int Add(const String& S) override;
    // Empties the texts and objects of the row or column.
    void Clear() override;
    void Delete(int Index) override;
    void Insert(int Index, const String& S) override;
    int Count() const override;
    String Get(int Index) const override;
    void Put(int Index, const String& S) override;

protected:
    TObject* GetObject(int Index) const override;
    void PutObject(int Index, TObject* AObject) override;
    void SetUpdateState(bool Updating) override;

private:
    // The cell of line Index; column and row -1 for a view of nothing.
    TGridCoord Cell(int Index) const;
    TssStringGrid* FGrid;
    int FIndex;
};

// The per-line attributes of a multi-line cell, seen through a cursor (cell and line index) that
// the grid's MultiLine and MultiItems set. Every change shows in the cell at once.
class TssMultiLineAttribute : public TObject {
    SS_CLASS(TssMultiLineAttribute, TObject)
public:
    explicit TssMultiLineAttribute(TssStringGrid* AGrid);
    int Col() const { return FCol; }
    int Row() const { return FRow; }
    int LineIndex() const { return FLineIndex; }
    void SetCursor(int ACol, int ARow, int ALineIndex);
    // The cell's text split at its line ends, refilled on every read; changing the list writes
    // the lines back into the cell, each followed by CR LF.
    TStringList* LineItems();
    bool DefaultAlignment() const;
    void SetDefaultAlignment(bool Value);
    TAlignment Alignment() const;
    void SetAlignment(TAlignment Value);
    bool DefaultFont() const;
    void SetDefaultFont(bool Value);
    // The line's own font; without one, a scratch copy of the cell's font whose changes become
    // the line's font.
    TFont* Font();
    void SetFont(const TFont* Value);

private:
    // Writes itself back into the cursor cell on every change outside an update bracket.
    class TLineItems : public TStringList {
    public:
        explicit TLineItems(TssMultiLineAttribute* AOwner) : FOwner(AOwner) {}

    protected:
        void Changed() override;

    private:
        TssMultiLineAttribute* FOwner;
    };
    TssLineAttribute* Record(bool Create) const;
    void Changed();
    TssStringGrid* FGrid;
    int FCol = 0, FRow = 0, FLineIndex = 0;
    TLineItems FLineItems{this};
    TFont FFont;
    bool FFilling = false;  // the cursor itself loads the lines or the scratch font
};

SS_ENUM(TssDisableFixedCellEventType, dfeDblClick, dfeMouse)
using TssDisableFixedCellEvent = TSet<TssDisableFixedCellEventType>;

// The drawing grid with a text and an object per cell, stored only for cells that hold one.
// Single lines sit on the bottom of their cell; a cell with line ends (or every cell, with
// MultiLineEnabled) draws one line under the other, each with its own alignment and font.
class TssStringGrid : public TssDrawGrid {
    SS_CLASS(TssStringGrid, TssDrawGrid)
    SS_PUBLISHED(TssStringGrid)
public:
    explicit TssStringGrid(TComponent* AOwner);
    ~TssStringGrid() override;

    String Cells(int ACol, int ARow) const;
    void SetCells(int ACol, int ARow, const String& Value);
    TObject* Objects(int ACol, int ARow) const;
    void SetObjects(int ACol, int ARow, TObject* Value);
    // The views are made on first use and live as long as the grid.
    TStrings* Rows(int Index);
    void SetRows(int Index, const TStrings* Value) { Rows(Index)->Assign(Value); }
    TStrings* Cols(int Index);
    void SetCols(int Index, const TStrings* Value) { Cols(Index)->Assign(Value); }
    bool MultiLineEnabled() const { return FMLAEnabled; }
    void SetMultiLineEnabled(bool Value);
    TssMultiLineAttribute* MultiLine(int ACol, int ARow, int ALineIndex);
    TStringList* MultiItems(int ACol, int ARow);
    void SetMultiItems(int ACol, int ARow, const TStrings* Value) { MultiItems(ACol, ARow)->Assign(Value); }
    // Mouse events of a program are not called for fixed cells; the grid still handles them.
    TssDisableFixedCellEvent DisableFixedCellEvent() const { return FDisableFixedCellEvent; }
    void SetDisableFixedCellEvent(TssDisableFixedCellEvent Value) { FDisableFixedCellEvent = Value; }
    // With DoubleBuffered too: every paint draws the whole client area off screen.
    bool DoubleBufferAllDraw() const { return FDoubleBufferAllDraw; }
    void SetDoubleBufferAllDraw(bool Value) { FDoubleBufferAllDraw = Value; }

protected:
    void Paint() override;
    void DrawCell(int ACol, int ARow, const RECT& ARect, TGridDrawState AState) override;
    bool DrawCellFillsRect(int ACol, int ARow) const override;
    String GetEditText(int ACol, int ARow) override;
    void SetEditText(int ACol, int ARow, const String& Value) override;
    void ColumnMoved(int FromIndex, int ToIndex) override;
    void RowMoved(int FromIndex, int ToIndex) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void DblClick() override;
    void WndProc(TMessage& Msg) override;

private:
    friend class TssStringGridStrings;
    friend class TssMultiLineAttribute;
    TStringSparseList* RowList(int ARow) const { return static_cast<TStringSparseList*>(FData.Get(ARow)); }
    TStringSparseList* EnsureRowList(int ARow);
    void FreeRowList(TStringSparseList* List);
    TssStringGridStrings* View(TSparseList& Views, int Index, int Code);
    // A cell changed: repaint it (or the whole grid after a bulk update) and reload the editor.
    void Update(int ACol, int ARow);
    void SetUpdateState(bool Updating);
    bool IsMultiLineCell(int ACol, int ARow) const;
    int AlignedX(const RECT& Rect, int TextWidth, TAlignment Alignment) const;
    TAlignment CellAlignment(int ACol, int ARow) const;
    void DrawSingleLine(int ACol, int ARow, const RECT& Rect);
    int LineHeight(const String& Text);
    void DrawMultiLine(int ACol, int ARow, const RECT& Rect);
    bool HitsFixedCell();
    void PaintAllBuffered(TMessage& Msg);

    TSparsePool FPool;                                 // the row lists, their sections and items
    TSparseList FData{TSPAQuantum::SPASmall, &FPool};  // TStringSparseList per row, owned
    // The same lists in the order they were made, which is their order in the pool: freeing
    // them in it walks memory forward instead of jumping about.
    std::vector<TStringSparseList*> FRowLists;
    TSparseList FRows{TSPAQuantum::SPASmall};  // row views, owned
    TSparseList FCols{TSPAQuantum::SPASmall};  // column views, owned
    bool FUpdating = false;
    bool FNeedsUpdating = false;
    int FEditUpdate = 0;
    bool FMLAEnabled = false;
    std::unique_ptr<TssMultiLineAttribute> FMLAData;
    bool FCellsSet = false;
    TssDisableFixedCellEvent FDisableFixedCellEvent;
    bool FDoubleBufferAllDraw = false;
    bool FMeasuring = false;        // a paint runs: LineHeight keeps what it measured
    HFONT FMeasuredFont = nullptr;  // the font of FMeasuredHeight in this paint, if any
    int FMeasuredHeight = 0;
};
