#include "ssTrash.h"

#include <iterator>

#include "ssComFolder.h"
#include "ssDateUty.h"

namespace {

enum TrashError { kNoSource = 0, kNoResult = 1, kRootDestination = 2, kUncMismatch = 3 };

const wchar_t* const kTrashMessages[] = {
    L"プロパティ値が正しくセットされていません。\r\n引数を再度確認して正しく指定してください。",
    L"移動先フォルダの編集が正しく処理出来ません。\r\n引数(移動先)を再度確認して正しく指定してください。",
    L"移動先フォルダ指定にルートを指定出来ません。\r\n移動先フォルダを、再度確認して指定し直してください。",
    L"移動元のUNCと、移動先のUNCが制限事項から外れています。\r\nUNCフォルダの指定を確認して指定し直してください。",
};

String TrashMessage(int code) {
    return code >= 0 && code < int(std::size(kTrashMessages)) ? kTrashMessages[code] : String();
}

// Everything up to and including the last "\"; the text itself when it has none.
String FolderPart(const String& text) {
    auto sep = text.rfind(L'\\');
    return sep == String::npos ? text : text.substr(0, sep + 1);
}

}  // namespace

String TrashTimeStamp(TDateTime moment) { return FormatEraDate(L"yyyymmddhhnn", moment); }

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

ETrashException::ETrashException(int code) : Exception(TrashMessage(code)), ErrorCode(code), ErrorMsg(Message()) {}

bool ssKVRTrashPath::HasSource() const { return !FsSrc.empty(); }

bool ssKVRTrashPath::IsUNC(const String& Path) const { return Path.compare(0, 2, L"\\\\") == 0; }

String ssKVRTrashPath::FirstChar(const String& Text) const { return Text.substr(0, 1); }

String ssKVRTrashPath::SecondChar(const String& Text) const { return Text.size() < 2 ? String() : Text.substr(1, 1); }

String ssKVRTrashPath::TimeStamp() const { return TrashTimeStamp(Now()); }

String ssKVRTrashPath::NormalizeFolder(const String& Text) const {
    if (Text.empty()) return {};
    String folder = StripWildcards(FileExists(Text) ? ExtractFilePath(Text) : Text);
    for (int i = 0; i < 2 && !folder.empty() && folder[0] == L'\\'; ++i) folder.erase(0, 1);
    if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    return folder;
}

String ssKVRTrashPath::AfterColon(const String& Text) const {
    auto colon = Text.find(L':');
    return colon == String::npos ? Text : Text.substr(colon + 1);
}

// Base counts only where it ends at a separator of Path: a sibling that merely starts with the
// same letters ("data2" against "data") keeps its whole path and so cannot collide with Base's
// own subfolders.
String ssKVRTrashPath::RelativeTo(const String& Path, const String& Base) const {
    String path = NormalizeFolder(Path);
    String base = NormalizeFolder(Base);
    if (base.empty() || base.size() >= path.size()) return path;
    auto at = path.find(base + L"\\");
    return at == String::npos ? path : path.substr(at + base.size() + 1);
}

void ssKVRTrashPath::BuildPaths(const String& Src, const String& Dst) {
    String source = ExtractFilePath(Src);
    String trash;  // the destination folder that receives Recycle
    String part;   // the source's folders below the dated root
    if (IsUNC(source)) {
        if (Dst.empty()) {
            trash = NormalizeFolder(TssCommonFolder::GetObject()->BinFolder());
            part = NormalizeFolder(AfterColon(source));
        } else if (IsUNC(Dst)) {
            trash = L"\\\\" + NormalizeFolder(Dst);
            part = RelativeTo(source, Dst);
        } else if (FirstChar(Dst) == L"\\") {
            throw ETrashException(kUncMismatch);
        } else {
            trash = NormalizeFolder(Dst);
            part = NormalizeFolder(source);
        }
    } else {
        // A destination without a drive lies on the source's drive.
        String drive = FirstChar(source) + L":\\";
        if (Dst.empty()) trash = drive + NormalizeFolder(AfterColon(TssCommonFolder::GetObject()->BinFolder()));
        else if (IsUNC(Dst)) trash = L"\\\\" + NormalizeFolder(Dst);
        else if (FirstChar(Dst) == L"\\") trash = drive + NormalizeFolder(Dst);
        else trash = NormalizeFolder(Dst);
        part = NormalizeFolder(AfterColon(source));
    }
    if (IsDriveRootOrNothing(trash)) throw ETrashException(kRootDestination);
    FRecycleDeletePath = trash + L"\\Recycle";
    FRecycleRootPath = FRecycleDeletePath + L"\\" + TimeStamp();
    // A source at a drive root has no folders to mirror: it lands in the dated root itself.
    FRecyclePath = FRecycleRootPath + L"\\" + (part.empty() ? String() : part + L"\\");
}

String ssKVRTrashPath::StripWildcards(const String& Text) const {
    String result = Text;
    for (wchar_t wildcard : {L'*', L'?'}) {
        auto at = result.find(wildcard);
        if (at != String::npos) result = FolderPart(result.substr(0, at));
    }
    return result;
}

void ssKVRTrashPath::SetPath(const String& sSrc, const String& sDst) {
    FsSrc = sSrc;
    FsDst = sDst;
    FRecycleRootPath.clear();
    FRecyclePath.clear();
    FRecycleDeletePath.clear();
    if (!HasSource()) throw ETrashException(kNoSource);
    BuildPaths(FsSrc, FsDst);
    if (FRecycleRootPath.empty() || FRecyclePath.empty()) throw ETrashException(kNoResult);
}
