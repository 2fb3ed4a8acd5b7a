#include "Mask.h"

void TCustomMaskEdit::SetEditMask(const String& Value) { FEditMask = Value; }
