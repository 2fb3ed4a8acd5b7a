#include <iterator>

#include "GallerySections.h"
#include "ssButton.h"

namespace {
using enum TssBitBtnKind;

constexpr TssBitBtnKind kKinds[] = {bkOK,    bkCancel, bkHelp,  bkYes, bkNo,      bkClose,
                                    bkAbort, bkRetry,  bkIgnore, bkAll, bkAllExit, bkExitToMain};
constexpr int kKindsPerRow = 6;
constexpr int kButtonWidth = 124;
constexpr int kButtonHeight = 26;

// Tells the status line which button was pressed and the modal result it carries.
void ReportClicks(TssButton* button, const TGalleryBand::TReport& report) {
    button->OnClick = [button, report](TObject*) {
        report(L"「" + button->Caption() + L"」が押されました　ModalResult = " + IntToStr(button->ModalResult()));
    };
}

void AddKindRows(TGalleryBand& band, const String& caption, bool enabled) {
    for (size_t i = 0; i < std::size(kKinds); ++i) {
        if (i % kKindsPerRow == 0) band.NewRow(i == 0 ? caption : L"", kButtonHeight);
        auto* button = band.Add<TssButton>(kButtonWidth);
        button->SetKind(kKinds[i]);
        button->SetEnabled(enabled);
        ReportClicks(button, band.Report());
    }
}

// The exit glyph that the executable carries for custom buttons: two 16 x 18 images, the
// normal one and the disabled one.
void AddLayoutRow(TGalleryBand& band) {
    TBitmap glyph;
    glyph.LoadFromResourceName(GetModuleHandleW(nullptr), L"SSBBEXITTOMAIN");
    const struct {
        TButtonLayout Layout;
        const wchar_t* Caption;
    } layouts[] = {
        {TButtonLayout::blGlyphLeft, L"グリフ左"},
        {TButtonLayout::blGlyphRight, L"グリフ右"},
        {TButtonLayout::blGlyphTop, L"グリフ上"},
        {TButtonLayout::blGlyphBottom, L"グリフ下"},
    };
    band.NewRow(L"独自グリフと配置", 44);
    for (const auto& l : layouts) {
        auto* button = band.Add<TssButton>(kButtonWidth);
        button->SetCaption(l.Caption);
        button->SetGlyph(&glyph);
        button->SetNumGlyphs(2);
        button->SetLayout(l.Layout);
        ReportClicks(button, band.Report());
    }
}
}  // namespace

void AddButtonSamples(TGalleryBand& Band) {
    AddKindRows(Band, L"種類（有効）", true);
    AddKindRows(Band, L"種類（無効）", false);
    AddLayoutRow(Band);
}
