// The component gallery: one window that shows the library's controls, page by page.
// Usage: ssGallery [PAGE]   (PAGE from 1: the page shown first)
#include "GalleryForm.h"
// After the framework's Windows headers.
#include <shellapi.h>

#include "ssUnits.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    try {
        RegisterLibraryUnits();
        Application->Initialize();
        Application->SetMainFormOnTaskBar(true);
        TfmGallery* gallery = nullptr;
        Application->CreateForm(gallery);
        int argc = 0;
        if (LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc)) {
            if (argc > 1) gallery->ShowPage(_wtoi(argv[1]) - 1);
            LocalFree(argv);
        }
        Application->Run();
    } catch (...) {
        Application->HandleException(std::current_exception());
        return 1;
    }
    return 0;
}
