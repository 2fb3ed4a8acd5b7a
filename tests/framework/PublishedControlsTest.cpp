// The framework's published properties on real objects: access by name, what a stream keeps,
// and which components a form's stream holds.
#include <gtest/gtest.h>

#include <vector>

#include "ExtCtrls.h"
#include "Filer.h"
#include "Forms.h"
#include "ObjectText.h"

namespace {
// The text form of obj's stream.
std::string StreamText(TComponent* obj) {
    TMemoryStream bin, text;
    WriteComponentStream(bin, obj);
    bin.SetPosition(0);
    ObjectBinaryToText(bin, text);
    return std::string(reinterpret_cast<const char*>(text.Memory()), text.DataSize());
}

std::vector<TComponent*> Children(TComponent* c, TComponent* root) {
    std::vector<TComponent*> list;
    c->GetChildren([&](TComponent* child) { list.push_back(child); }, root);
    return list;
}
}  // namespace

TEST(PublishedFont, PropertiesReadAndWriteByNameInTheirTextForms) {
    struct Case {
        const wchar_t* name;
        const wchar_t* value;
        const wchar_t* readBack;
    };
    const Case cases[] = {
        {L"Name", L"ＭＳ ゴシック", L"ＭＳ ゴシック"},
        {L"Height", L"-16", L"-16"},
        {L"Color", L"255", L"255"},
        {L"Charset", L"128", L"128"},
        {L"Pitch", L"fpFixed", L"fpFixed"},
        {L"pitch", L"FPVARIABLE", L"fpVariable"},
        {L"Style", L"[fsBold,fsItalic]", L"[fsBold,fsItalic]"},
        {L"Style", L"[ fsStrikeOut , fsBold ]", L"[fsBold,fsStrikeOut]"},
        {L"Style", L"[]", L"[]"},
    };
    for (const Case& c : cases) {
        TFont f;
        SetPropValue(&f, c.name, c.value);
        EXPECT_EQ(GetPropValue(&f, c.name), c.readBack) << testing::PrintToString(String(c.name));
    }
    TFont f;
    SetPropValue(&f, L"Size", L"12");
    EXPECT_EQ(f.Height(), -MulDiv(12, ScreenPixelsPerInch(), 72));
    EXPECT_EQ(GetOrdProp(&f, L"Size"), 12);
}

TEST(PublishedFont, RefusedValuesLeaveTheFontAsItWas) {
    TFont f;
    f.SetStyle(TFontStyles{TFontStyle::fsBold});
    EXPECT_THROW(SetPropValue(&f, L"Weight", L"700"), EPropertyError);
    EXPECT_THROW(GetPropValue(&f, L"Weight"), EPropertyError);
    struct Case {
        const wchar_t* name;
        const wchar_t* value;
    };
    const Case refused[] = {
        {L"Pitch", L"fpWide"}, {L"Pitch", L"3"},         {L"Charset", L"256"}, {L"Charset", L"-1"},
        {L"Height", L"high"},  {L"Height", L"99999999999"}, {L"Style", L"[fsBold,fsShadow]"},
        {L"Style", L"fsBold"},
    };
    for (const Case& c : refused) {
        String before = GetPropValue(&f, c.name);
        EXPECT_THROW(SetPropValue(&f, c.name, c.value), EPropertyConvertError) << testing::PrintToString(String(c.value));
        EXPECT_EQ(GetPropValue(&f, c.name), before);
    }
}

TEST(PublishedControls, DefaultsAreWhatTheConstructorsMake) {
    TForm form(nullptr);
    auto* panel = new TPanel(&form);
    auto* label = new TLabel(&form);
    auto* button = new TButton(&form);
    TPen pen;
    TBrush brush;
    TFont font;
    // A fresh object of each class writes nothing but what has no default.
    for (TPersistent* obj : std::vector<TPersistent*>{&form, panel, label, button, &pen, &brush, &font})
        for (const TPropInfo* p : GetPropList(obj)) {
            if (p->HasDefault && p->IsStored(obj) && p->Name != L"TabOrder") {
                EXPECT_EQ(p->GetOrd(obj), p->DefaultValue) << testing::PrintToString(obj->ClassName() + L"." + p->Name);
            }
        }
}

TEST(PublishedControls, AFontFollowingItsParentIsNotStored) {
    TForm form(nullptr);
    form.SetName(L"Form1");
    form.Font()->SetName(L"Arial");
    auto* label = new TLabel(&form);
    label->SetName(L"Label1");
    label->SetParent(&form);
    std::string text = StreamText(&form);
    EXPECT_NE(text.find("Font.Name = 'Arial'"), std::string::npos) << text;
    EXPECT_EQ(text.find("Font.Size"), std::string::npos) << text;  // Height is what is kept
    std::string labelPart = text.substr(text.find("object Label1"));
    EXPECT_EQ(labelPart.find("Font."), std::string::npos) << text;

    label->Font()->SetStyle(TFontStyles{TFontStyle::fsBold});
    text = StreamText(&form);
    labelPart = text.substr(text.find("object Label1"));
    EXPECT_NE(labelPart.find("Font.Style = [fsBold]"), std::string::npos) << labelPart;
    EXPECT_NE(labelPart.find("ParentFont = False"), std::string::npos) << labelPart;
}

TEST(PublishedControls, AFormsStreamHoldsItsOwnComponentsOnceEach) {
    TForm form(nullptr);
    TForm other(nullptr);
    auto* panel = new TPanel(&form);
    panel->SetParent(&form);
    auto* inPanel = new TLabel(&form);
    inPanel->SetParent(panel);
    auto* loose = new TComponent(&form);  // not a control
    auto* unplaced = new TLabel(&form);   // a control standing nowhere
    auto* foreign = new TLabel(&other);   // stands on the form, owned elsewhere
    foreign->SetParent(&form);
    auto* button = new TButton(&form);
    button->SetParent(&form);

    EXPECT_EQ(Children(&form, &form), (std::vector<TComponent*>{loose, unplaced, panel, button}));
    EXPECT_EQ(Children(panel, &form), std::vector<TComponent*>{inPanel});
    // Written as part of another root, the form holds only its controls of that root.
    EXPECT_EQ(Children(&form, &other), std::vector<TComponent*>{foreign});

    TPanel target(nullptr);
    auto* label = new TLabel(&form);
    label->SetParentComponent(&target);
    EXPECT_EQ(label->Parent(), &target);
    label->SetParentComponent(loose);  // not a windowed control: the parent stays
    EXPECT_EQ(label->Parent(), &target);
    label->SetParent(nullptr);
}
