#include "ssDriveType.h"

#include "WinApi.h"
#include "ssLoadLib.h"
#include "ssOSVer.h"

namespace {

// The DOS block-device request of the Windows 9x family, through the VWIN32 device.
bool CheckFloppy9x(wchar_t letter) {
    TKernelHandle dev(CreateFileA("\\\\.\\VWIN32", 0, 0, nullptr, 0, FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (!dev.Valid()) return false;
    struct Registers {
        DWORD ebx, edx, ecx, eax, edi, esi, flags;
    };
    BYTE params[64] = {};
    Registers regs{DWORD(towupper(letter) - 64), DWORD(reinterpret_cast<UINT_PTR>(params)), 0x0860, 0x440D, 0, 0, 1};
    DWORD got = 0;
    BOOL ok = DeviceIoControl(dev.Get(), 1, &regs, sizeof(regs), &regs, sizeof(regs), &got, nullptr);
    return ok && !(regs.flags & 1) && (params[1] == 2 || params[1] == 7 || params[1] == 9);
}

}  // namespace

bool CheckDVDRAM(wchar_t letter) {
    if (!TssOSVer().isAboveWinXP()) return false;
    TLibraryHandle lib(LoadSharedLibrary(L"KVR3DVD.DLL"));
    if (!lib) return false;
    using IsDvdRamFn = int(WINAPI*)(const char*);
    auto fn = lib.Proc<IsDvdRamFn>("IsDVDRAM");
    AnsiString drive = StringToAnsi(String(1, letter));
    return fn && fn(drive.c_str()) != 0;
}

bool CheckFloppy(wchar_t letter) {
    if (!TssOSVer().isWinNT()) return CheckFloppy9x(letter);
    wchar_t device[MAX_PATH + 1] = {};
    if (!QueryDosDeviceW((String(1, letter) + L":").c_str(), device, MAX_PATH)) return false;
    String lower = device;
    CharLowerBuffW(lower.data(), DWORD(lower.size()));
    return lower.find(L"floppy") != String::npos;
}

void TssDriveType::SetDrive(wchar_t letter) {
    FDriveType = 0;
    FFloppy = false;
    FDVDRAM = false;
    FDriveType = int(GetDriveTypeW((UpperCase(String(1, letter)) + L":\\").c_str()));
    if (IsCDROM()) {
        FDVDRAM = CheckDVDRAM(letter);
        if (FDVDRAM) FDriveType = 2;
    }
    if (IsRemovable()) FFloppy = CheckFloppy(letter);
}
