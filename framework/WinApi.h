// The one place that includes the Windows headers. The generic A/W macros that collide with
// member names of the library are removed; code calls the explicit ...W functions.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <shellapi.h>
#include <commctrl.h>

#undef ShellExecute
#undef ShellExecuteEx
#undef GetObject
#undef MessageBox
#undef DeleteFile
#undef CopyFile
#undef MoveFile
#undef FindWindow
#undef CreateWindow
#undef GetClassName
#undef GetDriveType
#undef GetDiskFreeSpace
#undef GetVolumeInformation
#undef GetWindowText
#undef SetWindowText
#undef LoadBitmap
#undef LoadIcon
#undef DrawText
#undef FindExecutable
#undef CreateFont
#undef GetCurrentDirectory
#undef SetCurrentDirectory
#undef CreateDirectory
#undef RemoveDirectory
#undef GetFileAttributes
#undef SetFileAttributes
#undef FindFirstFile
#undef FindNextFile
#undef GetModuleFileName
#undef CreateProcess
#undef GetStartupInfo
#undef GetEnvironmentVariable
#undef RegisterClass
#undef PostMessage
#undef SendMessage
#undef GetMessage
#undef PeekMessage
#undef DispatchMessage
#undef IsDialogMessage
#undef DefWindowProc
#undef CallWindowProc
#undef RegOpenKeyEx
#undef RegQueryValueEx

// The one idiom for handles: each handle the framework and the library open is owned by one
// of these and closed on every path.

// A kernel handle (file, device, process, thread, token); null and INVALID_HANDLE_VALUE hold none.
class TKernelHandle {
public:
    explicit TKernelHandle(HANDLE h = nullptr) : FHandle(h) {}
    ~TKernelHandle() {
        if (Valid()) CloseHandle(FHandle);
    }
    TKernelHandle(const TKernelHandle&) = delete;
    TKernelHandle& operator=(const TKernelHandle&) = delete;
    HANDLE Get() const { return FHandle; }
    bool Valid() const { return FHandle && FHandle != INVALID_HANDLE_VALUE; }

private:
    HANDLE FHandle;
};

// A loaded library, freed at the end of its owner.
class TLibraryHandle {
public:
    explicit TLibraryHandle(HMODULE h = nullptr) : FHandle(h) {}
    explicit TLibraryHandle(const wchar_t* name) : FHandle(LoadLibraryW(name)) {}
    ~TLibraryHandle() {
        if (FHandle) FreeLibrary(FHandle);
    }
    TLibraryHandle(const TLibraryHandle&) = delete;
    TLibraryHandle& operator=(const TLibraryHandle&) = delete;
    HMODULE Get() const { return FHandle; }
    explicit operator bool() const { return FHandle != nullptr; }
    // An export of the library; null when the library or the export is missing.
    template <typename Fn>
    Fn Proc(const char* name) const {
        return FHandle ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(FHandle, name))) : nullptr;
    }

private:
    HMODULE FHandle;
};

// The one idiom for optional Windows functions: a function of a system library that every
// process has loaded (kernel32, user32, advapi32), null on a Windows that lacks it.
template <typename Fn>
Fn OptionalProc(const wchar_t* module, const char* name) {
    HMODULE m = GetModuleHandleW(module);
    return m ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(m, name))) : nullptr;
}

// Turns off the system's critical-error boxes ("no disk in the drive") for one scope, so that a
// probe of a drive gets an error code instead of a question to the user.
struct ErrorModeScope {
    UINT old = SetErrorMode(SEM_FAILCRITICALERRORS);
    ~ErrorModeScope() { SetErrorMode(old); }
    ErrorModeScope() = default;
    ErrorModeScope(const ErrorModeScope&) = delete;
    ErrorModeScope& operator=(const ErrorModeScope&) = delete;
};
