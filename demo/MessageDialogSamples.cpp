#include <iterator>

#include "GallerySections.h"
#include "ssButton.h"
#include "ssMsgDlg.h"

namespace {
using enum TssMDialogBtnKind;
using enum TMsgDlgType;

struct TDialogSample {
    const wchar_t* Caption;  // of the button that shows the dialog
    TssMDialogBtnKinds Buttons;
    TssMDialogBtnKind DefaultButton;
    TMsgDlgType Icon;
    const wchar_t* Msg;
    const wchar_t* SystemName;
    int ErrorCode;
};

const TDialogSample kSamples[] = {
    {L"はい・いいえ", {dbkYes, dbkNo}, dbkNo, mtConfirmation, L"変更を保存しますか？", L"", 0},
    {L"OK のみ", {dbkOk}, dbkOk, mtInformation, L"処理が終わりました。", L"", 0},
    {L"キャンセル・再試行", {dbkCancel, dbkRetry}, dbkRetry, mtWarning, L"ドライブ E: の準備ができていません。",
     L"ファイル操作", 21},
    {L"はい・いいえ・キャンセル", {dbkYes, dbkNo, dbkCancel}, dbkYes, mtConfirmation,
     L"同じ名前のファイルがあります。上書きしますか？", L"", 0},
    {L"中止・再試行・無視", {dbkAbort, dbkRetry, dbkIgnore}, dbkRetry, mtError, L"ファイルを読み込めません。",
     L"ssFCtrl", 5},
    {L"続行・中止", {dbkContinue, dbkAbort}, dbkContinue, mtWarning, L"空き容量が少なくなっています。", L"", 0},
    {L"ヘルプ", {dbkHelp}, dbkHelp, mtCustom, L"ヘルプだけを指定すると「はい」が加わります。", L"", 0},
};

constexpr int kHelpContext = 100;

const wchar_t* const kResultNames[] = {L"dmrNone",  L"dmrOk", L"dmrCancel", L"dmrAbort",   L"dmrRetry",  L"dmrIgnore",
                                       L"dmrYes",   L"dmrNo", L"dmrAll",    L"dmrClose",   L"dmrReInput", L"dmrContinue"};
constexpr int kPerRow = 4;
constexpr int kButtonWidth = 170;
}  // namespace

void AddMessageDialogSamples(TGalleryBand& Band) {
    // The help button asks the application for its topic; the gallery has no help file, so it
    // says on the status line which topic was asked for.
    Application->OnHelp = [report = Band.Report()](int context) {
        report(L"ヘルプ トピック " + IntToStr(context) + L" が求められました");
        return true;
    };
    for (size_t i = 0; i < std::size(kSamples); ++i) {
        if (i % kPerRow == 0) Band.NewRow(i == 0 ? L"ボタンの組み合わせ" : L"", 26);
        const TDialogSample& sample = kSamples[i];
        auto* button = Band.Add<TssButton>(kButtonWidth);
        button->SetCaption(sample.Caption);
        button->OnClick = [&sample, report = Band.Report()](TObject*) {
            TssMessageDialog dialog(nullptr);
            dialog.SetTitle(L"TssMessageDialog");
            dialog.SetMsg(sample.Msg);
            dialog.SetSystemName(sample.SystemName);
            dialog.SetErrorCode(sample.ErrorCode);
            dialog.SetButtons(sample.Buttons);
            dialog.SetDefaultButton(sample.DefaultButton);
            dialog.SetIconType(sample.Icon);
            dialog.SetHelpContext(kHelpContext);
            int result = dialog.Execute();
            report(L"「" + String(sample.Caption) + L"」の結果：" + kResultNames[result] + L"（" + IntToStr(result) + L"）");
        };
    }
}
