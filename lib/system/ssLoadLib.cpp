#include "ssLoadLib.h"

#include "ssComFolder.h"

HMODULE LoadSharedLibrary(const String& Name) {
    HMODULE h = LoadLibraryW((TssCommonFolder::GetObject()->BinFolder() + L"\\" + Name).c_str());
    return h ? h : LoadLibraryW(Name.c_str());
}
