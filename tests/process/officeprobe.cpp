// Shows a visible window of the Excel main-window class captioned "Book1 - Excel", starts the
// program given as the first argument, and prints "found" when the Office-window search for
// that process and the document given as the second argument answers this window, else "none".
#include <cstdio>

#include "Forms.h"
#include "ssExtCmd.h"

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    WNDCLASSEXW wc{sizeof(wc)};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"XLMAIN";
    RegisterClassExW(&wc);
    HWND window = CreateWindowExW(0, L"XLMAIN", L"Book1 - Excel", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CW_USEDEFAULT,
                                  CW_USEDEFAULT, 200, 100, nullptr, nullptr, wc.hInstance, nullptr);
    STARTUPINFOW si{sizeof(si)};
    PROCESS_INFORMATION pi;
    String cmd = L"\"" + String(argv[1]) + L"\"";
    if (!CreateProcessW(argv[1], cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return 3;
    HWND found = FindOfficeWindow(pi.hProcess, L"/x \"" + String(argv[2]) + L"\"");
    TerminateProcess(pi.hProcess, 0);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    std::printf("%s\n", found == window ? "found" : "none");
    DestroyWindow(window);
    return 0;
}
