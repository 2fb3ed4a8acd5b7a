#include <memory>

#include "GallerySections.h"
#include "SysUtils.h"
#include "ssButton.h"
#include "ssFmResize.h"

namespace {
// Scales the gallery's window between the form base widths and keeps the choice in the size
// memory, which writes it back when the window goes.
class TFormBaseSwitch : public TComponent {
    SS_CLASS(TFormBaseSwitch, TComponent)
public:
    explicit TFormBaseSwitch(TCustomForm* Form) : TComponent(Form), FForm(Form) {}

    void Switch(int Width) {
        if (!FResize) FResize = std::make_unique<TssFormResize>(FForm);  // the window as it was built
        FResize->ChangeSize(Width, true);
        FMemory->SetWidth(FResize->NowWidth());
    }
    int Remembered() const { return FMemory->Width(); }

private:
    TCustomForm* FForm;
    std::unique_ptr<TssFormSizeMem> FMemory = std::make_unique<TssFormSizeMem>();
    std::unique_ptr<TssFormResize> FResize;
};
}  // namespace

void AddFormBaseSamples(TGalleryBand& Band) {
    auto* form = static_cast<TCustomForm*>(Band.Panel()->Owner());
    auto* base = new TFormBaseSwitch(form);
    Band.NewRow(Format(L"記憶している幅：%d", {base->Remembered()}), 34);
    for (int width : {640, 800, 1024, 1280}) {
        auto* button = Band.Add<TssButton>(110);
        button->SetCaption(IntToStr(width));
        button->OnClick = [base, width, report = Band.Report()](TObject*) {
            base->Switch(width);
            report(Format(L"フォームの基準幅：%d を要求しました。", {width}));
        };
    }
}
