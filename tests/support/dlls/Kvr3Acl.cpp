// The access-control library as the tests use it: KVR_AddAce appends the folder it is given to
// the file named by KVR3ACL_LOG (one line a call) and answers the number in KVR3ACL_RESULT
// (0, success, when unset).
#include <windows.h>

#include <cstdlib>
#include <string>

extern "C" __declspec(dllexport) int __stdcall KVR_AddAce(const char* path) {
    char log[MAX_PATH] = {}, result[16] = {};
    if (GetEnvironmentVariableA("KVR3ACL_LOG", log, MAX_PATH)) {
        HANDLE h = CreateFileA(log, FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
        std::string line = std::string(path ? path : "") + "\n";
        DWORD put = 0;
        WriteFile(h, line.data(), DWORD(line.size()), &put, nullptr);
        CloseHandle(h);
    }
    return GetEnvironmentVariableA("KVR3ACL_RESULT", result, 16) ? std::atoi(result) : 0;
}
