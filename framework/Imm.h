// The input method of a window.
#pragma once
#include "Controls.h"

// Puts the window's input method into Mode: imDontCare leaves it, imDisable detaches the input
// context, every other mode attaches the default context again first, then closes it (imClose),
// opens it (imOpen) or opens it in a conversion mode.
void SetImeMode(HWND Wnd, TImeMode Mode);
