// The component gallery: one window that shows the library's controls.
#include "GalleryForm.h"
#include "ssUnits.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    try {
        RegisterLibraryUnits();
        Application->Initialize();
        Application->SetMainFormOnTaskBar(true);
        TfmGallery* gallery = nullptr;
        Application->CreateForm(gallery);
        Application->Run();
    } catch (...) {
        Application->HandleException(std::current_exception());
        return 1;
    }
    return 0;
}
