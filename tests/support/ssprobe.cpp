// Reports how it was started to the file named by SSPROBE_OUT, one "key=value" line each,
// sleeps SSPROBE_SLEEP milliseconds and exits with SSPROBE_EXIT.
#include <windows.h>

#include <string>

static std::wstring Env(const wchar_t* name) {
    wchar_t buf[4096];
    DWORD n = GetEnvironmentVariableW(name, buf, 4096);
    return n && n < 4096 ? std::wstring(buf, n) : std::wstring();
}

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    STARTUPINFOW si{sizeof(si)};
    GetStartupInfoW(&si);
    wchar_t dir[MAX_PATH + 1] = {};
    GetCurrentDirectoryW(MAX_PATH, dir);
    std::wstring report = L"cmdline=" + std::wstring(GetCommandLineW()) + L"\n";
    report += L"flags=" + std::to_wstring(si.dwFlags) + L"\n";
    report += L"show=" + std::to_wstring(si.wShowWindow) + L"\n";
    report += L"title=" + std::wstring(si.lpTitle ? si.lpTitle : L"") + L"\n";
    report += L"dir=" + std::wstring(dir) + L"\n";
    report += L"priority=" + std::to_wstring(GetPriorityClass(GetCurrentProcess())) + L"\n";

    std::wstring out = Env(L"SSPROBE_OUT");
    if (!out.empty()) {
        int n = WideCharToMultiByte(CP_UTF8, 0, report.data(), int(report.size()), nullptr, 0, nullptr, nullptr);
        std::string bytes(n, '\0');
        WideCharToMultiByte(CP_UTF8, 0, report.data(), int(report.size()), bytes.data(), n, nullptr, nullptr);
        HANDLE h = CreateFileW(out.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD put = 0;
        WriteFile(h, bytes.data(), DWORD(bytes.size()), &put, nullptr);
        CloseHandle(h);
    }
    std::wstring sleep = Env(L"SSPROBE_SLEEP");
    if (!sleep.empty()) Sleep(DWORD(std::stoul(sleep)));
    std::wstring code = Env(L"SSPROBE_EXIT");
    return code.empty() ? 0 : int(std::stoul(code));
}
