#include "ssDir.h"

#include <memory>
#include <vector>

#include "MessagePump.h"
#include "ssWin7Uty.h"

namespace {

constexpr int kPathNotFound = 2;
constexpr int kNotAFolder = 80;
constexpr int kBadName = 123;

// The full path of name, or empty when it cannot be had in MAX_PATH characters.
String FullPath(const String& name) {
    wchar_t buf[MAX_PATH];
    DWORD n = GetFullPathNameW(name.c_str(), MAX_PATH, buf, nullptr);
    return n && n < MAX_PATH ? String(buf, n) : String();
}

// A folder entry counts as a subfolder unless its name begins with a dot, which also keeps
// "." and ".." out.
bool IsSubDir(const WIN32_FIND_DATAW& rec) {
    return (rec.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && rec.cFileName[0] != L'.';
}

bool IsFile(DWORD attr) { return attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY); }

// folder and name joined by exactly one "\".
String Combine(const String& folder, const String& name) {
    String result = folder;
    if (result.empty() || result.back() != L'\\') result += L'\\';
    result.append(name, !name.empty() && name[0] == L'\\' ? 1 : 0);
    return result;
}

// Makes folder the process's current folder; false when it cannot be entered. Reading the
// current folder is cheap and setting it opens the folder, so an unchanged folder is left be.
bool MakeCurrent(const String& folder) {
    wchar_t buf[MAX_PATH];
    DWORD n = GetCurrentDirectoryW(MAX_PATH, buf);
    if (n < MAX_PATH && folder.size() == n && folder.compare(0, n, buf, n) == 0) return true;
    return SetCurrentDirectoryW(folder.c_str()) != 0;
}

String CurrentFolder() {
    wchar_t buf[MAX_PATH];
    DWORD n = GetCurrentDirectoryW(MAX_PATH, buf);
    return n && n < MAX_PATH ? String(buf, n) : String();
}

// A directory search that answers only the entries its attribute mask admits: an entry with
// a hidden, system or folder bit outside the mask is passed over. Closed on every path.
class TFindSearch {
public:
    TFindSearch(const String& pattern, DWORD mask)
        : FExclude(~mask & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY)),
          FHandle(FindFirstFileW(pattern.c_str(), &FRec)) {
        if (FHandle != INVALID_HANDLE_VALUE && !Admitted()) Next();
    }
    ~TFindSearch() {
        if (FHandle != INVALID_HANDLE_VALUE) FindClose(FHandle);
    }
    TFindSearch(const TFindSearch&) = delete;
    TFindSearch& operator=(const TFindSearch&) = delete;

    bool Found() const { return FHandle != INVALID_HANDLE_VALUE; }
    const WIN32_FIND_DATAW& Rec() const { return FRec; }
    // Moves to the next admitted entry; Found() turns false at the end.
    void Next() {
        do {
            if (!FindNextFileW(FHandle, &FRec)) {
                FindClose(FHandle);
                FHandle = INVALID_HANDLE_VALUE;
                return;
            }
        } while (!Admitted());
    }

private:
    bool Admitted() const { return (FRec.dwFileAttributes & FExclude) == 0; }

    DWORD FExclude;
    WIN32_FIND_DATAW FRec;
    HANDLE FHandle;
};

}  // namespace

// ---- TssDirectory ----

TssDirectory::TssDirectory(TComponent* AOwner) : TComponent(AOwner) {}

void TssDirectory::SetDirName(const String& Value) {
    FDirName.clear();
    if (IsFile(GetFileAttributesW(Value.c_str()))) throw CreateInOutError(kNotAFolder);
    FDirName = FullPath(Value);
    if (FDirName.size() == 3) return;
    // "Folder\." resolves to the folder itself, without the trailing separator.
    if (!FDirName.empty() && FDirName.back() == L'\\') FDirName = FullPath(FDirName + L".");
}

void TssDirectory::SetRightDirName(const String& Value) { FDirName = FullPath(Value); }

String TssDirectory::ParentName() const { return IsRoot() ? String() : FullPath(FDirName + L"\\.."); }

String TssDirectory::RootName() const { return FDirName.size() < 3 ? String() : FDirName.substr(0, 3); }

int TssDirectory::Attribute() const { return int(GetFileAttributesW(FDirName.c_str())); }

void TssDirectory::SetAttribute(int Value) {
    if (!SetFileAttributesW(FDirName.c_str(), DWORD(Value) | FILE_ATTRIBUTE_DIRECTORY))
        throw CreateInOutError(int(GetLastError()));
}

int TssDirectory::AttributePlus(int attr) {
    int mask = Attribute() | attr;
    SetAttribute(mask);
    return mask;
}

int TssDirectory::AttributeMinus(int attr) {
    int mask = Attribute() & ~attr;
    SetAttribute(mask);
    return mask;
}

bool TssDirectory::IsExist() const {
    DWORD attr = GetFileAttributesW(FDirName.c_str());
    if (attr == INVALID_FILE_ATTRIBUTES) return false;
    if (IsFile(attr)) throw CreateInOutError(kNotAFolder);
    return true;
}

// ---- TssDirWalk ----

TssDirWalk::TssDirWalk(TComponent* AOwner) : TComponent(AOwner) {}

void TssDirWalk::SetSubDirMask(const String& Value) {
    if (Value.find_first_of(L"\\:") != String::npos) throw CreateInOutError(kBadName);
    FSubDirMask = Value;
}

void TssDirWalk::Execute() {
    FLevel = -1;
    FStopFlag = false;
    String startFolder = CurrentFolder();
    auto dir = std::make_unique<TssDirectory>(this);
    dir->SetDirName(FTargetDirectory);
    if (!dir->IsExist()) throw CreateInOutError(kPathNotFound);
    Visit(dir.get());
    SetCurrentDirectoryW(startFolder.c_str());
}

// Entering a folder is what proves it can be opened. The folder is left current rather than
// put back at once: every handler gets its own folder made current before it runs, and the
// caller's folder comes back at the end of the walk.
void TssDirWalk::Visit(TssDirectory* dir) {
    if (FLevel >= FMaxLevel || !MakeCurrent(dir->FDirName)) return;
    ++FLevel;
    Fire(OnEnterDirectory, dir);
    if (!FStopFlag) ListEntries(dir);
    if (FStopFlag) return;
    Fire(OnExitDirectory, dir);
    --FLevel;
}

// Files in the order the search answers them, then the subfolders. Reading a folder costs far
// more than reporting what is in it, so when files and subfolders are searched with the same
// mask one search serves both: the subfolders are noted while the files are reported.
void TssDirWalk::ListEntries(TssDirectory* dir) {
    const bool oneSearch = SameText(FTargetFile, FSubDirMask);
    const DWORD mask = oneSearch ? SearchMask() | FILE_ATTRIBUTE_DIRECTORY : SearchMask();
    std::vector<String> subDirs;
    for (TFindSearch search(Combine(dir->FDirName, FTargetFile), mask); search.Found() && !FStopFlag; search.Next()) {
        const WIN32_FIND_DATAW& rec = search.Rec();
        if (rec.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (IsSubDir(rec)) subDirs.push_back(rec.cFileName);
        } else if (OnFoundFile) {
            MakeCurrent(dir->FDirName);
            OnFoundFile(dir, rec);
            AfterHandler();
        }
    }
    if (FStopFlag) return;
    if (!oneSearch) {
        for (TFindSearch search(Combine(dir->FDirName, FSubDirMask), SearchMask() | FILE_ATTRIBUTE_DIRECTORY);
             search.Found(); search.Next())
            if (IsSubDir(search.Rec())) subDirs.push_back(search.Rec().cFileName);
    }
    // One folder object serves every subfolder of this folder.
    auto sub = std::make_unique<TssDirectory>(this);
    for (const String& name : subDirs) {
        if (FStopFlag) break;
        sub->FDirName = Combine(dir->FDirName, name);
        if (FRecursive) Visit(sub.get());
        else Fire(OnFoundDir, sub.get());
    }
}

void TssDirWalk::Fire(const TDirWalkEventA& handler, TssDirectory* dir) {
    if (!handler) return;
    MakeCurrent(dir->FDirName);
    handler(dir);
    AfterHandler();
}

void TssDirWalk::AfterHandler() {
    if (FisDoProcessMessages) ProcessPendingMessages();
}

// Plain, read-only and archive files always; hidden and system ones when asked for.
DWORD TssDirWalk::SearchMask() const {
    DWORD mask = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE;
    if (FAttribute.Contains(TssDirWalkAttribute::dwaHidden)) mask |= FILE_ATTRIBUTE_HIDDEN;
    if (FAttribute.Contains(TssDirWalkAttribute::dwaSysFile)) mask |= FILE_ATTRIBUTE_SYSTEM;
    return mask;
}
