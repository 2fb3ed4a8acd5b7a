#include "ssAnimat.h"

#include "ssLoadLib.h"
#include "ssOSVer.h"

namespace {

// The maker's resource library with the clips, loaded on first need and kept for the rest of
// the run (a missing library is not looked for again).
HMODULE ClipLibrary() {
    static const struct Library {
        HMODULE Handle = LoadSharedLibrary(L"KVR3SS1.DLL");
        ~Library() {
            if (Handle) FreeLibrary(Handle);
        }
    } library;
    return library.Handle;
}

bool HasClip(HMODULE module, int id) {
    return module && FindResourceW(module, (L"#" + IntToStr(id)).c_str(), L"AVI");
}

// Marks a component as loading for a scope and then restores the state it had.
class LoadingScope {
public:
    explicit LoadingScope(TComponent& c)
        : FComponent(c), FWasLoading(c.ComponentState().Contains(TComponentStateItem::csLoading)) {
        c.SetLoading(true);
    }
    ~LoadingScope() { FComponent.SetLoading(FWasLoading); }

private:
    TComponent& FComponent;
    bool FWasLoading;
};

}  // namespace

void TssAnimate::SetCommonAVI(TCommonAVI Value) {
    FCommonAVI = Value;
    if (!TssOSVer().isAboveWinVista()) {
        TAnimate::SetCommonAVI(Value);
        return;
    }
    try {
        if (Value == TCommonAVI::aviNone) {
            SetResHandleId(nullptr, 0);
            return;
        }
        int id = CommonAVIResId(Value);
        HMODULE module = GetModuleHandleW(nullptr);
        if (!HasClip(module, id)) module = ClipLibrary();
        if (HasClip(module, id)) {
            SetResHandleId(module, id);
            return;
        }
    } catch (const Exception&) {
    }
    TAnimate::SetCommonAVI(Value);
}

void TssAnimate::SetResHandleId(HMODULE Module, int Id) {
    {
        LoadingScope loading(*this);
        SetResHandle(Module);
        SetResId(Id);
    }
    if (Module || Id) Reset();
}

void TssAnimate::SetResHandleName(HMODULE Module, const String& Name) {
    {
        LoadingScope loading(*this);
        SetResHandle(Module);
        SetResName(Name);
    }
    if (Module || !Name.empty()) Reset();
}
