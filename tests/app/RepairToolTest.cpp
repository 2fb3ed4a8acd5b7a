#include <gtest/gtest.h>

#include "CFVOLQAMASTERDB.h"
#include "TestSupport.h"

namespace {

using namespace testing_support;

const char kScript[] =
    "USE master\r\nGO\r\n\r\nDECLARE @cnt INT\r\nSELECT @cnt = ISNULL(COUNT(*), 0)\r\nFROM sys.sql_logins\r\n"
    "WHERE name = 'KWADMIN'\r\nIF @CNT = 0 RETURN\r\n\r\nALTER LOGIN KWADMIN WITH DEFAULT_DATABASE = master\r\nGO\r\n";

std::string BatchLine(const std::string& instance) {
    return "sqlcmd -U sa -P MNBpoiuytr9753 -S .\\" + instance + " -i \"%~dp0" + instance + "defaultdb.sql\" -o \"%~dp0" +
           instance + "defaultdb.LOG\"\r\n";
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t from = 0;
    for (auto p = text.find('\n'); p != std::string::npos; p = text.find('\n', from)) {
        lines.push_back(text.substr(from, p - from));
        from = p + 1;
    }
    return lines;
}

const String kConfirm = L"平成28年10月14日付QuillNEWSでご報告の現象の回避処理を行います。\r\nよろしいですか？";
const String kSuccess = L"復旧処理が正常終了しました。";

// The tool started as a user would start it, from a folder of its own, with the stand-in
// sqlcmd first on its search path.
class RepairToolProcess : public ::testing::Test {
protected:
    void SetUp() override {
        work = dir / L"work";
        record = dir / L"record";
        CreateDirectoryW(work.c_str(), nullptr);
        CreateDirectoryW(record.c_str(), nullptr);
        ASSERT_TRUE(CopyFileW((BinDir() + L"VOLQADefDB.exe").c_str(), (work + L"\\VOLQADefDB.exe").c_str(), FALSE));
    }

    void Start(bool withSqlcmd = true) {
        wchar_t path[32768];
        DWORD n = GetEnvironmentVariableW(L"PATH", path, 32768);
        ScopedEnv searchPath(L"PATH", (withSqlcmd ? BinDir() + L";" : L"") + String(path, n));
        ScopedEnv recordDir(L"SQLCMD_RECORD_DIR", record);
        tool = std::make_unique<ChildProcess>(work + L"\\VOLQADefDB.exe", L"", work);
        ASSERT_TRUE(PumpUntil([&] { return (form = FindProcessWindow(tool->Pid(), L"TForm1")) != nullptr; }, 30000));
        ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(form) != 0; }, 10000));
    }

    HWND Button(const wchar_t* caption) { return FindWindowExW(form, nullptr, L"TssButton", caption); }

    // Waits for the tool's next message box, answers it and returns its text.
    String Answer(int id) {
        HWND dlg = nullptr;
        EXPECT_TRUE(PumpUntil([&] { return (dlg = FindDialog(tool->Pid())) != nullptr; }, 60000));
        if (!dlg) return L"(no dialog)";
        String text;
        PumpUntil([&] { return !(text = DialogText(dlg)).empty(); }, 5000);
        PressButton(dlg, id);
        PumpUntil([&] { return !IsWindow(dlg); }, 10000);
        return text;
    }

    void ClickRun() { PostMessageW(Button(L"実行"), BM_CLICK, 0, 0); }

    // Runs the repair and expects the failure box with these lines under its first one; the
    // window stays open for another try, and "中止" still ends the tool.
    void ExpectFailure(const std::vector<String>& lines) {
        ClickRun();
        EXPECT_EQ(Answer(IDYES), kConfirm);
        String text = L"処理が異常終了しました。";
        for (const String& line : lines) text += L"\r\n" + line;
        EXPECT_EQ(Answer(IDOK), text);
        Sleep(500);
        EXPECT_TRUE(IsWindowVisible(form));
        EXPECT_EQ(tool->WaitExit(0), DWORD(STILL_ACTIVE));
        PostMessageW(Button(L"中止"), BM_CLICK, 0, 0);
        EXPECT_EQ(tool->WaitExit(20000), 0u);
    }

    String Work(const String& name) const { return work + L"\\" + name; }

    TempDir dir;
    String work, record;
    std::unique_ptr<ChildProcess> tool;
    HWND form = nullptr;
};

TEST_F(RepairToolProcess, RunsBothInstancesMinimisedAndLeavesNothingBehind) {
    Start();
    ASSERT_NE(Button(L"実行"), nullptr);
    ASSERT_NE(Button(L"中止"), nullptr);
    ClickRun();
    EXPECT_EQ(Answer(IDYES), kConfirm);
    EXPECT_EQ(Answer(IDOK), kSuccess);
    EXPECT_EQ(tool->WaitExit(20000), 0u);

    std::string workDos = Utf8(work) + "\\";
    auto calls = Lines(ReadBytes(record + L"\\calls.txt"));
    ASSERT_EQ(calls.size(), 2u);
    const char* instances[] = {"MSSQL2K54KVR", "MSSQL2008KVR"};
    for (int i = 0; i < 2; ++i) {
        std::string inst = instances[i];
        SCOPED_TRACE(inst);
        EXPECT_NE(calls[i].find("-U sa -P MNBpoiuytr9753 -S .\\" + inst + " -i \"" + workDos + inst +
                                "defaultdb.sql\" -o \"" + workDos + inst + "defaultdb.LOG\""),
                  std::string::npos)
            << calls[i];
        String n = IntToStr(i + 1);
        EXPECT_EQ(ReadBytes(record + L"\\script" + n + L".sql"), kScript);
        EXPECT_EQ(ReadBytes(record + L"\\batch" + n + L".bat"), BatchLine(inst));
    }
    // The command interpreter that ran each batch was started minimised.
    auto parents = Lines(ReadBytes(record + L"\\parents.txt"));
    ASSERT_EQ(parents.size(), 2u);
    for (const std::string& p : parents) {
        unsigned flags = 0, show = 0;
        ASSERT_EQ(std::sscanf(p.c_str(), "%u %u", &flags, &show), 2) << p;
        EXPECT_TRUE(flags & STARTF_USESHOWWINDOW) << p;
        EXPECT_EQ(show, unsigned(SW_SHOWMINIMIZED)) << p;
    }
    EXPECT_EQ(FolderEntries(work), std::vector<String>{L"VOLQADefDB.exe"});
}

TEST_F(RepairToolProcess, AnsweringNoWritesNothingAndKeepsTheWindow) {
    Start();
    ClickRun();
    EXPECT_EQ(Answer(IDNO), kConfirm);
    Sleep(500);
    EXPECT_TRUE(IsWindowVisible(form));
    EXPECT_EQ(FolderEntries(work), std::vector<String>{L"VOLQADefDB.exe"});
    EXPECT_EQ(FolderEntries(record), std::vector<String>{});
    PostMessageW(Button(L"中止"), BM_CLICK, 0, 0);
    EXPECT_EQ(tool->WaitExit(20000), 0u);
}

TEST_F(RepairToolProcess, BeforeVistaNothingRunsAndSuccessIsReported) {
    WineVersionFor xp(L"VOLQADefDB.exe", L"winxp");  // Windows XP is 5.1
    Start();
    ClickRun();
    EXPECT_EQ(Answer(IDYES), kConfirm);
    EXPECT_EQ(Answer(IDOK), kSuccess);
    EXPECT_EQ(tool->WaitExit(20000), 0u);
    EXPECT_EQ(FolderEntries(work), std::vector<String>{L"VOLQADefDB.exe"});
    EXPECT_EQ(FolderEntries(record), std::vector<String>{});
}

std::string ErrorLog(const std::vector<String>& lines) {
    std::string log;
    for (const String& line : lines) log += StringToAnsi(line) + "\r\n";
    return log;
}

TEST_F(RepairToolProcess, AFailingSqlcmdIsReportedAndItsLogKept) {
    ScopedEnv codes(L"SQLCMD_EXIT_CODES", L"1 0");
    Start();
    const std::vector<String> failed{L"MSSQL2K54KVR：バッチが終了コード 1 で終了しました。"};
    ExpectFailure(failed);
    EXPECT_EQ(Lines(ReadBytes(record + L"\\calls.txt")).size(), 2u);
    // The second instance's pass removes only its own output.
    EXPECT_EQ(FolderEntries(work),
              (std::vector<String>{L"MSSQL2K54KVRdefaultdb.LOG", L"VOLQADefDB.exe", L"defaultdb_Error.log"}));
    EXPECT_EQ(ReadBytes(Work(L"MSSQL2K54KVRdefaultdb.LOG")), "done\r\n");
    EXPECT_EQ(ReadBytes(Work(L"defaultdb_Error.log")), ErrorLog(failed));
}

TEST_F(RepairToolProcess, NoSqlcmdOnTheSearchPathFailsBothInstances) {
    Start(false);
    // The command interpreter ends a batch whose last command it cannot find with 9009.
    const std::vector<String> failed{L"MSSQL2K54KVR：バッチが終了コード 9009 で終了しました。",
                                     L"MSSQL2008KVR：バッチが終了コード 9009 で終了しました。"};
    ExpectFailure(failed);
    EXPECT_EQ(FolderEntries(work), (std::vector<String>{L"VOLQADefDB.exe", L"defaultdb_Error.log"}));
    EXPECT_EQ(ReadBytes(Work(L"defaultdb_Error.log")), ErrorLog(failed));
}

// The folder cannot be written where the tool writes: the first instance's script, the second
// one's batch (a stale one, password and all) and the error log are held open by another
// program, which only lets them be deleted. Under Wine, run as root, nothing else refuses a
// write: the read-only attribute is kept in Unix mode bits that root writes through, and folder
// ACLs are not enforced. On Windows a read-only file or an ACL that denies writing fails at the
// same places with "access denied" instead.
TEST_F(RepairToolProcess, AnUnwritableFolderIsReportedAndNoBatchRemains) {
    const String script = Work(L"MSSQL2K54KVRdefaultdb.sql"), batch = Work(L"MSSQL2008KVRdefaultdb.bat"),
                 log = Work(L"defaultdb_Error.log");
    WriteBytes(script, "stale\r\n");
    WriteBytes(batch, "sqlcmd -U sa -P stale\r\n");
    WriteBytes(log, "an older failure\r\n");
    std::vector<HANDLE> held;
    for (const String& f : {script, batch, log})
        held.push_back(CreateFileW(f.c_str(), GENERIC_READ, FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr));
    // sqlcmd's output from an earlier run stays: no pass of this run succeeds.
    for (const wchar_t* name : {L"MSSQL2K54KVRdefaultdb.LOG", L"MSSQL2008KVRdefaultdb.LOG"})
        WriteBytes(Work(name), "earlier\r\n");
    Start();
    const String busy = SysErrorMessage(ERROR_SHARING_VIOLATION);
    ExpectFailure({L"MSSQL2K54KVR：ファイル " + script + L" を作成できません。" + busy,
                   L"MSSQL2008KVR：ファイル " + batch + L" を作成できません。" + busy,
                   L"ファイル " + log + L" を作成できません。" + busy});
    for (HANDLE h : held) CloseHandle(h);
    EXPECT_EQ(FolderEntries(record), std::vector<String>{});
    EXPECT_EQ(FolderEntries(work), (std::vector<String>{L"MSSQL2008KVRdefaultdb.LOG", L"MSSQL2K54KVRdefaultdb.LOG",
                                                        L"VOLQADefDB.exe", L"defaultdb_Error.log"}));
    EXPECT_EQ(ReadBytes(Work(L"MSSQL2K54KVRdefaultdb.LOG")), "earlier\r\n");
    EXPECT_EQ(ReadBytes(log), "an older failure\r\n");
}

// Each batch stays open in a process left behind by sqlcmd, which lets no one delete it.
TEST_F(RepairToolProcess, ABatchThatCannotBeDeletedFailsItsInstance) {
    const wchar_t* const releaseName = L"RepairToolTestReleaseBatch";
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, releaseName);
    ScopedEnv hold(L"SQLCMD_HOLD_BATCH", releaseName);
    Start();
    const String busy = SysErrorMessage(ERROR_SHARING_VIOLATION);
    std::vector<String> failed;
    for (const wchar_t* instance : {L"MSSQL2K54KVR", L"MSSQL2008KVR"})
        failed.push_back(instance + String(L"：ファイル ") + Work(instance + String(L"defaultdb.bat")) +
                         L" を削除できません。" + busy);
    ExpectFailure(failed);
    EXPECT_EQ(ReadBytes(Work(L"defaultdb_Error.log")), ErrorLog(failed));
    SetEvent(release);
    for (const wchar_t* instance : {L"MSSQL2K54KVR", L"MSSQL2008KVR"}) {
        const String batch = Work(instance + String(L"defaultdb.bat"));
        EXPECT_TRUE(PumpUntil([&] { return DeleteFileW(batch.c_str()) != 0; }, 20000));
    }
    CloseHandle(release);
}

// A pass whose failure escapes the per-instance guard: the message replaces the error log.
class TFailingForm : public TForm1 {
    SS_CLASS(TFailingForm, TForm1)
public:
    using TForm1::TForm1;
    std::vector<String> instances;

protected:
    String RepairInstance(const String& instance) override {
        instances.push_back(instance);
        throw EWriteError(L"ログを削除できません");
    }
};

TEST(RepairToolForm, AFailureReplacesAStaleErrorLog) {
    String log = BinDir() + L"defaultdb_Error.log";
    WriteBytes(log, "an older failure\r\nwith two lines and more text than the new one\r\n");
    {
        TFailingForm form(Application);
        // The repair itself counts as done, as when the logs could not be removed.
        EXPECT_EQ(form.execute(), std::vector<String>{});
        EXPECT_EQ(form.instances, std::vector<String>{L"MSSQL2K54KVR"});
    }
    EXPECT_EQ(ReadBytes(log), StringToAnsi(L"ログを削除できません\r\n"));
    DeleteFileW(log.c_str());
}

TEST(RepairToolForm, WindowLayoutAsDesigned) {
    TForm1 form(Application);
    form.Show();
    RECT client;
    GetClientRect(form.Handle(), &client);
    EXPECT_EQ(client.right, 479);
    EXPECT_EQ(client.bottom, 108);
    EXPECT_EQ(form.Caption(), L"");
    struct Placed { TControl* c; int l, t, w, h; };
    for (Placed p : {Placed{form.ssLabel1, 8, 24, 464, 16}, Placed{form.ssButton1, 141, 56, 75, 25},
                     Placed{form.ssButton2, 253, 56, 75, 25}}) {
        EXPECT_EQ(p.c->Left(), p.l);
        EXPECT_EQ(p.c->Top(), p.t);
        EXPECT_EQ(p.c->Width(), p.w);
        EXPECT_EQ(p.c->Height(), p.h);
        EXPECT_EQ(p.c->Font()->Name(), L"ＭＳ ゴシック");
        EXPECT_EQ(p.c->Font()->Height(), -16);
    }
    EXPECT_EQ(form.ssButton1->TabOrder(), 0);
    EXPECT_EQ(form.ssButton2->TabOrder(), 1);
    EXPECT_EQ(form.cmdBcp->Options(), TssExtCmdOptions{TssExtCmdOption::ecMinimize});
    EXPECT_TRUE(form.cmdBcp->Wait());
}

}  // namespace
