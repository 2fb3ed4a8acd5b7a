#include "ssGridStream.h"

#include <iterator>

namespace {

const wchar_t* const PropNames[GridStreamPropCount] = {
    L"ColWidths", L"RowHeights", L"ColColor", L"RowColor",  L"CellColor",     L"ColFont",
    L"RowFont",   L"CellFont",   L"ColLine",  L"RowLine",   L"CellOuterLine", L"CellInnerLine",
};

bool IsInteger(TValueType t) {
    return t == TValueType::vaInt8 || t == TValueType::vaInt16 || t == TValueType::vaInt32 ||
           t == TValueType::vaInt64;
}

// Reads the values of one property's entries; every failure names the property and the entry.
class TEntryReader {
public:
    TEntryReader(TReader& Reader, TssGridStreamProp Prop) : FReader(Reader), FName(GridStreamPropName(Prop)) {}

    int Entry = 0;

    bool AtEnd() const { return FReader.EndOfList(); }

    [[noreturn]] void Fail(const String& What) const {
        throw EReadError(Format(L"プロパティ %s の項目 %d: %s", {FName, (long long)Entry, What}));
    }

    int Integer() {
        TValueType t = FReader.NextValue();
        if (t == TValueType::vaNull) Fail(L"リストが途中で終わっています");
        if (!IsInteger(t)) Fail(L"整数があるべきところに別の値があります");
        try {
            return FReader.ReadInteger();
        } catch (const EReadError& e) {
            Fail(e.Message());
        }
    }

    int Integer(int Low, int High, const wchar_t* What) {
        int v = Integer();
        if (v < Low || v > High)
            Fail(Format(L"%s %d が %d..%d の範囲にありません", {What, (long long)v, (long long)Low, (long long)High}));
        return v;
    }

    // A column or row of a grid with Count of them.
    int Index(int Count, const wchar_t* What) { return Integer(0, Count - 1, What); }

    String Text() {
        TValueType t = FReader.NextValue();
        if (t == TValueType::vaNull) Fail(L"リストが途中で終わっています");
        if (t != TValueType::vaString) Fail(L"文字列があるべきところに別の値があります");
        try {
            return FReader.ReadString();
        } catch (const EReadError& e) {
            Fail(e.Message());
        }
    }

    TPenStyle Style() {
        String name = Text();
        int ordinal = EnumInfo(TPenStyle{}).IndexOf(name);
        if (ordinal < 0) Fail(Format(L"ペンのスタイル %s はありません", {name}));
        return TPenStyle(ordinal);
    }

    int Width() { return Integer(0, GridStreamMaxPenWidth, L"ペンの幅"); }

    TssFontValue Font() {
        TssFontValue f;
        f.Charset = Integer(0, 255, L"文字セット");
        f.Color = Integer();
        f.Height = Integer(-GridStreamMaxFontHeight, GridStreamMaxFontHeight, L"フォントの高さ");
        f.Name = Text();
        f.Pitch = Integer();
        f.Style = Integer();
        return f;
    }

private:
    TReader& FReader;
    const wchar_t* FName;
};

// Handed over in blocks; a damaged entry still hands over the ones before it.
void ReadExtents(TEntryReader& in, TssGridStreamProp Prop, int Count, TssGridStreamSink& Sink) {
    int block[1024];
    int first = 0, n = 0;
    for (; in.Entry < Count; ++in.Entry) {
        try {
            block[n] = in.Integer(0, GridStreamMaxExtent, L"幅");
        } catch (const EReadError&) {
            if (n) Sink.Extents(Prop, first, block, n);
            throw;
        }
        if (++n == int(std::size(block))) {
            Sink.Extents(Prop, first, block, n);
            first += n;
            n = 0;
        }
    }
    if (n) Sink.Extents(Prop, first, block, n);
    if (!in.AtEnd()) in.Fail(L"項目が多すぎます");
}

// Column, row or cell coordinates of an entry; -1 for the axis an entry does not name.
struct TCell {
    int Col = -1, Row = -1;
    bool operator==(const TCell&) const = default;
};

TCell ReadCell(TEntryReader& in, bool Cols, bool Rows, int ColCount, int RowCount) {
    TCell c;
    if (Cols) c.Col = in.Index(ColCount, L"列");
    if (Rows) c.Row = in.Index(RowCount, L"行");
    return c;
}

// An entry's sides go to the sink when the next entry names another cell, or the list ends.
void ReadCellLines(TEntryReader& in, TssGridStreamProp Prop, int ColCount, int RowCount, TssGridStreamSink& Sink) {
    std::optional<TCell> current;
    TssCellLineValue line;
    auto flush = [&] {
        if (current) Sink.CellLine(Prop, current->Col, current->Row, line);
        line = {};
    };
    for (; !in.AtEnd(); ++in.Entry) {
        TCell cell;
        try {
            cell = ReadCell(in, true, true, ColCount, RowCount);
        } catch (const EReadError&) {
            flush();  // the cells before this entry are whole
            throw;
        }
        if (!current || !(cell == *current)) {
            flush();
            current = cell;
        }
        // A damaged side drops its cell: the scratch line is not handed over.
        int side = in.Integer();
        TssPenValue pen;
        pen.Color = in.Integer();
        pen.Style = in.Style();
        pen.Width = in.Width();
        if (side >= 0 && side < 4) line.Sides[side] = pen;  // other sides are skipped
    }
    flush();
}

}  // namespace

const wchar_t* GridStreamPropName(TssGridStreamProp Prop) { return PropNames[int(Prop)]; }

void ReadGridStreamProp(TReader& Reader, TssGridStreamProp Prop, int ColCount, int RowCount, TssGridStreamSink& Sink) {
    using P = TssGridStreamProp;
    TEntryReader in(Reader, Prop);
    if (Reader.NextValue() != TValueType::vaList) in.Fail(L"リストがありません");
    Reader.ReadListBegin();
    bool cols = Prop == P::ColColor || Prop == P::CellColor || Prop == P::ColFont || Prop == P::CellFont ||
                Prop == P::ColLine;
    bool rows = Prop == P::RowColor || Prop == P::CellColor || Prop == P::RowFont || Prop == P::CellFont ||
                Prop == P::RowLine;
    switch (Prop) {
        case P::ColWidths: ReadExtents(in, Prop, ColCount, Sink); break;
        case P::RowHeights: ReadExtents(in, Prop, RowCount, Sink); break;
        case P::ColColor:
        case P::RowColor:
        case P::CellColor:
            for (; !in.AtEnd(); ++in.Entry) {
                TCell c = ReadCell(in, cols, rows, ColCount, RowCount);
                Sink.Color(Prop, c.Col, c.Row, in.Integer());
            }
            break;
        case P::ColFont:
        case P::RowFont:
        case P::CellFont:
            for (; !in.AtEnd(); ++in.Entry) {
                TCell c = ReadCell(in, cols, rows, ColCount, RowCount);
                TssFontValue f = in.Font();
                Sink.Font(Prop, c.Col, c.Row, f);
            }
            break;
        case P::ColLine:
        case P::RowLine:
            for (; !in.AtEnd(); ++in.Entry) {
                TCell c = ReadCell(in, cols, rows, ColCount, RowCount);
                TssPenValue pen;
                pen.Style = in.Style();
                pen.Color = in.Integer();
                pen.Width = in.Width();
                Sink.Line(Prop, c.Col, c.Row, pen);
            }
            break;
        case P::CellOuterLine:
        case P::CellInnerLine: ReadCellLines(in, Prop, ColCount, RowCount, Sink); break;
    }
    Reader.ReadListEnd();
}

void WriteGridFont(TWriter& Writer, const TssFontValue& Value) {
    Writer.WriteInteger(Value.Charset);
    Writer.WriteInteger(Value.Color);
    Writer.WriteInteger(Value.Height);
    Writer.WriteString(Value.Name);
    Writer.WriteInteger(Value.Pitch);
    Writer.WriteInteger(Value.Style);
}

void WriteGridAxisLine(TWriter& Writer, const TssPenValue& Value) {
    Writer.WriteString(EnumInfo(Value.Style).Name(int(Value.Style)));
    Writer.WriteInteger(Value.Color);
    Writer.WriteInteger(Value.Width);
}

void WriteGridCellLineSide(TWriter& Writer, int Side, const TssPenValue& Value) {
    Writer.WriteInteger(Side);
    Writer.WriteInteger(Value.Color);
    Writer.WriteString(EnumInfo(Value.Style).Name(int(Value.Style)));
    Writer.WriteInteger(Value.Width);
}
