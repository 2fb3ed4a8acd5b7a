// Stands in for the SQL Server command-line client. Into the folder named by SQLCMD_RECORD_DIR
// it appends its command line to calls.txt (UTF-8, one line a call), copies the script given
// with -i to script<N>.sql and the batch beside it to batch<N>.bat, and appends how its parent (the command interpreter running the
// batch) was started to parents.txt: "<start flags> <show state>". It writes "done" to the
// -o file, as the real client writes its output there. SQLCMD_EXIT_CODES gives the exit code
// of each call in turn ("1 0": the first call fails), 0 after the list. With SQLCMD_HOLD_BATCH
// naming an event, it leaves a copy of itself behind that keeps the batch open, without letting
// it be deleted, until the event is set.
#include <windows.h>
#include <shellapi.h>
#include <tlhelp32.h>
#include <winternl.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

std::wstring Env(const wchar_t* name) {
    wchar_t buf[4096];
    DWORD n = GetEnvironmentVariableW(name, buf, 4096);
    return n && n < 4096 ? std::wstring(buf, n) : std::wstring();
}

std::string Utf8(const std::wstring& s) {
    int n = WideCharToMultiByte(CP_UTF8, 0, s.data(), int(s.size()), nullptr, 0, nullptr, nullptr);
    std::string r(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, s.data(), int(s.size()), r.data(), n, nullptr, nullptr);
    return r;
}

void Append(const std::wstring& file, const std::string& bytes) {
    HANDLE h = CreateFileW(file.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
    DWORD put = 0;
    WriteFile(h, bytes.data(), DWORD(bytes.size()), &put, nullptr);
    CloseHandle(h);
}

// The number of calls recorded in calls.txt, this one included.
int CallNumber(const std::wstring& calls) {
    HANDLE h = CreateFileW(calls.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    int lines = 0;
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(h, buf, sizeof(buf), &got, nullptr) && got)
        for (DWORD i = 0; i < got; ++i) lines += buf[i] == '\n';
    CloseHandle(h);
    return lines;
}

int ExitCodeOfCall(int call) {
    std::wistringstream codes(Env(L"SQLCMD_EXIT_CODES"));
    int code = 0;
    for (int i = 0; i < call; ++i)
        if (!(codes >> code)) return 0;
    return code;
}

DWORD ParentPid() {
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W pe{sizeof(pe)};
    DWORD parent = 0;
    for (BOOL ok = Process32FirstW(snap, &pe); ok; ok = Process32NextW(snap, &pe))
        if (pe.th32ProcessID == GetCurrentProcessId()) parent = pe.th32ParentProcessID;
    CloseHandle(snap);
    return parent;
}

// Where the process parameters keep WindowFlags and ShowWindowFlags (side by side), and where
// the PEB keeps the parameters, in a process of this program's own width: the command interpreter
// that runs the batch is started by the tool, which has this program's width.
#ifdef _WIN64
constexpr size_t kParamsInPeb = 0x20, kWindowFlags = 0xA4;
#else
constexpr size_t kParamsInPeb = 0x10, kWindowFlags = 0x68;
#endif

// The start flags and show state the parent process was created with, read from its process
// parameters.
std::string ParentStart() {
    HANDLE p = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, ParentPid());
    if (!p) return "unknown";
    PROCESS_BASIC_INFORMATION pbi{};
    ULONG len = 0;
    std::string result = "unknown";
    if (NtQueryInformationProcess(p, ProcessBasicInformation, &pbi, sizeof(pbi), &len) == 0) {
        BYTE* params = nullptr;
        DWORD values[2] = {};
        SIZE_T got = 0;
        if (ReadProcessMemory(p, reinterpret_cast<BYTE*>(pbi.PebBaseAddress) + kParamsInPeb, &params, sizeof(params),
                              &got) &&
            ReadProcessMemory(p, params + kWindowFlags, values, sizeof(values), &got))
            result = std::to_string(values[0]) + " " + std::to_string(values[1]);
    }
    CloseHandle(p);
    return result;
}

// Starts "sqlcmd --hold" with an inherited handle on the batch; it lives on after this call.
void LeaveBatchHeld(const std::wstring& batch) {
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    HANDLE h = CreateFileW(batch.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0,
                           nullptr);
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring cmd = L"\"" + std::wstring(self) + L"\" --hold";
    STARTUPINFOW si{sizeof(si)};
    PROCESS_INFORMATION pi{};
    if (CreateProcessW(self, cmd.data(), nullptr, nullptr, TRUE, DETACHED_PROCESS, nullptr, nullptr, &si, &pi)) {
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    CloseHandle(h);
}

}  // namespace

int wmain() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc == 2 && std::wstring(argv[1]) == L"--hold") {
        HANDLE release = OpenEventW(SYNCHRONIZE, FALSE, Env(L"SQLCMD_HOLD_BATCH").c_str());
        WaitForSingleObject(release, 60000);
        return 0;
    }
    std::wstring dir = Env(L"SQLCMD_RECORD_DIR");
    if (dir.empty()) return 1;
    Append(dir + L"\\calls.txt", Utf8(GetCommandLineW()) + "\n");
    const int call = CallNumber(dir + L"\\calls.txt");
    Append(dir + L"\\parents.txt", ParentStart() + "\n");

    for (int i = 1; i + 1 < argc; ++i) {
        std::wstring opt = argv[i];
        if (opt == L"-i") {
            WIN32_FIND_DATAW fd;
            HANDLE f = FindFirstFileW((dir + L"\\script*.sql").c_str(), &fd);
            int n = 0;
            if (f != INVALID_HANDLE_VALUE) {
                do ++n; while (FindNextFileW(f, &fd));
                FindClose(f);
            }
            std::wstring script = argv[i + 1];
            CopyFileW(script.c_str(), (dir + L"\\script" + std::to_wstring(n + 1) + L".sql").c_str(), FALSE);
            // The batch that called us lies beside the script under the same name.
            std::wstring batch = script.substr(0, script.size() - 4) + L".bat";
            CopyFileW(batch.c_str(), (dir + L"\\batch" + std::to_wstring(n + 1) + L".bat").c_str(), FALSE);
            if (!Env(L"SQLCMD_HOLD_BATCH").empty()) LeaveBatchHeld(batch);
        } else if (opt == L"-o") {
            HANDLE h = CreateFileW(argv[i + 1], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
            DWORD put = 0;
            WriteFile(h, "done\r\n", 6, &put, nullptr);
            CloseHandle(h);
        }
    }
    LocalFree(argv);
    return ExitCodeOfCall(call);
}
