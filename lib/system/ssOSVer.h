// Which Windows this process runs on: a snapshot taken when the object is made, and predicates.
#pragma once
#include "WinApi.h"
#include "System.h"

// The Windows version the process runs on, taken when the object is made, with predicates
// such as isAboveWinVista and isHomeEdition. Make one, ask, free it.
class TssOSVer {
public:
    // Takes the snapshot from the system's version queries and registry.
    TssOSVer();
    // A snapshot made of the given records, for answering the predicates about another system.
    TssOSVer(const OSVERSIONINFOW& info, const OSVERSIONINFOEXW& infoEx, const String& productType);

    int MajorVersion() const { return int(VerInfo.dwMajorVersion); }
    int MinorVersion() const { return int(VerInfo.dwMinorVersion); }
    int BuildNumber() const { return int(VerInfo.dwBuildNumber); }
    String CSDVersion() const { return VerInfo.szCSDVersion; }
    int ServicePackMajor() const { return VerInfoEx.wServicePackMajor; }
    int ServicePackMinor() const { return VerInfoEx.wServicePackMinor; }
    const String& ProductType() const { return FProductType; }

    bool isWinNT() const;
    bool isWin9x() const;
    bool isWin95() const;
    bool isWin98() const;
    bool isWinME() const;
    bool isOSR2() const;
    bool isNTServer() const;
    bool isNTWorkstation() const;
    bool isWin2000() const;
    bool isWinXP() const;
    bool isWin2003() const;
    bool isWinVista() const;
    bool isWin2008() const;
    bool isWin7() const;
    bool isWin2008R2() const;
    bool isWin8() const;
    bool isWin2012() const;
    bool isWin8_1() const;
    bool isWin2012R2() const;
    bool isAboveWinXP() const;
    bool isAboveWinVista() const;
    bool isAboveWin7() const;
    bool isAboveWin8() const;
    bool isAboveWin8_1() const;
    bool isAboveWin10() const;
    bool isWinXPHome() const;
    // Asks the running system whether it is a home edition (XP and later only).
    bool isHomeEdition() const;
    // True on a 64-bit Windows: a 32-bit program asks whether it runs under WOW64; a 64-bit
    // program runs only on a 64-bit Windows.
    bool is64bitOS() const;

private:
    bool IsNTVersion(DWORD major, DWORD minor) const;
    OSVERSIONINFOW VerInfo;
    OSVERSIONINFOEXW VerInfoEx;
    String FProductType;
};
