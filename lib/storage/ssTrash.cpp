#include "ssTrash.h"

#include <iterator>

#include "ssComFolder.h"

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

}  // namespace

ETrashException::ETrashException(int code) : Exception(TrashMessage(code)), ErrorCode(code), ErrorMsg(Message()) {}

bool ssKVRTrashPath::HasSource() const { return !FsSrc.empty(); }

bool ssKVRTrashPath::IsUNC(const String& Path) const { return Path.compare(0, 2, L"\\\\") == 0; }

String ssKVRTrashPath::FirstChar(const String& Text) const { return Text.substr(0, 1); }

String ssKVRTrashPath::SecondChar(const String& Text) const { return Text.size() < 2 ? String() : Text.substr(1, 1); }

String ssKVRTrashPath::TimeStamp() const { return TrashTimeStamp(Now()); }

String ssKVRTrashPath::NormalizeFolder(const String& Text) const {
    if (Text.empty()) return {};
    return TrashFolderName(StripWildcards(FileExists(Text) ? ExtractFilePath(Text) : Text));
}

String ssKVRTrashPath::AfterColon(const String& Text) const { return ::AfterColon(Text); }

String ssKVRTrashPath::RelativeTo(const String& Path, const String& Base) const {
    return RelativeFolder(NormalizeFolder(Path), NormalizeFolder(Base));
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

String ssKVRTrashPath::StripWildcards(const String& Text) const { return ::StripWildcards(Text); }

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
