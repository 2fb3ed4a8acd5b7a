#include "ssFCtrl.h"

#include <new>
#include <unordered_map>
#include <vector>

#include "Dialogs.h"
#include "Forms.h"
#include "WinApi.h"
#include <winternl.h>

#include "ssComFolder.h"
#include "ssDate.h"
#include "ssDir.h"
#include "ssDrive.h"
#include "ssDriveType.h"
#include "ssFCtrlDlg.h"
#include "ssFileNames.h"
#include "ssFileSystem.h"
#include "ssMsgDlg.h"
#include "ssOSVer.h"
#include "ssSysInf.h"
#include "ssTrash.h"

namespace {

using A = TssFileAttr;
const TssFileType kAllAttributes{A::atReadOnly, A::atHidden, A::atSystem, A::atDirectory};
// The attributes a folder can be given.
constexpr DWORD kSettable = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                            FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// The search includes an entry unless it carries a hidden, system or folder bit that the
// attribute mask leaves out.
bool Included(DWORD attr, TssFileType mask) {
    DWORD allowed = 0;
    if (mask.Contains(A::atHidden)) allowed |= FILE_ATTRIBUTE_HIDDEN;
    if (mask.Contains(A::atSystem)) allowed |= FILE_ATTRIBUTE_SYSTEM;
    if (mask.Contains(A::atDirectory)) allowed |= FILE_ATTRIBUTE_DIRECTORY;
    DWORD special = attr & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY);
    return (special & ~allowed) == 0;
}

// The entries of a search that the attribute mask includes, one at a time as the file system
// hands them out.
class EntrySearch {
public:
    EntrySearch(const String& pattern, TssFileType mask) : FMask(mask) {
        FHandle = FindFirstFileW(pattern.c_str(), &FData);
        FPending = FHandle != INVALID_HANDLE_VALUE;
        SkipExcluded();
    }
    ~EntrySearch() {
        if (FHandle != INVALID_HANDLE_VALUE) FindClose(FHandle);
    }
    EntrySearch(const EntrySearch&) = delete;
    EntrySearch& operator=(const EntrySearch&) = delete;

    // The current entry, or null when the search is done.
    const WIN32_FIND_DATAW* Current() const { return FPending ? &FData : nullptr; }
    const WIN32_FIND_DATAW* Next() {
        FPending = FindNextFileW(FHandle, &FData);
        SkipExcluded();
        return Current();
    }

private:
    void SkipExcluded() {
        while (FPending && !Included(FData.dwFileAttributes, FMask)) FPending = FindNextFileW(FHandle, &FData);
    }
    TssFileType FMask;
    HANDLE FHandle;
    WIN32_FIND_DATAW FData;
    bool FPending;
};

HANDLE OpenForQuery(const String& path) {
    return CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// The file system's number for what path names, unique on its volume. (Asking for the volume
// as well costs far more on some platforms, so that is left to SameFile.)
bool GetFileIndex(const String& path, ULONGLONG& index) {
    TKernelHandle file(OpenForQuery(path));
    if (!file.Valid()) return false;
    using QueryFn = LONG(NTAPI*)(HANDLE, IO_STATUS_BLOCK*, PVOID, ULONG, ULONG);
    static const auto query = OptionalProc<QueryFn>(L"ntdll.dll", "NtQueryInformationFile");
    constexpr ULONG kFileInternalInformation = 6;
    IO_STATUS_BLOCK status;
    LARGE_INTEGER internal;
    if (query && query(file.Get(), &status, &internal, sizeof(internal), kFileInternalInformation) == 0) {
        index = ULONGLONG(internal.QuadPart);
        return true;
    }
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(file.Get(), &info)) return false;
    index = (ULONGLONG(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return true;
}

DWORD VolumeSerial(const String& path) {
    TKernelHandle file(OpenForQuery(path));
    BY_HANDLE_FILE_INFORMATION info;
    return file.Valid() && GetFileInformationByHandle(file.Get(), &info) ? info.dwVolumeSerialNumber : 0;
}

// a and b name the same file or folder, whichever names they are reached by.
bool SameFile(const String& a, const String& b) {
    ULONGLONG ia, ib;
    return GetFileIndex(a, ia) && GetFileIndex(b, ib) && ia == ib && VolumeSerial(a) == VolumeSerial(b);
}

// The absolute form of a folder without its trailing "\" (a drive root keeps it); empty when
// the platform cannot make one.
String FullFolderPath(const String& folder) {
    String in = folder.empty() ? String(L".") : folder;
    DWORD n = GetFullPathNameW(in.c_str(), 0, nullptr, nullptr);
    if (!n) return {};
    String full(n, L'\0');
    full.resize(GetFullPathNameW(in.c_str(), n, full.data(), nullptr));
    if (full.rfind(L"\\\\?\\", 0) == 0 && full.size() >= 6 && full[5] == L':') full.erase(0, 4);
    while (full.size() > 3 && full.back() == L'\\') full.pop_back();
    return full;
}

String WithoutDrive(const String& full) {
    return AnsiUpperCase(full.size() >= 2 && full[1] == L':' ? full.substr(2) : full);
}

// path lies strictly inside folder (both absolute, compared without regard to case).
bool IsInside(const String& path, const String& folder) {
    String p = AnsiUpperCase(FullFolderPath(path)), f = AnsiUpperCase(FullFolderPath(folder));
    return !f.empty() && p.size() > f.size() + 1 && p.compare(0, f.size(), f) == 0 && p[f.size()] == L'\\';
}

// Opens an existing file for reading and writing or creates it, and removes what it created.
DWORD FileProbe(const String& name) {
    bool existed;
    {
        TKernelHandle h(CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!h.Valid()) return GetLastError();
        existed = GetLastError() == ERROR_ALREADY_EXISTS;
    }
    if (!existed) DeleteFileW(name.c_str());
    return 0;
}

DWORD DriveReadiness(wchar_t drive) {
    ErrorModeScope quiet;
    String saved(GetCurrentDirectoryW(0, nullptr), L'\0');
    saved.resize(GetCurrentDirectoryW(DWORD(saved.size()), saved.data()));
    DWORD status = SetCurrentDirectoryW((String(1, drive) + L":\\").c_str()) ? 0 : GetLastError();
    SetCurrentDirectoryW(saved.c_str());
    return status;
}

DWORD WriteProbe(wchar_t drive) {
    ErrorModeScope quiet;
    String name = MakeProbeName(String(1, drive) + L":\\");
    if (!TssOSVer().isAboveWinXP() || !TssFileSystem(drive).IsNTFS()) return FileProbe(name);
    if (CreateDirectoryW(name.c_str(), nullptr)) {
        DWORD status = FileProbe(MakeProbeName(name + L"\\"));
        RemoveDirectoryW(name.c_str());
        return status;
    }
    // Access rights of a local volume are no fault of the medium.
    DWORD status = FileProbe(name);
    if (status == ERROR_WRITE_PROTECT) return status;
    return status == ERROR_ACCESS_DENIED && TssDriveType(drive).IsRemote() ? status : 0;
}

String DriveText(wchar_t drive, const wchar_t* middle, const wchar_t* last) {
    return L"装置 " + UpperCase(String(1, drive)) + L": " + middle + L"\r" + last;
}

// Removes a source folder whose content went elsewhere; one that still holds what was left
// behind keeps its place and its attributes.
void RemoveEmptiedFolder(const String& folder, DWORD attributes) {
    attributes &= kSettable;
    SetFileAttributesW(folder.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    if (!RemoveDirectoryW(folder.c_str())) SetFileAttributesW(folder.c_str(), attributes);
}

// A moved file leaves its source only once it is complete at the destination.
DWORD MoveOneFile(const String& src, const String& dst, DWORD srcAttributes, bool replace) {
    if (MoveFileExW(src.c_str(), dst.c_str(), replace ? MOVEFILE_REPLACE_EXISTING : 0)) return 0;
    DWORD code = GetLastError();
    if (code != ERROR_NOT_SAME_DEVICE) return code;
    if (!CopyFileW(src.c_str(), dst.c_str(), FALSE)) return GetLastError();
    if (srcAttributes & FILE_ATTRIBUTE_READONLY)
        SetFileAttributesW(src.c_str(), srcAttributes & kSettable & ~FILE_ATTRIBUTE_READONLY);
    return DeleteFileW(src.c_str()) ? 0 : GetLastError();
}

}  // namespace

String TssFileControl::RenamedName(const String& entryName, const String& pattern) {
    return ::RenamedName(entryName, pattern);
}

void TssFileControl::SplitPattern(const String& path, String& folder, String& name) {
    ::SplitPattern(path, folder, name);
}

bool TssFileControl::SplitAtWildcard(const String& folder, String& head, String& component, String& tail) {
    return ::SplitAtWildcard(folder, head, component, tail);
}

String TssFileControl::ReplaceWildcard(const String& folder, const String& name) {
    return ::ReplaceWildcard(folder, name);
}

String TssFileControl::ConcreteFolder(const String& srcFolder, const String& dstFolder) {
    return ::ConcreteFolder(srcFolder, dstFolder);
}

bool TssFileControl::IsWholeContent(const String& name) { return ::IsWholeContent(name); }

bool TssFileControl::TakesEveryName(const String& component, const String& tail, const String& name) {
    return ::TakesEveryName(component, tail, name);
}

String TssFileControl::NumberedName(const String& name, int number, bool folder) {
    return ::NumberedName(name, number, folder);
}

TssFileControl::TssFileControl(TComponent* AOwner) : TComponent(AOwner), FssFCDlg(std::make_unique<TssFCDialog>()) {
    auto* form = dynamic_cast<TCustomForm*>(AOwner);
    FssFCDlg->SetTitle(form ? form->Caption() : Application->Title());
}

void TssFileControl::SetDialog(const TssFCDialog& Value) { *FssFCDlg = Value; }

TssFileControl::~TssFileControl() = default;

// ---- results and errors ----

void TssFileControl::StartCall() {
    FFileCount = 0;
    FErrorCode = 0;
    FErrorFile.clear();
    FProtection.reset();
}

bool TssFileControl::Fail(std::uint32_t code) {
    FErrorCode = code;
    DoError();
    return false;
}

bool TssFileControl::FailOn(const String& file, std::uint32_t code) {
    if (FErrorFile.empty()) FErrorFile = file;
    return Fail(code);
}

void TssFileControl::DoError() {
    if (Ffm) Ffm->Hide();
    if (OnError) OnError(this);
}

// Paths beyond the platform's limit are refused whole rather than cut to another name.
bool TssFileControl::Fits(const String& path) {
    return path.size() < MAX_PATH || FailOn(path, ERROR_FILENAME_EXCED_RANGE);
}

bool TssFileControl::CheckPathDrive(const String& path, int mode) {
    if (!FEnableDrvCheck || path.size() < 2 || path[1] != L':' || DrvCheck(path[0], mode)) return true;
    DoError();
    return false;
}

bool TssFileControl::WithProgress(bool isCopy, const std::function<bool()>& work) {
    ShowProgress(isCopy);
    struct Hide {
        TssFileControl* self;
        ~Hide() { self->HideProgress(); }
    } hide{this};
    return work();
}

// An operation that runs inside another (the rest-file deletion of a copy) keeps the outer one's window.
void TssFileControl::ShowProgress(bool isCopy) {
    if (FProgressDepth++ == 0 && FEnabledDlg) Ffm = ShowFileControlForm(isCopy, *FssFCDlg, Owner());
}

void TssFileControl::HideProgress() {
    if (--FProgressDepth == 0) Ffm.reset();
}

// ---- the operations ----

bool TssFileControl::ssCopyFile(const String& sSrc, const String& sDst) {
    StartCall();
    String src = PlainPath(sSrc), dst = PlainPath(sDst);
    if (src.empty() || dst.empty() || (IsFolderPath(src) && !IsFolderPath(dst))) return Fail(50);
    if (!CheckPathDrive(src, 0) || !CheckPathDrive(dst, 1)) return false;
    return WithProgress(true, [&] { return CopyPatterns(src, dst); });
}

bool TssFileControl::ssMoveFile(const String& sPath, const String& sDstFolder) {
    StartCall();
    String src = PlainPath(sPath), dst = PlainPath(sDstFolder);
    if (src.empty() || dst.empty()) return Fail(50);
    if (!CheckPathDrive(src, 0) || !CheckPathDrive(dst, 1)) return false;
    return WithProgress(true, [&] { return PatternAllowed(src, src) && MovePatterns(src, IncludeTrailingPathDelimiter(dst)); });
}

bool TssFileControl::ssDeleteFile(const String& sPath) {
    StartCall();
    String path = PlainPath(sPath);
    if (path.empty()) return Fail(50);
    if (!CheckPathDrive(path, 1)) return false;
    return WithProgress(false, [&] { return PatternAllowed(path, path) && DeletePattern(path); });
}

// A pattern is refused as a whole, before anything is touched, when one of its expansions
// would empty a protected folder: a folder found for it whose whole content goes, or a
// protected folder below which a folder wildcard takes every name ("X\*\", "X\*\*.*"). The
// check during the work then only meets what the pattern reaches below its folders.
bool TssFileControl::PatternAllowed(const String& path, const String& given) {
    const String folder = ExtractFilePath(path), name = ExtractFileName(path);
    String head, component, tail;
    if (!SplitAtWildcard(folder, head, component, tail)) {
        String F, N;
        SplitPattern(path, F, N);
        return !Prohibited(F, N, given);
    }
    if (TakesEveryName(component, tail, name) && Prohibited(head, L"*.*", given)) return false;
    return ExpandFolders(folder, name, false,
                         [&](const String& expanded, const String&) { return PatternAllowed(expanded, given); });
}

// Calls each for every folder that the first wildcard component of folder matches, with the
// path that the folder makes of folder + name, as the folders are found; stops at the first
// failure. Links to other folders are passed over unless intoLinks.
bool TssFileControl::ExpandFolders(const String& folder, const String& name, bool intoLinks, const TFoundFolder& each) {
    String head, component, tail;
    SplitAtWildcard(folder, head, component, tail);
    if (!Fits(head + component)) return false;
    EntrySearch search(head + component, FAttribute + TssFileType{A::atDirectory});
    for (auto* fd = search.Current(); fd; fd = search.Next()) {
        if (!(fd->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || IsDots(fd->cFileName)) continue;
        if (!intoLinks && (fd->dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) continue;
        if (!each(head + fd->cFileName + L"\\" + tail + name, fd->cFileName)) return false;
    }
    return true;
}

// ---- copying and moving ----

bool TssFileControl::CopyPatterns(const String& src, const String& dst) {
    const String srcFolder = ExtractFilePath(src), srcName = ExtractFileName(src);
    const String dstFolder = ExtractFilePath(dst), dstName = ExtractFileName(dst);
    if (HasWildcard(srcFolder)) {
        const bool follow = WildcardComponents(dstFolder) >= WildcardComponents(srcFolder);
        return ExpandFolders(srcFolder, srcName, true, [&](const String& path, const String& found) {
            return CopyPatterns(path, follow ? ReplaceWildcard(dstFolder, found) + dstName : dst);
        });
    }
    if (HasWildcard(dstFolder)) return CopyPatterns(src, ConcreteFolder(srcFolder, dstFolder) + dstName);
    String S, N, D, M;
    SplitPattern(src, S, N);
    SplitPattern(dst, D, M);
    return TransferFiles(S, N, D, M, false);
}

bool TssFileControl::MovePatterns(const String& src, const String& dstFolder) {
    const String srcFolder = ExtractFilePath(src);
    if (HasWildcard(srcFolder))
        // A link stays where it is, as in a moved folder.
        return ExpandFolders(srcFolder, ExtractFileName(src), false,
                             [&](const String& path, const String&) { return MovePatterns(path, dstFolder); });
    String S, N;
    SplitPattern(src, S, N);
    return TransferFiles(S, N, dstFolder, L"*.*", true);
}

// Copies or moves what S + N matches into D, renamed by M.
bool TssFileControl::TransferFiles(const String& S, const String& N, const String& D, const String& M, bool move) {
    if (!Fits(S + N)) return false;
    // Moving a protected folder's whole content away empties it as surely as deleting it.
    if (move && Prohibited(S, N, S + N)) return false;
    const bool restDelete = FFile == TssCopyFiles::cfRestFilesDelete;
    TNameSet expected;
    if (restDelete && !ExpectedNames(S, N, M, expected)) return false;
    if (FFile == TssCopyFiles::cfExistFiles && !DirectoryExists(D)) return true;
    EntrySearch search(S + N, FAttribute);
    if (search.Current() && !ForceFolder(D)) return false;
    for (auto* fd = search.Current(); fd; fd = search.Next()) {
        if (IsDots(fd->cFileName)) continue;
        if ((fd->dwFileAttributes & FILE_ATTRIBUTE_READONLY) && !FAttribute.Contains(A::atReadOnly)) continue;
        if (fd->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (HasWildcard(N) && !TransferFolder(S, N, D, M, *fd, move)) return false;
        } else if (!TransferFile(S, D, M, *fd, move)) {
            return false;
        }
        Application->ProcessMessages();
    }
    return !restDelete || DeleteRest(D, expected, FAttribute.Contains(A::atDirectory));
}

namespace {
// Destination names of a folder compare as the file system compares them.
String NameKey(const String& name) { return AnsiUpperCase(name); }
}  // namespace

// The names that S + N gives in the destination, for deleting the rest there afterwards.
bool TssFileControl::ExpectedNames(const String& S, const String& N, const String& M, TNameSet& names) {
    // A source folder that is not there is an error here, not an empty source: the rest of
    // the destination would be everything.
    if (!DirectoryExists(S.empty() ? String(L".") : S)) return FailOn(S, ERROR_PATH_NOT_FOUND);
    try {
        EntrySearch search(S + N, FAttribute);
        for (auto* fd = search.Current(); fd; fd = search.Next()) {
            if (IsDots(fd->cFileName)) continue;
            if (!(fd->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || HasWildcard(N))
                names.insert(NameKey(RenamedName(fd->cFileName, M)));
        }
    } catch (const std::bad_alloc&) {
        return Fail(50);
    }
    return true;
}

bool TssFileControl::TransferFile(const String& S, const String& D, const String& M, const WIN32_FIND_DATAW& entry,
                                  bool move) {
    const String src = S + entry.cFileName, dst = Destination(D, RenamedName(entry.cFileName, M), false);
    if (!Fits(src) || !Fits(dst)) return false;
    WIN32_FILE_ATTRIBUTE_DATA existing;
    const bool exists = GetFileAttributesExW(dst.c_str(), GetFileExInfoStandard, &existing);
    const bool replace = !exists || FCopyMode == TssCopyMode::cmOverwrite ||
                         CompareFileTime(&existing.ftLastWriteTime, &entry.ftLastWriteTime) < 0;
    const bool transfer = FFile == TssCopyFiles::cfExistFiles      ? exists && replace
                          : FFile == TssCopyFiles::cfNotExistFiles ? !exists
                                                                   : replace;
    // A file copied or moved onto itself is already where it should be.
    if (!transfer || (exists && SameFile(src, dst))) return true;
    if (exists) SetFileAttributesW(dst.c_str(), FILE_ATTRIBUTE_NORMAL);
    DWORD code = move ? MoveOneFile(src, dst, entry.dwFileAttributes, exists)
                      : (CopyFileW(src.c_str(), dst.c_str(), FALSE) ? 0 : GetLastError());
    if (code) return FailOn(src, code);
    ++FFileCount;
    return true;
}

bool TssFileControl::TransferFolder(const String& S, const String& N, const String& D, const String& M,
                                    const WIN32_FIND_DATAW& entry, bool move) {
    const String src = S + entry.cFileName, dst = Destination(D, RenamedName(entry.cFileName, M), true);
    if (!Fits(src + L"\\") || !Fits(dst + L"\\")) return false;
    if (FFile == TssCopyFiles::cfExistFiles && !DirectoryExists(dst)) return true;
    // A link stays behind: what it points to is not moved out of its place.
    if (move && (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) return true;
    // A folder cannot take in a copy of itself.
    if (IsInside(dst, src)) return FailOn(src, ERROR_INVALID_PARAMETER);
    if (!ForceFolder(dst) || !TransferFiles(src + L"\\", N, dst + L"\\", M, move)) return false;
    // The attributes come last, so that a read-only folder is filled first.
    SetFileAttributesW(dst.c_str(), entry.dwFileAttributes & kSettable);
    // Entries left behind (kept by the filters or the attribute mask) keep the folder.
    if (move) RemoveEmptiedFolder(src, entry.dwFileAttributes);
    return true;
}

// D + name, or while nothing may be replaced and that is taken, the first free numbered name.
String TssFileControl::Destination(const String& D, const String& name, bool folder) const {
    if (!FKeepTaken || !FileOrDirectoryExists(D + name)) return D + name;
    for (int number = 2;; ++number) {
        const String numbered = D + NumberedName(name, number, folder);
        if (!FileOrDirectoryExists(numbered)) return numbered;
    }
}

bool TssFileControl::DeleteRest(const String& D, const TNameSet& expected, bool keepListedFolders) {
    if (!Fits(D + L"*.*")) return false;
    // Mirroring into a protected folder would empty it as surely as deleting it.
    if (Prohibited(D, L"*.*", D)) return false;
    struct Restore {
        TssFileControl* self;
        TssFileType attribute;
        int count;
        ~Restore() {
            self->FAttribute = attribute;
            self->FFileCount = count;
        }
    } restore{this, FAttribute, FFileCount};
    FAttribute = kAllAttributes;
    EntrySearch search(D + L"*.*", kAllAttributes);
    for (auto* fd = search.Current(); fd; fd = search.Next()) {
        if (IsDots(fd->cFileName)) continue;
        const bool folder = fd->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
        if ((!folder || keepListedFolders) && expected.count(NameKey(fd->cFileName))) continue;
        if (!DeletePattern(D + fd->cFileName + (folder ? L"\\" : L""))) return false;
    }
    return true;
}

// Creates folder with every missing parent; a bare network prefix is never created.
bool TssFileControl::ForceFolder(const String& folder) {
    const String dir = WithoutTrailingDelimiter(folder);
    if (dir.empty() || dir.back() == L':' || DirectoryExists(dir)) return true;
    if (!Fits(dir)) return false;
    const String parent = ExtractFileDir(dir);
    const bool networkPrefix = parent.size() <= 2 && parent.find_first_not_of(L'\\') == String::npos;
    if (!parent.empty() && parent != dir && !networkPrefix && !ForceFolder(parent)) return false;
    if (CreateDirectoryW(dir.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS) return true;
    return FailOn(dir, GetLastError());
}

// ---- deleting ----

bool TssFileControl::DeletePattern(const String& path) {
    const String folder = ExtractFilePath(path), name = ExtractFileName(path);
    if (HasWildcard(folder))
        return ExpandFolders(folder, name, false, [&](const String& expanded, const String&) {
            return DeletePattern(expanded);
        });
    String F, N;
    SplitPattern(path, F, N);
    if (!DeleteContent(F, N, path)) return false;
    if (!name.empty()) return true;
    // A folder path loses the folder itself; a drive's root stays.
    const String dir = WithoutTrailingDelimiter(F);
    if (dir.empty() || dir.back() == L':' || !DirectoryExists(dir)) return true;
    return RemoveDirectoryW(dir.c_str()) || FailOn(dir, GetLastError());
}

// Deletes what name N matches in the concrete folder F (path is how the caller named it).
bool TssFileControl::DeleteContent(const String& F, const String& N, const String& path) {
    if (!Fits(F + N) || Prohibited(F, N, path)) return false;
    EntrySearch search(F + N, FAttribute);
    for (auto* fd = search.Current(); fd; fd = search.Next()) {
        if (IsDots(fd->cFileName)) continue;
        const DWORD attributes = fd->dwFileAttributes;
        if ((attributes & FILE_ATTRIBUTE_READONLY) && !FAttribute.Contains(A::atReadOnly)) continue;
        const String entry = F + fd->cFileName;
        if (!Fits(entry)) return false;
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (HasWildcard(N) && !DeleteSubfolder(entry, N, attributes)) return false;
        } else {
            if (attributes & FILE_ATTRIBUTE_READONLY) SetFileAttributesW(entry.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (!DeleteFileW(entry.c_str())) return FailOn(entry, GetLastError());
            ++FFileCount;
        }
        Application->ProcessMessages();
    }
    return true;
}

bool TssFileControl::DeleteSubfolder(const String& folder, const String& N, std::uint32_t attributes) {
    // A link goes as itself: what it points to is no part of the folder being emptied.
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        const String content = folder + L"\\";
        if (!DeleteContent(content, N, content + N)) return false;
    }
    if (attributes & FILE_ATTRIBUTE_READONLY)
        SetFileAttributesW(folder.c_str(), attributes & kSettable & ~FILE_ATTRIBUTE_READONLY);
    return RemoveDirectoryW(folder.c_str()) || FailOn(folder, GetLastError());
}

// The protected folders of one call, and the file numbers of the folders the check met.
struct TssFileControl::TProtection {
    struct Folder {
        String path, key;  // key: the absolute path without its drive, upper-cased
        bool tree;         // its subfolders too
    };
    std::vector<Folder> folders;
    std::unordered_map<String, std::pair<bool, ULONGLONG>> indexes;

    explicit TProtection(const std::vector<TProtectedFolder>& named) {
        for (const auto& [path, tree] : named) {
            const String full = path.empty() ? String() : FullFolderPath(path);
            if (!full.empty()) folders.push_back({full, WithoutDrive(full), tree});
        }
    }
    const std::pair<bool, ULONGLONG>& Index(const String& full) {
        auto found = indexes.find(full);
        if (found == indexes.end()) {
            ULONGLONG index = 0;
            bool known = GetFileIndex(full, index);
            found = indexes.emplace(full, std::make_pair(known, index)).first;
        }
        return found->second;
    }
    // Folder a (absolute) is protected folder f by identity.
    bool Is(const String& a, const Folder& f) {
        const auto& ia = Index(a);
        const auto& ifolder = Index(f.path);
        return ia.first && ifolder.first && ia.second == ifolder.second && VolumeSerial(a) == VolumeSerial(f.path);
    }
};

std::vector<TssFileControl::TProtectedFolder> TssFileControl::ProtectedFolders() const {
    TssSystemInfo system;
    const String windows = system.WindowsDir();
    TssCommonFolder* maker = TssCommonFolder::GetObject();
    return {{windows, false},
            {system.SystemDir(), true},
            // the native system folder as a 32-bit program on 64-bit Windows reaches it
            {IncludeTrailingPathDelimiter(windows) + L"Sysnative", true},
            {maker->BinFolder(), false},
            {maker->DataFolder(), false},
            {maker->CompanyRootFolder(), false}};
}

// Why deleting name in folder is refused: 5 for a fixed drive's root, 19 for a protected
// folder, 0 when it is allowed. Folders are compared by their absolute paths without regard to
// case or drive letter, and by identity, so that no other spelling or alias of them passes.
std::uint32_t TssFileControl::ProtectionCode(const String& folder, const String& name) {
    if (!IsWholeContent(name)) return 0;
    const String full = FullFolderPath(folder);
    if (full.empty() || !DirectoryExists(full)) return 0;
    if (IsDriveRoot(full)) return TssDriveType(full[0]).IsFixed() ? 5 : 0;
    if (!FProtection) FProtection = std::make_unique<TProtection>(ProtectedFolders());
    const String key = WithoutDrive(full);
    for (const auto& f : FProtection->folders)
        if (key == f.key || (f.tree && key.rfind(f.key + L"\\", 0) == 0)) return 19;
    // the folder itself, then each of its parents for the protected trees
    bool self = true;
    for (String a = full;; a = ExtractFileDir(a), self = false) {
        for (const auto& f : FProtection->folders)
            if ((self || f.tree) && FProtection->Is(a, f)) return 19;
        if (a.size() <= 3 || ExtractFileDir(a) == a) return 0;
    }
}

bool TssFileControl::Prohibited(const String& F, const String& N, const String& path) {
    bisProhibited = false;
    const DWORD code = ProtectionCode(F, N);
    if (!code) return false;
    bisProhibited = true;
    String shown = F.empty() ? FullFolderPath(F) : F;
    if (shown.size() > 1 && shown.back() == L'\\' && !(shown.size() == 3 && shown[1] == L':')) shown.pop_back();
    ShowProhibited(shown + L"フォルダの削除に失敗しました。\r\n処理を中止します。");
    FErrorFile = path;
    Fail(code);
    return true;
}

void TssFileControl::ShowProhibited(const String& text) {
    MessageDlg(text, TMsgDlgType::mtInformation, {TMsgDlgBtn::mbOK}, 0);
}

// ---- drives ----

bool TssFileControl::DrvCheck(wchar_t drive, int mode) {
    for (;;) {
        DWORD status = DriveReadiness(drive);
        if (status == 0 && !(mode == 0 && TssFileSystem(drive).FileSystemName() == L"CDFS")) status = WriteProbe(drive);
        int answer;
        switch (status) {
            case 0:
                return true;
            case ERROR_ACCESS_DENIED:
            case ERROR_WRITE_PROTECT:
            case ERROR_NETWORK_ACCESS_DENIED:
                if (!(mode & 3)) return true;  // reading is fine
                answer = DrvProtectedDlg(drive);
                break;
            case ERROR_NOT_READY:
                answer = DrvNotReadyDlg(drive);
                break;
            case ERROR_GEN_FAILURE:
                answer = DrvNotFormatDlg(drive);
                break;
            default:
                answer = DrvErrorDlg(drive);
        }
        if (answer != 4) {
            FErrorCode = status;
            return false;
        }
    }
}

std::uint32_t TssFileControl::DrvStatus(wchar_t drive) {
    DWORD status = DriveReadiness(drive);
    return status ? status : WriteProbe(drive);
}

int TssFileControl::DrvNotReadyDlg(wchar_t drive) {
    return AskDrive(DriveText(drive, L"の準備が出来ていません", L"確認してください"));
}

int TssFileControl::DrvProtectedDlg(wchar_t drive) {
    return AskDrive(DriveText(drive, L"に書き込みが出来ません", L"書き込み可の状態にしてください"));
}

int TssFileControl::DrvNotFormatDlg(wchar_t drive) {
    return AskDrive(DriveText(drive, L"はフォーマットされていません", L"確認してください"));
}

int TssFileControl::DrvErrorDlg(wchar_t drive) { return AskDrive(DriveText(drive, L"のエラーです", L"確認してください")); }

int TssFileControl::AskDrive(const String& text) {
    TssMessageDialog dialog(Owner());
    MessageDialog = &dialog;
    struct Forget {
        TssMessageDialog*& dialog;
        ~Forget() { dialog = nullptr; }
    } forget{MessageDialog};
    dialog.SetTitle(L"確認");
    dialog.PosOption()->SetScreenCenter(true);
    dialog.SetButtons({TssMDialogBtnKind::dbkCancel, TssMDialogBtnKind::dbkRetry});
    dialog.SetDefaultButton(TssMDialogBtnKind::dbkRetry);
    dialog.SetIconType(TMsgDlgType::mtWarning);
    dialog.SetMsg(text);
    return dialog.Execute() == int(TssMDialogModalResult::dmrCancel) ? 2 : 4;
}

// ---- recycling ----

namespace {
// A folder that the purge may hand to the deletion as "folder\": no link (its content lies
// elsewhere), and a name the platform takes as it is (one with trailing dots or spaces would
// name another folder).
bool PurgeableFolder(TssDirectory* dir) {
    const int attributes = dir->Attribute();
    return attributes != -1 && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
           FullFolderPath(dir->DirName()) == dir->DirName();
}
}  // namespace

TDateTime TssFileControl::Today() const { return Date(); }

// Removes the folder of the folder path, or each folder its folder wildcards find, when the
// recycling emptied it.
void TssFileControl::RemoveEmptiedFolders(const String& path) {
    const String folder = ExtractFilePath(path);
    if (HasWildcard(folder)) {
        ExpandFolders(folder, L"", false, [&](const String& expanded, const String&) {
            RemoveEmptiedFolders(expanded);
            return true;
        });
        return;
    }
    const String dir = WithoutTrailingDelimiter(folder);
    const DWORD attributes = GetFileAttributesW(dir.c_str());
    if (dir.empty() || dir.back() == L':' || attributes == INVALID_FILE_ATTRIBUTES) return;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) RemoveEmptiedFolder(dir, attributes);
}

bool TssFileControl::ssRecycleDelete(const String& sSrc, const String& sRecyclePath) {
    const String trash = sRecyclePath.empty()
                             ? IncludeTrailingPathDelimiter(TssCommonFolder::GetObject()->CompanyRootFolder())
                             : sRecyclePath;
    struct Restore {
        TssFileControl* self;
        TssFileType attribute;
        TssCopyFiles files;
        TssCopyMode mode;
        ~Restore() {
            self->FAttribute = attribute;
            self->FFile = files;
            self->FCopyMode = mode;
        }
    } restore{this, FAttribute, FFile, FCopyMode};
    FAttribute = kAllAttributes;
    FFile = TssCopyFiles::cfAllFiles;
    FCopyMode = TssCopyMode::cmOverwrite;

    String purgeFolder;
    bool result;
    {
        ssKVRTrashPath trashPath;
        trashPath.SetPath(sSrc, trash);
        FRecycleRootPath = trashPath.RecycleRootPath();
        purgeFolder = trashPath.RecycleDeletePath();
        // Nothing in the trash is replaced. The move also refuses a protected folder's whole
        // content before anything goes.
        FKeepTaken = true;
        struct KeepTaken {
            bool& flag;
            ~KeepTaken() { flag = false; }
        } keepTaken{FKeepTaken};
        result = ssMoveFile(sSrc, trashPath.RecyclePath());
    }
    if (!result) return false;
    // Only what went into the trash leaves the source: emptied folders go, a link stays.
    if (IsFolderPath(PlainPath(sSrc))) RemoveEmptiedFolders(PlainPath(sSrc));
    if (!DirectoryExists(purgeFolder)) return true;

    TssDate day;
    day.CreateFromDateTime(Today());
    day.AddD(-10, true);
    Fi10BeforeDay = day.SeirekiINT();

    struct ListScope {
        TssFileControl* self;
        ~ListScope() { self->FDelDirList.reset(); }
    } listScope{this};
    FDelDirList = std::make_unique<TStringList>();
    TssDirWalk walk(nullptr);
    walk.SetTargetDirectory(purgeFolder);
    walk.SetRecursive(false);
    walk.SetisDoProcessMessages(false);
    walk.OnFoundDir = [this](TssDirectory* dir) {
        const int rootDay = TrashRootDay(ExtractFileName(dir->DirName()));
        if (rootDay >= 0 && rootDay < Fi10BeforeDay && PurgeableFolder(dir))
            FDelDirList->Add(dir->DirName() + L"\\");
    };
    walk.Execute();
    for (int i = 0; i < FDelDirList->Count(); ++i)
        if (!ssDeleteFile(FDelDirList->Get(i))) return false;
    return true;
}
