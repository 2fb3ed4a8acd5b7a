// The grid's column, row and cell stores and the cell lines.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "ssGridStores.h"

namespace {

std::unique_ptr<TFont> MakeFont(TColor color) {
    auto f = std::make_unique<TFont>();
    f->SetColor(color);
    return f;
}

std::unique_ptr<TPen> MakePen(TColor color, int width = 1) {
    auto p = std::make_unique<TPen>();
    p->SetColor(color);
    p->SetWidth(width);
    return p;
}

bool GdiObjectAlive(HGDIOBJ h) { return GetObjectType(h) != 0; }

TEST(GridStores, CursorsOutsideReadUnsetAndDropWrites) {
    TComponent grid(nullptr);
    TssGridColInfo cols;
    TssGridRowInfo rows;
    TssGridCellInfo cells(&grid);
    cols.SetCount(4);
    rows.SetCount(4);
    cells.SetColCount(4);
    cells.SetRowCount(4);
    auto fontOwner = MakeFont(0x0000FF);
    TFont& font = *fontOwner;
    auto penOwner = MakePen(0x00FF00);
    TPen& pen = *penOwner;
    TssCellLine line(&grid);
    line.SetUpperLine(&pen);
    for (int outside : {-5, -1, 4, 9}) {
        SCOPED_TRACE(outside);
        cols.SetCol(outside);
        cols.SetColor(0x123456);
        cols.SetFont(&font);
        cols.SetLine(&pen);
        cols.SetImeMode(TImeMode::imHira);
        EXPECT_EQ(cols.Color(), clNotSet);
        EXPECT_EQ(cols.Font(), nullptr);
        EXPECT_EQ(cols.Line(), nullptr);
        EXPECT_EQ(cols.ImeMode(), TImeMode::imDontCare);
        // Alignments have no guard of their own: the list's index error, for negatives too.
        EXPECT_THROW(cols.Alignment(), EListError);
        EXPECT_THROW(cols.SetAlignment(TAlignment::taCenter), EListError);
        EXPECT_THROW(cols.FixedAlignment(), EListError);
        EXPECT_THROW(cols.SetFixedAlignment(TAlignment::taCenter), EListError);

        rows.SetRow(outside);
        rows.SetColor(0x123456);
        rows.SetFont(&font);
        rows.SetLine(&pen);
        EXPECT_EQ(rows.Color(), clNotSet);
        EXPECT_EQ(rows.Font(), nullptr);
        EXPECT_EQ(rows.Line(), nullptr);

        for (bool alongCols : {true, false}) {
            cells.SetCol(alongCols ? outside : 1);
            cells.SetRow(alongCols ? 1 : outside);
            cells.SetColor(0x123456);
            cells.SetFont(&font);
            cells.SetCellOuterLine(&line);
            cells.SetCellInnerLine(&line);
            EXPECT_EQ(cells.Color(), clNotSet);
            EXPECT_EQ(cells.Font(), nullptr);
            EXPECT_EQ(cells.CellOuterLine(), nullptr);
            EXPECT_EQ(cells.CellInnerLine(), nullptr);
            EXPECT_FALSE(cells.isLineSetting());
            EXPECT_EQ(cells.OuterLineScratch(), nullptr);
            EXPECT_EQ(cells.LineAttribute(0, true), nullptr);
        }
    }
    int stored = 0;
    cols.ForEachStored([&](int) { ++stored; });
    rows.ForEachStored([&](int) { ++stored; });
    cells.ForEachStored([&](int, int) { ++stored; });
    EXPECT_EQ(stored, 0);
    EXPECT_EQ(grid.ComponentCount(), 1);  // only the test's own line
}

TEST(GridStores, SettersCopyAndNullFrees) {
    TssGridColInfo cols;
    cols.SetCount(3);
    cols.SetCol(1);
    EXPECT_EQ(cols.Alignment(), TAlignment::taLeftJustify);
    EXPECT_EQ(cols.ImeMode(), TImeMode::imDontCare);
    auto fontOwner = MakeFont(0x0000FF);
    TFont& font = *fontOwner;
    font.SetName(L"Arial");
    cols.SetFont(&font);
    font.SetColor(0x00FF00);
    ASSERT_NE(cols.Font(), nullptr);
    EXPECT_NE(cols.Font(), &font);
    EXPECT_EQ(cols.Font()->Color(), 0x0000FF);
    EXPECT_EQ(cols.Font()->Name(), L"Arial");
    TFont* own = cols.Font();
    cols.SetFont(&font);  // a second set copies into the same object
    EXPECT_EQ(cols.Font(), own);
    EXPECT_EQ(own->Color(), 0x00FF00);

    auto penOwner = MakePen(0xFF0000, 3);
    TPen& pen = *penOwner;
    pen.SetStyle(TPenStyle::psDot);
    cols.SetLine(&pen);
    EXPECT_EQ(cols.Line()->Width(), 3);
    EXPECT_EQ(cols.Line()->Style(), TPenStyle::psDot);
    HGDIOBJ fontHandle = cols.Font()->Handle();
    cols.SetFont(nullptr);
    EXPECT_EQ(cols.Font(), nullptr);
    EXPECT_FALSE(GdiObjectAlive(fontHandle));
    EXPECT_NE(cols.Line(), nullptr);
}

// Shrinking frees the records' fonts, pens and cell lines; growing again gives defaults.
TEST(GridStores, ShrinkingFreesWhatTheRecordsOwn) {
    TComponent grid(nullptr);
    TssGridColInfo cols;
    TssGridRowInfo rows;
    TssGridCellInfo cells(&grid);
    cols.SetCount(5);
    rows.SetCount(5);
    auto fontOwner = MakeFont(0x0000FF);
    TFont& font = *fontOwner;
    auto penOwner = MakePen(0x00FF00);
    TPen& pen = *penOwner;
    TssCellLine line(&grid);
    line.SetLeftLine(&pen);
    cols.SetCol(4);
    cols.SetFont(&font);
    cols.SetLine(&pen);
    cols.SetImeMode(TImeMode::imKata);
    rows.SetRow(4);
    rows.SetFont(&font);
    cells.SetCol(4);
    cells.SetRow(2);
    cells.SetFont(&font);
    cells.SetCellOuterLine(&line);
    cells.SetCellInnerLine(&line);
    cells.SetCol(1);
    cells.SetRow(4);
    cells.SetColor(0x0000FF);
    cells.InnerLineScratch();
    EXPECT_EQ(grid.ComponentCount(), 4);
    std::vector<HGDIOBJ> handles{cols.Font()->Handle(), cols.Line()->Handle(), rows.Font()->Handle()};
    cells.SetCol(4);
    cells.SetRow(2);
    handles.push_back(cells.Font()->Handle());

    cols.SetCount(4);
    rows.SetCount(4);
    cells.SetColCount(4);
    cells.SetRowCount(4);
    for (HGDIOBJ h : handles) EXPECT_FALSE(GdiObjectAlive(h));
    EXPECT_EQ(grid.ComponentCount(), 1);

    cols.SetCount(5);
    rows.SetCount(5);
    cells.SetColCount(5);
    cells.SetRowCount(5);
    cols.SetCol(4);
    rows.SetRow(4);
    cells.SetCol(4);
    cells.SetRow(2);
    EXPECT_EQ(cols.Font(), nullptr);
    EXPECT_EQ(cols.ImeMode(), TImeMode::imDontCare);
    EXPECT_EQ(rows.Font(), nullptr);
    EXPECT_EQ(cells.Font(), nullptr);
    EXPECT_EQ(cells.CellOuterLine(), nullptr);
    cells.SetCol(1);
    cells.SetRow(4);
    EXPECT_EQ(cells.Color(), clNotSet);
}

TEST(GridStores, CellStoreCounts) {
    TComponent grid(nullptr);
    TssGridCellInfo cells(&grid);
    EXPECT_EQ(cells.ColCount(), 5);
    EXPECT_EQ(cells.RowCount(), 5);
    cells.SetRowCount(1000000);
    cells.SetColCount(50);
    EXPECT_EQ(cells.RowCount(), 1000000);
    cells.SetCol(49);
    cells.SetRow(999999);
    cells.SetColor(0x0000FF);
    EXPECT_EQ(cells.Color(), 0x0000FF);
    // Without columns there are no rows, and new columns come with none.
    cells.SetColCount(0);
    EXPECT_EQ(cells.RowCount(), 0);
    cells.SetRowCount(7);
    EXPECT_EQ(cells.RowCount(), 0);
    cells.SetColCount(2);
    EXPECT_EQ(cells.RowCount(), 0);
    EXPECT_THROW(cells.SetColCount(-1), EListError);
    EXPECT_THROW(cells.SetRowCount(-1), EListError);
}

// A dense copy of every cell's, column's and row's colour follows the same random operations.
TEST(GridStores, RandomOperationsMatchADenseGrid) {
    std::mt19937 rng(141210);
    auto pick = [&](int limit) { return limit > 0 ? int(rng() % unsigned(limit)) : 0; };
    for (int round = 0; round < 10; ++round) {
        TComponent grid(nullptr);
        TssGridCellInfo cells(&grid);
        TssGridColInfo cols;
        TssGridRowInfo rows;
        cols.SetCount(5);
        rows.SetCount(5);
        std::vector<std::vector<TColor>> dense(5, std::vector<TColor>(5, clNotSet));
        std::vector<TColor> denseCols(5, clNotSet), denseRows(5, clNotSet);
        int rowCount = 5;
        for (int step = 0; step < 300; ++step) {
            int colCount = int(dense.size());
            std::string what;
            switch (pick(7)) {
                case 0: {
                    int n = pick(9);
                    what = "ColCount " + std::to_string(n);
                    cells.SetColCount(n);
                    cols.SetCount(n);
                    if (n == 0) rowCount = 0;
                    dense.resize(n, std::vector<TColor>(rowCount, clNotSet));
                    denseCols.resize(n, clNotSet);
                    break;
                }
                case 1: {
                    int n = pick(9);
                    what = "RowCount " + std::to_string(n);
                    cells.SetRowCount(n);
                    rows.SetCount(n);
                    denseRows.resize(n, clNotSet);
                    if (colCount) {
                        rowCount = n;
                        for (auto& column : dense) column.resize(n, clNotSet);
                    }
                    break;
                }
                case 2: {
                    if (!colCount) continue;
                    int from = pick(colCount), to = pick(colCount);
                    what = "MoveCol " + std::to_string(from) + " " + std::to_string(to);
                    cells.MoveCol(from, to);
                    cols.Move(from, to);
                    auto column = dense[from];
                    dense.erase(dense.begin() + from);
                    dense.insert(dense.begin() + to, column);
                    TColor c = denseCols[from];
                    denseCols.erase(denseCols.begin() + from);
                    denseCols.insert(denseCols.begin() + to, c);
                    break;
                }
                case 3: {
                    if (!rowCount) continue;
                    int from = pick(rowCount), to = pick(rowCount);
                    what = "MoveRow " + std::to_string(from) + " " + std::to_string(to);
                    cells.MoveRow(from, to);  // rows' own records stay with the index
                    for (auto& column : dense) {
                        TColor c = column[from];
                        column.erase(column.begin() + from);
                        column.insert(column.begin() + to, c);
                    }
                    break;
                }
                default: {
                    // Colours, now and then the unset one; the cursor sometimes just outside.
                    int c = pick(colCount + 2) - 1, r = pick(rowCount + 2) - 1;
                    TColor color = pick(4) ? TColor(rng() & 0xFFFFFF) : clNotSet;
                    what = "Color " + std::to_string(c) + "," + std::to_string(r);
                    cells.SetCol(c);
                    cells.SetRow(r);
                    cells.SetColor(color);
                    cols.SetCol(c);
                    cols.SetColor(color);
                    rows.SetRow(r);
                    rows.SetColor(color);
                    if (c >= 0 && c < colCount && r >= 0 && r < rowCount) dense[c][r] = color;
                    if (c >= 0 && c < colCount) denseCols[c] = color;
                    if (r >= 0 && r < int(denseRows.size())) denseRows[r] = color;
                }
            }
            SCOPED_TRACE("round " + std::to_string(round) + ", " + what);
            ASSERT_EQ(cells.ColCount(), int(dense.size()));
            ASSERT_EQ(cells.RowCount(), rowCount);
            std::vector<std::pair<int, int>> stored, expected;
            for (int c = 0; c < int(dense.size()); ++c) {
                cols.SetCol(c);
                ASSERT_EQ(cols.Color(), denseCols[c]) << "column " << c;
                for (int r = 0; r < rowCount; ++r) {
                    cells.SetCol(c);
                    cells.SetRow(r);
                    ASSERT_EQ(cells.Color(), dense[c][r]) << c << "," << r;
                    if (dense[c][r] != clNotSet) expected.emplace_back(c, r);
                }
            }
            for (int r = 0; r < int(denseRows.size()); ++r) {
                rows.SetRow(r);
                ASSERT_EQ(rows.Color(), denseRows[r]) << "row " << r;
            }
            // Only real deviations are stored, visited column-major ascending, each with the
            // cursor on it (a walk that reads through the cursor reads that record).
            cells.SetCol(0);
            cells.SetRow(0);
            cells.ForEachStored([&](int c, int r) {
                stored.emplace_back(c, r);
                EXPECT_EQ(cells.Color(), dense[c][r]) << c << "," << r;
            });
            ASSERT_EQ(stored, expected);
            rows.SetRow(0);
            rows.ForEachStored([&](int r) { EXPECT_EQ(rows.Color(), denseRows[r]) << "row " << r; });
        }
    }
}

TEST(GridStores, MovesOutsideRaiseTheListIndexError) {
    TComponent grid(nullptr);
    TssGridCellInfo cells(&grid);
    TssGridColInfo cols;
    cols.SetCount(5);
    for (auto [from, to] : {std::pair{-1, 2}, {2, -1}, {5, 0}, {0, 5}}) {
        EXPECT_THROW(cells.MoveCol(from, to), EListError) << from << " " << to;
        EXPECT_THROW(cells.MoveRow(from, to), EListError) << from << " " << to;
        EXPECT_THROW(cols.Move(from, to), EListError) << from << " " << to;
    }
    cells.MoveRow(7, 7);  // equal indices: nothing, not even a check
}

struct CellLineFixture : ::testing::Test {
    TComponent grid{nullptr};
    std::unique_ptr<TPen> redOwner = MakePen(0x0000FF, 2), blueOwner = MakePen(0xFF0000);
    TPen& red = *redOwner;
    TPen& blue = *blueOwner;
};

using CellLine = CellLineFixture;

TEST_F(CellLine, SidesAreOwnedCopies) {
    TssCellLine line(&grid);
    EXPECT_FALSE(line.isLineSetting());
    line.SetBottomLine(&red);
    ASSERT_NE(line.BottomLine(), nullptr);
    EXPECT_NE(line.BottomLine(), &red);
    EXPECT_EQ(line.BottomLine()->Color(), 0x0000FF);
    EXPECT_EQ(line.BottomLine()->Width(), 2);
    EXPECT_TRUE(line.isLineSetting());
    EXPECT_EQ(line.UpperLine(), nullptr);
    HGDIOBJ h = line.BottomLine()->Handle();
    line.SetBottomLine(nullptr);
    EXPECT_FALSE(GdiObjectAlive(h));
    EXPECT_FALSE(line.isLineSetting());
}

// Editing a pen read from a line tells OnChange once; setting a side does not; nor does an
// edit while the line or its grid is being loaded or designed.
TEST_F(CellLine, EditingAReadPenTellsOnChange) {
    TssCellLine line(&grid);
    int changes = 0;
    TObject* sender = nullptr;
    line.OnChange = [&](TObject* s) { ++changes; sender = s; };
    line.SetRightLine(&red);
    line.SetRightLine(&blue);
    EXPECT_EQ(changes, 0);
    line.RightLine()->SetColor(0x00FF00);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(sender, &line);
    EXPECT_EQ(line.RightLine()->Color(), 0x00FF00);

    struct State { TComponent* who; bool designing; };
    for (State s : {State{&grid, false}, State{&grid, true}, State{&line, false}, State{&line, true}}) {
        s.designing ? s.who->SetDesigning(true) : s.who->SetLoading(true);
        line.RightLine()->SetWidth(line.RightLine()->Width() + 1);
        s.designing ? s.who->SetDesigning(false) : s.who->SetLoading(false);
    }
    EXPECT_EQ(changes, 1);
    line.RightLine()->SetWidth(1);
    EXPECT_EQ(changes, 2);
}

TEST_F(CellLine, AssignCopiesAndFreesSides) {
    TssCellLine source(&grid), line(&grid);
    source.SetUpperLine(&red);
    source.SetLeftLine(&blue);
    line.SetBottomLine(&red);
    line.SetLeftLine(&red);
    TPen* keptLeft = line.LeftLine();
    line.Assign(&source);
    ASSERT_NE(line.UpperLine(), nullptr);
    EXPECT_NE(line.UpperLine(), source.UpperLine());
    EXPECT_EQ(line.UpperLine()->Color(), 0x0000FF);
    EXPECT_EQ(line.BottomLine(), nullptr);
    EXPECT_EQ(line.LeftLine(), keptLeft);  // copied into the side's own pen
    EXPECT_EQ(line.LeftLine()->Color(), 0xFF0000);
    EXPECT_EQ(line.RightLine(), nullptr);

    TFont font;
    for (const TPersistent* wrong : {static_cast<const TPersistent*>(&font), static_cast<const TPersistent*>(nullptr)}) {
        try {
            line.Assign(wrong);
            ADD_FAILURE() << "assigned";
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), String(wrong ? L"TFont" : L"nil") + L" を TssCellLine に代入できません");
        }
    }
    EXPECT_NE(line.UpperLine(), nullptr);
}

// The cell's inner line decides when it has one, whatever the outer line holds.
TEST_F(CellLine, CellStoreLineSettingLooksAtTheInnerLineFirst) {
    TssCellLine empty(&grid), some(&grid);
    some.SetUpperLine(&red);
    struct Case { const TssCellLine* outer; const TssCellLine* inner; bool expected; };
    const Case cases[] = {
        {nullptr, nullptr, false}, {&some, nullptr, true},  {&empty, nullptr, false},
        {nullptr, &some, true},    {&some, &empty, false}, {&empty, &some, true},
    };
    for (const Case& c : cases) {
        TssGridCellInfo cells(&grid);
        cells.SetCol(2);
        cells.SetRow(3);
        cells.SetCellOuterLine(c.outer);
        cells.SetCellInnerLine(c.inner);
        EXPECT_EQ(cells.isLineSetting(), c.expected) << (c.outer == &some) << (c.inner == &some);
        EXPECT_EQ(cells.CellOuterLine() != nullptr, c.outer != nullptr);
    }
}

// The count of cells with lines, kept by every change that can add or drop one.
TEST_F(CellLine, CellStoreCountsItsCellsWithLines) {
    TssCellLine empty(&grid), some(&grid);
    some.SetUpperLine(&red);
    TssGridCellInfo cells(&grid);
    cells.SetColCount(4);
    cells.SetRowCount(6);
    auto set = [&](int c, int r, const TssCellLine* outer, const TssCellLine* inner) {
        cells.SetCol(c);
        cells.SetRow(r);
        cells.SetCellOuterLine(outer);
        cells.SetCellInnerLine(inner);
    };
    set(1, 1, &some, nullptr);
    set(1, 1, &some, nullptr);  // the same cell again
    set(2, 5, nullptr, &some);
    set(3, 2, &some, nullptr);
    EXPECT_EQ(cells.LinedCellCount(), 3);
    set(3, 2, &some, &empty);  // the inner line decides
    EXPECT_EQ(cells.LinedCellCount(), 2);
    cells.MoveRow(1, 4);
    cells.MoveCol(1, 0);
    EXPECT_EQ(cells.LinedCellCount(), 2);
    cells.SetRowCount(5);  // drops (2, 5)
    EXPECT_EQ(cells.LinedCellCount(), 1);
    set(3, 2, nullptr, &some);
    cells.SetColCount(1);  // keeps (0, 4), drops (3, 2)
    EXPECT_EQ(cells.LinedCellCount(), 1);
    set(0, 4, nullptr, nullptr);
    EXPECT_EQ(cells.LinedCellCount(), 0);
}

TEST_F(CellLine, CellLinesAreTheCellsOwnAndMoveWithIt) {
    TssGridCellInfo cells(&grid);
    TssCellLine value(&grid);
    value.SetRightLine(&red);
    cells.SetCol(1);
    cells.SetRow(1);
    cells.SetCellOuterLine(&value);
    TssCellLine* own = cells.CellOuterLine();
    ASSERT_NE(own, nullptr);
    EXPECT_NE(own, &value);
    EXPECT_EQ(own->Owner(), &grid);
    EXPECT_EQ(own->RightLine()->Color(), 0x0000FF);
    value.SetRightLine(&blue);
    cells.SetCellOuterLine(&value);  // assigned into the same object
    EXPECT_EQ(cells.CellOuterLine(), own);
    EXPECT_EQ(own->RightLine()->Color(), 0xFF0000);

    cells.MoveRow(1, 4);
    cells.MoveCol(1, 3);
    EXPECT_EQ(cells.CellOuterLine(), nullptr);
    cells.SetCol(3);
    cells.SetRow(4);
    EXPECT_EQ(cells.CellOuterLine(), own);
    cells.SetCellOuterLine(nullptr);
    EXPECT_EQ(cells.CellOuterLine(), nullptr);
    EXPECT_EQ(grid.ComponentCount(), 1);
}

// One stand-in per cell and kind, reused: a caller's object survives reads of other cells.
TEST_F(CellLine, ScratchLinesArePerCellAndReused) {
    TssGridCellInfo cells(&grid);
    cells.SetCol(1);
    cells.SetRow(2);
    TssCellLine* first = cells.OuterLineScratch();
    ASSERT_NE(first, nullptr);
    first->SetUpperLine(&red);
    EXPECT_EQ(cells.CellOuterLine(), nullptr);
    EXPECT_FALSE(cells.isLineSetting());
    EXPECT_NE(cells.InnerLineScratch(), first);
    cells.SetCol(2);
    TssCellLine* other = cells.OuterLineScratch();
    EXPECT_NE(other, first);
    cells.SetCol(1);
    EXPECT_EQ(cells.OuterLineScratch(), first);
    EXPECT_EQ(first->UpperLine()->Color(), 0x0000FF);
    int before = grid.ComponentCount();
    for (int i = 0; i < 100; ++i) cells.OuterLineScratch();
    EXPECT_EQ(grid.ComponentCount(), before);
    int stored = 0;
    cells.ForEachStored([&](int, int) { ++stored; });
    EXPECT_EQ(stored, 2);
    cells.SetColCount(1);
    EXPECT_EQ(grid.ComponentCount(), 0);
}

TEST(GridStores, LineAttributesPerLineIndex) {
    TComponent grid(nullptr);
    TssGridCellInfo cells(&grid);
    cells.SetCol(0);
    cells.SetRow(4);
    EXPECT_EQ(cells.LineAttribute(2, false), nullptr);
    TssLineAttribute* second = cells.LineAttribute(2, true);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->LineIndex, 2);
    EXPECT_TRUE(second->DefaultAlignment);
    EXPECT_TRUE(second->DefaultFont);
    second->Alignment = TAlignment::taRightJustify;
    TssLineAttribute* zeroth = cells.LineAttribute(0, true);
    EXPECT_NE(zeroth, second);
    EXPECT_EQ(cells.LineAttribute(2, false), second);
    EXPECT_EQ(second->Alignment, TAlignment::taRightJustify);
    cells.MoveRow(4, 0);
    cells.SetRow(0);
    EXPECT_EQ(cells.LineAttribute(2, false), second);
}

}  // namespace
