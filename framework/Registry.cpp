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

namespace {

bool IsAbsolute(const String& key) { return !key.empty() && key.front() == L'\\'; }

void CopyTree(HKEY from, HKEY to);

// Copies the tree at fromBase\\fromName to toBase\\toName, creating the target; false when the
// source cannot be opened.
bool CopyKey(HKEY fromBase, const wchar_t* fromName, HKEY toBase, const wchar_t* toName) {
    HKEY from, to;
    if (RegOpenKeyExW(fromBase, fromName, 0, KEY_READ, &from) != ERROR_SUCCESS) return false;
    if (RegCreateKeyExW(toBase, toName, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &to, nullptr) == ERROR_SUCCESS) {
        CopyTree(from, to);
        RegCloseKey(to);
    }
    RegCloseKey(from);
    return true;
}

// Copies every value and subkey of from into to.
void CopyTree(HKEY from, HKEY to) {
    DWORD maxName = 0, maxData = 0, values = 0, keys = 0, maxKey = 0;
    RegQueryInfoKeyW(from, nullptr, nullptr, nullptr, &keys, &maxKey, nullptr, &values, &maxName, &maxData, nullptr,
                     nullptr);
    std::vector<wchar_t> name(maxName + 2);
    std::vector<BYTE> data(maxData + 2);
    for (DWORD i = 0; i < values; ++i) {
        DWORD nameLen = DWORD(name.size()), dataLen = DWORD(data.size()), type = 0;
        if (RegEnumValueW(from, i, name.data(), &nameLen, nullptr, &type, data.data(), &dataLen) == ERROR_SUCCESS)
            RegSetValueExW(to, name.data(), 0, type, data.data(), dataLen);
    }
    std::vector<wchar_t> keyName(maxKey + 2);
    for (DWORD i = 0; i < keys; ++i) {
        DWORD len = DWORD(keyName.size());
        if (RegEnumKeyExW(from, i, keyName.data(), &len, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS)
            CopyKey(from, keyName.data(), to, keyName.data());
    }
}

}  // namespace

TRegistry::TRegistry() = default;
TRegistry::TRegistry(REGSAM access) : FAccess(access) {}

TRegistry::~TRegistry() { CloseKey(); }

void TRegistry::SetRootKey(HKEY v) {
    CloseKey();
    FRootKey = v;
}

HKEY TRegistry::BaseKeyFor(const String& key, String& relative) const {
    if (IsAbsolute(key) || !FCurrentKey) {
        relative = IsAbsolute(key) ? key.substr(1) : key;
        return FRootKey;
    }
    relative = key;
    return FCurrentKey;
}

void TRegistry::ChangeKey(HKEY key, const String& path) {
    CloseKey();
    FCurrentKey = key;
    FCurrentPath = path;
}

bool TRegistry::OpenKey(const String& key, bool canCreate) {
    String relative;
    HKEY base = BaseKeyFor(key, relative);
    HKEY opened;
    LONG r = canCreate ? RegCreateKeyExW(base, relative.c_str(), 0, nullptr, 0, FAccess, nullptr, &opened, nullptr)
                       : RegOpenKeyExW(base, relative.c_str(), 0, FAccess, &opened);
    if (r != ERROR_SUCCESS) return false;
    String path = IsAbsolute(key) || FCurrentPath.empty() ? relative : FCurrentPath + L"\\" + relative;
    ChangeKey(opened, path);
    return true;
}

bool TRegistry::OpenKeyReadOnly(const String& key) {
    REGSAM saved = FAccess;
    FAccess = KEY_READ;
    bool ok = OpenKey(key, false);
    FAccess = saved;
    return ok;
}

void TRegistry::CloseKey() {
    if (FCurrentKey) RegCloseKey(FCurrentKey);
    FCurrentKey = nullptr;
    FCurrentPath.clear();
}

bool TRegistry::CreateKey(const String& key) {
    String relative;
    HKEY base = BaseKeyFor(key, relative);
    HKEY created;
    if (RegCreateKeyExW(base, relative.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, FAccess, nullptr, &created,
                        nullptr) != ERROR_SUCCESS)
        throw ERegistryException(L"キー " + key + L" を作成できません");
    RegCloseKey(created);
    return true;
}

bool TRegistry::DeleteKey(const String& key) {
    String relative;
    HKEY base = BaseKeyFor(key, relative);
    return RegDeleteKeyW(base, relative.c_str()) == ERROR_SUCCESS;
}

bool TRegistry::KeyExists(const String& key) {
    String relative;
    HKEY base = BaseKeyFor(key, relative);
    HKEY k;
    if (RegOpenKeyExW(base, relative.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
    RegCloseKey(k);
    return true;
}

bool TRegistry::HasSubKeys() {
    DWORD keys = 0;
    return FCurrentKey &&
           RegQueryInfoKeyW(FCurrentKey, nullptr, nullptr, nullptr, &keys, nullptr, nullptr, nullptr, nullptr,
                            nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
           keys > 0;
}

std::vector<String> TRegistry::GetKeyNames() {
    std::vector<String> names;
    if (!FCurrentKey) return names;
    wchar_t buf[256];
    for (DWORD i = 0;; ++i) {
        DWORD len = 256;
        if (RegEnumKeyExW(FCurrentKey, i, buf, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.emplace_back(buf, len);
    }
    return names;
}

void TRegistry::MoveKey(const String& oldName, const String& newName, bool doDelete) {
    String oldRel, newRel;
    HKEY oldBase = BaseKeyFor(oldName, oldRel), newBase = BaseKeyFor(newName, newRel);
    if (!CopyKey(oldBase, oldRel.c_str(), newBase, newRel.c_str())) return;
    if (doDelete) TRegistry::DeleteKey(oldName);
}

bool TRegistry::ValueExists(const String& name) {
    return FCurrentKey && RegQueryValueExW(FCurrentKey, name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

String TRegistry::ReadString(const String& name) {
    if (!FCurrentKey) return {};
    return ReadRegistryString(FCurrentKey, L"", name.c_str());
}

void TRegistry::WriteString(const String& name, const String& value) {
    if (!FCurrentKey ||
        RegSetValueExW(FCurrentKey, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       DWORD((value.size() + 1) * sizeof(wchar_t))) != ERROR_SUCCESS)
        throw ERegistryException(L"値 " + name + L" を書き込めません");
}
