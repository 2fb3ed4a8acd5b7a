// Registry access: a key object over the Win32 registry, and a one-call string reader.
#pragma once
#include <vector>

#include "SysUtils.h"
#include "WinApi.h"

// The string value valueName (the key's default value for null) of root\key, opened read-only;
// empty when the key or value is missing or is not a string.
String ReadRegistryString(HKEY root, const String& key, const wchar_t* valueName);

// Raised when a registry operation that must succeed fails.
SS_EXCEPTION(ERegistryException, Exception)

// A registry position: a root key and, once a key is opened, the current key below it. Key
// names beginning with "\" are taken below the root, others below the current key.
class TRegistry : public TObject {
    SS_CLASS(TRegistry, TObject)
public:
    TRegistry();
    explicit TRegistry(REGSAM access);
    ~TRegistry() override;
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    HKEY RootKey() const { return FRootKey; }
    void SetRootKey(HKEY v);
    HKEY CurrentKey() const { return FCurrentKey; }
    const String& CurrentPath() const { return FCurrentPath; }
    REGSAM Access() const { return FAccess; }
    void SetAccess(REGSAM v) { FAccess = v; }

    bool OpenKey(const String& key, bool canCreate);
    bool OpenKeyReadOnly(const String& key);
    void CloseKey();
    virtual bool CreateKey(const String& key);
    virtual bool DeleteKey(const String& key);  // the platform's plain deletion
    bool KeyExists(const String& key);
    bool HasSubKeys();
    std::vector<String> GetKeyNames();
    // Copies the tree at oldName to newName, then deletes oldName when doDelete.
    virtual void MoveKey(const String& oldName, const String& newName, bool doDelete);

    bool ValueExists(const String& name);
    String ReadString(const String& name);
    void WriteString(const String& name, const String& value);

protected:
    // The parent handle and the relative path a key name refers to.
    HKEY BaseKeyFor(const String& key, String& relative) const;
    void ChangeKey(HKEY key, const String& path);

private:
    HKEY FRootKey = HKEY_CURRENT_USER;
    HKEY FCurrentKey = nullptr;
    String FCurrentPath;
    REGSAM FAccess = KEY_ALL_ACCESS;
};
