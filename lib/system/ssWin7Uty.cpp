#include "ssWin7Uty.h"

#include "Forms.h"

void PumpMessages(std::uint32_t ms) {
    DWORD start = GetTickCount();
    do {
        Sleep(1);
        Application->ProcessMessages();
    } while (GetTickCount() - start <= ms);
}
