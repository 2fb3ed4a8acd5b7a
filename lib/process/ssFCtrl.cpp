#include "ssFCtrl.h"

#include "Forms.h"
#include "WinApi.h"

namespace {

bool HasWildcard(const String& s) { return s.find_first_of(L"*?") != String::npos; }

struct FindHandle {
    HANDLE h;
    ~FindHandle() { if (h != INVALID_HANDLE_VALUE) FindClose(h); }
};

// The search includes an entry unless it carries a hidden, system or folder bit that the
// attribute mask leaves out.
bool Included(DWORD attr, TssFileType mask) {
    DWORD allowed = 0;
    if (mask.Contains(TssFileAttr::atHidden)) allowed |= FILE_ATTRIBUTE_HIDDEN;
    if (mask.Contains(TssFileAttr::atSystem)) allowed |= FILE_ATTRIBUTE_SYSTEM;
    if (mask.Contains(TssFileAttr::atDirectory)) allowed |= FILE_ATTRIBUTE_DIRECTORY;
    DWORD special = attr & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY);
    return (special & ~allowed) == 0;
}

// Splits a file name at its last dot; the extension keeps the dot.
void SplitExtension(const String& name, String& base, String& ext) {
    auto dot = name.rfind(L'.');
    base = dot == String::npos ? name : name.substr(0, dot);
    ext = dot == String::npos ? String() : name.substr(dot);
}

// Walks pattern over a copy of text: a literal replaces the character at its position (or is
// appended past the end), "?" keeps it, "*" keeps the rest and ends the walk.
String ApplyWildcards(const String& text, const String& pattern) {
    String result = text;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        wchar_t c = pattern[i];
        if (c == L'*') return result;
        if (c == L'?') continue;
        if (i < result.size()) result[i] = c;
        else result += c;
    }
    return result;
}

}  // namespace

String TssFileControl::RenamedName(const String& entryName, const String& pattern) {
    String entryBase, entryExt, patternBase, patternExt;
    SplitExtension(entryName, entryBase, entryExt);
    SplitExtension(pattern, patternBase, patternExt);
    String base = HasWildcard(patternBase) ? ApplyWildcards(entryBase, patternBase) : patternBase;
    String ext = patternExt;
    if (!patternExt.empty() && HasWildcard(patternExt)) {
        ext = L"." + ApplyWildcards(entryExt.empty() ? String() : entryExt.substr(1), patternExt.substr(1));
        if (ext == L".") ext.clear();
    }
    return base + ext;
}

void TssFileControl::SplitPattern(const String& path, String& folder, String& name) {
    auto sep = path.rfind(L'\\');
    folder = sep == String::npos ? String() : path.substr(0, sep + 1);
    name = sep == String::npos ? path : path.substr(sep + 1);
    if (name.empty()) name = L"*.*";
    else if (HasWildcard(name) && name.find(L'.') == String::npos) name += L".*";
}

TssFileControl::TssFileControl(TComponent* AOwner) : TComponent(AOwner) {}

void TssFileControl::StartCall() {
    FFileCount = 0;
    FErrorCode = 0;
    FErrorFile.clear();
}

bool TssFileControl::Fail(std::uint32_t code) {
    FErrorCode = code;
    DoError();
    return false;
}

void TssFileControl::DoError() {
    if (OnError) OnError(this);
}

bool TssFileControl::ssDeleteFile(const String& sPath) {
    StartCall();
    if (sPath.empty()) return Fail(50);
    String folder = ExtractFilePath(sPath);
    String name = ExtractFileName(sPath);
    // Only a concrete file name in a concrete folder is deleted for now: patterns and whole
    // folders need the protected-folder check before anything may go.
    if (name.empty() || HasWildcard(sPath)) {
        FErrorFile = sPath;
        return Fail(50);
    }
    return DeleteEntries(folder, name);
}

bool TssFileControl::DeleteEntries(const String& folder, const String& name) {
    WIN32_FIND_DATAW fd;
    FindHandle find{FindFirstFileW((folder + name).c_str(), &fd)};
    if (find.h == INVALID_HANDLE_VALUE) return true;  // nothing matching
    do {
        String entry = fd.cFileName;
        if (!Included(fd.dwFileAttributes, FAttribute) || (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            continue;
        if ((fd.dwFileAttributes & FILE_ATTRIBUTE_READONLY) && !FAttribute.Contains(TssFileAttr::atReadOnly))
            continue;
        String full = folder + entry;
        SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (!DeleteFileW(full.c_str())) {
            DWORD code = GetLastError();
            if (FErrorFile.empty()) FErrorFile = full;
            return Fail(code);
        }
        ++FFileCount;
        Application->ProcessMessages();
    } while (FindNextFileW(find.h, &fd));
    return true;
}
