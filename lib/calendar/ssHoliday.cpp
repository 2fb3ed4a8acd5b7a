#include "ssHoliday.h"

#include <algorithm>
#include <map>
#include <tuple>

#include "ssComFolder.h"
#include "ssDate.h"
#include "WinApi.h"
#include "ssRegistry.h"

const wchar_t* const HolidayFileBaseName = L"Holiday.ini";
const wchar_t* const HolidayRegistryKey = L"\\Software\\KVR\\Common\\Orvello";
const wchar_t* const HolidayRegistryValue = L"HolidayINI";

namespace {

// The built-in holidays, in the file's rule format.
const wchar_t* const SDefaultHolidays[TssHoliday::DefaultHolidayCount] = {
    L"1/1:1948-2999",  L"1/15:1948-2999", L"2/11:1966-2999",  L"4/29:1948-2999", L"5/3:1948-2999",
    L"5/4:1990-2999",  L"5/5:1948-2999",  L"7/20:1990-2999",  L"9/15:1966-2999", L"10/10:1966-2999",
    L"11/3:1948-2999", L"11/23:1948-2999", L"12/23:1989-2999",
};

// Every change of any table gets a new stamp, so a cache never mistakes a new table for an old one.
std::uint64_t NextGeneration = 0;

std::unique_ptr<TssHoliday> TheHoliday;

bool CacheEnabled = true;


String Trim(const String& s) {
    std::size_t b = s.find_first_not_of(L" \t");
    if (b == String::npos) return {};
    std::size_t e = s.find_last_not_of(L" \t");
    return s.substr(b, e - b + 1);
}

// Decimal integer with an optional sign; EConvertError for anything else, as the framework's
// integer conversion does.
std::int32_t StrToInt(const String& text) {
    String s = Trim(text);
    std::size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == L'+' || s[i] == L'-')) negative = s[i++] == L'-';
    long long v = 0;
    bool ok = i < s.size();
    for (; ok && i < s.size(); ++i) {
        if (s[i] < L'0' || s[i] > L'9') ok = false;
        else if ((v = v * 10 + (s[i] - L'0')) > 2147483648LL) ok = false;
    }
    if (negative) v = -v;
    if (!ok || v > 2147483647LL) throw EConvertError(Format(L"'%s' is not a valid integer value", {text}));
    return std::int32_t(v);
}

// The text before the first Sep, and the rest after it (empty when Sep is missing).
String Before(const String& s, wchar_t sep) { return s.substr(0, std::min(s.find(sep), s.size())); }
String After(const String& s, wchar_t sep) {
    std::size_t p = s.find(sep);
    return p == String::npos ? String() : s.substr(p + 1);
}

// "from-to" into the record's range.
void ParseRange(const String& range, std::int32_t& from, std::int32_t& to) {
    from = StrToInt(Before(range, L'-'));
    to = StrToInt(After(range, L'-'));
}

// The lines of one section of a profile file; a missing file or section gives none. Comment
// lines and lines whose key begins with "!" are left out.
std::vector<String> ReadSection(const String& fileName, const wchar_t* section) {
    std::vector<String> lines;
    if (fileName.empty()) return lines;
    std::vector<wchar_t> buf(8192);
    DWORD n;
    for (;;) {
        n = GetPrivateProfileSectionW(section, buf.data(), DWORD(buf.size()), fileName.c_str());
        if (n + 2 < buf.size()) break;
        buf.resize(buf.size() * 2);  // truncated: the reader answers size - 2
    }
    for (const wchar_t* p = buf.data(); *p; p += wcslen(p) + 1) {
        String line = Trim(p);
        if (line.empty() || line[0] == L';' || line[0] == L'!') continue;
        lines.push_back(line);
    }
    return lines;
}

// Identity of a file for the name cache: name, size and last write; a missing file is all zero.
struct FileStamp {
    String Name;
    bool Exists = false;
    unsigned long long Size = 0, Written = 0;
    bool operator==(const FileStamp&) const = default;
};

FileStamp StampOf(const String& name) {
    FileStamp s;
    s.Name = name;
    WIN32_FILE_ATTRIBUTE_DATA a;
    if (!name.empty() && GetFileAttributesExW(name.c_str(), GetFileExInfoStandard, &a) &&
        !(a.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        s.Exists = true;
        s.Size = (unsigned long long)a.nFileSizeHigh << 32 | a.nFileSizeLow;
        s.Written = (unsigned long long)a.ftLastWriteTime.dwHighDateTime << 32 | a.ftLastWriteTime.dwLowDateTime;
    }
    return s;
}

// A year list that owns copies of its records, so it outlives the table and the date that built it.
struct YearHolidays {
    std::vector<TssHolidayRec> Records;
    TssHolidayList List;
};

struct {
    std::uint64_t Generation = ~0ULL;
    std::map<int, std::shared_ptr<const TssHolidayList>> Years;
} YearCache;

struct {
    FileStamp Stamp;
    bool Settled = false;  // the file was older than a timestamp tick when it was read
    std::shared_ptr<const TssHolidayName> Names;
} NameCache;

// A file written this recently may be written again without its time changing, so names read
// from it are not trusted beyond the current query (2 s, in 100 ns units).
constexpr unsigned long long UnsettledAge = 20000000ULL;

unsigned long long SystemTimeNow() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return (unsigned long long)now.dwHighDateTime << 32 | now.dwLowDateTime;
}

// Years cached at most; a caller walking centuries keeps the memory bounded.
constexpr std::size_t MaxCachedYears = 1024;

}  // namespace

// ---- TssHoliday ----

TssHoliday::TssHoliday() {
    for (const wchar_t* rule : SDefaultHolidays) Append(ParseDateRule(rule));
    fDefaultHolidayCount = fCount;
    HolidayTableSet(HolidayFileName());
}

TssHolidayRec TssHoliday::ParseDateRule(const String& Value) {
    TssHolidayRec r;
    String date = Before(Value, L':');
    r.MM = StrToInt(Before(date, L'/'));
    r.DD = StrToInt(After(date, L'/'));
    r.MMDD = r.MM * 100 + r.DD;
    ParseRange(After(Value, L':'), r.StartYear, r.EndYear);
    r.HolidayKind = TssHolidayKind::hkNormal;
    return r;
}

TssHolidayRec TssHoliday::ParseWeekRule(const String& Value) {
    TssHolidayRec r;
    String rule = Before(Value, L':');
    r.MM = StrToInt(Before(rule, L','));
    String nw = After(rule, L',');
    r.WeekIndex = StrToInt(Before(nw, L'*'));
    r.YoubiIndex = StrToInt(After(nw, L'*'));
    ParseRange(After(Value, L':'), r.StartYear, r.EndYear);
    r.HolidayKind = TssHolidayKind::hkWeekHoliday;
    return r;
}

bool TssHoliday::Append(const TssHolidayRec& Rec) {
    if (fCount >= TableSize) return false;
    fTable[std::size_t(fCount++)] = Rec;
    return true;
}

void TssHoliday::HolidayTableSet(const String& FileName) {
    // A rule failing half-way leaves the entries before it; the table is rebuilt either way.
    struct Rebuild {
        TssHoliday* Self;
        ~Rebuild() { Self->RebuildItems(); }
    } rebuild{this};
    for (const String& line : ReadSection(FileName, L"HOLIDAYADD")) Append(ParseDateRule(After(line, L'=')));
    for (const String& line : ReadSection(FileName, L"HOLIDAYDELETE")) {
        TssHolidayRec r = ParseDateRule(After(line, L'='));
        for (int i = 0; i < fCount; ++i) {
            TssHolidayRec& e = fTable[std::size_t(i)];
            if (e.HolidayKind == TssHolidayKind::hkNormal && e.MM == r.MM && e.DD == r.DD) {
                e.StartYear = r.StartYear;
                e.EndYear = r.EndYear;
                break;
            }
        }
    }
    for (const String& line : ReadSection(FileName, L"WEEKHOLIDAYADD")) Append(ParseWeekRule(After(line, L'=')));
    for (const String& line : ReadSection(FileName, L"SYUNBUNNOTCALC")) {
        TssHolidayRec r = ParseDateRule(After(line, L'='));
        r.MMDD = SyunbunMarkerMMDD;
        r.HolidayKind = TssHolidayKind::hkSyunbun;
        Append(r);
    }
}

void TssHoliday::RebuildItems() {
    fItems.clear();
    for (int i = 0; i < fCount; ++i) fItems.push_back(&fTable[std::size_t(i)]);
    std::stable_sort(fItems.begin(), fItems.end(), [](const TssHolidayRec* a, const TssHolidayRec* b) { return a->MMDD < b->MMDD; });
    fGeneration = ++NextGeneration;
}

// ---- TssHolidayName ----

TssHolidayName::TssHolidayName() { Load(HolidayFileName()); }

TssHolidayName::TssHolidayName(const String& FileName) { Load(FileName); }

void TssHolidayName::Load(const String& FileName) {
    for (const wchar_t* section : {L"HOLIDAYNAME", L"HOLIDAYNAMEEX"})
        for (const String& line : ReadSection(FileName, section))
            FItems.push_back(std::make_unique<TssHolidayNameEntry>(ParseNameLine(line)));
}

TssHolidayNameEntry TssHolidayName::ParseNameLine(const String& Line) {
    TssHolidayNameEntry e;
    std::size_t eq = std::min(Line.find(L'='), Line.size());
    std::size_t colon = Line.find(L':');
    String spec = Trim(Line.substr(0, std::min(colon, eq)));
    if (colon < eq) ParseRange(Line.substr(colon + 1, eq - colon - 1), e.StartYear, e.EndYear);
    e.Name = eq < Line.size() ? Trim(Line.substr(eq + 1)) : String();
    if (spec.find(L'/') != String::npos) {
        e.HolidayKind = TssHolidayKind::hkNormal;
        e.MM = StrToInt(Before(spec, L'/'));
        e.MMDD = e.MM * 100 + StrToInt(After(spec, L'/'));
    } else if (spec.find(L',') != String::npos) {
        e.HolidayKind = TssHolidayKind::hkWeekHoliday;
        e.MM = StrToInt(Before(spec, L','));
        String nw = After(spec, L',');
        e.WeekIndex = StrToInt(Before(nw, L'*'));
        e.YoubiIndex = StrToInt(After(nw, L'*'));
    } else if (SameText(spec, L"SYUNBUN") || SameText(spec, L"SYUBUN")) {
        e.HolidayKind = TssHolidayKind::hkSyunbun;
        e.MM = SameText(spec, L"SYUNBUN") ? 3 : 9;
    } else {
        // No holiday has this key, so the entry never matches.
        e.HolidayKind = TssHolidayKind::hkNormal;
        e.MMDD = -1;
    }
    return e;
}

String TssHolidayName::GetHolidayName(const TssHolidayRec& HolidayRec, int Year) const {
    String name;
    for (const auto& e : FItems) {
        if (e->HolidayKind != HolidayRec.HolidayKind || Year < e->StartYear || Year > e->EndYear) continue;
        bool match = false;
        switch (e->HolidayKind) {
        case TssHolidayKind::hkNormal: match = e->MMDD == HolidayRec.MMDD; break;
        case TssHolidayKind::hkWeekHoliday:
            match = e->MM == HolidayRec.MM && e->WeekIndex == HolidayRec.WeekIndex && e->YoubiIndex == HolidayRec.YoubiIndex;
            break;
        case TssHolidayKind::hkSyunbun: match = e->MM == HolidayRec.MM; break;
        }
        if (match) name = e->Name;  // the last match wins: HOLIDAYNAMEEX overrides HOLIDAYNAME
    }
    return name;
}

// ---- the file and the process-wide state ----

String HolidayFileName() {
    String value;
    try {
        TssRegistry reg(KEY_READ);
        if (reg.OpenKeyReadOnly(HolidayRegistryKey)) value = reg.ReadString(HolidayRegistryValue);
    } catch (...) {
        value.clear();  // no key, no access or not text: as if unset
    }
    if (!value.empty()) return value.back() == L'\\' ? value + HolidayFileBaseName : value;
    // Without a data folder there is no file, rather than one in the current drive's root.
    String data = TssCommonFolder::GetObject()->DataFolder();
    return data.empty() ? String() : data + L"\\" + HolidayFileBaseName;
}

TssHoliday* GetHoliday() {
    // make_unique throws before the assignment, so a failed load leaves the slot empty.
    if (!TheHoliday) TheHoliday = std::make_unique<TssHoliday>();
    return TheHoliday.get();
}

const TssHolidayList& GetHolidayItems() { return GetHoliday()->items(); }

void FreeHoliday() {
    TheHoliday.reset();
    YearCache.Years.clear();
    YearCache.Generation = ~0ULL;
    NameCache.Names.reset();
    NameCache.Stamp = FileStamp{};
    NameCache.Settled = false;
}

bool HolidayCacheEnabled() { return CacheEnabled; }

void SetHolidayCacheEnabled(bool Value) {
    CacheEnabled = Value;
    YearCache.Years.clear();
    NameCache.Names.reset();
}

std::shared_ptr<const TssHolidayList> CachedYearHolidays(int Year) {
    std::uint64_t generation = GetHoliday()->Generation();
    if (CacheEnabled && YearCache.Generation == generation) {
        auto it = YearCache.Years.find(Year);
        if (it != YearCache.Years.end()) return it->second;
    }
    TssDate builder;
    std::unique_ptr<TssHolidayList> list = builder.BuildYearHolidays(Year);
    auto year = std::make_shared<YearHolidays>();
    year->Records.reserve(list->size());
    for (const TssHolidayRec* r : *list) year->Records.push_back(*r);
    for (const TssHolidayRec& r : year->Records) year->List.push_back(&r);
    std::shared_ptr<const TssHolidayList> result(year, &year->List);
    if (CacheEnabled) {
        if (YearCache.Generation != generation || YearCache.Years.size() >= MaxCachedYears) YearCache.Years.clear();
        YearCache.Generation = generation;
        YearCache.Years[Year] = result;
    }
    return result;
}

std::shared_ptr<const TssHolidayName> CachedHolidayNames() {
    String file = HolidayFileName();
    if (!CacheEnabled) return std::make_shared<TssHolidayName>(file);
    FileStamp stamp = StampOf(file);
    if (!NameCache.Names || !NameCache.Settled || !(NameCache.Stamp == stamp)) {
        NameCache.Names.reset();
        unsigned long long readAt = SystemTimeNow();
        NameCache.Names = std::make_shared<TssHolidayName>(file);
        NameCache.Stamp = stamp;
        NameCache.Settled = !stamp.Exists || (readAt > stamp.Written && readAt - stamp.Written > UnsettledAge);
    }
    return NameCache.Names;
}
