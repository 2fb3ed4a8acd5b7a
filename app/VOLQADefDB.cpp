// The repair tool's program: one window, its message loop, nothing else.
#include "CFVOLQAMASTERDB.h"
#include "ssUnits.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    try {
        RegisterLibraryUnits();
        Application->Initialize();
        Application->SetMainFormOnTaskBar(true);
        Application->CreateForm(Form1);
        Application->Run();
    } catch (...) {
        Application->HandleException(std::current_exception());
    }
    return 0;
}
