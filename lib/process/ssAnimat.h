// The library's animation control: the common clips come from the program's own resources or
// the maker's resource library before the shell's own set.
#pragma once
#include "ComCtrls.h"

// An animation control that finds the common clips (CommonAVI) in the program's resources or
// the maker's resource library first.
class TssAnimate : public TAnimate {
    SS_CLASS(TssAnimate, TAnimate)
public:
    using TAnimate::TAnimate;

    // The common clip asked for; the framework's CommonAVI tells whether the shell's clip plays.
    TCommonAVI CommonAVI() const { return FCommonAVI; }
    // From Windows Vista on, the clip numbered as the common clip is played from the program's
    // own "AVI" resources, else from the resource library KVR3SS1.DLL, else the shell's clip is
    // shown. Before Vista the shell's clip is always shown. aviNone closes the clip.
    void SetCommonAVI(TCommonAVI Value) override;
    // Switch to a resource of a module in one step: the module and the number or name are set
    // while the control is loading, so nothing in between is opened; then the clip shows its
    // first frame when a module or a number or name is given.
    void SetResHandleId(HMODULE Module, int Id);
    void SetResHandleName(HMODULE Module, const String& Name);

private:
    TCommonAVI FCommonAVI = TCommonAVI::aviNone;
};
