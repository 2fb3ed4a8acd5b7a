// A panel that can show its caption's ampersands literally and tells when it has painted.
#pragma once
#include "ExtCtrls.h"

// A panel that can draw the ampersands of its caption as they are (ShowAccelChar off) and
// raises OnPaint after it painted itself.
class TssPanel : public TPanel {
    SS_CLASS(TssPanel, TPanel)
    SS_PUBLISHED(TssPanel)
public:
    explicit TssPanel(TComponent* AOwner) : TPanel(AOwner) {}
    // True: "&" marks the next character as the accelerator. False: ampersands are drawn as they are.
    bool ShowAccelChar() const { return FShowAccelChar; }
    void SetShowAccelChar(bool v);
    // Raised at the end of every paint, so a handler can draw over the finished panel.
    TNotifyEvent OnPaint;

protected:
    void Paint() override;

private:
    bool FShowAccelChar = true;
};
