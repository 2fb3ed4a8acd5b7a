#include <gtest/gtest.h>

#include "Forms.h"
#include "TestSupport.h"
#include "ssAce.h"
#include "ssComFolder.h"
#include "ssDll.h"
#include "ssDrive.h"
#include "ssLoadLib.h"

namespace {

using namespace testing_support;

// The build's prefix has C: (the Wine system drive), E: (an empty folder of the prefix) and
// Z: (the host's root); Y: does not exist.

TEST(Drives, LettersInAnyCaseAndTheirKinds) {
    struct Case { wchar_t letter; const wchar_t* drive; int type; bool exists, local, fixed; };
    const Case cases[] = {
        {L'c', L"C:", DRIVE_FIXED, true, true, true},
        {L'C', L"C:", DRIVE_FIXED, true, true, true},
        {L'y', L"Y:", DRIVE_NO_ROOT_DIR, false, true, false},  // no root directory still counts as local
    };
    for (const Case& c : cases) {
        TssDrive drive(nullptr);
        drive.SetDriveLetter(c.letter);
        EXPECT_EQ(drive.DriveString(), c.drive);
        EXPECT_EQ(drive.DriveLetter(), c.drive[0]);
        EXPECT_EQ(drive.GetDriveType(), c.type);
        EXPECT_EQ(drive.IsExist(), c.exists);
        EXPECT_EQ(drive.IsLocal(), c.local);
        EXPECT_EQ(drive.IsFixed(), c.fixed);
        EXPECT_FALSE(drive.IsRemote());
        EXPECT_FALSE(drive.IsFloppy());
        EXPECT_FALSE(drive.IsCDROM());
        EXPECT_EQ(drive.UNC(), L"");
    }
    TssFileSystem fs(L'c');
    EXPECT_EQ(fs.DriveLetter(), L'C');
    EXPECT_TRUE(fs.IsNTFS());
    EXPECT_FALSE(fs.IsFAT32());
    EXPECT_EQ(TssFileSystem(L'y').FileSystemName(), L"");
}

TEST(Drives, ReadinessWriteTestAndSpace) {
    TssDrive drive(nullptr);
    drive.SetDriveLetter(L'c');
    drive.SetWriteCheck(true);
    EXPECT_TRUE(drive.IsReady());
    EXPECT_EQ(drive.Error(), 0);
    EXPECT_TRUE(drive.IsMediaOK());
    std::int64_t free, total;
    drive.GetDiskSpace(free, total);
    EXPECT_GT(total, 0);
    EXPECT_GE(total, free);
    EXPECT_GT(drive.MaxNameLength(), 0);

    drive.SetDriveLetter(L'y');
    EXPECT_FALSE(drive.IsReady());
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_DRIVE));
    EXPECT_EQ(drive.FreeSpace(), 0);
    EXPECT_EQ(drive.TotalSpace(), 0);
    EXPECT_FALSE(drive.SetVolLabel(L"X"));
    EXPECT_EQ(drive.VolumeLabel(), L"");
}

TEST(Drives, EmptyAndNonEmptyDrives) {
    TssDrive drive(nullptr);
    drive.SetDriveLetter(L'e');
    ASSERT_TRUE(drive.IsExist()) << "the prefix maps E: to an empty folder";
    EXPECT_TRUE(drive.IsEmpty());
    WriteBytes(L"E:\\file.txt", "x");
    EXPECT_FALSE(drive.IsEmpty());
    DeleteFileW(L"E:\\file.txt");
    CreateDirectoryW(L"E:\\sub", nullptr);
    EXPECT_FALSE(drive.IsEmpty());
    RemoveDirectoryW(L"E:\\sub");
    drive.SetWriteCheck(true);
    EXPECT_TRUE(drive.IsMediaOK());
    EXPECT_TRUE(drive.IsEmpty());  // the write test leaves nothing behind
}

TEST(Drives, ProbeNamesAreFree) {
    TempDir dir;
    String prefix = dir.Path() + L"\\";
    String name = MakeProbeName(prefix);
    ASSERT_EQ(name.size(), prefix.size() + 8);
    for (wchar_t c : name.substr(prefix.size())) EXPECT_TRUE(iswxdigit(c) && !iswlower(c));
    EXPECT_FALSE(FileExists(name));
}

TEST(Drives, DvdRamAndFormattingGoThroughTheSupportLibraries) {
    {
        ScopedEnv dvd(L"KVR3DVD_DRIVES", L"QR");
        EXPECT_TRUE(CheckDVDRAM(L'r'));
        EXPECT_FALSE(CheckDVDRAM(L'C'));
    }
    EXPECT_FALSE(CheckDVDRAM(L'R'));
    EXPECT_FALSE(CheckFloppy(L'C'));

    TempDir dir;
    ScopedEnv log(L"KVR3FMT_LOG", dir / L"fmt.txt");
    TForm form(Application);
    TssDrive drive(&form);
    drive.FormatRemovableDisk();  // C: is fixed: nothing is called
    drive.FormatRemovableDiskDialog();
    EXPECT_EQ(ReadBytes(dir / L"fmt.txt"), "dialog 1\n");
    EXPECT_EQ(drive.ComponentCount(), 0);  // the library component is gone again
}

TEST(AccessControl, AddAceCallsTheLibraryOnNtfs) {
    TempDir dir;
    ScopedEnv log(L"KVR3ACL_LOG", dir / L"acl.txt");
    String folder = dir / L"共有";
    EXPECT_TRUE(AddAce(folder));
    EXPECT_EQ(ReadBytes(dir / L"acl.txt"), StringToAnsi(folder) + "\n");
    {
        ScopedEnv refuse(L"KVR3ACL_RESULT", L"5");
        EXPECT_FALSE(AddAce(folder));
    }
    EXPECT_FALSE(AddAce(L""));
}

TEST(Libraries, LoadByNameAndEntryPoints) {
    TssDll dll(nullptr);
    int errors = 0;
    dll.OnError = [&](TObject* sender) {
        EXPECT_EQ(sender, &dll);
        ++errors;
    };
    dll.SetDllName(L"KVR3FLDR.DLL");
    ASSERT_TRUE(dll.Load());
    EXPECT_NE(dll.GetFuncAddress(AnsiString("KVR_GetBinFolder")), nullptr);
    EXPECT_NE(dll.GetFuncAddress(String(L"KVR_GetDataFolder")), nullptr);
    EXPECT_FALSE(dll.isLoadErr());
    EXPECT_EQ(dll.GetFuncAddress(AnsiString("NoSuchExport")), nullptr);
    EXPECT_TRUE(dll.isLoadErr());
    EXPECT_EQ(errors, 1);
    dll.SetDllName(L"KVR3FLDR.DLL");  // the same name keeps the library
    EXPECT_NE(dll.Handle(), nullptr);
    dll.SetDllName(L"NoSuchLibrary.DLL");
    EXPECT_EQ(dll.Handle(), nullptr);
    EXPECT_FALSE(dll.Load());
    EXPECT_TRUE(dll.isLoadErr());
    EXPECT_EQ(errors, 2);
}

TEST(Libraries, SharedLibrariesComeFromTheBinFolderFirst) {
    TempDir dir;
    ScopedEnv root(L"KVR3FLDR_ROOT", dir.Path());
    TssCommonFolder::SetObject(std::make_unique<TssCommonFolder>());
    CreateDirectoryW((dir / L"Bin").c_str(), nullptr);
    ASSERT_TRUE(CopyFileW((BinDir() + L"KVR3DVD.dll").c_str(), (dir / L"Bin\\ssOnlyInBin.dll").c_str(), FALSE));
    HMODULE h = LoadSharedLibrary(L"ssOnlyInBin.dll");
    ASSERT_NE(h, nullptr);
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(h, path, MAX_PATH);
    EXPECT_TRUE(SameText(path, dir / L"Bin\\ssOnlyInBin.dll"));
    FreeLibrary(h);
    EXPECT_EQ(LoadSharedLibrary(L"NoSuchLibrary.dll"), nullptr);

    // The folder scheme makes its folders with the shared access.
    ScopedEnv log(L"KVR3ACL_LOG", dir / L"acl.txt");
    EXPECT_TRUE(TssCommonFolder::GetObject()->ForceFolder(dir / L"Shared Files\\a\\b"));
    EXPECT_TRUE(DirectoryExists(dir / L"Shared Files\\a\\b"));
    EXPECT_EQ(ReadBytes(dir / L"acl.txt"), StringToAnsi(dir / L"Shared Files\\a\\b") + "\n");
    TssCommonFolder::SetObject(nullptr);
}

TEST(Libraries, CompanyRootOnAnotherDrive) {
    ScopedEnv root(L"KVR3FLDR_ROOT", L"C:\\ssCompanyRootTest\\X");
    TssCommonFolder folders;
    EXPECT_TRUE(folders.MakeCompanyRootFolder(L"E"));  // the root's drive letter becomes E
    EXPECT_TRUE(DirectoryExists(L"E:\\ssCompanyRootTest\\X"));
    EXPECT_FALSE(folders.MakeCompanyRootFolder(L"E"));  // it exists now
    EXPECT_FALSE(DirectoryExists(L"C:\\ssCompanyRootTest"));
    RemoveTree(L"E:\\ssCompanyRootTest");
}

}  // namespace
