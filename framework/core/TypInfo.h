// Published properties: a class declares them once, by name, with their getter, setter, default
// and stored test; code lists them, reads and writes them by name, and the component streams
// write and read them.
//
// Declaring: put SS_PUBLISHED(TFoo) in the class body after SS_CLASS, and in the unit
//     SS_PUBLISH(TFoo) {
//         p.Property(L"Count", &TFoo::Count, &TFoo::SetCount).Default(5);
//         p.Property(L"Font", &TFoo::Font);   // a persistent object, read and written in place
//     }
// A class inherits its parent's properties; declaring a name again replaces the inherited entry
// (to change its default, for example). The property's kind follows the getter's type: bool,
// an integer type, an enumeration declared with SS_ENUM, a TSet of one, String, or a pointer to
// a persistent class (a sub-object, a collection, or a reference to a component).
#pragma once
#include <cstdint>
#include <functional>
#include <limits>
#include <type_traits>
#include <vector>

#include "Sets.h"
#include "SysUtils.h"

SS_EXCEPTION(EPropertyError, Exception)
SS_EXCEPTION(EPropertyConvertError, Exception)

// The names of an enumeration's values, in ordinal order.
class TEnumInfo {
public:
    // list: the enumerators as written in the declaration, separated by commas.
    TEnumInfo(const wchar_t* typeName, const wchar_t* list);
    const String& TypeName() const { return FTypeName; }
    int Count() const { return int(FNames.size()); }
    const String& Name(int ordinal) const { return FNames[std::size_t(ordinal)]; }
    // The ordinal of name (compared without regard to ASCII case), or -1.
    int IndexOf(const String& name) const;

private:
    String FTypeName;
    std::vector<String> FNames;
};

// Declares enum class Type with the given enumerators (numbered from 0) and its names, so that
// it can be published and streamed by name.
#define SS_ENUM(Type, ...)                                                  \
    enum class Type { __VA_ARGS__ };                                        \
    inline const TEnumInfo& EnumInfo(Type) {                                \
        static const TEnumInfo info(L"" #Type, L"" #__VA_ARGS__);           \
        return info;                                                        \
    }

enum class TTypeKind { tkInteger, tkBoolean, tkEnumeration, tkSet, tkString, tkClass };

class TPersistent;
class TCollection;

// One published property. Ordinal kinds (integer, Boolean, enumeration, set as its bit mask)
// pass their value as a 64-bit integer, checked against the range of the C++ type.
class TPropInfo {
public:
    String Name;
    TTypeKind Kind = TTypeKind::tkInteger;
    const TEnumInfo* Enum = nullptr;       // enumeration, or a set's elements
    long long MinValue = 0, MaxValue = 0;  // ordinal kinds
    const TClassInfo* ClassType = nullptr;  // tkClass: the declared class
    bool HasDefault = false;
    long long DefaultValue = 0;            // ordinal kinds with HasDefault

    std::function<long long(const TObject*)> GetOrd;
    std::function<void(TObject*, long long)> SetOrd;
    std::function<String(const TObject*)> GetStr;
    std::function<void(TObject*, const String&)> SetStr;
    std::function<TObject*(const TObject*)> GetObj;
    std::function<void(TObject*, TObject*)> SetObj;
    std::function<bool(const TObject*)> StoredTest;  // empty: see Stored
    bool Stored = true;

    bool Writable() const { return SetOrd || SetStr || SetObj; }
    // Whether the property goes to a stream at all for obj (its stored test).
    bool IsStored(const TObject* obj) const { return StoredTest ? StoredTest(obj) : Stored; }
    // Class properties: what the declared class is.
    bool IsComponentRef() const;
    bool IsCollection() const;
    // Raises EPropertyConvertError when value lies outside the property's range.
    void CheckOrd(long long value) const;
};

template <class T>
class TPublisher;

// The published properties of one class, its inherited ones first.
class TPropList {
public:
    template <class T>
    TPropList(const TPropList* inherited, void (*publish)(TPublisher<T>&)) {
        if (inherited) FProps = inherited->FProps;
        TPublisher<T> p(*this);
        publish(p);
    }
    int Count() const { return int(FProps.size()); }
    const TPropInfo& operator[](int i) const { return FProps[std::size_t(i)]; }
    // The property of that name (without regard to ASCII case), or nullptr.
    const TPropInfo* Find(const String& name) const;

private:
    template <class T>
    friend class TPublisher;
    TPropInfo& Declare(const String& name);
    std::vector<TPropInfo> FProps;
};

// Declares the published properties of Self; the unit defines them with SS_PUBLISH(Self).
#define SS_PUBLISHED(Self)                                                        \
public:                                                                           \
    static void Publish(TPublisher<Self>& p);                                     \
    static const TPropList* StaticPropList();                                     \
    const TPropList* PropList() const override { return StaticPropList(); }       \
                                                                                  \
private:

#define SS_PUBLISH(Self)                                                          \
    const TPropList* Self::StaticPropList() {                                     \
        static const TPropList list(Self::Inherited::StaticPropList(), &Self::Publish); \
        return &list;                                                             \
    }                                                                             \
    void Self::Publish(TPublisher<Self>& p)

namespace TypInfoDetail {
template <class V>
struct IsSet : std::false_type {};
template <class E>
struct IsSet<TSet<E>> : std::true_type {
    using Element = E;
};
template <class M>
struct MemberValue;
template <class C, class R>
struct MemberValue<R (C::*)() const> {
    using Type = std::remove_cvref_t<R>;
};
template <class C, class A>
struct MemberValue<void (C::*)(A)> {
    using Type = std::remove_cvref_t<A>;
};
template <class V>
constexpr bool IsPersistentPtr =
    std::is_pointer_v<V> && std::is_base_of_v<TPersistent, std::remove_cv_t<std::remove_pointer_t<V>>>;
}  // namespace TypInfoDetail

// Builds a class's property list; SS_PUBLISH hands one to the class's Publish.
template <class T>
class TPublisher {
public:
    // What Property answers: the entry just declared, to give it a default or a stored test.
    class TDecl {
    public:
        explicit TDecl(TPropInfo& info) : FInfo(info) {}
        template <class V>
        TDecl& Default(V value) {
            FInfo.HasDefault = true;
            FInfo.DefaultValue = ToOrd(value);
            return *this;
        }
        TDecl& Stored(bool stored) {
            FInfo.Stored = stored;
            return *this;
        }
        TDecl& Stored(bool (T::*test)() const) {
            FInfo.StoredTest = [test](const TObject* o) { return (static_cast<const T*>(o)->*test)(); };
            return *this;
        }

    private:
        TPropInfo& FInfo;
    };

    explicit TPublisher(TPropList& list) : FList(list) {}

    // A property read by getter and written by setter (a member taking the value or a const
    // reference to it). Without a setter the property is read-only: listed and readable, and
    // streamed only when it is a persistent object, which is read in place.
    template <class R, class A>
    TDecl Property(const wchar_t* name, R (T::*getter)() const, void (T::*setter)(A)) {
        using V = std::remove_cvref_t<R>;
        static_assert(std::is_same_v<V, std::remove_cvref_t<A>> || TypInfoDetail::IsPersistentPtr<V>,
                      "a property's getter and setter take the same type");
        TPropInfo& info = Describe<V>(name, getter);
        Bind<V, std::remove_cvref_t<A>>(info, setter);
        return TDecl(info);
    }
    template <class R>
    TDecl Property(const wchar_t* name, R (T::*getter)() const) {
        return TDecl(Describe<std::remove_cvref_t<R>>(name, getter));
    }

    template <class V>
    static long long ToOrd(V value) {
        if constexpr (TypInfoDetail::IsSet<V>::value) return (long long)value.Mask();
        else if constexpr (std::is_enum_v<V>) return (long long)value;
        else return (long long)value;
    }

private:
    template <class V>
    static V FromOrd(long long value) {
        if constexpr (TypInfoDetail::IsSet<V>::value) return V::FromMask(std::uint32_t(value));
        else return static_cast<V>(value);
    }

    template <class V, class R>
    TPropInfo& Describe(const wchar_t* name, R (T::*getter)() const) {
        TPropInfo& info = FList.Declare(name);
        if constexpr (std::is_same_v<V, String>) {
            info.Kind = TTypeKind::tkString;
            info.GetStr = [getter](const TObject* o) { return String((static_cast<const T*>(o)->*getter)()); };
        } else if constexpr (TypInfoDetail::IsPersistentPtr<V>) {
            using C = std::remove_cv_t<std::remove_pointer_t<V>>;
            info.Kind = TTypeKind::tkClass;
            info.ClassType = &C::StaticClassInfo();
            info.GetObj = [getter](const TObject* o) -> TObject* {
                return const_cast<C*>((static_cast<const T*>(o)->*getter)());
            };
        } else {
            if constexpr (std::is_same_v<V, bool>) {
                info.Kind = TTypeKind::tkBoolean;
                info.MinValue = 0;
                info.MaxValue = 1;
            } else if constexpr (TypInfoDetail::IsSet<V>::value) {
                info.Kind = TTypeKind::tkSet;
                info.Enum = &EnumInfo(typename TypInfoDetail::IsSet<V>::Element{});
                info.MinValue = 0;
                info.MaxValue = (1LL << info.Enum->Count()) - 1;
            } else if constexpr (std::is_enum_v<V>) {
                info.Kind = TTypeKind::tkEnumeration;
                info.Enum = &EnumInfo(V{});
                info.MinValue = 0;
                info.MaxValue = info.Enum->Count() - 1;
            } else {
                static_assert(std::is_integral_v<V> && sizeof(V) <= 4, "a published property's type");
                info.Kind = TTypeKind::tkInteger;
                info.MinValue = std::numeric_limits<V>::min();
                info.MaxValue = std::numeric_limits<V>::max();
            }
            info.GetOrd = [getter](const TObject* o) { return ToOrd<V>((static_cast<const T*>(o)->*getter)()); };
        }
        return info;
    }

    template <class V, class A, class S>
    void Bind(TPropInfo& info, S setter) {
        if constexpr (std::is_same_v<V, String>)
            info.SetStr = [setter](TObject* o, const String& v) { (static_cast<T*>(o)->*setter)(v); };
        else if constexpr (TypInfoDetail::IsPersistentPtr<V>)
            info.SetObj = [setter](TObject* o, TObject* v) {
                using C = std::remove_cv_t<std::remove_pointer_t<A>>;
                (static_cast<T*>(o)->*setter)(v ? &dynamic_cast<C&>(*v) : nullptr);
            };
        else
            info.SetOrd = [setter](TObject* o, long long v) { (static_cast<T*>(o)->*setter)(FromOrd<V>(v)); };
    }

    TPropList& FList;
};

// Access by name. A dotted name ("FetchOptions.Mode") reaches a property of the object another
// property holds. A name that obj does not publish raises EPropertyError; a value of the wrong
// kind or outside the property's range raises EPropertyConvertError.
const TPropInfo* GetPropInfo(const TObject* obj, const String& name);  // one level; nullptr when absent
bool IsPublishedProp(const TObject* obj, const String& name);
std::vector<const TPropInfo*> GetPropList(const TObject* obj);
long long GetOrdProp(const TObject* obj, const String& name);
void SetOrdProp(TObject* obj, const String& name, long long value);
String GetStrProp(const TObject* obj, const String& name);
void SetStrProp(TObject* obj, const String& name, const String& value);
TObject* GetObjectProp(const TObject* obj, const String& name);
void SetObjectProp(TObject* obj, const String& name, TObject* value);
// The value as text: integers in decimal, Booleans "True"/"False", enumerations by name, sets
// as "[a,b]", strings as they are. Setting parses the same forms.
String GetPropValue(const TObject* obj, const String& name);
void SetPropValue(TObject* obj, const String& name, const String& value);
