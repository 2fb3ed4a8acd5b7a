// A normalised folder name with its parent, root and attributes, and an event-driven walk over a
// folder tree that reports entered and left folders, found files and found subfolders.
#pragma once
#include <functional>

#include "Classes.h"
#include "WinApi.h"

// A folder name, normalised, with its parent, root and attributes.
class TssDirectory : public TComponent {
    SS_CLASS(TssDirectory, TComponent)
public:
    explicit TssDirectory(TComponent* AOwner);

    const String& DirName() const { return FDirName; }
    // Stores the full path of Value without a trailing "\" (a drive root keeps it). I/O error 80
    // when Value names a file; the name is then empty.
    void SetDirName(const String& Value);
    // Stores the full path of Value as it comes, for a name known to be in shape.
    void SetRightDirName(const String& Value);
    // The full path of the folder above; empty for a drive root.
    String ParentName() const;
    // The first three characters ("C:\"); empty for a shorter name.
    String RootName() const;
    // The folder's attribute mask; INVALID_FILE_ATTRIBUTES (-1) when it cannot be read.
    int Attribute() const;
    // Sets Value plus the folder bit; I/O error with the Windows error code on failure.
    void SetAttribute(int Value);
    // Adds or removes attr and answers the new mask.
    int AttributePlus(int attr);
    int AttributeMinus(int attr);

    // True for an existing folder, false for nothing; I/O error 80 for a file.
    bool IsExist() const;
    bool IsRoot() const { return FDirName.size() == 3; }

private:
    friend class TssDirWalk;  // names the subfolders it finds directly
    String FDirName;
};

enum class TssDirWalkAttribute { dwaSysFile, dwaHidden };
// Which extra kinds of entry a walk reports besides plain, read-only and archive ones.
using TssDirWalkAttributes = TSet<TssDirWalkAttribute>;

using TDirWalkEventA = std::function<void(TssDirectory* dir)>;
using TDirWalkEventB = std::function<void(TssDirectory* dir, const WIN32_FIND_DATAW& rec)>;

// Visits TargetDirectory and (when Recursive) its subfolders down to MaxLevel: enter, the files
// matching TargetFile, the subfolders matching SubDirMask, exit. Before each handler the folder
// it concerns becomes the process's current folder; after it, pending window messages are
// processed unless isDoProcessMessages is off. Folders whose names begin with "." are skipped.
// The subfolders visited are those a folder held when it was searched: with the same file and
// subfolder mask that is the files' own search, so a subfolder that a file handler makes in the
// folder being listed is not visited.
class TssDirWalk : public TComponent {
    SS_CLASS(TssDirWalk, TComponent)
public:
    static constexpr int NoLevelLimit = 2147483647;

    explicit TssDirWalk(TComponent* AOwner);

    // Walks the tree. I/O error 80 when TargetDirectory is a file, 2 when it does not exist.
    // An exception from a handler passes out unchanged and leaves its folder current.
    void Execute();
    // Ends the walk once the running handler returns; no further event, not even an exit.
    void Stop() { FStopFlag = true; }

    TssDirWalkAttributes Attribute() const { return FAttribute; }
    void SetAttribute(TssDirWalkAttributes v) { FAttribute = v; }
    const String& TargetDirectory() const { return FTargetDirectory; }
    void SetTargetDirectory(const String& v) { FTargetDirectory = v; }
    const String& TargetFile() const { return FTargetFile; }
    void SetTargetFile(const String& v) { FTargetFile = v; }
    bool Recursive() const { return FRecursive; }
    void SetRecursive(bool v) { FRecursive = v; }
    const String& SubDirMask() const { return FSubDirMask; }
    // I/O error 123 for a mask with "\" or ":", which is then not taken.
    void SetSubDirMask(const String& Value);
    // The deepest level entered: 0 is the start folder alone.
    int MaxLevel() const { return FMaxLevel; }
    void SetMaxLevel(int v) { FMaxLevel = v; }
    bool isDoProcessMessages() const { return FisDoProcessMessages; }
    void SetisDoProcessMessages(bool v) { FisDoProcessMessages = v; }
    bool StopFlag() const { return FStopFlag; }
    // Depth of the folder being visited: 0 for the start folder, -1 outside a walk.
    int Level() const { return FLevel; }

    TDirWalkEventA OnEnterDirectory;
    TDirWalkEventA OnExitDirectory;
    TDirWalkEventB OnFoundFile;
    // Only a walk that is not recursive reports subfolders; a recursive one enters them instead.
    TDirWalkEventA OnFoundDir;

private:
    void Visit(TssDirectory* dir);
    void ListEntries(TssDirectory* dir);
    void Fire(const TDirWalkEventA& handler, TssDirectory* dir);
    void AfterHandler();
    DWORD SearchMask() const;

    TssDirWalkAttributes FAttribute;
    bool FisDoProcessMessages = true;
    String FTargetDirectory;
    String FTargetFile = L"*.*";
    bool FRecursive = true;
    String FSubDirMask = L"*.*";
    int FLevel = -1;
    int FMaxLevel = NoLevelLimit;
    bool FStopFlag = false;
};
