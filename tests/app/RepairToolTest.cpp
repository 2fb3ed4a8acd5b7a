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

std::vector<String> FolderEntries(const String& dir) {
    std::vector<String> names;
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        String n = fd.cFileName;
        if (n != L"." && n != L"..") names.push_back(n);
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    std::sort(names.begin(), names.end());
    return names;
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

    void Start() {
        wchar_t path[32768];
        DWORD n = GetEnvironmentVariableW(L"PATH", path, 32768);
        ScopedEnv searchPath(L"PATH", BinDir() + L";" + String(path, n));
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

    TempDir dir;
    String work, record;
    std::unique_ptr<ChildProcess> tool;
    HWND form = nullptr;
};

const String kConfirm = L"平成28年10月14日付QuillNEWSでご報告の現象の回避処理を行います。\r\nよろしいですか？";
const String kSuccess = L"復旧処理が正常終了しました。";

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

// A pass whose failure escapes the per-instance guard: the message replaces the error log.
class TFailingForm : public TForm1 {
    SS_CLASS(TFailingForm, TForm1)
public:
    using TForm1::TForm1;
    std::vector<String> instances;

protected:
    void RepairInstance(const String& instance) override {
        instances.push_back(instance);
        throw EWriteError(L"ログを削除できません");
    }
};

TEST(RepairToolForm, AFailureReplacesAStaleErrorLog) {
    String log = BinDir() + L"defaultdb_Error.log";
    WriteBytes(log, "an older failure\r\nwith two lines and more text than the new one\r\n");
    {
        TFailingForm form(Application);
        form.execute();
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
