// The application's taskbar identity and its guard against closing from the taskbar while a
// modal window is open, and small utilities the library's units share.
#pragma once
#include <cstdint>

#include "Controls.h"
#include "SysUtils.h"

// The application's taskbar identity and the hook that keeps the taskbar from closing the
// application while a modal window is open; installed by the library's start-up steps.
class TssWin7Utils {
public:
    // The window has a system menu whose close command is enabled.
    static bool CanCloseBySysMenu(HWND hWnd);
    static String GetAppID();
    // Sets the process's explicit taskbar id unless one is set already.
    static void SetAppID(const String& appID);
    // The taskbar pinning property of hWnd (the application window for none).
    static void DisablePinning(HWND hWnd);
    static void EnablePinning(HWND hWnd);
    static void ClearPinning(HWND hWnd);
    // On the application window: swallows a close command while the window cannot be closed
    // from its system menu or while another form than the main form is modal and visible.
    static bool HookSysClose(TMessage& Message);
    // The taskbar steps apply: Windows 7 or later, a program (not a library), not a console.
    static bool TaskbarApplies();
    // The unit's start-up step, once the application object exists: the executable's path as
    // the taskbar identity, HookSysClose on the application window and pinning off.
    static void Startup();
    // The unit's shutdown step: the hook removed and the pinning property cleared.
    static void Shutdown();
};

// Sets the floating-point control word to 0x1332, the library's first start-up step.
void ResetControlWord();

bool IsWin7OrLater();
// The running module is a library (".DLL").
bool IsLibraryModule();
// Sleeps 1 ms and processes pending window messages, again and again, until more than ms
// milliseconds have passed.
void PumpMessages(std::uint32_t ms);

// An input/output error whose message and error code carry code.
EInOutError CreateInOutError(int code);
