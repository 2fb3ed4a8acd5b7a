#include <gtest/gtest.h>

#include "TestSupport.h"
#include "ssOSVer.h"

namespace {

using namespace testing_support;

TssOSVer Snapshot(DWORD platform, DWORD major, DWORD minor, DWORD build, const String& productType) {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof(info);
    info.dwPlatformId = platform;
    info.dwMajorVersion = major;
    info.dwMinorVersion = minor;
    info.dwBuildNumber = build;
    OSVERSIONINFOEXW ex{};
    return TssOSVer(info, ex, productType);
}

constexpr DWORD NT = VER_PLATFORM_WIN32_NT, W9X = VER_PLATFORM_WIN32_WINDOWS;

// Every predicate named in a row must be true and every other predicate false.
TEST(OSVerPredicates, TableOfVersions) {
    using P = bool (TssOSVer::*)() const;
    const std::pair<const char*, P> all[] = {
        {"NT", &TssOSVer::isWinNT}, {"9x", &TssOSVer::isWin9x}, {"95", &TssOSVer::isWin95},
        {"98", &TssOSVer::isWin98}, {"ME", &TssOSVer::isWinME}, {"OSR2", &TssOSVer::isOSR2},
        {"Server", &TssOSVer::isNTServer}, {"Workstation", &TssOSVer::isNTWorkstation},
        {"2000", &TssOSVer::isWin2000}, {"XP", &TssOSVer::isWinXP}, {"2003", &TssOSVer::isWin2003},
        {"Vista", &TssOSVer::isWinVista}, {"2008", &TssOSVer::isWin2008}, {"7", &TssOSVer::isWin7},
        {"2008R2", &TssOSVer::isWin2008R2}, {"8", &TssOSVer::isWin8}, {"2012", &TssOSVer::isWin2012},
        {"8.1", &TssOSVer::isWin8_1}, {"2012R2", &TssOSVer::isWin2012R2}, {">=XP", &TssOSVer::isAboveWinXP},
        {">=Vista", &TssOSVer::isAboveWinVista}, {">=7", &TssOSVer::isAboveWin7}, {">=8", &TssOSVer::isAboveWin8},
        {">=8.1", &TssOSVer::isAboveWin8_1}, {">=10", &TssOSVer::isAboveWin10},
    };
    struct Row { DWORD platform, major, minor, build; const wchar_t* type; std::vector<std::string> truths; };
    const Row rows[] = {
        {W9X, 4, 0, 950, L"", {"9x", "95"}},
        {W9X, 4, 0, 0x04000000 | 1111, L"", {"9x", "95", "OSR2"}},
        {W9X, 4, 10, 1998, L"", {"9x", "98"}},
        {W9X, 4, 90, 3000, L"", {"9x", "98", "ME"}},
        {NT, 4, 0, 1381, L"WinNT", {"NT", "Workstation"}},
        {NT, 5, 0, 2195, L"LanmanNT", {"NT", "Server", "2000"}},
        {NT, 5, 1, 2600, L"WinNT", {"NT", "Workstation", "XP", ">=XP"}},
        {NT, 5, 2, 3790, L"ServerNT", {"NT", "Server", "2003", ">=XP"}},
        {NT, 6, 0, 6002, L"WINNT", {"NT", "Workstation", "Vista", ">=XP", ">=Vista"}},
        {NT, 6, 0, 6002, L"SeRvErNt", {"NT", "Server", "2008", ">=XP", ">=Vista"}},
        {NT, 6, 1, 7601, L"", {"NT", ">=XP", ">=Vista", ">=7"}},
        {NT, 6, 1, 7601, L"WinNT", {"NT", "Workstation", "7", ">=XP", ">=Vista", ">=7"}},
        {NT, 6, 1, 7601, L"ServerNT", {"NT", "Server", "2008R2", ">=XP", ">=Vista", ">=7"}},
        {NT, 6, 2, 9200, L"WinNT", {"NT", "Workstation", "8", ">=XP", ">=Vista", ">=7", ">=8"}},
        {NT, 6, 2, 9200, L"ServerNT", {"NT", "Server", "2012", ">=XP", ">=Vista", ">=7", ">=8"}},
        {NT, 6, 3, 9600, L"WinNT", {"NT", "Workstation", "8.1", ">=XP", ">=Vista", ">=7", ">=8", ">=8.1"}},
        {NT, 6, 3, 9600, L"ServerNT", {"NT", "Server", "2012R2", ">=XP", ">=Vista", ">=7", ">=8", ">=8.1"}},
        {NT, 10, 0, 19045, L"WinNT", {"NT", "Workstation", ">=XP", ">=Vista", ">=7", ">=8", ">=8.1", ">=10"}},
    };
    for (const Row& row : rows) {
        TssOSVer v = Snapshot(row.platform, row.major, row.minor, row.build, row.type);
        for (const auto& [name, pred] : all) {
            bool expected = std::find(row.truths.begin(), row.truths.end(), name) != row.truths.end();
            EXPECT_EQ((v.*pred)(), expected) << row.major << "." << row.minor << " " << Utf8(row.type) << ": " << name;
        }
    }
}

TEST(OSVerSnapshot, ReadsTheRunningSystem) {
    TssOSVer v;
    EXPECT_TRUE(v.isWinNT());
    EXPECT_GE(v.MajorVersion(), 5);
    EXPECT_GT(v.BuildNumber(), 0);
    EXPECT_FALSE(v.ProductType().empty());
    EXPECT_FALSE(v.isHomeEdition());
    EXPECT_FALSE(v.isWinXPHome());
}

// Runs the probe under the Windows version Wine is told to report for it by name.
std::string ProbeUnder(const String& wineVersion) {
    TempDir dir;
    String exeName = L"osver_" + wineVersion + L".exe";
    if (!CopyFileW((BinDir() + L"osverprobe.exe").c_str(), (dir / exeName).c_str(), FALSE)) return "copy failed";
    WineVersionFor version(exeName, wineVersion);
    return CaptureOutput(dir / exeName, L"");
}

// Wine reports the version set for the program; without a supportedOS entry in the manifest,
// Windows 10 reports 6.2 as Windows itself does.
TEST(OSVerSnapshot, FollowsTheVersionWineReports) {
    EXPECT_EQ(ProbeUnder(L"winxp"), "5 1 1 0 0 0 0 WinNT");
    EXPECT_EQ(ProbeUnder(L"win7"), "6 1 1 1 1 0 1 WinNT");
    EXPECT_EQ(ProbeUnder(L"win10"), "6 2 1 1 1 0 0 WinNT");
}

}  // namespace
