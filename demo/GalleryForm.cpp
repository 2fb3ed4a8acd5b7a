#include "GalleryForm.h"

#include <algorithm>
#include <initializer_list>
#include <vector>

#include "GallerySections.h"

namespace {
struct TGallerySection {
    const wchar_t* Title;
    void (*AddSamples)(TGalleryBand& Band);
};

struct TGalleryPage {
    const wchar_t* Title;
    std::initializer_list<TGallerySection> Sections;
};

// The window's pages and their sections, top to bottom. A new section is a function that fills
// its band and a line here.
const TGalleryPage kPages[] = {
    {L"ラベル・ボタン・パネル",
     {
         {L"ラベル　TssLabel", AddLabelSamples},
         {L"ボタン　TssButton", AddButtonSamples},
         {L"パネルとイメージ　TssPanel・TssImage", AddPanelSamples},
     }},
    {L"ダイアログ・ファイル操作",
     {
         {L"メッセージダイアログ　TssMessageDialog", AddMessageDialogSamples},
         {L"ファイル操作　TssFileControl", AddFileOperationSamples},
     }},
    {L"グリッド",
     {
         {L"グリッド　TssDrawGrid：固定行・列、列の色とフォント、太い行の線、セルの枠、非表示の列 D", AddDrawGridSamples},
     }},
    {L"文字列グリッド",
     {
         {L"文字列グリッド　TssStringGrid", AddStringGridSamples},
     }},
    {L"メッセージラベル",
     {
         {L"メッセージラベル　TssMessageLabel", AddMessageLabelSamples},
         {L"フォームの基準幅　TssFormResize", AddFormBaseSamples},
     }},
    {L"データグリッド",
     {
         {L"データグリッド　TssVirtualDBGrid：編集、Shift・Ctrl で複数行を選択、Ctrl+Delete で確認して削除", AddEditableDataGridSamples},
         {L"データグリッド　TssDBGrid：なめらかなスクロール、5 行ごとの太い線", AddSmoothDBGridSamples},
     }},
};

constexpr int kPageBarHeight = 32;
constexpr int kPageButtonWidth = 180;
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

    int width = 0, height = 0;
    std::vector<TssPanel*> bands;
    for (const TGalleryPage& page : kPages) {
        auto* button = new TButton(this);
        button->SetParent(this);
        button->SetCaption(page.Title);
        button->OnClick = [this, index = int(FPages.size())](TObject*) { ShowPage(index); };
        FPageButtons.push_back(button);

        auto* panel = new TssPanel(this);
        panel->SetParent(this);
        panel->SetBevelOuter(TPanelBevel::bvNone);
        panel->SetCaption(L"");
        int top = 0;
        for (const TGallerySection& section : page.Sections) {
            TGalleryBand band(this, panel, top, section.Title, report);
            section.AddSamples(band);
            bands.push_back(band.Panel());
            top += band.Panel()->Height();
            width = std::max(width, band.ContentWidth());
        }
        height = std::max(height, top);
        FPages.push_back(panel);
    }
    // The page buttons share the bar, never wider than their own width, never past the window.
    const int pages = int(FPageButtons.size());
    const int buttonWidth = std::min(kPageButtonWidth, (width - 8) / pages - 4);
    for (int i = 0; i < pages; ++i)
        FPageButtons[i]->SetBounds(8 + i * (buttonWidth + 4), 4, buttonWidth, kPageBarHeight - 8);
    for (TssPanel* band : bands) band->SetWidth(width);
    for (TssPanel* page : FPages) page->SetBounds(0, kPageBarHeight, width, height);
    pnlStatus->SetBounds(0, kPageBarHeight + height, width, kStatusHeight);
    SetClientWidth(width);
    SetClientHeight(kPageBarHeight + height + kStatusHeight);
    ShowPage(0);
}

void TfmGallery::ShowPage(int Index) {
    Index = std::clamp(Index, 0, PageCount() - 1);
    for (int i = 0; i < PageCount(); ++i) FPages[i]->SetVisible(i == Index);
    // The button of the page shown is the one that cannot be pressed.
    for (int i = 0; i < PageCount(); ++i) FPageButtons[i]->SetEnabled(i != Index);
}
