// Helpers shared by the test programs: scratch folders, files, real processes and the dialogs
// that code under test shows.
#pragma once
#include <functional>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "SysUtils.h"
#include "WinApi.h"

namespace testing_support {

// The folder of the running test program (where every program of the build lands), with "\".
String BinDir();

// A fresh folder under the temporary folder, removed with everything in it at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const String& Path() const { return FPath; }  // without a trailing "\"
    String operator/(const String& name) const { return FPath + L"\\" + name; }

private:
    String FPath;
};

void RemoveTree(const String& path);
// The names in a folder, without "." and "..", sorted; none for a folder that does not exist.
std::vector<String> FolderEntries(const String& dir);
std::string ReadBytes(const String& fileName);
void WriteBytes(const String& fileName, const std::string& bytes);
std::string Utf8(const String& s);

// Sets an environment variable for this process (and the processes it starts) for a scope.
class ScopedEnv {
public:
    ScopedEnv(const String& name, const String& value);
    ~ScopedEnv();

private:
    String FName, FOld;
    bool FHadOld;
};

// Processes messages until done() is true or timeoutMs pass; answers done().
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs);

// A dialog box (#32770) of process pid (0: this process), or null.
HWND FindDialog(DWORD pid);
// The message text of a message box.
String DialogText(HWND dialog);
// Presses the button with the command id of a dialog, as a click would.
void PressButton(HWND dialog, int id);

// While alive, answers the message boxes this thread shows: it records each text and presses
// the button that answer(text) returns.
class DialogAnswerer {
public:
    explicit DialogAnswerer(std::function<int(const String& text)> answer);
    ~DialogAnswerer();
    const std::vector<String>& Texts() const { return FTexts; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
    std::function<int(const String&)> FAnswer;
    std::vector<String> FTexts;
    UINT_PTR FTimer;
};

// While alive, hands the first visible top-level window of this thread with the class name to
// inspect(), once (from a timer, so it also runs inside a modal loop).
class WindowProbe {
public:
    WindowProbe(const String& className, std::function<void(HWND)> inspect);
    ~WindowProbe();
    bool Done() const { return FDone; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
    String FClassName;
    std::function<void(HWND)> FInspect;
    UINT_PTR FTimer;
    bool FDone = false;
};

// A program started for a test, ended when the object goes.
class ChildProcess {
public:
    ChildProcess(const String& exe, const String& args, const String& dir = L"", const wchar_t* env = nullptr);
    ~ChildProcess();
    DWORD Pid() const { return FPi.dwProcessId; }
    HANDLE Handle() const { return FPi.hProcess; }
    // Waits for the end; answers the exit code, or STILL_ACTIVE after the timeout.
    DWORD WaitExit(DWORD timeoutMs);

private:
    PROCESS_INFORMATION FPi{};
};

// Runs exe with args to its end and answers what it printed (stdout and stderr).
std::string CaptureOutput(const String& exe, const String& args);

// While alive, Wine reports the given Windows version (winxp, win7, win10, ...) to every program
// started with the file name exeName.
class WineVersionFor {
public:
    WineVersionFor(const String& exeName, const String& version);
    ~WineVersionFor();

private:
    String FKey;
};

// Modifier keys held in this thread's keyboard state, restored when the scope ends.
class HeldKeys {
public:
    explicit HeldKeys(std::initializer_list<int> keys);
    ~HeldKeys();
    HeldKeys(const HeldKeys&) = delete;
    HeldKeys& operator=(const HeldKeys&) = delete;

private:
    BYTE FSaved[256];
};

// The pixels of a window's client area as it is drawn now (after any pending paint).
struct ClientPixels {
    int Width = 0, Height = 0;
    std::vector<COLORREF> Data;
    COLORREF At(int x, int y) const { return Data[size_t(y) * Width + x]; }
    // Columns in [x0, x1) holding a pixel in rows [y0, y1) that hit() accepts, as runs [first, last].
    std::vector<std::pair<int, int>> ColumnRuns(const std::function<bool(COLORREF)>& hit, int x0, int x1, int y0 = 0,
                                                int y1 = -1) const;
    bool Contains(COLORREF c, const RECT& r) const;
};
ClientPixels CaptureClient(HWND window);

// A top-level window of process pid with the given window class.
HWND FindProcessWindow(DWORD pid, const String& className);

}  // namespace testing_support
