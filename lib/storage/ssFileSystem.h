// The file system a drive carries.
#pragma once
#include "SysUtils.h"

class TssFileSystem : public TObject {
    SS_CLASS(TssFileSystem, TObject)
public:
    explicit TssFileSystem(wchar_t DriveLetter) { SetDriveLetter(DriveLetter); }
    wchar_t DriveLetter() const { return FDrive[0]; }
    void SetDriveLetter(wchar_t Value);
    // Asked of the volume until it answers, then kept.
    String FileSystemName();
    bool IsFAT16() { return FileSystemName() == L"FAT"; }
    bool IsFAT32() { return FileSystemName() == L"FAT32"; }
    bool IsNTFS() { return FileSystemName() == L"NTFS"; }
    bool IsHPFS() { return FileSystemName() == L"HPFS"; }

private:
    String FDrive;
    String FFileSystemName;
};
