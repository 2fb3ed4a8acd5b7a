#include <gtest/gtest.h>

#include "Dialogs.h"
#include "Forms.h"
#include "StdCtrls.h"
#include "TestSupport.h"

namespace {

using namespace testing_support;

TEST(Forms, ClientSizeAndChildPlacementReachTheRealWindow) {
    auto form = std::make_unique<TForm>(Application);
    form->SetClientWidth(479);
    form->SetClientHeight(108);
    auto* button = new TButton(form.get());
    button->SetParent(form.get());
    button->SetBounds(141, 56, 75, 25);
    button->SetCaption(L"実行");
    form->Show();
    RECT client;
    GetClientRect(form->Handle(), &client);
    EXPECT_EQ(client.right, 479);
    EXPECT_EQ(client.bottom, 108);
    RECT r;
    GetWindowRect(button->Handle(), &r);
    MapWindowPoints(HWND_DESKTOP, form->Handle(), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, 141);
    EXPECT_EQ(r.top, 56);
    EXPECT_EQ(r.right - r.left, 75);
    wchar_t text[16];
    GetWindowTextW(button->Handle(), text, 16);
    EXPECT_EQ(String(text), L"実行");
    wchar_t cls[32];
    GetClassNameW(form->Handle(), cls, 32);
    EXPECT_EQ(String(cls), L"TForm");
}

TEST(Forms, ButtonClickReachesOnClickAndTabOrderIsZOrder) {
    TForm form(Application);
    auto* first = new TButton(&form);
    auto* second = new TButton(&form);
    second->SetParent(&form);
    first->SetParent(&form);
    first->SetTabOrder(0);
    int clicks = 0;
    first->OnClick = [&](TObject* sender) {
        EXPECT_EQ(sender, first);
        ++clicks;
    };
    form.Show();
    EXPECT_EQ(GetWindow(form.Handle(), GW_CHILD), first->Handle());
    EXPECT_EQ(second->TabOrder(), 1);
    SendMessageW(first->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(clicks, 1);
}

TEST(Forms, DisablingAFormDisablesItsWindow) {
    TForm form(Application);
    form.Show();
    form.SetEnabled(false);
    EXPECT_FALSE(IsWindowEnabled(form.Handle()));
    form.SetEnabled(true);
    EXPECT_TRUE(IsWindowEnabled(form.Handle()));
}

TEST(Dialogs, ConfirmationAnswersTheButtonPressed) {
    for (int answer : {IDYES, IDNO}) {
        DialogAnswerer answerer([&](const String&) { return answer; });
        int r = MessageDlg(L"よろしいですか？", TMsgDlgType::mtConfirmation, {TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo}, 0);
        EXPECT_EQ(r, answer == IDYES ? mrYes : mrNo);
        ASSERT_EQ(answerer.Texts().size(), 1u);
        EXPECT_EQ(answerer.Texts()[0], L"よろしいですか？");
    }
    EXPECT_THROW(MessageDlg(L"x", TMsgDlgType::mtWarning, {TMsgDlgBtn::mbYesToAll}, 0), EConvertError);
}

}  // namespace
