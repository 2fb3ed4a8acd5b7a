#include "GallerySections.h"
#include "SysUtils.h"
#include "ssButton.h"
#include "ssFCtrl.h"
#include "ssFCtrlDlg.h"

namespace {
// A scratch tree under the temporary folder that the buttons fill, copy, move and delete.
String ScratchFolder() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    return String(temp) + L"ssGallery\\";
}

constexpr int kScratchFiles = 400;

bool FillScratch() {
    String src = ScratchFolder() + L"src\\";
    CreateDirectoryW(ScratchFolder().c_str(), nullptr);
    CreateDirectoryW(src.c_str(), nullptr);
    std::string text(4096, 'x');
    for (int i = 0; i < kScratchFiles; ++i) {
        String name = src + L"file" + IntToStr(i) + L".txt";
        HANDLE h = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) return false;
        DWORD written = 0;
        BOOL ok = WriteFile(h, text.data(), DWORD(text.size()), &written, nullptr);
        CloseHandle(h);
        if (!ok) return false;
    }
    return true;
}

struct TOperation {
    const wchar_t* Caption;
    std::function<bool(TssFileControl&)> Run;
};
}  // namespace

void AddFileOperationSamples(TGalleryBand& Band) {
    static const TOperation operations[] = {
        {L"コピー src → dst", [](TssFileControl& fc) { return fc.ssCopyFile(ScratchFolder() + L"src\\*.*", ScratchFolder() + L"dst\\"); }},
        {L"移動 dst → moved", [](TssFileControl& fc) { return fc.ssMoveFile(ScratchFolder() + L"dst\\*.*", ScratchFolder() + L"moved\\"); }},
        {L"削除 moved", [](TssFileControl& fc) { return fc.ssDeleteFile(ScratchFolder() + L"moved\\"); }},
    };
    Band.NewRow(L"作業フォルダ（一時フォルダ）", 26);
    auto* fill = Band.Add<TssButton>(150);
    fill->SetCaption(L"src に 400 ファイル作成");
    fill->OnClick = [report = Band.Report()](TObject*) {
        report(FillScratch() ? ScratchFolder() + L"src に作成しました" : L"作成できませんでした");
    };
    for (const TOperation& op : operations) {
        auto* button = Band.Add<TssButton>(150);
        button->SetCaption(op.Caption);
        button->OnClick = [&op, report = Band.Report()](TObject*) {
            TssFileControl fc(nullptr);
            fc.SetEnabledDialog(true);
            fc.Dialog()->SetCaption(op.Caption);
            bool ok = op.Run(fc);
            report(String(op.Caption) + (ok ? L"：" + IntToStr(fc.FileCount()) + L" ファイル"
                                            : L"：エラー " + IntToStr(int(fc.ErrorCode())) + L" " + fc.ErrorFile()));
        };
    }
}
