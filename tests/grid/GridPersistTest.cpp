// The grid's widths, heights and attributes in component streams, on real windows: written,
// read into a fresh grid, compared against an ancestor, de-duplicated on reading, and refused
// entry by entry when damaged.
#include <gtest/gtest.h>

#include <memory>

#include "GridFixture.h"
#include "GridStreamRecorder.h"
#include "ssGrids.h"

using namespace controls_test;
using namespace grid_test;

namespace {

constexpr TColor clRed = 0x0000FF, clBlue = 0xFF0000, clGreen = 0x00FF00;

TMemoryStream Written(TssCustomGrid* grid, const TssCustomGrid* ancestor = nullptr) {
    TMemoryStream s;
    WriteComponentStream(s, grid, ancestor);
    s.SetPosition(0);
    return s;
}

std::unique_ptr<TPen> Pen(TColor color, TPenStyle style, int width) {
    auto p = std::make_unique<TPen>();
    p->SetColor(color);
    p->SetStyle(style);
    p->SetWidth(width);
    return p;
}

bool Has(const TMemoryStream& s, const char* prop) { return !PropertyValueBytes(s, prop).empty(); }

const char* const kAttributeProps[] = {"ColColor", "RowColor", "CellColor", "ColFont", "RowFont",
                                       "CellFont", "ColLine", "RowLine", "CellOuterLine", "CellInnerLine"};

// A stream of a TssDrawGrid with no published property but the given defined ones.
struct HandMadeStream {
    TMemoryStream Stream;
    HandMadeStream() {
        const char header[] = "SSC1\x0BTssDrawGrid\x00";
        Stream.WriteBuffer(header, sizeof header - 1);
    }
    HandMadeStream& Add(const std::string& name, std::function<void(TWriter&)> entries) {
        AppendStreamProperty(Stream, name, [&](TWriter& w) {
            w.WriteListBegin();
            entries(w);
            w.WriteListEnd();
        });
        return *this;
    }
    TMemoryStream& Done() {
        const std::uint8_t end[] = {0, 0};
        Stream.WriteBuffer(end, 2);
        Stream.SetPosition(0);
        return Stream;
    }
};

}  // namespace

TEST(SsGridPersist, AGridReadIntoAFreshGridHasTheSameLayoutAttributesAndPixels) {
    GridOnForm a(200);
    TssDrawGrid* g = a.Grid;
    g->SetColWidths(1, 60);
    g->SetColWidths(4, 0);
    g->SetRowHeights(2, 30);
    g->SetColColor(2, clRed);
    g->SetRowColor(3, clBlue);
    g->SetCellColor(4, 4, clGreen);
    TFont bold;
    bold.Assign(*g->Font());
    bold.SetStyle({TFontStyle::fsBold});
    bold.SetCharset(128);
    bold.SetHeight(-14);
    g->SetColFont(1, &bold);
    bold.SetColor(clBlue);
    g->SetRowFont(2, &bold);
    bold.SetStyle({TFontStyle::fsItalic, TFontStyle::fsUnderline});
    g->SetCellFont(3, 3, &bold);
    g->SetColLine(2, Pen(clRed, TPenStyle::psDash, 2).get());
    g->SetRowLine(1, Pen(clGreen, TPenStyle::psAlternate, 1).get());
    TssCellLine outer(g), inner(g);
    outer.SetRightLine(Pen(clBlue, TPenStyle::psDot, 2).get());
    outer.SetUpperLine(Pen(clRed, TPenStyle::psSolid, 1).get());
    g->SetCellOuterLine(2, 2, &outer);
    inner.SetBottomLine(Pen(clGreen, TPenStyle::psInsideFrame, 3).get());
    g->SetCellInnerLine(3, 4, &inner);

    TMemoryStream s = Written(g);
    GridOnForm b(200);
    ReadComponentStream(s, b.Grid);
    TssDrawGrid* h = b.Grid;
    // Written again, the read grid gives the same bytes.
    TMemoryStream again = Written(h);
    EXPECT_EQ(std::vector<std::uint8_t>(again.Memory(), again.Memory() + again.DataSize()),
              std::vector<std::uint8_t>(s.Memory(), s.Memory() + s.DataSize()));
    auto pa = a.Capture(), pb = b.Capture();
    ASSERT_EQ(pa.Width, pb.Width);
    ASSERT_EQ(pa.Height, pb.Height);
    int differing = 0, firstX = -1, firstY = -1;
    for (int y = 0; y < pa.Height; ++y)
        for (int x = 0; x < pa.Width; ++x)
            if (pa.At(x, y) != pb.At(x, y) && differing++ == 0) firstX = x, firstY = y;
    EXPECT_EQ(differing, 0) << "first at " << firstX << "," << firstY;
    // The attributes did reach the pixels: column 2's colour inside a data cell.
    EXPECT_EQ(pb.At(41 + 61 + 20, 21 + 10), RGB(255, 0, 0));

    // The getters below fill a cell line's unset sides: they come after the comparisons.
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(h->ColWidths(i), g->ColWidths(i)) << i;
        EXPECT_EQ(h->RowHeights(i), g->RowHeights(i)) << i;
        EXPECT_EQ(h->ColColor(i), g->ColColor(i)) << i;
        EXPECT_EQ(h->RowColor(i), g->RowColor(i)) << i;
        EXPECT_EQ(h->IsSetColFont(i), g->IsSetColFont(i)) << i;
        EXPECT_EQ(h->IsSetRowFont(i), g->IsSetRowFont(i)) << i;
        for (int j = 0; j < 6; ++j) {
            EXPECT_EQ(h->CellColor(i, j), g->CellColor(i, j)) << i << "," << j;
            EXPECT_EQ(h->IsSetCellFont(i, j), g->IsSetCellFont(i, j)) << i << "," << j;
            EXPECT_EQ(h->IsSetCellLine(i, j), g->IsSetCellLine(i, j)) << i << "," << j;
        }
    }
    EXPECT_EQ(h->ColFont(1)->Charset(), 128);
    EXPECT_EQ(h->CellFont(3, 3)->Style(), (TFontStyles{TFontStyle::fsItalic, TFontStyle::fsUnderline}));
    EXPECT_EQ(h->CellFont(3, 3)->Color(), clBlue);
    EXPECT_EQ(h->ColLine(2)->Style(), TPenStyle::psDash);
    EXPECT_EQ(h->ColLine(2)->Width(), 2);
    EXPECT_EQ(h->RowLine(1)->Style(), TPenStyle::psAlternate);
    TssCellLine* line = h->CellOuterLine(2, 2);
    EXPECT_EQ(line->RightLine()->Style(), TPenStyle::psDot);
    EXPECT_EQ(line->RightLine()->Color(), clBlue);
    EXPECT_EQ(line->UpperLine()->Color(), clRed);
    EXPECT_EQ(h->CellInnerLine(3, 4)->BottomLine()->Width(), 3);

}

TEST(SsGridPersist, OnlyWhatIsSetIsWritten) {
    TssDrawGrid g(nullptr);
    TMemoryStream fresh = Written(&g);
    EXPECT_FALSE(Has(fresh, "ColWidths"));
    EXPECT_FALSE(Has(fresh, "RowHeights"));
    for (const char* p : kAttributeProps) EXPECT_FALSE(Has(fresh, p)) << p;

    // One width written makes all columns' widths go out.
    g.SetColWidths(1, 70);
    g.SetCellColor(3, 2, clRed);
    TMemoryStream s = Written(&g);
    EXPECT_FALSE(Has(s, "RowHeights"));
    std::vector<std::uint8_t> widths = PropertyValueBytes(s, "ColWidths");
    std::vector<std::uint8_t> expected{1, 2, 64, 2, 70, 2, 64, 2, 64, 2, 64, 0};
    ASSERT_GE(widths.size(), expected.size());
    EXPECT_EQ(std::vector<std::uint8_t>(widths.begin(), widths.begin() + 12), expected);
    // Only the cell colour: 3, 2 and red.
    for (const char* p : kAttributeProps) EXPECT_EQ(Has(s, p), std::string(p) == "CellColor") << p;
    std::vector<std::uint8_t> color = PropertyValueBytes(s, "CellColor");
    expected = {1, 2, 3, 2, 2, 3, 0xFF, 0, 0};
    ASSERT_GE(color.size(), expected.size());
    EXPECT_EQ(std::vector<std::uint8_t>(color.begin(), color.begin() + 9), expected);
}

// The grid of an inherited form writes widths and heights only where they differ from the
// ancestor's grid; an absent array never equals an existing one.
TEST(SsGridPersist, WidthsAndHeightsAreComparedWithTheAncestor) {
    struct Case {
        const char* What;
        std::function<void(TssDrawGrid&)> Ancestor, Grid;
        bool Widths;
    };
    auto width = [](int i, int v) { return [=](TssDrawGrid& g) { g.SetColWidths(i, v); }; };
    auto none = [](TssDrawGrid&) {};
    const Case cases[] = {
        {"neither has an array", none, none, false},
        {"equal arrays", width(1, 50), width(1, 50), false},
        {"an entry differs", width(1, 50), width(1, 51), true},
        {"only the ancestor has one", width(1, 50), none, true},
        {"only the grid has one", none, width(1, 64), true},
        {"the counts differ", width(1, 50), [](TssDrawGrid& g) { g.SetColWidths(1, 50), g.SetColCount(6); }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        TssDrawGrid ancestor(nullptr), grid(nullptr);
        c.Ancestor(ancestor);
        c.Grid(grid);
        TMemoryStream s = Written(&grid, &ancestor);
        EXPECT_EQ(Has(s, "ColWidths"), c.Widths);
        EXPECT_FALSE(Has(s, "RowHeights"));
    }
    // Heights go the same way; attributes are written whatever the ancestor holds.
    TssDrawGrid ancestor(nullptr), grid(nullptr);
    ancestor.SetRowHeights(2, 30);
    ancestor.SetColColor(2, clRed);
    grid.SetColColor(2, clRed);
    TMemoryStream s = Written(&grid, &ancestor);
    EXPECT_TRUE(Has(s, "RowHeights"));
    EXPECT_TRUE(Has(s, "ColColor"));
}

TEST(SsGridPersist, ReadingGoesThroughTheDeDuplicatingSetters) {
    // A cell colour stored before its column got the same colour stays stored in the source.
    TssDrawGrid source(nullptr);
    source.SetCellColor(2, 3, clRed);
    source.SetColColor(2, clRed);
    TFont f;
    f.Assign(*source.Font());
    f.SetColor(clBlue);
    source.SetCellFont(2, 3, &f);
    source.SetColFont(2, &f);
    TMemoryStream s = Written(&source);
    ASSERT_TRUE(Has(s, "CellColor"));
    ASSERT_TRUE(Has(s, "CellFont"));

    TssDrawGrid g(nullptr);
    ReadComponentStream(s, &g);
    // Read after the column's, the cell's colour and font equal what it inherits: not stored.
    EXPECT_FALSE(g.IsSetCellFont(2, 3));
    g.SetColColor(2, clGreen);
    EXPECT_EQ(g.CellColor(2, 3), clGreen);
    // The header cell keeps the fixed colour it got when the column was coloured.
    EXPECT_EQ(g.CellColor(2, 0), g.FixedColor());
}

// A damaged entry stops reading: what came before it is applied, nothing after it; the scratch
// cell line made for the damaged cell is gone.
TEST(SsGridPersist, DamagedStreamsApplyTheEntriesBeforeTheBadOne) {
    auto cellSide = [](TWriter& w, int c, int r, int side, const wchar_t* style, int width) {
        w.WriteInteger(c), w.WriteInteger(r), w.WriteInteger(side), w.WriteInteger(clBlue);
        w.WriteString(style);
        w.WriteInteger(width);
    };
    {
        SCOPED_TRACE("a colour of the wrong type");
        TssDrawGrid g(nullptr);
        HandMadeStream m;
        m.Add("ColColor", [](TWriter& w) {
            w.WriteInteger(1), w.WriteInteger(clRed);
            w.WriteInteger(2), w.WriteString(L"red");
            w.WriteInteger(3), w.WriteInteger(clRed);
        });
        m.Add("RowColor", [](TWriter& w) { w.WriteInteger(1), w.WriteInteger(clGreen); });
        try {
            ReadComponentStream(m.Done(), &g);
            ADD_FAILURE() << "no error";
        } catch (const EReadError& e) {
            EXPECT_NE(e.Message().find(L"ColColor"), String::npos);
            EXPECT_NE(e.Message().find(L"項目 1"), String::npos);
        }
        EXPECT_EQ(g.ColColor(1), clRed);
        EXPECT_EQ(g.ColColor(3), g.Color());
        EXPECT_EQ(g.RowColor(1), g.Color());
    }
    {
        SCOPED_TRACE("an unknown style name");
        TssDrawGrid g(nullptr);
        HandMadeStream m;
        m.Add("ColLine", [](TWriter& w) {
            w.WriteInteger(1), w.WriteString(L"psDot"), w.WriteInteger(clRed), w.WriteInteger(1);
            w.WriteInteger(2), w.WriteString(L"psWavy"), w.WriteInteger(clRed), w.WriteInteger(1);
        });
        EXPECT_THROW(ReadComponentStream(m.Done(), &g), EReadError);
        EXPECT_EQ(g.ColLine(1)->Style(), TPenStyle::psDot);
        EXPECT_EQ(g.ColLine(2)->Style(), g.DefLine()->Style());
        EXPECT_EQ(g.ColLine(2)->Color(), g.DefLine()->Color());
    }
    {
        SCOPED_TRACE("a huge cell-line width");
        TssDrawGrid g(nullptr);
        int components = g.ComponentCount();
        HandMadeStream m;
        m.Add("CellOuterLine", [&](TWriter& w) {
            cellSide(w, 1, 1, 0, L"psSolid", 1);
            cellSide(w, 2, 2, 0, L"psSolid", 1);
            cellSide(w, 2, 2, 1, L"psSolid", 100000);
        });
        try {
            ReadComponentStream(m.Done(), &g);
            ADD_FAILURE() << "no error";
        } catch (const EReadError& e) {
            EXPECT_NE(e.Message().find(L"CellOuterLine"), String::npos);
            EXPECT_NE(e.Message().find(L"項目 2"), String::npos);
        }
        EXPECT_TRUE(g.IsSetCellLine(1, 1));
        EXPECT_FALSE(g.IsSetCellLine(2, 2));
        // The stored line of cell (1, 1) is the only cell line left.
        EXPECT_EQ(g.ComponentCount(), components + 1);
    }
    {
        SCOPED_TRACE("heights cut short");
        TssDrawGrid g(nullptr);
        HandMadeStream m;
        m.Add("RowHeights", [](TWriter& w) { w.WriteInteger(30), w.WriteInteger(31), w.WriteInteger(32); });
        EXPECT_THROW(ReadComponentStream(m.Done(), &g), EReadError);
        EXPECT_EQ(g.RowHeights(2), 32);
        EXPECT_EQ(g.RowHeights(3), g.DefaultRowHeight());
    }
}
