// What kind of drive a letter names, classified once when the object is made.
#pragma once
#include "SysUtils.h"

// The kind of a drive letter (fixed, removable, network, optical, RAM disk), read once.
class TssDriveType : public TObject {
    SS_CLASS(TssDriveType, TObject)
public:
    explicit TssDriveType(wchar_t DriveLetter) { SetDrive(DriveLetter); }
    int DriveType() const { return FDriveType; }
    void SetDriveType(int v) { FDriveType = v; }
    bool IsCDROM() const { return FDriveType == 5 || FDVDRAM; }
    bool IsDVDRAM() const { return FDVDRAM; }
    bool IsFixed() const { return FDriveType == 3; }
    bool IsRemovable() const { return FDriveType == 2; }
    bool IsRemote() const { return FDriveType == 4; }
    bool IsLocal() const { return FDriveType != 0 && FDriveType != 4; }
    bool IsRamdisk() const { return FDriveType == 6; }
    bool IsFloppy() const { return FFloppy; }
    bool IsMODisk() const { return IsRemovable() && !FFloppy; }

private:
    void SetDrive(wchar_t letter);
    int FDriveType = 0;
    bool FFloppy = false;
    bool FDVDRAM = false;
};

// The support library's answer whether the optical drive is a DVD-RAM drive (XP and later).
bool CheckDVDRAM(wchar_t letter);
// The removable drive is a floppy-disk drive.
bool CheckFloppy(wchar_t letter);
