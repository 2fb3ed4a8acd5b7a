#include "ssPanel.h"

void TssPanel::SetShowAccelChar(bool v) {
    if (v == FShowAccelChar) return;
    FShowAccelChar = v;
    Invalidate();
}

void TssPanel::Paint() {
    DrawCaption(PaintFrame(), FShowAccelChar ? 0 : DT_NOPREFIX);
    if (OnPaint) OnPaint(this);
}
