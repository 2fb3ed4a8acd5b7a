// A support library loaded by name: from the program's folder, the bin folder, then the search.
#pragma once
#include "Classes.h"
#include "WinApi.h"

// A support library loaded by name (from the program's folder, the bin folder, then the
// system's search) and freed with the object; Proc looks up its entry points.
class TssDll : public TComponent {
    SS_CLASS(TssDll, TComponent)
public:
    explicit TssDll(TComponent* AOwner) : TComponent(AOwner) {}
    ~TssDll() override { Unload(); }

    const String& DllName() const { return FDllName; }
    // A different name unloads the library first.
    void SetDllName(const String& Value);
    bool Load();
    void Unload();
    // The entry point, or null (which fires OnError) when there is no library or no such export.
    FARPROC GetFuncAddress(const AnsiString& Name);
    FARPROC GetFuncAddress(const String& Name);
    bool isLoadErr() const { return FisLoadErr; }
    HMODULE Handle() const { return FDllHandle; }

    TNotifyEvent OnError;

private:
    String FDllName;
    HMODULE FDllHandle = nullptr;
    bool FisLoadErr = false;
};
