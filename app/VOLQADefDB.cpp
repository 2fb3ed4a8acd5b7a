// The repair tool's program: one window, its message loop, nothing else.
#include "CFVOLQAMASTERDB.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    try {
        Application->Initialize();
        Application->SetMainFormOnTaskBar(true);
        Application->CreateForm(Form1);
        Application->Run();
    } catch (...) {
        Application->HandleException(std::current_exception());
    }
    return 0;
}
