// Colours and fonts.
#pragma once
#include <cstdint>

#include "Classes.h"
#include "WinApi.h"

// A colour: 0x00BBGGRR, or a system colour with the high byte 0xFF and the index in the low byte.
using TColor = std::int32_t;
constexpr TColor clSystemColor = TColor(0xFF000000);
constexpr TColor clBtnFace = clSystemColor | COLOR_BTNFACE;
constexpr TColor clBtnText = clSystemColor | COLOR_BTNTEXT;
constexpr TColor clWindow = clSystemColor | COLOR_WINDOW;
constexpr TColor clWindowText = clSystemColor | COLOR_WINDOWTEXT;
constexpr TColor clGrayText = clSystemColor | COLOR_GRAYTEXT;
constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;

COLORREF ColorToRGB(TColor c);

enum class TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TSet<TFontStyle>;

// A logical font. The GDI font is made on first use and made again after any change;
// OnChange tells the control that uses the font.
class TFont : public TPersistent {
    SS_CLASS(TFont, TPersistent)
public:
    TFont() = default;
    ~TFont() override;
    TFont(const TFont&) = delete;
    TFont& operator=(const TFont&) = delete;

    void Assign(const TFont& src);
    const String& Name() const { return FName; }
    void SetName(const String& v);
    int Height() const { return FHeight; }  // negative: character height in pixels
    void SetHeight(int v);
    TColor Color() const { return FColor; }
    void SetColor(TColor v);
    TFontStyles Style() const { return FStyle; }
    void SetStyle(TFontStyles v);
    BYTE Charset() const { return FCharset; }
    void SetCharset(BYTE v);
    HFONT Handle() const;

    TNotifyEvent OnChange;

private:
    void Changed();
    String FName = L"Tahoma";
    int FHeight = -11;
    TColor FColor = clWindowText;
    TFontStyles FStyle;
    BYTE FCharset = DEFAULT_CHARSET;
    mutable HFONT FHandle = nullptr;
};
