#include "ssWin7Uty.h"

#include "WinApi.h"
#include <objbase.h>
#include <propidl.h>

#include "Forms.h"
#include "ssOSVer.h"

namespace {

// PKEY_AppUserModel_PreventPinning and the window property store's interface.
const GUID kAppUserModelFmtId = {0x9F4C2855, 0x9F79, 0x4B39, {0xA8, 0xD0, 0xE1, 0xD4, 0x2D, 0xE1, 0xD5, 0xF3}};
const GUID kPropertyStoreIid = {0x886D8EEB, 0x8CF2, 0x4446, {0x8D, 0x02, 0xCD, 0xBA, 0x1D, 0xBD, 0xCF, 0x99}};

struct PropertyKey {
    GUID fmtid;
    DWORD pid;
};

// The property store's methods in their table order.
struct IPropertyStoreVtbl;
struct IPropertyStoreObj {
    const IPropertyStoreVtbl* vtbl;
};
struct IPropertyStoreVtbl {
    HRESULT(STDMETHODCALLTYPE* QueryInterface)(IPropertyStoreObj*, REFIID, void**);
    ULONG(STDMETHODCALLTYPE* AddRef)(IPropertyStoreObj*);
    ULONG(STDMETHODCALLTYPE* Release)(IPropertyStoreObj*);
    HRESULT(STDMETHODCALLTYPE* GetCount)(IPropertyStoreObj*, DWORD*);
    HRESULT(STDMETHODCALLTYPE* GetAt)(IPropertyStoreObj*, DWORD, PropertyKey*);
    HRESULT(STDMETHODCALLTYPE* GetValue)(IPropertyStoreObj*, const PropertyKey&, PROPVARIANT*);
    HRESULT(STDMETHODCALLTYPE* SetValue)(IPropertyStoreObj*, const PropertyKey&, const PROPVARIANT&);
    HRESULT(STDMETHODCALLTYPE* Commit)(IPropertyStoreObj*);
};

// Sets the pinning property to value, or clears it for VT_EMPTY; failures are ignored.
void SetPinning(HWND hWnd, const PROPVARIANT& value) {
    if (!hWnd) hWnd = Application->Handle();
    HMODULE shell = LoadLibraryW(L"Shell32.dll");
    if (!shell) return;
    using GetStoreFn = HRESULT(WINAPI*)(HWND, REFIID, void**);
    if (auto fn = reinterpret_cast<GetStoreFn>(GetProcAddress(shell, "SHGetPropertyStoreForWindow"))) {
        IPropertyStoreObj* store = nullptr;
        if (SUCCEEDED(fn(hWnd, kPropertyStoreIid, reinterpret_cast<void**>(&store))) && store) {
            store->vtbl->SetValue(store, PropertyKey{kAppUserModelFmtId, 9}, value);
            store->vtbl->Release(store);
        }
    }
    FreeLibrary(shell);
}

PROPVARIANT BoolValue(bool v) {
    PROPVARIANT pv;
    PropVariantInit(&pv);
    pv.vt = VT_BOOL;
    pv.boolVal = v ? VARIANT_TRUE : VARIANT_FALSE;
    return pv;
}

bool IsConsoleProgram() {
    auto* base = reinterpret_cast<const BYTE*>(GetModuleHandleW(nullptr));
    auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    return nt->OptionalHeader.Subsystem == IMAGE_SUBSYSTEM_WINDOWS_CUI;
}

}  // namespace

void ResetControlWord() {
    // Exceptions for invalid operation, zero divide and overflow; 64-bit precision; nearest.
    unsigned short controlWord = 0x1332;
    asm volatile("fldcw %0" : : "m"(controlWord));
}

void TssWin7Utils::Startup() {
    if (!TaskbarApplies()) return;
    SetAppID(ModuleFileName());
    if (!Application) return;
    Application->HookMainWindow(HookSysClose);
    DisablePinning(Application->Handle());
}

void TssWin7Utils::Shutdown() {
    if (!Application || !TaskbarApplies()) return;
    Application->UnhookMainWindow(HookSysClose);
    if (IsWindow(Application->Handle())) ClearPinning(Application->Handle());
}

bool TssWin7Utils::TaskbarApplies() { return IsWin7OrLater() && !IsLibraryModule() && !IsConsoleProgram(); }

bool TssWin7Utils::CanCloseBySysMenu(HWND hWnd) {
    if (!IsWindow(hWnd) || !(GetWindowLongPtrW(hWnd, GWL_STYLE) & WS_SYSMENU)) return false;
    HMENU menu = GetSystemMenu(hWnd, FALSE);
    UINT state = menu ? GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND) : UINT(-1);
    if (state == UINT(-1)) return false;
    return (state & (MF_GRAYED | MF_DISABLED)) == 0;
}

String TssWin7Utils::GetAppID() {
    String id;
    HMODULE shell = LoadLibraryW(L"Shell32.dll");
    if (!shell) return id;
    using GetFn = HRESULT(WINAPI*)(PWSTR*);
    if (auto fn = reinterpret_cast<GetFn>(GetProcAddress(shell, "GetCurrentProcessExplicitAppUserModelID"))) {
        PWSTR text = nullptr;
        if (SUCCEEDED(fn(&text)) && text) {
            id = text;
            CoTaskMemFree(text);
        }
    }
    FreeLibrary(shell);
    return id;
}

void TssWin7Utils::SetAppID(const String& appID) {
    if (!GetAppID().empty()) return;
    HMODULE shell = LoadLibraryW(L"Shell32.dll");
    if (!shell) return;
    using SetFn = HRESULT(WINAPI*)(PCWSTR);
    if (auto fn = reinterpret_cast<SetFn>(GetProcAddress(shell, "SetCurrentProcessExplicitAppUserModelID")))
        fn(appID.c_str());
    FreeLibrary(shell);
}

void TssWin7Utils::DisablePinning(HWND hWnd) { SetPinning(hWnd, BoolValue(true)); }
void TssWin7Utils::EnablePinning(HWND hWnd) { SetPinning(hWnd, BoolValue(false)); }

void TssWin7Utils::ClearPinning(HWND hWnd) {
    PROPVARIANT empty;
    PropVariantInit(&empty);
    SetPinning(hWnd, empty);
}

bool TssWin7Utils::HookSysClose(TMessage& Message) {
    if (Message.Msg != WM_SYSCOMMAND || (Message.WParam & 0xFFF0) != SC_CLOSE) return false;
    if (Application->ComponentState().Contains(TComponentStateItem::csDesigning)) return false;
    if (!CanCloseBySysMenu(Application->Handle())) return true;
    for (TCustomForm* f : TCustomForm::Forms())
        if (f != Application->MainForm() && f->Modal() && f->Visible()) return true;
    return false;
}

bool IsWin7OrLater() { return TssOSVer().isAboveWin7(); }

bool IsLibraryModule() {
    wchar_t name[MAX_PATH + 1] = {};
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&IsLibraryModule), &self);
    GetModuleFileNameW(self, name, MAX_PATH);
    String upper = AnsiUpperCase(name);
    return upper.size() >= 4 && upper.compare(upper.size() - 4, 4, L".DLL") == 0;
}

void PumpMessages(std::uint32_t ms) {
    DWORD start = GetTickCount();
    do {
        Sleep(1);
        Application->ProcessMessages();
    } while (GetTickCount() - start <= ms);
}

EInOutError CreateInOutError(int code) { return EInOutError(Format(L"I/Oエラー (%d)", {(long long)code}), code); }
