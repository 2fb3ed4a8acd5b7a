#include "CFVOLQAMASTERDB.h"

#include <memory>

#include "Dialogs.h"
#include "ssFCtrl.h"
#include "ssOSVer.h"

TForm1* Form1 = nullptr;

namespace {

const wchar_t* const kInstances[] = {L"MSSQL2K54KVR", L"MSSQL2008KVR"};

const wchar_t* const kScriptLines[] = {
    L"USE master",
    L"GO",
    L"",
    L"DECLARE @cnt INT",
    L"SELECT @cnt = ISNULL(COUNT(*), 0)",
    L"FROM sys.sql_logins",
    L"WHERE name = 'KWADMIN'",
    L"IF @CNT = 0 RETURN",
    L"",
    L"ALTER LOGIN KWADMIN WITH DEFAULT_DATABASE = master",
    L"GO",
};

const wchar_t* const kBatchFormat =
    L"sqlcmd -U sa -P MNBpoiuytr9753 -S .\\%s -i \"%%~dp0%sdefaultdb.sql\" -o \"%%~dp0%sdefaultdb.LOG\"";

// A deletion that fails while another program (a virus scanner, the interpreter closing the
// batch) still holds the file is tried again for about a second.
const int kDeleteAttempts = 10;
const DWORD kDeleteRetryMs = 100;

// Deletes a file the tool wrote; answers why it is still there, empty when it is gone.
String DeleteOwnFile(const String& file) {
    TssFileControl files(nullptr);
    // The tool has just written there; the drive probe could only ask the user needlessly.
    files.SetEnableDrvCheck(false);
    for (int attempt = 1; !files.ssDeleteFile(file); ++attempt) {
        if (attempt == kDeleteAttempts)
            return Format(L"ファイル %s を削除できません。%s", {file, SysErrorMessage(files.ErrorCode())});
        Sleep(kDeleteRetryMs);
    }
    return {};
}

void SetToolFont(TControl* c) {
    c->Font()->SetName(L"ＭＳ ゴシック");
    c->Font()->SetHeight(-16);
}

}  // namespace

TForm1::TForm1(TComponent* AOwner) : TForm(AOwner) {
    SetName(L"Form1");
    SetBorderStyle(TFormBorderStyle::bsSizeable);
    SetPosition(TPosition::poDefaultPosOnly);
    SetColor(clBtnFace);
    Font()->SetName(L"Tahoma");
    Font()->SetHeight(-11);
    SetClientWidth(479);
    SetClientHeight(108);

    ssLabel1 = new TssLabel(this);
    ssLabel1->SetName(L"ssLabel1");
    ssLabel1->SetParent(this);
    ssLabel1->SetAutoSize(false);
    ssLabel1->SetBounds(8, 24, 464, 16);
    ssLabel1->SetCaption(L"Ｑ－ＤＥＳＫ等のシステムが起動できない不具合を復旧します。");
    SetToolFont(ssLabel1);

    ssButton1 = new TssButton(this);
    ssButton1->SetName(L"ssButton1");
    ssButton1->SetParent(this);
    ssButton1->SetBounds(141, 56, 75, 25);
    ssButton1->SetCaption(L"実行");
    SetToolFont(ssButton1);
    ssButton1->SetTabOrder(0);
    ssButton1->OnClick = [this](TObject* s) { ssButton1Click(s); };

    ssButton2 = new TssButton(this);
    ssButton2->SetName(L"ssButton2");
    ssButton2->SetParent(this);
    ssButton2->SetBounds(253, 56, 75, 25);
    ssButton2->SetCaption(L"中止");
    SetToolFont(ssButton2);
    ssButton2->SetTabOrder(1);
    ssButton2->OnClick = [this](TObject* s) { ssButton2Click(s); };

    cmdBcp = new TssExternalCmd(this);
    cmdBcp->SetName(L"cmdBcp");
    cmdBcp->SetExeName(L"bcp");
    cmdBcp->SetOptions({TssExtCmdOption::ecMinimize});
}

String TForm1::WorkFolder() const { return ExtractFileDir(Application->ExeName()); }

void TForm1::ssButton1Click(TObject* Sender) {
    if (MessageDlg(L"平成28年10月14日付QuillNEWSでご報告の現象の回避処理を行います。\r\nよろしいですか？",
                   TMsgDlgType::mtConfirmation, {TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo}, 0) == mrNo)
        return;
    String failure;
    try {
        for (const String& line : execute()) failure += L"\r\n" + line;
    } catch (const Exception& e) {
        failure = L"\r\n" + e.Message();
    }
    if (!failure.empty()) {
        Application->MessageBox(L"処理が異常終了しました。" + failure, Application->Title(), MB_OK);
        return;
    }
    Application->MessageBox(L"復旧処理が正常終了しました。", Application->Title(), MB_OK);
    Close();
}

void TForm1::ssButton2Click(TObject* Sender) { Close(); }

std::vector<String> TForm1::execute() {
    const String folder = WorkFolder();
    auto logOf = [&](const String& instance) { return folder + L"\\" + instance + L"defaultdb.LOG"; };
    std::vector<String> failures;
    String error;  // a failure outside the instances' own steps
    try {
        if (!TssOSVer().isAboveWinVista()) return {};
        std::vector<String> logs;  // sqlcmd's output, removed after each pass that succeeded
        for (const wchar_t* instance : kInstances) logs.push_back(logOf(instance));
        for (const wchar_t* instance : kInstances) {
            const String why = RepairInstance(instance);
            if (why.empty()) {
                for (const String& log : logs) DeleteOwnFile(log);
                continue;
            }
            failures.push_back(instance + String(L"：") + why);
            std::erase(logs, logOf(instance));  // the only trace of what went wrong
        }
    } catch (const Exception& e) {
        error = e.Message();
    }
    std::vector<String> report = failures;
    if (!error.empty()) report.push_back(error);
    if (report.empty()) return {};
    try {
        TStringList log;
        for (const String& line : report) log.Add(line);
        log.SaveToFile(folder + L"\\defaultdb_Error.log");
    } catch (const Exception& e) {
        if (failures.empty()) throw;
        report.push_back(e.Message());
    }
    // A failure outside the instances' own steps leaves the repair itself done.
    if (failures.empty()) return {};
    return report;
}

String TForm1::RepairInstance(const String& instance) {
    const String folder = WorkFolder();
    const String script = folder + L"\\" + instance + L"defaultdb.sql";
    const String batch = folder + L"\\" + instance + L"defaultdb.bat";
    String failure;
    try {
        TStringList lines;
        for (const wchar_t* line : kScriptLines) lines.Add(line);
        lines.SaveToFile(script);

        TStringList batchLines;
        batchLines.Add(Format(kBatchFormat, {instance, instance, instance}));
        batchLines.SaveToFile(batch);

        cmdBcp->SetExeName(batch);
        if (!cmdBcp->Execute())
            failure = L"バッチを起動できません。" + SysErrorMessage(cmdBcp->ErrCode());
        else if (cmdBcp->ErrCode() != 0)  // the batch ran, but its exit code could not be read
            failure = L"バッチの終了コードを取得できません。" + SysErrorMessage(cmdBcp->ErrCode());
        else if (cmdBcp->ExitCode() != 0)
            failure = Format(L"バッチが終了コード %u で終了しました。", {(long long)cmdBcp->ExitCode()});
    } catch (const Exception& e) {
        failure = e.Message();
    } catch (...) {
        failure = L"予期しないエラーが発生しました。";
    }
    // The batch holds the sa password: it goes on every path, a half-written one too.
    for (const String& file : {script, batch})
        if (String why = DeleteOwnFile(file); !why.empty()) failure += (failure.empty() ? L"" : L" ") + why;
    return failure;
}
