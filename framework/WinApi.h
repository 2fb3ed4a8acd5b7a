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
