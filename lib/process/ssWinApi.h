// Window helpers across threads and processes.
#pragma once
#include "WinApi.h"

class TssWinApi {
public:
    // Makes hTargetWnd the foreground window, attaching this thread's input to the foreground
    // window's thread when they differ so that the system lets the switch happen.
    static bool ssSetForegroundWindowEx(HWND hTargetWnd);
};
