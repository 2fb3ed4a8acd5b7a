#include "ssPanel.h"

SS_PUBLISH(TssPanel) {
    p.Property(L"ShowAccelChar", &TssPanel::ShowAccelChar, &TssPanel::SetShowAccelChar).Default(true);
}

void TssPanel::SetShowAccelChar(bool v) {
    if (v == FShowAccelChar) return;
    FShowAccelChar = v;
    Invalidate();
}

void TssPanel::Paint() {
    DrawCaption(PaintFrame(), FShowAccelChar ? 0 : DT_NOPREFIX);
    if (OnPaint) OnPaint(this);
}
