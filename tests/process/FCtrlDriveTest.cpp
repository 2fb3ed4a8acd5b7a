#include <gtest/gtest.h>

#include "FCtrlSupport.h"
#include "ssFCtrl.h"
#include "ssFileSystem.h"
#include "ssMsgDlg.h"

namespace {

using namespace fctrl_test;

// The build's prefix has C: and E: (an empty folder); the tests map Y: to a folder that does
// not exist and, under Wine, X: to a host folder that cannot be written (/sys). Wine answers
// no volume query for a letter mapped while it runs, so X: counts as a drive without NTFS
// there: its denied write is then the probe's status, as on a FAT medium.

// Answers the drive questions from a script and records them.
class ScriptedDrives : public TssFileControl {
public:
    using TssFileControl::TssFileControl;
    std::vector<std::pair<std::string, wchar_t>> asked;
    std::function<int()> answer = [] { return 2; };

    int DrvNotReadyDlg(wchar_t drive) override { return Ask("not ready", drive); }
    int DrvProtectedDlg(wchar_t drive) override { return Ask("protected", drive); }
    int DrvNotFormatDlg(wchar_t drive) override { return Ask("not formatted", drive); }
    int DrvErrorDlg(wchar_t drive) override { return Ask("error", drive); }

private:
    int Ask(const char* dialog, wchar_t drive) {
        asked.emplace_back(dialog, drive);
        return answer();
    }
};

TEST(DriveChecks, StatusOfDrives) {
    TempDir dir;
    MappedDrive missing(L'Y', dir / L"gone");
    EXPECT_EQ(TssFileControl(nullptr).DrvStatus(L'C'), 0u);
    EXPECT_EQ(TssFileControl(nullptr).DrvStatus(L'e'), 0u);
    EXPECT_EQ(ListTree(L"E:"), std::vector<String>{});  // the write probe leaves nothing behind
    EXPECT_EQ(TssFileControl(nullptr).DrvStatus(L'Y'), DWORD(ERROR_PATH_NOT_FOUND));
    if (UnderWine()) {
        // Access rights on a local NTFS volume are no fault of the medium.
        MappedDrive denied(L'X', L"Z:\\sys\\kernel");
        EXPECT_EQ(TssFileControl(nullptr).DrvStatus(L'X'), TssFileSystem(L'X').IsNTFS() ? 0u : DWORD(ERROR_ACCESS_DENIED));
    }
}

TEST(DriveChecks, RetryUntilFineOrGivenUp) {
    TempDir dir;
    MappedDrive drive(L'Y', dir / L"gone");
    for (int mode : {0, 1}) {
        ScriptedDrives fc(nullptr);
        int answers[] = {4, 2};
        fc.answer = [&] { return answers[fc.asked.size() - 1]; };
        EXPECT_FALSE(fc.DrvCheck(L'y', mode));
        EXPECT_EQ(fc.ErrorCode(), DWORD(ERROR_PATH_NOT_FOUND));
        EXPECT_EQ(fc.asked, (std::vector<std::pair<std::string, wchar_t>>{{"error", L'y'}, {"error", L'y'}}));
    }
    // The user puts the drive right and retries.
    ScriptedDrives fc(nullptr);
    fc.answer = [&] {
        drive.Map(dir.Path());
        return 4;
    };
    EXPECT_TRUE(fc.DrvCheck(L'Y', 1));
    EXPECT_EQ(fc.asked.size(), 1u);
}

TEST(DriveChecks, OperationsProbeTheirDrivesUnlessDisabled) {
    TempDir dir;
    MakeTree(dir.Path(), {L"src\\a.txt"});
    MappedDrive missing(L'Y', dir / L"gone");
    struct Case { int op; String from, to; bool withoutCheck; };
    const Case cases[] = {
        {0, L"Y:\\a.txt", L"", true},             // nothing there to delete
        {1, L"Y:\\*.*", dir / L"dst\\", true},    // nothing there to copy
        {1, dir / L"src\\*.*", L"Y:\\dst\\", false},
        {2, dir / L"src\\*.*", L"Y:\\dst", false},
    };
    for (const Case& c : cases) {
        for (bool check : {true, false}) {
            ScriptedDrives fc(nullptr);
            fc.SetEnableDrvCheck(check);
            int errors = 0;
            fc.OnError = [&](TObject*) { ++errors; };
            bool ok = c.op == 0 ? fc.ssDeleteFile(c.from) : c.op == 1 ? fc.ssCopyFile(c.from, c.to) : fc.ssMoveFile(c.from, c.to);
            std::string label = Utf8(c.from) + " " + Utf8(c.to) + (check ? " checked" : " unchecked");
            EXPECT_EQ(ok, !check && c.withoutCheck) << label;
            EXPECT_EQ(fc.asked.size(), check ? 1u : 0u) << label;
            EXPECT_EQ(errors, ok ? 0 : 1) << label;
            EXPECT_EQ(fc.ErrorCode(), check ? DWORD(ERROR_PATH_NOT_FOUND) : fc.ErrorCode()) << label;
            EXPECT_TRUE(FileExists(dir / L"src\\a.txt")) << label;
        }
    }
}

TEST(DriveChecks, DeniedWrites) {
    if (!UnderWine()) GTEST_SKIP() << "needs a host folder that cannot be written";
    TempDir dir;
    MakeTree(dir.Path(), {L"src\\a.txt"});
    MappedDrive denied(L'X', L"Z:\\sys\\kernel");
    ScriptedDrives fc(nullptr);
    int answers[] = {4, 2};
    fc.answer = [&] { return answers[fc.asked.size() - 1]; };
    EXPECT_TRUE(fc.DrvCheck(L'x', 0));  // reading is fine
    EXPECT_FALSE(fc.ssCopyFile(dir / L"src\\a.txt", L"X:\\"));
    EXPECT_EQ(fc.ErrorCode(), DWORD(ERROR_ACCESS_DENIED));
    if (TssFileSystem(L'X').IsNTFS()) {
        // the drive passes; the copy itself fails
        EXPECT_TRUE(fc.asked.empty());
        EXPECT_EQ(fc.ErrorFile(), dir / L"src\\a.txt");
    } else {
        EXPECT_EQ(fc.asked, (std::vector<std::pair<std::string, wchar_t>>{{"protected", L'X'}, {"protected", L'X'}}));
        EXPECT_EQ(fc.ErrorFile(), L"");
    }
}

TEST(DriveChecks, QuestionsAndTheirAnswers) {
    using Dialog = int (TssFileControl::*)(wchar_t);
    using K = TssMDialogBtnKind;
    struct Case { Dialog dialog; const wchar_t* text; K press; int answer; };
    const Case cases[] = {
        {&TssFileControl::DrvNotReadyDlg, L"装置 A: の準備が出来ていません\r確認してください", K::dbkRetry, 4},
        {&TssFileControl::DrvProtectedDlg, L"装置 A: に書き込みが出来ません\r書き込み可の状態にしてください", K::dbkCancel, 2},
        {&TssFileControl::DrvNotFormatDlg, L"装置 A: はフォーマットされていません\r確認してください", K::dbkCancel, 2},
        {&TssFileControl::DrvErrorDlg, L"装置 A: のエラーです\r確認してください", K::dbkRetry, 4},
    };
    for (const Case& c : cases) {
        String title, text;
        TssMDialogBtnKinds buttons;
        TWinControl* focused = nullptr;
        TWinControl* retry = nullptr;
        bool hasIcon = false;
        WindowProbe probe(L"TfmMDialog", [&](HWND h) {
            auto* fm = static_cast<TfmMDialog*>(TWinControl::FindControl(h));
            title = fm->Caption();
            text = fm->Msg();
            buttons = fm->Buttons();
            focused = fm->ActiveControl();
            retry = fm->Button(K::dbkRetry);
            hasIcon = fm->imgIcon->Visible();
            PostMessageW(fm->Button(c.press)->Handle(), BM_CLICK, 0, 0);
        });
        TssFileControl fc(nullptr);
        EXPECT_EQ((fc.*c.dialog)(L'a'), c.answer);
        ASSERT_TRUE(probe.Done());
        EXPECT_EQ(text, c.text);
        EXPECT_EQ(title, L"確認");
        EXPECT_TRUE(buttons == (TssMDialogBtnKinds{K::dbkCancel, K::dbkRetry}));
        EXPECT_EQ(focused, retry) << "Retry is the default";
        EXPECT_TRUE(hasIcon);
    }
}

}  // namespace
