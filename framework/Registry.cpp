#include "Registry.h"

String ReadRegistryString(HKEY root, const String& key, const wchar_t* valueName) {
    HKEY k;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return {};
    String result;
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(k, valueName, nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ) && size >= sizeof(wchar_t)) {
        String buf(size / sizeof(wchar_t), L'\0');
        if (RegQueryValueExW(k, valueName, nullptr, nullptr, reinterpret_cast<BYTE*>(buf.data()), &size) ==
            ERROR_SUCCESS)
            result.assign(buf.c_str());
    }
    RegCloseKey(k);
    return result;
}
