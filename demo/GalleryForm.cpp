#include "GalleryForm.h"

#include <algorithm>
#include <vector>

#include "GallerySections.h"

namespace {
struct TGallerySection {
    const wchar_t* Title;
    void (*AddSamples)(TGalleryBand& Band);
};

// The window's sections, top to bottom. A new section is a function that fills its band and a
// line here.
const TGallerySection kSections[] = {
    {L"ラベル　TssLabel", AddLabelSamples},
    {L"ボタン　TssButton", AddButtonSamples},
    {L"パネルとイメージ　TssPanel・TssImage", AddPanelSamples},
    {L"メッセージダイアログ　TssMessageDialog", AddMessageDialogSamples},
    {L"ファイル操作　TssFileControl", AddFileOperationSamples},
};

constexpr int kStatusHeight = 24;
}  // namespace

TfmGallery::TfmGallery(TComponent* AOwner) : TForm(AOwner) {
    SetName(L"fmGallery");
    SetCaption(L"ss コンポーネント ギャラリー");
    SetBorderStyle(TFormBorderStyle::bsSingle);
    SetBorderIcons({TBorderIcon::biSystemMenu, TBorderIcon::biMinimize});
    SetPosition(TPosition::poScreenCenter);
    Font()->SetName(L"ＭＳ Ｐゴシック");
    Font()->SetHeight(-12);

    pnlStatus = new TssPanel(this);
    pnlStatus->SetName(L"pnlStatus");
    pnlStatus->SetParent(this);
    pnlStatus->SetBevelOuter(TPanelBevel::bvLowered);
    pnlStatus->SetBorderWidth(4);
    pnlStatus->SetAlignment(TAlignment::taLeftJustify);
    pnlStatus->SetShowAccelChar(false);  // it repeats button captions as they are written
    pnlStatus->SetCaption(L"ボタンを押すと、その結果をここに表示します。「閉じる」「プログラムの終了」はこのウィンドウを閉じます。");
    auto report = [this](const String& text) { pnlStatus->SetCaption(text); };

    std::vector<TssPanel*> bands;
    int top = 0, width = 0;
    for (const TGallerySection& section : kSections) {
        TGalleryBand band(this, top, section.Title, report);
        section.AddSamples(band);
        bands.push_back(band.Panel());
        top += band.Panel()->Height();
        width = std::max(width, band.ContentWidth());
    }
    for (TssPanel* band : bands) band->SetWidth(width);
    pnlStatus->SetBounds(0, top, width, kStatusHeight);
    SetClientWidth(width);
    SetClientHeight(top + kStatusHeight);
}
