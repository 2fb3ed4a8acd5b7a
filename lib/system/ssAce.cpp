#include "ssAce.h"

#include "ssFileSystem.h"
#include "ssLoadLib.h"
#include "ssOSVer.h"

bool AddAce(const String& Path) {
    if (!TssOSVer().isWinNT()) return true;
    if (Path.empty()) return false;
    if (!TssFileSystem(Path[0]).IsNTFS()) return true;
    SetLastError(0);
    TLibraryHandle lib(LoadSharedLibrary(L"Kvr3Acl.DLL"));
    if (!lib)
        throw ErrAce(L"Kvr3Acl.DLLファイルが存在しないか、もしくは壊れています。 (" + IntToStr(GetLastError()) + L")");
    using AddAceFn = int(WINAPI*)(const char*);
    auto fn = lib.Proc<AddAceFn>("KVR_AddAce");
    if (!fn) throw ErrAce(L"Kvr3Acl.DLL関数の取得に失敗しました。 (" + IntToStr(GetLastError()) + L")");
    AnsiString path = StringToAnsi(Path);
    return fn(path.c_str()) == 0;
}
