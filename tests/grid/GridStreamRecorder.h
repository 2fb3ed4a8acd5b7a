// A component that carries the grid's stream properties without a grid: it writes what a test
// gives it and records, one line per entry, what the grid's stream reader hands over.
#pragma once
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "Filer.h"
#include "ssGridStream.h"

// The bytes after a property's name in a component stream (its value and what follows), or
// nothing when the stream has no property of that name.
inline std::vector<std::uint8_t> PropertyValueBytes(const TMemoryStream& Stream, const std::string& Name) {
    std::string key = char(Name.size()) + Name;
    std::string all(reinterpret_cast<const char*>(Stream.Memory()), Stream.DataSize());
    std::size_t at = all.find(key);
    if (at == std::string::npos) return {};
    return std::vector<std::uint8_t>(all.begin() + std::ptrdiff_t(at + key.size()), all.end());
}

// Appends a property to a stream being put together by hand: its name, then the value Value writes.
inline void AppendStreamProperty(TMemoryStream& Stream, const std::string& Name, const TWriterProc& Value) {
    std::string key = char(Name.size()) + Name;
    Stream.WriteBuffer(key.data(), key.size());
    TWriter w(Stream);
    Value(w);
    w.FlushBuffer();
}

class TGridStreamRecorder : public TComponent, public TssGridStreamSink {
    SS_CLASS(TGridStreamRecorder, TComponent)
public:
    using TComponent::TComponent;

    int ColCount = 5, RowCount = 5;
    // The value each property writes, by name; a property without one is not written.
    std::map<String, TWriterProc> Values;
    // One line per entry read, e.g. "CellColor 3,2 255".
    std::vector<std::string> Log;

    void DefineProperties(TFiler& Filer) override {
        for (int i = 0; i < GridStreamPropCount; ++i) {
            auto prop = TssGridStreamProp(i);
            auto it = Values.find(GridStreamPropName(prop));
            Filer.DefineProperty(
                GridStreamPropName(prop), [this, prop](TReader& r) { ReadGridStreamProp(r, prop, ColCount, RowCount, *this); },
                it == Values.end() ? TWriterProc() : it->second, it != Values.end());
        }
    }

    void Extents(TssGridStreamProp Prop, int First, const int* Values, int Count) override {
        for (int i = 0; i < Count; ++i) Record(Prop, std::to_string(First + i) + " " + std::to_string(Values[i]));
    }
    void Color(TssGridStreamProp Prop, int Col, int Row, std::int32_t Value) override {
        Record(Prop, Cell(Col, Row) + " " + std::to_string(Value));
    }
    void Font(TssGridStreamProp Prop, int Col, int Row, const TssFontValue& f) override {
        Record(Prop, Cell(Col, Row) + " " + std::to_string(f.Charset) + " " + std::to_string(f.Color) + " " +
                         std::to_string(f.Height) + " " + Narrow(f.Name) + " " + std::to_string(f.Pitch) + " " +
                         std::to_string(f.Style));
    }
    void Line(TssGridStreamProp Prop, int Col, int Row, const TssPenValue& p) override {
        Record(Prop, Cell(Col, Row) + " " + Pen(p));
    }
    void CellLine(TssGridStreamProp Prop, int Col, int Row, const TssCellLineValue& v) override {
        std::string text = Cell(Col, Row);
        for (int s = 0; s < 4; ++s) text += " " + (v.Sides[s] ? Pen(*v.Sides[s]) : std::string("-"));
        Record(Prop, text);
    }

private:
    void Record(TssGridStreamProp Prop, const std::string& text) { Log.push_back(Narrow(GridStreamPropName(Prop)) + " " + text); }
    static std::string Cell(int Col, int Row) {
        return Col < 0 ? std::to_string(Row) : Row < 0 ? std::to_string(Col) : std::to_string(Col) + "," + std::to_string(Row);
    }
    static std::string Pen(const TssPenValue& p) {
        return Narrow(EnumInfo(p.Style).Name(int(p.Style))) + "/" + std::to_string(p.Color) + "/" + std::to_string(p.Width);
    }
    // Names in these tests are ASCII.
    static std::string Narrow(const String& s) { return std::string(s.begin(), s.end()); }
};
