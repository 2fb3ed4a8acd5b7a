// The data grid that forms place on screen. Over a dataset that knows its record numbers it
// scrolls smoothly: it keeps the absolute record number of the current record and of the top row,
// sizes its vertical bar to the whole dataset and lets the thumb jump to any record. Any row or
// column line may be drawn with its own pen; rows and columns make room for thick lines.
#pragma once
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "ssVirDBGrid.h"

// The data grid's own attribute stores; the plain grid has stores of the same names.
namespace ssDBGrid {

// Per-grid-column attributes, addressed through a cursor (Col). A read outside the records gives
// the default, a write there is ignored.
class TssGridColInfo {
public:
    int Count() const { return int(FList.size()); }
    // Growing appends default records; shrinking drops records from the end.
    void SetCount(int Value);
    int Col() const { return FCol; }
    void SetCol(int Value) { FCol = Value; }

    TAlignment Alignment() const;
    void SetAlignment(TAlignment Value);
    TAlignment FixedAlignment() const;
    void SetFixedAlignment(TAlignment Value);
    TImeMode ImeMode() const;
    void SetImeMode(TImeMode Value);
    TColor Color() const;
    void SetColor(TColor Value);
    // nullptr: the grid's font.
    const TFont* Font() const;
    // Copies Value into the record's own font; nullptr frees it.
    void SetFont(const TFont* Value);
    // nullptr: the grid's pen.
    const TPen* Line() const;
    void SetLine(const TPen* Value);
    int DefaultWidths() const;
    void SetDefaultWidths(int Value);
    void Move(int FromCol, int ToCol);

private:
    struct TRecord {
        TAlignment Alignment = TAlignment::taLeftJustify;
        TAlignment FixedAlignment = TAlignment::taLeftJustify;
        TImeMode ImeMode = TImeMode::imDontCare;
        TColor Color = -1;
        std::unique_ptr<TFont> Font;
        std::unique_ptr<TPen> Line;
        int DefaultWidths = 0;
    };
    TRecord* Current() const;
    std::vector<std::unique_ptr<TRecord>> FList;
    int FCol = 0;
};

// Per-absolute-row attributes (title rows first, then one row per record in record order),
// addressed through a cursor (Row). Only rows with something set hold a record, so the store
// costs nothing per dataset record; the widths of the custom lines are counted as they are set.
class TssGridRowInfo {
public:
    int Count() const { return FCount; }
    // Shrinking drops the records at and beyond the new count.
    void SetCount(int Value);
    int Row() const { return FRow; }
    void SetRow(int Value) { FRow = Value; }

    TColor Color() const;
    void SetColor(TColor Value);
    const TFont* Font() const;
    void SetFont(const TFont* Value);
    const TPen* Line() const;
    void SetLine(const TPen* Value);
    // The custom line of row Index, nullptr when it has none or is outside the store.
    const TPen* LineAt(int Index) const;
    // The greatest width of any custom line, 0 when there is none.
    int MaxLineWidth() const;

private:
    struct TRecord {
        TColor Color = -1;
        std::unique_ptr<TFont> Font;
        std::unique_ptr<TPen> Line;
        bool Empty() const { return Color == -1 && !Font && !Line; }
    };
    const TRecord* Current() const;
    // The record at the cursor, made when missing; nullptr outside the store.
    TRecord* Writable();
    void DropIfEmpty();
    void CountLine(const TPen* Line, int Step);
    std::map<int, TRecord> FList;
    std::map<int, int> FLineWidths;  // width -> rows with a custom line that wide
    int FCount = 0;
    int FRow = 0;
};

}  // namespace ssDBGrid

// The editor of a smooth grid: the data grid's editor sitting on the bottom of the cell, as the
// cell's text does, with the input method's composition there too; it takes the whole cell once
// Enter is pressed.
class TssDBGridInplaceEdit : public TDBGridInplaceEdit {
    SS_CLASS(TssDBGridInplaceEdit, TDBGridInplaceEdit)
public:
    explicit TssDBGridInplaceEdit(TComponent* AOwner) : TDBGridInplaceEdit(AOwner) {}
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

protected:
    void KeyDown(WORD& Key, TShiftState Shift) override;

private:
    // The current cell's rectangle less the room of thick custom lines.
    RECT CurrentCellRect() const;
    // The input method composes at At (client coordinates) in the editor's font.
    void PlaceComposition(POINT At);
};

// The smooth-mode data grid with per-row and per-column line pens and whole-row paging.
class TssDBGrid : public TssVirtualDBGrid {
    SS_CLASS(TssDBGrid, TssVirtualDBGrid)
    SS_PUBLISHED(TssDBGrid)
public:
    explicit TssDBGrid(TComponent* AOwner);
    ~TssDBGrid() override;

    bool SmoothScroll() const { return FSmoothScroll; }
    void SetSmoothScroll(bool Value);
    bool ScrollAllRow() const { return FScrollAllRow; }
    void SetScrollAllRow(bool Value) { FScrollAllRow = Value; }
    void SetOptions(TDBGridOptions Value) override;

    // The custom pen of a column (absolute row), or the canvas pen. At run time a copy is handed
    // out whose later changes go to that column (row).
    TPen* GetColLineProp(int Index);
    void SetColLine(int Index, const TPen* Pen);
    TPen* GetRowLineProp(int Index);
    void SetRowLine(int Index, const TPen* Pen);

    // 1-based number of the current record; -1 without an open dataset that can tell.
    int CurrentRecordNumber();
    // Makes record N current, placing it on the middle row of the window after a long jump.
    void GoToRecordNumber(int N);
    // Moves a page up or down keeping the cursor on its screen row.
    void PageScroll(bool Down);
    // The absolute row shown in the first data row.
    int TopAbsoluteRow() const { return FTopRow; }
    int MaxRowLine() const { return FMaxRowLine; }
    // A cell's rectangle without the room its thick custom lines take.
    RECT CellRectWithLines(int ACol, int ARow);
    const ssDBGrid::TssGridRowInfo* RowInfo() const { return FssGridRowInfo.get(); }
    const ssDBGrid::TssGridColInfo* ColInfo() const { return FssGridColInfo.get(); }

protected:
    void DataLinkActiveChanged(bool Value) override;
    void RecordsScrolled(int Distance) override;
    void RefreshFromDataSet() override;
    void SyncScrollBar() override;
    void Relayout() override;
    void ColWidthsChanged() override;
    void ScrollCommand(int Bar, int Code, int Pos) override;
    void KeyDown(WORD& Key, TShiftState Shift) override;
    bool DoMouseWheel(TShiftState Shift, int WheelDelta, POINT MousePos) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void DrawCellText(TCanvas* ACanvas, const RECT& ARect, int DX, int DY, const String& Text, TAlignment Alignment,
                      bool RightToLeft) override;
    void Paint() override;
    TInplaceEdit* CreateEditor() override;

private:
    // The dataset when the link is active and it is open.
    TDataSet* OpenDataSet() const;
    // A family dataset with a known record number; otherwise smooth scrolling goes off.
    bool CheckFamily();
    void ApplyEligibility();
    void UpdateOwnOffsets();
    // 1 without title rows, else 0: the absolute row of record n is n - 1 + the title offset.
    int TopRowBias() const { return FTitleOffset == 0 ? 1 : 0; }
    void SyncTopRow();
    // The rows that hold a record: the store's count, never beyond the dataset's records.
    int AbsoluteRowCount();
    // The greatest top row that still fills the window with the last row at the bottom.
    int LastPageTopRow();
    void CountRecords(int Mode);
    void InitRowCounts();
    void RaiseRowStoreTo(int Count);
    bool UpdateMaxRowLine();
    void ApplyDefaultRowHeight();
    bool SameAsCanvasPen(const TPen* Pen) const;
    int ScrollTrackPos(int Pos);
    // Moves the cursor relative to the record it was on, leaving N on the middle row.
    void MoveRelative(int N, int O, int A, int H, int E, const std::function<void()>& Reattach);
    void PaintCustomLines();

    std::unique_ptr<TPen> FColLIne, FRowLine;
    std::unique_ptr<ssDBGrid::TssGridRowInfo> FssGridRowInfo;
    std::unique_ptr<ssDBGrid::TssGridColInfo> FssGridColInfo;
    int FColOffset = 0;
    int FTopRow = 0;
    int FDefaultRowHeights = 0;
    int FMaxRowLine = 0;
    bool bIsActiveChanged = false;
    int FIndicatorOffset = 1;
    int FTitleOffset = 1;
    int FRecordNumber = 1;
    bool bIsColWidthsChanged = false;
    bool bIsSetRecordNumber = false;
    bool bFiltered = false;
    String sFilter;
    TFilterRecordEvent FilterRecord;
    bool FSmoothScroll = true;
    bool FScrollAllRow = false;
};
