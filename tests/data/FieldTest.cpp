// Field values as text, NULL, and the typed fields' conversions.
#include <gtest/gtest.h>

#include "DataFixture.h"

namespace {
struct TextCase {
    TFieldType Type;
    int Size;
    const wchar_t* In;      // written as Text
    const wchar_t* Text;    // read back as Text ("" with Null)
    const wchar_t* Display; // DisplayText
    bool Null;
};

std::unique_ptr<TFDMemTable> OneField(TFieldType type, int size) {
    auto t = std::make_unique<TFDMemTable>(nullptr);
    t->FieldDefs().Add(L"F", type, size);
    t->CreateDataSet();
    t->Append();
    return t;
}

TEST(FieldText, InAndOut) {
    using T = TFieldType;
    const TextCase cases[] = {
        {T::ftInteger, 0, L" -42 ", L"-42", L"-42", false},
        {T::ftInteger, 0, L"", L"", L"", true},
        {T::ftLargeint, 0, L"9223372036854775807", L"9223372036854775807", L"9223372036854775807", false},
        {T::ftFloat, 0, L"2.5e3", L"2500", L"2500", false},
        {T::ftCurrency, 0, L"12.5", L"12.5", L"12.50", false},
        {T::ftBoolean, 0, L"yes", L"True", L"True", false},
        {T::ftBoolean, 0, L"F", L"False", L"False", false},
        {T::ftString, 5, L"abcdefg", L"abcde", L"abcde", false},
        {T::ftString, 5, L"", L"", L"", false},  // empty, not NULL
        {T::ftWideString, 4, L"日本語", L"日本語", L"日本語", false},
        {T::ftMemo, 0, L"long text", L"long text", L"(MEMO)", false},
        {T::ftDate, 0, L"2019-05-01", L"2019/05/01", L"2019/05/01", false},
        {T::ftTime, 0, L"13:05", L"13:05:00", L"13:05:00", false},
        {T::ftDateTime, 0, L"2019/05/01 13:05:09", L"2019/05/01 13:05:09", L"2019/05/01 13:05:09", false},
        {T::ftDateTime, 0, L"2019/05/01", L"2019/05/01", L"2019/05/01", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.In);
        auto t = OneField(c.Type, c.Size);
        TField* f = t->FieldByName(L"F");
        EXPECT_TRUE(f->IsNull());
        f->SetText(c.In);
        t->Post();
        EXPECT_EQ(f->Text(), c.Text);
        EXPECT_EQ(f->DisplayText(), c.Display);
        EXPECT_EQ(f->IsNull(), c.Null);
    }
}

TEST(FieldText, BadTextRaisesAndLeavesTheValue) {
    using T = TFieldType;
    const struct {
        TFieldType Type;
        const wchar_t* Good;
        const wchar_t* Bad;
    } cases[] = {
        {T::ftInteger, L"7", L"7x"},
        {T::ftInteger, L"7", L"2147483648"},
        {T::ftLargeint, L"7", L"1.5"},
        {T::ftFloat, L"1.5", L"1,5"},
        {T::ftBoolean, L"True", L"maybe"},
        {T::ftDate, L"2020/02/29", L"2021/02/29"},
        {T::ftTime, L"23:59", L"24:00"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Bad);
        auto t = OneField(c.Type, 0);
        TField* f = t->FieldByName(L"F");
        f->SetText(c.Good);
        String before = f->Text();
        EXPECT_THROW(f->SetText(c.Bad), EConvertError);
        EXPECT_EQ(f->Text(), before);
    }
}

TEST(FieldText, EventsReplaceTheConversions) {
    auto t = OneField(TFieldType::ftInteger, 0);
    TField* f = t->FieldByName(L"F");
    f->SetOnSetText([](TField* s, const String& text) { s->SetAsInteger(int(text.size())); });
    f->SetOnGetText([](TField* s, String& text, bool display) { text = display ? L"#" + s->AsString() : s->AsString(); });
    f->SetText(L"four");
    EXPECT_EQ(f->AsInteger(), 4);
    EXPECT_EQ(f->Text(), L"4");
    EXPECT_EQ(f->DisplayText(), L"#4");
}

TEST(FieldProperties, DefaultsFollowTheType) {
    auto t = std::make_unique<TFDMemTable>(nullptr);
    t->FieldDefs().Add(L"N", TFieldType::ftInteger);
    t->FieldDefs().Add(L"S", TFieldType::ftString, 12);
    t->CreateDataSet();
    TField* n = t->FieldByName(L"N");
    TField* s = t->FieldByName(L"S");
    EXPECT_EQ(n->Alignment(), TAlignment::taRightJustify);
    EXPECT_EQ(s->Alignment(), TAlignment::taLeftJustify);
    EXPECT_EQ(s->DisplayWidth(), 12);
    EXPECT_TRUE(n->IsValidChar(L'7'));
    EXPECT_FALSE(n->IsValidChar(L'a'));
    EXPECT_TRUE(s->IsValidChar(L'a'));
    EXPECT_EQ(n->DisplayName(), L"N");
    n->SetDisplayLabel(L"Number");
    EXPECT_EQ(n->DisplayName(), L"Number");
    EXPECT_EQ(n->DataSet(), t.get());
    EXPECT_TRUE(n->CanModify());
    t->SetReadOnly(true);
    EXPECT_FALSE(n->CanModify());
}

TEST(FieldStructures, ObjectAndArrayFieldsHoldChildren) {
    TFDMemTable t(nullptr);
    TFieldDef& address = t.FieldDefs().Add(L"Address", TFieldType::ftADT);
    address.ChildDefs.push_back({L"City", TFieldType::ftString, 10, false, {}});
    address.ChildDefs.push_back({L"Zip", TFieldType::ftInteger, 0, false, {}});
    TFieldDef& scores = t.FieldDefs().Add(L"Scores", TFieldType::ftArray);
    scores.ChildDefs.push_back({L"Scores[0]", TFieldType::ftInteger, 0, false, {}});
    scores.ChildDefs.push_back({L"Scores[1]", TFieldType::ftInteger, 0, false, {}});
    t.CreateDataSet();
    EXPECT_EQ(t.Fields().Count(), 2);
    EXPECT_EQ(t.FieldList().Count(), 6);
    auto* adt = dynamic_cast<TADTField*>(t.Fields()[0]);
    ASSERT_NE(adt, nullptr);
    EXPECT_EQ(adt->Fields().Count(), 2);
    TField* city = t.FieldByName(L"Address.City");
    EXPECT_EQ(city->ParentField(), adt);
    EXPECT_EQ(city->FullName(), L"Address.City");
    t.Append();
    city->SetAsString(L"Kyoto");
    t.FieldByName(L"Zip")->SetAsInteger(600);
    t.FieldByName(L"Scores[1]")->SetAsInteger(9);
    t.Post();
    EXPECT_EQ(adt->DisplayText(), L"(Kyoto, 600)");
    EXPECT_EQ(t.Fields()[1]->DisplayText(), L"[, 9]");
    t.SetObjectView(false);
    EXPECT_EQ(t.Fields().Count(), 6);
}
}  // namespace
