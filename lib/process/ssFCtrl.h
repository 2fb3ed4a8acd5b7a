// Copying, moving and deleting files and folders.
#pragma once
#include <cstdint>

#include "Classes.h"

enum class TssCopyMode { cmUpdate, cmOverwrite };
enum class TssCopyFiles { cfAllFiles, cfExistFiles, cfNotExistFiles, cfRestFilesDelete };
enum class TssFileAttr { atReadOnly, atHidden, atSystem, atDirectory };
using TssFileType = TSet<TssFileAttr>;

class TssFileControl : public TComponent {
    SS_CLASS(TssFileControl, TComponent)
public:
    explicit TssFileControl(TComponent* AOwner);

    // The destination name of a found entry under a destination pattern, by the DOS rename
    // rule: base name and extension each keep the pattern's literals and the entry's
    // characters where the pattern has "?" or from its "*" on.
    static String RenamedName(const String& entryName, const String& pattern);
    // The folder part (up to and including the last "\") and the name part of a path pattern:
    // an empty name means "*.*", a wildcard name without an extension gets ".*".
    static void SplitPattern(const String& path, String& folder, String& name);

    // Deletes the file sPath names. A missing file is no error.
    bool ssDeleteFile(const String& sPath);

    TssCopyMode CopyMode() const { return FCopyMode; }
    void SetCopyMode(TssCopyMode v) { FCopyMode = v; }
    TssCopyFiles CopyFiles() const { return FFile; }
    void SetCopyFiles(TssCopyFiles v) { FFile = v; }
    // Which entries a search includes; atReadOnly also allows touching read-only entries.
    TssFileType Attribute() const { return FAttribute; }
    void SetAttribute(TssFileType v) { FAttribute = v; }
    std::uint32_t ErrorCode() const { return FErrorCode; }
    const String& ErrorFile() const { return FErrorFile; }
    int FileCount() const { return FFileCount; }
    bool EnableDrvCheck() const { return FEnableDrvCheck; }
    void SetEnableDrvCheck(bool v) { FEnableDrvCheck = v; }

    TNotifyEvent OnError;

protected:
    virtual void DoError();

private:
    void StartCall();
    bool Fail(std::uint32_t code);
    bool DeleteEntries(const String& folder, const String& name);

    TssCopyMode FCopyMode = TssCopyMode::cmUpdate;
    TssCopyFiles FFile = TssCopyFiles::cfAllFiles;
    TssFileType FAttribute{TssFileAttr::atReadOnly, TssFileAttr::atHidden, TssFileAttr::atSystem};
    std::uint32_t FErrorCode = 0;
    String FErrorFile;
    int FFileCount = 0;
    bool FEnableDrvCheck = true;
};
