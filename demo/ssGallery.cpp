// The component gallery: one window that shows the library's controls.
#include "GalleryForm.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    try {
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
