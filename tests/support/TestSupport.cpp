#include "TestSupport.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "Forms.h"

namespace testing_support {

String BinDir() {
    return ExtractFilePath(Application->ExeName());
}

TempDir::TempDir() {
    wchar_t tmp[MAX_PATH + 1];
    GetTempPathW(MAX_PATH, tmp);
    static unsigned counter = 0;
    for (;;) {
        FPath = String(tmp) + L"sstest_" + IntToStr(GetCurrentProcessId()) + L"_" + IntToStr(++counter);
        if (CreateDirectoryW(FPath.c_str(), nullptr)) break;
        if (GetLastError() != ERROR_ALREADY_EXISTS) throw std::runtime_error("cannot create a temporary folder");
    }
}

TempDir::~TempDir() { RemoveTree(FPath); }

void RemoveTree(const String& path) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((path + L"\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            String name = fd.cFileName;
            if (name == L"." || name == L"..") continue;
            String full = path + L"\\" + name;
            SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(full);
            else DeleteFileW(full.c_str());
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryW(path.c_str());
}

std::string ReadBytes(const String& fileName) {
    HANDLE h = CreateFileW(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot open " + Utf8(fileName));
    std::string bytes(GetFileSize(h, nullptr), '\0');
    DWORD got = 0;
    if (!bytes.empty()) ReadFile(h, bytes.data(), DWORD(bytes.size()), &got, nullptr);
    CloseHandle(h);
    bytes.resize(got);
    return bytes;
}

void WriteBytes(const String& fileName, const std::string& bytes) {
    HANDLE h = CreateFileW(fileName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot create " + Utf8(fileName));
    DWORD put = 0;
    if (!bytes.empty()) WriteFile(h, bytes.data(), DWORD(bytes.size()), &put, nullptr);
    CloseHandle(h);
}

std::string Utf8(const String& s) {
    if (s.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, s.data(), int(s.size()), nullptr, 0, nullptr, nullptr);
    std::string r(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, s.data(), int(s.size()), r.data(), n, nullptr, nullptr);
    return r;
}

ScopedEnv::ScopedEnv(const String& name, const String& value) : FName(name) {
    wchar_t buf[32768];
    DWORD n = GetEnvironmentVariableW(name.c_str(), buf, 32768);
    FHadOld = n > 0 && n < 32768;
    if (FHadOld) FOld.assign(buf, n);
    SetEnvironmentVariableW(name.c_str(), value.c_str());
}

ScopedEnv::~ScopedEnv() { SetEnvironmentVariableW(FName.c_str(), FHadOld ? FOld.c_str() : nullptr); }

std::vector<String> FolderEntries(const String& dir) {
    std::vector<String> names;
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        String n = fd.cFileName;
        if (n != L"." && n != L"..") names.push_back(n);
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    std::sort(names.begin(), names.end());
    return names;
}

ClientPixels CaptureClient(HWND window) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ERASENOW | RDW_ALLCHILDREN);
    RECT r;
    GetClientRect(window, &r);
    ClientPixels p;
    p.Width = r.right;
    p.Height = r.bottom;
    p.Data.resize(size_t(p.Width) * p.Height);
    // Another process's window is read from the screen: under Wine its window DC shows only
    // black here, as that process draws into a surface of its own.
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    HWND source = pid == GetCurrentProcessId() ? window : nullptr;
    POINT origin{0, 0};
    if (!source) ClientToScreen(window, &origin);
    HDC dc = GetDC(source);
    HDC mem = CreateCompatibleDC(dc);
    BITMAPINFO bi{};
    bi.bmiHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), p.Width, -p.Height, 1, 32, BI_RGB};
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(mem, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, dib);
    BitBlt(mem, 0, 0, p.Width, p.Height, dc, origin.x, origin.y, SRCCOPY);
    GdiFlush();
    const auto* px = static_cast<const DWORD*>(bits);
    for (size_t i = 0; i < p.Data.size(); ++i) {
        DWORD v = px[i];  // 0x00RRGGBB
        p.Data[i] = RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    }
    SelectObject(mem, old);
    DeleteObject(dib);
    DeleteDC(mem);
    ReleaseDC(source, dc);
    return p;
}

std::vector<std::pair<int, int>> ClientPixels::ColumnRuns(const std::function<bool(COLORREF)>& hit, int x0,
                                                          int x1, int y0, int y1) const {
    std::vector<std::pair<int, int>> runs;
    if (y1 < 0 || y1 > Height) y1 = Height;
    for (int x = x0; x < x1; ++x) {
        bool found = false;
        for (int y = y0; y < y1 && !found; ++y) found = hit(At(x, y));
        if (!found) continue;
        if (!runs.empty() && runs.back().second == x - 1) runs.back().second = x;
        else runs.emplace_back(x, x);
    }
    return runs;
}

bool ClientPixels::Contains(COLORREF c, const RECT& r) const {
    for (int y = std::max(0, int(r.top)); y < std::min(Height, int(r.bottom)); ++y)
        for (int x = std::max(0, int(r.left)); x < std::min(Width, int(r.right)); ++x)
            if (At(x, y) == c) return true;
    return false;
}

namespace {
WindowProbe* CurrentProbe = nullptr;

struct ProbeSearch {
    const String* ClassName;
    HWND Found = nullptr;
};

BOOL CALLBACK FindProbeWindow(HWND h, LPARAM l) {
    auto* search = reinterpret_cast<ProbeSearch*>(l);
    wchar_t cls[128];
    GetClassNameW(h, cls, 128);
    if (*search->ClassName == cls && IsWindowVisible(h)) {
        search->Found = h;
        return FALSE;
    }
    return TRUE;
}
}  // namespace

WindowProbe::WindowProbe(const String& className, std::function<void(HWND)> inspect)
    : FClassName(className), FInspect(std::move(inspect)) {
    CurrentProbe = this;
    FTimer = SetTimer(nullptr, 0, 30, Tick);
}

WindowProbe::~WindowProbe() {
    KillTimer(nullptr, FTimer);
    CurrentProbe = nullptr;
}

void CALLBACK WindowProbe::Tick(HWND, UINT, UINT_PTR, DWORD) {
    WindowProbe* self = CurrentProbe;
    if (!self || self->FDone) return;
    ProbeSearch search{&self->FClassName};
    EnumThreadWindows(GetCurrentThreadId(), FindProbeWindow, reinterpret_cast<LPARAM>(&search));
    if (!search.Found) return;
    self->FDone = true;
    self->FInspect(search.Found);
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs) return false;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(10);
    }
    return true;
}

namespace {
struct DialogSearch {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK FindDialogProc(HWND h, LPARAM l) {
    auto* s = reinterpret_cast<DialogSearch*>(l);
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    wchar_t cls[64];
    GetClassNameW(h, cls, 64);
    if (pid == s->pid && String(cls) == L"#32770" && IsWindowVisible(h)) {
        s->found = h;
        return FALSE;
    }
    return TRUE;
}
}  // namespace

HWND FindDialog(DWORD pid) {
    DialogSearch s{pid ? pid : GetCurrentProcessId(), nullptr};
    EnumWindows(FindDialogProc, LPARAM(&s));
    return s.found;
}

String DialogText(HWND dialog) {
    wchar_t buf[2048] = {};
    GetDlgItemTextW(dialog, 0xFFFF, buf, 2048);
    return buf;
}

void PressButton(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), LPARAM(GetDlgItem(dialog, id)));
}

namespace {
DialogAnswerer* ActiveAnswerer = nullptr;
}

DialogAnswerer::DialogAnswerer(std::function<int(const String&)> answer) : FAnswer(std::move(answer)) {
    ActiveAnswerer = this;
    FTimer = SetTimer(nullptr, 0, 50, Tick);
}

DialogAnswerer::~DialogAnswerer() {
    KillTimer(nullptr, FTimer);
    ActiveAnswerer = nullptr;
}

void CALLBACK DialogAnswerer::Tick(HWND, UINT, UINT_PTR, DWORD) {
    DialogAnswerer* self = ActiveAnswerer;
    if (!self) return;
    HWND dlg = FindDialog(0);
    if (!dlg || GetPropW(dlg, L"ssAnswered")) return;
    SetPropW(dlg, L"ssAnswered", HANDLE(1));
    String text = DialogText(dlg);
    self->FTexts.push_back(text);
    PressButton(dlg, self->FAnswer(text));
}

ChildProcess::ChildProcess(const String& exe, const String& args, const String& dir, const wchar_t* env) {
    STARTUPINFOW si{sizeof(si)};
    String cmd = L"\"" + exe + L"\" " + args;
    if (!CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, env ? CREATE_UNICODE_ENVIRONMENT : 0,
                        const_cast<wchar_t*>(env), dir.empty() ? nullptr : dir.c_str(), &si, &FPi))
        throw std::runtime_error("cannot start " + Utf8(exe));
    CloseHandle(FPi.hThread);
}

ChildProcess::~ChildProcess() {
    if (WaitForSingleObject(FPi.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(FPi.hProcess, 1);
        WaitForSingleObject(FPi.hProcess, 5000);
    }
    CloseHandle(FPi.hProcess);
}

DWORD ChildProcess::WaitExit(DWORD timeoutMs) {
    WaitForSingleObject(FPi.hProcess, timeoutMs);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(FPi.hProcess, &code);
    return code;
}

std::string CaptureOutput(const String& exe, const String& args) {
    TempDir dir;
    String out = dir / L"out.txt";
    SECURITY_ATTRIBUTES sa{sizeof(sa), nullptr, TRUE};
    HANDLE h = CreateFileW(out.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, 0, nullptr);
    STARTUPINFOW si{sizeof(si)};
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = h;
    si.hStdError = h;
    PROCESS_INFORMATION pi;
    String cmd = L"\"" + exe + L"\" " + args;
    if (CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
        WaitForSingleObject(pi.hProcess, 60000);
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
    }
    CloseHandle(h);
    std::string text = ReadBytes(out);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
}

WineVersionFor::WineVersionFor(const String& exeName, const String& version)
    : FKey(L"Software\\Wine\\AppDefaults\\" + exeName) {
    HKEY k;
    RegCreateKeyExW(HKEY_CURRENT_USER, FKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr);
    RegSetValueExW(k, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version.c_str()),
                   DWORD((version.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(k);
}

WineVersionFor::~WineVersionFor() { RegDeleteKeyW(HKEY_CURRENT_USER, FKey.c_str()); }

namespace {
struct WindowSearch {
    DWORD pid;
    const String* cls;
    HWND found;
};
BOOL CALLBACK FindWindowProc(HWND h, LPARAM l) {
    auto* s = reinterpret_cast<WindowSearch*>(l);
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    wchar_t cls[256];
    GetClassNameW(h, cls, 256);
    if (pid == s->pid && *s->cls == cls) {
        s->found = h;
        return FALSE;
    }
    return TRUE;
}
}  // namespace

HWND FindProcessWindow(DWORD pid, const String& className) {
    WindowSearch s{pid, &className, nullptr};
    EnumWindows(FindWindowProc, LPARAM(&s));
    return s.found;
}

HeldKeys::HeldKeys(std::initializer_list<int> keys) {
    GetKeyboardState(FSaved);
    BYTE state[256];
    std::memcpy(state, FSaved, sizeof state);
    for (int k : keys) state[k] = 0x80;
    SetKeyboardState(state);
}

HeldKeys::~HeldKeys() { SetKeyboardState(FSaved); }

}  // namespace testing_support
