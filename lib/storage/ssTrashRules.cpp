#include "ssTrashRules.h"

#include <string>

#include "ssStrUty.h"

namespace {

// Everything up to and including the last "\"; the text itself when it has none.
String FolderPart(const String& text) {
    auto sep = text.rfind(L'\\');
    return sep == String::npos ? text : text.substr(0, sep + 1);
}

// A trash root is named by its day, yyyymmdd, and four more characters (its time of day).
constexpr std::size_t kDayDigits = 8;
constexpr std::size_t kTrashRootNameLength = kDayDigits + 4;

}  // namespace

// The calendar's era-aware formatter gives the same digits: the pattern has no era field.
String TrashTimeStamp(TDateTime moment) { return FormatDateTime(L"yyyymmddhhnn", moment); }

int TrashRootDay(const String& name) {
    if (name.size() != kTrashRootNameLength) return -1;
    const String day = name.substr(0, kDayDigits);
    return IsNumeric(day) ? std::stoi(day) : -1;
}

bool IsDriveRootOrNothing(const String& folder) {
    std::size_t kept = 0;  // folder components left after "." and ".."
    String rest = folder;
    if (rest.size() >= 2 && rest[1] == L':') rest.erase(0, 2);
    for (std::size_t from = 0; from <= rest.size();) {
        auto sep = rest.find_first_of(L"\\/", from);
        if (sep == String::npos) sep = rest.size();
        const String part = rest.substr(from, sep - from);
        if (part == L"..") kept -= kept > 0;
        else if (!part.empty() && part != L".") ++kept;
        from = sep + 1;
    }
    return kept == 0;
}

String StripWildcards(const String& Text) {
    String result = Text;
    for (wchar_t wildcard : {L'*', L'?'}) {
        auto at = result.find(wildcard);
        if (at != String::npos) result = FolderPart(result.substr(0, at));
    }
    return result;
}

String TrashFolderName(const String& Text) {
    String folder = Text;
    for (int i = 0; i < 2 && !folder.empty() && folder[0] == L'\\'; ++i) folder.erase(0, 1);
    if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    return folder;
}

String NormalizeTrashFolder(const String& Text) { return TrashFolderName(StripWildcards(Text)); }

String AfterColon(const String& Text) {
    auto colon = Text.find(L':');
    return colon == String::npos ? Text : Text.substr(colon + 1);
}

// Base counts only where it ends at a separator of Path: a sibling that merely starts with the
// same letters ("data2" against "data") keeps its whole path and so cannot collide with Base's
// own subfolders.
String RelativeFolder(const String& Path, const String& Base) {
    if (Base.empty() || Base.size() >= Path.size()) return Path;
    auto at = Path.find(Base + L"\\");
    return at == String::npos ? Path : Path.substr(at + Base.size() + 1);
}
