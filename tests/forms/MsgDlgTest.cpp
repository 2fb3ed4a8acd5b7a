// The message dialog on real windows: layout, sub-message, keys, default button, owner and fonts.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "TestSupport.h"
#include "ssMsgDlg.h"

using testing_support::PumpUntil;
using K = TssMDialogBtnKind;
using R = TssMDialogModalResult;

namespace {

// While alive, hands the first shown dialog window of this thread to inspect(), once.
class DialogProbe {
public:
    explicit DialogProbe(std::function<void(TfmMDialog*)> inspect) : FInspect(std::move(inspect)) {
        Current = this;
        FTimer = SetTimer(nullptr, 0, 30, Tick);
    }
    ~DialogProbe() {
        KillTimer(nullptr, FTimer);
        Current = nullptr;
    }
    bool Done() const { return FDone; }

private:
    static BOOL CALLBACK Find(HWND h, LPARAM l) {
        wchar_t cls[64];
        GetClassNameW(h, cls, 64);
        if (String(cls) == L"TfmMDialog" && IsWindowVisible(h)) {
            *reinterpret_cast<HWND*>(l) = h;
            return FALSE;
        }
        return TRUE;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        DialogProbe* self = Current;
        if (!self || self->FDone) return;
        HWND h = nullptr;
        EnumThreadWindows(GetCurrentThreadId(), Find, reinterpret_cast<LPARAM>(&h));
        if (!h) return;
        self->FDone = true;
        self->FInspect(static_cast<TfmMDialog*>(TWinControl::FindControl(h)));
    }
    static inline DialogProbe* Current = nullptr;
    std::function<void(TfmMDialog*)> FInspect;
    UINT_PTR FTimer;
    bool FDone = false;
};

void Key(TfmMDialog* fm, WORD key) {
    HWND focus = GetFocus();
    PostMessageW(focus ? focus : fm->Handle(), WM_KEYDOWN, key, 0);
}

void Press(TfmMDialog* fm, K kind) { PostMessageW(fm->Button(kind)->Handle(), BM_CLICK, 0, 0); }

TEST(MessageDialog, ButtonsStandInTheirOrderAndTheRowIsCentred) {
    struct Case { TssMDialogBtnKinds set; std::vector<const wchar_t*> names; };
    const Case cases[] = {
        {{K::dbkCancel, K::dbkRetry}, {L"btnRetry", L"btnCancel"}},
        {{}, {L"btnYes"}},
        {{K::dbkHelp}, {L"btnYes", L"btnHelp"}},
        {{K::dbkAbort, K::dbkContinue}, {L"btnContinue", L"btnAbort"}},
        {{K::dbkCancel, K::dbkHelp, K::dbkReInput, K::dbkAll, K::dbkIgnore, K::dbkClose}, {L"btnClose", L"btnIgnore", L"btnAll", L"btnReInput", L"btnCancel", L"btnHelp"}},
    };
    for (const Case& c : cases) {
        TssMessageDialog dlg(nullptr);
        dlg.SetButtons(c.set);
        dlg.SetMsg(L"確認");
        DialogProbe probe([&](TfmMDialog* fm) {
            int n = int(c.names.size());
            int cw = fm->ClientWidth();
            EXPECT_EQ(cw, std::max(300, 98 * n + 36));
            EXPECT_EQ(fm->ClientHeight(), 96);
            int shift = (cw - ((n - 1) * 98 + 90)) / 2 + 2;
            for (int i = 0; i < n; ++i) {
                auto* b = static_cast<TssButton*>(fm->FindComponent(c.names[i]));
                ASSERT_NE(b, nullptr) << testing_support::Utf8(c.names[i]);
                EXPECT_EQ(b->Parent(), fm->pnlBtn);
                EXPECT_EQ(b->Left(), i * 98 + shift);
                EXPECT_EQ(b->Top(), 0);
                EXPECT_EQ(b->Width(), 90);
                EXPECT_EQ(b->Height(), 25);
                EXPECT_EQ(b->TabOrder(), i);
            }
            EXPECT_EQ(fm->pnlBtn->Top(), fm->ClientHeight() - 34);
            PostMessageW(static_cast<TWinControl*>(fm->FindComponent(c.names[0]))->Handle(), BM_CLICK, 0, 0);
        });
        dlg.Execute();
        EXPECT_TRUE(probe.Done());
    }
}

TEST(MessageDialog, LongMessageAndIconWidenTheWindow) {
    TssMessageDialog dlg(nullptr);
    dlg.SetMsg(L"とても長いメッセージがここに入ります。とても長いメッセージがここに入ります。\r\n二行目");
    dlg.SetIconType(TMsgDlgType::mtError);
    DialogProbe probe([&](TfmMDialog* fm) {
        int iconW = fm->imgIcon->Width();
        EXPECT_EQ(iconW, GetSystemMetrics(SM_CXICON));
        EXPECT_EQ(fm->imgIcon->Left(), 14);
        EXPECT_EQ(fm->imgIcon->Top(), 13);
        EXPECT_EQ(fm->lblMsg->Left(), iconW + 32);
        EXPECT_EQ(fm->lblMsg->Top(), 15);
        EXPECT_EQ(fm->ClientWidth(), fm->lblMsg->Width() + 56 + iconW);
        EXPECT_EQ(fm->ClientHeight(), std::max(96, fm->lblMsg->Height() + 34 + 32));
        Press(fm, K::dbkYes);
    });
    EXPECT_EQ(dlg.Execute(), int(R::dmrYes));
    EXPECT_EQ(dlg.ModalResult(), R::dmrYes);
}

TEST(MessageDialog, SubMessageCarriesSystemNameAndFourDigitCode) {
    struct Case { const wchar_t* system; int code; const wchar_t* sub; };
    const Case cases[] = {
        {L"ABC", 7, L"[ABC] エラーコード：0007"},
        {L"ABC", 0, L"[ABC]"},
        {L"ABC", 12345, L"[ABC] エラーコード：12345"},
        {L"", 42, L" エラーコード：0042"},
        {L"", 0, L""},
    };
    for (const Case& c : cases) {
        TssMessageDialog dlg(nullptr);
        dlg.SetSystemName(c.system);
        dlg.SetErrorCode(c.code);
        EXPECT_EQ(dlg.SubMessage(), c.sub);
        if (!*c.sub) continue;
        DialogProbe probe([&](TfmMDialog* fm) {
            EXPECT_EQ(fm->SubMsg(), c.sub);
            int subH = fm->lblSubMsg->Height();
            EXPECT_EQ(fm->pnlBtn->Height(), 34 + subH);
            EXPECT_EQ(fm->ClientHeight(), 96 + subH);
            EXPECT_EQ(fm->lblSubMsg->Top(), 30);
            EXPECT_EQ(fm->lblSubMsg->Left(), fm->pnlBtn->Width() - fm->lblSubMsg->Width() - 5);
            Press(fm, K::dbkYes);
        });
        dlg.Execute();
    }
}

TEST(MessageDialog, KeysAnswerAsDocumented) {
    struct Case { TssMDialogBtnKinds set; WORD key; R result; };
    const Case cases[] = {
        {{K::dbkCancel, K::dbkRetry}, VK_ESCAPE, R::dmrCancel},
        {{K::dbkYes, K::dbkNo}, VK_F9, R::dmrNo},
        {{K::dbkYes, K::dbkNo}, VK_RETURN, R::dmrYes},  // the default button, Yes
    };
    for (const Case& c : cases) {
        TssMessageDialog dlg(nullptr);
        dlg.SetButtons(c.set);
        DialogProbe probe([&](TfmMDialog* fm) { Key(fm, c.key); });
        EXPECT_EQ(dlg.Execute(), int(c.result)) << c.key;
    }
    // Without a No button F9 does nothing; Escape without Cancel neither.
    TssMessageDialog dlg(nullptr);
    dlg.SetButtons({K::dbkOk});
    DialogProbe probe([&](TfmMDialog* fm) {
        Key(fm, VK_F9);
        Key(fm, VK_ESCAPE);
        PumpUntil([] { return false; }, 200);
        EXPECT_TRUE(fm->Visible());
        Press(fm, K::dbkOk);
    });
    EXPECT_EQ(dlg.Execute(), int(R::dmrOk));
}

TEST(MessageDialog, DefaultButtonTakesTheFocus) {
    struct Case { TssMDialogBtnKinds set; K def; K focused; };
    for (Case c : {Case{{K::dbkYes, K::dbkNo}, K::dbkNo, K::dbkNo}, Case{{K::dbkOk, K::dbkCancel}, K::dbkRetry, K::dbkOk},
                   Case{{K::dbkAbort, K::dbkRetry, K::dbkIgnore}, K::dbkIgnore, K::dbkIgnore}}) {
        TssMessageDialog dlg(nullptr);
        dlg.SetButtons(c.set);
        dlg.SetDefaultButton(c.def);
        DialogProbe probe([&](TfmMDialog* fm) {
            EXPECT_EQ(fm->ActiveControl(), fm->Button(c.focused));
            EXPECT_EQ(GetFocus(), fm->Button(c.focused)->Handle());
            Press(fm, c.focused);
        });
        dlg.Execute();
    }
}

TEST(MessageDialog, HelpShowsTheTopicAndTheDialogStays) {
    TssMessageDialog dlg(nullptr);
    dlg.SetButtons({K::dbkHelp, K::dbkClose});
    dlg.SetHelpContext(321);
    std::vector<int> topics;
    Application->OnHelp = [&](int ctx) {
        topics.push_back(ctx);
        return true;
    };
    DialogProbe probe([&](TfmMDialog* fm) {
        fm->Button(K::dbkHelp)->Click();
        EXPECT_TRUE(fm->Visible());
        Press(fm, K::dbkClose);
    });
    EXPECT_EQ(dlg.Execute(), int(R::dmrClose));
    Application->OnHelp = nullptr;
    EXPECT_EQ(topics, std::vector<int>{321});
}

class TfmPernBase00 : public TForm {
    SS_CLASS(TfmPernBase00, TForm)
public:
    using TForm::TForm;
};

TEST(MessageDialog, OwnerIsFoundUpTheOwnersAndDecidesTheFonts) {
    // A component inside a form: the form becomes the owner, and stays so.
    auto form = std::make_unique<TForm>(Application);
    auto* holder = new TComponent(form.get());
    TssMessageDialog dlg(holder);
    TComponent* windowOwner = nullptr;
    DialogProbe probe([&](TfmMDialog* fm) {
        windowOwner = fm->Owner();
        EXPECT_EQ(fm->FormKind(), TssFormBaseKind::fbkSTD);
        EXPECT_EQ(fm->Font()->Name(), L"ＭＳ ゴシック");
        EXPECT_EQ(fm->Font()->Size(), 12);
        EXPECT_EQ(fm->Font()->Charset(), 128);
        Press(fm, K::dbkYes);
    });
    dlg.Execute();
    EXPECT_EQ(windowOwner, form.get());
    EXPECT_EQ(dlg.DialogOwner(), form.get());

    struct Case { TComponent* owner; TssFormBaseKind kind; const wchar_t* face; int size; int buttonSize; };
    auto pern = std::make_unique<TfmPernBase00>(Application);
    int ppi = Screen->PixelsPerInch();
    const Case cases[] = {
        {pern.get(), TssFormBaseKind::fbkPERN, L"ＭＳ ゴシック", 12, int(std::lround(1056.0 / ppi))},
        {nullptr, TssFormBaseKind::fbkNONE, L"ＭＳ Ｐゴシック", 9, 9},
    };
    for (const Case& c : cases) {
        TfmMDialog fm(c.owner);
        fm.SetButtons({K::dbkOk});
        EXPECT_EQ(fm.FormKind(), c.kind);
        EXPECT_EQ(fm.Font()->Name(), c.face);
        EXPECT_EQ(fm.Font()->Size(), c.size);
        EXPECT_EQ(fm.Button(K::dbkOk)->Font()->Name(), L"ＭＳ Ｐゴシック");
        EXPECT_EQ(fm.Button(K::dbkOk)->Font()->Size(), c.buttonSize);
    }
}

TEST(MessageDialog, PositionOptionAndAdjustEventPlaceTheWindow) {
    TssMessageDialog dlg(nullptr);
    TssMDialogOption pos;
    pos.SetScreenCenter(false);
    EXPECT_EQ(pos.Position(), TPosition::poDesigned);
    pos.SetTop(40);
    pos.SetLeft(30);
    dlg.SetPosOption(&pos);
    int seenTop = 0, seenLeft = 0;
    dlg.OnAdjustPos = [&](TObject*, int& top, int& left, int, int) {
        seenTop = top;
        seenLeft = left;
        top += 5;
        left += 7;
    };
    DialogProbe probe([&](TfmMDialog* fm) {
        RECT r;
        GetWindowRect(fm->Handle(), &r);
        EXPECT_EQ(r.top, 45);
        EXPECT_EQ(r.left, 37);
        Press(fm, K::dbkYes);
    });
    dlg.Execute();
    EXPECT_EQ(seenTop, 40);
    EXPECT_EQ(seenLeft, 30);
}

TEST(MessageDialog, LoadedButtonSetMovesAnOutsideDefault) {
    TssMessageDialog dlg(nullptr);
    dlg.SetDefaultButton(K::dbkYes);
    dlg.SetLoading(true);
    dlg.SetButtons({K::dbkRetry, K::dbkCancel});
    EXPECT_EQ(dlg.DefaultButton(), K::dbkCancel) << "the lowest kind of the set";
    dlg.SetButtons({});
    EXPECT_EQ(dlg.DefaultButton(), K::dbkYes);
    dlg.SetLoading(false);
    dlg.SetButtons({K::dbkNo, K::dbkAll});
    EXPECT_EQ(dlg.DefaultButton(), K::dbkYes) << "outside loading nothing moves";
    dlg.SetDefaultButton(K::dbkAll);
    EXPECT_TRUE(dlg.IsDefaultButtonStored());
    dlg.SetDefaultButton(K::dbkNo);
    EXPECT_FALSE(dlg.IsDefaultButtonStored());
}

}  // namespace
