// Questions about one drive letter: kind, file system, readiness, writability, space, label,
// network path, and the entry points of the formatting library.
#pragma once
#include <cstdint>
#include <memory>

#include "Classes.h"
#include "WinApi.h"
#include "ssDriveType.h"
#include "ssFileSystem.h"

// One drive letter: its kind, file system, readiness, whether it can be written, its space,
// label and network path.
class TssDrive : public TComponent {
    SS_CLASS(TssDrive, TComponent)
public:
    explicit TssDrive(TComponent* AOwner);
    // The unit's start-up step: looks up GetDiskFreeSpaceExW in KERNEL32.
    static void Startup();

    wchar_t DriveLetter() const { return FDrive[0]; }
    // Classifies the drive again.
    void SetDriveLetter(wchar_t Value);
    const String& DriveString() const { return FDrive; }
    // The readiness test also proves the drive can be written.
    bool WriteCheck() const { return FWriteCheck; }
    void SetWriteCheck(bool v) { FWriteCheck = v; }
    // The Windows error found by the last readiness test, 29 for a failed write test, else 0.
    int Error() const { return FError; }

    String VolumeLabel() const;
    int MaxNameLength() const;
    String FileSystemName() const { return FFileSystem->FileSystemName(); }
    int GetDriveType() const { return FDriveType->DriveType(); }
    std::int64_t FreeSpace();
    std::int64_t TotalSpace();
    String UNC() const;

    bool IsFAT16() const { return FFileSystem->IsFAT16(); }
    bool IsFAT32() const { return FFileSystem->IsFAT32(); }
    bool IsNTFS() const { return FFileSystem->IsNTFS(); }
    bool IsHPFS() const { return FFileSystem->IsHPFS(); }
    bool IsCDROM() const { return FDriveType->IsCDROM(); }
    bool IsDVDRAM() const { return FDriveType->IsDVDRAM(); }
    bool IsFixed() const { return FDriveType->IsFixed(); }
    bool IsRemovable() const { return FDriveType->IsRemovable(); }
    bool IsRemote() const { return FDriveType->IsRemote(); }
    bool IsLocal() const { return FDriveType->IsLocal(); }
    bool IsRamdisk() const { return FDriveType->IsRamdisk(); }
    bool IsFloppy() const { return FDriveType->IsFloppy(); }
    bool IsMODisk() const { return FDriveType->IsMODisk(); }

    bool IsExist() const;
    bool IsReady();
    bool IsMediaOK();
    bool IsEmpty() const;
    void GetDiskSpace(std::int64_t& Free, std::int64_t& Total);
    bool SetVolLabel(const String& VolumeLabelName);
    void FormatRemovableDisk();
    void FormatRemovableDiskDialog();

private:
    bool WriteTest();
    HWND OwnerWindow() const;

    std::unique_ptr<TssFileSystem> FFileSystem;
    std::unique_ptr<TssDriveType> FDriveType;
    String FDrive;
    int FError = 0;
    TComponent* FOwner;
    bool FWriteCheck = false;
};

// A name under prefix that is neither a file nor a folder: prefix and 8 hexadecimal digits.
String MakeProbeName(const String& Prefix);
