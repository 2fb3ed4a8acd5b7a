#include "ssFileSystem.h"

#include "WinApi.h"

void TssFileSystem::SetDriveLetter(wchar_t Value) {
    FDrive = UpperCase(String(1, Value)) + L":";
    FFileSystemName.clear();
}

bool QueryVolume(const String& drive, TVolumeInfo& info) {
    wchar_t name[MAX_PATH + 1] = {}, fs[MAX_PATH + 1] = {};
    DWORD serial = 0, maxLen = 0, flags = 0;
    if (!GetVolumeInformationW((drive + L"\\").c_str(), name, MAX_PATH, &serial, &maxLen, &flags, fs, MAX_PATH))
        return false;
    info = TVolumeInfo{name, fs, maxLen};
    return true;
}

String TssFileSystem::FileSystemName() {
    TVolumeInfo info;
    if (FFileSystemName.empty() && QueryVolume(FDrive, info)) FFileSystemName = info.FileSystemName;
    return FFileSystemName;
}
