// The file operations' progress window. This program carries the clips 160 and 164.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "ClipSource.h"
#include "TestSupport.h"
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
