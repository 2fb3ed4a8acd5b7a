// Facts about the machine and the session: names, folders, processors, memory, screen, input
// methods, group membership and user account control.
#pragma once
#include <cstdint>
#include <memory>

#include "Classes.h"
#include "ssOSVer.h"

// The machine and the session: user and computer names, Windows, system and temporary
// folders, processors, memory, screen, input methods, administrators and user account control.
class TssSystemInfo : public TObject {
    SS_CLASS(TssSystemInfo, TObject)
public:
    TssSystemInfo();

    const TssOSVer& OSVer() const { return *fOsVer; }
    String UserName() const;
    String ComputerName() const;
    String SystemDir() const;
    String WindowsDir() const;
    // %TEMP%, else %TMP%, else the shared folder scheme's temporary folder (made if missing).
    String TempDir() const;
    int NumOfProcessors() const;
    int ProcessorType() const;
    std::uint32_t PhysicalMem() const;
    std::uint32_t TotalPageFile() const;
    std::uint32_t AvailPageFile() const;
    std::uint64_t PhysicalMemEx() const;
    std::uint64_t AvailPhysMemEx() const;
    std::uint64_t TotalPageFileEx() const;
    std::uint64_t AvailPageFileEx() const;
    int ScreenWidth() const;
    int ScreenHeight() const;
    String DefaultIme() const;
    std::unique_ptr<TStringList> Imes() const;
    bool UACEnabled() const;
    // The process token holds the built-in group with the relative id CheckAuthority
    // (544: administrators).
    bool HasAuthority(DWORD CheckAuthority) const;

private:
    std::unique_ptr<TssOSVer> fOsVer;
};
