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

// The library's start-up steps run in a real windowed program once its application object
// exists: the control word is set, and the hook on the application window keeps the taskbar's
// close from the program while a form is modal and lets it through afterwards.
TEST(StartUp, AProgramSetsTheControlWordAndHooksItsApplicationWindow) {
    ChildProcess probe(BinDir() + L"startprobe.exe", L"");
    HWND app = nullptr, main = nullptr, modal = nullptr;
    ASSERT_TRUE(PumpUntil(
        [&] {
            app = FindProcessWindow(probe.Pid(), L"TApplication");
            main = FindProcessWindow(probe.Pid(), L"TfmMain");
            modal = FindProcessWindow(probe.Pid(), L"TfmModal");
            return app && main && modal && IsWindowVisible(modal);
        },
        30000));
    auto caption = [&] {
        wchar_t text[64] = {};
        GetWindowTextW(main, text, 64);
        return String(text);
    };
    SendMessageW(app, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(caption(), L"cw=1332");
    EXPECT_TRUE(IsWindowVisible(modal));

    // Posted, as a click on the title bar's close button comes: a message sent from another
    // process is handled while the modal loop waits and only ends it with the next message.
    PostMessageW(modal, WM_CLOSE, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindow(modal) || !IsWindowVisible(modal); }, 10000));
    SendMessageW(app, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(caption(), L"cw=1332 close");
    EXPECT_EQ(probe.WaitExit(30000), 0u);
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
