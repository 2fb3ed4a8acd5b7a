#include "StdCtrls.h"

TLabel::TLabel(TComponent* AOwner) : TGraphicControl(AOwner) {
    FWidth = 65;
    FHeight = 17;
}

void TLabel::Paint(HDC dc) {
    RECT r{0, 0, FWidth, FHeight};
    if (!FTransparent) {
        HBRUSH b = CreateSolidBrush(ColorToRGB(FColor));
        FillRect(dc, &r, b);
        DeleteObject(b);
    }
    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ old = SelectObject(dc, FFont->Handle());
    UINT flags = DT_EXPANDTABS | (FWordWrap ? DT_WORDBREAK : 0);
    if (FAlignment == TAlignment::taRightJustify) flags |= DT_RIGHT;
    if (FAlignment == TAlignment::taCenter) flags |= DT_CENTER;
    if (FEnabled) {
        SetTextColor(dc, ColorToRGB(FFont->Color()));
        DrawTextW(dc, FCaption.c_str(), int(FCaption.size()), &r, flags);
    } else {
        // Disabled text: a highlight copy one pixel down-right under a shadow copy.
        OffsetRect(&r, 1, 1);
        SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
        DrawTextW(dc, FCaption.c_str(), int(FCaption.size()), &r, flags);
        OffsetRect(&r, -1, -1);
        SetTextColor(dc, GetSysColor(COLOR_BTNSHADOW));
        DrawTextW(dc, FCaption.c_str(), int(FCaption.size()), &r, flags);
    }
    SelectObject(dc, old);
}

TButton::TButton(TComponent* AOwner) : TWinControl(AOwner) {
    FWidth = 75;
    FHeight = 25;
    FTabStop = true;
}

void TButton::CreateParams(TCreateParams& p) {
    TWinControl::CreateParams(p);
    p.SysClass = L"BUTTON";
    p.Style |= FDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void TButton::SetDefault(bool v) {
    FDefault = v;
    if (HandleAllocated()) SendMessageW(FHandle, BM_SETSTYLE, v ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void TButton::CommandNotify(WORD code) {
    if (code == BN_CLICKED) Click();
}
