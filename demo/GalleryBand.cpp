#include "GalleryBand.h"

#include <algorithm>

#include "ssLabel.h"

namespace {
constexpr int kMargin = 10;        // around the band's content
constexpr int kTitleHeight = 20;
constexpr int kCaptionLeft = 24;   // row captions are indented under the title
constexpr int kCaptionWidth = 150;
constexpr int kSampleGap = 8;
constexpr int kRowGap = 5;
}  // namespace

TGalleryBand::TGalleryBand(TCustomForm* Form, TWinControl* Parent, int Top, const String& Title, TReport Report)
    : FForm(Form), FPanel(new TssPanel(Form)), FReport(std::move(Report)) {
    FPanel->SetParent(Parent);
    FPanel->SetBevelOuter(TPanelBevel::bvNone);
    FPanel->SetCaption(L"");
    FPanel->SetBounds(0, Top, 0, kMargin + kTitleHeight);

    auto* title = new TssLabel(Form);
    title->SetParent(FPanel);
    title->SetLeft(kMargin);
    title->SetTop(kMargin);
    title->Font()->SetHeight(-15);
    title->Font()->SetStyle({TFontStyle::fsBold});
    title->SetCaption(Title);

    FRowTop = kMargin + kTitleHeight - kRowGap;
}

void TGalleryBand::NewRow(const String& Caption, int Height) {
    FRowTop += FRowHeight + kRowGap;
    FRowHeight = Height;
    FNextLeft = kCaptionLeft + kCaptionWidth + kSampleGap;
    FPanel->SetHeight(FRowTop + Height + kMargin);

    auto* caption = new TssLabel(FForm);
    caption->SetParent(FPanel);
    caption->SetAutoSize(false);
    caption->SetLayout(TTextLayout::tlCenter);
    caption->SetWordWrap(true);  // a long caption takes more lines of the row, not the samples' room
    caption->SetBounds(kCaptionLeft, FRowTop, kCaptionWidth, Height);
    caption->SetCaption(Caption);
}

void TGalleryBand::Place(TControl* Sample, int Width) {
    Sample->SetParent(FPanel);
    Sample->SetBounds(FNextLeft, FRowTop, Width, FRowHeight);
    FNextLeft += Width + kSampleGap;
    FContentWidth = std::max(FContentWidth, FNextLeft - kSampleGap + kMargin);
}
