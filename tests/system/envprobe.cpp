// A windowed program that reports its environment facts on its standard output, one
// "key=value" line each: whether the taskbar steps apply to it, whether the folder library
// was found, the documents and data folders, and what AddAce does without its library.
#include <string>

#include "TestSupport.h"
#include "ssAce.h"
#include "ssComFolder.h"
#include "ssWin7Uty.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    TssCommonFolder folders;
    String ace;
    try {
        ace = AddAce(L"C:\\windows") ? L"true" : L"false";
    } catch (const ErrAce& e) {
        ace = e.Message();
    }
    String report = L"taskbar=" + IntToStr(TssWin7Utils::TaskbarApplies()) + L"\n" +
                    L"library=" + IntToStr(folders.LibraryLoaded()) + L"\n" +
                    L"documents=" + folders.MyDocumentsFolder() + L"\n" +
                    L"data=" + folders.DataFolder() + L"\n" +
                    L"ace=" + ace + L"\n";
    std::string bytes = testing_support::Utf8(report);
    DWORD put = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), DWORD(bytes.size()), &put, nullptr);
    return 0;
}
