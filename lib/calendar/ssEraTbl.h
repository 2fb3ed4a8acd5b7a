// The table of Japanese eras: built-in defaults, replaceable by the era file "ctrlDate2.KVR" so
// that a new era ships as a text file. One process-wide table serves every date operation.
#pragma once
#include <array>
#include <vector>

#include "DateUtils.h"

// One era. The names are 8-bit text in the ANSI code page, cut to the lengths below.
struct TEra {
    static constexpr int InitialSize = 4;     // bytes, the Latin initial ("M")
    static constexpr int ShortNameSize = 4;   // bytes, the one-character name
    static constexpr int LongNameSize = 16;   // bytes, the two-character name
    AnsiString Initial;
    AnsiString ShortName;
    AnsiString LongName;
    TDateTime start = 0;  // the era's first day, midnight
};

// Ten eras, indexed 1 to 10; another index raises EListError.
struct TssEraInfoArray {
    static constexpr int Low = 1;
    static constexpr int High = 10;
    std::array<TEra, High> Items{};
    TEra& operator[](int index) { return Items[Slot(index)]; }
    const TEra& operator[](int index) const { return Items[Slot(index)]; }
    static std::size_t Slot(int index) {
        CheckListIndex(index - Low, High - Low);
        return std::size_t(index - Low);
    }
};

class TStrings;

// Selects the constructor that builds the built-in table and looks for no era file.
struct TssEraDefaults {};

// Eras in ascending order of their first day; lookups rely on it and nothing sorts the table.
class TssEraTable : public TObject {
    SS_CLASS(TssEraTable, TObject)
public:
    // A copy of the process-wide table when that exists; otherwise the defaults, replaced by the
    // first era file found (see EraFileFolders). EInOutError when that file cannot be read.
    TssEraTable();
    explicit TssEraTable(TssEraDefaults);

    int Count() const { return fCount; }
    void SetCount(int Value) { fCount = Value; }
    const TssEraInfoArray& Table() const { return fInfos; }
    void SetTable(const TssEraInfoArray& Value);

    // Fills entry Index (1..10) from one line of the era file. A line whose date is not valid
    // leaves the entry's initial, short name and start as they were.
    void ParseEraLine(int Index, const String& Line);
    // Installs the four built-in eras when the table holds three or fewer.
    void LoadDefaults();
    // Reads an era file in the ANSI code page; fewer than four usable lines keep the defaults.
    // EInOutError when the file cannot be opened or read.
    void LoadFromFile(const String& FileName);
    // Reads the era file's text (bytes in the ANSI code page) as LoadFromFile reads the file.
    void LoadFromText(const AnsiString& Text);
    // Reads the era file's lines, as LoadFromFile and LoadFromText do.
    void LoadFromLines(const TStrings& Lines);
    // Copies Count and every entry; answers this table, or null when Other is null.
    TssEraTable* CopyFrom(const TssEraTable* Other);

private:
    int fCount = 0;
    TssEraInfoArray fInfos;
};

extern const wchar_t* const EraFileName;  // "ctrlDate2.KVR"

// Where the era file is looked for, in order: the executable's folder, then the folder
// scheme's data folder.
std::vector<String> EraFileFolders();
// The first era file that exists in EraFileFolders(); empty when there is none.
String FindEraFile();

// The process-wide table, created on first use and freed at process end.
TssEraTable* GetEraTable();
