// The glyph button: a push button that draws itself with a caption and an optional bitmap glyph,
// with predefined kinds that set caption, glyph, default and cancel flags and modal result at once.
#pragma once
#include <array>
#include <memory>
#include <vector>

#include "StdCtrls.h"

SS_ENUM(TButtonLayout, blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom)
enum class TButtonState { bsUp, bsDisabled, bsDown, bsExclusive };
SS_ENUM(TButtonStyle, bsAutoDetect, bsWin31, bsNew)
SS_ENUM(TBitBtnKind, bkxCustom, bkxOK, bkxCancel, bkxHelp, bkxYes, bkxNo, bkxClose, bkxAbort, bkxRetry, bkxIgnore, bkxAll)

// The caption a kind gives its button.
String BitBtnCaption(TBitBtnKind kind);

// An image list of one image size whose slots are reused: a released slot is taken by the next image.
class TGlyphList : public TCustomImageList {
    SS_CLASS(TGlyphList, TCustomImageList)
public:
    TGlyphList(int width, int height) : TCustomImageList(nullptr, width, height) {}
    // Stores a copy of image, masked by maskColor, in a free slot; answers the slot.
    int AddMasked(TBitmap* image, TColor maskColor);
    void Delete(int index);
    // Occupied slots.
    int Count() const { return FCount; }

private:
    int AllocateIndex();
    std::vector<bool> Used;
    int FCount = 0;
};

// The process's glyph lists, shared between buttons by image size.
class TGlyphCache {
public:
    // The most recently added list of that size, made when there is none.
    TGlyphList* GetList(int width, int height);
    // Frees the list once none of its slots is occupied.
    void ReturnList(TGlyphList* list);
    bool Empty() const { return GlyphLists.empty(); }

private:
    std::vector<std::unique_ptr<TGlyphList>> GlyphLists;
};

// The glyph of a button: the source bitmap of one to four images side by side (up, disabled,
// down, exclusive) and the images built from it on demand.
class TButtonGlyph {
public:
    TButtonGlyph();
    ~TButtonGlyph();
    TButtonGlyph(const TButtonGlyph&) = delete;
    TButtonGlyph& operator=(const TButtonGlyph&) = delete;

    TBitmap* Glyph() const { return FOriginal.get(); }
    // Copies the bitmap; a width that is 1 to 4 times the height gives the number of images.
    void SetGlyph(const TBitmap* Value);
    int NumGlyphs() const { return FNumGlyphs; }
    void SetNumGlyphs(int Value);
    TColor TransparentColor() const { return FTransparentColor; }
    // The image list slot of the state's image, built on first use; -1 without a glyph.
    int CreateButtonGlyph(TButtonState State);
    // Releases the built images.
    void Invalidate();
    TGlyphList* GlyphList() const { return FGlyphList; }

    // Places glyph and caption inside client, draws both, and answers the caption's rectangle.
    RECT Draw(TCanvas* Canvas, const RECT& Client, const String& Caption, TButtonLayout Layout, int Margin,
              int Spacing, TButtonState State, bool Transparent, UINT BiDiFlags);
    void CalcButtonLayout(TCanvas* Canvas, const RECT& Client, const String& Caption, TButtonLayout Layout,
                          int Margin, int Spacing, POINT& GlyphPos, RECT& TextBounds, UINT BiDiFlags);

    TNotifyEvent OnChange;

private:
    void GlyphChanged();
    void DrawButtonGlyph(TCanvas* Canvas, POINT GlyphPos, TButtonState State, bool Transparent);
    void DrawButtonText(TCanvas* Canvas, const String& Caption, RECT TextBounds, TButtonState State, UINT BiDiFlags);

    std::unique_ptr<TBitmap> FOriginal;
    TGlyphList* FGlyphList = nullptr;
    std::array<int, 4> FIndexs{-1, -1, -1, -1};
    TColor FTransparentColor = clOlive;
    int FNumGlyphs = 1;
};

// A push button that draws its caption and glyph itself. Kind sets caption, glyph, default
// and cancel flags and the modal result together; Layout, Margin and Spacing place the glyph.
class TssOrgButtonDelphi3 : public TButton {
    SS_CLASS(TssOrgButtonDelphi3, TButton)
    SS_PUBLISHED(TssOrgButtonDelphi3)
public:
    explicit TssOrgButtonDelphi3(TComponent* AOwner);
    ~TssOrgButtonDelphi3() override;

    TBitmap* Glyph() const { return FGlyph->Glyph(); }
    // An explicit glyph makes the kind read as custom.
    void SetGlyph(const TBitmap* Value);
    int NumGlyphs() const { return FGlyph->NumGlyphs(); }
    void SetNumGlyphs(int Value);
    // A kind other than custom reads as such only while Default, Cancel, ModalResult and the
    // glyph are still the kind's own; otherwise it decays to custom.
    TBitBtnKind Kind() const;
    void SetKind(TBitBtnKind Value);
    TButtonLayout Layout() const { return FLayout; }
    void SetLayout(TButtonLayout Value);
    int Margin() const { return FMargin; }
    void SetMargin(int Value);
    int Spacing() const { return FSpacing; }
    void SetSpacing(int Value);
    TButtonStyle Style() const { return FStyle; }
    void SetStyle(TButtonStyle Value);
    void SetEnabled(bool v) override;

    void Click() override;
    void SetButtonStyle(bool ADefault) override;
    // Whether the button currently stands as the default button.
    bool IsFocusedButton() const { return IsFocused; }
    TButtonGlyph* ButtonGlyph() const { return FGlyph.get(); }

    void WndProc(TMessage& msg) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    bool DrawItem(const DRAWITEMSTRUCT& item) override;

private:
    // A kind sets the flags, the modal result and the glyph, so a stream keeps them only for a
    // custom button, and the caption only where it is not the kind's.
    bool IsCustom() const { return Kind() == TBitBtnKind::bkxCustom; }
    bool IsCaptionStored() const { return Caption() != BitBtnCaption(Kind()); }
    std::unique_ptr<TCanvas> FCanvas;
    std::unique_ptr<TButtonGlyph> FGlyph;
    TButtonStyle FStyle = TButtonStyle::bsAutoDetect;
    mutable TBitBtnKind FKind = TBitBtnKind::bkxCustom;  // a read decays it to custom
    TButtonLayout FLayout = TButtonLayout::blGlyphLeft;
    int FSpacing = 4;
    int FMargin = -1;
    bool IsFocused = false;
    bool FModifiedGlyph = false;
};

