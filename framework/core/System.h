// Base types of the framework: the string types and the root object with runtime class names.
#pragma once
#include <string>

using String = std::wstring;     // UTF-16 text, as everywhere in memory
using AnsiString = std::string;  // 8-bit text in the system's ANSI code page
// A point in time: whole days since 1899-12-30 plus the elapsed fraction of the day.
using TDateTime = double;

// Runtime class identity: every class answers its own name and its parent's, so that a unit can
// test an object's class by name without depending on the unit that declares it.
struct TClassInfo {
    const wchar_t* Name;
    const TClassInfo* Parent;
};

// Declares the class identity of Self, derived from Base. Put it first in the class body.
#define SS_CLASS(Self, Base)                                                      \
public:                                                                           \
    using Inherited = Base;                                                       \
    static const TClassInfo& StaticClassInfo() {                                  \
        static const TClassInfo info{L"" #Self, &Base::StaticClassInfo()};        \
        return info;                                                              \
    }                                                                             \
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }    \
                                                                                  \
private:

class TPropList;

class TObject {
public:
    virtual ~TObject() = default;
    // The published properties (TypInfo.h); none unless a class declares SS_PUBLISHED.
    static const TPropList* StaticPropList() { return nullptr; }
    virtual const TPropList* PropList() const { return nullptr; }
    static const TClassInfo& StaticClassInfo() {
        static const TClassInfo info{L"TObject", nullptr};
        return info;
    }
    virtual const TClassInfo& ClassInfo() const { return StaticClassInfo(); }
    String ClassName() const { return ClassInfo().Name; }
    bool InheritsFrom(const TClassInfo& cls) const;
};

// True when obj's class or one of its ancestors is called name (compared without regard to
// case); false for no object.
bool InheritsFromName(const TObject* obj, const String& name);
