// What depends on the width of the process. The 32-bit build runs in a win32 prefix (a 32-bit
// Windows); the 64-bit build in a win64 prefix, where a 64-bit program sees the system as it is:
// no WOW64, the 64-bit program files folder, the registry's 64-bit view, no file redirection.
#include <gtest/gtest.h>

#include <cstring>

#include "WinApi.h"
#include <shlobj.h>

#include "TestSupport.h"
#include "ssComFolder.h"
#include "ssOSVer.h"
#include "ssRegistry.h"
#include "ssSysInf.h"

namespace {

using namespace testing_support;

constexpr bool k64BitProcess = sizeof(void*) == 8;

String SpecialFolder(int csidl) {
    wchar_t buf[MAX_PATH + 1] = {};
    return SUCCEEDED(SHGetFolderPathW(nullptr, csidl, nullptr, 0, buf)) ? String(buf) : String();
}

// The machine field of an executable's header: 0x14C for x86, 0x8664 for x64.
unsigned ImageMachine(const String& file) {
    std::string bytes = ReadBytes(file);
    if (bytes.size() < 64) return 0;
    std::uint32_t pe = 0;
    std::memcpy(&pe, bytes.data() + 60, 4);
    if (bytes.size() < pe + 6u || bytes.compare(pe, 4, std::string("PE\0\0", 4)) != 0) return 0;
    return std::uint8_t(bytes[pe + 4]) | std::uint8_t(bytes[pe + 5]) << 8;
}

TEST(Architecture, A64BitProcessKnowsItRunsOnA64BitWindows) {
    EXPECT_EQ(TssOSVer().is64bitOS(), k64BitProcess);
}

TEST(Architecture, ProgramFilesFolders) {
    TssCommonFolder folders;
    const String programFiles = folders.ProgramFilesFolder();
    EXPECT_FALSE(programFiles.empty());
    // A 64-bit program's own folder is the 64-bit one; on a 32-bit Windows there is only one.
    EXPECT_EQ(folders.ProgramFilesFolderX64(), programFiles);
    if (k64BitProcess) {
        EXPECT_NE(SpecialFolder(CSIDL_PROGRAM_FILESX86), programFiles);
    }
}

// The system folder the probes report holds programs of the process's own width: a 64-bit
// program is not redirected to the 32-bit system folder.
TEST(Architecture, TheSystemFolderHoldsProgramsOfTheProcessWidth) {
    const String cmd = TssSystemInfo().SystemDir() + L"\\cmd.exe";
    EXPECT_EQ(ImageMachine(cmd), k64BitProcess ? 0x8664u : 0x14Cu) << Utf8(cmd);
}

// A value written to the 64-bit view is what the library's registry reads; the 32-bit view's
// copy (WOW6432Node) is not. On a 32-bit Windows both flags name the one view.
TEST(Architecture, TheRegistryReadsItsOwnView) {
    if (!k64BitProcess) GTEST_SKIP() << "a 32-bit Windows has one registry view";
    const wchar_t* key = L"Software\\ssArchitectureTest";
    auto put = [&](REGSAM view, const wchar_t* value) {
        HKEY k = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_WRITE | view, nullptr, &k, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExW(k, L"v", 0, REG_SZ, reinterpret_cast<const BYTE*>(value), DWORD((wcslen(value) + 1) * 2));
        RegCloseKey(k);
    };
    put(KEY_WOW64_64KEY, L"64");
    put(KEY_WOW64_32KEY, L"32");
    TssRegistry r;
    ASSERT_TRUE(r.OpenKey(String(L"\\") + key, false));
    EXPECT_EQ(r.ReadString(L"v"), L"64");
    r.CloseKey();
    RegDeleteKeyExW(HKEY_LOCAL_MACHINE, key, KEY_WOW64_64KEY, 0);
    RegDeleteKeyExW(HKEY_LOCAL_MACHINE, key, KEY_WOW64_32KEY, 0);
}

}  // namespace
