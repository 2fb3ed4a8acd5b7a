#include <gtest/gtest.h>

#include "TestSupport.h"
#include "ssExtCmd.h"
#include "ssWinApi.h"

namespace {

using namespace testing_support;

// Top-level windows of a class of the test's own.
class TopWindows : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        WNDCLASSEXW wc{sizeof(wc)};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"ssLookupTest";
        RegisterClassExW(&wc);
    }
    HWND Make(const wchar_t* caption) {
        HWND h = CreateWindowExW(0, L"ssLookupTest", caption, WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
        made.push_back(h);
        return h;
    }
    void TearDown() override {
        for (HWND h : made) DestroyWindow(h);
    }
    std::vector<HWND> made;
};

TEST_F(TopWindows, FindByClassAndCaptionPrefixInAnyCase) {
    HWND abc = Make(L"abc - x");
    HWND other = Make(L"Other");  // made last: first in the platform's order
    EXPECT_EQ(TssWinApi::ssFindWindow(L"SSLOOKUPTEST", L""), other);
    EXPECT_EQ(TssWinApi::ssFindWindow(L"sslookuptest", L"Ab"), abc);
    EXPECT_EQ(TssWinApi::ssFindWindow(L"ssLookupTest", L"ABC - X"), abc);
    EXPECT_EQ(TssWinApi::ssFindWindow(L"ssLookupTest", L"abc - xy"), nullptr);
    EXPECT_EQ(TssWinApi::ssFindWindow(L"NoSuchClass", L""), nullptr);
}

TEST_F(TopWindows, ClearKeyBufRemovesOnlyKeyboardMessages) {
    HWND h = Make(L"keys");
    PostMessageW(h, WM_KEYDOWN, 'A', 0);
    PostMessageW(h, WM_USER + 1, 0, 0);
    PostMessageW(h, WM_CHAR, 'a', 0);
    PostMessageW(h, WM_KEYUP, 'A', 0);
    TssWinApi::ClearKeyBuf(h);
    std::vector<UINT> left;
    MSG msg;
    while (PeekMessageW(&msg, h, 0, 0, PM_REMOVE)) left.push_back(msg.message);
    EXPECT_EQ(left, std::vector<UINT>{WM_USER + 1});
}

TEST_F(TopWindows, ForegroundAcrossThreadsAnswersThePlatform) {
    HWND h = Make(L"front");
    ShowWindow(h, SW_SHOW);
    EXPECT_TRUE(TssWinApi::ssSetForegroundWindowEx(h));
}

TEST(ProcInfo, TextContainsAndIsTarget) {
    struct Case { const wchar_t *caption, *file; bool result; };
    const Case cases[] = {
        {L"Book1 - Excel", L"Book1.xlsx", true},            // prefix without the extension
        {L"Microsoft Excel - Book1.xlsx", L"Book1.xlsx", true},  // contains
        {L"Excel - Sheet", L"Book1.xlsx", false},
        {L"BOOK1.XLSX - Excel", L"book1.xlsx", true},
        {L"Report - Word", L"report.final.docx", false},
        {L"report.final - Word", L"report.final.docx", true},
    };
    for (const Case& c : cases) {
        TProcInfo info;
        info.SetText(c.caption);
        info.SetProcID(42);
        EXPECT_EQ(info.TextContains(c.file), c.result) << Utf8(c.caption) << " / " << Utf8(c.file);
        EXPECT_EQ(info.IsTarget(TCheckMethod::cmText, 0, c.file), c.result);
    }
    TProcInfo info;
    info.SetProcID(42);
    EXPECT_TRUE(info.IsTarget(TCheckMethod::cmPID, 42, L"x"));
    EXPECT_FALSE(info.IsTarget(TCheckMethod::cmPID, 43, L""));
}

// The search runs in a probe program that Wine tells it runs on Windows 10 (reported as 6.2)
// or Windows 7; the started "Office program" is a small test program renamed to excel.exe.
TEST(OfficeWindow, OnlyAnOffice15ImageIsWaitedForByWindow) {
    TempDir dir;
    for (const wchar_t* folder : {L"Office15", L"Office16"}) {
        CreateDirectoryW((dir / folder).c_str(), nullptr);
        ASSERT_TRUE(CopyFileW((BinDir() + L"ssprobe.exe").c_str(), (dir / folder + L"\\EXCEL.EXE").c_str(), FALSE));
    }
    String document = dir / L"Book1.xlsx";
    WriteBytes(document, "x");
    ScopedEnv sleep(L"SSPROBE_SLEEP", L"20000");
    String probe = dir / L"officeprobe.exe";
    ASSERT_TRUE(CopyFileW((BinDir() + L"officeprobe.exe").c_str(), probe.c_str(), FALSE));
    String doc = L"\"" + document + L"\"";
    {
        WineVersionFor win10(L"officeprobe.exe", L"win10");
        EXPECT_EQ(CaptureOutput(probe, L"\"" + dir / L"Office15\\EXCEL.EXE" + L"\" " + doc), "found");
        EXPECT_EQ(CaptureOutput(probe, L"\"" + dir / L"Office16\\EXCEL.EXE" + L"\" " + doc), "none");
    }
    WineVersionFor win7(L"officeprobe.exe", L"win7");
    EXPECT_EQ(CaptureOutput(probe, L"\"" + dir / L"Office15\\EXCEL.EXE" + L"\" " + doc), "none");
}

}  // namespace
