#include "StreamFixture.h"

#include "ObjectText.h"

SS_PUBLISH(TTestFont) {
    p.Property(L"Name", &TTestFont::Name, &TTestFont::SetName);
    p.Property(L"Size", &TTestFont::Size, &TTestFont::SetSize).Default(9);
    p.Property(L"Style", &TTestFont::Style, &TTestFont::SetStyle).Default(TTestFlags{});
}

void TTestFont::Assign(const TPersistent* Source) {
    auto* src = dynamic_cast<const TTestFont*>(Source);
    if (!src) return TPersistent::Assign(Source);
    FName = src->FName;
    FSize = src->FSize;
    FStyle = src->FStyle;
}

SS_PUBLISH(TTestItem) {
    p.Property(L"Caption", &TTestItem::Caption, &TTestItem::SetCaption);
    p.Property(L"Width", &TTestItem::Width, &TTestItem::SetWidth).Default(64);
    p.Property(L"Font", &TTestItem::Font);
}

void TTestItem::Assign(const TPersistent* Source) {
    auto* src = dynamic_cast<const TTestItem*>(Source);
    if (!src) return TPersistent::Assign(Source);
    FCaption = src->FCaption;
    FWidth = src->FWidth;
    FFont.Assign(&src->FFont);
}

SS_PUBLISH(TTestNode) {
    p.Property(L"Count", &TTestNode::Count, &TTestNode::SetCount).Default(5);
    p.Property(L"Title", &TTestNode::Title, &TTestNode::SetTitle);
    p.Property(L"Shape", &TTestNode::Shape, &TTestNode::SetShape).Default(TTestShape::tsSquare);
    p.Property(L"Flags", &TTestNode::Flags, &TTestNode::SetFlags).Default(TTestFlags{});
    p.Property(L"Enabled", &TTestNode::Enabled, &TTestNode::SetEnabled).Default(true);
    p.Property(L"Small", &TTestNode::Small, &TTestNode::SetSmall).Default(0);
    p.Property(L"Extra", &TTestNode::Extra, &TTestNode::SetExtra).Default(0).Stored(&TTestNode::IsExtraStored);
    p.Property(L"Font", &TTestNode::Font);
    p.Property(L"Items", &TTestNode::Items);
    p.Property(L"Link", &TTestNode::Link, &TTestNode::SetLink);
    p.Property(L"Kids", &TTestNode::Kids);
}

TTestNode::~TTestNode() {
    if (FParent) std::erase(FParent->FChildren, this);
    for (TTestNode* c : FChildren) c->FParent = nullptr;
}

void TTestNode::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) {
    for (TTestNode* c : FChildren)
        if (c->Owner() == Root) Proc(c);
}

void TTestNode::SetParentComponent(TComponent* Parent) {
    if (FParent) std::erase(FParent->FChildren, this);
    FParent = dynamic_cast<TTestNode*>(Parent);
    if (FParent) FParent->FChildren.push_back(this);
}

void TTestNode::DefineProperties(TFiler& Filer) {
    auto* ancestor = dynamic_cast<const TTestNode*>(Filer.Ancestor());
    Filer.DefineProperty(
        L"Values",
        [this](TReader& r) {
            Values.clear();
            r.ReadListBegin();
            while (!r.EndOfList()) Values.push_back(r.ReadInteger());
            r.ReadListEnd();
        },
        [this](TWriter& w) {
            w.WriteListBegin();
            for (int v : Values) w.WriteInteger(v);
            w.WriteListEnd();
        },
        ancestor ? ancestor->Values != Values : !Values.empty());
    Filer.DefineBinaryProperty(
        L"Blob",
        [this](TStream& s) {
            Blob.resize(std::size_t(s.Size()));
            s.ReadBuffer(Blob.data(), Blob.size());
        },
        [this](TStream& s) { s.WriteBuffer(Blob.data(), Blob.size()); }, !Blob.empty());
}

void RegisterTestClasses() { RegisterClass<TTestNode>(); }

std::string StreamText(TComponent* c, const TComponent* ancestor) {
    TMemoryStream binary, text;
    WriteComponentStream(binary, c, ancestor);
    binary.SetPosition(0);
    ObjectBinaryToText(binary, text);
    return std::string(reinterpret_cast<const char*>(text.Memory()), text.DataSize());
}
