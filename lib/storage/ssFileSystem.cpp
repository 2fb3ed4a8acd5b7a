#include "ssFileSystem.h"

#include "WinApi.h"

void TssFileSystem::SetDriveLetter(wchar_t Value) {
    FDrive = UpperCase(String(1, Value)) + L":";
    FFileSystemName.clear();
}

String TssFileSystem::FileSystemName() {
    if (FFileSystemName.empty()) {
        wchar_t name[MAX_PATH + 1] = {}, fs[MAX_PATH + 1] = {};
        DWORD serial, maxLen, flags;
        if (GetVolumeInformationW((FDrive + L"\\").c_str(), name, MAX_PATH, &serial, &maxLen, &flags, fs, MAX_PATH))
            FFileSystemName = fs;
    }
    return FFileSystemName;
}
