// The file operations' progress window. This program carries the clips 160 and 164.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "ClipSource.h"
#include "TestSupport.h"
#include "ssFCtrl.h"
#include "ssFCtrlDlg.h"

namespace {

using namespace testing_support;

TEST(ProgressWindow, LaysOutCaptionAndClip) {
    auto form = std::make_unique<TfmFileControl>(Application);
    HWND h = form->Handle();
    EXPECT_TRUE(GetWindowLongPtrW(h, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_FALSE(GetWindowLongPtrW(h, GWL_STYLE) & WS_SYSMENU);
    EXPECT_EQ(form->ClientWidth(), 325);
    EXPECT_TRUE(form->isCopy());
    EXPECT_EQ(ClipSource(*form->ani), "program 160");
    EXPECT_FALSE(form->ani->Active());

    struct Case { const wchar_t* caption; int aniTop, clientHeight; };
    const Case cases[] = {
        {L"ファイルをコピーしています", 30, 15 + 60 + 30},
        {L"", 10, 60 + 20},
    };
    for (const Case& c : cases) {
        form->SetCaptionStr(c.caption);
        EXPECT_EQ(form->CaptionStr(), c.caption);
        EXPECT_EQ(form->ani->Top(), c.aniTop) << Utf8(c.caption);
        EXPECT_EQ(form->ClientHeight(), c.clientHeight) << Utf8(c.caption);
    }

    form->SetisCopy(false);
    EXPECT_FALSE(form->isCopy());
    EXPECT_EQ(ClipSource(*form->ani), "program 164");
    EXPECT_EQ(form->ani->Left(), (325 - 304) / 2);
}

// A picture of the clip's window, to see it move.
std::vector<COLORREF> Snapshot(HWND window) {
    std::vector<COLORREF> pixels;
    HDC dc = GetDC(window);
    for (int y = 0; y < 60; y += 2)
        for (int x = 0; x < 304; x += 2) pixels.push_back(GetPixel(dc, x, y));
    ReleaseDC(window, dc);
    return pixels;
}

TEST(ProgressWindow, ShownForACallWithItsClipPlayingUntilHidden) {
    TForm ownerForm(nullptr);
    ownerForm.SetBounds(100, 50, 300, 200);
    TComponent ownerComponent(nullptr);
    const int centreX = GetSystemMetrics(SM_CXSCREEN), centreY = GetSystemMetrics(SM_CYSCREEN);
    struct Case { bool isCopy; bool screenCenter; TComponent* owner; int left, top; const char* clip; };
    const Case cases[] = {
        {true, true, &ownerForm, -1, -1, "program 160"},  // centred
        {false, false, &ownerForm, 100 + 20, 50 + 30, "program 164"},
        {true, false, &ownerComponent, 20, 30, "program 160"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.clip);
        TssFCDialog dialog;
        dialog.SetTitle(L"コピー");
        dialog.SetCaption(L"しばらくお待ちください");
        dialog.SetScreenCenter(c.screenCenter);
        dialog.SetLeft(20);
        dialog.SetTop(30);
        std::unique_ptr<TfmFileControl> form = ShowFileControlForm(c.isCopy, dialog, c.owner);
        HWND h = form->Handle();
        EXPECT_TRUE(IsWindowVisible(h));
        wchar_t title[64] = {};
        GetWindowTextW(h, title, 64);
        EXPECT_EQ(String(title), L"コピー");
        EXPECT_EQ(form->CaptionStr(), L"しばらくお待ちください");
        EXPECT_EQ(form->isCopy(), c.isCopy);
        EXPECT_EQ(ClipSource(*form->ani), c.clip);
        RECT r;
        GetWindowRect(h, &r);
        EXPECT_EQ(r.left, c.left >= 0 ? c.left : (centreX - (r.right - r.left)) / 2);
        EXPECT_EQ(r.top, c.top >= 0 ? c.top : (centreY - (r.bottom - r.top)) / 2);

        EXPECT_TRUE(form->ani->Active());
        std::vector<COLORREF> before = Snapshot(form->ani->Handle());
        PumpUntil([] { return false; }, 350);
        EXPECT_NE(Snapshot(form->ani->Handle()), before) << "the pictures move";
        form->Hide();
        EXPECT_FALSE(form->ani->Active());
    }
}

}  // namespace

namespace {

// Whether the progress window is on screen now, and what it plays.
struct ProgressSeen {
    bool visible = false;
    bool isCopy = false;
};

ProgressSeen LookAtProgress() {
    ProgressSeen seen;
    HWND h = FindWindowW(L"TfmFileControl", nullptr);
    if (auto* fm = static_cast<TfmFileControl*>(TWinControl::FindControl(h))) {
        seen.visible = IsWindowVisible(h);
        seen.isCopy = fm->isCopy();
    }
    return seen;
}

TEST(ProgressWindow, ShownDuringEachOperationAndHiddenOnError) {
    TempDir dir;
    String src = dir.Path() + L"\\src\\", dst = dir.Path() + L"\\dst\\";
    CreateDirectoryW(src.c_str(), nullptr);
    for (int i = 0; i < 300; ++i) WriteBytes(src + L"f" + std::to_wstring(i) + L".txt", "x");

    struct Case { const char* name; bool isCopy; std::function<bool(TssFileControl&)> run; };
    const Case cases[] = {
        {"copy", true, [&](TssFileControl& fc) { return fc.ssCopyFile(src + L"*.*", dst); }},
        {"move", true, [&](TssFileControl& fc) { return fc.ssMoveFile(dst + L"*.*", dir.Path() + L"\\moved"); }},
        {"delete", false, [&](TssFileControl& fc) { return fc.ssDeleteFile(dir.Path() + L"\\moved\\*.*"); }},
    };
    for (const Case& c : cases) {
        TssFileControl fc(nullptr);
        fc.SetEnabledDialog(true);
        fc.Dialog()->SetCaption(L"処理中");
        ProgressSeen during;
        WindowProbe probe(L"TfmFileControl", [&](HWND) { during = LookAtProgress(); });
        EXPECT_TRUE(c.run(fc)) << c.name;
        EXPECT_TRUE(during.visible) << c.name;
        EXPECT_EQ(during.isCopy, c.isCopy) << c.name;
        EXPECT_EQ(FindWindowW(L"TfmFileControl", nullptr), nullptr) << c.name << ": freed after the call";
    }

    // An error report first takes the window off the screen.
    String held = src + L"f0.txt";
    HANDLE h = CreateFileW(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    TssFileControl fc(nullptr);
    fc.SetEnabledDialog(true);
    bool reported = false;
    ProgressSeen atError{true, true};
    fc.OnError = [&](TObject*) {
        reported = true;
        atError = LookAtProgress();
    };
    EXPECT_FALSE(fc.ssDeleteFile(held));
    CloseHandle(h);
    EXPECT_TRUE(reported);
    EXPECT_FALSE(atError.visible);
    EXPECT_EQ(FindWindowW(L"TfmFileControl", nullptr), nullptr);
}

}  // namespace
