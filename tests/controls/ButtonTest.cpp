// Glyph buttons: kinds, glyph images, layout, drawing, default-button state and the exit kinds.
#include <gtest/gtest.h>

#include "ControlsFixture.h"
#include "Dialogs.h"
#include "ssButton.h"

using namespace controls_test;

namespace {

constexpr COLORREF kOlive = RGB(128, 128, 0);

// A bitmap of w x h in olive with a black square of side s in the middle of each image.
std::unique_ptr<TBitmap> SquareGlyph(int w, int h, int images = 1, int s = 6) {
    auto b = std::make_unique<TBitmap>();
    b->SetSize(w, h);
    TCanvas* c = b->Canvas();
    c->Brush()->SetColor(clOlive);
    c->FillRect(RECT{0, 0, w, h});
    c->Brush()->SetColor(clBlack);
    int iw = w / images;
    for (int i = 0; i < images; ++i) {
        int x = i * iw + (iw - s) / 2, y = (h - s) / 2;
        c->FillRect(RECT{x, y, x + s, y + s});
    }
    return b;
}

TEST(GlyphButton, StartsCustomWithCentredLayoutDefaults) {
    TssOrgButtonDelphi3 b(nullptr);
    EXPECT_EQ(b.Kind(), TBitBtnKind::bkxCustom);
    EXPECT_EQ(b.Spacing(), 4);
    EXPECT_EQ(b.Margin(), -1);
    EXPECT_EQ(b.NumGlyphs(), 1);
    EXPECT_EQ(b.Layout(), TButtonLayout::blGlyphLeft);
    EXPECT_EQ(b.Style(), TButtonStyle::bsAutoDetect);
    EXPECT_TRUE(b.Glyph()->Empty());
}

TEST(GlyphButton, KindSetsCaptionFlagsResultAndGlyph) {
    struct Case { TBitBtnKind kind; const wchar_t* caption; bool def, cancel; int mr; };
    const Case cases[] = {
        {TBitBtnKind::bkxOK, L"OK", true, false, mrOk},
        {TBitBtnKind::bkxCancel, L"ｷｬﾝｾﾙ", false, true, mrCancel},
        {TBitBtnKind::bkxHelp, L"ﾍﾙﾌﾟ(&H)", false, false, 0},
        {TBitBtnKind::bkxYes, L"はい(&Y)", true, false, mrYes},
        {TBitBtnKind::bkxNo, L"いいえ(&N)", false, true, mrNo},
        {TBitBtnKind::bkxClose, L"閉じる(&C)", false, false, 0},
        {TBitBtnKind::bkxAbort, L"中止(&A)", false, false, mrAbort},
        {TBitBtnKind::bkxRetry, L"再試行(&R)", false, false, mrRetry},
        {TBitBtnKind::bkxIgnore, L"無視(&I)", false, false, mrIgnore},
        {TBitBtnKind::bkxAll, L"すべて", false, false, 12},
    };
    for (const Case& c : cases) {
        TssOrgButtonDelphi3 b(nullptr);
        b.SetKind(c.kind);
        EXPECT_EQ(b.Kind(), c.kind);
        EXPECT_EQ(b.Caption(), c.caption);
        EXPECT_EQ(b.Default(), c.def);
        EXPECT_EQ(b.Cancel(), c.cancel);
        EXPECT_EQ(b.ModalResult(), c.mr);
        EXPECT_EQ(b.NumGlyphs(), 2);
        EXPECT_EQ(b.Glyph()->Width(), 36);
        EXPECT_EQ(b.Glyph()->Height(), 18);
        EXPECT_EQ(b.ButtonGlyph()->TransparentColor(), TColor(kOlive));
    }
}

TEST(GlyphButton, KindDecaysToCustomWhenChangedByHand) {
    auto glyph = SquareGlyph(18, 18);
    const std::function<void(TssOrgButtonDelphi3&)> changes[] = {
        [](TssOrgButtonDelphi3& b) { b.SetModalResult(0); },
        [](TssOrgButtonDelphi3& b) { b.SetDefault(false); },
        [](TssOrgButtonDelphi3& b) { b.SetCancel(true); },
        [&](TssOrgButtonDelphi3& b) { b.SetGlyph(glyph.get()); },
    };
    for (const auto& change : changes) {
        TssOrgButtonDelphi3 b(nullptr);
        b.SetKind(TBitBtnKind::bkxYes);
        change(b);
        EXPECT_EQ(b.Kind(), TBitBtnKind::bkxCustom);
        EXPECT_EQ(b.Caption(), L"はい(&Y)");
    }
}

TEST(GlyphButton, GlyphWidthGivesTheNumberOfImages) {
    struct Case { int width; int before; int after; };
    for (Case c : {Case{54, 1, 3}, Case{50, 2, 2}, Case{90, 2, 1}, Case{72, 1, 4}, Case{18, 3, 1}}) {
        TssOrgButtonDelphi3 b(nullptr);
        b.SetNumGlyphs(c.before);
        auto glyph = SquareGlyph(c.width, 18);
        b.SetGlyph(glyph.get());
        EXPECT_EQ(b.NumGlyphs(), c.after) << c.width;
    }
    TssOrgButtonDelphi3 b(nullptr);
    b.SetNumGlyphs(7);
    EXPECT_EQ(b.NumGlyphs(), 4);
    b.SetMargin(-2);
    EXPECT_EQ(b.Margin(), -1);
    b.SetMargin(3);
    EXPECT_EQ(b.Margin(), 3);
}

TEST(GlyphButton, PressedStateUsesTheThirdImageOnlyWhenThereIsOne) {
    for (int images : {2, 3}) {
        TButtonGlyph g;
        auto glyph = SquareGlyph(18 * images, 18, images);
        g.SetGlyph(glyph.get());
        int up = g.CreateButtonGlyph(TButtonState::bsUp);
        int down = g.CreateButtonGlyph(TButtonState::bsDown);
        EXPECT_EQ(down == up, images < 3) << images;
        EXPECT_EQ(g.GlyphList()->Width(), 18);
    }
}

TEST(GlyphButton, ImageListSlotsAreSharedAndReused) {
    auto glyph = SquareGlyph(18, 18);
    TButtonGlyph a, b;
    a.SetGlyph(glyph.get());
    b.SetGlyph(glyph.get());
    int ia = a.CreateButtonGlyph(TButtonState::bsUp);
    int ib = b.CreateButtonGlyph(TButtonState::bsUp);
    ASSERT_EQ(a.GlyphList(), b.GlyphList());
    EXPECT_NE(ia, ib);
    EXPECT_EQ(a.GlyphList()->Count(), 2);
    a.Invalidate();
    EXPECT_EQ(b.GlyphList()->Count(), 1);
    TButtonGlyph c;
    c.SetGlyph(glyph.get());
    EXPECT_EQ(c.CreateButtonGlyph(TButtonState::bsUp), ia) << "the released slot is taken again";
}

TEST(GlyphButton, LayoutPlacesGlyphAndCaption) {
    auto glyph = SquareGlyph(18, 18);
    TButtonGlyph g;
    g.SetGlyph(glyph.get());
    TBitmap surface;
    surface.SetSize(10, 10);
    TCanvas* c = surface.Canvas();
    SIZE t = c->TextExtent(L"Caption");
    const RECT client{2, 3, 122, 43};  // 120 x 40
    struct Case { TButtonLayout layout; int margin, spacing; POINT glyph; POINT text; };
    const Case cases[] = {
        // Margin -1: glyph, spacing and caption centred as a group.
        {TButtonLayout::blGlyphLeft, -1, 4, {(120 - (18 + 4 + t.cx) + 1) / 2, (40 - 18 + 1) / 2}, {0, (40 - t.cy + 1) / 2}},
        {TButtonLayout::blGlyphRight, 5, 4, {120 - 5 - 18, (40 - 18 + 1) / 2}, {120 - 5 - 18 - 4 - t.cx, (40 - t.cy + 1) / 2}},
        {TButtonLayout::blGlyphTop, 2, -1, {(120 - 18 + 1) / 2, 2}, {(120 - t.cx + 1) / 2, 2 + 18 + (40 - 2 - 18 - t.cy) / 2}},
        {TButtonLayout::blGlyphBottom, -1, -1, {(120 - 18 + 1) / 2, 40 - (40 - 18 - t.cy) / 3 - 18}, {(120 - t.cx + 1) / 2, (40 - 18 - t.cy) - 2 * ((40 - 18 - t.cy) / 3)}},
    };
    for (const Case& k : cases) {
        POINT gp{};
        RECT tb{};
        g.CalcButtonLayout(c, client, L"Caption", k.layout, k.margin, k.spacing, gp, tb, 0);
        EXPECT_EQ(gp.x, k.glyph.x + 2) << int(k.layout);
        EXPECT_EQ(gp.y, k.glyph.y + 3) << int(k.layout);
        if (k.layout == TButtonLayout::blGlyphLeft) EXPECT_EQ(tb.left, gp.x + 18 + 4);
        else EXPECT_EQ(tb.left, k.text.x + 2) << int(k.layout);
        EXPECT_EQ(tb.top, k.text.y + 3) << int(k.layout);
        EXPECT_EQ(tb.right - tb.left, t.cx);
    }
    // Without a caption there is no spacing: the glyph alone is centred.
    POINT gp{};
    RECT tb{};
    g.CalcButtonLayout(c, client, L"", TButtonLayout::blGlyphLeft, -1, 4, gp, tb, 0);
    EXPECT_EQ(gp.x, 2 + (120 - 18 + 1) / 2);
}

TEST(GlyphButton, DrawsTheGlyphWithoutItsTransparentColourAndEmbossesWhenDisabled) {
    ShownForm f;
    auto* b = new TssOrgButtonDelphi3(f.Form);
    b->SetParent(f.Form);
    b->SetBounds(10, 10, 100, 40);
    auto glyph = SquareGlyph(18, 18);
    b->SetGlyph(glyph.get());
    const RECT all{0, 0, 100, 40};
    auto px = f.Capture(b);
    EXPECT_FALSE(px.Contains(kOlive, all));
    auto ink = px.ColumnRuns([](COLORREF c) { return c == RGB(0, 0, 0); }, 0, 100);
    ASSERT_EQ(ink.size(), 1u);
    EXPECT_EQ(ink[0].second - ink[0].first + 1, 6);
    EXPECT_NEAR((ink[0].first + ink[0].second) / 2, 50, 3) << "the glyph alone is centred";

    b->SetEnabled(false);
    px = f.Capture(b);
    EXPECT_FALSE(px.Contains(kOlive, all));
    // Inside the button's frame only.
    auto shadow = px.ColumnRuns([](COLORREF c) { return c == GetSysColor(COLOR_BTNSHADOW); }, 5, 95, 5, 35);
    auto light = px.ColumnRuns([](COLORREF c) { return c == GetSysColor(COLOR_BTNHIGHLIGHT); }, 5, 95, 5, 35);
    ASSERT_FALSE(shadow.empty());
    ASSERT_FALSE(light.empty());
    EXPECT_EQ(light.back().second, shadow.back().second + 1) << "highlight one pixel to the right";
    EXPECT_TRUE(px.ColumnRuns([](COLORREF c) { return c == RGB(0, 0, 0); }, 3, 97).empty());
}

TEST(GlyphButton, DefaultLookFollowsTheFocus) {
    ShownForm f;
    auto* b1 = new TssButton(f.Form);
    b1->SetParent(f.Form);
    b1->SetBounds(10, 10, 90, 25);
    b1->SetCaption(L"One");
    b1->SetDefault(true);
    int clicks1 = 0, clicks2 = 0;
    b1->OnClick = [&](TObject*) { ++clicks1; };
    auto* b2 = new TssButton(f.Form);
    b2->SetParent(f.Form);
    b2->SetBounds(110, 10, 90, 25);
    b2->SetCaption(L"Two");
    b2->SetCancel(true);
    b2->OnClick = [&](TObject*) { ++clicks2; };
    auto* edit = new TWinControl(f.Form);  // a focusable control that is no button
    edit->SetParent(f.Form);
    edit->SetBounds(10, 50, 60, 20);
    edit->SetTabStop(true);
    f.Capture();

    b2->SetFocus();
    Application->ProcessMessages();
    EXPECT_TRUE(b2->IsFocusedButton());
    EXPECT_FALSE(b1->IsFocusedButton());
    edit->SetFocus();
    Application->ProcessMessages();
    EXPECT_TRUE(b1->IsFocusedButton()) << "the Default button stands in while no button has the focus";
    EXPECT_FALSE(b2->IsFocusedButton());

    EXPECT_TRUE(f.Form->DialogKey(VK_RETURN));
    EXPECT_EQ(clicks1, 1);
    EXPECT_TRUE(f.Form->DialogKey(VK_ESCAPE));
    EXPECT_EQ(clicks2, 1);
}

TEST(SsButton, ExitKindsAreCloseButtonsOfTheirOwn) {
    TssButton b(nullptr);
    b.SetKind(TssBitBtnKind::bkAllExit);
    EXPECT_EQ(b.Caption(), L"プログラムの終了(&X)");
    EXPECT_TRUE(b.Glyph()->Empty());
    EXPECT_EQ(b.TssOrgButtonDelphi3::Kind(), TBitBtnKind::bkxClose);
    b.SetKind(TssBitBtnKind::bkExitToMain);
    EXPECT_EQ(b.Caption(), L"処理終了(&Q)");
    b.SetKind(TssBitBtnKind::bkClose);
    EXPECT_EQ(b.Caption(), L"閉じる(&C)");
    EXPECT_EQ(b.Glyph()->Width(), 36);
    b.SetKind(TssBitBtnKind::bkYes);
    EXPECT_EQ(b.TssOrgButtonDelphi3::Kind(), TBitBtnKind::bkxYes);
}

TEST(SsButton, ExitKindsCloseTheApplicationsForms) {
    for (TssBitBtnKind kind : {TssBitBtnKind::bkExitToMain, TssBitBtnKind::bkAllExit}) {
        TForm* mainForm = nullptr;
        Application->CreateForm(mainForm);
        ASSERT_EQ(Application->MainForm(), mainForm);
        int mainCloses = 0;
        mainForm->OnCloseQuery = [&](TObject*, bool& canClose) {
            ++mainCloses;
            canClose = false;  // keep the test process running
        };
        auto* second = new TForm(Application);
        auto* third = new TForm(Application);
        mainForm->Show();
        second->Show();
        third->Show();
        auto* b = new TssButton(third);
        b->SetParent(third);
        b->SetKind(kind);
        b->Click();
        EXPECT_FALSE(second->Visible());
        EXPECT_FALSE(third->Visible());
        EXPECT_TRUE(mainForm->Visible());
        EXPECT_EQ(mainCloses, kind == TssBitBtnKind::bkAllExit ? 1 : 0);
        delete third;
        delete second;
        delete mainForm;
    }
}

}  // namespace
