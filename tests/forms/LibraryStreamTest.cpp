// The library's label, panel and buttons written to a component stream and read back into a new
// form, on real windows. (Here rather than beside the grid: the kind buttons keep their glyph
// bitmaps, with a default font, for the whole process.)
#include <gtest/gtest.h>

#include "../controls/ControlsFixture.h"
#include "Filer.h"
#include "ObjectText.h"
#include "ssButton.h"
#include "ssDBGrid.h"
#include "ssLabel.h"
#include "ssPanel.h"
#include "ssUnits.h"

using controls_test::ShownForm;

TEST(SsFormStream, TheLibrarysLabelPanelAndButtonsComeBack) {
    RegisterLibraryUnits();
    ShownForm source;
    auto* panel = new TssPanel(source.Form);
    panel->SetName(L"Panel1");
    panel->SetParent(source.Form);
    panel->SetShowAccelChar(false);
    auto* label = new TssLabel(source.Form);
    label->SetName(L"Label1");
    label->SetParent(panel);
    label->SetCaption(L"ピッチ");
    label->SetOldStyle(true);
    label->SetPitch(3);
    auto* ok = new TssButton(source.Form);
    ok->SetName(L"OkButton");
    ok->SetParent(panel);
    ok->SetKind(TssBitBtnKind::bkOK);
    ok->SetSpacing(2);
    auto* custom = new TssOrgButtonDelphi3(source.Form);
    custom->SetName(L"CustomButton");
    custom->SetParent(source.Form);
    custom->SetCaption(L"実行(&R)");
    custom->SetDefault(true);
    custom->SetModalResult(7);
    custom->SetLayout(TButtonLayout::blGlyphTop);
    source.Capture();

    TMemoryStream bin, text;
    WriteComponentStream(bin, source.Form);
    bin.SetPosition(0);
    ObjectBinaryToText(bin, text);
    std::string t(reinterpret_cast<const char*>(text.Memory()), text.DataSize());
    // A kind's button keeps only its kind; what the kind sets is not written.
    std::string okPart = t.substr(t.find("object OkButton"), t.find("object CustomButton") - t.find("object OkButton"));
    EXPECT_NE(okPart.find("Kind = bkOK"), std::string::npos) << okPart;
    for (const char* kept : {"Caption", "Default", "ModalResult", "NumGlyphs"})
        EXPECT_EQ(okPart.find(kept), std::string::npos) << kept << "\n" << okPart;

    ShownForm copy;
    bin.SetPosition(0);
    ReadComponentStream(bin, copy.Form);
    copy.Capture();
    auto* p = dynamic_cast<TssPanel*>(copy.Form->FindComponent(L"Panel1"));
    auto* l = dynamic_cast<TssLabel*>(copy.Form->FindComponent(L"Label1"));
    auto* o = dynamic_cast<TssButton*>(copy.Form->FindComponent(L"OkButton"));
    auto* c = dynamic_cast<TssOrgButtonDelphi3*>(copy.Form->FindComponent(L"CustomButton"));
    ASSERT_TRUE(p && l && o && c);
    EXPECT_FALSE(p->ShowAccelChar());
    EXPECT_EQ(l->Parent(), p);
    EXPECT_TRUE(l->OldStyle());
    EXPECT_EQ(l->Pitch(), 3);
    EXPECT_EQ(o->Kind(), TssBitBtnKind::bkOK);
    EXPECT_EQ(o->Caption(), ok->Caption());
    EXPECT_TRUE(o->Default());
    EXPECT_EQ(o->Spacing(), 2);
    EXPECT_EQ(c->Kind(), TBitBtnKind::bkxCustom);
    EXPECT_EQ(c->Caption(), L"実行(&R)");
    EXPECT_TRUE(c->Default());
    EXPECT_EQ(c->ModalResult(), 7);
    EXPECT_EQ(c->Layout(), TButtonLayout::blGlyphTop);
}

TEST(SsFormStream, AFormsDataGridComesBackAsItsClassWithItsColumns) {
    RegisterLibraryUnits();
    ShownForm source;
    auto* grid = new TssDBGrid(source.Form);
    grid->SetName(L"Grid1");
    grid->SetParent(source.Form);
    grid->SetScrollAllRow(true);
    TssColumn* column = grid->Columns()->Add();
    column->SetFieldName(L"名前");
    column->SetWidth(123);
    column->Title()->SetCaption(L"氏名");

    TMemoryStream bin;
    WriteComponentStream(bin, source.Form);
    ShownForm copy;
    bin.SetPosition(0);
    ReadComponentStream(bin, copy.Form);
    auto* g = dynamic_cast<TssDBGrid*>(copy.Form->FindComponent(L"Grid1"));
    ASSERT_NE(g, nullptr);
    EXPECT_TRUE(g->ScrollAllRow());
    ASSERT_EQ(g->Columns()->Count(), 1);
    EXPECT_EQ(g->Columns()->Items(0)->FieldName(), L"名前");
    EXPECT_EQ(g->Columns()->Items(0)->Width(), 123);
    EXPECT_EQ(g->Columns()->Items(0)->Title()->Caption(), L"氏名");
}
