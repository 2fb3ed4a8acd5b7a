// Colours, fonts, pens, brushes, the canvas over a device context, bitmaps and image lists.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "Classes.h"
#include "WinApi.h"

// A colour: 0x00BBGGRR, or a system colour with the high byte 0xFF and the index in the low byte.
using TColor = std::int32_t;
constexpr TColor clSystemColor = TColor(0xFF000000);
constexpr TColor clBtnFace = clSystemColor | COLOR_BTNFACE;
constexpr TColor clBtnText = clSystemColor | COLOR_BTNTEXT;
constexpr TColor clBtnHighlight = clSystemColor | COLOR_BTNHIGHLIGHT;
constexpr TColor clBtnShadow = clSystemColor | COLOR_BTNSHADOW;
constexpr TColor clWindow = clSystemColor | COLOR_WINDOW;
constexpr TColor clWindowText = clSystemColor | COLOR_WINDOWTEXT;
constexpr TColor clWindowFrame = clSystemColor | COLOR_WINDOWFRAME;
constexpr TColor clGrayText = clSystemColor | COLOR_GRAYTEXT;
constexpr TColor clHighlight = clSystemColor | COLOR_HIGHLIGHT;
constexpr TColor clHighlightText = clSystemColor | COLOR_HIGHLIGHTTEXT;
constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clOlive = 0x008080;
// No colour: the platform picks its default (an image list's mask colour, for one).
constexpr TColor clDefault = 0x20000000;

COLORREF ColorToRGB(TColor c);

// The screen's logical pixels per inch.
int ScreenPixelsPerInch();
// A region made of the union of Rects (which may overlap), or null for none; the caller deletes
// it. Filling or clipping by one region is one call where a rectangle each would be many.
HRGN RegionOfRects(const std::vector<RECT>& Rects);

// Copies Value into Own, made on first use; null frees it: a font or pen that an attribute
// store keeps of its own.
template <typename T>
void CopyOwned(std::unique_ptr<T>& Own, const T* Value) {
    if (!Value) {
        Own.reset();
        return;
    }
    if (!Own) Own = std::make_unique<T>();
    Own->Assign(*Value);
}

// Every GDI object the framework makes is deleted here. It also knows which objects live
// canvases hold selected: Windows refuses to delete a selected object (it leaks), so the
// framework's objects are always deselected before they go.
namespace GdiObjects {
// Deletes h (null is ignored).
void Delete(HGDIOBJ h);
// A canvas selects h into its context, or takes it out again.
void Hold(HGDIOBJ h);
void Release(HGDIOBJ h);
// A live canvas holds h selected.
bool IsHeld(HGDIOBJ h);
// How many times Delete was asked for an object that a live canvas held selected.
unsigned HeldDeletions();
// How many GDI fonts, pens and brushes the framework's fonts, pens and brushes have made so far.
// Equal descriptions share one object, so this grows only for a description not in use.
unsigned Created();
}  // namespace GdiObjects

// A font, pen, brush, bitmap or picture. Its owner (a canvas, a control) is told of each change
// through a link of its own, before OnChange, which belongs to the program; after a change that
// makes a new GDI object, the old one is let go only once both were told (so a canvas has
// selected the new one by then).
class TGraphicsObject : public TPersistent {
    SS_CLASS(TGraphicsObject, TPersistent)
public:
    TGraphicsObject() = default;
    // A copy would share the GDI object and delete it twice.
    TGraphicsObject(const TGraphicsObject&) = delete;
    TGraphicsObject& operator=(const TGraphicsObject&) = delete;
    TNotifyEvent OnChange;
    // Set once, by the object's owner.
    void SetOwnerNotify(TNotifyEvent notify) { FOwnerNotify = std::move(notify); }

protected:
    // Tells the owner and OnChange, then lets go of old (the shared GDI object the change
    // replaced, if any), which is deleted when no other font, pen or brush uses it.
    void NotifyChange(HGDIOBJ old = nullptr);

private:
    TNotifyEvent FOwnerNotify;
};

SS_ENUM(TFontStyle, fsBold, fsItalic, fsUnderline, fsStrikeOut)
using TFontStyles = TSet<TFontStyle>;
SS_ENUM(TFontPitch, fpDefault, fpVariable, fpFixed)

// A logical font. The GDI font is looked up (or made) on first use and again after a change of
// anything but the colour, which is not part of the GDI font; fonts of equal description share it.
class TFont : public TGraphicsObject {
    SS_CLASS(TFont, TGraphicsObject)
    SS_PUBLISHED(TFont)
public:
    TFont() = default;
    ~TFont() override;
    TFont(const TFont&) = delete;
    TFont& operator=(const TFont&) = delete;

    // Takes src's description and colour; shares src's GDI font when it has one.
    void Assign(const TFont& src);
    const String& Name() const { return FName; }
    void SetName(const String& v);
    int Height() const { return FHeight; }  // negative: character height in pixels
    void SetHeight(int v);
    // Points at the screen's pixels per inch; setting it sets Height.
    int Size() const;
    void SetSize(int v);
    TColor Color() const { return FColor; }
    void SetColor(TColor v);
    TFontStyles Style() const { return FStyle; }
    void SetStyle(TFontStyles v);
    BYTE Charset() const { return FCharset; }
    void SetCharset(BYTE v);
    TFontPitch Pitch() const { return FPitch; }
    void SetPitch(TFontPitch v);
    HFONT Handle() const;

private:
    // A change of the GDI font's description: the next Handle makes a new one.
    void Rebuild();
    String FName = L"Tahoma";
    int FHeight = -11;
    TColor FColor = clWindowText;
    TFontStyles FStyle;
    BYTE FCharset = DEFAULT_CHARSET;
    TFontPitch FPitch = TFontPitch::fpDefault;
    mutable HFONT FHandle = nullptr;
};

// How the pen combines with the pixels under it; a canvas sets it as the raster operation of the
// same name (pmCopy: R2_COPYPEN, pmXor: R2_XORPEN, ...).
SS_ENUM(TPenMode, pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot,
        pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor)
// The ends of a line wider than one pixel: round past the end points, or flat at them.
enum class TPenEnds { peRound, peFlat };

// A pen. Its GDI object is shared as a font's is; the mode, like a font's colour, is not part of it.
class TPen : public TGraphicsObject {
    SS_CLASS(TPen, TGraphicsObject)
    SS_PUBLISHED(TPen)
public:
    ~TPen() override;
    void Assign(const TPen& src);
    TColor Color() const { return FColor; }
    void SetColor(TColor v);
    int Width() const { return FWidth; }
    void SetWidth(int v);
    TPenStyle Style() const { return FStyle; }
    void SetStyle(TPenStyle v);
    TPenMode Mode() const { return FMode; }
    void SetMode(TPenMode v);
    TPenEnds Ends() const { return FEnds; }
    void SetEnds(TPenEnds v);
    HPEN Handle() const;

private:
    void Rebuild();
    TColor FColor = clBlack;
    int FWidth = 1;
    TPenStyle FStyle = TPenStyle::psSolid;
    TPenMode FMode = TPenMode::pmCopy;
    TPenEnds FEnds = TPenEnds::peRound;
    mutable HPEN FHandle = nullptr;
};

SS_ENUM(TBrushStyle, bsSolid, bsClear)

class TBrush : public TGraphicsObject {
    SS_CLASS(TBrush, TGraphicsObject)
    SS_PUBLISHED(TBrush)
public:
    ~TBrush() override;
    TColor Color() const { return FColor; }
    void SetColor(TColor v);
    TBrushStyle Style() const { return FStyle; }
    void SetStyle(TBrushStyle v);
    HBRUSH Handle() const;  // the null brush for bsClear

private:
    void Rebuild();
    TColor FColor = clWhite;
    TBrushStyle FStyle = TBrushStyle::bsSolid;
    mutable HBRUSH FHandle = nullptr;
};

class TBitmap;

// Drawing on a device context with a font, a pen and a brush. The canvas selects its objects
// into the context it is attached to and puts the context's own objects back when detached.
class TCanvas : public TPersistent {
    SS_CLASS(TCanvas, TPersistent)
public:
    TCanvas();
    ~TCanvas() override;
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    HDC Handle() const { return FHandle; }
    // Attaches dc (nullptr detaches).
    void SetHandle(HDC dc);

    TFont* Font() const { return FFont.get(); }
    TPen* Pen() const { return FPen.get(); }
    TBrush* Brush() const { return FBrush.get(); }

    void TextOut(int x, int y, const String& text);
    // Text clipped to r, drawn at (x, y).
    void TextRect(const RECT& r, int x, int y, const String& text);
    SIZE TextExtent(const String& text);
    int TextWidth(const String& text) { return TextExtent(text).cx; }
    int TextHeight(const String& text) { return TextExtent(text).cy; }
    // DrawTextW with the canvas font; answers the text height.
    int DrawText(const String& text, RECT& r, UINT flags);
    void FillRect(const RECT& r);
    // A one-pixel frame in the brush colour.
    void FrameRect(const RECT& r);
    // A rectangle outlined with the pen and filled with the brush.
    void Rectangle(const RECT& r);
    void DrawFocusRect(const RECT& r);
    // ::DrawEdge: edge is BDR_/EDGE_ values, flags BF_ values.
    void DrawEdge(const RECT& r, UINT edge, UINT flags);
    // Some part of r lies in the context's clipping region.
    bool RectVisible(const RECT& r) const;
    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    TColor Pixel(int x, int y) const;
    void SetPixel(int x, int y, TColor c);
    // Copies src's rectangle sr onto this canvas's rectangle dr (stretching when sizes differ).
    void CopyRect(const RECT& dr, TCanvas* src, const RECT& sr);
    void Draw(int x, int y, TBitmap* bitmap);

private:
    // One kind of object the canvas selects: what it holds selected now, and the context's own.
    struct TSlot {
        HGDIOBJ Current = nullptr;
        HGDIOBJ Original = nullptr;
    };
    void Select();
    void SelectFont();
    void SelectPen();
    void SelectBrush();
    void SelectInto(TSlot& slot, HGDIOBJ h);
    void Deselect();
    std::unique_ptr<TFont> FFont;
    std::unique_ptr<TPen> FPen;
    std::unique_ptr<TBrush> FBrush;
    HDC FHandle = nullptr;
    TSlot FFontSlot, FPenSlot, FBrushSlot;
};

enum class TTransparentMode { tmAuto, tmFixed };

// A device-dependent bitmap with a canvas of its own. The transparent colour is the bottom-left
// pixel's (tmAuto) or a colour given (tmFixed).
class TBitmap : public TGraphicsObject {
    SS_CLASS(TBitmap, TGraphicsObject)
public:
    TBitmap();
    ~TBitmap() override;
    TBitmap(const TBitmap&) = delete;
    TBitmap& operator=(const TBitmap&) = delete;

    // A copy of src, or an empty bitmap for nullptr.
    void Assign(const TBitmap* src);
    // Loads a BITMAP resource; raises EResNotFound when the module has none of that name.
    void LoadFromResourceName(HINSTANCE module, const String& name);
    bool Empty() const { return !FHandle; }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    void SetSize(int w, int h);
    bool Monochrome() const { return FMonochrome; }
    // A one-bit copy: pixels of the canvas's brush colour become white, the others black.
    void SetMonochrome(bool v);
    HBITMAP Handle() const { return FHandle; }
    HPALETTE Palette() const { return FPalette; }
    TCanvas* Canvas();
    // Lets go of the canvas's device context; the image stays.
    void Dormant();

    TTransparentMode TransparentMode() const { return FTransparentMode; }
    void SetTransparentMode(TTransparentMode v) { FTransparentMode = v; }
    TColor TransparentColor();
    void SetTransparentColor(TColor v);

    void Changed() { NotifyChange(); }

private:
    void Replace(HBITMAP h, int w, int h2, bool mono);
    HBITMAP FHandle = nullptr;
    HPALETTE FPalette = nullptr;
    int FWidth = 0, FHeight = 0;
    bool FMonochrome = false;
    std::unique_ptr<TCanvas> FCanvas;
    HDC FDC = nullptr;
    HGDIOBJ FOldBitmap = nullptr;
    TTransparentMode FTransparentMode = TTransparentMode::tmAuto;
    TColor FTransparentColor = clDefault;
};

// Images of one size in a system image list.
class TCustomImageList : public TComponent {
    SS_CLASS(TCustomImageList, TComponent)
public:
    TCustomImageList(TComponent* AOwner, int width, int height);
    ~TCustomImageList() override;
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    int Count() const;
    HIMAGELIST Handle() const { return FHandle; }
    // Appends image with the mask made from the pixels of maskColor (clDefault: the image's
    // bottom-left pixel); answers the new index.
    int AddMasked(TBitmap* image, TColor maskColor);
    void ReplaceMasked(int index, TBitmap* image, TColor maskColor);
    void Delete(int index);
    // Draws the image at (x, y) over bk (clDefault: transparently).
    void Draw(HDC dc, int x, int y, int index, TColor bk = clDefault) const;

private:
    HBITMAP MakeMask(TBitmap* image, TColor maskColor) const;
    HIMAGELIST FHandle = nullptr;
    int FWidth, FHeight;
};
