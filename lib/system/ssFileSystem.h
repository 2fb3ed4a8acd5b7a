// The file system a drive carries.
#pragma once
#include "SysUtils.h"

// What the volume of a drive ("C:") tells about itself, read with 260-character buffers.
struct TVolumeInfo {
    String Label;
    String FileSystemName;
    unsigned long MaxNameLength = 0;
};
// False, with the platform's last error set, when the volume does not answer.
bool QueryVolume(const String& drive, TVolumeInfo& info);

// The volume of a drive: its name, serial number, file system and flags.
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
