// Where an item goes in the maker's trash tree. For a trash destination T the receiving folder
// is T\Recycle\yyyymmddhhnn\<the source's folder path>\ (with that last separator): one dated
// root per minute of moving, below it the source's folders mirrored, and T\Recycle the folder
// whose dated roots the purge looks at. Only paths are computed; nothing is touched.
#pragma once
#include "SysUtils.h"
#include "ssTrashRules.h"

// Raised when an item cannot go to the trash; ErrorCode and ErrorMsg tell why.
class ETrashException : public Exception {
    SS_CLASS(ETrashException, Exception)
public:
    // The message is the fixed two-line text of code.
    explicit ETrashException(int code);
    int ErrorCode;
    String ErrorMsg;
};

// The paths of one move into the trash: the dated root and the receiving folder for a source.
class ssKVRTrashPath : public TObject {
    SS_CLASS(ssKVRTrashPath, TObject)
public:
    // The dated root of this move (no trailing "\").
    const String& RecycleRootPath() const { return FRecycleRootPath; }
    // The folder that receives the source, ending in "\".
    const String& RecyclePath() const { return FRecyclePath; }
    // The folder that holds every dated root.
    const String& RecycleDeletePath() const { return FRecycleDeletePath; }

protected:
    virtual bool HasSource() const;
    virtual bool IsUNC(const String& Path) const;
    virtual String FirstChar(const String& Text) const;
    virtual String SecondChar(const String& Text) const;
    // The current local time to the minute, as twelve digits yyyymmddhhnn.
    virtual String TimeStamp() const;
    // A folder name without leading "\\" or trailing "\" and without a wildcard part; an
    // existing file stands for its folder.
    virtual String NormalizeFolder(const String& Text) const;
    // The text after the first ":", or Text when there is none.
    virtual String AfterColon(const String& Text) const;
    // Path's folders below Base, both normalised; all of Path when Base is not one of its folders.
    virtual String RelativeTo(const String& Path, const String& Base) const;
    // Sets the three paths for Src moved into the trash at Dst (empty: beside the program folder
    // on the source's drive). ETrashException 3 for a UNC source and a "\..." destination, 2 when
    // the trash folder comes out as a drive root or nothing.
    virtual void BuildPaths(const String& Src, const String& Dst);
    // Text cut before its first "*" and then its first "?", each time back to a folder part.
    virtual String StripWildcards(const String& Text) const;

public:
    // Computes the paths for moving sSrc (a file, or a folder ending in "\") into the trash at
    // sDst. ETrashException 0 for an empty source, 2 for a destination that reduces to a drive
    // root or to nothing, 1 when no path came out.
    virtual void SetPath(const String& sSrc, const String& sDst);

private:
    String FsSrc;
    String FsDst;
    String FRecycleRootPath;
    String FRecyclePath;
    String FRecycleDeletePath;
};
