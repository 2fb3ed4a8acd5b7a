#include <gtest/gtest.h>

#include "Dialogs.h"
#include "Forms.h"
#include "TestSupport.h"
#include "ssWin7Uty.h"

namespace {

using namespace testing_support;

TEST(SysMenuClose, FollowsTheCloseCommandOfTheSystemMenu) {
    HWND withMenu = CreateWindowExW(0, L"STATIC", L"m", WS_OVERLAPPED | WS_SYSMENU | WS_CAPTION, 0, 0, 50, 50,
                                    nullptr, nullptr, nullptr, nullptr);
    HWND plain = CreateWindowExW(0, L"STATIC", L"p", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
    EXPECT_TRUE(TssWin7Utils::CanCloseBySysMenu(withMenu));
    EnableMenuItem(GetSystemMenu(withMenu, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
    EXPECT_FALSE(TssWin7Utils::CanCloseBySysMenu(withMenu));
    EXPECT_FALSE(TssWin7Utils::CanCloseBySysMenu(plain));
    EXPECT_FALSE(TssWin7Utils::CanCloseBySysMenu(nullptr));
    DestroyWindow(withMenu);
    DestroyWindow(plain);
}

std::vector<bool> swallowed;
TForm* modalForm = nullptr;

void CALLBACK WhileModal(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    TMessage close{WM_SYSCOMMAND, SC_CLOSE | 2, 0, 0};  // the low bits carry the source
    TMessage other{WM_SYSCOMMAND, SC_MINIMIZE, 0, 0};
    swallowed = {TssWin7Utils::HookSysClose(close), TssWin7Utils::HookSysClose(other)};
    modalForm->SetModalResult(mrOk);
}

TEST(SysCloseHook, SwallowsTheTaskbarCloseWhileAFormIsModal) {
    TForm form(Application);
    modalForm = &form;
    SetTimer(nullptr, 0, 100, WhileModal);
    EXPECT_EQ(form.ShowModal(), mrOk);
    EXPECT_EQ(swallowed, (std::vector<bool>{true, false}));
    EXPECT_FALSE(form.Visible());
    TMessage close{WM_SYSCOMMAND, SC_CLOSE, 0, 0};
    EXPECT_FALSE(TssWin7Utils::HookSysClose(close));  // no modal form: the close passes
}

TEST(Win7Utilities, ProgramFactsAndTheIOError) {
    EXPECT_FALSE(IsLibraryModule());
    EXPECT_TRUE(IsWin7OrLater());  // the prefix reports Windows 7
    // A console program (as this test is) never takes a taskbar identity.
    EXPECT_FALSE(TssWin7Utils::TaskbarApplies());
    EInOutError e = CreateInOutError(103);
    EXPECT_EQ(e.Message(), L"I/Oエラー (103)");
    EXPECT_EQ(e.ErrorCode, 103);
    EXPECT_TRUE(InheritsFromName(&e, L"exception"));
}

}  // namespace

namespace {

// A windowed program alone in a folder: no folder library, no access-control library.
std::string EnvProbeUnder(const String& version) {
    TempDir dir;
    String exe = dir / L"envprobe.exe";
    CopyFileW((BinDir() + L"envprobe.exe").c_str(), exe.c_str(), FALSE);
    WineVersionFor v(L"envprobe.exe", version);
    return CaptureOutput(exe, L"");
}

TEST(StartUp, TaskbarStepsFromWindows7OnAndNoLibrariesAtAll) {
    std::string win7 = EnvProbeUnder(L"win7");
    EXPECT_NE(win7.find("taskbar=1\n"), std::string::npos) << win7;
    EXPECT_NE(win7.find("library=0\ndocuments=C:\\\ndata=\n"), std::string::npos) << win7;
    EXPECT_NE(win7.find("ace=" + Utf8(L"Kvr3Acl.DLLファイルが存在しないか、もしくは壊れています。 (")), std::string::npos)
        << win7;
    std::string vista = EnvProbeUnder(L"vista");
    EXPECT_NE(vista.find("taskbar=0\n"), std::string::npos) << vista;
}

}  // namespace
