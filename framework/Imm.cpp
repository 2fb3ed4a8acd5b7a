#include "Imm.h"

#include <imm.h>

namespace {
// The conversion mode an opened input method takes, or none for a mode that only opens it.
bool ConversionOf(TImeMode mode, DWORD& conversion) {
    switch (mode) {
        case TImeMode::imHira: conversion = IME_CMODE_NATIVE | IME_CMODE_FULLSHAPE; return true;
        case TImeMode::imSAlpha: conversion = IME_CMODE_ALPHANUMERIC; return true;
        case TImeMode::imAlpha: conversion = IME_CMODE_ALPHANUMERIC | IME_CMODE_FULLSHAPE; return true;
        case TImeMode::imSKata: conversion = IME_CMODE_NATIVE | IME_CMODE_KATAKANA; return true;
        case TImeMode::imKata: conversion = IME_CMODE_NATIVE | IME_CMODE_KATAKANA | IME_CMODE_FULLSHAPE; return true;
        case TImeMode::imChinese:
        case TImeMode::imSHanguel: conversion = IME_CMODE_NATIVE; return true;
        case TImeMode::imHanguel: conversion = IME_CMODE_NATIVE | IME_CMODE_FULLSHAPE; return true;
        default: return false;
    }
}
}  // namespace

void SetImeMode(HWND Wnd, TImeMode Mode) {
    if (Mode == TImeMode::imDontCare) return;
    if (Mode == TImeMode::imDisable) {
        ImmAssociateContext(Wnd, nullptr);
        return;
    }
    // A window disabled before has no context to open.
    ImmAssociateContextEx(Wnd, nullptr, IACE_DEFAULT);
    HIMC imc = ImmGetContext(Wnd);
    if (!imc) return;
    if (Mode == TImeMode::imClose) {
        ImmSetOpenStatus(imc, FALSE);
    } else {
        ImmSetOpenStatus(imc, TRUE);
        DWORD conversion, sentence;
        if (DWORD wanted; ConversionOf(Mode, wanted) && ImmGetConversionStatus(imc, &conversion, &sentence))
            ImmSetConversionStatus(imc, wanted, sentence);
    }
    ImmReleaseContext(Wnd, imc);
}
