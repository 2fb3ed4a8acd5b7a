#include "ssWinApi.h"

#include "ssOSVer.h"

bool TssWinApi::ssSetForegroundWindowEx(HWND hTargetWnd) {
    if (TssOSVer().isWin95()) return SetForegroundWindow(hTargetWnd) != 0;
    DWORD target = GetWindowThreadProcessId(hTargetWnd, nullptr);
    DWORD foreground = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
    if (target == foreground) return BringWindowToTop(hTargetWnd) != 0;
    AttachThreadInput(target, foreground, TRUE);
    BOOL result = BringWindowToTop(hTargetWnd);
    AttachThreadInput(target, foreground, FALSE);
    return result != 0;
}
