#include "System.h"

#include <cwctype>

bool TObject::InheritsFrom(const TClassInfo& cls) const {
    for (const TClassInfo* c = &ClassInfo(); c; c = c->Parent)
        if (c == &cls) return true;
    return false;
}

static bool SameNameNoCase(const wchar_t* a, const String& b) {
    std::size_t i = 0;
    for (; a[i] && i < b.size(); ++i)
        if (std::towupper(a[i]) != std::towupper(b[i])) return false;
    return a[i] == 0 && i == b.size();
}

bool InheritsFromName(const TObject* obj, const String& name) {
    if (!obj) return false;
    for (const TClassInfo* c = &obj->ClassInfo(); c; c = c->Parent)
        if (SameNameNoCase(c->Name, name)) return true;
    return false;
}
