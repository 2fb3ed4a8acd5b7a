// The panel and the image control.
#pragma once
#include <memory>

#include "StdCtrls.h"

SS_ENUM(TPanelBevel, bvNone, bvLowered, bvRaised)

// Draws a frame of width pixels around r and shrinks r by it: the top and left edges in topColor,
// the bottom and right edges in bottomColor.
void Frame3D(TCanvas* canvas, RECT& r, TColor topColor, TColor bottomColor, int width);

// A container with an outer and an inner bevel, a border, and a caption on one centred line.
class TPanel : public TCustomControl {
    SS_CLASS(TPanel, TCustomControl)
    SS_PUBLISHED(TPanel)
public:
    explicit TPanel(TComponent* AOwner);
    TPanelBevel BevelOuter() const { return FBevelOuter; }
    void SetBevelOuter(TPanelBevel v) { FBevelOuter = v; Invalidate(); }
    TPanelBevel BevelInner() const { return FBevelInner; }
    void SetBevelInner(TPanelBevel v) { FBevelInner = v; Invalidate(); }
    int BevelWidth() const { return FBevelWidth; }
    void SetBevelWidth(int v) { FBevelWidth = v; Invalidate(); }
    int BorderWidth() const { return FBorderWidth; }
    void SetBorderWidth(int v) { FBorderWidth = v; Invalidate(); }
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment v) { FAlignment = v; Invalidate(); }

protected:
    void CreateParams(TCreateParams& params) override;
    void Paint() override;
    void TextChanged() override;
    // Draws the bevels, the border and the background, and answers what is left inside them.
    RECT PaintFrame();
    // Draws the caption on one line centred vertically in r, with the panel's alignment.
    void DrawCaption(RECT r, UINT extraFlags);

    TPanelBevel FBevelOuter = TPanelBevel::bvRaised;
    TPanelBevel FBevelInner = TPanelBevel::bvNone;
    int FBevelWidth = 1;
    int FBorderWidth = 0;
    TAlignment FAlignment = TAlignment::taCenter;
};

// What an image control shows: a bitmap or an icon.
class TPicture : public TGraphicsObject {
    SS_CLASS(TPicture, TGraphicsObject)
public:
    TPicture();
    ~TPicture() override;
    TBitmap* Bitmap() const { return FBitmap.get(); }
    HICON Icon() const { return FIcon; }
    // Shows the icon (a copy is kept); the bitmap is cleared.
    void SetIcon(HICON icon);
    void Clear();
    bool Empty() const { return FBitmap->Empty() && !FIcon; }
    int Width() const;
    int Height() const;
    void Draw(TCanvas* canvas, int x, int y);

private:
    std::unique_ptr<TBitmap> FBitmap;
    HICON FIcon = nullptr;
};

class TImage : public TGraphicControl {
    SS_CLASS(TImage, TGraphicControl)
    SS_PUBLISHED(TImage)
public:
    explicit TImage(TComponent* AOwner);
    TPicture* Picture() const { return FPicture.get(); }
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool v);
    bool Center() const { return FCenter; }
    void SetCenter(bool v) { FCenter = v; Invalidate(); }

protected:
    void Paint() override;

private:
    void PictureChanged();
    std::unique_ptr<TPicture> FPicture;
    bool FAutoSize = false;
    bool FCenter = false;
};
