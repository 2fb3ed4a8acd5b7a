// The DVD-RAM probe as the tests use it: a drive is a DVD-RAM drive when its letter is among
// the letters in the environment variable KVR3DVD_DRIVES.
#include <windows.h>

#include <cctype>
#include <cstring>

extern "C" __declspec(dllexport) int __stdcall IsDVDRAM(const char* drive) {
    char drives[64] = {};
    if (!drive || !*drive || !GetEnvironmentVariableA("KVR3DVD_DRIVES", drives, 64)) return 0;
    for (const char* p = drives; *p; ++p)
        if (std::toupper(static_cast<unsigned char>(*p)) == std::toupper(static_cast<unsigned char>(drive[0])))
            return 1;
    return 0;
}
