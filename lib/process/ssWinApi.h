// Window helpers across threads and processes.
#pragma once
#include "System.h"
#include "WinApi.h"

// What the top-level window search looks for, and what it found.
struct TFindWndPrm {
    HWND hTargetWin;
    String sClass;
    String sCaption;
};

// Window helpers: find a top-level window by class and caption prefix, empty the keyboard
// queue, bring a window of another thread to the foreground.
class TssWinApi {
public:
    // The first top-level window of class sClass whose caption begins with sCaption (both
    // without regard to case; an empty sCaption matches any caption), or null.
    static HWND ssFindWindow(const String& sClass, const String& sCaption);
    // Removes every pending keyboard message for hHandle from this thread's queue.
    static void ClearKeyBuf(HWND hHandle);
    // Makes hTargetWnd the foreground window, attaching this thread's input to the foreground
    // window's thread when they differ so that the system lets the switch happen.
    static bool ssSetForegroundWindowEx(HWND hTargetWnd);
};
