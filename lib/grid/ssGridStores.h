// The grid's attribute stores: one per column, one per row and one per cell, and the cell lines.
// The grid (unit ssGrids, which includes this one) addresses a store through its cursor right
// before each access. A store keeps records only where an attribute was set: an absent record
// reads as the default one, so that a million rows cost nothing until they carry attributes.
// A cursor outside the store (negative ones included) reads unset values and drops writes.
#pragma once
#include <deque>
#include <functional>
#include <memory>

#include "Graphics.h"
#include "SparseStore.h"
#include "StdCtrls.h"

// The unset colour of the attribute layers; never painted.
constexpr TColor clNotSet = -1;

using TCellLineChangeEvent = std::function<void(TObject* Sender)>;

// Up to four pens drawn on a cell's border (outer line) or inside it (inner line); a side
// without a pen is not set. Its owner is the grid.
class TssCellLine : public TComponent {
    SS_CLASS(TssCellLine, TComponent)
public:
    explicit TssCellLine(TComponent* AOwner);

    // A side's own pen, or null. Changing that pen later calls OnChange(this), unless this line
    // or its grid is being designed or loaded: that is how editing a pen updates the grid.
    TPen* UpperLine() const { return Side(upper); }
    TPen* BottomLine() const { return Side(bottom); }
    TPen* LeftLine() const { return Side(left); }
    TPen* RightLine() const { return Side(right); }
    // A pen is copied into the side's own pen; null frees the side. OnChange is not called.
    void SetUpperLine(const TPen* v) { SetSide(upper, v); }
    void SetBottomLine(const TPen* v) { SetSide(bottom, v); }
    void SetLeftLine(const TPen* v) { SetSide(left, v); }
    void SetRightLine(const TPen* v) { SetSide(right, v); }

    bool isLineSetting() const;
    // From another cell line: each side is copied when the source has it and freed when not.
    void Assign(const TPersistent* Source) override;

    TCellLineChangeEvent OnChange;

private:
    enum TSide { upper, bottom, left, right, sideCount };
    TPen* Side(TSide s) const { return FLines[s].get(); }
    void SetSide(TSide s, const TPen* v);
    void SideChanged();

    std::unique_ptr<TPen> FLines[sideCount];
    bool FCopying = false;  // our own copy into a side's pen is no edit by the caller
};

// The per-line text attributes of a multi-line cell, one record per line index that has any.
struct TssLineAttribute {
    int LineIndex = 0;
    bool DefaultAlignment = true;
    TAlignment Alignment = TAlignment::taLeftJustify;
    bool DefaultFont = true;
    std::unique_ptr<TFont> Font;
};

// Colour, font and line pen of one column or row; the base of both axis stores.
struct TssGridAxisRec {
    TColor Color = clNotSet;
    std::unique_ptr<TFont> Font;
    std::unique_ptr<TPen> Line;
    bool IsDefault() const { return Color == clNotSet && !Font && !Line; }
};

// A column's record: the axis attributes, its alignments and its input-method mode.
struct TssGridColRec : TssGridAxisRec {
    TAlignment Alignment = TAlignment::taLeftJustify;
    TAlignment FixedAlignment = TAlignment::taLeftJustify;
    TImeMode ImeMode = TImeMode::imDontCare;
    bool IsDefault() const {
        return TssGridAxisRec::IsDefault() && Alignment == TAlignment::taLeftJustify &&
               FixedAlignment == TAlignment::taLeftJustify && ImeMode == TImeMode::imDontCare;
    }
};

using TssGridRowRec = TssGridAxisRec;

// What the column and row stores share: a record per index, the cursor, colour, font and line.
template <typename Rec>
class TssGridAxisInfo : public TObject {
public:
    int Count() const { return FList.Count(); }
    // Growing appends default records; shrinking frees the trailing records with what they own.
    void SetCount(int Value) { FList.SetCount(Value); }

    TColor Color() const;
    void SetColor(TColor Value);
    // The stored font or pen (owned by the record), or null when none is set.
    TFont* Font() const;
    TPen* Line() const;
    // A font or pen is copied into the record's own one; null frees it.
    void SetFont(const TFont* Value);
    void SetLine(const TPen* Value);

    // Calls f(index) for every index that holds a record, ascending, with the cursor on it (f
    // may read and set the record through the cursor; the cursor stays on the last one).
    void ForEachStored(const std::function<void(int)>& f);

protected:
    // The record at the cursor, null outside the store or when none is stored.
    Rec* Current() const;
    // The record at the cursor, made when absent; null outside the store.
    Rec* Ensure();
    // Drops the record at the cursor once it holds nothing but defaults.
    void Tidy();

    mutable TSparseStore<Rec> FList;
    int FIndex = 0;
};

// The column store: colour, font, line pen, alignments and input-method mode per column.
class TssGridColInfo : public TssGridAxisInfo<TssGridColRec> {
    SS_CLASS(TssGridColInfo, TObject)
public:
    int Col() const { return FIndex; }
    void SetCol(int Value) { FIndex = Value; }
    // The list move; an index outside raises the list index error.
    void Move(int FromCol, int ToCol) { FList.Move(FromCol, ToCol); }

    // These raise the list index error when the cursor lies outside.
    TAlignment Alignment() const;
    void SetAlignment(TAlignment Value);
    TAlignment FixedAlignment() const;
    void SetFixedAlignment(TAlignment Value);
    TImeMode ImeMode() const;
    void SetImeMode(TImeMode Value);

private:
    void CheckCursor() const { CheckListIndex(FIndex, Count() - 1); }
};

// The row store: colour, font and line pen per row.
class TssGridRowInfo : public TssGridAxisInfo<TssGridRowRec> {
    SS_CLASS(TssGridRowInfo, TObject)
public:
    int Row() const { return FIndex; }
    void SetRow(int Value) { FIndex = Value; }
};

// What one cell holds beyond the defaults: colour, font, per-line text attributes, cell lines.
struct TssGridCellRec {
    TColor Color = clNotSet;
    std::unique_ptr<TFont> Font;
    std::unique_ptr<std::deque<TssLineAttribute>> LineAttributes;
    std::unique_ptr<TssCellLine> CellOuterLine;
    std::unique_ptr<TssCellLine> CellInnerLine;
    // The stand-ins the grid hands out for a cell line the cell does not have: one per cell,
    // reused on every read, so an object a caller holds stays alive and reads cost no memory.
    std::unique_ptr<TssCellLine> OuterLineScratch;
    std::unique_ptr<TssCellLine> InnerLineScratch;
    bool Lined = false;  // counted among the store's cells with lines
    bool IsDefault() const {
        return Color == clNotSet && !Font && !LineAttributes && !CellOuterLine && !CellInnerLine && !OuterLineScratch &&
               !InnerLineScratch;
    }
};

// The cells' records, column-major: a sparse list of columns, each a sparse list of rows.
// Created with 5 columns and 5 rows. Without columns there are no rows either.
class TssGridCellInfo : public TObject {
    SS_CLASS(TssGridCellInfo, TObject)
public:
    // AOwner (the grid) owns every cell line the store makes; the grid frees the store before
    // it frees its own components.
    explicit TssGridCellInfo(TComponent* AOwner);

    int Col() const { return FCol; }
    void SetCol(int Value) { FCol = Value; }
    int Row() const { return FRow; }
    void SetRow(int Value) { FRow = Value; }
    int ColCount() const { return FList.Count(); }
    int RowCount() const { return FRowCount; }
    // Growing adds default cells; shrinking frees the trailing columns or rows with all they hold.
    void SetColCount(int Value);
    void SetRowCount(int Value);
    // A whole column moves, or the cell of row From moves to row To in every column. Nothing
    // happens when the indices are equal; an index outside raises the list index error.
    void MoveCol(int FromCol, int ToCol);
    void MoveRow(int FromRow, int ToRow);

    TColor Color() const;
    void SetColor(TColor Value);
    TFont* Font() const;
    void SetFont(const TFont* Value);
    // The cell's own cell lines, or null. Setting one assigns Value into the cell's own line
    // (made on first use); null frees it.
    TssCellLine* CellOuterLine() const;
    void SetCellOuterLine(const TssCellLine* Value);
    TssCellLine* CellInnerLine() const;
    void SetCellInnerLine(const TssCellLine* Value);
    // The cell's inner line decides when it has one, else its outer line; none: false.
    bool isLineSetting() const;
    // How many cells had isLineSetting when their lines were last set through this store; kept
    // as lines are set and cells dropped, so asking costs nothing. Sides removed straight from
    // a cell's own line object count once its lines are set again.
    int LinedCellCount() const { return FLinedCells; }

    // The cursor cell's reusable stand-in for an outer or inner line, made on first use; null
    // outside the store. It is not one of the cell's lines.
    TssCellLine* OuterLineScratch();
    TssCellLine* InnerLineScratch();
    // The cursor cell's attribute record for a line of a multi-line cell: the first whose
    // LineIndex is LineIndex, made when absent and Create is set; null outside the store.
    // Records stay where they are while the cell lives.
    TssLineAttribute* LineAttribute(int LineIndex, bool Create);

    // Calls f(col, row) for every cell that holds a record, column-major ascending (the order
    // persistence writes in), with the cursor on it (f may read and set the record through the
    // cursor; the cursor stays on the last one).
    void ForEachStored(const std::function<void(int, int)>& f);
    // The same with each cell's record and the cursor left where it is, for a caller that only
    // reads the records (no cursor look-up per attribute).
    void ForEachRecord(const std::function<void(int, int, const TssGridCellRec&)>& f);

private:
    using TColumn = TSparseStore<TssGridCellRec>;
    TssGridCellRec* Current() const;
    TssGridCellRec* Ensure();
    void Tidy();
    void SetLine(std::unique_ptr<TssCellLine> TssGridCellRec::*line, const TssCellLine* Value);
    TssCellLine* Scratch(std::unique_ptr<TssCellLine> TssGridCellRec::*line);
    static bool LineSetting(const TssGridCellRec& r);
    // Drops the count of the lined records among those about to go.
    void Uncount(const TssGridCellRec& r) { FLinedCells -= r.Lined ? 1 : 0; }

    TComponent* FOwner;
    // A column whose records all went stays as an empty list until the column goes.
    mutable TSparseStore<TColumn> FList;
    int FRowCount = 0;
    int FCol = 0;
    int FRow = 0;
    int FLinedCells = 0;
};
