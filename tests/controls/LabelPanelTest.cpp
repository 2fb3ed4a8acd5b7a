// The pitched label and the panel, drawn on real windows and read back in pixels.
#include <gtest/gtest.h>

#include "ControlsFixture.h"
#include "ssImage.h"
#include "ssLabel.h"
#include "ssButton.h"
#include "ssPanel.h"

using namespace controls_test;
using testing_support::Utf8;

namespace {

constexpr const wchar_t* kGothic = L"ＭＳ ゴシック";

SIZE TextSize(const String& text, const String& face = kGothic, int height = -16) {
    TFont font;
    font.SetName(face);
    font.SetHeight(height);
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font.Handle());
    SIZE s{};
    GetTextExtentPoint32W(dc, text.c_str(), int(text.size()), &s);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return s;
}

TssLabel* NewLabel(TForm* form, const String& caption, int width) {
    auto* l = new TssLabel(form);
    l->SetParent(form);
    l->SetAutoSize(false);
    l->Font()->SetName(kGothic);
    l->Font()->SetHeight(-16);
    l->Font()->SetColor(clBlack);
    l->SetColor(clWhite);
    l->SetBounds(10, 10, width, 20);
    l->SetCaption(caption);
    return l;
}

TEST(SsLabel, SelfPitchSharesTheFreeWidthBetweenCharacters) {
    ShownForm f;
    int w4 = TextSize(L"ABCD").cx;
    struct Case { const wchar_t* caption; int width; int pitch; };
    for (Case c : {Case{L"ABCD", w4 + 60, 20}, Case{L"A", 80, 0}, Case{L"ABCDEFGHIJKL", 20, 0}}) {
        TssLabel* l = NewLabel(f.Form, c.caption, c.width);
        l->AlignmentOptions()->SetSelfPitch(true);
        EXPECT_EQ(l->Pitch(), c.pitch) << Utf8(c.caption);
        delete l;
    }
}

// Ink columns of a row of identical bars: where each character starts.
std::vector<int> BarStarts(const testing_support::ClientPixels& px, TssLabel* l) {
    std::vector<int> starts;
    for (auto [first, last] : px.ColumnRuns(Dark, l->Left(), l->Left() + l->Width() + 2)) starts.push_back(first);
    return starts;
}

TEST(SsLabel, CharactersStandOnThePitch) {
    int cw = TextSize(L"｜").cx;
    int fit4 = 4 * cw + 36, fit5 = 5 * cw + 48;  // self pitch 12 with nothing left over
    const int g = cw + 12;
    struct Case { int bars; int width; bool self; int pitch; std::vector<int> offsets; };
    const Case cases[] = {
        {4, 200, false, 5, {0, cw + 5, 2 * (cw + 5), 3 * (cw + 5)}},
        {4, fit4, true, 0, {0, g, 2 * g, 3 * g}},
        // Leftover pixels widen the gaps around the middle, one pixel each.
        {4, fit4 + 1, true, 0, {0, g, 2 * g + 1, 3 * g + 1}},
        {4, fit4 + 2, true, 0, {0, g + 1, 2 * g + 2, 3 * g + 2}},
        {5, fit5 + 2, true, 0, {0, g, 2 * g + 1, 3 * g + 2, 4 * g + 2}},
    };
    for (const Case& c : cases) {
        ShownForm f;
        TssLabel* l = NewLabel(f.Form, String(c.bars, L'｜'), c.width);
        if (c.self) l->AlignmentOptions()->SetSelfPitch(true);
        else l->SetPitch(c.pitch);
        auto starts = BarStarts(f.Capture(), l);
        ASSERT_EQ(starts.size(), size_t(c.bars)) << c.width;
        for (int i = 0; i < c.bars; ++i) EXPECT_EQ(starts[i] - starts[0], c.offsets[i]) << c.width << " bar " << i;
    }
}

// The self pitch of a paint is measured with the label's font, not with the one the canvas kept
// from the paint before.
TEST(SsLabel, ACentredSelfPitchFollowsAFontChange) {
    ShownForm f;
    int width = 4 * TextSize(L"｜").cx + 36;
    auto centred = [&](int left) {
        TssLabel* l = NewLabel(f.Form, L"｜｜｜｜", width);
        l->SetLeft(left);
        l->SetAlignment(TAlignment::taCenter);
        l->AlignmentOptions()->SetSelfPitch(true);
        return l;
    };
    TssLabel* fresh = centred(10);
    TssLabel* changed = centred(width + 30);
    changed->Font()->SetHeight(-40);  // the caption is wider than the label at this size
    f.Capture();
    changed->Font()->SetHeight(-16);
    auto px = testing_support::CaptureClient(f.Form->Handle());  // the first paint after the change
    auto expected = BarStarts(px, fresh), got = BarStarts(px, changed);
    ASSERT_EQ(expected.size(), 4u);
    ASSERT_EQ(got.size(), 4u);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(got[i] - changed->Left(), expected[i] - fresh->Left()) << "bar " << i;
}

TEST(SsLabel, AnEmptyCaptionWithSelfPitchPaintsNothing) {
    ShownForm f;
    for (TTextLayout layout : {TTextLayout::tlTop, TTextLayout::tlCenter}) {
        TssLabel* l = NewLabel(f.Form, L"", 80);
        l->SetLayout(layout);
        l->SetAlignment(TAlignment::taCenter);
        l->AlignmentOptions()->SetSelfPitch(true);
        EXPECT_EQ(l->Pitch(), 0);
        EXPECT_TRUE(f.Capture().ColumnRuns(Dark, 0, 320).empty());
        delete l;
    }
}

TEST(SsLabel, OneCharacterWithSelfPitchIsCentred) {
    ShownForm f;
    TssLabel* l = NewLabel(f.Form, L"｜", 120);
    l->AlignmentOptions()->SetSelfPitch(true);
    auto runs = f.Capture().ColumnRuns(Dark, l->Left(), l->Left() + l->Width());
    ASSERT_EQ(runs.size(), 1u);
    int middle = (runs[0].first + runs[0].second) / 2 - l->Left();
    EXPECT_NEAR(middle, 60, 2);
}

TEST(SsLabel, DisabledTextIsDrawnTwiceOffsetByOnePixel) {
    ShownForm f;
    TssLabel* l = NewLabel(f.Form, L"｜", 40);
    l->SetColor(clBtnFace);
    l->SetEnabled(false);
    auto px = f.Capture();
    COLORREF shadow = GetSysColor(COLOR_BTNSHADOW), highlight = GetSysColor(COLOR_BTNHIGHLIGHT);
    auto shadowRuns = px.ColumnRuns([&](COLORREF c) { return c == shadow; }, l->Left(), l->Left() + 40);
    auto lightRuns = px.ColumnRuns([&](COLORREF c) { return c == highlight; }, l->Left(), l->Left() + 40);
    ASSERT_FALSE(shadowRuns.empty());
    ASSERT_FALSE(lightRuns.empty());
    EXPECT_EQ(lightRuns.back().second, shadowRuns.back().second + 1);
}

TEST(SsLabel, AutoSizeFollowsAcceleratorProcessing) {
    ShownForm f;
    for (bool accel : {true, false}) {
        auto* l = new TssLabel(f.Form);
        l->SetParent(f.Form);
        l->Font()->SetName(kGothic);
        l->Font()->SetHeight(-16);
        l->SetShowAccelChar(accel);
        l->SetCaption(L"A&B");
        EXPECT_EQ(l->Width(), TextSize(accel ? L"AB" : L"A&B").cx) << accel;
        // Pitch after every character but the last.
        l->SetPitch(3);
        EXPECT_EQ(l->Width(), TextSize(accel ? L"AB" : L"A&B").cx + 3 * (accel ? 1 : 2)) << accel;
        delete l;
    }
}

TEST(SsLabel, WrappedLinesBreakByCharacterWithThePitch) {
    ShownForm f;
    int cw = TextSize(L"A").cx;
    TssLabel* l = NewLabel(f.Form, L"ABCDE\r\nFG\nH", 3 * (cw + 2));
    l->SetPitch(2);
    l->SetWordWrap(true);
    TStringList lines;
    l->BuildWrappedLines(&lines, RECT{0, 0, l->Width(), 100});
    ASSERT_EQ(lines.Count(), 4);
    EXPECT_EQ(lines[0], L"ABC");
    EXPECT_EQ(lines[1], L"DE");
    EXPECT_EQ(lines[2], L"FG");
    EXPECT_EQ(lines[3], L"H");
    l->BuildLines(&lines);
    EXPECT_EQ(lines.Count(), 3);
}

TssPanel* NewPanel(TForm* form, int w, int h) {
    auto* p = new TssPanel(form);
    p->SetParent(form);
    p->SetBounds(10, 10, w, h);
    p->Font()->SetName(kGothic);
    p->Font()->SetHeight(-16);
    p->Font()->SetColor(clBlack);
    return p;
}

TEST(SsPanel, BevelsAndBorderTakeTheirColours) {
    const COLORREF hi = GetSysColor(COLOR_BTNHIGHLIGHT), sh = GetSysColor(COLOR_BTNSHADOW);
    const COLORREF red = RGB(255, 0, 0);
    struct Case { TPanelBevel outer, inner; int border; COLORREF topLeft, bottomRight, ring1, ring2; };
    const Case cases[] = {
        {TPanelBevel::bvRaised, TPanelBevel::bvNone, 0, hi, sh, red, red},
        {TPanelBevel::bvLowered, TPanelBevel::bvNone, 0, sh, hi, red, red},
        {TPanelBevel::bvRaised, TPanelBevel::bvLowered, 0, hi, sh, sh, red},
        {TPanelBevel::bvRaised, TPanelBevel::bvLowered, 1, hi, sh, red, sh},
        {TPanelBevel::bvNone, TPanelBevel::bvNone, 0, red, red, red, red},
    };
    for (const Case& c : cases) {
        ShownForm f;
        TssPanel* p = NewPanel(f.Form, 60, 40);
        p->SetColor(0x0000FF);
        p->SetBevelOuter(c.outer);
        p->SetBevelInner(c.inner);
        p->SetBorderWidth(c.border);
        auto px = f.Capture(p);
        EXPECT_EQ(px.At(0, 0), c.topLeft);
        EXPECT_EQ(px.At(59, 39), c.bottomRight);
        EXPECT_EQ(px.At(1, 1), c.ring1);
        EXPECT_EQ(px.At(2, 2), c.ring2);
    }
}

TEST(SsPanel, CaptionSitsOnOneCentredLineAndPaintEventComesLast) {
    ShownForm f;
    TssPanel* p = NewPanel(f.Form, 120, 100);
    p->SetCaption(L"A&B");
    int h = TextSize(L"W").cy;
    int band = (1 + 99 - h) / 2;
    auto px = f.Capture(p);
    auto inkWithAccel = px.ColumnRuns(Dark, 0, 120);
    ASSERT_FALSE(inkWithAccel.empty());
    for (int y = 0; y < 100; ++y) {
        if (y >= band && y < band + h) continue;
        for (int x = 2; x < 118; ++x) ASSERT_FALSE(Dark(px.At(x, y))) << x << "," << y;
    }

    p->SetShowAccelChar(false);
    auto literal = f.Capture(p).ColumnRuns(Dark, 0, 120);
    EXPECT_GT(literal.back().second - literal.front().first, inkWithAccel.back().second - inkWithAccel.front().first)
        << "the ampersand takes room of its own";

    int paints = 0;
    p->OnPaint = [&](TObject* sender) {
        ++paints;
        auto* panel = static_cast<TssPanel*>(sender);
        panel->Canvas()->Brush()->SetColor(0x00FFFF);
        panel->Canvas()->FillRect(RECT{0, 0, 120, 100});
    };
    auto over = f.Capture(p);
    EXPECT_GT(paints, 0);
    EXPECT_TRUE(over.ColumnRuns(Dark, 0, 120).empty());
}

// Fonts, pens and brushes that change between paints are deleted only once no canvas holds them
// selected. Windows refuses to delete a selected object and it leaks; Wine's DeleteObject
// answers 1 and deletes it once deselected, and its GetGuiResources answers 0, so under Wine
// such a leak shows only at the one place where the framework deletes them.
TEST(GdiObjects, NoPaintDeletesAnObjectThatACanvasHoldsSelected) {
    ShownForm f(320, 200);
    TssLabel* label = NewLabel(f.Form, L"ABC", 80);
    TssLabel* pitched = NewLabel(f.Form, L"DEF", 120);
    pitched->SetTop(40);
    pitched->AlignmentOptions()->SetSelfPitch(true);
    TssPanel* panel = NewPanel(f.Form, 100, 60);
    panel->SetLeft(150);
    panel->SetBevelInner(TPanelBevel::bvLowered);
    panel->SetCaption(L"panel");
    auto* button = new TssButton(f.Form);
    button->SetParent(f.Form);
    button->SetBounds(10, 120, 100, 30);
    button->SetKind(TssBitBtnKind::bkOK);
    f.Capture();

    unsigned before = GdiObjects::HeldDeletions();
    for (int i = 0; i < 6; ++i) {
        bool odd = i % 2;
        label->Font()->SetHeight(-12 - i);
        label->SetEnabled(odd);
        pitched->Font()->SetColor(odd ? clWhite : clBlack);
        pitched->SetColor(odd ? clBlack : clWhite);
        panel->SetColor(odd ? clGray : clOlive);
        panel->SetBorderWidth(i % 3);
        panel->Font()->SetStyle(odd ? TFontStyles{TFontStyle::fsBold} : TFontStyles{});
        button->Font()->SetHeight(-12 - i);
        button->SetEnabled(!odd);
        f.Capture();
    }
    EXPECT_EQ(GdiObjects::HeldDeletions(), before);
}

TEST(GdiObjects, AColourChangeKeepsTheFontAndACanvasSelectsTheNewObjectsFirst) {
    TFont font;
    HFONT h = font.Handle();
    font.SetColor(clWhite);
    EXPECT_EQ(font.Handle(), h);
    LOGFONTW lf{};
    font.SetHeight(-30);
    ASSERT_NE(GetObjectW(font.Handle(), sizeof(lf), &lf), 0);
    EXPECT_EQ(lf.lfHeight, -30);

    TBitmap bitmap;
    bitmap.SetSize(8, 8);
    TCanvas* c = bitmap.Canvas();
    for (TColor colour : {clBlack, clWhite, clGray}) {
        HGDIOBJ pen = c->Pen()->Handle(), brush = c->Brush()->Handle(), face = c->Font()->Handle();
        EXPECT_TRUE(GdiObjects::IsHeld(pen) && GdiObjects::IsHeld(brush) && GdiObjects::IsHeld(face));
        c->Pen()->SetColor(colour == clBlack ? clWhite : clBlack);
        c->Brush()->SetColor(colour);
        c->Font()->SetHeight(c->Font()->Height() - 1);
        EXPECT_EQ(GetCurrentObject(c->Handle(), OBJ_PEN), c->Pen()->Handle());
        EXPECT_EQ(GetCurrentObject(c->Handle(), OBJ_BRUSH), c->Brush()->Handle());
        EXPECT_EQ(GetCurrentObject(c->Handle(), OBJ_FONT), c->Font()->Handle());
    }
    // Equal pens share one object, which other canvases may hold: a colour of this test's own.
    c->Pen()->SetColor(0x010203);
    HGDIOBJ pen = c->Pen()->Handle();
    bitmap.Dormant();
    EXPECT_FALSE(GdiObjects::IsHeld(pen));
}

// A program's OnChange on a font or a canvas's pen adds to the framework's own wiring: the
// parent's font still reaches its controls, a label still fits its text, a canvas still
// selects the changed pen.
TEST(GdiObjects, AProgramsOnChangeLeavesTheFrameworksWiringAlone) {
    ShownForm f;
    f.Form->Font()->SetName(kGothic);
    auto* l = new TssLabel(f.Form);
    l->SetParent(f.Form);
    l->SetCaption(L"AB");
    TssPanel* p = NewPanel(f.Form, 60, 40);
    p->SetLeft(100);
    int formChanges = 0, labelChanges = 0, penChanges = 0;
    f.Form->Font()->OnChange = [&](TObject*) { ++formChanges; };
    l->Font()->OnChange = [&](TObject*) { ++labelChanges; };
    p->Canvas()->Pen()->OnChange = [&](TObject*) { ++penChanges; };

    f.Form->Font()->SetHeight(-24);
    EXPECT_EQ(l->Font()->Height(), -24);
    EXPECT_EQ(l->Width(), TextSize(L"AB", kGothic, -24).cx);
    auto px = f.Capture(p);
    EXPECT_EQ(px.At(0, 0), GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(px.At(59, 39), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_GT(formChanges, 0);
    EXPECT_GT(labelChanges, 0);
    EXPECT_GT(penChanges, 0);
}

TEST(SsImage, ShowsAnIconAtItsOwnSize) {
    ShownForm f;
    auto* img = new TssImage(f.Form);
    img->SetParent(f.Form);
    img->SetLeft(14);
    img->SetTop(13);
    img->SetAutoSize(true);
    img->Picture()->SetIcon(LoadIconW(nullptr, IDI_HAND));
    EXPECT_EQ(img->Width(), GetSystemMetrics(SM_CXICON));
    EXPECT_EQ(img->Height(), GetSystemMetrics(SM_CYICON));
    EXPECT_TRUE(InheritsFromName(img, L"TImage"));
}

}  // namespace
