// Where a library animation control's clip comes from, for the tests and their probe program.
#pragma once
#include <string>

#include "ssAnimat.h"

// "program N", "library N" (the resource library KVR3SS1.DLL) or "shell N" with the clip's
// number, or "closed".
inline std::string ClipSource(const TssAnimate& ani) {
    const TAnimate& base = ani;
    if (!ani.Open()) return "closed";
    if (base.CommonAVI() != TCommonAVI::aviNone) return "shell " + std::to_string(CommonAVIResId(base.CommonAVI()));
    HMODULE module = ani.ResHandle() ? ani.ResHandle() : GetModuleHandleW(nullptr);
    std::string from = module == GetModuleHandleW(nullptr)           ? "program"
                       : module == GetModuleHandleW(L"KVR3SS1.DLL") ? "library"
                                                                     : "other";
    return from + " " + std::to_string(ani.ResId());
}
