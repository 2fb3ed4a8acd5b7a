// Reading the registry.
#pragma once
#include "System.h"
#include "WinApi.h"

// The string value valueName (the key's default value for null) of root\key, opened read-only;
// empty when the key or value is missing or is not a string.
String ReadRegistryString(HKEY root, const String& key, const wchar_t* valueName);
