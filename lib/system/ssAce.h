// Granting the shared access on a folder of an NTFS volume through the access-control library.
#pragma once
#include "SysUtils.h"

SS_EXCEPTION(ErrAce, Exception)

// True when there is nothing to do (not NT, not NTFS) or the library granted the access; raises
// ErrAce when the library or its entry point cannot be had.
bool AddAce(const String& Path);
