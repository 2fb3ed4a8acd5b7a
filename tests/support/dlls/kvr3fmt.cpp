// The formatting library as the tests use it: each call appends "disk <window> <drive index>"
// or "dialog <window>" to the file named by KVR3FMT_LOG; nothing is formatted.
#include <windows.h>

#include <string>

namespace {
void Log(const std::string& line) {
    char log[MAX_PATH] = {};
    if (!GetEnvironmentVariableA("KVR3FMT_LOG", log, MAX_PATH)) return;
    HANDLE h = CreateFileA(log, FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
    DWORD put = 0;
    std::string text = line + "\n";
    WriteFile(h, text.data(), DWORD(text.size()), &put, nullptr);
    CloseHandle(h);
}
}  // namespace

extern "C" __declspec(dllexport) int __stdcall ssFmtDisk(HWND owner, int drive) {
    Log("disk " + std::to_string(reinterpret_cast<UINT_PTR>(owner) != 0) + " " + std::to_string(drive));
    return 0;
}

extern "C" __declspec(dllexport) int __stdcall ssFmtDlg(HWND owner) {
    Log("dialog " + std::to_string(reinterpret_cast<UINT_PTR>(owner) != 0));
    return 0;
}
