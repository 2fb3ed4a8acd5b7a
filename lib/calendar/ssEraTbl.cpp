#include "ssEraTbl.h"

#include "Classes.h"
#include "ssStrUty.h"

namespace {

// The built-in eras, in the era file's own line format.
const wchar_t* const SEraDefaults[] = {
    L"1,明治,1868.09.08,M,明",
    L"2,大正,1912.07.30,T,大",
    L"3,昭和,1926.12.25,S,昭",
    L"4,平成,1989.01.08,H,平",
};
constexpr int DefaultEraCount = 4;

// Cut at a byte length without splitting a double-byte character.
AnsiString CutAnsi(const AnsiString& s, int size) { return int(s.size()) <= size ? s : AnsiCopyMB(s, 1, size); }

void CutNames(TEra& era) {
    era.Initial = CutAnsi(era.Initial, TEra::InitialSize);
    era.ShortName = CutAnsi(era.ShortName, TEra::ShortNameSize);
    era.LongName = CutAnsi(era.LongName, TEra::LongNameSize);
}

int ToInt(const String& digits) {
    if (digits.empty() || !IsNumeric(digits) || digits.back() == L'\n') return -1;
    return std::stoi(digits);
}

// The first day written in columns 6-15 of an era line.
bool LineDate(const String& line, TDateTime& start) {
    return TryEncodeDate(ToInt(SafeCopy(line, 6, 4)), ToInt(SafeCopy(line, 11, 2)), ToInt(SafeCopy(line, 14, 2)), start);
}

// Lines that end the era file: short lines, comments and the "XXXX" placeholder.
bool EndsTable(const String& line) {
    return line.size() < 18 || line[0] == L';' || SafeCopy(line, 3, 4) == L"XXXX";
}

}  // namespace

TssEraTable::TssEraTable(TssEraDefaults) { LoadDefaults(); }

void TssEraTable::SetTable(const TssEraInfoArray& Value) {
    fInfos = Value;
    for (TEra& era : fInfos.Items) CutNames(era);
}

void TssEraTable::ParseEraLine(int Index, const String& Line) {
    if (Index < TssEraInfoArray::Low || Index > TssEraInfoArray::High) return;
    TEra& era = fInfos[Index];
    era.LongName = CutAnsi(StringToAnsi(SafeCopy(Line, 3, 2)), TEra::LongNameSize);
    TDateTime start;
    if (!LineDate(Line, start)) return;
    era.start = start;
    era.Initial = CutAnsi(StringToAnsi(SafeCopy(Line, 17, 1)), TEra::InitialSize);
    era.ShortName = CutAnsi(StringToAnsi(SafeCopy(Line, 19, 1)), TEra::ShortNameSize);
}

void TssEraTable::LoadDefaults() {
    if (fCount > DefaultEraCount - 1) return;
    fCount = DefaultEraCount;
    for (int i = 0; i < DefaultEraCount; ++i) ParseEraLine(i + 1, SEraDefaults[i]);
}

void TssEraTable::LoadFromLines(const TStrings& Lines) {
    int n = 0;
    for (int i = 0; i < Lines.Count() && n < TssEraInfoArray::High; ++i) {
        const String& line = Lines[i];
        if (EndsTable(line)) break;
        // An invalid date keeps the entry's previous first day; where there is none the line is
        // skipped, since an era starting on day 0 would claim every later date.
        TDateTime start;
        if (!LineDate(line, start) && fInfos[n + 1].start == 0) continue;
        ParseEraLine(++n, line);
    }
    // Lines past the tenth have no room in the table and are ignored.
    fCount = n;
    LoadDefaults();
}

void TssEraTable::LoadFromText(const AnsiString& Text) {
    TStringList lines;
    lines.SetText(AnsiToString(Text));
    LoadFromLines(lines);
}

TssEraTable* TssEraTable::CopyFrom(const TssEraTable* Other) {
    if (!Other) return nullptr;
    fCount = Other->fCount;
    fInfos = Other->fInfos;
    return this;
}

