#include "ssUnits.h"

#include "Forms.h"
#include "ssDrive.h"
#include "ssHoliday.h"
#include "ssRegistry.h"
#include "ssWin7Uty.h"

void RegisterLibraryUnits() {
    Application->AddUnit({ResetControlWord, nullptr});
    Application->AddUnit({TssDrive::Startup, nullptr});
    Application->AddUnit({TssRegistry::Startup, nullptr});
    Application->AddUnit({TssWin7Utils::Startup, TssWin7Utils::Shutdown});
    Application->AddUnit({FreeHoliday, nullptr});
}
