// The drawing grid's published properties, and a form holding a grid written to a component
// stream and read back into a new form, on real windows.
#include <gtest/gtest.h>

#include "../controls/ControlsFixture.h"
#include "ExtCtrls.h"
#include "Filer.h"
#include "ssGrids.h"
#include "ssUnits.h"

using controls_test::ShownForm;

namespace {
int PropIndex(const TObject* obj, const String& name) {
    std::vector<const TPropInfo*> list = GetPropList(obj);
    for (std::size_t i = 0; i < list.size(); ++i)
        if (list[i]->Name == name) return int(i);
    return -1;
}
}  // namespace

TEST(SsGridProperties, ReadAndWriteByNameWithTheGridsOwnChecks) {
    TssDrawGrid g(nullptr);
    EXPECT_EQ(GetPropValue(&g, L"Options"),
              L"[goFixedVertLine,goFixedHorzLine,goVertLine,goHorzLine,goRangeSelect,goCanReverse]");
    SetPropValue(&g, L"Options", L"[goFixedVertLine,goEditing]");
    EXPECT_EQ(g.Options(), (TGridOptions{TGridOption::goFixedVertLine, TGridOption::goEditing}));
    EXPECT_THROW(SetPropValue(&g, L"Options", L"[goEditing,goSideways]"), EPropertyConvertError);
    EXPECT_EQ(GetPropValue(&g, L"Options"), L"[goFixedVertLine,goEditing]");

    SetPropValue(&g, L"ColCount", L"8");
    EXPECT_EQ(g.ColCount(), 8);
    EXPECT_EQ(GetPropValue(&g, L"ScrollBars"), L"ssBoth");
    EXPECT_EQ(GetPropValue(&g, L"BorderStyle"), L"bsSingle");
    // The grid's own refusal passes through, and the value stays.
    EXPECT_THROW(SetPropValue(&g, L"FixedCols", L"8"), EInvalidGridOperation);
    EXPECT_EQ(g.FixedCols(), 1);
    EXPECT_THROW(SetPropValue(&g, L"ColCount", L"x"), EPropertyConvertError);
    EXPECT_THROW(GetPropValue(&g, L"Cells"), EPropertyError);
    // A stream sets the counts before the fixed counts that must stay below them.
    EXPECT_LT(PropIndex(&g, L"ColCount"), PropIndex(&g, L"FixedCols"));
    EXPECT_LT(PropIndex(&g, L"RowCount"), PropIndex(&g, L"FixedRows"));
}

TEST(SsFormStream, AFormWithAPanelLabelAndGridComesBackInANewForm) {
    RegisterLibraryUnits();  // the start-up step registers the classes a stream names
    constexpr TColor clRed = 0x0000FF, clGreen = 0x00FF00;
    ShownForm source;
    source.Form->SetName(L"StreamForm");
    source.Form->SetCaption(L"フォーム");
    auto* panel = new TPanel(source.Form);
    panel->SetName(L"Panel1");
    panel->SetParent(source.Form);
    panel->SetBounds(4, 4, 300, 140);
    panel->SetColor(clGreen);
    panel->SetBevelOuter(TPanelBevel::bvLowered);
    panel->SetCaption(L"パネル");
    auto* label = new TLabel(source.Form);
    label->SetName(L"Label1");
    label->SetParent(panel);
    label->SetBounds(8, 6, 120, 20);
    label->SetCaption(L"ラベル");
    label->Font()->SetColor(clRed);
    label->Font()->SetStyle(TFontStyles{TFontStyle::fsBold, TFontStyle::fsUnderline});
    auto* grid = new TssDrawGrid(source.Form);
    grid->SetName(L"Grid1");
    grid->SetParent(panel);
    grid->SetBounds(8, 30, 280, 100);
    grid->SetColCount(10);
    grid->SetFixedCols(7);  // above the new grid's ColCount until ColCount is read
    grid->SetRowCount(3);
    grid->SetDefaultColWidth(30);
    grid->SetColor(clSilver);
    grid->SetOptions(TGridOptions{TGridOption::goFixedVertLine, TGridOption::goEditing, TGridOption::goRowSelect});
    grid->Font()->SetName(L"Arial");
    grid->Font()->SetHeight(-15);
    source.Capture();  // every window exists and is shown

    testing_support::TempDir dir;
    String file = dir / L"form.ssc";
    TMemoryStream written;
    WriteComponentStream(written, source.Form);
    written.SaveToFile(file);

    ShownForm copy;
    TMemoryStream read;
    read.LoadFromFile(file);
    EXPECT_EQ(ReadComponentStream(read, copy.Form), copy.Form);
    copy.Capture();

    TForm* f = copy.Form;
    EXPECT_EQ(f->Caption(), L"フォーム");
    auto* p = dynamic_cast<TPanel*>(f->FindComponent(L"Panel1"));
    auto* l = dynamic_cast<TLabel*>(f->FindComponent(L"Label1"));
    auto* g = dynamic_cast<TssDrawGrid*>(f->FindComponent(L"Grid1"));
    ASSERT_TRUE(p && l && g);
    EXPECT_EQ(f->ComponentCount(), 3);
    EXPECT_EQ(p->Parent(), f);
    EXPECT_EQ(l->Parent(), p);
    EXPECT_EQ(g->Parent(), p);
    EXPECT_EQ(GetParent(g->Handle()), p->Handle());  // real child windows
    EXPECT_EQ(p->Color(), clGreen);
    EXPECT_EQ(p->BevelOuter(), TPanelBevel::bvLowered);
    EXPECT_EQ(p->Caption(), L"パネル");
    EXPECT_EQ(l->Caption(), L"ラベル");
    EXPECT_EQ(l->Font()->Color(), clRed);
    EXPECT_EQ(l->Font()->Style(), label->Font()->Style());
    EXPECT_FALSE(l->ParentFont());
    EXPECT_TRUE(p->ParentFont());
    EXPECT_EQ(g->ColCount(), 10);
    EXPECT_EQ(g->FixedCols(), 7);
    EXPECT_EQ(g->RowCount(), 3);
    EXPECT_EQ(g->DefaultColWidth(), 30);
    EXPECT_EQ(g->Color(), clSilver);
    EXPECT_EQ(g->Options(), grid->Options());
    EXPECT_EQ(g->Font()->Name(), L"Arial");
    EXPECT_EQ(g->Font()->Height(), -15);
    for (TControl* c : std::vector<TControl*>{p, l, g}) {
        auto* original = static_cast<TControl*>(source.Form->FindComponent(c->Name()));
        RECT a = c->BoundsRect(), b = original->BoundsRect();
        EXPECT_TRUE(EqualRect(&a, &b)) << testing_support::Utf8(c->Name());
    }
}
