// The grid's stream properties without a grid: the value layouts as bytes, the entries the
// reader hands over (cell lines regrouped per cell), and damaged streams.
#include <gtest/gtest.h>


#include "GridStreamRecorder.h"

namespace {

using Log = std::vector<std::string>;

// Writes a recorder with the given property values and reads the stream into a fresh one.
struct TRoundTrip {
    TMemoryStream Stream;
    TGridStreamRecorder Reader{nullptr};
    explicit TRoundTrip(std::map<String, TWriterProc> values) {
        TGridStreamRecorder writer(nullptr);
        writer.Values = std::move(values);
        WriteComponentStream(Stream, &writer);
    }
    void Read() {
        Stream.SetPosition(0);
        ReadComponentStream(Stream, &Reader);
    }
    std::vector<std::uint8_t> ValueBytes(const std::string& name) const { return PropertyValueBytes(Stream, name); }
};

TWriterProc List(std::function<void(TWriter&)> entries) {
    return [entries](TWriter& w) {
        w.WriteListBegin();
        entries(w);
        w.WriteListEnd();
    };
}

TWriterProc Ints(std::vector<long long> values) {
    return List([values](TWriter& w) {
        for (long long v : values) w.WriteInteger(v);
    });
}

TssPenValue Pen(TPenStyle s, std::int32_t color, int width) { return {color, s, width}; }

// Starts with the given bytes.
void ExpectPrefix(const std::vector<std::uint8_t>& bytes, const std::vector<std::uint8_t>& prefix) {
    ASSERT_GE(bytes.size(), prefix.size());
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + std::ptrdiff_t(prefix.size())), prefix);
}

}  // namespace

TEST(SsGridStreamLayout, AColumnFontIsIndexCharsetColourHeightNamePitchStyle) {
    // Bold italic, charset 128, height -12, default pitch.
    TRoundTrip t({{L"ColFont", List([](TWriter& w) {
                       w.WriteInteger(2);
                       WriteGridFont(w, {128, 0x0000FF, -12, L"Ab", 0, GridFontBold | GridFontItalic});
                   })}});
    ExpectPrefix(t.ValueBytes("ColFont"), {
                                              1,                        // list
                                              2, 2,                     // index
                                              3, 128, 0,                // charset (16 bits)
                                              3, 0xFF, 0,               // colour
                                              2, 0xF4,                  // height
                                              6, 2, 0, 0, 0, 'A', 0, 'b', 0,  // name
                                              2, 0,                     // pitch
                                              2, 17,                    // style
                                              0,                        // end of list
                                          });
    t.Read();
    EXPECT_EQ(t.Reader.Log, (Log{"ColFont 2 128 255 -12 Ab 0 17"}));
}

TEST(SsGridStreamLayout, LinesWriteStyleNameBeforeOrAfterTheColour) {
    TRoundTrip t({{L"RowLine", List([](TWriter& w) {
                       w.WriteInteger(1);
                       WriteGridAxisLine(w, Pen(TPenStyle::psDash, 5, 1));
                   })},
                  {L"CellOuterLine", List([](TWriter& w) {
                       w.WriteInteger(4);
                       w.WriteInteger(3);
                       WriteGridCellLineSide(w, 3, Pen(TPenStyle::psDot, 0xFF, 2));
                   })}});
    ExpectPrefix(t.ValueBytes("RowLine"), {1, 2, 1, 6, 6, 0, 0, 0, 'p', 0, 's', 0, 'D', 0, 'a', 0, 's', 0, 'h', 0, 2, 5, 2, 1, 0});
    // A right side of 2 pixels, dotted: column, row, 3, colour, "psDot", 2.
    ExpectPrefix(t.ValueBytes("CellOuterLine"),
                 {1, 2, 4, 2, 3, 2, 3, 3, 0xFF, 0, 6, 5, 0, 0, 0, 'p', 0, 's', 0, 'D', 0, 'o', 0, 't', 0, 2, 2, 0});
    t.Read();
    EXPECT_EQ(t.Reader.Log, (Log{"RowLine 1 psDash/5/1", "CellOuterLine 4,3 - - - psDot/255/2"}));
}

TEST(SsGridStreamLayout, EveryPenStyleNameReadsBack) {
    TRoundTrip t({{L"ColLine", List([](TWriter& w) {
                       for (int s = 0; s <= int(TPenStyle::psAlternate); ++s) {
                           w.WriteInteger(s % 5);
                           WriteGridAxisLine(w, Pen(TPenStyle(s), 0, 1));
                       }
                   })}});
    t.Read();
    EXPECT_EQ(t.Reader.Log,
              (Log{"ColLine 0 psSolid/0/1", "ColLine 1 psDash/0/1", "ColLine 2 psDot/0/1", "ColLine 3 psDashDot/0/1",
                   "ColLine 4 psDashDotDot/0/1", "ColLine 0 psClear/0/1", "ColLine 1 psInsideFrame/0/1",
                   "ColLine 2 psUserStyle/0/1", "ColLine 3 psAlternate/0/1"}));
}

TEST(SsGridStreamRead, CellLineEntriesAreRegroupedPerCell) {
    auto side = [](TWriter& w, int c, int r, int s, int width) {
        w.WriteInteger(c);
        w.WriteInteger(r);
        WriteGridCellLineSide(w, s, Pen(TPenStyle::psSolid, 0, width));
    };
    TRoundTrip t({{L"CellInnerLine", List([&](TWriter& w) {
                       side(w, 1, 1, 0, 1);
                       side(w, 1, 1, 3, 2);
                       side(w, 1, 1, 7, 9);  // no such side: skipped
                       side(w, 1, 2, 1, 3);
                       side(w, 2, 0, 2, 4);
                   })},
                  {L"CellOuterLine", List([](TWriter&) {})}});
    t.Read();
    EXPECT_EQ(t.Reader.Log, (Log{"CellInnerLine 1,1 psSolid/0/1 - - psSolid/0/2",
                                 "CellInnerLine 1,2 - psSolid/0/3 - -", "CellInnerLine 2,0 - - psSolid/0/4 -"}));
}

TEST(SsGridStreamRead, ExtentsAreOnePerColumnOrRowInOrder) {
    TRoundTrip t({{L"ColWidths", Ints({10, 0, 32767, 64, 5})}, {L"RowHeights", Ints({1, 2, 3, 4, 5})}});
    t.Reader.RowCount = 5;
    t.Read();
    EXPECT_EQ(t.Reader.Log.size(), 10u);
    EXPECT_EQ(t.Reader.Log[2], "ColWidths 2 32767");
    EXPECT_EQ(t.Reader.Log[9], "RowHeights 4 5");
}

// A damaged entry stops reading with an error that names the property and the entry; the
// entries before it were handed over, nothing after it (later properties included).
TEST(SsGridStreamRead, DamagedStreamsNameThePropertyAndTheEntry) {
    auto cellSide = [](TWriter& w, int c, int r, int s, const wchar_t* style, long long width) {
        w.WriteInteger(c);
        w.WriteInteger(r);
        w.WriteInteger(s);
        w.WriteInteger(0);
        w.WriteString(style);
        w.WriteInteger(width);
    };
    auto axisLine = [](TWriter& w, int i, const wchar_t* style, long long width) {
        w.WriteInteger(i);
        w.WriteString(style);
        w.WriteInteger(0);
        w.WriteInteger(width);
    };
    struct TCase {
        const char* What;
        const wchar_t* Prop;
        TWriterProc Value;
        const wchar_t* Entry;  // the text that names the entry
        Log Applied;
    };
    const TCase cases[] = {
        {"unknown style name", L"ColLine", List([&](TWriter& w) {
             axisLine(w, 0, L"psDot", 1);
             axisLine(w, 1, L"psWavy", 1);
         }),
         L"項目 1", {"ColLine 0 psDot/0/1"}},
        {"negative pen width", L"RowLine", List([&](TWriter& w) { axisLine(w, 0, L"psSolid", -1); }), L"項目 0", {}},
        {"huge pen width drops only the damaged cell", L"CellOuterLine", List([&](TWriter& w) {
             cellSide(w, 1, 1, 0, L"psSolid", 1);
             cellSide(w, 1, 1, 1, L"psSolid", 1);
             cellSide(w, 2, 1, 0, L"psSolid", 100000);
         }),
         L"項目 2", {"CellOuterLine 1,1 psSolid/0/1 psSolid/0/1 - -"}},
        {"a damaged side drops its whole cell", L"CellInnerLine", List([&](TWriter& w) {
             cellSide(w, 1, 1, 0, L"psSolid", 1);
             cellSide(w, 1, 1, 3, L"", 1);
         }),
         L"項目 1", {}},
        {"widths cut short", L"ColWidths", Ints({10, 20, 30}), L"項目 3",
         {"ColWidths 0 10", "ColWidths 1 20", "ColWidths 2 30"}},
        {"heights running on", L"RowHeights", Ints({1, 1, 1, 1, 1, 1}), L"項目 5",
         {"RowHeights 0 1", "RowHeights 1 1", "RowHeights 2 1", "RowHeights 3 1", "RowHeights 4 1"}},
        {"negative width", L"ColWidths", Ints({10, -1, 30, 40, 50}), L"項目 1", {"ColWidths 0 10"}},
        {"huge height", L"RowHeights", Ints({40000}), L"項目 0", {}},
        {"colour of the wrong type", L"CellColor", List([](TWriter& w) {
             w.WriteInteger(1), w.WriteInteger(1), w.WriteInteger(5);
             w.WriteInteger(2), w.WriteInteger(2), w.WriteString(L"red");
         }),
         L"項目 1", {"CellColor 1,1 5"}},
        {"colour beyond 32 bits", L"ColColor", Ints({1, 0x100000000LL}), L"項目 0", {}},
        {"column outside the grid", L"ColColor", Ints({4, 7, 5, 7}), L"項目 1", {"ColColor 4 7"}},
        {"negative row", L"RowColor", Ints({-1, 7}), L"項目 0", {}},
        {"entry cut short", L"RowColor", Ints({1, 7, 2}), L"項目 1", {"RowColor 1 7"}},
        {"font cut after its name", L"CellFont", List([](TWriter& w) {
             w.WriteInteger(1), w.WriteInteger(1), w.WriteInteger(0), w.WriteInteger(0), w.WriteInteger(-12);
             w.WriteString(L"Ab");
         }),
         L"項目 0", {}},
        {"charset out of range", L"ColFont", List([](TWriter& w) {
             w.WriteInteger(1);
             WriteGridFont(w, {256, 0, -12, L"Ab", 0, 0});
         }),
         L"項目 0", {}},
        {"not a list", L"ColColor", [](TWriter& w) { w.WriteInteger(3); }, L"項目 0", {}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        std::map<String, TWriterProc> values{{c.Prop, c.Value}};
        values[L"CellInnerLine"] = values.count(L"CellInnerLine") ? values[L"CellInnerLine"]
                                                                  : List([](TWriter& w) {
                                                                        w.WriteInteger(0), w.WriteInteger(0);
                                                                        WriteGridCellLineSide(w, 0, Pen(TPenStyle::psSolid, 0, 1));
                                                                    });
        TRoundTrip t(values);
        try {
            t.Read();
            ADD_FAILURE() << "no error";
        } catch (const EReadError& e) {
            EXPECT_NE(e.Message().find(c.Prop), String::npos);
            EXPECT_NE(e.Message().find(c.Entry), String::npos);
        }
        // CellInnerLine comes last: after a damaged property it is never read.
        EXPECT_EQ(t.Reader.Log, c.Applied);
    }
}
