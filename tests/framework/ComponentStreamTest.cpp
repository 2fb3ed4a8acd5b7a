// Published properties by name, collections, and component streams in both forms.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "ObjectText.h"
#include "StreamFixture.h"

namespace {

class ComponentStream : public ::testing::Test {
protected:
    void SetUp() override { RegisterTestClasses(); }

    // root { Count, Title, Shape, Flags, Font, two items with fonts, Values, Blob, Link }
    //   child "Kid" { Title, Link to root }
    //     grandchild "Grand" { Count }
    static void Fill(TTestNode& root) {
        root.SetName(L"Root");
        root.SetCount(42);
        root.SetTitle(L"グリッド 'one'\r\n");
        root.SetShape(TTestShape::tsTriangle);
        root.SetFlags({TTestFlag::tfBold, TTestFlag::tfUnder});
        root.SetSmall(-300);
        root.Font()->SetName(L"ＭＳ ゴシック");
        root.Font()->SetStyle({TTestFlag::tfItalic});
        auto* a = static_cast<TTestItem*>(root.Items()->Add());
        a->SetCaption(L"ID");
        a->Font()->SetSize(12);
        auto* b = static_cast<TTestItem*>(root.Items()->Add());
        b->SetWidth(-1);
        root.Values = {0, -1, 127, 128, -32769, 70000, 2147483647, -2147483647 - 1};
        root.Blob = {0x00, 0xFF, 0x10};
        auto* kid = new TTestNode(&root);
        kid->SetName(L"Kid");
        kid->SetParentComponent(&root);
        kid->SetTitle(L"k");
        kid->SetLink(&root);
        auto* grand = new TTestNode(&root);
        grand->SetName(L"Grand");
        grand->SetParentComponent(kid);
        grand->SetCount(7);
        root.SetLink(grand);
    }

    static void ExpectSameAsFilled(TTestNode& r) {
        EXPECT_EQ(r.Count(), 42);
        EXPECT_EQ(r.Title(), L"グリッド 'one'\r\n");
        EXPECT_EQ(r.Shape(), TTestShape::tsTriangle);
        EXPECT_EQ(r.Flags(), (TTestFlags{TTestFlag::tfBold, TTestFlag::tfUnder}));
        EXPECT_EQ(r.Small(), -300);
        EXPECT_EQ(r.Font()->Name(), L"ＭＳ ゴシック");
        EXPECT_EQ(r.Font()->Style(), TTestFlags{TTestFlag::tfItalic});
        ASSERT_EQ(r.Items()->Count(), 2);
        EXPECT_EQ(r.Items()->Item(0)->Caption(), L"ID");
        EXPECT_EQ(r.Items()->Item(0)->Font()->Size(), 12);
        EXPECT_EQ(r.Items()->Item(1)->Width(), -1);
        EXPECT_EQ(r.Values, (std::vector<int>{0, -1, 127, 128, -32769, 70000, 2147483647, -2147483647 - 1}));
        EXPECT_EQ(r.Blob, (std::vector<std::uint8_t>{0x00, 0xFF, 0x10}));
        ASSERT_EQ(r.FChildren.size(), 1u);
        TTestNode* kid = r.FChildren[0];
        EXPECT_EQ(kid->Name(), L"Kid");
        EXPECT_EQ(kid->Owner(), &r);
        EXPECT_EQ(kid->Title(), L"k");
        EXPECT_EQ(kid->Link(), &r);
        ASSERT_EQ(kid->FChildren.size(), 1u);
        EXPECT_EQ(kid->FChildren[0]->Count(), 7);
        EXPECT_EQ(r.Link(), kid->FChildren[0]);
    }
};

TEST_F(ComponentStream, RoundTripsThroughBinaryAndText) {
    TTestNode source(nullptr);
    Fill(source);
    TMemoryStream binary;
    WriteComponentStream(binary, &source);

    // Binary, straight back.
    binary.SetPosition(0);
    TTestNode direct(nullptr);
    ReadComponentStream(binary, &direct);
    EXPECT_EQ(binary.Position(), std::int64_t(binary.DataSize()));
    ExpectSameAsFilled(direct);

    // Binary to text to binary: the same bytes, and the text says what a person expects.
    binary.SetPosition(0);
    TMemoryStream text, again;
    ObjectBinaryToText(binary, text);
    text.SetPosition(0);
    ObjectTextToBinary(text, again);
    ASSERT_EQ(again.DataSize(), binary.DataSize());
    EXPECT_EQ(0, std::memcmp(again.Memory(), binary.Memory(), binary.DataSize()));
    std::string t(reinterpret_cast<const char*>(text.Memory()), text.DataSize());
    for (const char* line : {"object Root: TTestNode\n", "  Title = '\xE3\x82\xB0\xE3\x83\xAA\xE3\x83\x83\xE3\x83\x89 ''one'''#13#10\n",
                             "  Flags = [tfBold, tfUnder]\n", "  Font.Style = [tfItalic]\n", "  Link = Grand\n",
                             "  Values = (\n    0\n    -1\n", "  Blob = {\n    00FF10}\n", "      Font.Size = 12\n",
                             "  object Kid: TTestNode\n", "    object Grand: TTestNode\n      Count = 7\n    end\n"})
        EXPECT_NE(t.find(line), std::string::npos) << line << "\n" << t;

    // Text read back, into a root that is made from the registered class.
    again.SetPosition(0);
    std::unique_ptr<TComponent> made(ReadComponentStream(again, nullptr));
    ASSERT_TRUE(dynamic_cast<TTestNode*>(made.get()));
    ExpectSameAsFilled(static_cast<TTestNode&>(*made));
}

TEST_F(ComponentStream, IntegersTakeTheSmallestForm) {
    struct Case {
        std::int64_t value;
        TValueType type;
        std::size_t size;
    } cases[] = {{0, TValueType::vaInt8, 2},           {-128, TValueType::vaInt8, 2},
                 {128, TValueType::vaInt16, 3},        {-32768, TValueType::vaInt16, 3},
                 {32768, TValueType::vaInt32, 5},      {-2147483648LL, TValueType::vaInt32, 5},
                 {2147483648LL, TValueType::vaInt64, 9}};
    for (const Case& c : cases) {
        TMemoryStream s;
        TWriter w(s);
        w.WriteInteger(c.value);
        w.FlushBuffer();
        ASSERT_EQ(s.DataSize(), c.size) << c.value;
        EXPECT_EQ(TValueType(s.Memory()[0]), c.type) << c.value;
        s.SetPosition(0);
        EXPECT_EQ(TReader(s).ReadInt64(), c.value);
    }
}

TEST_F(ComponentStream, WritesOnlyWhatDiffersFromDefaultsOrAncestor) {
    TTestNode plain(nullptr);
    plain.SetName(L"N");
    EXPECT_EQ(StreamText(&plain), "object N: TTestNode\nend\n");

    // A stored test that says no keeps a changed value out.
    plain.SetExtra(3);
    plain.SetEnabled(false);
    EXPECT_EQ(StreamText(&plain), "object N: TTestNode\n  Enabled = False\nend\n");
    plain.SetEnabled(true);
    EXPECT_EQ(StreamText(&plain), "object N: TTestNode\n  Extra = 3\nend\n");

    // Against an ancestor: equal values (even ones that differ from the defaults) are left out,
    // a value back at its default is written, and a defined property asks the ancestor too.
    TTestNode ancestor(nullptr), descendant(nullptr);
    for (TTestNode* n : {&ancestor, &descendant}) {
        n->SetName(L"N");
        n->SetCount(9);
        n->SetTitle(L"same");
        n->Values = {1, 2};
        n->Items()->Add();
    }
    descendant.SetShape(TTestShape::tsCircle);
    ancestor.SetShape(TTestShape::tsCircle);
    ancestor.Font()->SetSize(11);
    EXPECT_EQ(StreamText(&descendant, &ancestor), "object N: TTestNode\n  Font.Size = 9\nend\n");
    descendant.Values = {1};
    static_cast<TTestItem*>(descendant.Items()->Items(0))->SetCaption(L"x");
    EXPECT_EQ(StreamText(&descendant, &ancestor),
              "object N: TTestNode\n  Font.Size = 9\n  Items = <\n    item\n      Caption = 'x'\n    end>\n"
              "  Values = (\n    1)\nend\n");
}

TEST_F(ComponentStream, LoadedComesOnceForEveryComponentAfterAllIsIn) {
    TTestNode source(nullptr);
    Fill(source);
    TMemoryStream s;
    WriteComponentStream(s, &source);
    s.SetPosition(0);
    TTestNode target(nullptr);
    ReadComponentStream(s, &target);
    TTestNode* kid = target.FChildren[0];
    TTestNode* grand = kid->FChildren[0];
    for (TTestNode* n : {&target, kid, grand}) {
        EXPECT_EQ(n->LoadedCalls, 1) << n->Name();
        EXPECT_FALSE(n->ComponentState().Contains(TComponentStateItem::csLoading));
    }
    EXPECT_TRUE(target.LoadingWhenRead);
    EXPECT_TRUE(grand->LoadingWhenRead);
    // The reference to a component further down the stream was resolved after reading it.
    EXPECT_EQ(target.Link(), grand);
}

TEST_F(ComponentStream, ReadsIntoComponentsTheRootAlreadyOwns) {
    TTestNode source(nullptr);
    Fill(source);
    TMemoryStream s;
    WriteComponentStream(s, &source);

    TTestNode target(nullptr);
    auto* kid = new TTestNode(&target);
    kid->SetName(L"Kid");
    kid->SetParentComponent(&target);
    s.SetPosition(0);
    ReadComponentStream(s, &target);
    EXPECT_EQ(target.ComponentCount(), 2);  // Kid reused, Grand made
    EXPECT_EQ(target.FChildren[0], kid);
    EXPECT_EQ(kid->Title(), L"k");
}

// Each damaged stream is refused with its reason, and the target keeps what it had.
TEST_F(ComponentStream, RefusesDamagedStreamsAndLeavesTheTargetAsItWas) {
    auto text = [](const std::string& body) {
        TMemoryStream t, b;
        t.WriteBuffer(body.data(), body.size());
        t.SetPosition(0);
        ObjectTextToBinary(t, b);
        return std::vector<std::uint8_t>(b.Memory(), b.Memory() + b.DataSize());
    };
    auto bytes = [](std::initializer_list<int> tail) {
        std::vector<std::uint8_t> v{'S', 'S', 'C', '1', 9, 'T', 'T', 'e', 's', 't', 'N', 'o', 'd', 'e', 0};
        for (int b : tail) v.push_back(std::uint8_t(b));
        return v;
    };
    std::vector<std::uint8_t> deep = bytes({6, 'V', 'a', 'l', 'u', 'e', 's'});
    deep.insert(deep.end(), 70, std::uint8_t(TValueType::vaList));
    deep.insert(deep.end(), 72, 0);
    struct Case {
        const char* what;
        std::vector<std::uint8_t> stream;
        const wchar_t* message;
        // A defined property's own reader sees its value only while the stream is applied,
        // so what it refuses comes after what was read before it.
        bool checkedFirst = true;
    } cases[] = {
        {"signature", {'S', 'S', 'C', '0', 1, 'X', 0, 0, 0}, L"コンポーネントのストリームではありません"},
        {"unknown property", text("object X: TTestNode\n  Colour = 1\nend\n"), L"プロパティ Colour はありません"},
        {"unknown sub-property", text("object X: TTestNode\n  Font.Colour = 1\nend\n"), L"プロパティ Font.Colour はありません"},
        {"string for an integer", text("object X: TTestNode\n  Count = 'five'\nend\n"), L"プロパティ Count の値の型が違います"},
        {"out of range", text("object X: TTestNode\n  Small = 40000\nend\n"), L"プロパティ Small の値 40000 は範囲外です"},
        {"unknown enumeration", text("object X: TTestNode\n  Shape = tsOval\nend\n"), L"tsOval は TTestShape の値ではありません"},
        {"unknown set element", text("object X: TTestNode\n  Flags = [tfBold, tfWide]\nend\n"), L"tfWide は TTestFlag の値ではありません"},
        {"read-only", text("object X: TTestNode\n  Kids = 1\nend\n"), L"プロパティ Kids は読み取り専用です"},
        {"unknown item property", text("object X: TTestNode\n  Items = <\n    item\n      Height = 1\n    end>\nend\n"),
         L"プロパティ Height はありません"},
        {"unregistered class", text("object X: TTestNode\n  object Y: TNoSuchClass\n  end\nend\n"),
         L"クラス TNoSuchClass は登録されていません"},
        {"a name twice", text("object X: TTestNode\n  object Y: TTestNode\n  end\n  object Y: TTestNode\n  end\nend\n"),
         L"コンポーネント名 Y が重複しています"},
        {"too deep", deep, L"入れ子が深すぎます"},
        {"list without end", bytes({6, 'V', 'a', 'l', 'u', 'e', 's', 1, 2, 1}), L"ストリームが途中で終わっています"},
        {"string longer than the stream", bytes({5, 'T', 'i', 't', 'l', 'e', 6, 0xFF, 0xFF, 0xFF, 0x7F, 'a', 0}),
         L"文字列の長さ 2147483647 がストリームの残りを超えています"},
        {"unknown value type", bytes({5, 'C', 'o', 'u', 'n', 't', 99, 0, 0}), L"プロパティ Count の値の型が違います"},
        {"bad identifier byte", bytes({5, 'C', 'o', 'u', 0xE9, 't', 2, 1, 0, 0}), L"識別子に使えない文字があります"},
        {"defined list of strings", text("object X: TTestNode\n  Count = 1\n  Values = (\n    'a')\nend\n"),
         L"整数があるべきところに別の値があります", false},
        {"defined value of the wrong kind", text("object X: TTestNode\n  Blob = 5\nend\n"), L"プロパティ Blob の値がバイナリではありません"},
    };
    for (const Case& c : cases) {
        TTestNode target(nullptr);
        Fill(target);
        std::string before = StreamText(&target);
        TMemoryStream s;
        s.WriteBuffer(c.stream.data(), c.stream.size());
        s.SetPosition(0);
        try {
            ReadComponentStream(s, &target);
            ADD_FAILURE() << c.what << ": read without error";
        } catch (const EReadError& e) {
            EXPECT_NE(e.Message().find(c.message), String::npos) << c.what << ": " << e.what();
        }
        if (c.checkedFirst) {
            EXPECT_EQ(StreamText(&target), before) << c.what;
        }
        EXPECT_EQ(target.ComponentCount(), 2) << c.what;
        EXPECT_FALSE(target.ComponentState().Contains(TComponentStateItem::csLoading)) << c.what;
        EXPECT_EQ(target.LoadedCalls, 0) << c.what;
    }
}

TEST_F(ComponentStream, RefusesEveryTruncation) {
    TTestNode source(nullptr);
    Fill(source);
    TMemoryStream full;
    WriteComponentStream(full, &source);
    for (std::size_t n = 0; n < full.DataSize(); ++n) {
        TMemoryStream cut;
        cut.WriteBuffer(full.Memory(), n);
        cut.SetPosition(0);
        TTestNode target(nullptr);
        EXPECT_THROW(ReadComponentStream(cut, &target), EReadError) << n;
        EXPECT_EQ(StreamText(&target), "object TTestNode\nend\n") << n;
        cut.SetPosition(0);
        TMemoryStream text;
        EXPECT_THROW(ObjectBinaryToText(cut, text), EReadError) << n;
        EXPECT_EQ(text.DataSize(), 0u);
    }
}

TEST_F(ComponentStream, TextErrorsNameTheLine) {
    struct Case {
        const char* text;
        const wchar_t* message;
    } cases[] = {
        {"object X: TTestNode\n  Count = )\nend\n", L"2 行目: 値がありません"},
        {"object X: TTestNode\n  Title = 'open\nend\n", L"2 行目: 文字列が閉じていません"},
        {"object X: TTestNode\n  Count = 99999999999999999999\nend\n", L"2 行目: 整数が 64 ビットに収まりません"},
        {"object X: TTestNode\n  Blob = {0A1}\nend\n", L"2 行目: 16 進数の桁数が奇数です"},
        {"object X: TTestNode\nend\nend\n", L"3 行目: オブジェクトの後に余分な文字があります"},
        {"object X: TTestNode\n  Title = #70000\nend\n", L"2 行目: 文字コードが大きすぎます"},
        {"object X: TTestNode\n  Count = 1\n", L"3 行目: end がありません"},
    };
    for (const Case& c : cases) {
        TMemoryStream t, b;
        t.WriteBuffer(c.text, std::strlen(c.text));
        t.SetPosition(0);
        try {
            ObjectTextToBinary(t, b);
            ADD_FAILURE() << c.text;
        } catch (const EParserError& e) {
            EXPECT_NE(e.Message().find(c.message), String::npos) << c.text << e.what();
        }
        EXPECT_EQ(b.DataSize(), 0u);
    }
}

// A stream that takes Room bytes and then no more, as a full disk does.
class TFullStream : public TMemoryStream {
public:
    explicit TFullStream(std::size_t room) : FRoom(room) {}
    std::size_t Write(const void* buffer, std::size_t count) override {
        std::size_t n = std::min(count, FRoom - std::min(FRoom, DataSize()));
        return TMemoryStream::Write(buffer, n);
    }

private:
    std::size_t FRoom;
};

TEST_F(ComponentStream, AStreamThatFillsUpIsAWriteError) {
    TTestNode source(nullptr);
    Fill(source);
    source.Values.assign(5000, 1000);  // more than the writer's buffer
    TFullStream full(3000);
    EXPECT_THROW(WriteComponentStream(full, &source), EWriteError);

    source.SetName(L"Gr\u00FCn");  // a name the stream cannot hold
    TMemoryStream s;
    EXPECT_THROW(WriteComponentStream(s, &source), EWriteError);
}

TEST(PublishedProperties, ListReadWriteByName) {
    TTestNode n(nullptr);
    std::vector<String> names;
    for (const TPropInfo* p : GetPropList(&n)) names.push_back(p->Name);
    EXPECT_EQ(names, (std::vector<String>{L"Count", L"Title", L"Shape", L"Flags", L"Enabled", L"Small", L"Extra", L"Font",
                                          L"Items", L"Link", L"Kids"}));
    EXPECT_TRUE(IsPublishedProp(&n, L"count"));
    EXPECT_FALSE(IsPublishedProp(&n, L"Colour"));

    struct Case {
        const wchar_t* name;
        const wchar_t* text;
    } cases[] = {{L"Count", L"-12"}, {L"Title", L"abc"}, {L"Shape", L"tsCircle"},
                 {L"Flags", L"[tfBold,tfUnder]"}, {L"Enabled", L"False"}, {L"Small", L"32767"}};
    for (const Case& c : cases) {
        SetPropValue(&n, c.name, c.text);
        EXPECT_EQ(GetPropValue(&n, c.name), c.text) << c.name;
    }
    EXPECT_EQ(GetOrdProp(&n, L"Shape"), 1);
    SetOrdProp(&n, L"Count", 8);
    EXPECT_EQ(n.Count(), 8);
    EXPECT_EQ(GetObjectProp(&n, L"Font"), n.Font());
    EXPECT_EQ(GetPropValue(n.Font(), L"Size"), L"9");
    SetPropValue(&n, L"Font.Style", L"[tfItalic]");
    EXPECT_EQ(n.Font()->Style(), TTestFlags{TTestFlag::tfItalic});
    EXPECT_EQ(GetOrdProp(&n, L"font.size"), 9);
    EXPECT_TRUE(IsPublishedProp(&n, L"Font.Name"));
    EXPECT_FALSE(IsPublishedProp(&n, L"Font.Colour"));
    EXPECT_FALSE(IsPublishedProp(&n, L"Count.Name"));

    // Refusals leave the value alone.
    EXPECT_THROW(GetPropValue(&n, L"Colour"), EPropertyError);
    EXPECT_THROW(SetPropValue(&n, L"Small", L"32768"), EPropertyConvertError);
    EXPECT_THROW(SetPropValue(&n, L"Shape", L"tsOval"), EPropertyConvertError);
    EXPECT_THROW(SetPropValue(&n, L"Flags", L"[tfBold"), EPropertyConvertError);
    EXPECT_THROW(SetOrdProp(&n, L"Shape", 3), EPropertyConvertError);
    EXPECT_THROW(SetOrdProp(&n, L"Title", 3), EPropertyConvertError);
    EXPECT_THROW(SetPropValue(&n, L"Kids", L"2"), EPropertyError);
    EXPECT_EQ(n.Small(), 32767);
    EXPECT_EQ(n.Shape(), TTestShape::tsCircle);
    EXPECT_EQ(n.Flags(), (TTestFlags{TTestFlag::tfBold, TTestFlag::tfUnder}));
}

TEST(Collections, ItemsChangesAndAssignment) {
    TTestItems items;
    auto* a = static_cast<TTestItem*>(items.Add());
    auto* b = static_cast<TTestItem*>(items.Add());
    auto* c = static_cast<TTestItem*>(items.Insert(0));
    EXPECT_EQ(items.Count(), 3);
    EXPECT_EQ(c->Index(), 0);
    EXPECT_EQ(a->Index(), 1);
    EXPECT_EQ(items.FindItemID(b->ID()), b);
    EXPECT_NE(a->ID(), b->ID());
    EXPECT_EQ(a->DisplayName(), L"TTestItem");

    items.Updates.clear();
    b->SetIndex(0);  // b, c, a
    EXPECT_EQ(items.Updates, std::vector<int>{-1});
    EXPECT_EQ(items.Item(2), a);
    EXPECT_THROW(b->SetIndex(3), EListError);

    // A bracket reports once, when it closes.
    items.Updates.clear();
    items.BeginUpdate();
    items.Add();
    items.Delete(0);
    EXPECT_TRUE(items.Updates.empty());
    items.EndUpdate();
    EXPECT_EQ(items.Updates, std::vector<int>{-1});

    // An item leaving on its own, and one moved to another collection.
    delete c;
    EXPECT_EQ(items.Count(), 2);
    TTestItems other;
    a->SetCollection(&other);
    EXPECT_EQ(items.Count(), 1);
    EXPECT_EQ(other.Item(0), a);

    a->SetCaption(L"cap");
    a->Font()->SetSize(20);
    items.Assign(&other);
    ASSERT_EQ(items.Count(), 1);
    EXPECT_EQ(items.Item(0)->Caption(), L"cap");
    EXPECT_EQ(items.Item(0)->Font()->Size(), 20);
    EXPECT_NE(items.Item(0), a);
    EXPECT_TRUE(CollectionsEqual(&items, &other));
    items.Item(0)->SetWidth(1);
    EXPECT_FALSE(CollectionsEqual(&items, &other));
    EXPECT_THROW(items.Items(1), EListError);
}

}  // namespace
