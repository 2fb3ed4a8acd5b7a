// Copying, moving and deleting files and folders given as path patterns, with drive checks and
// a guard against emptying the system's and the maker's own folders.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_set>
#include <vector>

#include "Classes.h"

class TssFCDialog;
class TfmFileControl;
class TssMessageDialog;

enum class TssCopyMode { cmUpdate, cmOverwrite };
enum class TssCopyFiles { cfAllFiles, cfExistFiles, cfNotExistFiles, cfRestFilesDelete };
enum class TssFileAttr { atReadOnly, atHidden, atSystem, atDirectory };
using TssFileType = TSet<TssFileAttr>;

struct _WIN32_FIND_DATAW;

// Copies, moves, deletes or recycles files and folders given as path patterns (wildcards in
// folder and file names). It checks the drives first and asks the user to insert or unprotect
// a medium, can show a progress window, and refuses to empty the system's and the maker's
// folders. ErrorCode tells why an operation failed.
class TssFileControl : public TComponent {
    SS_CLASS(TssFileControl, TComponent)
public:
    explicit TssFileControl(TComponent* AOwner);
    ~TssFileControl() override;

    // The name rules of ssFileNames.h (rename mask, pattern splitting, whole content, numbered
    // names), offered here to the component's callers.
    static String RenamedName(const String& entryName, const String& pattern);
    static void SplitPattern(const String& path, String& folder, String& name);
    static bool SplitAtWildcard(const String& folder, String& head, String& component, String& tail);
    static String ReplaceWildcard(const String& folder, const String& name);
    static String ConcreteFolder(const String& srcFolder, const String& dstFolder);
    static bool IsWholeContent(const String& name);
    static bool TakesEveryName(const String& component, const String& tail, const String& name);
    static String NumberedName(const String& name, int number, bool folder);

    // Copies what sSrc matches to sDst (a folder path or a name pattern).
    bool ssCopyFile(const String& sSrc, const String& sDst);
    // Moves what sPath matches into the folder sDstFolder. Like a deletion, a move never takes
    // the whole content of a protected folder away.
    bool ssMoveFile(const String& sPath, const String& sDstFolder);
    // Deletes what sPath matches; a folder path ("...\") also loses the folder itself. A missing
    // file is no error. The whole content of a fixed drive's root, of the Windows and system
    // folders and of the maker's program folders is never deleted: a pattern that would reach
    // it, also through folder wildcards, is refused before anything goes.
    bool ssDeleteFile(const String& sPath);

    // Moves what sSrc matches into the maker's trash below sRecyclePath (empty: the company
    // root folder), removes an emptied source folder, and purges the dated trash roots ten or
    // more days old. A protected folder's whole content is refused as by ssDeleteFile; nothing
    // in the trash is replaced (a taken name is numbered, see NumberedName); what the move
    // leaves behind (a link) stays with its folder. False when the move or the purge fails; a
    // bad trash destination raises ETrashException. Attribute, CopyFiles and CopyMode keep the
    // caller's values.
    bool ssRecycleDelete(const String& sSrc, const String& sRecyclePath);
    // The dated trash root of the last recycling.
    const String& RecycleRootPath() const { return FRecycleRootPath; }

protected:
    // Today's date, from which the purge counts the age of the trash roots.
    virtual TDateTime Today() const;

    // A folder whose content is never emptied, with its subfolders when tree is set.
    struct TProtectedFolder {
        String path;
        bool tree;  // its subfolders too
    };
    // The folders whose whole content is never deleted or moved away: the Windows folder, the
    // system folder tree and the maker's bin, data and company root folders.
    virtual std::vector<TProtectedFolder> ProtectedFolders() const;

public:
    // Probes the drive (mode 0 for reading; bit 0 or 1 for writing) and asks the user to put it
    // right until it is fine (true) or the user gives up (false, ErrorCode is the status).
    bool DrvCheck(wchar_t drive, int mode);
    // Readiness of the drive, then whether it can be written: 0 when fine, else a Windows error.
    std::uint32_t DrvStatus(wchar_t drive);
    // The drive questions; each answers 2 (give up) or 4 (retry).
    virtual int DrvNotReadyDlg(wchar_t drive);
    virtual int DrvProtectedDlg(wchar_t drive);
    virtual int DrvNotFormatDlg(wchar_t drive);
    virtual int DrvErrorDlg(wchar_t drive);

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
    // Shows the progress window during each call.
    bool EnabledDialog() const { return FEnabledDlg; }
    void SetEnabledDialog(bool v) { FEnabledDlg = v; }
    // The progress window's settings; writing copies them.
    TssFCDialog* Dialog() const { return FssFCDlg.get(); }
    void SetDialog(const TssFCDialog& Value);

    TNotifyEvent OnError;

protected:
    // Hides the progress window, then calls OnError.
    virtual void DoError();

private:
    struct TProtection;
    using TFoundFolder = std::function<bool(const String& path, const String& found)>;
    using TNameSet = std::unordered_set<String>;

    void StartCall();
    bool Fail(std::uint32_t code);
    bool FailOn(const String& file, std::uint32_t code);
    bool Fits(const String& path);
    bool CheckPathDrive(const String& path, int mode);
    bool WithProgress(bool isCopy, const std::function<bool()>& work);

    bool ExpandFolders(const String& folder, const String& name, bool intoLinks, const TFoundFolder& each);
    bool CopyPatterns(const String& src, const String& dst);
    bool MovePatterns(const String& src, const String& dstFolder);
    bool TransferFiles(const String& S, const String& N, const String& D, const String& M, bool move);
    bool ExpectedNames(const String& S, const String& N, const String& M, TNameSet& names);
    bool TransferFile(const String& S, const String& D, const String& M, const _WIN32_FIND_DATAW& entry, bool move);
    bool TransferFolder(const String& S, const String& N, const String& D, const String& M,
                        const _WIN32_FIND_DATAW& entry, bool move);
    bool DeleteRest(const String& D, const TNameSet& expected, bool keepListedFolders);
    bool ForceFolder(const String& folder);

    bool PatternAllowed(const String& path, const String& given);
    String Destination(const String& D, const String& name, bool folder) const;
    void RemoveEmptiedFolders(const String& path);

    bool DeletePattern(const String& path);
    bool DeleteContent(const String& F, const String& N, const String& path);
    bool DeleteSubfolder(const String& folder, const String& N, std::uint32_t attributes);
    bool Prohibited(const String& F, const String& N, const String& path);
    std::uint32_t ProtectionCode(const String& folder, const String& name);

    int AskDrive(const String& text);
    void ShowProhibited(const String& text);
    void ShowProgress(bool isCopy);
    void HideProgress();

    TssCopyMode FCopyMode = TssCopyMode::cmUpdate;
    TssCopyFiles FFile = TssCopyFiles::cfAllFiles;
    TssFileType FAttribute{TssFileAttr::atReadOnly, TssFileAttr::atHidden, TssFileAttr::atSystem};
    std::uint32_t FErrorCode = 0;
    String FErrorFile;
    int FFileCount = 0;
    bool bisProhibited = false;  // the last protection check refused a deletion
    // The folders whose content is never deleted, found once a call when first needed.
    std::unique_ptr<TProtection> FProtection;
    bool FEnableDrvCheck = true;
    bool FEnabledDlg = false;
    std::unique_ptr<TssFCDialog> FssFCDlg;
    std::unique_ptr<TfmFileControl> Ffm;  // the progress window during a call
    int FProgressDepth = 0;               // operations running inside one another
    TssMessageDialog* MessageDialog = nullptr;  // the drive question while it is asked
    String FRecycleRootPath;
    bool FKeepTaken = false;  // a transfer numbers a taken destination name instead of replacing it
    std::unique_ptr<TStringList> FDelDirList;  // the trash roots to purge, only while purging
    int Fi10BeforeDay = 0;                     // yyyymmdd: trash roots dated before it are purged
};
