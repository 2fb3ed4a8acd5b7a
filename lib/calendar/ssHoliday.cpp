#include "ssHoliday.h"

#include <algorithm>
#include <unordered_map>

#include "ssComFolder.h"
#include "ssDate.h"
#include "WinApi.h"
#include "ssRegistry.h"

const wchar_t* const HolidayFileBaseName = L"Holiday.ini";
const wchar_t* const HolidayRegistryKey = L"\\Software\\KVR\\Common\\Orvello";
const wchar_t* const HolidayRegistryValue = L"HolidayINI";

namespace {

std::unique_ptr<TssHoliday> TheHoliday;

bool CacheEnabled = true;

// A name the profile reader takes as it is; without a full path it looks in places of its own.
bool IsFullPath(const String& name) {
    return name.size() > 2 && ((name[1] == L':' && name[2] == L'\\') || name.starts_with(L"\\\\"));
}

// The lines of one section of a profile file as the profile reader answers them; a missing file
// or section gives none. A missing file is not handed to the profile reader: Wine's answers from
// its cache of a file deleted since it was last read.
std::vector<String> ReadSection(const String& fileName, const String& section) {
    std::vector<String> lines;
    if (fileName.empty() || (IsFullPath(fileName) && GetFileAttributesW(fileName.c_str()) == INVALID_FILE_ATTRIBUTES)) return lines;
    std::vector<wchar_t> buf(8192);
    DWORD n;
    for (;;) {
        n = GetPrivateProfileSectionW(section.c_str(), buf.data(), DWORD(buf.size()), fileName.c_str());
        if (n + 2 < buf.size()) break;
        buf.resize(buf.size() * 2);  // truncated: the reader answers size - 2
    }
    for (const wchar_t* p = buf.data(); *p; p += wcslen(p) + 1) lines.emplace_back(p);
    return lines;
}

// A year's answers for every month and day, with its own copies of the records they point to,
// so it outlives the table and the date that built its list.
struct YearTable {
    std::vector<TssHolidayRec> Records;
    TssHolidayYear Days{};
};

std::unique_ptr<YearTable> MakeYearTable(int Year) {
    TssDate builder;
    std::unique_ptr<TssHolidayList> list = builder.BuildYearHolidays(Year);
    auto table = std::make_unique<YearTable>();
    table->Days = GetHoliday()->YearHits(*list, Year);
    // The answers point into the list, which the builder's storage and the table own: point them
    // at copies (no reallocation: reserved).
    table->Records.reserve(list->size());
    for (const TssHolidayRec* r : *list) table->Records.push_back(*r);
    for (TssHolidayHit& hit : table->Days)
        if (hit.Rec) hit.Rec = &table->Records[std::size_t(std::find(list->begin(), list->end(), hit.Rec) - list->begin())];
    return table;
}

// Years cached at most; a caller walking centuries keeps the memory bounded.
constexpr std::size_t MaxCachedYears = 1024;

struct {
    std::uint64_t Generation = ~0ULL;
    std::unordered_map<int, std::unique_ptr<YearTable>> Years;
    const YearTable* Last = nullptr;  // the year asked last: queries come in runs of one year
    int LastYear = 0;

    void Clear() {
        Years.clear();
        Last = nullptr;
    }
} YearCache;

struct CloseEvent {
    void operator()(HANDLE h) const { CloseHandle(h); }
};
// An asynchronous read of a folder's changes. Whether it has completed is read from memory (the
// platform writes the status when the folder changes), so the name query's one wait, on the
// registry, need not take a second object: where every wait is a round trip to a server
// (Wine), a wait on two objects costs half as much again.
class TFolderWatch {
public:
    explicit TFolderWatch(const String& Folder) {
        FDir = CreateFileW(Folder.c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
        FOverlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        FPending = FDir != INVALID_HANDLE_VALUE && FOverlapped.hEvent &&
                   ReadDirectoryChangesW(FDir, FBuffer, sizeof FBuffer, FALSE,
                                         FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE,
                                         nullptr, &FOverlapped, nullptr);
    }
    // Closing the folder ends the read, whose completion still writes into the watch: the watch
    // is freed once that has come, and left alive rather than written after being freed if not.
    struct Release {
        void operator()(TFolderWatch* watch) const {
            if (watch->FDir != INVALID_HANDLE_VALUE) CloseHandle(watch->FDir);
            if (watch->FPending && WaitForSingleObject(watch->FOverlapped.hEvent, 10000) != WAIT_OBJECT_0) return;
            if (watch->FOverlapped.hEvent) CloseHandle(watch->FOverlapped.hEvent);
            delete watch;
        }
    };
    TFolderWatch(const TFolderWatch&) = delete;
    TFolderWatch& operator=(const TFolderWatch&) = delete;

    bool Armed() const { return FPending; }
    // The read completed: something in the folder changed (or the read ended for another reason).
    bool Fired() const { return *static_cast<const volatile ULONG_PTR*>(&FOverlapped.Internal) != STATUS_PENDING; }

private:
    ~TFolderWatch() = default;  // through Release only

    HANDLE FDir;
    OVERLAPPED FOverlapped{};
    bool FPending = false;
    DWORD FBuffer[256];  // the changes themselves are not looked at
};

// Signals what may change the names: the registry value that names the file and the folder of
// the file. Both are armed before what they guard is read, so a change made during the read
// fires as well.
class TNameWatch {
public:
    // Watches, with its subkeys, the parent of the nearest existing key on the way to the
    // value's: so the value being set, its key being made and its key being deleted all fire
    // (a deleted key does not report its own deletion under Wine). "\Software" itself stays.
    void WatchRegistry() {
        FKey.reset();
        FKeyEvent.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        if (!FKeyEvent) return;
        auto reg = std::make_unique<TssRegistry>(KEY_READ);  // KEY_READ includes KEY_NOTIFY
        String key = HolidayRegistryKey;
        auto up = [&key] { key.erase(std::min(key.rfind(L'\\'), key.size())); };
        while (!key.empty() && !reg->OpenKeyReadOnly(key)) up();
        if (key.empty()) return;
        if (!SameText(key, L"\\Software")) {
            up();
            if (!reg->OpenKeyReadOnly(key)) return;
        }
        if (RegNotifyChangeKeyValue(reg->CurrentKey(), TRUE, REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET,
                                    FKeyEvent.get(), TRUE) == ERROR_SUCCESS)
            FKey = std::move(reg);  // closing the key would end the watch
    }

    // Only a full path's folder can be watched (see IsFullPath).
    void WatchFolder(const String& FileName) {
        FFolder.reset();
        FFolderNeeded = !FileName.empty();
        if (!IsFullPath(FileName)) return;
        FFolder.reset(new TFolderWatch(ExtractFileDir(FileName)));
        if (!FFolder->Armed()) FFolder.reset();
    }

    // True when a watch fired or one that is needed could not be armed. The registry's wait
    // comes first: while waiting, the thread also takes the completions due to it, the folder
    // read's among them (under Wine it would otherwise take it only some time later).
    bool Fired() const {
        if (!FKey || (FFolderNeeded && !FFolder)) return true;
        return WaitForSingleObject(FKeyEvent.get(), 0) != WAIT_TIMEOUT || (FFolder && FFolder->Fired());
    }

    void Stop() {
        FKey.reset();
        FKeyEvent.reset();
        FFolder.reset();
        FFolderNeeded = false;
    }

private:
    std::unique_ptr<TssRegistry> FKey;
    std::unique_ptr<void, CloseEvent> FKeyEvent;
    std::unique_ptr<TFolderWatch, TFolderWatch::Release> FFolder;
    bool FFolderNeeded = false;
};

struct {
    TNameWatch Watch;
    String Value;  // the registry value as last read
    String File;   // the file the names were read from
    std::shared_ptr<const TssHolidayName> Names;

    void Clear() {
        Watch.Stop();
        Value.clear();
        File.clear();
        Names.reset();
    }
} NameCache;

// The registry value that names the holiday file; empty when it cannot be read.
String HolidayRegistryText() {
    try {
        TssRegistry reg(KEY_READ);
        if (reg.OpenKeyReadOnly(HolidayRegistryKey)) return reg.ReadString(HolidayRegistryValue);
    } catch (...) {
        // no access or not text: as if unset
    }
    return {};
}

// The file the registry value names (a folder when it ends in "\"), else the data folder's.
String HolidayFileNameFor(const String& Value) {
    if (!Value.empty()) return Value.back() == L'\\' ? Value + HolidayFileBaseName : Value;
    // Without a data folder there is no file, rather than one in the current drive's root.
    String data = TssCommonFolder::GetObject()->DataFolder();
    return data.empty() ? String() : data + L"\\" + HolidayFileBaseName;
}

}  // namespace

// ---- TssHoliday and TssHolidayName on the holiday file ----

TssHoliday::TssHoliday() {
    InstallDefaults();
    HolidayTableSet(HolidayFileName());
}

TssHolidayName::TssHolidayName() : TssHolidayName(HolidayFileReader(HolidayFileName())) {}

TssHolidayName::TssHolidayName(const String& FileName) : TssHolidayName(HolidayFileReader(FileName)) {}

// ---- the file and the process-wide state ----

String HolidayFileName() { return HolidayFileNameFor(HolidayRegistryText()); }

THolidaySectionReader HolidayFileReader(const String& FileName) {
    return [FileName](const String& Section) { return HolidaySectionLines(ReadSection(FileName, Section)); };
}

TssHoliday* GetHoliday() {
    // make_unique throws before the assignment, so a failed load leaves the slot empty.
    if (!TheHoliday) TheHoliday = std::make_unique<TssHoliday>();
    return TheHoliday.get();
}

const TssHolidayList& GetHolidayItems() { return GetHoliday()->items(); }

void FreeHoliday() {
    TheHoliday.reset();
    YearCache.Clear();
    NameCache.Clear();
}

bool HolidayCacheEnabled() { return CacheEnabled; }

void SetHolidayCacheEnabled(bool Value) {
    CacheEnabled = Value;
    YearCache.Clear();
    NameCache.Clear();
}

TssHolidayHit CachedHoliday(int Year, int Month, int Day) {
    if (Month < 1 || Month > 12 || Day < 1 || Day > 31) return {};
    std::uint64_t generation = GetHoliday()->Generation();
    if (YearCache.Generation != generation) {
        YearCache.Clear();
        YearCache.Generation = generation;
    }
    if (!YearCache.Last || YearCache.LastYear != Year) {
        auto it = YearCache.Years.find(Year);
        if (it == YearCache.Years.end()) {
            std::unique_ptr<YearTable> table = MakeYearTable(Year);
            if (YearCache.Years.size() >= MaxCachedYears) YearCache.Clear();
            it = YearCache.Years.emplace(Year, std::move(table)).first;
        }
        YearCache.Last = it->second.get();
        YearCache.LastYear = Year;
    }
    return YearCache.Last->Days[std::size_t(Month * 32 + Day)];
}

std::shared_ptr<const TssHolidayName> CachedHolidayNames() {
    if (!CacheEnabled) return std::make_shared<TssHolidayName>(HolidayFileName());
    const bool changed = !NameCache.Names || NameCache.Watch.Fired();
    if (changed) {
        NameCache.Watch.WatchRegistry();
        NameCache.Value = HolidayRegistryText();
    }
    // The data folder can change without a notice, so it is asked every time.
    String file = HolidayFileNameFor(NameCache.Value);
    if (changed || file != NameCache.File) {
        NameCache.Names.reset();  // a failed read leaves none, so the next call reads again
        NameCache.Watch.WatchFolder(file);
        NameCache.File = file;
        NameCache.Names = std::make_shared<TssHolidayName>(file);
    }
    return NameCache.Names;
}
