#include <gtest/gtest.h>

#include <map>

#include "WinApi.h"
#include <shlobj.h>

#include "Forms.h"
#include "TestSupport.h"
#include "ssExtCmd.h"

namespace {

using namespace testing_support;

const String kProbe = BinDir() + L"ssprobe.exe";

// Runs the probe program through the runner and reads back how it was started.
class Runner : public ::testing::Test {
protected:
    std::map<std::string, std::string> Report() {
        std::map<std::string, std::string> r;
        if (GetFileAttributesW(out.c_str()) == INVALID_FILE_ATTRIBUTES) return r;
        std::string text = ReadBytes(out);
        std::size_t from = 0;
        for (auto p = text.find('\n'); p != std::string::npos; p = text.find('\n', from)) {
            std::string line = text.substr(from, p - from);
            auto eq = line.find('=');
            r[line.substr(0, eq)] = line.substr(eq + 1);
            from = p + 1;
        }
        return r;
    }

    TempDir dir;
    String out = dir / L"report.txt";
    ScopedEnv probeOut{L"SSPROBE_OUT", out};
    TssExternalCmd cmd{nullptr};
};

TEST_F(Runner, BuildsTheCommandLineFromNameAndParameters) {
    struct Case { String exe, param, cmdline; };
    const Case cases[] = {
        {kProbe, L"", L"\"" + kProbe + L"\" "},
        {L"\"" + kProbe + L"\"", L"a \"b c\"", L"\"" + kProbe + L"\" a \"b c\""},
        {kProbe, L"-x", L"\"" + kProbe + L"\" -x"},
    };
    for (const Case& c : cases) {
        DeleteFileW(out.c_str());
        cmd.SetExeName(c.exe);
        cmd.SetParam(c.param);
        EXPECT_TRUE(cmd.Execute());
        EXPECT_EQ(cmd.ErrCode(), 0u);
        EXPECT_EQ(Report()["cmdline"], Utf8(c.cmdline));
        EXPECT_EQ(cmd.ExeName(), c.exe);  // the caller's names are kept
    }
}

TEST_F(Runner, PassesWindowStateTaskbarIdentityAndFolder) {
    struct Case { TssExtCmdOptions options; unsigned show; };
    cmd.SetExeName(kProbe);
    cmd.SetDefDir(dir.Path());
    for (Case c : {Case{{TssExtCmdOption::ecMinimize}, SW_SHOWMINIMIZED}, Case{{TssExtCmdOption::ecMaximize}, SW_SHOWMAXIMIZED}}) {
        cmd.SetOptions(c.options);
        ASSERT_TRUE(cmd.Execute());
        auto r = Report();
        unsigned flags = std::stoul(r["flags"]);
        EXPECT_TRUE(flags & STARTF_USESHOWWINDOW);
        EXPECT_EQ(std::stoul(r["show"]), c.show);
        // The prefix reports Windows 7: the program gets its own path as taskbar identity.
        EXPECT_EQ(flags & 0x3000u, 0x3000u);
        EXPECT_EQ(r["title"], Utf8(kProbe));
        EXPECT_EQ(r["dir"], Utf8(dir.Path()));
        EXPECT_EQ(std::stoul(r["priority"]), unsigned(NORMAL_PRIORITY_CLASS));
    }
}

HWND formWnd;
int disabledTicks;
void CALLBACK CountDisabledTicks(HWND, UINT, UINT_PTR, DWORD) {
    if (!IsWindowEnabled(formWnd)) ++disabledTicks;
}

// The system's command interpreter named by its full path starts as the process's own width: a
// 64-bit runner is not redirected to the 32-bit system folder (the 32-bit build's prefix is a
// 32-bit Windows, where the interpreter is x86 too).
TEST_F(Runner, TheSystemInterpreterRunsAtTheProcessWidth) {
    wchar_t system[MAX_PATH];
    GetSystemDirectoryW(system, MAX_PATH);
    const String reported = dir / L"arch.txt";
    cmd.SetExeName(String(system) + L"\\cmd.exe");
    cmd.SetParam(L"/c echo %PROCESSOR_ARCHITECTURE%>\"" + reported + L"\"");
    ASSERT_TRUE(cmd.Execute());
    EXPECT_EQ(ReadBytes(reported), sizeof(void*) == 8 ? "AMD64\r\n" : "x86\r\n");
}

TEST_F(Runner, WaitsWithTheOwnerDisabledWhileMessagesFlow) {
    TForm form(Application);
    form.Show();
    auto* owned = new TssExternalCmd(&form);
    owned->SetExeName(kProbe);
    ScopedEnv exit(L"SSPROBE_EXIT", L"7");
    ScopedEnv sleep(L"SSPROBE_SLEEP", L"700");
    formWnd = form.Handle();
    disabledTicks = 0;
    UINT_PTR timer = SetTimer(nullptr, 0, 50, CountDisabledTicks);
    bool result = owned->Execute();
    KillTimer(nullptr, timer);
    EXPECT_TRUE(result);
    EXPECT_EQ(owned->ExitCode(), 7u);
    EXPECT_GT(disabledTicks, 3);  // the wait pumped the timer while the form was disabled
    EXPECT_TRUE(IsWindowEnabled(form.Handle()));
}

TEST_F(Runner, WithoutWaitingReturnsAtOnce) {
    ScopedEnv exit(L"SSPROBE_EXIT", L"7");
    ScopedEnv sleep(L"SSPROBE_SLEEP", L"3000");
    cmd.SetExeName(kProbe);
    cmd.SetWait(false);
    EXPECT_TRUE(cmd.Execute());
    EXPECT_EQ(cmd.ExitCode(), 0u);  // waiting would have read the 7
    EXPECT_EQ(cmd.ErrCode(), 0u);
}

TEST_F(Runner, FindsABareNameAlongThePath) {
    String bin = BinDir();  // ends with "\", which the search drops for all but the last entry
    ScopedEnv path(L"PATH", L"C:\\nowhere;" + bin + L";C:\\windows");
    cmd.SetExeName(L"ssprobe.exe");
    cmd.SetDefDir(dir.Path());
    EXPECT_TRUE(cmd.Execute());
    EXPECT_EQ(Report()["cmdline"], "\"ssprobe.exe\" ");
}

TEST_F(Runner, ErrorsGoToOnErrorInsteadOfTheBox) {
    WriteBytes(dir / L"doc.zzqq", "x");
    struct Case { String exe, file; TssExtCmdOptions options; DWORD code; };
    const Case cases[] = {
        {L"", L"", {}, 161},
        {kProbe, L"", {TssExtCmdOption::ecMinimize, TssExtCmdOption::ecMaximize}, 87},
        {L"", dir / L"doc.zzqq", {}, 87},
        {dir / L"missing.exe", L"", {}, ERROR_FILE_NOT_FOUND},
    };
    DialogAnswerer answerer([](const String&) { return IDOK; });
    for (const Case& c : cases) {
        TssExternalCmd runner(nullptr);
        int calls = 0;
        runner.OnError = [&](TObject* sender) {
            EXPECT_EQ(sender, &runner);
            ++calls;
        };
        runner.SetExeName(c.exe);
        runner.SetParamFile(c.file);
        runner.SetOptions(c.options);
        EXPECT_FALSE(runner.Execute());
        EXPECT_EQ(runner.ErrCode(), c.code) << Utf8(c.exe + c.file);
        EXPECT_EQ(calls, 1);
    }
    EXPECT_TRUE(answerer.Texts().empty());
}

TEST_F(Runner, TheErrorBoxNamesWhatFailed) {
    WriteBytes(dir / L"doc.zzqq", "x");
    struct Case { String exe, file; TssExtCmdOptions options; String text; };
    const Case cases[] = {
        {L"", L"", {}, L"起動するファイル名を指定してください"},
        {kProbe, L"", {TssExtCmdOption::ecMinimize, TssExtCmdOption::ecMaximize},
         kProbe + L"の起動に失敗しました\r処理を中止します"},
        {L"", dir / L"doc.zzqq", {}, dir / L"doc.zzqq" + L"を表示できません\r処理を中止します"},
    };
    for (const Case& c : cases) {
        DialogAnswerer answerer([](const String&) { return IDOK; });
        TssExternalCmd runner(nullptr);
        runner.SetExeName(c.exe);
        runner.SetParamFile(c.file);
        runner.SetOptions(c.options);
        EXPECT_FALSE(runner.Execute());
        ASSERT_EQ(answerer.Texts().size(), 1u);
        EXPECT_EQ(answerer.Texts()[0], c.text);
    }
    TssExternalCmd quiet(nullptr);
    quiet.SetisDspErrDlg(false);
    DialogAnswerer answerer([](const String&) { return IDOK; });
    EXPECT_FALSE(quiet.Execute());
    EXPECT_TRUE(answerer.Texts().empty());
}

TEST_F(Runner, RunsAShortcutAndRestoresTheNames) {
    String link = dir / L"probe.lnk";
    CoInitialize(nullptr);
    IShellLinkW* sl = nullptr;
    ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                              reinterpret_cast<void**>(&sl)));
    sl->SetPath(kProbe.c_str());
    sl->SetWorkingDirectory(dir.Path().c_str());
    sl->SetArguments(L"from-link");
    IPersistFile* pf = nullptr;
    sl->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&pf));
    ASSERT_HRESULT_SUCCEEDED(pf->Save(link.c_str(), TRUE));
    pf->Release();
    sl->Release();
    CoUninitialize();

    cmd.SetExeName(link);
    cmd.SetParam(L"given");
    EXPECT_TRUE(cmd.Execute());
    auto r = Report();
    EXPECT_EQ(r["cmdline"], "\"" + Utf8(kProbe) + "\" from-link");
    EXPECT_EQ(r["dir"], Utf8(dir.Path()));
    EXPECT_EQ(cmd.ExeName(), link);
    EXPECT_EQ(cmd.Param(), L"given");
    EXPECT_EQ(cmd.ParamFile(), L"");
    EXPECT_EQ(cmd.DefDir(), dir.Path());
}

TEST(RunnerOptions, InDesignModeTheNewWindowOptionWins) {
    TssExternalCmd cmd(nullptr);
    cmd.SetDesigning(true);
    cmd.SetOptions({TssExtCmdOption::ecMinimize});
    cmd.SetOptions({TssExtCmdOption::ecMinimize, TssExtCmdOption::ecMaximize});
    EXPECT_EQ(cmd.Options(), TssExtCmdOptions{TssExtCmdOption::ecMaximize});
    cmd.SetDesigning(false);
    cmd.SetOptions({TssExtCmdOption::ecMinimize, TssExtCmdOption::ecMaximize});
    EXPECT_EQ(cmd.Options(), (TssExtCmdOptions{TssExtCmdOption::ecMinimize, TssExtCmdOption::ecMaximize}));
}

}  // namespace
