#include <vector>

#include "GallerySections.h"
#include "SysUtils.h"
#include "ssButton.h"
#include "ssDir.h"
#include "ssLabel.h"
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

// The trash tree: the receiving folders and, under the first of them, the dated folders.
String TrashTree() {
    String trash = ScratchFolder() + L"trash";
    if (!DirectoryExists(trash)) return L"（ごみ箱はまだありません）";
    TssDirWalk walk(nullptr);
    walk.SetTargetDirectory(trash);
    walk.SetMaxLevel(2);
    walk.SetisDoProcessMessages(false);
    String tree;
    walk.OnEnterDirectory = [&](TssDirectory* dir) {
        if (walk.Level() == 0) return;
        tree += (walk.Level() == 1 ? (tree.empty() ? L"" : L"\r\n") + ExtractFileName(dir->DirName()) + L"\\ :"
                                   : L" " + ExtractFileName(dir->DirName()));
    };
    walk.Execute();
    return tree;
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
        {L"ごみ箱へ src", [](TssFileControl& fc) { return fc.ssRecycleDelete(ScratchFolder() + L"src\\", ScratchFolder() + L"trash\\"); }},
    };
    Band.NewRow(L"作業フォルダ（一時フォルダ）", 26);
    auto* fill = Band.Add<TssButton>(150);
    fill->SetCaption(L"src に 400 ファイル作成");
    fill->OnClick = [report = Band.Report()](TObject*) {
        report(FillScratch() ? ScratchFolder() + L"src に作成しました" : L"作成できませんでした");
    };
    std::vector<TssButton*> buttons;
    for (const TOperation& op : operations) {
        buttons.push_back(Band.Add<TssButton>(130));
        buttons.back()->SetCaption(op.Caption);
    }
    Band.NewRow(L"ごみ箱の中", 48);
    auto* tree = Band.Add<TssLabel>(540);
    tree->SetAutoSize(false);
    tree->SetHeight(48);
    tree->SetCaption(TrashTree());
    for (size_t i = 0; i < buttons.size(); ++i) {
        const TOperation& op = operations[i];
        buttons[i]->OnClick = [&op, tree, report = Band.Report()](TObject*) {
            TssFileControl fc(nullptr);
            fc.SetEnabledDialog(true);
            fc.Dialog()->SetCaption(op.Caption);
            bool ok = op.Run(fc);
            report(String(op.Caption) + (ok ? L"：" + IntToStr(fc.FileCount()) + L" ファイル"
                                            : L"：エラー " + IntToStr(int(fc.ErrorCode())) + L" " + fc.ErrorFile()));
            tree->SetCaption(TrashTree());
        };
    }
}
