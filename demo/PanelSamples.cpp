#include "GallerySections.h"
#include "ssImage.h"

namespace {
constexpr int kPanelWidth = 180;

TssPanel* AddPanel(TGalleryBand& band, const String& caption, TPanelBevel outer, TPanelBevel inner = TPanelBevel::bvNone) {
    auto* panel = band.Add<TssPanel>(kPanelWidth);
    panel->SetCaption(caption);
    panel->SetBevelOuter(outer);
    panel->SetBevelInner(inner);
    return panel;
}
}  // namespace

void AddPanelSamples(TGalleryBand& Band) {
    Band.NewRow(L"アクセラレータ文字", 30);
    AddPanel(Band, L"下線にする：保存(&S)", TPanelBevel::bvRaised);
    AddPanel(Band, L"そのまま：保存(&S)", TPanelBevel::bvRaised)->SetShowAccelChar(false);

    Band.NewRow(L"ベベル", 30);
    AddPanel(Band, L"浮き出し", TPanelBevel::bvRaised);
    AddPanel(Band, L"くぼみ", TPanelBevel::bvLowered);
    AddPanel(Band, L"浮き出し＋くぼみ", TPanelBevel::bvRaised, TPanelBevel::bvLowered)->SetBevelWidth(2);

    Band.NewRow(L"イメージ（システムアイコン）", 32);
    for (const wchar_t* icon : {IDI_WARNING, IDI_ERROR, IDI_INFORMATION, IDI_QUESTION}) {
        auto* image = Band.Add<TssImage>(32);
        image->Picture()->SetIcon(LoadIconW(nullptr, icon));
    }
}
