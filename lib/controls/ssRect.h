// A rectangle that refreshes the control it belongs to when one of its edges changes.
#pragma once
#include "Controls.h"

// A rectangle (Left, Top, Right, Bottom) belonging to a control, which repaints when an edge
// changes.
class TssRect : public TPersistent {
    SS_CLASS(TssRect, TPersistent)
public:
    explicit TssRect(TControl* AOwner);
    TssRect(int ALeft, int ATop, int ARight, int ABottom);
    explicit TssRect(const RECT& ARect);

    int Top() const { return Frect.top; }
    int Left() const { return Frect.left; }
    int Bottom() const { return Frect.bottom; }
    int Right() const { return Frect.right; }
    void SetTop(int Value);
    void SetLeft(int Value);
    void SetBottom(int Value);
    void SetRight(int Value);
    int Width() const { return Frect.right - Frect.left; }
    int Height() const { return Frect.bottom - Frect.top; }
    void SetWidth(int Value) { SetRight(Frect.left + Value); }
    void SetHeight(int Value) { SetBottom(Frect.top + Value); }
    // Refreshes the owner on an edge change; off at creation.
    bool doRefresh() const { return FdoRefresh; }
    void SetdoRefresh(bool Value) { FdoRefresh = Value; }

    // The edges through their setters: top, left, bottom, right.
    void SetSize(int ALeft, int ATop, int ARight, int ABottom);
    void SetSize(const RECT& ARect) { SetSize(ARect.left, ARect.top, ARect.right, ARect.bottom); }
    // Another TssRect's rectangle through SetSize; other sources are ignored.
    void Assign(const TPersistent* Source) override;

    // These change the rectangle without a refresh.
    const RECT& Rect() const { return Frect; }
    void SetRect(const RECT& Value) { Frect = Value; }
    void Grow(int AWidth, int AHeight);
    void Shift(int ARight, int ADown);
    void Move(int NewLeft, int NewTop) { Shift(NewLeft - Frect.left, NewTop - Frect.top); }

private:
    void EdgeChanged();
    TControl* FOwner = nullptr;
    RECT Frect{};
    bool FdoRefresh = false;
};
