#include "TypInfo.h"

#include "Classes.h"

TEnumInfo::TEnumInfo(const wchar_t* typeName, const wchar_t* list) : FTypeName(typeName) {
    String all(list);
    std::size_t i = 0;
    while (i <= all.size()) {
        std::size_t end = all.find(L',', i);
        if (end == String::npos) end = all.size();
        String name = Trim(all.substr(i, end - i));
        if (!name.empty()) FNames.push_back(name);
        i = end + 1;
    }
}

int TEnumInfo::IndexOf(const String& name) const {
    for (std::size_t i = 0; i < FNames.size(); ++i)
        if (SameText(FNames[i], name)) return int(i);
    return -1;
}

bool TPropInfo::IsComponentRef() const {
    for (const TClassInfo* c = ClassType; c; c = c->Parent)
        if (c == &TComponent::StaticClassInfo()) return true;
    return false;
}

bool TPropInfo::IsCollection() const {
    for (const TClassInfo* c = ClassType; c; c = c->Parent)
        if (c == &TCollection::StaticClassInfo()) return true;
    return false;
}

void TPropInfo::CheckOrd(long long value) const {
    bool ok = value >= MinValue && value <= MaxValue;
    if (ok && Kind == TTypeKind::tkSet) ok = (value & ~MaxValue) == 0;
    if (!ok) throw EPropertyConvertError(Format(L"プロパティ %s の値 %s は範囲外です", {Name, IntToStr(value)}));
}

const TPropInfo* TPropList::Find(const String& name) const {
    for (const TPropInfo& p : FProps)
        if (SameText(p.Name, name)) return &p;
    return nullptr;
}

TPropInfo& TPropList::Declare(const String& name) {
    TPropInfo fresh;
    fresh.Name = name;
    for (TPropInfo& p : FProps)
        if (SameText(p.Name, name)) return p = std::move(fresh);
    FProps.push_back(std::move(fresh));
    return FProps.back();
}

namespace {
// The property a name leads to; a dotted name ("FetchOptions.Mode") walks through the objects
// the properties before each dot hold, and obj becomes the one holding the last.
const TPropInfo* Resolve(const TObject*& obj, const String& name) {
    std::size_t start = 0;
    for (std::size_t dot; (dot = name.find(L'.', start)) != String::npos; start = dot + 1) {
        const TPropList* list = obj ? obj->PropList() : nullptr;
        const TPropInfo* p = list ? list->Find(name.substr(start, dot - start)) : nullptr;
        if (!p || p->Kind != TTypeKind::tkClass) return nullptr;
        obj = p->GetObj(obj);
    }
    const TPropList* list = obj ? obj->PropList() : nullptr;
    return list ? list->Find(name.substr(start)) : nullptr;
}

template <class O>
const TPropInfo& Require(O*& obj, const String& name) {
    const TObject* holder = obj;
    const TPropInfo* p = Resolve(holder, name);
    if (!p)
        throw EPropertyError(Format(L"%s にプロパティ %s はありません", {obj ? obj->ClassName() : String(L"nil"), name}));
    obj = const_cast<O*>(static_cast<const O*>(holder));
    return *p;
}

[[noreturn]] void KindError(const TPropInfo& p) {
    throw EPropertyConvertError(Format(L"プロパティ %s の型が違います", {p.Name}));
}

[[noreturn]] void ReadOnlyError(const TPropInfo& p) {
    throw EPropertyError(Format(L"プロパティ %s は読み取り専用です", {p.Name}));
}

bool IsOrdinal(const TPropInfo& p) {
    return p.Kind != TTypeKind::tkString && p.Kind != TTypeKind::tkClass;
}

// An integer in decimal, with an optional sign, within 64 bits.
bool ParseInt64(const String& text, long long& value) {
    String t = Trim(text);
    std::size_t i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == L'-' || t[i] == L'+')) negative = t[i++] == L'-';
    if (i == t.size()) return false;
    unsigned long long v = 0;
    const unsigned long long limit = negative ? 9223372036854775808ULL : 9223372036854775807ULL;
    for (; i < t.size(); ++i) {
        if (t[i] < L'0' || t[i] > L'9') return false;
        unsigned digit = unsigned(t[i] - L'0');
        if (v > (limit - digit) / 10) return false;
        v = v * 10 + digit;
    }
    value = negative ? (long long)(0 - v) : (long long)v;
    return true;
}
}  // namespace

const TPropInfo* GetPropInfo(const TObject* obj, const String& name) {
    const TPropList* list = obj ? obj->PropList() : nullptr;
    return list ? list->Find(name) : nullptr;
}

bool IsPublishedProp(const TObject* obj, const String& name) { return Resolve(obj, name) != nullptr; }

std::vector<const TPropInfo*> GetPropList(const TObject* obj) {
    std::vector<const TPropInfo*> out;
    if (const TPropList* list = obj ? obj->PropList() : nullptr)
        for (int i = 0; i < list->Count(); ++i) out.push_back(&(*list)[i]);
    return out;
}

long long GetOrdProp(const TObject* obj, const String& name) {
    const TPropInfo& p = Require(obj, name);
    if (!IsOrdinal(p)) KindError(p);
    return p.GetOrd(obj);
}

void SetOrdProp(TObject* obj, const String& name, long long value) {
    const TPropInfo& p = Require(obj, name);
    if (!IsOrdinal(p)) KindError(p);
    if (!p.SetOrd) ReadOnlyError(p);
    p.CheckOrd(value);
    p.SetOrd(obj, value);
}

String GetStrProp(const TObject* obj, const String& name) {
    const TPropInfo& p = Require(obj, name);
    if (p.Kind != TTypeKind::tkString) KindError(p);
    return p.GetStr(obj);
}

void SetStrProp(TObject* obj, const String& name, const String& value) {
    const TPropInfo& p = Require(obj, name);
    if (p.Kind != TTypeKind::tkString) KindError(p);
    if (!p.SetStr) ReadOnlyError(p);
    p.SetStr(obj, value);
}

TObject* GetObjectProp(const TObject* obj, const String& name) {
    const TPropInfo& p = Require(obj, name);
    if (p.Kind != TTypeKind::tkClass) KindError(p);
    return p.GetObj(obj);
}

void SetObjectProp(TObject* obj, const String& name, TObject* value) {
    const TPropInfo& p = Require(obj, name);
    if (p.Kind != TTypeKind::tkClass) KindError(p);
    if (!p.SetObj) ReadOnlyError(p);
    p.SetObj(obj, value);
}

String GetPropValue(const TObject* obj, const String& name) {
    const TPropInfo& p = Require(obj, name);
    switch (p.Kind) {
    case TTypeKind::tkString: return p.GetStr(obj);
    case TTypeKind::tkBoolean: return p.GetOrd(obj) ? L"True" : L"False";
    case TTypeKind::tkEnumeration: {
        long long v = p.GetOrd(obj);
        return v >= 0 && v < p.Enum->Count() ? p.Enum->Name(int(v)) : IntToStr(v);
    }
    case TTypeKind::tkSet: {
        long long mask = p.GetOrd(obj);
        String s = L"[";
        for (int i = 0; i < p.Enum->Count(); ++i)
            if (mask & (1LL << i)) {
                if (s.size() > 1) s += L',';
                s += p.Enum->Name(i);
            }
        return s + L"]";
    }
    case TTypeKind::tkClass: {
        TObject* o = p.GetObj(obj);
        if (!o) return L"";
        auto* c = dynamic_cast<TComponent*>(o);
        return c ? c->Name() : o->ClassName();
    }
    default: return IntToStr(p.GetOrd(obj));
    }
}

void SetPropValue(TObject* obj, const String& name, const String& value) {
    const TPropInfo& p = Require(obj, name);
    if (p.Kind == TTypeKind::tkClass) KindError(p);
    if (!p.SetOrd && !p.SetStr) ReadOnlyError(p);
    if (p.Kind == TTypeKind::tkString) return p.SetStr(obj, value);
    auto bad = [&]() -> long long {
        throw EPropertyConvertError(Format(L"'%s' はプロパティ %s の値になりません", {value, p.Name}));
    };
    long long v = 0;
    String t = Trim(value);
    switch (p.Kind) {
    case TTypeKind::tkBoolean:
        v = SameText(t, L"True") ? 1 : SameText(t, L"False") ? 0 : bad();
        break;
    case TTypeKind::tkEnumeration:
        v = p.Enum->IndexOf(t);
        if (v < 0 && !ParseInt64(t, v)) bad();
        break;
    case TTypeKind::tkSet: {
        if (t.size() < 2 || t.front() != L'[' || t.back() != L']') bad();
        String inner = t.substr(1, t.size() - 2);
        std::size_t i = 0;
        while (i < inner.size()) {
            std::size_t end = inner.find(L',', i);
            if (end == String::npos) end = inner.size();
            String item = Trim(inner.substr(i, end - i));
            int bit = p.Enum->IndexOf(item);
            if (bit < 0) bad();
            v |= 1LL << bit;
            i = end + 1;
        }
        break;
    }
    default:
        if (!ParseInt64(t, v)) bad();
    }
    p.CheckOrd(v);
    p.SetOrd(obj, v);
}
