#include "Graphics.h"

COLORREF ColorToRGB(TColor c) {
    if ((c & clSystemColor) == clSystemColor) return GetSysColor(c & 0xFF);
    return COLORREF(c & 0xFFFFFF);
}

TFont::~TFont() {
    if (FHandle) DeleteObject(FHandle);
}

void TFont::Changed() {
    if (FHandle) {
        DeleteObject(FHandle);
        FHandle = nullptr;
    }
    if (OnChange) OnChange(this);
}

void TFont::Assign(const TFont& src) {
    FName = src.FName;
    FHeight = src.FHeight;
    FColor = src.FColor;
    FStyle = src.FStyle;
    FCharset = src.FCharset;
    Changed();
}

void TFont::SetName(const String& v) { if (v != FName) { FName = v; Changed(); } }
void TFont::SetHeight(int v) { if (v != FHeight) { FHeight = v; Changed(); } }
void TFont::SetColor(TColor v) { if (v != FColor) { FColor = v; Changed(); } }
void TFont::SetStyle(TFontStyles v) { if (!(v == FStyle)) { FStyle = v; Changed(); } }
void TFont::SetCharset(BYTE v) { if (v != FCharset) { FCharset = v; Changed(); } }

HFONT TFont::Handle() const {
    if (!FHandle) {
        LOGFONTW lf{};
        lf.lfHeight = FHeight;
        lf.lfWeight = FStyle.Contains(TFontStyle::fsBold) ? FW_BOLD : FW_NORMAL;
        lf.lfItalic = FStyle.Contains(TFontStyle::fsItalic);
        lf.lfUnderline = FStyle.Contains(TFontStyle::fsUnderline);
        lf.lfStrikeOut = FStyle.Contains(TFontStyle::fsStrikeOut);
        lf.lfCharSet = FCharset;
        lf.lfQuality = DEFAULT_QUALITY;
        lstrcpynW(lf.lfFaceName, FName.c_str(), LF_FACESIZE);
        FHandle = CreateFontIndirectW(&lf);
    }
    return FHandle;
}
