#include "Filer.h"

#include <bit>
#include <cstring>

static_assert(std::endian::native == std::endian::little, "the stream's integers are little-endian");

namespace {
constexpr int kMaxDepth = 64;

std::vector<TComponentClass>& Registry() {
    static std::vector<TComponentClass> registry;
    return registry;
}

bool IsIdentChar(wchar_t c) {
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9') || c == L'_' || c == L'.';
}

// String units as UTF-16: where wchar_t holds whole code points, those past U+FFFF travel as
// surrogate pairs, and pairs read back become one code point again.
void AppendUtf16(std::vector<std::uint16_t>& out, const String& s) {
    for (wchar_t c : s) {
        auto cp = std::uint32_t(c);
        if (cp > 0xFFFF && cp <= 0x10FFFF) {
            cp -= 0x10000;
            out.push_back(std::uint16_t(0xD800 + (cp >> 10)));
            out.push_back(std::uint16_t(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(std::uint16_t(cp > 0xFFFF ? 0xFFFD : cp));
        }
    }
}

String FromUtf16(const std::uint8_t* p, std::size_t units) {
    String s;
    s.reserve(units);
    for (std::size_t i = 0; i < units; ++i) {
        std::uint32_t u = p[2 * i] | (std::uint32_t(p[2 * i + 1]) << 8);
        if constexpr (sizeof(wchar_t) == 4) {
            if (u >= 0xD800 && u < 0xDC00 && i + 1 < units) {
                std::uint32_t lo = p[2 * i + 2] | (std::uint32_t(p[2 * i + 3]) << 8);
                if (lo >= 0xDC00 && lo < 0xE000) {
                    u = 0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00);
                    ++i;
                }
            }
        }
        s.push_back(wchar_t(u));
    }
    return s;
}

// The name a stream gives a referenced component: its own within the root, else its owner's
// and its own.
String ReferenceName(const TComponent* c, const TComponent* root) {
    if (!c || c->Name().empty()) return L"";
    if (c == root || c->Owner() == root || !c->Owner()) return c->Name();
    return c->Owner()->Name() + L"." + c->Name();
}
}  // namespace

void RegisterComponentClass(const TComponentClass& cls) {
    for (TComponentClass& c : Registry())
        if (c.Info == cls.Info) return;
    Registry().push_back(cls);
}

const TComponentClass* FindComponentClass(const String& name) {
    for (const TComponentClass& c : Registry())
        if (SameText(c.Info->Name, name)) return &c;
    return nullptr;
}

// ---- writing

TWriter::TWriter(TStream& Stream) : FStream(Stream) {}

void TWriter::FlushBuffer() {
    if (!FCount) return;
    FStream.WriteBuffer(FBuffer, FCount);
    FWritten += std::int64_t(FCount);
    FCount = 0;
}

void TWriter::WriteBytes(const void* data, std::size_t count) {
    if (!count) return;  // an empty vector's data may be null
    if (count > sizeof FBuffer - FCount) {
        FlushBuffer();
        if (count >= sizeof FBuffer) {
            FStream.WriteBuffer(data, count);
            FWritten += std::int64_t(count);
            return;
        }
    }
    std::memcpy(FBuffer + FCount, data, count);
    FCount += count;
}

void TWriter::WriteInteger(std::int64_t Value) {
    if (FCount + 9 > sizeof FBuffer) FlushBuffer();
    std::uint8_t* p = FBuffer + FCount;
    std::size_t size;
    if (Value >= INT8_MIN && Value <= INT8_MAX) {
        *p = std::uint8_t(TValueType::vaInt8);
        size = 1;
    } else if (Value >= INT16_MIN && Value <= INT16_MAX) {
        *p = std::uint8_t(TValueType::vaInt16);
        size = 2;
    } else if (Value >= INT32_MIN && Value <= INT32_MAX) {
        *p = std::uint8_t(TValueType::vaInt32);
        size = 4;
    } else {
        *p = std::uint8_t(TValueType::vaInt64);
        size = 8;
    }
    std::memcpy(p + 1, &Value, size);  // the low bytes, little-endian
    FCount += 1 + size;
}

void TWriter::WriteString(const String& Value) {
    std::vector<std::uint16_t> units;
    AppendUtf16(units, Value);
    if (units.size() > 0x7FFFFFFF) throw EWriteError(L"文字列が長すぎます");
    WriteValue(TValueType::vaString);
    auto n = std::uint32_t(units.size());
    WriteBytes(&n, 4);
    WriteBytes(units.data(), units.size() * 2);
}

void TWriter::WriteName(const String& name) {
    if (name.size() > 255) throw EWriteError(Format(L"識別子 %s が長すぎます", {name}));
    std::uint8_t bytes[256];
    bytes[0] = std::uint8_t(name.size());
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (!IsIdentChar(name[i])) throw EWriteError(Format(L"識別子 %s に使えない文字があります", {name}));
        bytes[i + 1] = std::uint8_t(name[i]);
    }
    WriteBytes(bytes, name.size() + 1);
}

void TWriter::WriteIdent(const String& Value) {
    WriteValue(TValueType::vaIdent);
    WriteName(Value);
}

void TWriter::WriteCollection(const TCollection* Value) {
    WriteValue(TValueType::vaCollection);
    if (Value) {
        // Items are read into new items, so they are written against the defaults.
        for (int i = 0; i < Value->Count(); ++i) {
            WriteValue(TValueType::vaList);
            WriteProperties(Value->Items(i), nullptr, L"");
            WriteValue(TValueType::vaNull);
        }
    }
    WriteValue(TValueType::vaNull);
}

void TWriter::WriteRootComponent(TComponent* Root, const TComponent* Ancestor) {
    FRoot = Root;
    FRootAncestor = Ancestor;
    WriteBytes(kStreamSignature, sizeof kStreamSignature);
    WriteComponent(Root, Ancestor);
    FlushBuffer();
}

void TWriter::WriteComponent(TComponent* c, const TComponent* ancestor) {
    if (++FDepth > kMaxDepth) throw EWriteError(L"入れ子が深すぎます");
    WriteName(c->ClassName());
    WriteName(c->Name());
    WriteProperties(c, ancestor, L"");
    WriteValue(TValueType::vaNull);
    c->GetChildren(
        [this](TComponent* child) {
            const TComponent* inherited = nullptr;
            if (FRootAncestor && !child->Name().empty()) inherited = FRootAncestor->FindComponent(child->Name());
            if (inherited && inherited->ClassInfo().Name != child->ClassInfo().Name) inherited = nullptr;
            WriteComponent(child, inherited);
        },
        FRoot);
    WriteValue(TValueType::vaNull);
    --FDepth;
}

void TWriter::WriteProperties(TPersistent* obj, const TPersistent* ancestor, const String& prefix) {
    if (++FDepth > kMaxDepth) throw EWriteError(L"入れ子が深すぎます");
    if (const TPropList* list = obj->PropList())
        for (int i = 0; i < list->Count(); ++i) WriteProperty(obj, (*list)[i], ancestor, prefix);
    const TPersistent* savedAncestor = FAncestor;
    String savedPrefix = FPrefix;
    FAncestor = ancestor;
    FPrefix = prefix;
    obj->DefineProperties(*this);
    FAncestor = savedAncestor;
    FPrefix = savedPrefix;
    --FDepth;
}

void TWriter::WriteProperty(TPersistent* obj, const TPropInfo& p, const TPersistent* ancestor, const String& prefix) {
    if (!p.IsStored(obj)) return;
    // The same property of the ancestor, which decides instead of the default.
    const TPropInfo* ap = ancestor ? GetPropInfo(ancestor, p.Name) : nullptr;
    if (ap && ap->Kind != p.Kind) ap = nullptr;
    switch (p.Kind) {
    case TTypeKind::tkString: {
        if (!p.SetStr) return;
        String v = p.GetStr(obj);
        if (ap ? v == ap->GetStr(ancestor) : v.empty()) return;
        WriteName(prefix + p.Name);
        WriteString(v);
        return;
    }
    case TTypeKind::tkClass: {
        TObject* o = p.GetObj(obj);
        const TObject* ao = ap ? ap->GetObj(ancestor) : nullptr;
        if (p.IsComponentRef()) {
            if (!p.SetObj) return;
            String ref = ReferenceName(dynamic_cast<const TComponent*>(o), FRoot);
            if (ap ? ref == ReferenceName(dynamic_cast<const TComponent*>(ao), FRootAncestor) : ref.empty()) return;
            WriteName(prefix + p.Name);
            if (ref.empty()) WriteValue(TValueType::vaNil);
            else WriteIdent(ref);
        } else if (auto* coll = dynamic_cast<TCollection*>(o)) {
            if (ap ? CollectionsEqual(coll, dynamic_cast<const TCollection*>(ao)) : coll->Count() == 0) return;
            WriteName(prefix + p.Name);
            WriteCollection(coll);
        } else if (auto* sub = dynamic_cast<TPersistent*>(o)) {
            WriteProperties(sub, dynamic_cast<const TPersistent*>(ao), prefix + p.Name + L".");
        }
        return;
    }
    default: break;
    }
    if (!p.SetOrd) return;
    long long v = p.GetOrd(obj);
    if (ap ? v == ap->GetOrd(ancestor) : p.HasDefault && v == p.DefaultValue) return;
    WriteName(prefix + p.Name);
    switch (p.Kind) {
    case TTypeKind::tkBoolean: WriteBoolean(v != 0); break;
    case TTypeKind::tkEnumeration:
        if (v < 0 || v >= p.Enum->Count()) throw EWriteError(Format(L"プロパティ %s の値 %d は名前がありません", {p.Name, v}));
        WriteIdent(p.Enum->Name(int(v)));
        break;
    case TTypeKind::tkSet:
        WriteValue(TValueType::vaSet);
        for (int i = 0; i < p.Enum->Count(); ++i)
            if (v & (1LL << i)) WriteName(p.Enum->Name(i));
        WriteName(L"");
        break;
    default: WriteInteger(v);
    }
}

void TWriter::DefineProperty(const String& Name, const TReaderProc&, const TWriterProc& WriteData, bool HasData) {
    if (!HasData || !WriteData) return;
    WriteName(FPrefix + Name);
    std::int64_t before = FWritten + std::int64_t(FCount);
    WriteData(*this);
    if (FWritten + std::int64_t(FCount) == before)
        throw EWriteError(Format(L"プロパティ %s の値が書かれていません", {FPrefix + Name}));
}

void TWriter::DefineBinaryProperty(const String& Name, const TStreamProc&, const TStreamProc& WriteData, bool HasData) {
    if (!HasData || !WriteData) return;
    TMemoryStream data;
    WriteData(data);
    if (data.DataSize() > 0x7FFFFFFF) throw EWriteError(Format(L"プロパティ %s の値が大きすぎます", {FPrefix + Name}));
    WriteName(FPrefix + Name);
    WriteValue(TValueType::vaBinary);
    auto n = std::uint32_t(data.DataSize());
    WriteBytes(&n, 4);
    WriteBytes(data.Memory(), data.DataSize());
}

bool CollectionsEqual(const TCollection* a, const TCollection* b) {
    if (!a || !b) return a == b;
    if (a->ItemClass().Info != b->ItemClass().Info) return false;
    TMemoryStream sa, sb;
    TWriter wa(sa), wb(sb);
    wa.WriteCollection(a);
    wa.FlushBuffer();
    wb.WriteCollection(b);
    wb.FlushBuffer();
    return sa.DataSize() == sb.DataSize() && std::memcmp(sa.Memory(), sb.Memory(), sa.DataSize()) == 0;
}

void WriteComponentStream(TStream& Stream, TComponent* Instance, const TComponent* Ancestor) {
    TWriter writer(Stream);
    writer.WriteRootComponent(Instance, Ancestor);
}

// ---- reading

struct TReader::TDefined {
    String Name;
    TReaderProc Read;
    TStreamProc ReadBinary;
    bool Binary;
};

struct TReader::TFixup {
    TObject* Instance;
    const TPropInfo* Prop;
    String Name;
};

TReader::TReader(TStream& Stream) : FStream(Stream) {
    FBase = Stream.Position();
    if (auto* memory = dynamic_cast<TMemoryStream*>(&Stream)) {
        std::size_t base = std::size_t(FBase);
        FData = memory->Memory() + std::min(base, memory->DataSize());
        FSize = base < memory->DataSize() ? memory->DataSize() - base : 0;
    } else {
        std::int64_t size = Stream.Size() - FBase;
        FOwned.resize(std::size_t(size > 0 ? size : 0));
        Stream.ReadBuffer(FOwned.data(), FOwned.size());
        Stream.SetPosition(FBase);
        FData = FOwned.data();
        FSize = FOwned.size();
    }
}

TReader::~TReader() = default;

void TReader::Error(const String& msg) const {
    throw EReadError(Format(L"%s (位置 %d)", {msg, (long long)FPos}));
}

void TReader::Enter() {
    if (++FDepth > kMaxDepth) Error(L"入れ子が深すぎます");
}

std::uint8_t TReader::ReadByte() {
    if (FPos >= FSize) Error(L"ストリームが途中で終わっています");
    return FData[FPos++];
}

const std::uint8_t* TReader::Take(std::size_t count) {
    if (count > FSize - FPos) Error(L"ストリームが途中で終わっています");
    const std::uint8_t* p = FData + FPos;
    FPos += count;
    return p;
}

TValueType TReader::NextValue() const {
    if (FPos >= FSize) Error(L"ストリームが途中で終わっています");
    return TValueType(FData[FPos]);
}

void TReader::Expect(TValueType t, const wchar_t* what) {
    if (NextValue() != t) Error(Format(L"%s があるべきところに型 %d の値があります", {what, (long long)NextValue()}));
    ++FPos;
}

String TReader::ReadName() {
    std::size_t n = ReadByte();
    const std::uint8_t* p = Take(n);
    String name(p, p + n);
    for (wchar_t c : name)
        if (!IsIdentChar(c)) Error(L"識別子に使えない文字があります");
    return name;
}

std::int64_t TReader::ReadInt64() {
    std::size_t size;
    switch (TValueType(ReadByte())) {
    case TValueType::vaInt8: size = 1; break;
    case TValueType::vaInt16: size = 2; break;
    case TValueType::vaInt32: size = 4; break;
    case TValueType::vaInt64: size = 8; break;
    default: --FPos; Error(L"整数があるべきところに別の値があります");
    }
    const std::uint8_t* p = Take(size);
    std::uint64_t v = 0;
    std::memcpy(&v, p, size);
    if (size < 8 && (p[size - 1] & 0x80)) v |= ~std::uint64_t(0) << (size * 8);  // sign
    return std::int64_t(v);
}

int TReader::ReadInteger() {
    std::int64_t v = ReadInt64();
    if (v < INT32_MIN || v > INT32_MAX) Error(Format(L"整数 %s は 32 ビットに収まりません", {IntToStr(v)}));
    return int(v);
}

bool TReader::ReadBoolean() {
    TValueType t = NextValue();
    if (t != TValueType::vaTrue && t != TValueType::vaFalse) Error(L"真偽値があるべきところに別の値があります");
    ++FPos;
    return t == TValueType::vaTrue;
}

String TReader::ReadString() {
    Expect(TValueType::vaString, L"文字列");
    std::uint32_t n;
    std::memcpy(&n, Take(4), 4);
    if (n > (FSize - FPos) / 2) Error(Format(L"文字列の長さ %u がストリームの残りを超えています", {(long long)n}));
    return FromUtf16(Take(std::size_t(n) * 2), n);
}

String TReader::ReadIdent() {
    Expect(TValueType::vaIdent, L"識別子");
    return ReadName();
}

void TReader::SkipValue() {
    std::uint32_t n;
    switch (TValueType(ReadByte())) {
    case TValueType::vaList:
        Enter();
        while (NextValue() != TValueType::vaNull) SkipValue();
        ++FPos;
        Leave();
        break;
    case TValueType::vaInt8: Take(1); break;
    case TValueType::vaInt16: Take(2); break;
    case TValueType::vaInt32: Take(4); break;
    case TValueType::vaInt64: Take(8); break;
    case TValueType::vaString:
        std::memcpy(&n, Take(4), 4);
        if (n > (FSize - FPos) / 2) Error(Format(L"文字列の長さ %u がストリームの残りを超えています", {(long long)n}));
        Take(std::size_t(n) * 2);
        break;
    case TValueType::vaIdent: ReadName(); break;
    case TValueType::vaFalse:
    case TValueType::vaTrue:
    case TValueType::vaNil: break;
    case TValueType::vaSet:
        while (!ReadName().empty()) {}
        break;
    case TValueType::vaCollection:
        Enter();
        while (NextValue() != TValueType::vaNull) {
            Expect(TValueType::vaList, L"項目");
            while (NextValue() != TValueType::vaNull) {
                if (ReadName().empty()) Error(L"プロパティ名が空です");
                SkipValue();
            }
            ++FPos;
        }
        ++FPos;
        Leave();
        break;
    case TValueType::vaBinary:
        std::memcpy(&n, Take(4), 4);
        Take(n);
        break;
    default: --FPos; Error(Format(L"値の型 %d は正しくありません", {(long long)FData[FPos]}));
    }
}

void TReader::DefineProperty(const String& Name, const TReaderProc& ReadData, const TWriterProc&, bool) {
    if (FDefined) FDefined->push_back({Name, ReadData, nullptr, false});
}

void TReader::DefineBinaryProperty(const String& Name, const TStreamProc& ReadData, const TStreamProc&, bool) {
    if (FDefined) FDefined->push_back({Name, nullptr, ReadData, true});
}

TComponent* TReader::ReadRootComponent(TComponent* Root) {
    FRoot = Root;
    auto readHeader = [this]() {
        if (FSize < sizeof kStreamSignature || std::memcmp(FData, kStreamSignature, sizeof kStreamSignature) != 0)
            Error(L"コンポーネントのストリームではありません");
        FPos = sizeof kStreamSignature;
        String className = ReadName();
        String name = ReadName();
        if (className.empty()) Error(L"クラス名が空です");
        return std::pair(className, name);
    };
    auto cleanUp = [this]() {
        for (TComponent* c : FLoaded)
            c->FComponentState.Exclude(TComponentStateItem::csLoading).Exclude(TComponentStateItem::csReading);
        for (auto it = FCreated.rbegin(); it != FCreated.rend(); ++it) delete *it;
        FCreated.clear();
        if (FNewRoot) delete FNewRoot;
        FNewRoot = nullptr;
        FRoot = nullptr;
    };

    // Checking: nothing is changed; components the stream needs are made, unowned, for the
    // apply pass.
    try {
        auto [className, name] = readHeader();
        if (!Root) {
            const TComponentClass* cls = FindComponentClass(className);
            if (!cls) Error(Format(L"クラス %s は登録されていません", {className}));
            FRoot = FNewRoot = cls->Create(nullptr);
        } else if (!InheritsFromName(Root, className)) {
            Error(Format(L"%s のストリームは %s に読み込めません", {className, Root->ClassName()}));
        }
        FApply = false;
        ReadObject(FRoot, nullptr);
    } catch (...) {
        cleanUp();
        throw;
    }

    // Applying.
    try {
        auto [className, name] = readHeader();
        if (FRoot->Name().empty() && !name.empty()) FRoot->SetName(name);
        FApply = true;
        FNextCreated = 0;
        FNextDefinedEnd = 0;
        ReadObject(FRoot, nullptr);
        for (const TFixup& f : FFixups) {
            TComponent* target = SameText(f.Name, FRoot->Name()) ? FRoot : FRoot->FindComponent(f.Name);
            if (target) f.Prop->SetObj(f.Instance, target);  // others are outside this stream's reach
        }
    } catch (const EReadError&) {
        cleanUp();
        throw;
    } catch (const Exception& e) {
        cleanUp();
        throw EReadError(e.Message());
    } catch (...) {
        cleanUp();
        throw;
    }
    FStream.SetPosition(FBase + std::int64_t(FPos));
    TComponent* result = FRoot;
    FCreated.clear();
    FNewRoot = nullptr;
    for (TComponent* c : FLoaded) c->FComponentState.Exclude(TComponentStateItem::csReading);
    std::vector<TComponent*> loaded;
    loaded.swap(FLoaded);
    for (TComponent* c : loaded) c->SetLoading(false);
    return result;
}

void TReader::ReadObject(TComponent* c, TComponent* parent) {
    Enter();
    if (FApply) {
        c->FComponentState.Include(TComponentStateItem::csLoading).Include(TComponentStateItem::csReading);
        FLoaded.push_back(c);
    }
    ReadProperties(c);
    while (NextValue() != TValueType::vaNull) {
        String className = ReadName();
        String name = ReadName();
        if (className.empty()) Error(L"クラス名が空です");
        TComponent* child = ResolveChild(className, name, c);
        ReadObject(child, c);
    }
    ++FPos;
    Leave();
}

TComponent* TReader::ResolveChild(const String& className, const String& name, TComponent* parent) {
    TComponent* existing = name.empty() ? nullptr : FRoot->FindComponent(name);
    if (FApply) {
        if (existing) return existing;
        TComponent* c = FCreated[FNextCreated++];
        FRoot->InsertComponent(c);
        c->SetName(name);
        c->SetParentComponent(parent);
        return c;
    }
    if (!name.empty()) {
        for (const String& seen : FNames)
            if (SameText(seen, name)) Error(Format(L"コンポーネント名 %s が重複しています", {name}));
        FNames.push_back(name);
    }
    if (existing) {
        if (!InheritsFromName(existing, className))
            Error(Format(L"%s は %s ではありません", {name, className}));
        return existing;
    }
    const TComponentClass* cls = FindComponentClass(className);
    if (!cls) Error(Format(L"クラス %s は登録されていません", {className}));
    TComponent* c = cls->Create(nullptr);
    FCreated.push_back(c);
    return c;
}

void TReader::ReadProperties(TPersistent* obj) {
    Enter();
    while (NextValue() != TValueType::vaNull) {
        String name = ReadName();
        if (name.empty()) Error(L"プロパティ名が空です");
        ReadProperty(obj, name);
    }
    ++FPos;
    Leave();
}

void TReader::ReadProperty(TPersistent* obj, const String& name) {
    // A dotted name walks through persistent sub-objects ("Font.Name").
    TPersistent* target = obj;
    std::size_t start = 0;
    for (std::size_t dot; (dot = name.find(L'.', start)) != String::npos; start = dot + 1) {
        const TPropInfo* p = GetPropInfo(target, name.substr(start, dot - start));
        TPersistent* sub = nullptr;
        if (p && p->Kind == TTypeKind::tkClass && !p->IsComponentRef())
            sub = dynamic_cast<TPersistent*>(p->GetObj(target));
        if (!sub || dynamic_cast<TCollection*>(sub))
            Error(Format(L"%s にプロパティ %s はありません", {obj->ClassName(), name}));
        target = sub;
    }
    String last = name.substr(start);
    if (const TPropInfo* p = GetPropInfo(target, last)) return ReadPublished(target, *p, name);

    std::vector<TDefined> defined;
    FDefined = &defined;
    target->DefineProperties(*this);
    FDefined = nullptr;
    for (const TDefined& d : defined) {
        if (!SameText(d.Name, last)) continue;
        if (!FApply) {
            std::size_t begin = FPos;
            SkipValue();
            if (d.Binary && FData[begin] != std::uint8_t(TValueType::vaBinary))
                Error(Format(L"プロパティ %s の値がバイナリではありません", {name}));
            FDefinedEnds.push_back(FPos);
            return;
        }
        std::size_t end = FDefinedEnds[FNextDefinedEnd++];
        try {
            if (d.Binary) {
                ++FPos;
                std::uint32_t n;
                std::memcpy(&n, Take(4), 4);
                TMemoryStream data;
                data.WriteBuffer(Take(n), n);
                data.SetPosition(0);
                if (d.ReadBinary) d.ReadBinary(data);
            } else if (d.Read) {
                d.Read(*this);
            } else {
                SkipValue();
            }
        } catch (const EReadError&) {
            throw;
        } catch (const Exception& e) {
            Error(Format(L"プロパティ %s を読み込めません: %s", {name, e.Message()}));
        }
        if (FPos != end) Error(Format(L"プロパティ %s の読み取りが値と合いません", {name}));
        return;
    }
    Error(Format(L"%s にプロパティ %s はありません", {target->ClassName(), name}));
}

void TReader::ReadPublished(TPersistent* obj, const TPropInfo& p, const String& name) {
    auto typeError = [&]() { Error(Format(L"プロパティ %s の値の型が違います", {name})); };
    auto readOnly = [&]() { Error(Format(L"プロパティ %s は読み取り専用です", {name})); };
    auto apply = [&](auto&& set) {
        if (!FApply) return;
        try {
            set();
        } catch (const EReadError&) {
            throw;
        } catch (const Exception& e) {
            Error(Format(L"プロパティ %s を設定できません: %s", {name, e.Message()}));
        }
    };
    TValueType t = NextValue();
    switch (p.Kind) {
    case TTypeKind::tkString: {
        if (t != TValueType::vaString) typeError();
        if (!p.SetStr) readOnly();
        String v = ReadString();
        apply([&] { p.SetStr(obj, v); });
        return;
    }
    case TTypeKind::tkClass: {
        if (p.IsComponentRef()) {
            if (!p.SetObj) readOnly();
            if (t == TValueType::vaNil) {
                ++FPos;
                apply([&] { p.SetObj(obj, nullptr); });
            } else if (t == TValueType::vaIdent) {
                String ref = ReadIdent();
                if (FApply) FFixups.push_back({obj, &p, ref});
            } else {
                typeError();
            }
            return;
        }
        auto* coll = dynamic_cast<TCollection*>(p.GetObj(obj));
        if (!coll || t != TValueType::vaCollection) typeError();
        ReadCollectionValue(coll);
        return;
    }
    default: break;
    }
    long long v = 0;
    switch (p.Kind) {
    case TTypeKind::tkBoolean:
        if (t != TValueType::vaTrue && t != TValueType::vaFalse) typeError();
        v = ReadBoolean();
        break;
    case TTypeKind::tkEnumeration: {
        if (t != TValueType::vaIdent) typeError();
        String ident = ReadIdent();
        v = p.Enum->IndexOf(ident);
        if (v < 0) Error(Format(L"%s は %s の値ではありません", {ident, p.Enum->TypeName()}));
        break;
    }
    case TTypeKind::tkSet:
        if (t != TValueType::vaSet) typeError();
        ++FPos;
        for (String item; !(item = ReadName()).empty();) {
            int bit = p.Enum->IndexOf(item);
            if (bit < 0) Error(Format(L"%s は %s の値ではありません", {item, p.Enum->TypeName()}));
            v |= 1LL << bit;
        }
        break;
    default:
        if (t < TValueType::vaInt8 || t > TValueType::vaInt64) typeError();
        v = ReadInt64();
        if (v < p.MinValue || v > p.MaxValue)
            Error(Format(L"プロパティ %s の値 %s は範囲外です", {name, IntToStr(v)}));
    }
    if (!p.SetOrd) readOnly();
    apply([&] { p.SetOrd(obj, v); });
}

void TReader::ReadCollectionValue(TCollection* coll) {
    Expect(TValueType::vaCollection, L"コレクション");
    Enter();
    if (!FApply) {
        // Items are checked against one of their class that belongs to no collection.
        std::unique_ptr<TCollectionItem> sample(coll->ItemClass().Create(nullptr));
        while (NextValue() != TValueType::vaNull) {
            Expect(TValueType::vaList, L"項目");
            ReadProperties(sample.get());
        }
    } else {
        coll->BeginUpdate();
        try {
            coll->Clear();
            while (NextValue() != TValueType::vaNull) {
                Expect(TValueType::vaList, L"項目");
                ReadProperties(coll->Add());
            }
        } catch (...) {
            coll->EndUpdate();
            throw;
        }
        coll->EndUpdate();
    }
    ++FPos;
    Leave();
}

void TReader::ReadCollection(TCollection* Value) {
    if (!FApply) return SkipValue();
    ReadCollectionValue(Value);
}

TComponent* ReadComponentStream(TStream& Stream, TComponent* Instance) {
    TReader reader(Stream);
    return reader.ReadRootComponent(Instance);
}
