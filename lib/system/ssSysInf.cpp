#include "ssSysInf.h"

#include <imm.h>

#include <vector>

#include "Registry.h"
#include "ssComFolder.h"

namespace {

MEMORYSTATUS BasicMemory() {
    MEMORYSTATUS ms{sizeof(ms)};
    GlobalMemoryStatus(&ms);
    return ms;
}

// The extended memory status when the system has it; else the basic figures, zero-extended.
MEMORYSTATUSEX ExtendedMemory() {
    MEMORYSTATUSEX ex{};
    ex.dwLength = 64;
    using StatusFn = BOOL(WINAPI*)(MEMORYSTATUSEX*);
    auto fn = OptionalProc<StatusFn>(L"kernel32.dll", "GlobalMemoryStatusEx");
    bool ok = fn && fn(&ex);
    if (!ok) {
        MEMORYSTATUS ms = BasicMemory();
        ex.ullTotalPhys = ms.dwTotalPhys;
        ex.ullAvailPhys = ms.dwAvailPhys;
        ex.ullTotalPageFile = ms.dwTotalPageFile;
        ex.ullAvailPageFile = ms.dwAvailPageFile;
    }
    return ex;
}

String Expand(const wchar_t* text) {
    wchar_t buf[MAX_PATH + 1] = {};
    DWORD n = ExpandEnvironmentStringsW(text, buf, MAX_PATH);
    return n && n <= MAX_PATH ? String(buf) : String(text);
}

String ImeDescription(HKL layout) {
    wchar_t buf[256] = {};
    UINT n = ImmGetDescriptionW(layout, buf, 255);
    return String(buf, n);
}

}  // namespace

TssSystemInfo::TssSystemInfo() : fOsVer(std::make_unique<TssOSVer>()) {}

String TssSystemInfo::UserName() const {
    wchar_t buf[100] = {};
    DWORD n = 100;
    return GetUserNameW(buf, &n) ? String(buf) : String();
}

String TssSystemInfo::ComputerName() const {
    wchar_t buf[17] = {};
    DWORD n = 17;
    return GetComputerNameW(buf, &n) ? String(buf, n) : String();
}

String TssSystemInfo::SystemDir() const {
    wchar_t buf[MAX_PATH + 1] = {};
    return String(buf, GetSystemDirectoryW(buf, MAX_PATH));
}

String TssSystemInfo::WindowsDir() const {
    wchar_t buf[MAX_PATH + 1] = {};
    return String(buf, GetWindowsDirectoryW(buf, MAX_PATH));
}

String TssSystemInfo::TempDir() const {
    String dir = Expand(L"%TEMP%");
    if (!dir.empty() && dir[0] == L'%') dir = Expand(L"%TMP%");
    if (dir.empty() || dir[0] == L'%') {
        dir = TssCommonFolder::GetObject()->TempFolder();
        if (!dir.empty()) CreateDirectoryW(dir.c_str(), nullptr);
    }
    return dir;
}

int TssSystemInfo::NumOfProcessors() const {
    SYSTEM_INFO si;
    GetSystemInfo(&si);
    return int(si.dwNumberOfProcessors);
}

int TssSystemInfo::ProcessorType() const {
    SYSTEM_INFO si;
    GetSystemInfo(&si);
    return int(si.dwProcessorType);
}

std::uint32_t TssSystemInfo::PhysicalMem() const { return BasicMemory().dwTotalPhys; }
std::uint32_t TssSystemInfo::TotalPageFile() const { return BasicMemory().dwTotalPageFile; }
std::uint32_t TssSystemInfo::AvailPageFile() const { return BasicMemory().dwAvailPageFile; }
std::uint64_t TssSystemInfo::PhysicalMemEx() const { return ExtendedMemory().ullTotalPhys; }
std::uint64_t TssSystemInfo::AvailPhysMemEx() const { return ExtendedMemory().ullAvailPhys; }
std::uint64_t TssSystemInfo::TotalPageFileEx() const { return ExtendedMemory().ullTotalPageFile; }
std::uint64_t TssSystemInfo::AvailPageFileEx() const { return ExtendedMemory().ullAvailPageFile; }
int TssSystemInfo::ScreenWidth() const { return GetSystemMetrics(SM_CXSCREEN); }
int TssSystemInfo::ScreenHeight() const { return GetSystemMetrics(SM_CYSCREEN); }

String TssSystemInfo::DefaultIme() const {
    HKL layout = nullptr;
    SystemParametersInfoW(SPI_GETDEFAULTINPUTLANG, 0, &layout, 0);
    return layout && ImmIsIME(layout) ? ImeDescription(layout) : String();
}

std::unique_ptr<TStringList> TssSystemInfo::Imes() const {
    auto list = std::make_unique<TStringList>();
    int n = GetKeyboardLayoutList(0, nullptr);
    std::vector<HKL> layouts(n > 0 ? n : 0);
    if (n > 0) GetKeyboardLayoutList(n, layouts.data());
    for (HKL layout : layouts)
        if (ImmIsIME(layout)) list->Add(ImeDescription(layout));
    return list;
}

bool TssSystemInfo::UACEnabled() const {
    if (fOsVer->MajorVersion() < 6) return false;
    HKEY k;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System", 0,
                      KEY_READ, &k) != ERROR_SUCCESS)
        return true;
    BYTE data[8] = {};
    DWORD type = 0, size = sizeof(data);
    bool enabled = true;
    if (RegQueryValueExW(k, L"EnableLUA", nullptr, &type, data, &size) == ERROR_SUCCESS &&
        (type == REG_DWORD || type == REG_BINARY) && size > 0) {
        bool any = false;
        for (DWORD i = 0; i < size; ++i) any = any || data[i] != 0;
        enabled = any;
    }
    RegCloseKey(k);
    return enabled;
}

bool TssSystemInfo::HasAuthority(DWORD CheckAuthority) const {
    HANDLE raw;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return false;
    TKernelHandle token(raw);
    bool found = false;
    DWORD size = 0;
    GetTokenInformation(token.Get(), TokenGroups, nullptr, 0, &size);
    std::vector<BYTE> buf(size);
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID sid = nullptr;
    if (size && GetTokenInformation(token.Get(), TokenGroups, buf.data(), size, &size) &&
        AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, CheckAuthority, 0, 0, 0, 0, 0, 0, &sid)) {
        auto* groups = reinterpret_cast<TOKEN_GROUPS*>(buf.data());
        for (DWORD i = 0; i < groups->GroupCount && !found; ++i) found = EqualSid(groups->Groups[i].Sid, sid);
        FreeSid(sid);
    }
    return found;
}
