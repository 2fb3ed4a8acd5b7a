// The plain label and push button.
#pragma once
#include "Controls.h"

enum class TAlignment { taLeftJustify, taRightJustify, taCenter };

// A line of text painted on its parent.
class TLabel : public TGraphicControl {
    SS_CLASS(TLabel, TGraphicControl)
public:
    explicit TLabel(TComponent* AOwner);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment v) { FAlignment = v; Invalidate(); }
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool v) { FTransparent = v; Invalidate(); }
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool v) { FWordWrap = v; Invalidate(); }

protected:
    void Paint(HDC dc) override;

private:
    TAlignment FAlignment = TAlignment::taLeftJustify;
    bool FTransparent = false;
    bool FWordWrap = false;
};

// A push button; a click calls OnClick.
class TButton : public TWinControl {
    SS_CLASS(TButton, TWinControl)
public:
    explicit TButton(TComponent* AOwner);
    bool Default() const { return FDefault; }
    void SetDefault(bool v);

protected:
    void CreateParams(TCreateParams& params) override;
    void CommandNotify(WORD code) override;

private:
    bool FDefault = false;
};
