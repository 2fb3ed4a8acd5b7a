// A single-line edit whose text is shaped by an edit mask. An empty mask makes it a plain edit.
#pragma once
#include "StdCtrls.h"

class TCustomMaskEdit : public TCustomEdit {
    SS_CLASS(TCustomMaskEdit, TCustomEdit)
public:
    using TCustomEdit::TCustomEdit;

    const String& EditMask() const { return FEditMask; }
    void SetEditMask(const String& Value);
    bool IsMasked() const { return !FEditMask.empty(); }

private:
    String FEditMask;
};
