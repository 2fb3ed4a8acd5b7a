#include "ssZoomFontEditor.h"

#include "TypInfo.h"

namespace {
// The restore font's properties in the order the form file lists them.
const wchar_t* const RestoreFontProps[] = {L"CharSet", L"Color", L"Height", L"Name", L"Pitch", L"Size", L"Style"};
}  // namespace

// ---- TssZoomFont ----

SS_PUBLISH(TssZoomFont) {
    p.Property(L"Zoom", &TssZoomFont::Zoom, &TssZoomFont::SetZoom).Default(false);
    p.Property(L"MaxLength", &TssZoomFont::MaxLength, &TssZoomFont::SetMaxLength)
        .Default(0)
        .Stored(&TssZoomFont::IsSizeStored);
    p.Property(L"FontSize", &TssZoomFont::FontSize, &TssZoomFont::SetFontSize)
        .Default(0)
        .Stored(&TssZoomFont::IsSizeStored);
}

void TssZoomFont::SetZoom(bool Value) { FZoom = Value; }
void TssZoomFont::SetMaxLength(int Value) { FMaxLength = Value; }
void TssZoomFont::SetFontSize(int Value) { FFontSize = Value; }

// ---- TssAutoZoomFont ----

SS_PUBLISH(TssAutoZoomFont) {
    p.Property(L"AutoZoom", &TssAutoZoomFont::AutoZoom, &TssAutoZoomFont::SetAutoZoom).Default(false);
    p.Property(L"AutoZoomInitFont", &TssAutoZoomFont::AutoZoomInitFont, &TssAutoZoomFont::SetAutoZoomInitFont);
}

TssAutoZoomFont::TssAutoZoomFont(TComponent* AOwner)
    : TssZoomFont(AOwner), FAutoZoomInitFont(std::make_unique<TFont>()), FRestoreFont(std::make_unique<TFont>()) {}

void TssAutoZoomFont::SetZoom(bool Value) {
    TssZoomFont::SetZoom(Value);
    if (Value) FAutoZoom = false;
}

void TssAutoZoomFont::SetAutoZoom(bool Value) {
    FAutoZoom = Value;
    if (Value) FZoom = false;
}

void TssAutoZoomFont::SetAutoZoomInitFont(const TFont* Value) { FAutoZoomInitFont->Assign(*Value); }

void TssAutoZoomFont::DefineProperties(TFiler& Filer) {
    TssZoomFont::DefineProperties(Filer);
    Filer.DefineProperty(
        L"RestoreFont", [this](TReader& r) { ReadRestoreFont(r); }, [this](TWriter& w) { WriteRestoreFont(w); },
        true);
}

void TssAutoZoomFont::WriteRestoreFont(TWriter& Writer) const {
    Writer.WriteListBegin();
    for (const wchar_t* name : RestoreFontProps) Writer.WriteString(GetPropValue(FRestoreFont.get(), name));
    Writer.WriteListEnd();
}

// An empty entry leaves that property as it is; the style is read and ignored.
void TssAutoZoomFont::ReadRestoreFont(TReader& Reader) {
    Reader.ReadListBegin();
    for (const wchar_t* name : RestoreFontProps) {
        String value = Reader.ReadString();
        if (!value.empty() && String(name) != L"Style") SetPropValue(FRestoreFont.get(), name, value);
    }
    Reader.ReadListEnd();
    FisRestoreFontLoaded = true;
}
