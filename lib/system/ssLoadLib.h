// Loading the maker's support libraries.
#pragma once
#include "System.h"
#include "WinApi.h"

// Loads Name from the folder scheme's bin folder first, then through the normal search; the
// caller frees the handle. Null when neither loads.
HMODULE LoadSharedLibrary(const String& Name);
