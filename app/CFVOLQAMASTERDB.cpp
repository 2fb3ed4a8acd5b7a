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
    try {
        execute();
    } catch (const Exception& e) {
        Application->MessageBox(L"処理が異常終了しました。\r\n" + e.Message(), Application->Title(), MB_OK);
        return;
    }
    Application->MessageBox(L"復旧処理が正常終了しました。", Application->Title(), MB_OK);
    Close();
}

void TForm1::ssButton2Click(TObject* Sender) { Close(); }

void TForm1::execute() {
    try {
        if (!TssOSVer().isAboveWinVista()) return;
        for (const wchar_t* instance : kInstances) RepairInstance(instance);
    } catch (const Exception& e) {
        TStringList log;
        log.Add(e.Message());
        log.SaveToFile(WorkFolder() + L"\\defaultdb_Error.log");
    }
}

void TForm1::RepairInstance(const String& instance) {
    const String folder = WorkFolder();
    const String script = folder + L"\\" + instance + L"defaultdb.sql";
    const String batch = folder + L"\\" + instance + L"defaultdb.bat";
    auto deleteGenerated = [&] {
        TssFileControl files(nullptr);
        files.ssDeleteFile(script);
        files.ssDeleteFile(batch);
    };
    try {
        TStringList lines;
        for (const wchar_t* line : kScriptLines) lines.Add(line);
        lines.SaveToFile(script);

        TStringList batchLines;
        batchLines.Add(Format(kBatchFormat, {instance, instance, instance}));
        batchLines.SaveToFile(batch);

        cmdBcp->SetExeName(batch);
        try {
            cmdBcp->Execute();
        } catch (...) {
            deleteGenerated();
            throw;
        }
        deleteGenerated();
    } catch (...) {
        return;  // this instance is skipped without a message; the next one is still tried
    }
    TssFileControl files(nullptr);
    files.ssDeleteFile(folder + L"\\MSSQL2K54KVRdefaultdb.LOG");
    files.ssDeleteFile(folder + L"\\MSSQL2008KVRdefaultdb.LOG");
}
