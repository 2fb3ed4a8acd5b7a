#include <gtest/gtest.h>

#include "TestSupport.h"
#include "ssComFolder.h"
#include "ssRegistry.h"
#include "ssSysInf.h"

namespace {

using namespace testing_support;

// The test folder library lies beside this program, so it is found by its plain name.
class Folders : public ::testing::Test {
protected:
    TempDir dir;
    ScopedEnv root{L"KVR3FLDR_ROOT", dir.Path()};
};

TEST_F(Folders, TheLibraryAnswersWhatNoKeyOverrides) {
    TssCommonFolder folders;
    ASSERT_TRUE(folders.LibraryLoaded());
    EXPECT_EQ(folders.CompanyRootFolder(), dir.Path());
    EXPECT_EQ(folders.BinFolder(), dir / L"Bin");
    EXPECT_EQ(folders.DataFolder(), dir / L"Data");
    EXPECT_EQ(folders.TempFolder(), dir / L"Temp");
    EXPECT_EQ(folders.SharedFolder(), dir / L"Shared Files");
    EXPECT_EQ(folders.GetAllUsersAppDataFolder(L"App\\日本"), dir / L"AllUsers\\App\\日本");

    const String key = L"\\Software\\ssFolderTest";
    {
        TssRegistry reg;
        reg.OpenKey(key, true);
        reg.WriteString(L"DataFolder", L"D:\\Data");
        reg.WriteString(L"BinFolder", L"D:\\Bin");
    }
    TssCommonFolder overridden(key);
    TssRegistry().DeleteKey(key);
    EXPECT_EQ(overridden.DataFolder(), L"D:\\Data");
    EXPECT_EQ(overridden.BinFolder(), L"D:\\Bin");
    EXPECT_EQ(overridden.TempFolder(), dir / L"Temp");
    ScopedEnv fail(L"KVR3FLDR_FAIL", L"1");
    EXPECT_EQ(overridden.DataFolder(), L"D:\\Data");  // the library is not asked
    try {
        overridden.SharedFolder();  // always asks the library
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), L"共通ＤＬＬの環境が壊れています：KVR_GetTempFolder");
    }
}

TEST_F(Folders, DocumentsFallBackToTheDriveRoot) {
    struct Case { String documents; String result; };
    CreateDirectoryW((dir / L"Docs").c_str(), nullptr);
    const Case cases[] = {
        {dir / L"Docs", dir / L"Docs"},
        {L"Q:\\Nowhere\\Docs", L"Q:\\"},
    };
    for (const Case& c : cases) {
        ScopedEnv docs(L"KVR3FLDR_DOCUMENTS", c.documents);
        EXPECT_EQ(TssCommonFolder().MyDocumentsFolder(), c.result);
    }
}

TEST_F(Folders, TheSharedInstanceCanBeReplaced) {
    TssCommonFolder* first = TssCommonFolder::GetObject();
    EXPECT_EQ(first, TssCommonFolder::GetObject());
    auto mine = std::make_unique<TssCommonFolder>();
    TssCommonFolder* raw = mine.get();
    TssCommonFolder::SetObject(std::move(mine));
    EXPECT_EQ(TssCommonFolder::GetObject(), raw);
    TssCommonFolder::SetObject(nullptr);
}

// Unsets an environment variable for a scope.
struct Unset {
    explicit Unset(const wchar_t* n) : name(n), saved(name, L"") { SetEnvironmentVariableW(name, nullptr); }
    const wchar_t* name;
    ScopedEnv saved;
};

TEST(SystemInfo, TempDirFollowsTempThenTmpThenTheFolderScheme) {
    TempDir dir;
    ScopedEnv root(L"KVR3FLDR_ROOT", dir.Path());
    TssSystemInfo info;
    {
        ScopedEnv temp(L"TEMP", L"C:\\T1");
        EXPECT_EQ(info.TempDir(), L"C:\\T1");
    }
    Unset temp(L"TEMP");
    {
        ScopedEnv tmp(L"TMP", L"C:\\T2");
        EXPECT_EQ(info.TempDir(), L"C:\\T2");
    }
    Unset tmp(L"TMP");
    TssCommonFolder::SetObject(std::make_unique<TssCommonFolder>());
    EXPECT_EQ(info.TempDir(), dir / L"Temp");
    EXPECT_TRUE(DirectoryExists(dir / L"Temp"));
    TssCommonFolder::SetObject(nullptr);
}

TEST(SystemInfo, MachineFacts) {
    TssSystemInfo info;
    EXPECT_FALSE(info.UserName().empty());
    EXPECT_FALSE(info.ComputerName().empty());
    EXPECT_LE(info.ComputerName().size(), 16u);
    EXPECT_EQ(info.WindowsDir(), L"C:\\windows");
    EXPECT_EQ(info.SystemDir(), L"C:\\windows\\system32");
    EXPECT_GE(info.NumOfProcessors(), 1);
    EXPECT_GT(info.PhysicalMemEx(), 0u);
    EXPECT_GE(info.PhysicalMemEx(), info.AvailPhysMemEx());
    EXPECT_EQ(info.ScreenWidth(), GetSystemMetrics(SM_CXSCREEN));
    EXPECT_FALSE(info.HasAuthority(999));
    EXPECT_TRUE(info.OSVer().isWinNT());
}

TEST(SystemInfo, UacFollowsEnableLua) {
    const String key = L"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
    HKEY k;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr),
              ERROR_SUCCESS);
    DWORD old = 0, size = sizeof(old), type = 0;
    bool had = RegQueryValueExW(k, L"EnableLUA", nullptr, &type, reinterpret_cast<BYTE*>(&old), &size) == ERROR_SUCCESS;
    for (DWORD v : {0u, 1u}) {
        RegSetValueExW(k, L"EnableLUA", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof(v));
        EXPECT_EQ(TssSystemInfo().UACEnabled(), v != 0);
    }
    RegDeleteValueW(k, L"EnableLUA");
    EXPECT_TRUE(TssSystemInfo().UACEnabled());
    if (had) RegSetValueExW(k, L"EnableLUA", 0, type, reinterpret_cast<const BYTE*>(&old), size);
    RegCloseKey(k);
}

}  // namespace
