#include "ssUnits.h"

#include "ExtCtrls.h"
#include "Filer.h"
#include "Forms.h"
#include "ssButton.h"
#include "ssDBGrid.h"
#include "ssDrive.h"
#include "ssGrids.h"
#include "ssHoliday.h"
#include "ssImage.h"
#include "ssLabel.h"
#include "ssPanel.h"
#include "ssRegistry.h"
#include "ssWin7Uty.h"

void RegisterLibraryUnits() {
    // The classes a form's stream may hold, so that reading can make them by name.
    RegisterClass<TForm>();
    RegisterClass<TLabel>();
    RegisterClass<TButton>();
    RegisterClass<TPanel>();
    RegisterClass<TImage>();
    RegisterClass<TssLabel>();
    RegisterClass<TssPanel>();
    RegisterClass<TssImage>();
    RegisterClass<TssOrgButtonDelphi3>();
    RegisterClass<TssButton>();
    RegisterClass<TssDrawGrid>();
    RegisterClass<TssStringGrid>();
    RegisterClass<TssVirtualDBGrid>();
    RegisterClass<TssDBGrid>();
    Application->AddUnit({ResetControlWord, nullptr});
    Application->AddUnit({TssDrive::Startup, nullptr});
    Application->AddUnit({TssRegistry::Startup, nullptr});
    Application->AddUnit({TssWin7Utils::Startup, TssWin7Utils::Shutdown});
    Application->AddUnit({FreeHoliday, nullptr});
}
