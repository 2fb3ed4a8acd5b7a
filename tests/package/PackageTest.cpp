// The package as a user gets it: unpacked into a folder of its own (SS_PACKAGE_DIR, by the
// script beside this file), the tool runs there to its success message with the stand-in sqlcmd
// on the search path and leaves the folder as it was; the gallery starts from there too.
#include <gtest/gtest.h>

#include <algorithm>

#include "TestSupport.h"

namespace {

using namespace testing_support;

String PackageDir() {
    wchar_t buf[MAX_PATH];
    DWORD n = GetEnvironmentVariableW(L"SS_PACKAGE_DIR", buf, MAX_PATH);
    return n && n < MAX_PATH ? String(buf, n) : String();
}

// Every file under dir, with paths relative to it, sorted.
void ListFiles(const String& dir, const String& prefix, std::vector<String>& files) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        String name = fd.cFileName;
        if (name == L"." || name == L"..") continue;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ListFiles(dir + L"\\" + name, prefix + name + L"\\", files);
        else files.push_back(prefix + name);
    } while (FindNextFileW(h, &fd));
    FindClose(h);
}

std::vector<String> Files(const String& dir) {
    std::vector<String> files;
    ListFiles(dir, L"", files);
    std::sort(files.begin(), files.end());
    return files;
}

const std::vector<String> kPackageFiles = {L"README-ja.txt", L"SHA256SUMS.txt", L"VOLQADefDB.exe",
                                           L"data\\Holiday.ini", L"data\\ctrlDate2.KVR", L"ssGallery.exe"};

class Package : public ::testing::Test {
protected:
    void SetUp() override {
        dir = PackageDir();
        ASSERT_FALSE(dir.empty()) << "SS_PACKAGE_DIR names the unpacked package";
        ASSERT_EQ(Files(dir), kPackageFiles);
    }
    String dir;
};

TEST_F(Package, TheToolRunsToSuccessFromItsFolderAndLeavesNothingBehind) {
    TempDir record;
    wchar_t path[32768];
    DWORD n = GetEnvironmentVariableW(L"PATH", path, 32768);
    std::unique_ptr<ChildProcess> tool;
    {
        // The stand-in sqlcmd lives beside this program, in the build.
        ScopedEnv searchPath(L"PATH", BinDir() + L";" + String(path, n));
        ScopedEnv recordDir(L"SQLCMD_RECORD_DIR", record.Path());
        tool = std::make_unique<ChildProcess>(dir + L"\\VOLQADefDB.exe", L"", dir);
    }
    HWND form = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (form = FindProcessWindow(tool->Pid(), L"TForm1")) != nullptr; }, 30000));
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(form) != 0; }, 10000));
    PostMessageW(FindWindowExW(form, nullptr, L"TssButton", L"実行"), BM_CLICK, 0, 0);

    std::vector<String> texts;
    for (int answer : {IDYES, IDOK}) {
        HWND dlg = nullptr;
        ASSERT_TRUE(PumpUntil([&] { return (dlg = FindDialog(tool->Pid())) != nullptr; }, 60000));
        String text;
        PumpUntil([&] { return !(text = DialogText(dlg)).empty(); }, 5000);
        texts.push_back(text);
        PressButton(dlg, answer);
        PumpUntil([&] { return !IsWindow(dlg); }, 10000);
    }
    EXPECT_EQ(texts.back(), L"復旧処理が正常終了しました。");
    EXPECT_EQ(tool->WaitExit(20000), 0u);
    EXPECT_NE(ReadBytes(record / L"calls.txt"), "");  // both instances went through sqlcmd
    EXPECT_EQ(Files(dir), kPackageFiles);
}

TEST_F(Package, TheGalleryStartsFromThePackage) {
    ChildProcess gallery(dir + L"\\ssGallery.exe", L"", dir);
    HWND form = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (form = FindProcessWindow(gallery.Pid(), L"TfmGallery")) != nullptr; }, 30000));
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(form) != 0; }, 10000));
    PostMessageW(form, WM_CLOSE, 0, 0);
    EXPECT_EQ(gallery.WaitExit(20000), 0u);
    // The gallery remembers its form base width beside itself; nothing else is left behind.
    std::vector<String> files = kPackageFiles;
    files.push_back(L"ssGallery_ss.ini");
    std::sort(files.begin(), files.end());
    EXPECT_EQ(Files(dir), files);
}

}  // namespace
