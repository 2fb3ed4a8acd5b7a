#include "ssDll.h"

#include "ssComFolder.h"

void TssDll::SetDllName(const String& Value) {
    if (Value == FDllName) return;
    Unload();
    FDllName = Value;
}

bool TssDll::Load() {
    Unload();
    FisLoadErr = false;
    if (ExtractFilePath(FDllName).empty()) {
        FDllHandle = LoadLibraryW((ExtractFilePath(ModuleFileName()) + FDllName).c_str());
        if (!FDllHandle)
            FDllHandle = LoadLibraryW((TssCommonFolder::GetObject()->BinFolder() + L"\\" + FDllName).c_str());
    }
    if (!FDllHandle) FDllHandle = LoadLibraryW(FDllName.c_str());
    if (!FDllHandle) {
        FisLoadErr = true;
        if (OnError) OnError(this);
    }
    return FDllHandle != nullptr;
}

void TssDll::Unload() {
    if (FDllHandle) FreeLibrary(FDllHandle);
    FDllHandle = nullptr;
    FisLoadErr = false;
}

FARPROC TssDll::GetFuncAddress(const AnsiString& Name) {
    FARPROC p = FDllHandle ? GetProcAddress(FDllHandle, Name.c_str()) : nullptr;
    FisLoadErr = p == nullptr;
    if (!p && OnError) OnError(this);
    return p;
}

FARPROC TssDll::GetFuncAddress(const String& Name) { return GetFuncAddress(StringToAnsi(Name)); }
