#include "ssFileNames.h"

#include <algorithm>

#include "SysUtils.h"

bool HasWildcard(const String& s) { return s.find_first_of(L"*?") != String::npos; }

bool IsDots(const wchar_t* name) { return name[0] == L'.' && (!name[1] || (name[1] == L'.' && !name[2])); }

bool IsFolderPath(const String& path) { return !path.empty() && path.back() == L'\\'; }

String WithoutTrailingDelimiter(const String& folder) {
    return IsFolderPath(folder) ? folder.substr(0, folder.size() - 1) : folder;
}

std::vector<String> FolderComponents(const String& folder) {
    std::vector<String> parts;
    String rest = WithoutTrailingDelimiter(folder);
    for (std::size_t from = 0;;) {
        auto sep = rest.find(L'\\', from);
        parts.push_back(rest.substr(from, sep == String::npos ? String::npos : sep - from));
        if (sep == String::npos) return parts;
        from = sep + 1;
    }
}

std::size_t WildcardComponents(const String& folder) {
    const auto parts = FolderComponents(folder);
    return std::size_t(std::count_if(parts.begin(), parts.end(), [](const String& p) { return HasWildcard(p); }));
}

bool IsDriveRoot(const String& full) { return full.size() == 3 && full[1] == L':' && full[2] == L'\\'; }

String PlainPath(String path) {
    std::replace(path.begin(), path.end(), L'/', L'\\');
    if (path.rfind(L"\\\\?\\UNC\\", 0) == 0) return L"\\\\" + path.substr(8);
    if (path.rfind(L"\\\\?\\", 0) == 0) return path.substr(4);
    return path;
}

namespace {

// Splits a file name at its last dot; the extension keeps the dot.
void SplitAtLastDot(const String& name, String& base, String& ext) {
    auto dot = name.rfind(L'.');
    base = dot == String::npos ? name : name.substr(0, dot);
    ext = dot == String::npos ? String() : name.substr(dot);
}

// Walks pattern over a copy of text: a literal replaces the character at its position (or is
// appended past the end), "?" keeps it, "*" keeps the rest and ends the walk.
String ApplyMask(const String& text, const String& pattern) {
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

String JoinFolder(const std::vector<String>& parts) {
    String folder;
    for (const String& part : parts) folder += part + L"\\";
    return folder;
}

}  // namespace

String RenamedName(const String& entryName, const String& pattern) {
    String entryBase, entryExt, patternBase, patternExt;
    SplitAtLastDot(entryName, entryBase, entryExt);
    SplitAtLastDot(pattern, patternBase, patternExt);
    String base = HasWildcard(patternBase) ? ApplyMask(entryBase, patternBase) : patternBase;
    String ext = patternExt;
    if (!patternExt.empty() && HasWildcard(patternExt)) {
        ext = L"." + ApplyMask(entryExt.empty() ? String() : entryExt.substr(1), patternExt.substr(1));
        if (ext == L".") ext.clear();
    }
    return base + ext;
}

void SplitPattern(const String& path, String& folder, String& name) {
    folder = ExtractFilePath(path);
    name = ExtractFileName(path);
    if (name.empty()) name = L"*.*";
    else if (HasWildcard(name) && name.find(L'.') == String::npos) name += L".*";
}

bool SplitAtWildcard(const String& folder, String& head, String& component, String& tail) {
    auto wild = folder.find_first_of(L"*?");
    if (wild == String::npos) return false;
    auto start = folder.rfind(L'\\', wild);
    start = start == String::npos ? 0 : start + 1;
    auto end = folder.find(L'\\', wild);
    head = folder.substr(0, start);
    component = folder.substr(start, end == String::npos ? String::npos : end - start);
    tail = end == String::npos ? String() : folder.substr(end + 1);
    return true;
}

String ReplaceWildcard(const String& folder, const String& name) {
    String head, component, tail;
    if (!SplitAtWildcard(folder, head, component, tail)) return folder;
    String renamed = RenamedName(name, component);
    return head + (renamed.empty() ? String() : renamed + L"\\") + tail;
}

String ConcreteFolder(const String& srcFolder, const String& dstFolder) {
    std::vector<String> src = FolderComponents(srcFolder), dst = FolderComponents(dstFolder), result;
    const std::ptrdiff_t shift = std::ptrdiff_t(src.size()) - std::ptrdiff_t(dst.size());
    for (std::size_t k = 0; k < dst.size(); ++k) {
        if (!HasWildcard(dst[k])) {
            result.push_back(dst[k]);
            continue;
        }
        std::ptrdiff_t from = std::max<std::ptrdiff_t>(0, std::ptrdiff_t(k) + shift);
        String renamed = RenamedName(src[std::size_t(from)], dst[k]);
        if (!renamed.empty()) result.push_back(renamed);
    }
    return JoinFolder(result);
}

bool IsWholeContent(const String& name) {
    return HasWildcard(name) && name.find_first_not_of(L"*?.") == String::npos;
}

bool TakesEveryName(const String& component, const String& tail, const String& name) {
    if (!IsWholeContent(component) || !(name.empty() || IsWholeContent(name))) return false;
    if (tail.empty()) return true;
    const auto parts = FolderComponents(tail);
    return std::all_of(parts.begin(), parts.end(), [](const String& part) { return IsWholeContent(part); });
}

String NumberedName(const String& name, int number, bool folder) {
    const String tag = L" (" + IntToStr(number) + L")";
    const auto dot = name.rfind(L'.');
    if (folder || dot == String::npos || dot == 0) return name + tag;
    return name.substr(0, dot) + tag + name.substr(dot);
}
