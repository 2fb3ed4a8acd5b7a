#include "GallerySections.h"
#include "ssLabel.h"

namespace {
constexpr int kSampleWidth = 360;

// A label on a white ground, so that its extent and the text's place in it show.
TssLabel* AddSample(TGalleryBand& band, const String& rowCaption, const String& text, int height = 20) {
    band.NewRow(rowCaption, height);
    auto* label = band.Add<TssLabel>(kSampleWidth);
    label->SetAutoSize(false);
    label->SetColor(clWindow);
    label->SetLayout(TTextLayout::tlCenter);
    label->SetCaption(text);
    return label;
}
}  // namespace

void AddLabelSamples(TGalleryBand& Band) {
    auto* pitched = AddSample(Band, L"ピッチ 6（手動）", L"文字の間に６ピクセル");
    pitched->SetPitch(6);

    auto* heading = AddSample(Band, L"自動ピッチ（幅いっぱい）", L"部品見本帳", 26);
    heading->Font()->SetName(L"ＭＳ ゴシック");
    heading->Font()->SetHeight(-18);
    heading->AlignmentOptions()->SetSelfPitch(true);

    auto* right = AddSample(Band, L"右寄せ（ピッチ 2）", L"右端にそろえた表示");
    right->SetAlignment(TAlignment::taRightJustify);
    right->SetPitch(2);

    auto* wrapped = AddSample(Band, L"折り返し（ピッチ 1）",
                              L"長い文章はラベルの幅で一文字ずつ折り返します。日本語のように空白のない文章でも、"
                              L"ピッチを含めた幅で次の行へ送られます。",
                              40);
    wrapped->SetLayout(TTextLayout::tlTop);
    wrapped->SetWordWrap(true);
    wrapped->SetPitch(1);

    auto* disabled = AddSample(Band, L"無効", L"使えない項目は浮き彫りで表示");
    disabled->SetColor(clBtnFace);  // the embossed highlight would vanish on white
    disabled->SetEnabled(false);
}
