#include "ssDrive.h"

#include <random>

#include "Controls.h"
#include "WinApi.h"
#include "ssDll.h"
#include "ssOSVer.h"

namespace {

using SpaceQueryFn = BOOL(WINAPI*)(LPCWSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);

// The space query is looked up once, by the unit's start-up step (or a use before it).
SpaceQueryFn SpaceQuery() {
    static const SpaceQueryFn fn = OptionalProc<SpaceQueryFn>(L"kernel32.dll", "GetDiskFreeSpaceExW");
    return fn;
}

// Opens (or creates) the probe file for writing, then removes it; 0 or the Windows error.
DWORD FileProbe(const String& name) {
    {
        TKernelHandle h(CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    FileOrDirectoryExists(name) ? OPEN_EXISTING : CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!h.Valid()) return GetLastError();
    }
    Sleep(100);
    DeleteFileW(name.c_str());
    return 0;
}

}  // namespace

String MakeProbeName(const String& Prefix) {
    std::mt19937 random(unsigned(GetTickCount()) + GetCurrentThreadId());
    String name;
    for (int i = 0; i < 100; ++i) {
        name = Prefix + Format(L"%8.8x", {(long long)random()});
        if (!FileOrDirectoryExists(name)) break;
    }
    return name;
}

TssDrive::TssDrive(TComponent* AOwner) : TComponent(AOwner), FOwner(AOwner) { SetDriveLetter(L'C'); }

void TssDrive::SetDriveLetter(wchar_t Value) {
    FDrive = UpperCase(String(1, Value)) + L":";
    FFileSystem = std::make_unique<TssFileSystem>(Value);
    FDriveType = std::make_unique<TssDriveType>(Value);
}

String TssDrive::VolumeLabel() const {
    TVolumeInfo info;
    return QueryVolume(FDrive, info) ? info.Label : String();
}

int TssDrive::MaxNameLength() const {
    TVolumeInfo info;
    return QueryVolume(FDrive, info) ? int(info.MaxNameLength) : 0;
}

String TssDrive::UNC() const {
    wchar_t remote[MAX_PATH + 1] = {};
    DWORD len = MAX_PATH;
    return WNetGetConnectionW(FDrive.c_str(), remote, &len) == NO_ERROR ? String(remote) : String();
}

bool TssDrive::IsExist() const {
    int bit = towupper(FDrive[0]) - L'A';
    return bit >= 0 && bit < 26 && (GetLogicalDrives() >> bit) & 1;
}

bool TssDrive::IsReady() {
    FError = 0;
    bool result;
    if (!IsExist()) {
        SetLastError(ERROR_INVALID_DRIVE);
        result = false;
    } else {
        TVolumeInfo info;
        result = QueryVolume(FDrive, info);
        if (!result) {
            FError = int(GetLastError());
            result = FError != ERROR_NOT_READY && FError != 1112;  // 1112: no media in the drive
        }
    }
    if (result && FWriteCheck) {
        ErrorModeScope quiet;
        result = WriteTest();
    }
    return result;
}

bool TssDrive::WriteTest() {
    const String root = FDrive + L"\\";
    String file = MakeProbeName(root);
    if (TssOSVer().isAboveWinXP() && IsNTFS()) {
        String folder = MakeProbeName(root);
        if (FileOrDirectoryExists(folder)) {
            RemoveDirectoryW(folder.c_str());
            Sleep(100);
            if (FileOrDirectoryExists(folder)) {
                FError = 29;
                return false;
            }
        }
        if (CreateDirectoryW(folder.c_str(), nullptr)) {
            Sleep(100);
            bool made = FileOrDirectoryExists(folder);
            if (made) RemoveDirectoryW(folder.c_str());
            return made;
        }
        DWORD code = FileProbe(file);
        if (code == ERROR_WRITE_PROTECT || (code == ERROR_ACCESS_DENIED && IsRemote())) {
            FError = 29;
            return false;
        }
        return true;
    }
    if (FileProbe(file) == 0) return true;
    FError = 29;
    return false;
}

bool TssDrive::IsMediaOK() { return IsReady() && FError == 0; }

bool TssDrive::IsEmpty() const {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((FDrive + L"\\*.*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return true;
    bool empty = true;
    do {
        String name = fd.cFileName;
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || (name != L"." && name != L"..")) empty = false;
    } while (empty && FindNextFileW(h, &fd));
    FindClose(h);
    return empty;
}

void TssDrive::Startup() { SpaceQuery(); }

void TssDrive::GetDiskSpace(std::int64_t& Free, std::int64_t& Total) {
    Free = Total = 0;
    if (!IsMediaOK()) return;
    TssOSVer os;
    if (os.isWinNT() || os.isWin98() || os.isOSR2()) {
        ULARGE_INTEGER avail, total, totalFree;
        if (SpaceQueryFn fn = SpaceQuery(); fn && fn((FDrive + L"\\").c_str(), &avail, &total, &totalFree)) {
            Free = std::int64_t(avail.QuadPart);
            Total = std::int64_t(total.QuadPart);
        }
        return;
    }
    DWORD sectorsPerCluster, bytesPerSector, freeClusters, totalClusters;
    if (GetDiskFreeSpaceW((FDrive + L"\\").c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters,
                          &totalClusters)) {
        Free = std::int64_t(freeClusters) * sectorsPerCluster * bytesPerSector;
        Total = std::int64_t(totalClusters) * sectorsPerCluster * bytesPerSector;
    }
}

std::int64_t TssDrive::FreeSpace() {
    std::int64_t free, total;
    GetDiskSpace(free, total);
    return free;
}

std::int64_t TssDrive::TotalSpace() {
    std::int64_t free, total;
    GetDiskSpace(free, total);
    return total;
}

// Labels longer than the copy buffer's 259 characters are refused rather than cut.
bool TssDrive::SetVolLabel(const String& VolumeLabelName) {
    if (!IsExist() || VolumeLabelName.size() > MAX_PATH - 1) return false;
    return SetVolumeLabelW((FDrive + L"\\").c_str(), VolumeLabelName.c_str()) != 0;
}

HWND TssDrive::OwnerWindow() const {
    auto* control = dynamic_cast<TWinControl*>(FOwner);
    return control ? control->Handle() : nullptr;
}

void TssDrive::FormatRemovableDisk() {
    if (GetDriveType() != 2) return;
    auto* lib = new TssDll(this);
    std::unique_ptr<TssDll> release(lib);
    lib->SetDllName(L"kvr3fmt.DLL");
    if (!lib->Load()) return;
    using FormatFn = int(WINAPI*)(HWND, int);
    if (auto fn = reinterpret_cast<FormatFn>(lib->GetFuncAddress(AnsiString("ssFmtDisk"))))
        fn(OwnerWindow(), towupper(FDrive[0]) - L'A');
    lib->Unload();
}

void TssDrive::FormatRemovableDiskDialog() {
    auto* lib = new TssDll(this);
    std::unique_ptr<TssDll> release(lib);
    lib->SetDllName(L"kvr3fmt.DLL");
    if (!lib->Load()) return;
    using DialogFn = int(WINAPI*)(HWND);
    if (auto fn = reinterpret_cast<DialogFn>(lib->GetFuncAddress(AnsiString("ssFmtDlg")))) fn(OwnerWindow());
    lib->Unload();
}
