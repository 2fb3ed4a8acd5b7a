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

// A multi-line edit that takes Enter as a new line: the system's edit control asks for it.
class TMemo : public TWinControl {
    SS_CLASS(TMemo, TWinControl)
public:
    explicit TMemo(TComponent* AOwner) : TWinControl(AOwner) { FTabStop = true; }

protected:
    void CreateParams(TCreateParams& p) override {
        TWinControl::CreateParams(p);
        p.SysClass = L"EDIT";
        p.Style |= ES_MULTILINE | ES_WANTRETURN | WS_BORDER;
    }
};

TEST(Forms, EnterAndEscapeGoToTheFocusedControlWhenItAsksForThem) {
    TForm form(Application);
    int oks = 0, cancels = 0;
    auto* ok = new TButton(&form);
    ok->SetParent(&form);
    ok->SetBounds(10, 100, 75, 25);
    ok->SetDefault(true);
    ok->OnClick = [&](TObject*) { ++oks; };
    auto* cancel = new TButton(&form);
    cancel->SetParent(&form);
    cancel->SetBounds(100, 100, 75, 25);
    cancel->SetCancel(true);
    cancel->OnClick = [&](TObject*) { ++cancels; };
    auto* memo = new TMemo(&form);
    memo->SetParent(&form);
    memo->SetBounds(10, 10, 200, 60);
    auto* plain = new TWinControl(&form);  // asks for no key
    plain->SetParent(&form);
    plain->SetBounds(10, 75, 60, 20);
    plain->SetTabStop(true);
    form.Show();

    // Keys as typed: through the message loop to the focused window.
    auto press = [&](TWinControl* focus, WORD key) {
        focus->SetFocus();
        Application->ProcessMessages();
        PostMessageW(focus->Handle(), WM_KEYDOWN, key, LPARAM(1 | (MapVirtualKeyW(key, MAPVK_VK_TO_VSC) << 16)));
        Application->ProcessMessages();
    };
    press(memo, VK_RETURN);
    wchar_t text[16] = {};
    GetWindowTextW(memo->Handle(), text, 16);
    EXPECT_EQ(String(text), L"\r\n");
    EXPECT_EQ(oks, 0);
    press(plain, VK_RETURN);
    EXPECT_EQ(oks, 1);
    press(plain, VK_ESCAPE);
    EXPECT_EQ(cancels, 1);
}

// The units' steps, each writing its name.
std::vector<String> Steps;
void StartA() { Steps.push_back(L"start A"); }
void StopA() { Steps.push_back(L"stop A"); }
void StartB() { Steps.push_back(L"start B"); }
void StartC() { Steps.push_back(L"start C"); }
void StopC() { Steps.push_back(L"stop C"); }

TEST(Application, UnitsStartInTheOrderAddedAndShutDownInReverse) {
    Steps.clear();
    {
        TApplication app(nullptr);
        app.AddUnit({StartA, StopA});
        app.AddUnit({StartB, nullptr});
        app.AddUnit({StartA, StopA});  // added once only
        EXPECT_TRUE(Steps.empty()) << "nothing starts before Initialize";
        app.Initialize();
        app.Initialize();
        EXPECT_EQ(Steps, (std::vector<String>{L"start A", L"start B"}));
        app.AddUnit({StartC, StopC});  // late: starts at once
        EXPECT_EQ(Steps.back(), L"start C");
        Steps.clear();
    }
    EXPECT_EQ(Steps, (std::vector<String>{L"stop C", L"stop A"}));
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
