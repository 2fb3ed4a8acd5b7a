// The data-aware grid's core: a grid that shows a dataset's records as rows through a window of
// buffered records, and its columns. A column is bound to a field by name; each of its display
// attributes is either set on the column ("assigned") or read, every time, from the grid or the
// field, so that an unset attribute follows them. The grid holds as many records as fit in its
// client area: its row count is the title rows plus the data link's buffer, never the size of the
// dataset, so scrolling costs the same at ten thousand records as at ten million.
#pragma once
#include <climits>
#include <memory>
#include <vector>

#include "DB.h"
#include "Grids.h"
#include "Menus.h"
#include "Streams.h"

// The input-method modes by name, for the stream properties of the grid and its columns.
inline const TEnumInfo& EnumInfo(TImeMode) {
    static const TEnumInfo info(L"TImeMode",
                                L"imDisable, imClose, imOpen, imDontCare, imSAlpha, imAlpha, imHira, imSKata, "
                                L"imKata, imChinese, imSHanguel, imHanguel");
    return info;
}

SS_ENUM(TColumnValue, cvColor, cvWidth, cvFont, cvAlignment, cvReadOnly, cvTitleColor, cvTitleCaption,
        cvTitleAlignment, cvTitleFont, cvImeMode, cvImeName)
// Which attributes of a column and of its title were set on the column itself.
using TColumnValues = TSet<TColumnValue>;
SS_ENUM(TColumnButtonStyle, cbsAuto, cbsEllipsis, cbsNone)
SS_ENUM(TDBGridColumnsState, csDefault, csCustomized)
SS_ENUM(TDBGridOption, dgEditing, dgAlwaysShowEditor, dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines,
        dgTabs, dgRowSelect, dgAlwaysShowSelection, dgConfirmDelete, dgCancelOnExit, dgMultiSelect)
using TDBGridOptions = TSet<TDBGridOption>;
// The options a new grid has; on a Korean system the editor is always shown as well.
constexpr TDBGridOptions DBGridDefaultOptions = TDBGridOptions::FromMask(3325);
TDBGridOptions DefaultDBGridOptions();

// The window message the grid posts to itself to relay out once several changes have passed.
constexpr UINT WM_SSDBGRIDLAYOUT = 1124;

class TssCustomDBGrid;
class TssColumn;

// The title cell of a column: its caption, font, colour and alignment. An attribute that was
// never set follows the grid (font, colour) or the field (caption).
class TColumnTitle : public TPersistent {
    SS_CLASS(TColumnTitle, TPersistent)
    SS_PUBLISHED(TColumnTitle)
public:
    explicit TColumnTitle(TssColumn* Column);
    ~TColumnTitle() override;
    TColumnTitle(const TColumnTitle&) = delete;
    TColumnTitle& operator=(const TColumnTitle&) = delete;

    // Copies the attributes the source column's title has set.
    void Assign(const TPersistent* Source) override;
    TssColumn* Column() const { return FColumn; }

    TAlignment Alignment() const;
    void SetAlignment(TAlignment Value);
    String Caption() const;
    virtual void SetCaption(const String& Value);
    TColor Color() const;
    void SetColor(TColor Value);
    TFont* Font() const;
    void SetFont(TFont* Value);
    // Forgets every attribute set on the title.
    virtual void RestoreDefaults();

    TAlignment DefaultAlignment() const { return TAlignment::taLeftJustify; }
    String DefaultCaption() const;
    TColor DefaultColor() const;
    TFont* DefaultFont() const;

private:
    friend class TssColumn;
    bool IsAlignmentStored() const;
    bool IsCaptionStored() const;
    bool IsColorStored() const;
    bool IsFontStored() const;
    void FontChanged();
    // Copies the default font into FFont without marking it as set.
    void RefreshDefaultFont() const;

    TssColumn* FColumn;
    String FCaption;
    std::unique_ptr<TFont> FFont;
    TColor FColor = clBtnFace;
    TAlignment FAlignment = TAlignment::taLeftJustify;
    mutable bool FCopyingFont = false;
};

// One column of a data grid, bound by name to a field of the grid's dataset. A stored column
// belongs to a column set the program made (and keeps its own attributes); an unstored one was
// made by the grid for a field and writes its alignment, read-only flag, caption and width
// through to the field.
class TssColumn : public TCollectionItem {
    SS_CLASS(TssColumn, TCollectionItem)
    SS_PUBLISHED(TssColumn)
public:
    explicit TssColumn(TCollection* Collection);
    ~TssColumn() override;

    void Assign(const TPersistent* Source) override;
    String DisplayName() const override;
    void SetIndex(int Value) override;

    TssCustomDBGrid* Grid() const;
    TColumnValues AssignedValues() const { return FAssignedValues; }
    bool Stored() const { return FStored; }

    // The bound field, looked up by name on first read once the dataset can answer.
    TField* Field() const;
    virtual void SetField(TField* Value);
    const String& FieldName() const { return FFieldName; }
    void SetFieldName(const String& Value);

    TAlignment Alignment() const;
    virtual void SetAlignment(TAlignment Value);
    TColumnButtonStyle ButtonStyle() const { return FButtonStyle; }
    void SetButtonStyle(TColumnButtonStyle Value);
    TColor Color() const;
    void SetColor(TColor Value);
    std::uint32_t DropDownRows() const { return FDropDownRows; }
    void SetDropDownRows(std::uint32_t Value) { FDropDownRows = Value; }
    bool Expanded() const;
    void SetExpanded(bool Value);
    TFont* Font() const;
    void SetFont(TFont* Value);
    TImeMode ImeMode() const;
    virtual void SetImeMode(TImeMode Value);
    String ImeName() const;
    virtual void SetImeName(const String& Value);
    // Made on first read.
    TStrings* PickList() const;
    void SetPickList(TStrings* Value);
    TPopupMenu* PopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(TPopupMenu* Value);
    bool ReadOnly() const;
    virtual void SetReadOnly(bool Value);
    TColumnTitle* Title() const { return FTitle.get(); }
    void SetTitle(TColumnTitle* Value);
    // -1 while the column is not showing.
    int Width() const;
    virtual void SetWidth(int Value);
    bool Visible() const;
    void SetVisible(bool Value);

    // A column of a structured or array field, which can show its children instead of itself.
    bool Expandable() const;
    // The column of the field's parent field, searching back from this column.
    TssColumn* ParentColumn() const;
    int Depth() const;
    // Visible, not replaced by its children, and every ancestor column expanded.
    bool Showing() const;

    TAlignment DefaultAlignment() const;
    TColor DefaultColor() const;
    TFont* DefaultFont() const;
    TImeMode DefaultImeMode() const;
    String DefaultImeName() const;
    bool DefaultReadOnly() const;
    int DefaultWidth() const;
    // Forgets every attribute set on the column and its title.
    virtual void RestoreDefaults();

    // The stream predicates: a value is written only when it was set and differs from its default.
    bool IsAlignmentStored() const;
    bool IsColorStored() const;
    bool IsFontStored() const;
    bool IsImeModeStored() const;
    bool IsImeNameStored() const;
    bool IsReadOnlyStored() const;
    bool IsWidthStored() const;

protected:
    // Makes the column's title object.
    virtual TColumnTitle* MakeTitle();

private:
    friend class TColumnTitle;
    friend class TssDBGridColumns;
    friend class TssCustomDBGrid;
    // Reports a change to the collection as one of this column or of every column.
    void ColumnChanged(bool AllItems) { Changed(AllItems); }
    void FontChanged();
    void RefreshDefaultFont() const;
    bool WritesThrough() const;
    int MeasureDefaultWidth(TField* F) const;

    mutable TField* FField = nullptr;
    String FFieldName;
    TColor FColor = clWindow;
    int FWidth = 64;
    std::unique_ptr<TColumnTitle> FTitle;
    std::unique_ptr<TFont> FFont;
    TImeMode FImeMode = TImeMode::imDontCare;
    String FImeName;
    mutable std::unique_ptr<TStringList> FPickList;
    TPopupMenu* FPopupMenu = nullptr;
    std::uint32_t FDropDownRows = 7;
    TColumnButtonStyle FButtonStyle = TColumnButtonStyle::cbsAuto;
    TAlignment FAlignment = TAlignment::taLeftJustify;
    bool FReadonly = false;
    TColumnValues FAssignedValues;
    bool FVisible = true;
    bool FExpanded = true;
    bool FStored = true;
    mutable bool FCopyingFont = false;
};

// The ordered columns of one grid, with the column set's state, rebuilding from the dataset's
// fields and column-set files.
class TssDBGridColumns : public TCollection {
    SS_CLASS(TssDBGridColumns, TCollection)
public:
    TssDBGridColumns(TssCustomDBGrid* Grid, TCollectionItemClass ColumnClass);
    TssCustomDBGrid* Grid() const { return FGrid; }
    TssColumn* Add();
    // A column made by the grid's layout for a field.
    TssColumn* AddUnstored();
    TssColumn* Items(int Index) const;
    // Assigns Value into the column at Index.
    void SetItems(int Index, const TssColumn* Value) { TCollection::SetItems(Index, Value); }
    // Customised when the first column is a stored one.
    TDBGridColumnsState State() const;
    void SetState(TDBGridColumnsState Value);
    void RestoreDefaults();
    // One stored column per field of the dataset, children right after their parent.
    void RebuildColumns();
    void SaveToStream(TStream& S);
    void LoadFromStream(TStream& S);
    // A failed save leaves the file that was there.
    void SaveToFile(const String& FileName);
    void LoadFromFile(const String& FileName);

protected:
    void Update(TCollectionItem* Item) override;

private:
    TssCustomDBGrid* FGrid;
};

// The grid's view of its dataset: the map from grid columns to fields, and the dataset's
// notifications turned into calls on the grid.
class TssGridDataLink : public TDataLink {
    SS_CLASS(TssGridDataLink, TDataLink)
public:
    explicit TssGridDataLink(TssCustomDBGrid* Grid);
    ~TssGridDataLink() override;

    // Appends the field of that name to the map (-1 for a missing one in a sparse map).
    bool AddMapping(const String& FieldName);
    void ClearMapping();
    // The editor holds text not yet written to the field.
    void Modified() { FModified = true; }
    bool IsModified() const { return FModified; }
    // Undoes what the editor or the record holds unposted.
    void Reset();
    // nullptr outside the map or for a missing field.
    TField* GetFields(int I) const;
    // The raw map entry, -1 outside the map.
    int FieldIndex(int I) const;
    bool DefaultFields() const;
    int FieldCount() const { return FFieldCount; }
    bool SparseMap() const { return FSparseMap; }
    void SetSparseMap(bool Value) { FSparseMap = Value; }
    // The map's capacity: grown by doubling, at most the column limit.
    int MapCapacity() const { return int(FFieldMap.size()); }
    // Where the map stops accepting columns.
    static constexpr int MaxMapping = 0x0FFFFFFF;

protected:
    void ActiveChanged() override;
    void DataSetChanged() override;
    void DataSetScrolled(int Distance) override;
    void LayoutChanged() override;
    void FocusControl(TField** Field) override;
    void EditingChanged() override;
    void RecordChanged(TField* Field) override;
    void UpdateData() override;

    int FFieldCount = 0;

private:
    friend class TssCustomDBGrid;
    TssCustomDBGrid* FGrid;
    std::vector<int> FFieldMap;
    std::vector<TField*> FNotified;  // the mapped fields asked to tell of their freeing
    bool FModified = false;
    bool FInUpdateData = false;
    bool FSparseMap = false;
};

// The bookmarks of the rows selected in multi-select mode, sorted in the dataset's order; a find
// remembers the array it was last asked for, by identity.
class TssBookmarkList {
public:
    explicit TssBookmarkList(TssCustomDBGrid* Grid);
    ~TssBookmarkList();
    TssBookmarkList(const TssBookmarkList&) = delete;
    TssBookmarkList& operator=(const TssBookmarkList&) = delete;

    void Clear();
    // Deletes every selected record; every bookmark is checked before the first deletion.
    void Delete();
    // Where Item is, or would be inserted; true when it is there.
    bool Find(const TBookmark& Item, int& Index);
    int IndexOf(const TBookmark& Item);
    // Drops the bookmarks the dataset no longer accepts; true when it dropped any.
    bool Refresh();
    const TBookmark& Items(int Index) const;
    int Count() const { return int(FList.size()); }
    bool CurrentRowSelected();
    void SetCurrentRowSelected(bool Value);
    // The grid's link became active or inactive.
    void SetLinkActive(bool Value);

private:
    TBookmark CurrentBookmark() const;
    int Compare(const TBookmark& A, const TBookmark& B) const;
    void InsertItem(int Index, const TBookmark& Item);
    void DeleteItem(int Index);
    void InvalidateCache();

    std::vector<TBookmark> FList;
    TssCustomDBGrid* FGrid;
    TBookmark FCache;
    int FCacheIndex = -1;
    bool FCacheFind = false;
    bool FLinkActive = false;
};

// Carries a column collection through the component streams (column-set files).
class TColumnsWrapper : public TComponent {
    SS_CLASS(TColumnsWrapper, TComponent)
    SS_PUBLISHED(TColumnsWrapper)
public:
    explicit TColumnsWrapper(TComponent* AOwner) : TComponent(AOwner) {}
    TssDBGridColumns* Columns() const { return FColumns; }
    void SetColumns(TssDBGridColumns* Value) { FColumns = Value; }

private:
    TssDBGridColumns* FColumns = nullptr;
};

using TDrawDataCellEvent = std::function<void(TObject* Sender, const RECT& Rect, TField* Field, TGridDrawState State)>;
using TDrawColumnCellEvent =
    std::function<void(TObject* Sender, const RECT& Rect, int DataCol, TssColumn* Column, TGridDrawState State)>;
using TDBGridClickEvent = std::function<void(TssColumn* Column)>;
using TColumnMovedEvent = std::function<void(TObject* Sender, int FromIndex, int ToIndex)>;

// The data-aware grid. Grid column c shows column c - the indicator offset; grid row r below the
// titles shows buffered record r - the title offset of the data link. The dataset's cursor is the
// current row: scrolling moves the cursor, and the data link's notifications scroll the pixels.
class TssCustomDBGrid : public TCustomGrid {
    SS_CLASS(TssCustomDBGrid, TCustomGrid)
public:
    explicit TssCustomDBGrid(TComponent* AOwner);
    ~TssCustomDBGrid() override;

    TDataSource* DataSource() const { return FDataLink->DataSource(); }
    void SetDataSource(TDataSource* Value);
    TssGridDataLink* DataLink() const { return FDataLink.get(); }
    TssDBGridColumns* Columns() const { return FColumns.get(); }
    void SetColumns(TssDBGridColumns* Value);
    TFont* TitleFont() const { return FTitleFont.get(); }
    void SetTitleFont(TFont* Value);
    TDBGridOptions Options() const { return FOptions; }
    virtual void SetOptions(TDBGridOptions Value);
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value);
    bool DefaultDrawing() const { return FDefaultDrawing; }
    void SetDefaultDrawing(bool Value) { FDefaultDrawing = Value; }
    // The input method the grid asks for; a column may ask for its own.
    TImeMode ImeMode() const { return FImeMode; }
    void SetImeMode(TImeMode Value) { FImeMode = Value; }
    const String& ImeName() const { return FImeName; }
    void SetImeName(const String& Value) { FImeName = Value; }
    // The bookmarks of the selected rows.
    TssBookmarkList* SelectedRows() const { return FBookmarks.get(); }

    int FieldCount() const { return FDataLink->FieldCount(); }
    TField* GetFields(int FieldIndex) const { return FDataLink->GetFields(FieldIndex); }
    bool ValidFieldIndex(int FieldIndex) const { return FDataLink->FieldIndex(FieldIndex) >= 0; }
    TField* SelectedField() const;
    void SetSelectedField(TField* Value);
    // The column index of the current grid column.
    int SelectedIndex() const { return Col() - FIndicatorOffset; }
    void SetSelectedIndex(int Value) { MoveToColumn(Value + FIndicatorOffset, 0); }
    int TitleOffset() const { return FTitleOffset; }
    int IndicatorOffset() const { return FIndicatorOffset; }
    // The showing columns, in order.
    const std::vector<TssColumn*>& VisibleColumns() const { return FVisibleColumns; }
    bool ExecuteAction(TObject* Action) { return FDataLink->ExecuteAction(Action); }
    bool UpdateAction(TObject* Action) { return FDataLink->UpdateAction(Action); }
    // Opens a grid on the nested dataset of Column's field in a floating window, at the current
    // cell's bottom-right corner unless X and Y are given.
    virtual void ShowPopupEditor(TssColumn* Column, int X = INT_MIN, int Y = INT_MIN);

    // The layout bracket: changes inside it relay the grid out once, when the outermost closes.
    void LayoutLock();
    void LayoutUnlock();
    // Takes the bracket only when no layout or update bracket is open.
    bool TryLayoutLock();
    // Closes a bracket without relaying out.
    void CancelLayoutLock();
    // Closes a bracket and relays out later, once the window's messages get to it.
    void QueueLayout();
    void UpdateLock() { ++FUpdateLock; }
    void UpdateUnlock();
    // Relays out now when no bracket is open.
    virtual void RequestLayout();
    // Writes the editor's text into the selected field.
    void WriteEditText();
    // Asked by the editor before it changes the selected cell's text: puts the dataset into edit
    // mode when the cell may be modified and marks the link modified; false leaves it alone.
    bool BeginCellEdit();
    // Whether the focus could be taken (or needed none).
    bool AcquireFocus();
    // Moves to grid column GridCol; with Direction, steps past hidden columns that way.
    void MoveToColumn(int GridCol, int Direction);
    // Repaints the title rows.
    void InvalidateTitles();
    // The default drawing of a data cell, for the drawing events: the field's display text.
    void DefaultDrawDataCell(const RECT& Rect, TField* Field, TGridDrawState State);
    void DefaultDrawColumnCell(const RECT& Rect, int DataCol, TssColumn* Column, TGridDrawState State);
    // Copies the selected rows, or else the current cell, to the clipboard as tab-separated text.
    void CopyToClipboard();

    TNotifyEvent OnColEnter;
    TNotifyEvent OnColExit;
    TDrawDataCellEvent OnDrawDataCell;
    TDrawColumnCellEvent OnDrawColumnCell;
    TNotifyEvent OnEditButtonClick;
    TColumnMovedEvent OnColumnMoved;
    TDBGridClickEvent OnCellClick;
    TDBGridClickEvent OnTitleClick;

    void DefineProperties(TFiler& Filer) override;

protected:
    virtual void BuildFieldMap();
    virtual void DataLinkActiveChanged(bool Value);
    virtual void RecordsScrolled(int Distance);
    virtual void ApplyColumnAttributes();
    // Draws a cell's text at (DX, DY) from the rectangle's edge, by the alignment.
    virtual void DrawCellText(TCanvas* ACanvas, const RECT& ARect, int DX, int DY, const String& Text,
                              TAlignment Alignment, bool RightToLeft);
    virtual void SizeRowsToBuffer();
    virtual void RefreshFromDataSet();
    virtual void SyncScrollBar();
    virtual void Relayout();
    // Makes the grid's current row the dataset's active record.
    void SyncCurrentRow();

    virtual void CellClick(TssColumn* Column);
    virtual void ColEnter();
    virtual void ColExit();
    // Makes the grid's column collection.
    virtual TssDBGridColumns* CreateColumns();
    virtual void DrawDataCell(const RECT& Rect, TField* Field, TGridDrawState State);
    virtual void DrawColumnCell(const RECT& Rect, int DataCol, TssColumn* Column, TGridDrawState State);
    virtual void EditButtonClick();
    virtual void TitleClick(TssColumn* Column);
    // A record's field changed (nullptr: the whole record).
    virtual void RecordChanged(TField* Field);
    virtual void EditingChanged();

    void DrawCell(int ACol, int ARow, const RECT& ARect, TGridDrawState AState) override;
    // Paints the cells, then the raised frames of the fixed cells all at once.
    void Paint() override;
    void ColWidthsChanged() override;
    void ColumnMoved(int FromIndex, int ToIndex) override;
    void TopLeftChanged() override;
    void TimedScroll(TGridScrollDirection Direction) override;
    void ScrollCommand(int Bar, int Code, int Pos) override;
    void CreateWnd() override;
    void WndProc(TMessage& Msg) override;
    void DoExit() override;
    void FontChanged() override;
    void Loaded() override;
    String GetEditText(int ACol, int ARow) override;
    void SetEditText(int ACol, int ARow, const String& Value) override;
    // Whether a data cell shows the highlight: a selected row in multi-select mode, or the
    // selected cell while the grid shows its selection.
    virtual bool IsCellHighlighted(TGridDrawState State);
    bool CanEditModify() override;
    bool CanEditAcceptKey(wchar_t Key) override;
    bool CanEditShow() override;
    String GetEditMask(int ACol, int ARow) override;
    int GetEditLimit() override;
    TEditStyle GetEditStyle(int ACol, int ARow) override;
    TInplaceEdit* CreateEditor() override;
    void KeyDown(WORD& Key, TShiftState Shift) override;
    void KeyPress(wchar_t& Key) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    bool DoMouseWheel(TShiftState Shift, int WheelDelta, POINT MousePos) override;
    void CalcSizingState(int X, int Y, TGridState& State, int& Index, int& SizingPos, int& SizingOfs) override;
    bool BeginColumnDrag(int& Origin, int& Destination, POINT MousePt) override;
    bool CheckColumnDrag(int& Origin, int& Destination, POINT MousePt) override;
    bool EndColumnDrag(int& Origin, int& Destination, POINT MousePt) override;

    // The row of the current record's indicator when it was last drawn.
    int FSelRow = 0;
    String FEditText;
    bool FUpdateFields = true;
    bool FAcquireFocus = true;

private:
    friend class TssColumn;
    friend class TColumnTitle;
    friend class TssDBGridColumns;
    friend class TssGridDataLink;
    friend class TssBookmarkList;
    bool Loading() const { return ComponentState().Contains(TComponentStateItem::csLoading); }
    bool IsColumnsStored() const;
    void MeasureRowHeights();
    void RebindColumns();
    void TitleFontChanged();
    void FieldRemoved(TComponent* Field);
    void DataSourceRemoved();
    void LayoutMessage();
    void RemoveQueuedLayout();
    void FreePopupGrids();
    void ApplyColumnIme(bool Activate);
    bool PopupColumnMenu(int X, int Y);
    bool IsEditorWindow(HWND Wnd) const;
    // Drawing (ssVirDBGridPaint.cpp).
    void DrawIndicatorCell(int ARow, const RECT& ARect, int FrameOffset);
    void DrawTitleCell(int ACol, int ARow, RECT ARect, TGridDrawState& AState);
    // The column that titles column Index at title row ARow: it or the nearest ancestor not deeper.
    TssColumn* MasterColumn(int Index, int ARow) const;
    // The rectangle a title spans at title row ARow from column Index; empty without a master.
    RECT TitleRect(int Index, int ARow, TssColumn*& Master);
    // Input (ssVirDBGridInput.cpp).
    bool ExpandButtonHit(int X, int Y, TssColumn*& Master);
    bool CanModifyData() const;
    void ClearSelection();
    void MoveWithSelection(bool Select, int Direction, TShiftState Shift);
    void NextRow(bool Select, TShiftState Shift);
    void PriorRow(bool Select, TShiftState Shift);
    void Tab(bool GoForward);
    void DeleteRecords();
    void MouseDownOnCell(TMouseButton Button, TShiftState Shift, TGridCoord Cell);

    // Frames a fixed cell now, or with the others at the end of a paint.
    void FrameFixedCell(const RECT& R);
    std::unique_ptr<TCustomImageList> FIndicators;  // the row indicators, by dataset state
    std::vector<RECT> FFixedFrames;                 // collected while painting
    // Indicator cells collected while painting: where, which image and where in the cell.
    struct TIndicatorDraw {
        RECT Cell;
        int Image;
        POINT ImageAt;
    };
    std::vector<TIndicatorDraw> FIndicatorDraws;
    // Puts the collected indicator cells on the canvas in one copy.
    void FlushIndicators();
    // Whether a brush colour shows solid on a context, for the last colour and context asked:
    // a paint asks it for every cell, mostly of one colour.
    HDC FSolidDC = nullptr;
    TColor FSolidColor = clDefault;
    bool FSolid = true;
    bool FPainting = false;
    TBookmark FSelectionAnchor;                     // where a Shift range started
    bool FRangeSelecting = false;
    TssColumn* FDragCol = nullptr;  // the title being dragged among its siblings
    // A popup grid filling its floating window; its corner cell drags the window, from where
    // the mouse and the window were when the button went down (screen coordinates).
    TWinControl* FFloatingWindow = nullptr;
    bool FDraggingWindow = false;
    POINT FDragFrom{}, FWindowFrom{};
    int FWheelRest = 0;             // wheel delta short of a notch
    std::unique_ptr<TFont> FTitleFont;
    bool FReadOnly = false;
    String FOriginalImeName;
    TImeMode FOriginalImeMode = TImeMode::imDontCare;
    TImeMode FImeMode = TImeMode::imDontCare;
    String FImeName;
    bool FIsESCKey = false;  // Esc was pressed (Korean systems): the editor may be reloaded
    bool FLayoutFromDataset = false;
    TDBGridOptions FOptions;
    std::uint8_t FTitleOffset = 1;
    std::uint8_t FIndicatorOffset = 1;
    std::uint8_t FUpdateLock = 0;
    std::uint8_t FLayoutLock = 0;
    bool FInColExit = false;
    bool FDefaultDrawing = true;
    bool FSelfChangingTitleFont = false;
    bool FDestroying = false;
    bool FLayoutPending = false;  // a queued relayout waits for the open brackets to close
    std::unique_ptr<TssGridDataLink> FDataLink;
    std::unique_ptr<TssDBGridColumns> FColumns;
    std::vector<TssColumn*> FVisibleColumns;
    std::unique_ptr<TssBookmarkList> FBookmarks;
};

// The in-place editor of a data grid: it takes the selected column's font and input-method mode,
// and asks the grid before its text changes, so the record is in edit mode before the first
// character lands (entering edit mode later would reload the editor over it).
class TDBGridInplaceEdit : public TInplaceEdit {
    SS_CLASS(TDBGridInplaceEdit, TInplaceEdit)
public:
    explicit TDBGridInplaceEdit(TComponent* AOwner) : TInplaceEdit(AOwner) {}
    void UpdateContents() override;

protected:
    void KeyDown(WORD& Key, TShiftState Shift) override;
    void KeyPress(wchar_t& Key) override;
    void WndProc(TMessage& Msg) override;

private:
    bool MayChange();
};

// The data grid with its properties published.
class TssVirtualDBGrid : public TssCustomDBGrid {
    SS_CLASS(TssVirtualDBGrid, TssCustomDBGrid)
    SS_PUBLISHED(TssVirtualDBGrid)
public:
    explicit TssVirtualDBGrid(TComponent* AOwner) : TssCustomDBGrid(AOwner) {}
};
