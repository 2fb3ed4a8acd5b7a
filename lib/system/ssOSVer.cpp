#include "ssOSVer.h"

#include "Registry.h"
#include "SysUtils.h"

namespace {

// The system library the constructor and isHomeEdition load; shared by the unit.
HMODULE OSVerModule = nullptr;

FARPROC LoadProc(const char* procName, const String& libraryName) {
    if (!OSVerModule) throw Exception(libraryName + L" ファイルがLoad出来ません。");
    FARPROC p = GetProcAddress(OSVerModule, procName);
    if (!p) throw Exception(libraryName + L" ファイルが壊れています。");
    return p;
}

}  // namespace

TssOSVer::TssOSVer() {
    OSVerModule = nullptr;
    ZeroMemory(&VerInfo, sizeof(VerInfo));
    VerInfo.dwOSVersionInfoSize = sizeof(VerInfo);  // 276
    GetVersionExW(&VerInfo);

    ZeroMemory(&VerInfoEx, sizeof(VerInfoEx));
    if (VerInfo.dwPlatformId == VER_PLATFORM_WIN32_NT) {
        OSVerModule = LoadLibraryW(L"KERNEL32.DLL");
        if (OSVerModule) {
            using GetVersionExFn = BOOL(WINAPI*)(OSVERSIONINFOEXW*);
            if (auto fn = reinterpret_cast<GetVersionExFn>(GetProcAddress(OSVerModule, "GetVersionExW"))) {
                VerInfoEx.dwOSVersionInfoSize = sizeof(VerInfoEx);  // 284
                fn(&VerInfoEx);
            }
            FreeLibrary(OSVerModule);  // the handle keeps its stale value, as the unit shares it
        }
    }
    // The key path is taken below the local-machine root without its leading separator.
    FProductType = ReadRegistryString(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\ProductOptions",
                                      L"ProductType");
}

TssOSVer::TssOSVer(const OSVERSIONINFOW& info, const OSVERSIONINFOEXW& infoEx, const String& productType)
    : VerInfo(info), VerInfoEx(infoEx), FProductType(productType) {}

bool TssOSVer::isWinNT() const { return VerInfo.dwPlatformId == VER_PLATFORM_WIN32_NT; }
bool TssOSVer::isWin9x() const { return VerInfo.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS; }
bool TssOSVer::isWin95() const { return isWin9x() && MajorVersion() == 4 && MinorVersion() < 10; }
bool TssOSVer::isWin98() const { return isWin9x() && MajorVersion() >= 4 && MinorVersion() >= 10; }
bool TssOSVer::isWinME() const { return isWin9x() && MajorVersion() >= 4 && MinorVersion() >= 90; }
bool TssOSVer::isOSR2() const { return isWin95() && (VerInfo.dwBuildNumber & 0xFFFF) > 1000; }
bool TssOSVer::isNTServer() const {
    return SameText(FProductType, L"SERVERNT") || SameText(FProductType, L"LANMANNT");
}
bool TssOSVer::isNTWorkstation() const { return SameText(FProductType, L"WINNT"); }

bool TssOSVer::IsNTVersion(DWORD major, DWORD minor) const {
    return isWinNT() && VerInfo.dwMajorVersion == major && VerInfo.dwMinorVersion == minor;
}

bool TssOSVer::isWin2000() const { return IsNTVersion(5, 0); }
bool TssOSVer::isWinXP() const { return IsNTVersion(5, 1); }
bool TssOSVer::isWin2003() const { return IsNTVersion(5, 2); }
bool TssOSVer::isWinVista() const { return IsNTVersion(6, 0) && isNTWorkstation(); }
bool TssOSVer::isWin2008() const { return IsNTVersion(6, 0) && isNTServer(); }
bool TssOSVer::isWin7() const { return IsNTVersion(6, 1) && isNTWorkstation(); }
bool TssOSVer::isWin2008R2() const { return IsNTVersion(6, 1) && isNTServer(); }
bool TssOSVer::isWin8() const { return IsNTVersion(6, 2) && isNTWorkstation(); }
bool TssOSVer::isWin2012() const { return IsNTVersion(6, 2) && isNTServer(); }
bool TssOSVer::isWin8_1() const { return IsNTVersion(6, 3) && isNTWorkstation(); }
bool TssOSVer::isWin2012R2() const { return IsNTVersion(6, 3) && isNTServer(); }

bool TssOSVer::isAboveWinXP() const {
    return MajorVersion() > 5 || (MajorVersion() == 5 && MinorVersion() > 0);
}
bool TssOSVer::isAboveWinVista() const { return MajorVersion() > 5; }
bool TssOSVer::isAboveWin7() const { return MajorVersion() > 6 || (MajorVersion() == 6 && MinorVersion() > 0); }
bool TssOSVer::isAboveWin8() const { return MajorVersion() > 6 || (MajorVersion() == 6 && MinorVersion() > 1); }
bool TssOSVer::isAboveWin8_1() const { return MajorVersion() > 6 || (MajorVersion() == 6 && MinorVersion() > 2); }
bool TssOSVer::isAboveWin10() const { return MajorVersion() > 9; }
bool TssOSVer::isWinXPHome() const { return isWinXP() && isHomeEdition(); }

bool TssOSVer::isHomeEdition() const {
    if (!isAboveWinXP()) return false;
    OSVerModule = LoadLibraryW(L"KERNEL32.DLL");
    if (!OSVerModule) return false;
    struct Release {
        ~Release() {
            FreeLibrary(OSVerModule);
            OSVerModule = nullptr;
        }
    } release;
    using VerifyFn = BOOL(WINAPI*)(OSVERSIONINFOEXW*, DWORD, DWORDLONG);
    using MaskFn = ULONGLONG(WINAPI*)(ULONGLONG, DWORD, BYTE);
    auto verify = reinterpret_cast<VerifyFn>(LoadProc("VerifyVersionInfoW", L"KERNEL32.DLL"));
    auto mask = reinterpret_cast<MaskFn>(LoadProc("VerSetConditionMask", L"KERNEL32.DLL"));
    try {
        OSVERSIONINFOEXW info;
        ZeroMemory(&info, sizeof(info));
        info.wSuiteMask = VER_SUITE_PERSONAL;
        DWORDLONG condition = mask(0, VER_SUITENAME, VER_AND);
        return verify(&info, VER_SUITENAME, condition) != 0;
    } catch (...) {
        return false;
    }
}

bool TssOSVer::is64bitOS() const {
#ifdef _WIN64
    return true;  // a 64-bit process runs only on a 64-bit Windows
#else
    BOOL wow = FALSE;
    using IsWow64Fn = BOOL(WINAPI*)(HANDLE, BOOL*);
    auto fn = OptionalProc<IsWow64Fn>(L"kernel32.dll", "IsWow64Process");
    return fn && fn(GetCurrentProcess(), &wow) && wow;
#endif
}
