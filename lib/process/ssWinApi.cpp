#include "ssWinApi.h"

#include "SysUtils.h"
#include "ssOSVer.h"

namespace {

BOOL CALLBACK FindWindowProc(HWND h, LPARAM l) {
    auto* prm = reinterpret_cast<TFindWndPrm*>(l);
    wchar_t buf[256];
    int n = GetClassNameW(h, buf, 256);
    if (AnsiUpperCase(String(buf, n)) != AnsiUpperCase(prm->sClass)) return TRUE;
    if (!prm->sCaption.empty()) {
        n = GetWindowTextW(h, buf, 256);
        String caption(buf, n);
        caption = caption.substr(0, prm->sCaption.size());
        if (AnsiUpperCase(caption) != AnsiUpperCase(prm->sCaption)) return TRUE;
    }
    prm->hTargetWin = h;
    return FALSE;
}

}  // namespace

HWND TssWinApi::ssFindWindow(const String& sClass, const String& sCaption) {
    TFindWndPrm prm{nullptr, sClass, sCaption};
    EnumWindows(FindWindowProc, reinterpret_cast<LPARAM>(&prm));
    return prm.hTargetWin;
}

void TssWinApi::ClearKeyBuf(HWND hHandle) {
    MSG msg;
    // WM_KEYDOWN (256) to WM_UNICHAR (265)
    while (PeekMessageW(&msg, hHandle, 256, 265, PM_REMOVE)) {
    }
}

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
