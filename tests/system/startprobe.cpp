// A windowed program that starts as every program of the library does. Its main form shows the
// floating-point control word in its caption ("cw=XXXX") and opens a modal form ("TfmModal"); a
// close that reaches the main form appends " close" to the caption and ends the program.
#include "Forms.h"
#include "ssUnits.h"

namespace {

class TfmModal : public TForm {
    SS_CLASS(TfmModal, TForm)
public:
    using TForm::TForm;
};

class TfmMain : public TForm {
    SS_CLASS(TfmMain, TForm)
public:
    explicit TfmMain(TComponent* AOwner) : TForm(AOwner) {
        OnShow = [this](TObject*) {
            unsigned short cw = 0;
            asm volatile("fnstcw %0" : "=m"(cw));
            // Only the defined bits: a reserved one reads as set.
            SetCaption(Format(L"cw=%.4X", {(long long)(cw & 0x1F3F)}));
            // The modal form opens once the show is over.
            SetTimer(Handle(), 1, 10, nullptr);
        };
        OnCloseQuery = [this](TObject*, bool&) { SetCaption(Caption() + L" close"); };
    }

    void WndProc(TMessage& msg) override {
        if (msg.Msg != WM_TIMER) return TForm::WndProc(msg);
        KillTimer(Handle(), 1);
        TfmModal modal(this);
        modal.SetCaption(L"modal");
        modal.ShowModal();
    }
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    RegisterLibraryUnits();
    Application->Initialize();
    TfmMain* main = nullptr;
    Application->CreateForm(main);
    Application->Run();
    return 0;
}
