// The font zoom settings that zoom-capable labels and edits publish as "AutoZoomFont": a fixed
// zoom or an automatic one that fits a maximum text length, with the font to start from and the
// font to restore. The form resizer reads them to leave such controls' fonts alone.
#pragma once
#include <memory>

#include "Filer.h"
#include "Graphics.h"

// Whether a control's font is zoomed to a fixed size (Zoom, FontSize) for a text of at most
// MaxLength characters. MaxLength and FontSize go to a form file only while Zoom is on.
class TssZoomFont : public TPersistent {
    SS_CLASS(TssZoomFont, TPersistent)
    SS_PUBLISHED(TssZoomFont)
public:
    explicit TssZoomFont(TComponent* AOwner) : FOwner(AOwner) {}

    bool Zoom() const { return FZoom; }
    virtual void SetZoom(bool Value);
    int MaxLength() const { return FMaxLength; }
    virtual void SetMaxLength(int Value);
    int FontSize() const { return FFontSize; }
    virtual void SetFontSize(int Value);
    // The control the settings belong to.
    TComponent* Owner() const { return FOwner; }

protected:
    // Whether MaxLength and FontSize are written to a form file.
    virtual bool IsSizeStored() const { return FZoom; }

    bool FZoom = false;
    int FMaxLength = 0;
    int FFontSize = 0;
    TComponent* FOwner;
};

// The zoom settings with the automatic zoom: AutoZoom and Zoom exclude each other (turning one
// on turns the other off). AutoZoomInitFont is the font the automatic zoom starts from;
// RestoreFont, stored as "RestoreFont", is the font the control goes back to.
class TssAutoZoomFont : public TssZoomFont {
    SS_CLASS(TssAutoZoomFont, TssZoomFont)
    SS_PUBLISHED(TssAutoZoomFont)
public:
    explicit TssAutoZoomFont(TComponent* AOwner);

    void SetZoom(bool Value) override;
    bool AutoZoom() const { return FAutoZoom; }
    virtual void SetAutoZoom(bool Value);
    TFont* AutoZoomInitFont() const { return FAutoZoomInitFont.get(); }
    // Copies the font.
    virtual void SetAutoZoomInitFont(const TFont* Value);
    TFont* RestoreFont() const { return FRestoreFont.get(); }
    // Whether a form file held a restore font.
    bool isRestoreFontLoaded() const { return FisRestoreFontLoaded; }

    void DefineProperties(TFiler& Filer) override;

protected:
    bool IsSizeStored() const override { return true; }

private:
    void ReadRestoreFont(TReader& Reader);
    void WriteRestoreFont(TWriter& Writer) const;

    std::unique_ptr<TFont> FAutoZoomInitFont;
    std::unique_ptr<TFont> FRestoreFont;
    bool FAutoZoom = false;
    bool FisRestoreFontLoaded = false;
};
