// Registry access below the local machine that creates, deletes and moves whole key trees.
#pragma once
#include "Registry.h"

// Registry access below HKEY_LOCAL_MACHINE that takes absolute and relative key paths and
// creates, deletes and moves whole key trees.
class TssRegistry : public TRegistry {
    SS_CLASS(TssRegistry, TRegistry)
public:
    TssRegistry();  // read and write access
    explicit TssRegistry(REGSAM access);
    // The unit's start-up step: loads "UxTheme.Dll", kept until the end.
    static void Startup();

    // Creates (or opens) the key; raises ERegistryException naming the key as passed.
    bool CreateKey(const String& Key) override;
    // Deletes the key with everything below it.
    bool DeleteKey(const String& Key) override;
    void MoveKey(const String& OldName, const String& NewName, bool Delete) override;
};
