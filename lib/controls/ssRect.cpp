#include "ssRect.h"

TssRect::TssRect(TControl* AOwner) : FOwner(AOwner) {}

TssRect::TssRect(int ALeft, int ATop, int ARight, int ABottom) : Frect{ALeft, ATop, ARight, ABottom} {}

TssRect::TssRect(const RECT& ARect) : Frect(ARect) {}

void TssRect::EdgeChanged() {
    if (FOwner && FdoRefresh && !FOwner->ComponentState().Contains(TComponentStateItem::csLoading)) {
        FOwner->Invalidate();
        FOwner->Update();
    }
}

void TssRect::SetTop(int Value) {
    Frect.top = Value;
    EdgeChanged();
}

void TssRect::SetLeft(int Value) {
    Frect.left = Value;
    EdgeChanged();
}

void TssRect::SetBottom(int Value) {
    Frect.bottom = Value;
    EdgeChanged();
}

void TssRect::SetRight(int Value) {
    Frect.right = Value;
    EdgeChanged();
}

void TssRect::SetSize(int ALeft, int ATop, int ARight, int ABottom) {
    SetTop(ATop);
    SetLeft(ALeft);
    SetBottom(ABottom);
    SetRight(ARight);
}

void TssRect::Assign(const TPersistent* Source) {
    if (auto* r = dynamic_cast<const TssRect*>(Source)) SetSize(r->Frect);
}

void TssRect::Grow(int AWidth, int AHeight) {
    Frect.right += AWidth;
    Frect.bottom += AHeight;
}

void TssRect::Shift(int ARight, int ADown) {
    Frect.left += ARight;
    Frect.right += ARight;
    Frect.top += ADown;
    Frect.bottom += ADown;
}
