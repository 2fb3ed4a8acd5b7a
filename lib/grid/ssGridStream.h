// The grid's own stream properties: column widths, row heights and the attribute layer, each a
// list of plain values in a component stream. This unit knows the names, the order, the value
// layouts and the checks; the grid translates entries to and from its setters and stores. No
// Windows here: it also builds natively for the sanitizers and the fuzzer.
#pragma once
#include <cstdint>
#include <optional>

#include "Filer.h"

// The properties, in the order they are defined, written and read.
enum class TssGridStreamProp {
    ColWidths,
    RowHeights,
    ColColor,
    RowColor,
    CellColor,
    ColFont,
    RowFont,
    CellFont,
    ColLine,
    RowLine,
    CellOuterLine,
    CellInnerLine,
};
inline constexpr int GridStreamPropCount = int(TssGridStreamProp::CellInnerLine) + 1;
const wchar_t* GridStreamPropName(TssGridStreamProp Prop);

// What a stream may hold; anything outside is a damaged stream. Extents and font heights stay
// within the 16-bit coordinates of the oldest systems the grid runs on; a grid hides an entry
// with extent 0, so a negative one is no layout it makes. A pen never needs more than a byte
// of pixels: a line wider than that would cover the cells it separates.
inline constexpr int GridStreamMaxExtent = 32767;
inline constexpr int GridStreamMaxFontHeight = 32767;
inline constexpr int GridStreamMaxPenWidth = 255;

// A font as the stream holds it. Style bits: bold 1, italic 16, underline 256, strike-out
// 4096; pitch: 0 default, 1 variable, 2 fixed (other values read as the default).
struct TssFontValue {
    int Charset = 0;
    std::int32_t Color = 0;
    int Height = 0;  // negative: character height
    String Name;
    int Pitch = 0;
    int Style = 0;
    bool operator==(const TssFontValue&) const = default;
};
inline constexpr int GridFontBold = 1, GridFontItalic = 16, GridFontUnderline = 256, GridFontStrikeOut = 4096;

// A pen as the grid's stream holds it: colour, style and width.
struct TssPenValue {
    std::int32_t Color = 0;
    TPenStyle Style = TPenStyle::psSolid;
    int Width = 1;
    bool operator==(const TssPenValue&) const = default;
};

// The sides of one cell's line: upper 0, bottom 1, left 2, right 3; an empty side is not set.
struct TssCellLineValue {
    std::optional<TssPenValue> Sides[4];
};

// Receives the checked entries of one property, in stream order. Col is -1 for a row entry,
// Row -1 for a column entry. An exception from the sink stops reading.
class TssGridStreamSink {
public:
    virtual ~TssGridStreamSink() = default;
    // Count extents of the entries from First on, in a block (a stream may hold a million).
    virtual void Extents(TssGridStreamProp Prop, int First, const int* Values, int Count) = 0;
    virtual void Color(TssGridStreamProp Prop, int Col, int Row, std::int32_t Value) = 0;
    virtual void Font(TssGridStreamProp Prop, int Col, int Row, const TssFontValue& Value) = 0;
    virtual void Line(TssGridStreamProp Prop, int Col, int Row, const TssPenValue& Value) = 0;
    virtual void CellLine(TssGridStreamProp Prop, int Col, int Row, const TssCellLineValue& Value) = 0;
};

// Reads the value of Prop (a list) for a grid of ColCount x RowCount cells and hands each
// entry to Sink once the whole entry is read and checked. A damaged entry (a list cut short or
// running on, a value of the wrong type, an index outside the grid, a width, height or charset
// out of range, an unknown pen style) raises EReadError naming the property and the entry's
// index (the column or row for widths and heights, else the entry's place in the list); the
// entries before it were handed over, none after it is. The sides of a cell line go to the
// sink together once the cell's last entry is read, so a damaged side drops its cell.
void ReadGridStreamProp(TReader& Reader, TssGridStreamProp Prop, int ColCount, int RowCount, TssGridStreamSink& Sink);

// The value layouts for writing; each writes one entry's values after its indices.
void WriteGridFont(TWriter& Writer, const TssFontValue& Value);
// Column and row lines: style name, colour, width.
void WriteGridAxisLine(TWriter& Writer, const TssPenValue& Value);
// One side of a cell line: side, colour, style name, width.
void WriteGridCellLineSide(TWriter& Writer, int Side, const TssPenValue& Value);
