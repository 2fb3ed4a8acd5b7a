#include "ssRegistry.h"

#include "ssOSVer.h"

namespace {

// Deletes base\key after its subkeys, first subkey first; stops at a subkey that will not go.
bool DeleteTree(HKEY base, const String& key, REGSAM access) {
    HKEY k;
    if (RegOpenKeyExW(base, key.c_str(), 0, access, &k) == ERROR_SUCCESS) {
        wchar_t name[256];
        for (;;) {
            DWORD len = 256;
            if (RegEnumKeyExW(k, 0, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
            if (!DeleteTree(k, String(name, len), access)) break;
        }
        RegCloseKey(k);
    }
    return RegDeleteKeyW(base, key.c_str()) == ERROR_SUCCESS;
}

}  // namespace

// The theming library stays loaded from the unit's start-up to the end.
void TssRegistry::Startup() { static const TLibraryHandle theme(L"UxTheme.Dll"); }

TssRegistry::TssRegistry() : TssRegistry(KEY_READ | KEY_WRITE) {}

TssRegistry::TssRegistry(REGSAM access) : TRegistry(access) { SetRootKey(HKEY_LOCAL_MACHINE); }

bool TssRegistry::CreateKey(const String& Key) {
    String relative;
    HKEY base = BaseKeyFor(Key, relative);
    HKEY created;
    if (RegCreateKeyExW(base, relative.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, Access(), nullptr, &created,
                        nullptr) != ERROR_SUCCESS)
        throw ERegistryException(Format(L"キー\u3000%s の作成に失敗しました", {Key}));
    RegCloseKey(created);
    return true;
}

bool TssRegistry::DeleteKey(const String& Key) {
    String relative;
    HKEY base = BaseKeyFor(Key, relative);
    return DeleteTree(base, relative, Access() | KEY_ENUMERATE_SUB_KEYS);
}

void TssRegistry::MoveKey(const String& OldName, const String& NewName, bool Delete) {
    TRegistry::MoveKey(OldName, NewName, Delete);
    // The plain deletion refuses keys that still have subkeys on NT.
    if (Delete && TssOSVer().isWinNT()) DeleteKey(OldName);
}
